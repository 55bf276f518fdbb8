// The alarm log's history and state lines.
#include "core/logs/AlarmLog.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace vorel {

namespace {

using namespace alarms;

static_assert(kHistory + kSlots * kSlotSize == image::kAlarmLogSize);
static_assert(image::kAlarmLog + image::kAlarmLogSize <= image::kSize);
static_assert(image::kAlarmLogFirmware1 + image::kAlarmLogSize <= image::kSize);

// The trigger types a trigger error names, as the controller codes them in the
// stamp; other codes add no text.
struct TriggerTypeName {
  int type;
  const char* text;
};
constexpr TriggerTypeName kTriggerTypeNames[] = {
    {1, ", Type= TL4216."},       {2, ", Type= Nortec."},         {3, ", Type= Nyborg-W3."},
    {5, ", Type= Miele serial."}, {6, ", Type= Electrolux-5xx."}, {10, ", Type= Miele Ethernet."},
};

std::string TriggerTypeText(int type) {
  for (const TriggerTypeName& name : kTriggerTypeNames) {
    if (name.type == type) return name.text;
  }
  return {};
}

std::string KindText(int kind, int number, int triggerType) {
  switch (kind) {
    case kKindLowLevel:
      return number == 0 ? "Low soap level, common input."
                         : "Low soap level, Pump: " + std::to_string(number) + ".";
    case kKindPressure:
      return "Pressure alarm.";
    case kKindTriggerError:
      return "Trigger error, Machine: " + std::to_string(number) + TriggerTypeText(triggerType);
    case kKindKeyboardError:
      return "Keyboard error, Machine: " + std::to_string(number) + ".";
    case kKindDispenseError:
      return "Dispense error, Machine: " + std::to_string(number) + ".";
    case kKindAlarmOutputReset:
      return "Alarm output reset.";
    default:
      return {};
  }
}

}  // namespace

std::vector<std::string> AlarmHistoryLines(const ControllerImage& image) {
  std::vector<std::string> lines;
  const size_t log = AlarmLogOffset(image);
  int count = 0;
  for (size_t slot = 0; slot < kSlots; ++slot) {
    const size_t at = log + kHistory + kSlotSize * slot;
    const uint32_t stamp = image.U32(at + kStamp);
    if (StampValue(stamp, kStampDay) == 0) continue;
    ++count;
    char head[64];
    std::snprintf(head, sizeof head, "%2d: %02d-%02d-%02d %2d:%02d > ", count,
                  image::kClockYearBase + StampValue(stamp, kStampYear),
                  StampValue(stamp, kStampMonth), StampValue(stamp, kStampDay),
                  StampValue(stamp, kStampHour), StampValue(stamp, kStampMinute));
    const uint8_t kindAndNumber = image.bytes[at + kKindAndNumber];
    lines.push_back(head + KindText(kindAndNumber & kKindMask, kindAndNumber >> kNumberShift,
                                    StampValue(stamp, kStampTriggerType)));
  }
  lines.push_back("Number of alarms: " + std::to_string(count) + ".");
  return lines;
}

std::vector<std::string> AlarmStateLines(const ControllerImage& image) {
  const size_t log = AlarmLogOffset(image);
  const uint8_t flags = image.bytes[log + kStateFlags];
  const uint8_t lowLevelPumps = image.bytes[log + kLowLevelPumps];
  const uint16_t triggerErrors = image.U16(log + kTriggerErrors);
  const uint16_t keyboardErrors = image.U16(log + kKeyboardErrors);

  std::vector<std::string> lines;
  const auto add = [&lines](const std::string& text) {
    char number[16];
    std::snprintf(number, sizeof number, "%3d: ", static_cast<int>(lines.size()) + 1);
    lines.push_back(number + text);
  };
  if (flags & kPressureBit) add("Pressure alarm");
  if (flags & kCommonLowLevelBit) add("Common low soap level");
  for (int pump = 1; pump <= kPumps; ++pump) {
    if (lowLevelPumps & (1u << (pump - 1))) add("Low soap level, Pump: " + std::to_string(pump));
  }
  for (int machine = 1; machine <= kMachines; ++machine) {
    if (triggerErrors & (1u << (machine - 1)))
      add("Trigger error, Machine: " + std::to_string(machine));
  }
  for (int machine = 1; machine <= kMachines; ++machine) {
    if (keyboardErrors & (1u << (machine - 1)))
      add("Keyboard error, Machine: " + std::to_string(machine));
  }
  if (flags & kEthernetBit) add("Miele Logic Ethernet not connected");
  return lines;
}

void ClearAlarmHistory(ControllerImage& image) {
  const auto start =
      image.bytes.begin() + static_cast<std::ptrdiff_t>(AlarmLogOffset(image) + alarms::kHistory);
  std::fill(start, start + alarms::kSlots * alarms::kSlotSize, 0);
}

}  // namespace vorel
