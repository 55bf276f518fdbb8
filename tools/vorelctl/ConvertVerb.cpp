// vorelctl convert: a system file or controller image taken in as the tool takes
// it ("Load System..." or a completed read) and written out as a system file
// ("Save System...") or as the packed image.
#include <filesystem>
#include <string>
#include <vector>

#include "Input.h"
#include "Verbs.h"
#include "io/FileAccess.h"

namespace vorelctl {

namespace {

enum class OutputKind { kSystemFile, kImage };

std::optional<OutputKind> OutputKindOf(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  if (extension == ".xml") return OutputKind::kSystemFile;
  if (extension == ".bin") return OutputKind::kImage;
  return std::nullopt;
}

}  // namespace

int Convert(Arguments args, std::ostream& out, std::ostream& err) {
  std::vector<std::string_view> files;
  std::optional<vorel::LocalDateTime> clock;
  std::optional<std::string> masterCode;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--clock" || args[i] == "--master-code") {
      if (i + 1 >= args.size()) return UsageError(err, std::string(args[i]) + " needs a value");
      const std::string_view value = args[++i];
      if (args[i - 1] == "--clock") {
        clock = vorel::ParseLocalDateTime(value);
        if (!clock) return UsageError(err, "--clock takes \"YYYY-MM-DD HH:MM:SS\"");
      } else {
        if (value.size() > vorel::image::kLoginCodeMax)
          return UsageError(err, "--master-code takes at most 8 characters");
        masterCode = std::string(value);
      }
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) return UsageError(err, "convert needs INPUT and OUTPUT");
  const std::string inputPath(files[0]);
  const std::string outputPath(files[1]);
  const std::optional<OutputKind> outputKind = OutputKindOf(std::filesystem::path(outputPath));
  if (!outputKind) return UsageError(err, "OUTPUT must end in .xml or .bin");

  const vorel::LocalDateTime packClock = clock.value_or(vorel::LocalNow());
  vorel::Session session;
  if (const auto refused = LoadInput(inputPath, packClock, session)) {
    err << "vorelctl: " << *refused << '\n';
    return kExitFailure;
  }

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
