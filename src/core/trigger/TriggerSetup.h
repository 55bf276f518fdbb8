// The trigger setup window as data: which type is chosen, the edits and lists of
// its groups, which groups show and how tall the window is; how the trigger block
// fills them and how they are stored back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/TriggerData.h"

namespace vorel {

// The type list: text, code, list position = index.
struct TriggerTypeEntry {
  const char* text;
  uint8_t code;
};
inline constexpr std::array<TriggerTypeEntry, 5> kTriggerTypes = {{
    {"Parallel Trigger box", trigger::kTypeParallel},
    {"Miele Logic", trigger::kTypeMieleLogic},
    {"Electrolux Compass Pro", trigger::kTypeElectrolux},
    {"Ethernet, Miele Logic", trigger::kTypeMieleEthernet},
    {"Miele pulse length", trigger::kTypeMielePulse},
}};

// List position of a type code, -1 when the code has no entry.
int TriggerTypePosition(uint8_t code);
// The list text of a type code, empty when it has none.
std::string TriggerTypeText(uint8_t code);

namespace triggerform {
inline constexpr int kKeyboardLockLists = 3;
inline constexpr int kResetItems = 13;  // "-", "Input 1".."Input 6", the six falling edges
inline constexpr int kFallingEdgeOffset = 6;
inline constexpr int kNotInUse = 0;  // program-map item "Not in use"
inline constexpr int kProgramMapItems = 7;
inline constexpr int kHeightPlain = 265;
inline constexpr int kHeightVolume = 350;
inline constexpr int kHeightMiele = 615;
inline constexpr int kHeightElectrolux = 600;
inline constexpr int kHeightEthernet = 350;
inline constexpr int kElectroluxGroupTop = 190;
}  // namespace triggerform

// Members are named after the controls they stand for.
struct TriggerPanel {
  int triggerTypeComboBox = -1;
  std::string typeText;  // handed to the machine window's trigger group caption
  std::string lowLevelAdjustEdit;
  std::string highLevelAdjustEdit;
  std::string maxWeightEdit;
  // KeyboardLock1ComboBox..3: 0 "-", n "Input n".
  std::array<int, triggerform::kKeyboardLockLists> keyboardLockComboBox{};
  std::string keyboardLockDelayEdit;
  int machineResetComboBox = 0;
  std::string machineResetDelayEdit;
  // The Miele Logic texts in the order of trigger::kMieleTexts (Header1..3, Text11..33).
  std::array<std::string, trigger::kMieleTexts.size()> mieleText;
  bool mieleSoftner2Btn = false;
  std::array<int, trigger::kProgramMapCount> electroluxMachineProgramCombo{};
  std::string mieleEthernetSerialNumberEdit;
  std::string mieleEthernetSerialMachineIDedit;

  bool volumeGroupVisible = false;
  bool mieleGroupVisible = false;
  bool electroluxGroupVisible = false;
  bool ethernetGroupVisible = false;
  int windowHeight = triggerform::kHeightPlain;

  friend bool operator==(const TriggerPanel&, const TriggerPanel&) = default;
};

// "%d,%d": 14 shows 7,0 and 15 shows 7,5.
std::string MaxWeightText(uint8_t halfKilograms);
// The text with commas read as points, times two, truncated; 0 when unreadable.
uint8_t ParseMaxWeight(std::string_view text);

// The set bits 0..5, lowest first, fill the three lists; the rest show "-".
std::array<int, triggerform::kKeyboardLockLists> KeyboardLockLists(uint8_t mask);
uint8_t KeyboardLockMask(const std::array<int, triggerform::kKeyboardLockLists>& lists);

int MachineResetPosition(uint8_t flags);
// Bits 0..3 of the flags byte from the reset list; bits 4..7 kept.
uint8_t MachineResetFlags(int position, uint8_t flags);

// The trigger block into the panel (every control, the visible groups, the height).
void ShowTrigger(const TriggerData& data, TriggerPanel& panel);

// The panel back into the trigger block. The caller shows it again afterwards.
void StoreTrigger(TriggerPanel& panel, TriggerData& data);

// A new type chosen in the list (position, -1 none). When the code changes the type
// area is zeroed and Miele Logic gets its default texts. True when it changed.
bool ChangeTriggerType(TriggerData& data, int listPosition);

// The identification line: "TL4216, version: 1.2"; the unit kind and version
// bytes of the trigger block.
std::string IdentificationText(const TriggerData& data);

}  // namespace vorel
