// vorelctl convert: a system file or controller image taken in as the tool takes
// it ("Load System..." or a completed read) and written out as a system file
// ("Save System...") or as the packed image.
#include <string>

#include "Input.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "io/FileAccess.h"

namespace vorelctl {

namespace {

enum class OutputKind { kSystemFile, kImage };

// The ending names the output, in any case.
std::optional<OutputKind> OutputKindOf(std::string_view path) {
  const auto endsWith = [path](std::string_view ending) {
    if (path.size() < ending.size()) return false;
    const std::string_view tail = path.substr(path.size() - ending.size());
    for (size_t i = 0; i < tail.size(); ++i) {
      const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] + 32) : tail[i];
      if (c != ending[i]) return false;
    }
    return true;
  };
  if (endsWith(".xml")) return OutputKind::kSystemFile;
  if (endsWith(".bin")) return OutputKind::kImage;
  return std::nullopt;
}

}  // namespace

int Convert(Arguments args, std::ostream& /*out*/, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {"--clock", "--master-code"}, parsed);
      !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.size() < 2) return UsageError(err, "convert needs INPUT and OUTPUT");
  if (const vorel::Outcome checked = SurplusArgument(parsed, 2); !checked)
    return UsageError(err, checked.reason);
  const std::string inputPath(parsed.arguments[0]);
  const std::string outputPath(parsed.arguments[1]);
  const std::optional<OutputKind> outputKind = OutputKindOf(outputPath);
  if (!outputKind) return UsageError(err, "OUTPUT must end in .xml or .bin");

  std::optional<vorel::LocalDateTime> clock;
  if (const vorel::Outcome checked = ReadClockOption(parsed, clock); !checked)
    return UsageError(err, checked.reason);
  std::optional<std::string> masterCode;
  if (const vorel::Outcome checked = ReadMasterCodeOption(parsed, masterCode); !checked)
    return UsageError(err, checked.reason);
  if (masterCode && *outputKind != OutputKind::kImage)
    return UsageError(err, "--master-code goes with an image OUTPUT (.bin) only");

  const vorel::LocalDateTime packClock = clock.value_or(vorel::LocalNow());
  vorel::Session session;
  const vorel::Outcome input = LoadInput(inputPath, packClock, session);
  if (!input) {
    err << "vorelctl: " << input.reason << '\n';
    return kExitFailure;
  }
  PrintChanges(session.LoadChanges(), "vorelctl: warning: ", err);

  const auto write = [&outputPath](std::string_view bytes) {
    return vorel::WriteFileReplacing(QString::fromLocal8Bit(outputPath.c_str()), bytes);
  };
  vorel::Outcome written;
  if (*outputKind == OutputKind::kSystemFile) {
    written = session.SaveSystem(write, packClock);
  } else {
    session.PackImage(packClock,
                      masterCode ? std::optional<std::string_view>(*masterCode) : std::nullopt);
    const auto& image = session.Image().image.bytes;
    written = write(std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
  }
  if (!written) {
    err << "vorelctl: " << outputPath << ": " << written.reason << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace vorelctl
