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
#include <vector>

#include "core/config/ProgramRecord.h"

namespace vorel {

namespace live {
inline constexpr uint8_t kStatusReportCode = 0x33;
inline constexpr uint8_t kTriggerFrameCode = 0x0A;
inline constexpr uint8_t kTriggerIdentFrameCode = 0x0B;
inline constexpr size_t kLengthByte = 1;
inline constexpr uint8_t kShortReportLength = 44;  // 3-byte machine records
inline constexpr uint8_t kLongReportLength = 64;   // 5-byte machine records
inline constexpr size_t kMachineRecords = 14;
inline constexpr size_t kShortRecordSize = 3;
inline constexpr size_t kLongRecordSize = 5;
inline constexpr size_t kGatewayRecordSize = 10;
inline constexpr int kOnlineTicks = 50;  // 5 s after the last trigger frame or gateway record
inline constexpr int kTriggerInputs = 6;

// Machine record bytes.
inline constexpr size_t kRecordLine = 0;
inline constexpr size_t kRecordSlot = 1;
inline constexpr size_t kRecordFlags = 2;
inline constexpr size_t kRecordInputs = 3;
inline constexpr size_t kRecordLoad = 4;
inline constexpr uint8_t kSlotMask = 0x1F;
inline constexpr uint8_t kInputsMask = 0x3F;
inline constexpr uint8_t kFlagTriggerOnline = 0x01;
inline constexpr uint8_t kFlagKeyboardConnected = 0x02;  // gateway record
inline constexpr uint8_t kFlagKeyboardLocked = 0x04;
inline constexpr uint8_t kFlagSerialConnection = 0x08;  // gateway record

// Trigger unit frame bytes, counted from the frame start.
inline constexpr size_t kFrameInputs = 6;
inline constexpr uint8_t kFrameNoWeight = 0x20;  // bit 5 of the inputs byte
inline constexpr size_t kFrameWeight = 8;
inline constexpr size_t kFrameUnit = 9;  // bits 0-3 kind, bit 4 "S", bit 5 "K"
inline constexpr size_t kFrameVersion = 10;
inline constexpr size_t kFrameProgramNumber = 11;
inline constexpr uint8_t kUnitKindMask = 0x0F;
inline constexpr uint8_t kUnitSerialFlag = 0x10;
inline constexpr uint8_t kUnitKeyboardFlag = 0x20;
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
  uint8_t unitKind = 0;  // 1 "TL4216", 2 "TL4210"
  uint8_t version = 0;   // bits 0-3 major, 4-7 minor
};

// Rewrites a 44-byte status report in place into the 64-byte layout (its length
// byte then reads 0, so it is done once and every later reader sees the same).
// Nothing for other reports. False when the message is too short for its length.
bool WidenStatusReport(std::vector<uint8_t>& message);

class MachineLiveDisplay {
 public:
  explicit MachineLiveDisplay(int machineIndex, char decimalSeparator = ',');

  // The controller's status report (widened first when needed). The trigger
  // percentage is shown only from a 64-byte report while the trigger window exists.
  std::optional<RunningLine> ApplyStatusReport(std::vector<uint8_t>& message, uint8_t triggerType,
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
