// The controller's alarm log, read from the memory image: the alarms active now
// (state bytes) and the last 48 alarms (5-byte history slots with a packed stamp),
// as the alarm log window lists them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/image/ControllerImage.h"

namespace vorel {

namespace alarms {
inline constexpr size_t kStateFlags = 0;  // bit 0 pressure, 1 common low level, 2 Ethernet
inline constexpr size_t kLowLevelPumps = 1;
inline constexpr size_t kTriggerErrors = 2;   // 16-bit, machine m in bit m-1
inline constexpr size_t kKeyboardErrors = 4;  // 16-bit
inline constexpr size_t kHistory = 16;
inline constexpr size_t kSlots = 48;
inline constexpr size_t kSlotSize = 5;
inline constexpr size_t kStamp = 1;  // 32-bit

// State flag bits of byte kStateFlags.
inline constexpr uint8_t kPressureBit = 0x01;
inline constexpr uint8_t kCommonLowLevelBit = 0x02;
inline constexpr uint8_t kEthernetBit = 0x04;
inline constexpr int kPumps = 7;
inline constexpr int kMachines = 10;

// The first byte of a history slot: the alarm kind and the pump or machine number.
inline constexpr size_t kKindAndNumber = 0;
inline constexpr uint8_t kKindMask = 0x0F;
inline constexpr int kNumberShift = 4;

// Alarm kinds.
inline constexpr int kKindLowLevel = 1;  // number 0: the common input, else the pump
inline constexpr int kKindPressure = 2;
inline constexpr int kKindTriggerError = 3;  // with the machine's trigger type in the stamp
inline constexpr int kKindKeyboardError = 4;
inline constexpr int kKindDispenseError = 5;
inline constexpr int kKindAlarmOutputReset = 6;

// The stamp's bit fields: shift and width mask. A day of 0 marks an empty slot.
struct StampField {
  int shift;
  uint32_t mask;
};
inline constexpr StampField kStampYear = {0, 0x3F};  // year - 2000
inline constexpr StampField kStampDay = {6, 0x1F};
inline constexpr StampField kStampTriggerType = {11, 0x1F};
inline constexpr StampField kStampMonth = {16, 0x0F};
inline constexpr StampField kStampHour = {20, 0x3F};
inline constexpr StampField kStampMinute = {26, 0x3F};
constexpr int StampValue(uint32_t stamp, StampField field) {
  return static_cast<int>((stamp >> field.shift) & field.mask);
}
}  // namespace alarms

// The history view: one line per used slot ("%2d: %02d-%02d-%02d %2d:%02d > " and
// the kind's text), then "Number of alarms: %d.".
std::vector<std::string> AlarmHistoryLines(const ControllerImage& image);

// The state view: one numbered line per active alarm ("%3d: Pressure alarm", ...).
std::vector<std::string> AlarmStateLines(const ControllerImage& image);

// The controller confirmed a clear: the 240 history bytes are zeroed; the state
// bytes stay.
void ClearAlarmHistory(ControllerImage& image);

}  // namespace vorel
