// Trigger setup rules: weights, keyboard lock, machine reset, type change, the
// type-specific areas and the identification line.
#include <gtest/gtest.h>

#include "core/trigger/TriggerSetup.h"

namespace vorel {
namespace {

TEST(TriggerSetup, MaxWeight) {
  struct Case {
    const char* text;
    uint8_t value;
  } cases[] = {{"7,5", 15},    {"7.5", 15}, {"7,3", 14},   {"7", 14},    {"junk", 0}, {"", 0},
               {"127,5", 255}, {"128", 0},  {"-0,5", 255}, {"7,5kg", 0}, {" 2,0 ", 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseMaxWeight(c.text), c.value);
  }
  EXPECT_EQ(MaxWeightText(15), "7,5");
  EXPECT_EQ(MaxWeightText(14), "7,0");
  EXPECT_EQ(MaxWeightText(0), "0,0");
  EXPECT_EQ(MaxWeightText(255), "127,5");
}

TEST(TriggerSetup, KeyboardLock) {
  EXPECT_EQ(KeyboardLockMask({2, 4, 6}), 42);
  EXPECT_EQ(KeyboardLockMask({0, 0, 0}), 0);
  EXPECT_EQ(KeyboardLockMask({3, 3, 0}), 4);
  EXPECT_EQ(KeyboardLockLists(42), (std::array<int, 3>{2, 4, 6}));
  EXPECT_EQ(KeyboardLockLists(0x0F), (std::array<int, 3>{1, 2, 3})) << "only the lowest three";
  EXPECT_EQ(KeyboardLockLists(0x10), (std::array<int, 3>{5, 0, 0}));
  EXPECT_EQ(KeyboardLockLists(0xC0), (std::array<int, 3>{0, 0, 0})) << "bits 6 and 7 are no inputs";
}

TEST(TriggerSetup, MachineReset) {
  struct Case {
    int position;
    uint8_t before, after;
  } cases[] = {
      {0, 0xFF, 0xF0},   // "-"
      {3, 0x10, 0x13},   // "Input 3"
      {9, 0xA0, 0xAB},   // "Input 3, falling edge": 3 with bit 3, bits 4..7 kept
      {12, 0x00, 0x0E},  // "Input 6, falling edge"
      {-1, 0x17, 0x10},  // nothing selected
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.position);
    EXPECT_EQ(MachineResetFlags(c.position, c.before), c.after);
    if (c.position >= 0) {
      EXPECT_EQ(MachineResetPosition(c.after), c.position);
    }
  }
}

TEST(TriggerSetup, ShowByType) {
  struct Case {
    uint8_t type;
    int position, height;
    bool volume, miele, electrolux, ethernet;
    const char* text;
  } cases[] = {
      {1, 0, 265, false, false, false, false, "Parallel Trigger box"},
      {5, 1, 615, true, true, false, false, "Miele Logic"},
      {6, 2, 600, false, false, true, false, "Electrolux Compass Pro"},
      {10, 3, 350, false, false, false, true, "Ethernet, Miele Logic"},
      {7, 4, 265, false, false, false, false, "Miele pulse length"},
      {3, -1, 350, true, false, false, false, ""},
      {4, -1, 350, true, false, false, false, ""},
      {9, -1, 265, false, false, false, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.type));
    TriggerData data;
    data.Reset();
    data.bytes[trigger::kType] = c.type;
    TriggerPanel panel;
    ShowTrigger(data, panel);
    EXPECT_EQ(panel.triggerTypeComboBox, c.position);
    EXPECT_EQ(panel.windowHeight, c.height);
    EXPECT_EQ(panel.volumeGroupVisible, c.volume);
    EXPECT_EQ(panel.mieleGroupVisible, c.miele);
    EXPECT_EQ(panel.electroluxGroupVisible, c.electrolux);
    EXPECT_EQ(panel.ethernetGroupVisible, c.ethernet);
    EXPECT_EQ(panel.typeText, c.text);
  }
}

TEST(TriggerSetup, StoreCommonFields) {
  TriggerData data;
  data.Reset();
  data.bytes[trigger::kFlags] = 0x10;
  TriggerPanel panel;
  ShowTrigger(data, panel);
  panel.lowLevelAdjustEdit = "30";
  panel.highLevelAdjustEdit = "junk";
  panel.maxWeightEdit = "7,5";
  panel.keyboardLockComboBox = {2, 4, 6};
  panel.keyboardLockDelayEdit = "300";  // low 8 bits: 44
  panel.machineResetComboBox = 9;
  panel.machineResetDelayEdit = "70000";  // low 16 bits: 4464
  StoreTrigger(panel, data);
  const auto& b = data.bytes;
  EXPECT_EQ(b[1], 30);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[3], 15);
  EXPECT_EQ(b[8], 42);
  EXPECT_EQ(b[9], 44);
  EXPECT_EQ(b[10], 0x1B);
  EXPECT_EQ(b[11], 0x70);
  EXPECT_EQ(b[12], 0x11);
}

TEST(TriggerSetup, MieleLogicTypeChangeAndTexts) {
  TriggerData data;
  data.Reset();
  data.bytes[trigger::kTypeArea + 100] = 0x77;
  EXPECT_TRUE(ChangeTriggerType(data, 1));
  EXPECT_EQ(data.TriggerType(), 5);
  EXPECT_EQ(data.bytes[trigger::kTypeArea + 100], 0) << "the old type area is discarded";
  TriggerPanel panel;
  ShowTrigger(data, panel);
  EXPECT_EQ(panel.mieleText,
            (std::array<std::string, 11>{"Wash program", "Fabric softner", "Level", "Prgm 1",
                                         "Prgm 2", "Prgm 3", "Softner", "", "High", "Mid", "Low"}));
  panel.mieleText[0] = "A header of more than sixteen";
  panel.mieleText[7] = "Softner2";  // exactly 8: no terminator
  panel.mieleSoftner2Btn = true;
  StoreTrigger(panel, data);
  EXPECT_EQ(data.MieleText(trigger::kMieleTexts[0]), "A header of more");
  EXPECT_EQ(data.MieleText(trigger::kMieleTexts[7]), "Softner2");
  EXPECT_EQ(data.bytes[trigger::kTypeArea + 72 + 7], '2');
  EXPECT_EQ(data.bytes[trigger::kTypeArea + 80], 'L') << "Header3 follows directly";
  EXPECT_EQ(data.bytes[trigger::kFlags] & trigger::kFlagSoftnerActive2,
            trigger::kFlagSoftnerActive2);

  // Choosing Miele Logic again keeps the edited texts.
  EXPECT_FALSE(ChangeTriggerType(data, 1));
  EXPECT_EQ(data.MieleText(trigger::kMieleTexts[0]), "A header of more");
  // Another type zeroes the whole type area.
  EXPECT_TRUE(ChangeTriggerType(data, 4));
  EXPECT_EQ(data.TriggerType(), 7);
  for (size_t i = trigger::kTypeArea; i < trigger::kSize; ++i) ASSERT_EQ(data.bytes[i], 0) << i;
  EXPECT_TRUE(ChangeTriggerType(data, -1));
  EXPECT_EQ(data.TriggerType(), 0);
}

TEST(TriggerSetup, ElectroluxProgramMap) {
  TriggerData data;
  data.Reset();
  ChangeTriggerType(data, 2);
  TriggerPanel panel;
  ShowTrigger(data, panel);
  panel.electroluxMachineProgramCombo.fill(0);
  panel.electroluxMachineProgramCombo[0] = 6;    // map 1: high half of byte 0
  panel.electroluxMachineProgramCombo[1] = 2;    // map 2: low half of byte 1
  panel.electroluxMachineProgramCombo[2] = 3;    // map 3: high half of byte 1
  panel.electroluxMachineProgramCombo[29] = 5;   // map 30: low half of byte 15
  panel.electroluxMachineProgramCombo[10] = -1;  // no selection becomes "Not in use"
  data.bytes[trigger::kTypeArea + 20] = 0x99;    // beyond the map: kept
  StoreTrigger(panel, data);
  const uint8_t* area = &data.bytes[trigger::kTypeArea];
  EXPECT_EQ(area[0], 0x60);
  EXPECT_EQ(area[1], 0x32);
  EXPECT_EQ(area[15], 0x05);
  EXPECT_EQ(area[20], 0x99);
  EXPECT_EQ(panel.electroluxMachineProgramCombo[10], 0);

  data.bytes[trigger::kTypeArea + 2] = 0x9F;  // map 4 = 15, map 5 = 9: no list item
  ShowTrigger(data, panel);
  EXPECT_EQ(panel.electroluxMachineProgramCombo[3], -1);
  EXPECT_EQ(panel.electroluxMachineProgramCombo[4], -1);
  EXPECT_EQ(panel.electroluxMachineProgramCombo[0], 6);
}

TEST(TriggerSetup, EthernetNumbersSignedBigEndian) {
  TriggerData data;
  data.Reset();
  ChangeTriggerType(data, 3);
  TriggerPanel panel;
  ShowTrigger(data, panel);
  panel.mieleEthernetSerialNumberEdit = "305419896";  // 0x12345678
  panel.mieleEthernetSerialMachineIDedit = "-2";
  StoreTrigger(panel, data);
  const uint8_t* area = &data.bytes[trigger::kTypeArea];
  EXPECT_EQ((std::vector<uint8_t>(area, area + 8)),
            (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFE}));
  ShowTrigger(data, panel);
  EXPECT_EQ(panel.mieleEthernetSerialMachineIDedit, "-2");
  panel.mieleEthernetSerialNumberEdit = "4294967295";  // not a signed 32-bit number
  StoreTrigger(panel, data);
  EXPECT_EQ(data.EthernetNumber(trigger::kEthernetSerial), 0);
}

TEST(TriggerSetup, IdentificationText) {
  TriggerData data;
  data.Reset();
  data.bytes[trigger::kUnitKind] = 0x21;
  data.bytes[trigger::kUnitVersion] = 0x32;
  EXPECT_EQ(IdentificationText(data), "TL4216, version: 2.3");
  data.bytes[trigger::kUnitKind] = 2;
  EXPECT_EQ(IdentificationText(data), "TL4210, version: 2.3");
  data.bytes[trigger::kUnitKind] = 7;
  EXPECT_EQ(IdentificationText(data), ", version: 2.3");
}

}  // namespace
}  // namespace vorel
