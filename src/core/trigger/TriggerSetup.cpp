// Show, store and type change of the trigger setup.
#include "core/trigger/TriggerSetup.h"

#include <algorithm>
#include <cmath>

#include "core/base/Numbers.h"

namespace vorel {

using namespace trigger;
using namespace triggerform;

int TriggerTypePosition(uint8_t code) {
  for (size_t i = 0; i < kTriggerTypes.size(); ++i) {
    if (kTriggerTypes[i].code == code) return static_cast<int>(i);
  }
  return -1;
}

std::string TriggerTypeText(uint8_t code) {
  const int position = TriggerTypePosition(code);
  return position < 0 ? std::string() : kTriggerTypes[position].text;
}

std::string MaxWeightText(uint8_t halfKilograms) {
  return std::to_string(halfKilograms / 2) + "," + (halfKilograms % 2 ? "5" : "0");
}

uint8_t ParseMaxWeight(std::string_view text) {
  std::string withPoints(text);
  std::replace(withPoints.begin(), withPoints.end(), ',', '.');
  const std::optional<double> value = ParseDecimal(withPoints);
  if (!value || std::fabs(*value) > 1e9) return 0;
  return LowByte(static_cast<int64_t>(std::trunc(*value * 2)));
}

std::array<int, kKeyboardLockLists> KeyboardLockLists(uint8_t mask) {
  std::array<int, kKeyboardLockLists> lists{};
  int next = 0;
  for (int bit = 0; bit < 6 && next < kKeyboardLockLists; ++bit) {
    if ((mask >> bit) & 1) lists[next++] = bit + 1;
  }
  return lists;
}

uint8_t KeyboardLockMask(const std::array<int, kKeyboardLockLists>& lists) {
  uint8_t mask = 0;
  for (int input : lists) {
    if (input >= 1 && input <= 6) mask |= static_cast<uint8_t>(1 << (input - 1));
  }
  return mask;
}

int MachineResetPosition(uint8_t flags) {
  const int input = flags & kFlagResetInputMask;
  if (input == 0) return 0;
  return (flags & kFlagFallingEdge) ? input + kFallingEdgeOffset : input;
}

uint8_t MachineResetFlags(int position, uint8_t flags) {
  uint8_t low = 0;
  if (position >= 1 && position <= kFallingEdgeOffset) {
    low = static_cast<uint8_t>(position);
  } else if (position > kFallingEdgeOffset && position < kResetItems) {
    low = static_cast<uint8_t>((position - kFallingEdgeOffset) | kFlagFallingEdge);
  }
  return static_cast<uint8_t>((flags & 0xF0) | low);
}

void ShowTrigger(const TriggerData& data, TriggerPanel& panel) {
  const auto& b = data.bytes;
  const uint8_t type = data.TriggerType();
  panel.triggerTypeComboBox = TriggerTypePosition(type);
  panel.typeText = TriggerTypeText(type);
  panel.lowLevelAdjustEdit = std::to_string(b[kAdjustLow]);
  panel.highLevelAdjustEdit = std::to_string(b[kAdjustHigh]);
  panel.maxWeightEdit = MaxWeightText(b[kMaxWeight]);
  panel.keyboardLockComboBox = KeyboardLockLists(b[kLockInputMask]);
  panel.machineResetComboBox = MachineResetPosition(b[kFlags]);
  panel.keyboardLockDelayEdit = std::to_string(b[kLockInputDelay]);
  panel.machineResetDelayEdit = std::to_string(data.ResetMachineDelay());

  panel.volumeGroupVisible = false;
  panel.mieleGroupVisible = false;
  panel.electroluxGroupVisible = false;
  panel.ethernetGroupVisible = false;
  panel.windowHeight = kHeightPlain;
  switch (type) {
    case kTypeWeight3:
    case kTypeWeight4:
      panel.volumeGroupVisible = true;
      panel.windowHeight = kHeightVolume;
      break;
    case kTypeMieleLogic:
      for (size_t i = 0; i < kMieleTexts.size(); ++i)
        panel.mieleText[i] = data.MieleText(kMieleTexts[i]);
      panel.mieleSoftner2Btn = (b[kFlags] & kFlagSoftnerActive2) != 0;
      panel.volumeGroupVisible = true;
      panel.mieleGroupVisible = true;
      panel.windowHeight = kHeightMiele;
      break;
    case kTypeElectrolux:
      for (int n = 1; n <= kProgramMapCount; ++n) {
        const uint8_t value = data.ProgramMap(n);
        panel.electroluxMachineProgramCombo[n - 1] = value < kProgramMapItems ? value : -1;
      }
      panel.electroluxGroupVisible = true;
      panel.windowHeight = kHeightElectrolux;
      break;
    case kTypeMieleEthernet:
      panel.mieleEthernetSerialNumberEdit = std::to_string(data.EthernetNumber(kEthernetSerial));
      panel.mieleEthernetSerialMachineIDedit =
          std::to_string(data.EthernetNumber(kEthernetMachineId));
      panel.ethernetGroupVisible = true;
      panel.windowHeight = kHeightEthernet;
      break;
    default:
      break;
  }
}

void StoreTrigger(TriggerPanel& panel, TriggerData& data) {
  auto& b = data.bytes;
  b[kAdjustLow] = LowByte(StrToIntDef(panel.lowLevelAdjustEdit, 0));
  b[kAdjustHigh] = LowByte(StrToIntDef(panel.highLevelAdjustEdit, 0));
  b[kLockInputMask] = KeyboardLockMask(panel.keyboardLockComboBox);
  b[kFlags] = MachineResetFlags(panel.machineResetComboBox, b[kFlags]);
  b[kLockInputDelay] = LowByte(StrToIntDef(panel.keyboardLockDelayEdit, 0));
  data.SetResetMachineDelay(LowWord(StrToIntDef(panel.machineResetDelayEdit, 0)));
  b[kMaxWeight] = ParseMaxWeight(panel.maxWeightEdit);

  switch (data.TriggerType()) {
    case kTypeMieleLogic:
      for (size_t i = 0; i < kMieleTexts.size(); ++i)
        data.SetMieleText(kMieleTexts[i], panel.mieleText[i]);
      b[kFlags] = static_cast<uint8_t>(panel.mieleSoftner2Btn ? (b[kFlags] | kFlagSoftnerActive2)
                                                              : (b[kFlags] & ~kFlagSoftnerActive2));
      break;
    case kTypeElectrolux:
      std::fill_n(b.begin() + kTypeArea, 16, uint8_t{0});
      for (int n = 1; n <= kProgramMapCount; ++n) {
        int& position = panel.electroluxMachineProgramCombo[n - 1];
        if (position < 0 || position >= kProgramMapItems) position = kNotInUse;
        data.SetProgramMap(n, static_cast<uint8_t>(position));
      }
      break;
    case kTypeMieleEthernet:
      data.SetEthernetNumber(kEthernetSerial, StrToIntDef(panel.mieleEthernetSerialNumberEdit, 0));
      data.SetEthernetNumber(kEthernetMachineId,
                             StrToIntDef(panel.mieleEthernetSerialMachineIDedit, 0));
      break;
    default:
      break;
  }
}

bool ChangeTriggerType(TriggerData& data, int listPosition) {
  const uint8_t code = (listPosition >= 0 && listPosition < static_cast<int>(kTriggerTypes.size()))
                           ? kTriggerTypes[listPosition].code
                           : kTypeNone;
  if (code == data.TriggerType()) return false;
  data.ClearTypeArea();
  data.bytes[kType] = code;
  if (code == kTypeMieleLogic) data.FillMieleDefaults();
  return true;
}

std::string IdentificationText(const TriggerData& data) {
  const uint8_t kind = data.bytes[kUnitKind] & 0x0F;
  const uint8_t version = data.bytes[kUnitVersion];
  std::string text = kind == 1 ? "TL4216" : kind == 2 ? "TL4210" : "";
  return text + ", version: " + std::to_string(version & 0x0F) + "." + std::to_string(version >> 4);
}

}  // namespace vorel
