// Restoring and storing the operator's settings.
#include "core/app/StoredSettings.h"

#include <algorithm>

#include "core/base/Numbers.h"

namespace vorel {
namespace {

using Result = SettingsStore::Result;

// Each step answers false when the restoring has to end.
bool ReadIntegerInto(SettingsStore& store, const char* name, int& target, int minimum) {
  int32_t value = 0;
  switch (store.ReadInteger(name, value)) {
    case Result::Ok:
      target = std::max<int>(value, minimum);
      return true;
    case Result::Missing:
      return true;
    case Result::Error:
      return false;
  }
  return false;
}

bool ReadStringInto(SettingsStore& store, const char* name, std::string& target) {
  std::string value;
  const Result result = store.ReadString(name, value);
  if (result == Result::Ok) target = value;
  return result != Result::Error;
}

}  // namespace

void RestoreSettings(SettingsStore& store, OperatorSettings& settings) {
  if (!ReadIntegerInto(store, "Width", settings.width, kMinimumMainWidth)) return;
  if (!ReadIntegerInto(store, "Height", settings.height, kMinimumMainHeight)) return;

  int32_t left = 0;
  int32_t top = 0;
  const Result leftResult = store.ReadInteger("Left", left);
  if (leftResult == Result::Error) return;
  if (leftResult == Result::Ok) {
    const Result topResult = store.ReadInteger("Top", top);
    if (topResult == Result::Error) return;
    if (topResult == Result::Ok) {
      settings.positionRestored = true;
      settings.left = left;
      settings.top = top;
    }
  }

  settings.gatewayServer.clear();

  std::string lastFile;
  const Result fileResult = store.ReadString("LastSystemFileName", lastFile);
  if (fileResult != Result::Ok) return;
  settings.lastSystemFileName = lastFile;

  if (!ReadStringInto(store, "ComPort", settings.comPort)) return;
  int32_t local = 0;
  const Result localResult = store.ReadInteger("CommLocal", local);
  if (localResult == Result::Error) return;
  if (localResult == Result::Ok) settings.commLocal = local != 0;
  if (!ReadStringInto(store, "LastFirmwareFile1", settings.lastFirmwareFile1)) return;
  if (!ReadStringInto(store, "LoginCode", settings.loginCode)) return;
  std::string gateway;
  const Result gatewayResult = store.ReadString("GatewayServer", gateway);
  if (gatewayResult == Result::Ok) settings.gatewayServer = std::string(TrimBlanks(gateway));
}

void StoreSettings(SettingsStore& store, const OperatorSettings& settings) {
  // Short-circuit: the values written before an error stay written, none after it.
  [[maybe_unused]] const bool complete =
      store.WriteString("LastSystemFileName", settings.lastSystemFileName) &&
      store.WriteInteger("CommLocal", settings.commLocal ? 1 : 0) &&
      store.WriteString("ComPort", settings.comPort) &&
      store.WriteString("LastFirmwareFile1", settings.lastFirmwareFile1) &&
      store.WriteString("LoginCode", settings.loginCode) &&
      store.WriteInteger("Width", settings.width) &&
      store.WriteInteger("Height", settings.height) && store.WriteInteger("Left", settings.left) &&
      store.WriteInteger("Top", settings.top) &&
      store.WriteString("GatewayServer", settings.gatewayServer);
}

}  // namespace vorel
