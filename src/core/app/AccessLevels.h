// The program version, the two command-line access words and the main window
// caption built from them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vorel {

inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 21;

// Setup mode: the serial number of a controller may be set.
inline constexpr const char* kSetupWord = "RB316entry";
// Master mode: the controller's login code is set from the tool and never checked.
inline constexpr const char* kMasterWord = "ChiefAccess";

struct AccessFlags {
  bool setup = false;
  bool master = false;
};

// Each argument after the program name is compared exactly, case-sensitively and
// as a whole with the two words; anything else is ignored.
AccessFlags ParseAccessWords(const std::vector<std::string>& argumentsAfterProgram);

// An argument that is an access word but for the case of its letters ("rb316entry")
// was surely meant as one: the text that names the two words as they must be
// written; nothing for any other argument.
std::optional<std::string> MistypedAccessWordHint(const std::string& argument);

struct RemoteSystemName {
  std::string name;
  std::string serial;
};

// "Vorel, Version: 3.21, Miele pulse", then ",  TL4200 setup" in setup mode,
// then the connected remote system.
std::string BuildCaption(bool setupFlag, const std::optional<RemoteSystemName>& remote);

}  // namespace vorel
