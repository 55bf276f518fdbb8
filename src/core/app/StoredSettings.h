// The operator's settings kept between runs in the per-user settings store, and
// the rules by which they are read back and written.
#pragma once

#include <cstdint>
#include <string>

namespace vorel {

// The per-user store (the registry key on Windows). Integers and booleans are
// 32-bit numbers, a boolean 0 or 1. Strings are UTF-8.
class SettingsStore {
 public:
  enum class Result { Ok, Missing, Error };
  virtual ~SettingsStore() = default;
  virtual Result ReadInteger(const std::string& name, int32_t& value) = 0;
  virtual Result ReadString(const std::string& name, std::string& value) = 0;
  virtual bool WriteInteger(const std::string& name, int32_t value) = 0;
  virtual bool WriteString(const std::string& name, const std::string& value) = 0;
};

inline constexpr int kMinimumMainWidth = 800;
inline constexpr int kMinimumMainHeight = 50;

// The login window's design-time code, in force until a stored code is restored
// or the operator types one.
inline constexpr const char* kDesignLoginCode = "Password";

struct OperatorSettings {
  int width = 0;
  int height = 0;
  bool positionRestored = false;  // Left and Top were both stored
  int left = 0;
  int top = 0;
  std::string lastSystemFileName;
  bool commLocal = false;
  std::string comPort = "None";
  std::string lastFirmwareFile1;
  std::string loginCode = kDesignLoginCode;
  std::string gatewayServer;
};

// Reads the store into `settings`, which holds the windows' own values on entry;
// a missing value keeps them. The first read error ends the restoring, keeping what
// was read before it. ComPort, CommLocal, LastFirmwareFile1, LoginCode and
// GatewayServer are read only when LastSystemFileName exists; GatewayServer is
// emptied first and trimmed when read.
void RestoreSettings(SettingsStore& store, OperatorSettings& settings);

// Writes every value in the fixed order; the first error ends the writing.
void StoreSettings(SettingsStore& store, const OperatorSettings& settings);

}  // namespace vorel
