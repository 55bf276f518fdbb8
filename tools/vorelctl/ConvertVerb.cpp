// vorelctl convert: a system file loaded into a new system, as "Load System..."
// does, and saved as "Save System..." does.
#include <string>

#include "FileIo.h"
#include "Verbs.h"
#include "config/Ansi.h"
#include "config/SystemConfiguration.h"
#include "config/SystemFile.h"
#include "image/ControllerImage.h"

namespace vorelctl {

namespace {
constexpr size_t kConvertArgumentCount = 2;
}

int Convert(Arguments args, std::ostream& out, std::ostream& err) {
  if (args.size() != kConvertArgumentCount) {
    return UsageError(err, "convert needs INPUT.xml and OUTPUT.xml");
  }
  const std::filesystem::path inputPath{std::string(args[0])};
  const std::filesystem::path outputPath{std::string(args[1])};

  const FileContents input = ReadWholeFile(inputPath);
  if (!input.bytes) {
    err << "vorelctl: " << inputPath.string() << ": " << input.error << '\n';
    return kExitFailure;
  }

  vorel::SystemConfiguration config;
  vorel::ControllerImage image{};
  const vorel::SystemFileResult loaded = vorel::LoadSystemFile(*input.bytes, config, image);
  if (!loaded) {
    // Element names and values are Windows-1252 text; the terminal gets UTF-8.
    err << "vorelctl: " << inputPath.string() << ": " << vorel::Ansi::ToUtf8(loaded.Describe())
        << '\n';
    return kExitFailure;
  }

  if (auto failure = WriteFileReplacing(outputPath, vorel::SaveSystemFile(config, image))) {
    err << "vorelctl: " << outputPath.string() << ": " << *failure << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace vorelctl
