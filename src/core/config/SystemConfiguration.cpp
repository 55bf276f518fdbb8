// New-system defaults and clearing.
#include "core/config/SystemConfiguration.h"

namespace vorel {

namespace {
constexpr const char* kDefaultCalibration = "30";  // ml per 60 s = 200 s per 100 ml
}

MachineSettings::MachineSettings() {
  Calibration.fill(kDefaultCalibration);
  Trigger.Reset();
  for (int slot = 0; slot < kProgramSlots; ++slot) Programs[slot] = ClearedProgram(slot + 1);
}

SystemConfiguration::SystemConfiguration() {
  MachineData[0].Enabled = true;
}

void ClearSystemSettings(SystemConfiguration& config) {
  config.MainSetup.SystemName.clear();
  config.PCsettings.DefaultInputFilter = "5";
  config.Alarm = AlarmSection{};
  for (int m = 0; m < kMachineCount; ++m) config.MachineData[m].Enabled = (m == 0);
}

void ClearMachine(MachineSettings& machine) {
  const bool enabled = machine.Enabled;
  const bool allowNoProgram = machine.AllowNoProgram;
  machine = MachineSettings{};
  machine.Enabled = enabled;
  machine.AllowNoProgram = allowNoProgram;
}

int32_t ConvertCalibration(int32_t value) {
  if (value <= 0) return value;
  return (value / 2 + 6000) / value;
}

int SoftnerPumpPosition(const std::string& text) {
  for (size_t i = 0; i < kSoftnerPumpItems.size(); ++i) {
    if (text == kSoftnerPumpItems[i]) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace vorel
