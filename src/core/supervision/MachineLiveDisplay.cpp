// Live display rules of the machine window.
#include "core/supervision/MachineLiveDisplay.h"

#include <algorithm>
#include <cstdio>

#include "core/config/TriggerData.h"

namespace vorel {

using namespace live;
using namespace wire;

MachineLiveDisplay::MachineLiveDisplay(int machineIndex, char decimalSeparator)
    : machineIndex_(machineIndex), decimalSeparator_(decimalSeparator) {}

std::optional<RunningLine> MachineLiveDisplay::ApplyStatusReport(const StatusReport& report,
                                                                 uint8_t triggerType,
                                                                 bool triggerWindowExists) {
  const auto record = report.MachineRecord(static_cast<size_t>(machineIndex_));

  std::optional<RunningLine> running;
  const int slot = record[kRecordSlot] & kSlotMask;
  if (slot >= 1 && slot <= kProgramSlots) running = RunningLine{slot, record[kRecordLine]};
  Highlight(slot);
  SetKeyboardLocked((record[kRecordFlags] & kFlagKeyboardLocked) != 0);

  if (report.CameLong() && triggerWindowExists) {
    if (triggerType == trigger::kTypeMieleEthernet) {
      ShowPercent(0, record[kRecordLoad]);
      state_.triggerOnlineVisible = (record[kRecordFlags] & kFlagTriggerOnline) != 0;
      for (int i = 0; i < kTriggerInputs; ++i) {
        state_.inputActive[i] = (record[kRecordInputs] >> i) & 1;
      }
    } else if (triggerType == trigger::kTypeMielePulse) {
      ShowPercent(0, record[kRecordLoad]);
    }
  }
  return running;
}

std::optional<UnitIdentification> MachineLiveDisplay::ApplyTriggerFrame(
    std::span<const uint8_t> frame, uint8_t triggerType) {
  if (frame.size() <= kFrameWeight) return std::nullopt;
  onlineCountdown_ = kOnlineTicks;
  state_.triggerOnlineVisible = true;
  const uint8_t inputs = frame[kFrameInputs];
  for (int i = 0; i < kTriggerInputs; ++i) state_.inputActive[i] = (inputs >> i) & 1;

  switch (triggerType) {
    case trigger::kTypeWeight3:
    case trigger::kTypeWeight4:
      if (inputs & kFrameNoWeight) {
        HideWeights();
        weightLabelInUse_ = -1;
      } else {
        const uint8_t active = inputs & kInputsMask;
        if (active != 0) {
          int lowest = 0;
          while (((active >> lowest) & 1) == 0) ++lowest;
          if (lowest != weightLabelInUse_) {
            HideWeights();
            weightLabelInUse_ = lowest;
          }
          lastWeight_ = frame[kFrameWeight];
        }
        if (weightLabelInUse_ >= 0) ShowWeight(weightLabelInUse_, lastWeight_);
      }
      break;
    case trigger::kTypeElectrolux:
      HideWeights();
      if ((inputs & kFrameNoWeight) && frame[kFrameWeight] > 0) {
        ShowWeight(kTriggerInputs - 1, frame[kFrameWeight]);
      }
      weightLabelInUse_ = -1;
      break;
    case trigger::kTypeMieleLogic:
      lastWeight_ = frame[kFrameWeight];
      if (lastWeight_ >= 1 && lastWeight_ <= kMaxLoadPercent) {
        ShowPercent(0, lastWeight_);
      } else {
        state_.weightVisible[0] = false;
      }
      break;
    default:
      break;
  }

  if (frame[0] != kTriggerIdentFrameCode || frame.size() <= kFrameVersion) return std::nullopt;
  const uint8_t unit = frame[kFrameUnit];
  state_.keyboardConnectedVisible = (unit & kUnitKeyboardFlag) != 0;
  state_.serialConnectionVisible = (unit & kUnitSerialFlag) != 0;
  UnitIdentification ident{static_cast<uint8_t>(unit & kUnitKindMask), frame[kFrameVersion], {}};
  if (frame.size() > kFrameProgramNumber) ident.programNumber = frame[kFrameProgramNumber];
  return ident;
}

std::optional<RunningLine> MachineLiveDisplay::ApplyGatewayRecord(std::span<const uint8_t> record) {
  if (record.size() < kGatewayRecordSize) return std::nullopt;
  onlineCountdown_ = kOnlineTicks;
  const uint8_t flags = record[kRecordFlags];
  if (flags & kFlagTriggerOnline) {
    state_.triggerOnlineVisible = true;
    state_.keyboardConnectedVisible = (flags & kFlagKeyboardConnected) != 0;
    state_.serialConnectionVisible = (flags & kFlagSerialConnection) != 0;
    SetKeyboardLocked((flags & kFlagKeyboardLocked) != 0);
    for (int i = 0; i < kTriggerInputs; ++i) {
      state_.inputActive[i] = (record[kRecordInputs] >> i) & 1;
    }
  } else {
    state_.triggerOnlineVisible = false;
    state_.keyboardConnectedVisible = false;
    state_.serialConnectionVisible = false;
    state_.inputActive.fill(false);
  }
  const int slot = record[kRecordSlot] & kSlotMask;
  std::optional<RunningLine> running;
  if (slot >= 1 && slot <= kProgramSlots) running = RunningLine{slot, record[kRecordLine]};
  Highlight(slot);
  return running;
}

bool MachineLiveDisplay::Tick() {
  if (onlineCountdown_ <= 0) return false;
  if (--onlineCountdown_ > 0) return false;
  state_.keyboardConnectedVisible = false;
  state_.triggerOnlineVisible = false;
  state_.serialConnectionVisible = false;
  keyboardLocked_ = false;
  state_.programGroupCaption = " Program ";
  return true;
}

void MachineLiveDisplay::Show() {
  state_.keyboardConnectedVisible = false;
  state_.triggerOnlineVisible = false;
  state_.serialConnectionVisible = false;
  keyboardLocked_ = false;
  state_.programGroupCaption = " Program ";
}

void MachineLiveDisplay::Clear() {
  HideWeights();
  state_.highlightedSlot = -1;
  weightLabelInUse_ = -1;
}

void MachineLiveDisplay::TriggerTypeChanged() {
  HideWeights();
  weightLabelInUse_ = -1;
}

void MachineLiveDisplay::SetKeyboardLocked(bool locked) {
  if (locked == keyboardLocked_) return;
  keyboardLocked_ = locked;
  state_.programGroupCaption = locked ? " Program, Keyboard locked " : " Program ";
}

void MachineLiveDisplay::Highlight(int slotNumber) {
  const int h = slotNumber - 1;
  if (h == state_.highlightedSlot) return;
  // Slots outside 1..6 leave every button plain but are remembered as they came.
  state_.highlightedSlot = h;
}

void MachineLiveDisplay::HideWeights() {
  state_.weightVisible.fill(false);
}

void MachineLiveDisplay::ShowWeight(int label, int halfKilograms) {
  char text[24];
  std::snprintf(text, sizeof text, "%d%c%dkg", halfKilograms / 2, decimalSeparator_,
                (halfKilograms % 2) * 5);
  state_.weightText[label] = text;
  state_.weightVisible[label] = true;
}

void MachineLiveDisplay::ShowPercent(int label, int percent) {
  state_.weightText[label] = std::to_string(percent) + "%";
  state_.weightVisible[label] = true;
}

}  // namespace vorel
