// The live part of a machine window: which program runs, the trigger inputs, the
// trigger unit's letters K/T/S, the weight or load, the keyboard lock. It takes the
// controller's status reports, the trigger units' frames, the gateway's machine
// records and the 100 ms ticks, and keeps what the window shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/config/ProgramRecord.h"
#include "core/link/LiveMessages.h"

namespace vorel {

namespace live {
inline constexpr int kOnlineTicks = 50;  // 5 s after the last trigger frame or gateway record
inline constexpr int kTriggerInputs = 6;
inline constexpr int kMaxLoadPercent = 200;
}  // namespace live

// What the window shows of the live state.
struct MachineDisplayState {
  bool keyboardConnectedVisible = false;  // "K"
  bool triggerOnlineVisible = false;      // "T"
  bool serialConnectionVisible = false;   // "S"
  std::array<bool, live::kTriggerInputs> inputActive{};
  std::array<bool, live::kTriggerInputs> weightVisible{};
  std::array<std::string, live::kTriggerInputs> weightText;
  std::string programGroupCaption = " Program ";
  int highlightedSlot = -1;  // 0..5 is shown bold and underlined; -1 none

  friend bool operator==(const MachineDisplayState&, const MachineDisplayState&) = default;
};

// A line report for the program editor of the running slot (Debug follow).
struct RunningLine {
  int slotNumber = 0;    // 1..6
  uint8_t lineByte = 0;  // low six bits: the line 1..24
};

struct UnitIdentification {
  uint8_t unitKind = 0;                  // 1 "TL4216", 2 "TL4210"
  uint8_t version = 0;                   // bits 0-3 major, 4-7 minor
  std::optional<uint8_t> programNumber;  // the Electrolux program number, when sent
};

class MachineLiveDisplay {
 public:
  explicit MachineLiveDisplay(int machineIndex, char decimalSeparator = ',');

  // The controller's status report. The trigger percentage is shown only from a
  // report sent with 64 bytes while the trigger window exists.
  std::optional<RunningLine> ApplyStatusReport(const StatusReport& report, uint8_t triggerType,
                                               bool triggerWindowExists);

  // A frame of this machine's trigger unit (codes 10 and 11); code 11 identifies
  // the unit.
  std::optional<UnitIdentification> ApplyTriggerFrame(std::span<const uint8_t> frame,
                                                      uint8_t triggerType);

  // This machine's 10-byte record of the gateway's status report.
  std::optional<RunningLine> ApplyGatewayRecord(std::span<const uint8_t> record);

  // 100 ms. True when the machine has just gone offline (5 s after the last
  // trigger frame or gateway record): the trigger window forgets its unit.
  bool Tick();

  // The window is shown: letters hidden, keyboard lock cleared.
  void Show();
  // The machine was cleared: weights hidden, no highlight, no weight label in use.
  void Clear();
  // The trigger type changed: weights hidden, no weight label in use.
  void TriggerTypeChanged();

  const MachineDisplayState& State() const { return state_; }
  bool KeyboardLocked() const { return keyboardLocked_; }
  int OnlineCountdown() const { return onlineCountdown_; }

 private:
  void SetKeyboardLocked(bool locked);
  void Highlight(int slotNumber);
  void HideWeights();
  void ShowWeight(int label, int halfKilograms);
  void ShowPercent(int label, int percent);

  int machineIndex_;
  char decimalSeparator_;
  MachineDisplayState state_;
  int onlineCountdown_ = 0;
  bool keyboardLocked_ = false;
  int weightLabelInUse_ = -1;
  int lastWeight_ = 0;
};

}  // namespace vorel
