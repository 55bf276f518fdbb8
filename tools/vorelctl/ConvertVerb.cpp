// vorelctl convert: a system file or controller image taken in as the tool takes
// it ("Load System..." or a completed read) and written out as a system file
// ("Save System...") or as the packed image.
#include <string>
#include <vector>

#include "FileIo.h"
#include "Input.h"
#include "Verbs.h"
#include "core/config/SystemFile.h"

namespace vorelctl {

namespace {

constexpr size_t kLoginCodeMax = 8;

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
        clock = ParseClock(value);
        if (!clock) return UsageError(err, "--clock takes \"YYYY-MM-DD HH:MM:SS\"");
      } else {
        if (value.size() > kLoginCodeMax)
          return UsageError(err, "--master-code takes at most 8 characters");
        masterCode = std::string(value);
      }
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) return UsageError(err, "convert needs INPUT and OUTPUT");
  const std::filesystem::path inputPath{std::string(files[0])};
  const std::filesystem::path outputPath{std::string(files[1])};
  const std::optional<OutputKind> outputKind = OutputKindOf(outputPath);
  if (!outputKind) return UsageError(err, "OUTPUT must end in .xml or .bin");

  const vorel::LocalDateTime packClock = clock.value_or(LocalClockNow());
  LoadedInput input = LoadInput(inputPath, packClock);
  if (input.error) {
    err << "vorelctl: " << *input.error << '\n';
    return kExitFailure;
  }

  std::string bytes;
  if (*outputKind == OutputKind::kSystemFile) {
    bytes = vorel::SaveSystemFile(input.config, input.image.image);
  } else {
    if (masterCode) {
      vorel::PackImage(input.config, input.image, packClock, std::string_view(*masterCode));
    } else {
      vorel::PackImage(input.config, input.image, packClock);
    }
    bytes.assign(input.image.image.bytes.begin(), input.image.image.bytes.end());
  }
  if (auto failure = WriteFileReplacing(outputPath, bytes)) {
    err << "vorelctl: " << outputPath.string() << ": " << *failure << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace vorelctl
