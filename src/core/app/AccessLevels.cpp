// Command-line access words and the caption.
#include "core/app/AccessLevels.h"

#include <cctype>

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

std::optional<std::string> MistypedAccessWordHint(const std::string& argument) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  for (const char* word : {kSetupWord, kMasterWord}) {
    if (argument != word && lower(argument) == lower(word)) {
      return std::string("The access words are ") + kSetupWord + " and " + kMasterWord +
             ", written exactly so (capitals and small letters as here).";
    }
  }
  return std::nullopt;
}

std::string BuildCaption(bool setupFlag, const std::optional<RemoteSystemName>& remote) {
  std::string caption = "Vorel, Version: " + std::to_string(kVersionMajor) + "." +
                        std::to_string(kVersionMinor) + ", Miele pulse";
  if (setupFlag) caption += ",  TL4200 setup";
  if (remote) caption += "        System: " + remote->name + " (" + remote->serial + ").";
  return caption;
}

}  // namespace vorel
