// The whole configuration of one dispenser system: system settings, alarm
// routing and ten machines with their trigger and six programs. Member names are
// the element names of the system file. Text is Windows-1252 bytes; the numbers
// that the editors hold as text stay text here so a file round-trips exactly.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/config/ProgramRecord.h"
#include "core/config/TriggerData.h"

namespace vorel {

inline constexpr int kMachineCount = 10;
inline constexpr int kPumpCount = 7;
inline constexpr int kRecipientCount = 8;
inline constexpr int kAlarmLevelInputs = 7;
inline constexpr size_t kSystemNameMax = 40;
inline constexpr size_t kRecipientMax = 50;

struct MainSetupSection {
  std::string SystemName;
  // Data-format version of the controller image; packing sets both to 1.
  uint8_t VersionMajor = 1;
  uint8_t VersionMinor = 1;

  friend bool operator==(const MainSetupSection&, const MainSetupSection&) = default;
};

struct PCsettingsSection {
  std::string DefaultInputFilter = "5";  // seconds

  friend bool operator==(const PCsettingsSection&, const PCsettingsSection&) = default;
};

struct AlarmGroup {
  bool Level = false;
  bool WaterPressure = false;
  bool TriggerError = false;
  bool KeyboardError = false;
  bool DispenseError = false;

  friend bool operator==(const AlarmGroup&, const AlarmGroup&) = default;
};

// Per alarm input: active high (normally closed contact).
struct ActiveLevelFlags {
  bool Common = false;
  std::array<bool, kAlarmLevelInputs> Level{};  // Level1..Level7
  bool Extra = false;

  friend bool operator==(const ActiveLevelFlags&, const ActiveLevelFlags&) = default;
};

struct AlarmSection {
  // Group0: written to the controller's alarm log; Group1/Group2: sent to the
  // recipients 1..4 and 5..8.
  std::array<AlarmGroup, 3> Group{};
  std::array<std::string, kRecipientCount> Recipient;
  ActiveLevelFlags ActiveLevel;

  friend bool operator==(const AlarmSection&, const AlarmSection&) = default;
};

struct MachineSettings {
  bool Enabled = false;
  // Position in the default-program list: 0 "-", 1..6 a program, -1 nothing selected.
  int DefaultProgram = 0;
  bool AllowNoProgram = false;
  std::string ShortFlushTime = "5";   // seconds
  std::string LongFlushTime = "10";   // seconds
  std::string ProgramTimeout = "30";  // minutes
  // The softener pump list text: "-", "1".."7", or empty when nothing is selected.
  std::string SoftnerPump = "-";
  std::string Comment;
  // Pump delivery in ml per 60 s (the file and the image hold seconds per 100 ml).
  std::array<std::string, kPumpCount> Calibration;
  TriggerData Trigger;
  std::array<ProgramRecord, kProgramSlots> Programs;

  MachineSettings();

  friend bool operator==(const MachineSettings&, const MachineSettings&) = default;
};

struct SystemConfiguration {
  MainSetupSection MainSetup;
  PCsettingsSection PCsettings;
  AlarmSection Alarm;
  std::array<MachineSettings, kMachineCount> MachineData;

  SystemConfiguration();  // the new-system defaults

  friend bool operator==(const SystemConfiguration&, const SystemConfiguration&) = default;
};

// The system-wide part back to a new system: no name, filter 5, no alarms, no
// recipients, machine 1 enabled and 2..10 not.
void ClearSystemSettings(SystemConfiguration& config);

// One machine back to its cleared settings, trigger and programs. `Enabled` and
// `AllowNoProgram` are not touched.
void ClearMachine(MachineSettings& machine);

// Between the editors' ml per 60 s and the stored seconds per 100 ml, either way:
// (v div 2 + 6000) div v, rounded to nearest; 0 and below pass unchanged.
int32_t ConvertCalibration(int32_t value);

// Names of the softener pump list, position 0..7.
inline constexpr std::array<const char*, 8> kSoftnerPumpItems = {"-", "1", "2", "3",
                                                                 "4", "5", "6", "7"};
// Position of a softener pump text in its list, -1 when it is not an item.
int SoftnerPumpPosition(const std::string& text);

}  // namespace vorel
