// Command-line access words and the caption.
#include "core/app/AccessLevels.h"

namespace vorel {

AccessFlags ParseAccessWords(const std::vector<std::string>& arguments) {
  AccessFlags flags;
  for (const auto& argument : arguments) {
    if (argument == kSetupWord) {
      flags.setup = true;
    } else if (argument == kMasterWord) {
      flags.master = true;
    }
  }
  return flags;
}

std::string BuildCaption(bool setupFlag, const std::optional<RemoteSystemName>& remote) {
  std::string caption = "Vorel, Version: " + std::to_string(kVersionMajor) + "." +
                        std::to_string(kVersionMinor) + ", Miele pulse";
  if (setupFlag) caption += ",  TL4200 setup";
  if (remote) caption += "        System: " + remote->name + " (" + remote->serial + ").";
  return caption;
}

}  // namespace vorel
