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
  if (auto wrong = ParseArguments(args, {"--clock", "--master-code"}, parsed))
    return UsageError(err, *wrong);
  if (parsed.arguments.size() < 2) return UsageError(err, "convert needs INPUT and OUTPUT");
  if (auto surplus = SurplusArgument(parsed, 2)) return UsageError(err, *surplus);
  const std::string inputPath(parsed.arguments[0]);
  const std::string outputPath(parsed.arguments[1]);
  const std::optional<OutputKind> outputKind = OutputKindOf(outputPath);
  if (!outputKind) return UsageError(err, "OUTPUT must end in .xml or .bin");

  std::optional<vorel::LocalDateTime> clock;
  if (auto wrong = ReadClockOption(parsed, clock)) return UsageError(err, *wrong);
  std::optional<std::string> masterCode;
  if (auto wrong = ReadMasterCodeOption(parsed, masterCode)) return UsageError(err, *wrong);
  if (masterCode && *outputKind != OutputKind::kImage)
    return UsageError(err, "--master-code goes with an image OUTPUT (.bin) only");

  const vorel::LocalDateTime packClock = clock.value_or(vorel::LocalNow());
  vorel::Session session;
  const LoadedInput input = LoadInput(inputPath, packClock, session);
  if (input.refused) {
    err << "vorelctl: " << *input.refused << '\n';
    return kExitFailure;
  }
  PrintChanges(input.changes, "vorelctl: warning: ", err);

  const auto write = [&outputPath](std::string_view bytes) -> std::optional<std::string> {
    const auto failure =
        vorel::WriteFileReplacing(QString::fromLocal8Bit(outputPath.c_str()), bytes);
    if (failure) return failure->toStdString();
    return std::nullopt;
  };
  std::optional<std::string> failure;
  if (*outputKind == OutputKind::kSystemFile) {
    const vorel::SessionResult saved = session.SaveSystem(write, packClock);
    if (!saved) failure = saved.reason;
  } else {
    session.PackImage(packClock,
                      masterCode ? std::optional<std::string_view>(*masterCode) : std::nullopt);
    const auto& image = session.Image().image.bytes;
    failure = write(std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
  }
  if (failure) {
    err << "vorelctl: " << outputPath << ": " << *failure << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace vorelctl
