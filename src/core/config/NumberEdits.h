// What each number edit of the program editor, the machine window and the trigger
// setup accepts while the technician types: only what the field behind it can
// hold, so nothing wraps around silently. The windows' validators ask this table;
// numbers from files and controller images never pass through here and keep their
// byte rules.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/config/InstructionSet.h"

namespace vorel {

struct NumberEditRule {
  std::string_view controlName;
  int64_t lowest;
  int64_t highest;         // in tenths where the edit takes one decimal
  int32_t emptyValue = 0;  // what an empty edit reads as
  int decimals = 0;        // 1: one decimal after a comma or point (kilograms)
  // Values from 1 up to below this one are only on the way to a longer number: the
  // field cannot hold them as typed.
  int64_t lowestAboveZero = 0;
};

inline constexpr int64_t kByteFieldHighest = 255;
inline constexpr int64_t kWordFieldHighest = 65535;
// ml per 60 s: 6000 is 1 s per 100 ml; more would pack to 0. Below 24 the pump would
// take more than the 250 s per 100 ml the controller holds.
inline constexpr int64_t kCalibrationHighest = 6000;
inline constexpr int64_t kCalibrationLowestAboveZero = 24;

inline constexpr std::array<NumberEditRule, 11> kProgramNumberEdits = {{
    {"InputFilterEdit", 0, kByteFieldHighest},
    {"WaitSecondsEdit", 0, kWordFieldHighest},
    {"PumpDelayEdit", 0, kByteFieldHighest},
    {"PumpVolume1Edit", 0, kByteFieldHighest},
    {"PumpVolume2Edit", 0, kByteFieldHighest},
    {"PumpVolume3Edit", 0, kByteFieldHighest},
    {"FlushDelayEdit", 0, kByteFieldHighest},
    {"FlushTimeEdit", 0, kByteFieldHighest},
    {"PumpHighDelayEdit", 0, kByteFieldHighest},
    {"PumpHighVolumeEdit", 0, kWordFieldHighest},
    {"PumpHighVolumeLowEdit", 0, kByteFieldHighest, line::kDefaultLowAdjust},
}};

inline constexpr std::array<NumberEditRule, 10> kMachineNumberEdits = {{
    {"ShortFlushTimeEdit", 0, kByteFieldHighest},
    {"LongFlushTimeEdit", 0, kByteFieldHighest},
    {"ProgramTimeoutEdit", 0, kByteFieldHighest},
    {"Calibration1Edit", 0, kCalibrationHighest, 0, 0, kCalibrationLowestAboveZero},
    {"Calibration2Edit", 0, kCalibrationHighest, 0, 0, kCalibrationLowestAboveZero},
    {"Calibration3Edit", 0, kCalibrationHighest, 0, 0, kCalibrationLowestAboveZero},
    {"Calibration4Edit", 0, kCalibrationHighest, 0, 0, kCalibrationLowestAboveZero},
    {"Calibration5Edit", 0, kCalibrationHighest, 0, 0, kCalibrationLowestAboveZero},
    {"Calibration6Edit", 0, kCalibrationHighest, 0, 0, kCalibrationLowestAboveZero},
    {"Calibration7Edit", 0, kCalibrationHighest, 0, 0, kCalibrationLowestAboveZero},
}};

inline constexpr std::array<NumberEditRule, 7> kTriggerNumberEdits = {{
    {"LowLevelAdjustEdit", 0, kByteFieldHighest},
    {"HighLevelAdjustEdit", 0, kByteFieldHighest},
    {"KeyboardLockDelayEdit", 0, kByteFieldHighest},
    {"MachineResetDelayEdit", 0, kWordFieldHighest},
    {"MieleEthernetSerialNumberEdit", INT32_MIN, INT32_MAX},
    {"MieleEthernetSerialMachineIDedit", INT32_MIN, INT32_MAX},
    // Half kilograms in the trigger block: 127.5 kg at most.
    {"MaxWeightEdit", 0, 1275, 0, 1},
}};

// The rule of a number edit of any of the three windows; nothing for another control.
const NumberEditRule* FindNumberEditRule(std::string_view controlName);

enum class NumberTextState {
  kRefused,
  kOnTheWay,  // "-" before the digits of a negative number, "2" before "24"
  kAccepted,  // a number the field holds, or nothing (read as the empty value)
};

// Whole decimal numbers (or, with one decimal, "12", "12,5", "12.") inside the rule's
// range; no blanks, no "+", any number of digits while the value stays in range.
NumberTextState CheckNumberEditText(const NumberEditRule& rule, std::string_view text);

}  // namespace vorel
