// Program lines: the instruction list, line texts, the parameter panel filled from and
// written into a line, the number-edit limits, and inserting and deleting lines.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "core/config/InstructionSet.h"
#include "core/program/ProgramLines.h"
#include "core/program/ProgramPanel.h"

namespace vorel {
namespace {

using Bytes = std::array<uint8_t, 6>;  // b0..b5

ProgramLine MakeLine(const Bytes& bytes) {
  ProgramLine programLine;
  for (size_t i = 0; i < bytes.size(); ++i) programLine.b[i] = bytes[i];
  return programLine;
}

Bytes FirstSix(const ProgramLine& programLine) {
  Bytes bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = programLine.b[i];
  return bytes;
}

TEST(InstructionTable, NamesAndSavedBytesInCodeOrder) {
  const char* names[] = {"Empty",       "Reset",      "Input wait",    "Input off wait",
                         "Input event", "Input jump", "Jump",          "Wait",
                         "Pump",        "Flush",      "Keyboard lock", "Pump, high volume"};
  const int saved[] = {0, 0, 5, 3, 5, 5, 1, 2, 5, 3, 0, 5};
  ASSERT_EQ(kInstructions.size(), 12u);
  for (size_t code = 0; code < kInstructions.size(); ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(kInstructions[code].name, names[code]);
    EXPECT_EQ(kInstructions[code].savedBytes, saved[code]);
    EXPECT_EQ(FindInstruction(names[code]), code);
  }
  EXPECT_EQ(FindInstruction("pump, HIGH volume"), 11);
  EXPECT_EQ(FindInstruction("Pump,high volume"), std::nullopt);
  EXPECT_EQ(FindInstruction(""), std::nullopt);
}

TEST(LineText, EveryInstruction) {
  struct Case {
    const char* name;
    Bytes bytes;
    const char* instruction;
    const char* parameters;
  } cases[] = {
      {"empty", {0x00}, " Empty", ""},
      {"reset", {0x01, 9, 9, 9, 9, 9}, " Reset", ""},
      {"keyboard lock", {0x0A}, " Keyboard lock", ""},
      {"high nibble of b0 is not the code", {0xF5}, " Input jump", ""},
      {"unknown code 12", {0x0C, 1, 2, 3}, "12 ???", ""},
      // Filter 2, input 1 to next, input 4 to line 7, input 5 to Reset:
      // b2 = 0x41, b3 = 0x05, targets 7 | 31 << 5 = 0x03E7.
      {"input wait example",
       {0x02, 2, 0x41, 0x05, 0xE7, 0x03},
       " Input wait",
       "F2, I1->Nxt, I4->L7, I5->Reset"},
      {"input wait, input 6 to line 24", {0x02, 0, 0x60, 0, 0x18, 0}, " Input wait", "I6->L24"},
      {"row B input 3 to line 1", {0x02, 0, 0, 0x03, 0x20, 0}, " Input wait", "I3->L1"},
      {"row C input 2 to Reset", {0x02, 0, 0, 0x20, 0, 0x7C}, " Input wait", "I2->Reset"},
      {"target 0 is unknown", {0x02, 0, 0x10, 0, 0, 0}, " Input wait", "I1->?"},
      {"unused row with a target is silent", {0x02, 0, 0, 0, 0x07, 0}, " Input wait", ""},
      {"input event never shows a next-line input", {0x04, 0, 0x01, 0, 0, 0}, " Input event", ""},
      {"input jump with filter", {0x05, 250, 0x20, 0, 0x03, 0}, " Input jump", "F250, I2->L3"},
      {"input off wait, slot 3 only", {0x03, 0, 0x02, 0}, " Input off wait", "I2"},
      {"input off wait, nothing", {0x03}, " Input off wait", ""},
      {"input off wait, all slots",
       {0x03, 0x21, 0x43, 0x65},
       " Input off wait",
       "I1, I2, I3, I4, I5, I6"},
      {"jump 7", {0x06, 7}, " Jump", "Jump L7"},
      {"jump 0", {0x06, 0}, " Jump", "Jump ?"},
      {"jump 25", {0x06, 25}, " Jump", "Jump ?"},
      {"wait 5000", {0x07, 0x88, 0x13}, " Wait", "Wait: 5000 sec"},
      {"wait 65535", {0x07, 0xFF, 0xFF}, " Wait", "Wait: 65535 sec"},
      {"pump example", {0x08, 0x13, 5, 10, 20, 30}, " Pump", "P3, D=5, FS, V=10/20/30"},
      {"pump none, long flush, wait bit", {0x08, 0x60, 0, 1, 2, 3}, " Pump", "P?, FL, V=1/2/3"},
      {"pump 9 and flush 3", {0x08, 0x39, 0, 0, 0, 0}, " Pump", "P?, V=0/0/0"},
      {"flush example", {0x09, 0x01, 0, 20}, " Flush", "T=20, To drain"},
      {"flush with delay, wait bit", {0x09, 0x02, 3, 10}, " Flush", "D=3, T=10"},
      {"high volume", {0x0B, 0x27, 4, 0xE8, 0x03, 25}, " Pump, high volume", "P7, D=4, FL, V=1000"},
      {"high volume, short flush",
       {0x0B, 0x11, 0, 0xFF, 0xFF, 0},
       " Pump, high volume",
       "P1, FS, V=65535"},
      {"high volume, nothing set", {0x0B}, " Pump, high volume", "P?, V=0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LineText text = RenderLine(MakeLine(c.bytes));
    EXPECT_EQ(text.instruction, c.instruction);
    EXPECT_EQ(text.parameters, c.parameters);
  }
}

TEST(LineText, GridRowsOfAClearedProgramAndTheCaption) {
  ProgramRecord program = ClearedProgram(1);
  for (int i = 0; i < kProgramLineCount; ++i) {
    const GridRow row = RenderGridRow(program, i);
    EXPECT_EQ(row[1], " Empty");
    EXPECT_EQ(row[2], "");
    EXPECT_EQ(row[3], "");
  }
  EXPECT_EQ(RenderGridRow(program, 0)[0], "  1");
  EXPECT_EQ(JoinGridRow(RenderGridRow(program, 23)), " 24\t Empty\t\t");
  program.Lines[8] = MakeLine({0x06, 3});
  program.LineComments[8] = "Rinse again";
  EXPECT_EQ(JoinGridRow(RenderGridRow(program, 8)), "  9\t Jump\tJump L3\tRinse again");
  EXPECT_EQ(ProgramEditorCaption(10, "Towels 60"), "Machine 10, Towels 60");
}

ProgramRecord ProgramWith(const Bytes& bytes, int lineIndex = 0) {
  ProgramRecord program = ClearedProgram(1);
  program.Lines[lineIndex] = MakeLine(bytes);
  return program;
}

TEST(ShowLine, InputBlock) {
  ProgramRecord program = ProgramWith({0x02, 2, 0x41, 0x05, 0xE7, 0x03});
  program.LineComments[0] = "Main wash";
  ParameterPanel panel;
  ShowLine(program, 0, panel);
  EXPECT_EQ(panel.instructionComboBox, 2);
  EXPECT_EQ(panel.visibleGroup, ParameterGroup::kInput);
  EXPECT_FALSE(panel.noParametersVisible);
  EXPECT_EQ(panel.instructionCommentEdit, "Main wash");
  EXPECT_EQ(panel.inputFilterEdit, "2");
  EXPECT_TRUE(panel.inputNextLineEnabled);
  EXPECT_EQ(panel.inputInput1Combo, 1);
  EXPECT_EQ(panel.inputInputCombo, (std::array<int, 3>{4, 5, 0}));
  EXPECT_EQ(panel.inputLineCombo, (std::array<int, 3>{6, kTargetListReset, kNoSelection}));
  EXPECT_EQ(panel.inputLineComboEnabled, (std::array<bool, 3>{true, true, false}));

  // Targets the list cannot show leave an enabled list without selection.
  program = ProgramWith({0x02, 0, 0x10, 0x02, 0x19, 0});  // A: 1 -> 25, B: 2 -> 0
  ShowLine(program, 0, panel);
  EXPECT_EQ(panel.inputLineCombo, (std::array<int, 3>{kNoSelection, kNoSelection, kNoSelection}));
  EXPECT_EQ(panel.inputLineComboEnabled, (std::array<bool, 3>{true, true, false}));
}

TEST(ShowLine, InputEventAndInputJumpClearTheirNextLineInput) {
  for (uint8_t code : {instruction::kInputEvent, instruction::kInputJump}) {
    SCOPED_TRACE(code);
    ProgramRecord program = ProgramWith({code, 7, 0x43, 0, 0x05, 0});
    ParameterPanel panel;
    ShowLine(program, 0, panel);
    EXPECT_FALSE(panel.inputNextLineEnabled);
    EXPECT_EQ(panel.inputInput1Combo, 0);
    EXPECT_EQ(FirstSix(program.Lines[0]), (Bytes{code, 7, 0x40, 0, 0x05, 0}));
  }
}

TEST(ShowLine, OtherGroups) {
  struct Case {
    const char* name;
    Bytes bytes;
    ParameterGroup group;
    std::function<void(const ParameterPanel&)> check;
  } cases[] = {
      {"input off wait",
       {0x03, 0x20, 0x90, 0x06},
       ParameterGroup::kInputOffWait,
       [](const ParameterPanel& p) {
         EXPECT_EQ(p.inputOffComboBox, (std::array<int, 6>{0, 2, 0, kNoSelection, 6, 0}));
       }},
      {"jump 24",
       {0x06, 24},
       ParameterGroup::kJump,
       [](const ParameterPanel& p) { EXPECT_EQ(p.jumpToLineCombo, 23); }},
      {"pump",
       {0x08, 0x53, 5, 10, 20, 30},
       ParameterGroup::kPump,
       [](const ParameterPanel& p) {
         EXPECT_EQ(p.pumpPumpCombo, 3);
         EXPECT_EQ(p.pumpDelayEdit, "5");
         EXPECT_EQ(p.pumpVolumeEdit, (std::array<std::string, 3>{"10", "20", "30"}));
         EXPECT_EQ(p.pumpFlushCombo, 1);
         EXPECT_TRUE(p.pumpWaitDispenseDoneBtn);
       }},
      {"pump 8 and flush 3",
       {0x08, 0x38},
       ParameterGroup::kPump,
       [](const ParameterPanel& p) {
         EXPECT_EQ(p.pumpPumpCombo, kNoneItem);
         EXPECT_EQ(p.pumpFlushCombo, kNoSelection);
         EXPECT_FALSE(p.pumpWaitDispenseDoneBtn);
       }},
      {"flush",
       {0x09, 0x02, 3, 20},
       ParameterGroup::kFlush,
       [](const ParameterPanel& p) {
         EXPECT_EQ(p.flushDelayEdit, "3");
         EXPECT_EQ(p.flushTimeEdit, "20");
         EXPECT_FALSE(p.flushToDrainBtn);
         EXPECT_TRUE(p.flushWaitDoneBtn);
       }},
      {"high volume",
       {0x0B, 0x67, 4, 0xE8, 0x03, 30},
       ParameterGroup::kPumpHighVolume,
       [](const ParameterPanel& p) {
         EXPECT_EQ(p.pumpHighPumpCombo, 7);
         EXPECT_EQ(p.pumpHighDelayEdit, "4");
         EXPECT_EQ(p.pumpHighVolumeEdit, "1000");
         EXPECT_EQ(p.pumpHighVolumeLowEdit, "30");
         EXPECT_EQ(p.pumpHighVolumeHighLabel, "60");
         EXPECT_EQ(p.pumpHighFlushCombo, 2);
         EXPECT_TRUE(p.pumpHighWaitDispenseDoneBtn);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ProgramWith(c.bytes);
    ParameterPanel panel;
    ShowLine(program, 0, panel);
    EXPECT_EQ(panel.visibleGroup, c.group);
    EXPECT_EQ(panel.instructionComboBox, c.bytes[0] & 0x0F);
    EXPECT_FALSE(panel.noParametersVisible);
    c.check(panel);
    EXPECT_EQ(FirstSix(program.Lines[0]), c.bytes);
  }
}

TEST(ShowLine, HighVolumeStartsWithTwentyFivePercent) {
  struct Case {
    const char* name;
    Bytes bytes;
    uint8_t lowAdjust;
    const char* highLabel;
  } cases[] = {
      {"new line", {0x0B}, 25, "50"},
      {"pump chosen, adjust 0 kept", {0x0B, 0x02}, 0, "0"},
      {"no pump, adjust 10 kept", {0x0B, 0, 0, 0, 0, 10}, 10, "20"},
      {"pump nibble 8 counts as no pump", {0x0B, 0x08}, 25, "50"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ProgramWith(c.bytes);
    ParameterPanel panel;
    ShowLine(program, 0, panel);
    EXPECT_EQ(program.Lines[0].b[5], c.lowAdjust);
    EXPECT_EQ(panel.pumpHighVolumeLowEdit, std::to_string(c.lowAdjust));
    EXPECT_EQ(panel.pumpHighVolumeHighLabel, c.highLabel);
  }
}

TEST(ShowLine, NoParametersUnknownCodesAndNoLine) {
  struct Case {
    const char* name;
    uint8_t code;
    int instruction;
    bool noParameters;
  } cases[] = {
      {"empty", 0, 0, true},
      {"reset", 1, 1, true},
      {"keyboard lock", 10, 10, true},
      {"unknown 12", 12, kNoSelection, false},
      {"unknown 15", 15, kNoSelection, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ProgramWith({c.code});
    program.LineComments[0] = "note";
    ParameterPanel panel;
    panel.visibleGroup = ParameterGroup::kWait;
    ShowLine(program, 0, panel);
    EXPECT_EQ(panel.instructionComboBox, c.instruction);
    EXPECT_EQ(panel.visibleGroup, ParameterGroup::kNone);
    EXPECT_EQ(panel.noParametersVisible, c.noParameters);
    EXPECT_EQ(panel.instructionCommentEdit, "note");
  }
  ProgramRecord program = ProgramWith({0x07});
  ParameterPanel panel;
  ShowLine(program, 0, panel);
  ShowLine(program, 24, panel);
  EXPECT_EQ(panel.instructionComboBox, kNoSelection);
  EXPECT_EQ(panel.visibleGroup, ParameterGroup::kNone);
  EXPECT_EQ(panel.waitSecondsEdit, "0");  // hidden groups keep their controls
}

// Shows the line, lets the case edit the panel, stores it and compares b0..b5.
struct StoreCase {
  const char* name;
  Bytes before;
  std::function<void(ParameterPanel&)> edit;
  Bytes after;
};

void RunStoreCases(const std::vector<StoreCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ProgramWith(c.before, 5);
    ParameterPanel panel;
    ShowLine(program, 5, panel);
    c.edit(panel);
    EXPECT_TRUE(StoreLine(program, 5, panel));
    EXPECT_EQ(FirstSix(program.Lines[5]), c.after);
  }
}

TEST(StoreLine, NumberRulesOfEveryField) {
  RunStoreCases({
      {"wait 70000 keeps its low 16 bits",
       {0x07},
       [](auto& p) { p.waitSecondsEdit = "70000"; },
       {0x07, 0x70, 0x11}},
      {"wait not a number", {0x07, 5}, [](auto& p) { p.waitSecondsEdit = "5s"; }, {0x07}},
      {"filter 300 keeps its low 8 bits",
       {0x02},
       [](auto& p) { p.inputFilterEdit = "300"; },
       {0x02, 44, 0, 0, 0xFF, 0x7F}},
      {"filter -1",
       {0x02},
       [](auto& p) { p.inputFilterEdit = "-1"; },
       {0x02, 255, 0, 0, 0xFF, 0x7F}},
      {"pump volume 300 stops at 255",
       {0x08},
       [](auto& p) { p.pumpVolumeEdit[1] = "300"; },
       {0x08, 0, 0, 0, 255, 0}},
      {"pump delay -2", {0x08}, [](auto& p) { p.pumpDelayEdit = "-2"; }, {0x08, 0, 254, 0, 0, 0}},
      {"pump volume empty",
       {0x08, 0, 0, 9, 9, 9},
       [](auto& p) { p.pumpVolumeEdit[2] = ""; },
       {0x08, 0, 0, 9, 9, 0}},
      {"flush time 256", {0x09}, [](auto& p) { p.flushTimeEdit = "256"; }, {0x09, 0, 0, 255}},
      {"high volume 70000 stops at 65535",
       {0x0B, 0x01, 0, 0, 0, 25},
       [](auto& p) { p.pumpHighVolumeEdit = "70000"; },
       {0x0B, 0x01, 0, 0xFF, 0xFF, 25}},
      {"low adjust empty reads 25",
       {0x0B, 0x01, 0, 0, 0, 40},
       [](auto& p) { p.pumpHighVolumeLowEdit = ""; },
       {0x0B, 0x01, 0, 0, 0, 25}},
      {"low adjust text reads 25",
       {0x0B, 0x01},
       [](auto& p) { p.pumpHighVolumeLowEdit = "x"; },
       {0x0B, 0x01, 0, 0, 0, 25}},
      {"low adjust 300",
       {0x0B, 0x01},
       [](auto& p) { p.pumpHighVolumeLowEdit = "300"; },
       {0x0B, 0x01, 0, 0, 0, 255}},
      {"low adjust 0",
       {0x0B, 0x01, 0, 0, 0, 25},
       [](auto& p) { p.pumpHighVolumeLowEdit = "0"; },
       {0x0B, 0x01, 0, 0, 0, 0}},
  });
}

TEST(StoreLine, FieldsOfEveryInstruction) {
  RunStoreCases({
      // 7 | 31 << 5 | 31 << 10 = 0x7FE7.
      {"input block example",
       {0x02},
       [](auto& p) {
         p.inputFilterEdit = "2";
         p.inputInput1Combo = 1;
         p.inputInputCombo = {4, 5, 0};
         p.inputLineCombo = {6, kTargetListReset, kNoSelection};
         p.inputLineComboEnabled = {true, true, false};
       },
       {0x02, 2, 0x41, 0x05, 0xE7, 0x7F}},
      {"enabled target without selection is 0, unused bit 15 kept",
       {0x02, 0, 0, 0, 0, 0x80},
       [](auto& p) {
         p.inputInputCombo = {1, 0, 0};
         p.inputLineCombo = {kNoSelection, 3, 3};
         p.inputLineComboEnabled = {true, false, false};
       },
       {0x02, 0, 0x10, 0, 0xE0, 0xFF}},
      {"input event stores no next-line input",
       {0x04},
       [](auto& p) { p.inputInput1Combo = 3; },
       {0x04, 0, 0, 0, 0xFF, 0x7F}},
      {"input off wait slots",
       {0x03},
       [](auto& p) { p.inputOffComboBox = {0, 0, 2, 0, kNoSelection, 6}; },
       {0x03, 0, 0x02, 0x60}},
      {"jump to line 7", {0x06}, [](auto& p) { p.jumpToLineCombo = 6; }, {0x06, 7}},
      {"jump without selection",
       {0x06, 7},
       [](auto& p) { p.jumpToLineCombo = kNoSelection; },
       {0x06, 0}},
      {"pump example",
       {0x08},
       [](auto& p) {
         p.pumpPumpCombo = 3;
         p.pumpDelayEdit = "5";
         p.pumpVolumeEdit = {"10", "20", "30"};
         p.pumpFlushCombo = 1;
         p.pumpWaitDispenseDoneBtn = false;
       },
       {0x08, 0x13, 5, 10, 20, 30}},
      {"pump, no flush selected, wait, bit 7 kept",
       {0x08, 0x80},
       [](auto& p) {
         p.pumpFlushCombo = kNoSelection;
         p.pumpWaitDispenseDoneBtn = true;
       },
       {0x08, 0xC0, 0, 0, 0, 0}},
      {"pump 9 from a file is stored as none",
       {0x08, 0x29},
       [](auto&) {},
       {0x08, 0x20, 0, 0, 0, 0}},
      {"flush example",
       {0x09},
       [](auto& p) {
         p.flushTimeEdit = "20";
         p.flushToDrainBtn = true;
       },
       {0x09, 0x01, 0, 20}},
      {"flush, wait only, other bits kept",
       {0x09, 0x81},
       [](auto& p) {
         p.flushToDrainBtn = false;
         p.flushWaitDoneBtn = true;
       },
       {0x09, 0x82, 0, 0}},
      {"high volume",
       {0x0B},
       [](auto& p) {
         p.pumpHighPumpCombo = 7;
         p.pumpHighDelayEdit = "4";
         p.pumpHighVolumeEdit = "1000";
         p.pumpHighFlushCombo = 2;
         p.pumpHighWaitDispenseDoneBtn = true;
       },
       {0x0B, 0x67, 4, 0xE8, 0x03, 25}},
      {"empty line takes nothing", {0x00}, [](auto& p) { p.jumpToLineCombo = 4; }, {0x00}},
      {"unknown code takes nothing",
       {0x0D, 1, 2, 3, 4, 5},
       [](auto& p) { p.waitSecondsEdit = "9"; },
       {0x0D, 1, 2, 3, 4, 5}},
  });
  ProgramRecord program;
  EXPECT_FALSE(StoreLine(program, -1, ParameterPanel{}));
  EXPECT_FALSE(StoreLine(program, 24, ParameterPanel{}));
}

TEST(ChangeInstruction, NewLinesTakeTheirDefaults) {
  struct Case {
    const char* name;
    uint8_t chosen;
    Bytes after;  // b0 keeps its high nibble 0xA0
  } cases[] = {
      {"pump: short flush, wait until done", instruction::kPump, {0xA8, 0x50, 0, 0, 0, 0}},
      // The default filter 5; rows without input send nowhere (Reset).
      {"input wait", instruction::kInputWait, {0xA2, 5, 0, 0, 0xFF, 0x7F}},
      {"input event", instruction::kInputEvent, {0xA4, 5, 0, 0, 0xFF, 0x7F}},
      {"high volume: 25 % low adjust", instruction::kPumpHighVolume, {0xAB, 0, 0, 0, 0, 25}},
      {"wait", instruction::kWait, {0xA7, 0, 0, 0, 0, 0}},
      {"same instruction: nothing resets", instruction::kJump, {0xA6, 12, 0, 0, 0, 0}},
      {"keyboard lock", instruction::kKeyboardLock, {0xAA, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ProgramWith({0xA6, 12}, 3);  // a Jump to line 12
    program.Lines[3].b[6] = 0x34;
    program.Lines[3].b[7] = 0x12;
    program.LineComments[3] = "old";
    ParameterPanel panel;
    ShowLine(program, 3, panel);
    panel.pumpFlushCombo = 2;  // left over from an earlier Pump line
    panel.pumpWaitDispenseDoneBtn = false;
    EXPECT_EQ(ChangeInstruction(program, 3, panel, c.chosen, "5"), c.chosen != instruction::kJump);
    EXPECT_EQ(FirstSix(program.Lines[3]), c.after);
    EXPECT_EQ(program.Lines[3].b[6], 0x34);
    EXPECT_EQ(program.Lines[3].b[7], 0x12);
    EXPECT_EQ(program.LineComments[3], c.chosen == instruction::kJump ? "old" : "");
    EXPECT_EQ(panel.instructionComboBox, c.chosen);
    EXPECT_EQ(panel.visibleGroup, GroupOf(c.chosen));
    EXPECT_EQ(panel.inputFilterEdit, c.chosen == instruction::kJump ? "" : "5");
  }
}

TEST(ChangeInstruction, StoresFirstAndKeepsALineOfTheSameInstruction) {
  ProgramRecord program = ProgramWith({0x02, 2, 0x41, 0x05, 0xE7, 0x7F});
  program.LineComments[0] = "keep";
  ParameterPanel panel;
  ShowLine(program, 0, panel);
  panel.inputFilterEdit = "9";
  EXPECT_FALSE(ChangeInstruction(program, 0, panel, instruction::kInputWait, "5"));
  EXPECT_EQ(FirstSix(program.Lines[0]), (Bytes{0x02, 9, 0x41, 0x05, 0xE7, 0x7F}));
  EXPECT_EQ(program.LineComments[0], "keep");
  EXPECT_EQ(panel.inputFilterEdit, "9");

  // An Input wait line that sent input 1 on to the next line becomes an Input event.
  EXPECT_TRUE(ChangeInstruction(program, 0, panel, instruction::kInputEvent, "5"));
  EXPECT_EQ(ReadInputBlock(program.Lines[0]).nextInput, 0);
  EXPECT_EQ(panel.inputInput1Combo, 0);

  EXPECT_FALSE(ChangeInstruction(program, 24, panel, instruction::kWait, "5"));
}

TEST(PanelEvents, InputRowLowAdjustAndComment) {
  ProgramRecord program = ProgramWith({0x02, 0, 0x10, 0, 0x03, 0});  // A: input 1 -> line 3
  ParameterPanel panel;
  ShowLine(program, 0, panel);
  panel.inputInputCombo[0] = kNoneItem;
  ChangeInputRow(program, 0, panel, 0);
  EXPECT_FALSE(panel.inputLineComboEnabled[0]);
  EXPECT_EQ(panel.inputLineCombo[0], kNoSelection);
  EXPECT_EQ(FirstSix(program.Lines[0]), (Bytes{0x02, 0, 0, 0, 0xFF, 0x7F}));

  panel.inputInputCombo[2] = 6;
  ChangeInputRow(program, 0, panel, 2);
  EXPECT_TRUE(panel.inputLineComboEnabled[2]);
  EXPECT_EQ(FirstSix(program.Lines[0]), (Bytes{0x02, 0, 0, 0x60, 0xFF, 0x03}));

  struct Case {
    const char* text;
    uint8_t stored;
    const char* label;
  } cases[] = {{"30", 30, "60"}, {"", 25, ""}, {"abc", 25, ""}, {"200", 200, "400"}};
  program = ProgramWith({0x0B, 0x01});
  ShowLine(program, 0, panel);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    panel.pumpHighVolumeLowEdit = c.text;
    ChangeLowAdjust(program, 0, panel);
    EXPECT_EQ(program.Lines[0].b[5], c.stored);
    EXPECT_EQ(panel.pumpHighVolumeHighLabel, c.label);
  }

  panel.pumpHighDelayEdit = "8";
  panel.instructionCommentEdit = "Softener";
  ChangeLineComment(program, 0, panel);
  EXPECT_EQ(program.LineComments[0], "Softener");
  EXPECT_EQ(program.Lines[0].b[2], 8);
}

TEST(NumberEdits, AcceptOnlyWhatTheFieldHolds) {
  struct Case {
    const char* control;
    const char* text;
    bool accepted;
  } cases[] = {
      {"InputFilterEdit", "", true},          {"InputFilterEdit", "255", true},
      {"InputFilterEdit", "256", false},      {"InputFilterEdit", "300", false},
      {"InputFilterEdit", "-1", false},       {"InputFilterEdit", "007", true},
      {"WaitSecondsEdit", "65535", true},     {"WaitSecondsEdit", "65536", false},
      {"WaitSecondsEdit", "70000", false},    {"WaitSecondsEdit", "99999999999", false},
      {"PumpVolume2Edit", "300", false},      {"PumpDelayEdit", "+5", false},
      {"FlushTimeEdit", " 5", false},         {"FlushDelayEdit", "1.5", false},
      {"PumpHighVolumeEdit", "65535", true},  {"PumpHighVolumeEdit", "65536", false},
      {"PumpHighVolumeLowEdit", "255", true}, {"PumpHighVolumeLowEdit", "256", false},
      {"PumpHighDelayEdit", "abc", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.control) + " '" + c.text + "'");
    const NumberEditLimit* limit = FindNumberEditLimit(c.control);
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(IsAcceptableNumberText(*limit, c.text), c.accepted);
  }
  EXPECT_EQ(FindNumberEditLimit("JumpToLineCombo"), nullptr);
  EXPECT_EQ(FindNumberEditLimit("PumpHighVolumeLowEdit")->emptyValue, 25);
  EXPECT_EQ(FindNumberEditLimit("FlushTimeEdit")->emptyValue, 0);
}

// Whatever a number edit accepts is stored unchanged: its highest value comes back as typed.
TEST(NumberEdits, HighestAcceptedValueIsStoredUnchanged) {
  struct Case {
    const char* control;
    uint8_t code;
    std::string ParameterPanel::*edit;
  } cases[] = {
      {"InputFilterEdit", instruction::kInputWait, &ParameterPanel::inputFilterEdit},
      {"WaitSecondsEdit", instruction::kWait, &ParameterPanel::waitSecondsEdit},
      {"PumpDelayEdit", instruction::kPump, &ParameterPanel::pumpDelayEdit},
      {"FlushDelayEdit", instruction::kFlush, &ParameterPanel::flushDelayEdit},
      {"FlushTimeEdit", instruction::kFlush, &ParameterPanel::flushTimeEdit},
      {"PumpHighDelayEdit", instruction::kPumpHighVolume, &ParameterPanel::pumpHighDelayEdit},
      {"PumpHighVolumeEdit", instruction::kPumpHighVolume, &ParameterPanel::pumpHighVolumeEdit},
      {"PumpHighVolumeLowEdit", instruction::kPumpHighVolume,
       &ParameterPanel::pumpHighVolumeLowEdit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    const NumberEditLimit* limit = FindNumberEditLimit(c.control);
    ASSERT_NE(limit, nullptr);
    ProgramRecord program = ProgramWith({c.code, 0x01});
    ParameterPanel panel;
    ShowLine(program, 0, panel);
    panel.*c.edit = std::to_string(limit->highest);
    ASSERT_TRUE(IsAcceptableNumberText(*limit, panel.*c.edit));
    StoreLine(program, 0, panel);
    ParameterPanel shown;
    ShowLine(program, 0, shown);
    EXPECT_EQ(shown.*c.edit, std::to_string(limit->highest));
  }
  for (int volume = 0; volume < 3; ++volume) {
    ProgramRecord program = ProgramWith({instruction::kPump});
    ParameterPanel panel;
    ShowLine(program, 0, panel);
    panel.pumpVolumeEdit[volume] = "255";
    StoreLine(program, 0, panel);
    EXPECT_EQ(program.Lines[0].b[3 + volume], 255);
  }
}

// Lines that carry targets, for the renumbering tables: a Jump (first target only) or an
// Input wait with inputs 1, 2, 3 in rows A, B, C.
struct TargetLine {
  int number;  // 1..24
  uint8_t code;
  std::array<int, 3> targets;
};

ProgramRecord ProgramOf(const std::vector<TargetLine>& lines) {
  ProgramRecord program = ClearedProgram(1);
  for (const auto& l : lines) {
    ProgramLine& programLine = program.Lines[l.number - 1];
    programLine.SetCode(l.code);
    if (l.code == instruction::kJump) {
      programLine.b[1] = static_cast<uint8_t>(l.targets[0]);
    } else {
      WriteInputBlock(programLine,
                      {0,
                       0,
                       {1, 2, 3},
                       {static_cast<uint8_t>(l.targets[0]), static_cast<uint8_t>(l.targets[1]),
                        static_cast<uint8_t>(l.targets[2])}});
    }
    program.LineComments[l.number - 1] = "line " + std::to_string(l.number);
  }
  return program;
}

struct RenumberCase {
  const char* name;
  std::vector<TargetLine> before;
  int position;  // 1..24
  std::vector<TargetLine> after;
};

void ExpectLines(const ProgramRecord& actual, const std::vector<TargetLine>& lines) {
  const ProgramRecord expected = ProgramOf(lines);
  for (int i = 0; i < kProgramLineCount; ++i) {
    SCOPED_TRACE("line " + std::to_string(i + 1));
    EXPECT_EQ(FirstSix(actual.Lines[i]), FirstSix(expected.Lines[i]));
  }
}

TEST(InsertLine, TargetsFollowTheirLines) {
  const uint8_t J = instruction::kJump;
  const uint8_t W = instruction::kInputWait;
  const RenumberCase cases[] = {
      {"at line 1 every line target moves",
       {{5, J, {1}}, {3, W, {1, 23, 24}}},
       1,
       {{6, J, {2}}, {4, W, {2, 24, 24}}}},
      {"0 and Reset never change", {{2, W, {0, 31, 2}}}, 1, {{3, W, {0, 31, 3}}}},
      {"backward jump in a moved line stays", {{10, J, {3}}}, 8, {{11, J, {3}}}},
      {"forward jump from an unmoved line follows", {{2, J, {10}}}, 5, {{2, J, {11}}}},
      {"a target of the inserted position moves on",
       {{1, J, {5}}, {2, J, {4}}},
       5,
       {{1, J, {6}}, {2, J, {4}}}},
      {"unmoved input targets", {{4, W, {4, 5, 24}}}, 5, {{4, W, {4, 6, 24}}}},
      {"line 24 is lost", {{24, J, {1}}, {23, J, {23}}}, 1, {{24, J, {24}}}},
      {"at line 24", {{24, J, {3}}, {1, J, {24}}, {2, J, {23}}}, 24, {{1, J, {24}}, {2, J, {23}}}},
      {"jump targets beyond 24 stay", {{1, J, {25}}, {2, J, {0}}}, 1, {{2, J, {25}}, {3, J, {0}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ProgramOf(c.before);
    ASSERT_TRUE(InsertLine(program, c.position - 1));
    ExpectLines(program, c.after);
    EXPECT_EQ(program.LineComments[c.position - 1], "");
  }
}

TEST(DeleteLine, TargetsFollowTheirLines) {
  const uint8_t J = instruction::kJump;
  const uint8_t W = instruction::kInputWait;
  const RenumberCase cases[] = {
      {"line 1: old line 2 moves up", {{2, J, {5}}, {3, J, {1}}}, 1, {{1, J, {4}}, {2, J, {1}}}},
      {"a target of the deleted line names its successor", {{1, J, {5}}}, 5, {{1, J, {5}}}},
      {"backward jump in a moved line stays", {{10, J, {3}}}, 8, {{9, J, {3}}}},
      {"forward jump from an unmoved line follows", {{2, J, {10}}}, 5, {{2, J, {9}}}},
      {"input targets",
       {{3, W, {24, 1, 23}}, {7, W, {0, 31, 2}}},
       2,
       {{2, W, {23, 1, 22}}, {6, W, {0, 31, 2}}}},
      {"line 24", {{24, J, {1}}, {1, J, {24}}, {2, J, {23}}}, 24, {{1, J, {24}}, {2, J, {23}}}},
      {"jump targets beyond 24 stay", {{2, J, {25}}}, 1, {{1, J, {25}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ProgramOf(c.before);
    ASSERT_TRUE(DeleteLine(program, c.position - 1));
    ExpectLines(program, c.after);
    EXPECT_EQ(program.LineComments[23], "");
  }
}

// Every line carries its position in the high nibble of b0 and in b6..b7.
ProgramRecord MarkedProgram() {
  ProgramRecord program;
  for (int i = 0; i < kProgramLineCount; ++i) {
    ProgramLine& programLine = program.Lines[i];
    programLine.b = {static_cast<uint8_t>((i % 16) << 4 | instruction::kWait),
                     static_cast<uint8_t>(i + 1),
                     0,
                     0,
                     0,
                     0,
                     static_cast<uint8_t>(0x80 + i),
                     static_cast<uint8_t>(0x40 + i)};
    program.LineComments[i] = "c" + std::to_string(i + 1);
  }
  return program;
}

TEST(InsertAndDelete, PositionBitsStayAndInstructionsMove) {
  struct Case {
    const char* name;
    bool insert;
    int emptied;                   // index of the line left Empty
    std::function<int(int)> from;  // where the content now at an index came from
  } cases[] = {
      {"insert at line 3", true, 2, [](int i) { return i < 2 ? i : i - 1; }},
      {"delete line 3", false, 23, [](int i) { return i < 2 ? i : i + 1; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = MarkedProgram();
    ASSERT_TRUE(c.insert ? InsertLine(program, 2) : DeleteLine(program, 2));
    for (int i = 0; i < kProgramLineCount; ++i) {
      SCOPED_TRACE(i);
      const ProgramLine& programLine = program.Lines[i];
      EXPECT_EQ(programLine.b[6], 0x80 + i);
      EXPECT_EQ(programLine.b[7], 0x40 + i);
      if (i == c.emptied) {
        EXPECT_EQ(FirstSix(programLine),
                  (Bytes{static_cast<uint8_t>((i % 16) << 4), 0, 0, 0, 0, 0}));
        EXPECT_EQ(program.LineComments[i], "");
      } else {
        EXPECT_EQ(programLine.b[0], (i % 16) << 4 | instruction::kWait);
        EXPECT_EQ(programLine.b[1], c.from(i) + 1);
        EXPECT_EQ(program.LineComments[i], "c" + std::to_string(c.from(i) + 1));
      }
    }
  }
}

TEST(InsertAndDelete, InputBytesBesideTheTargetsAreKept) {
  // Filter 2, next 1, A 4 -> 7, B 5 -> Reset, C none -> 0, unused bit 15 set: 0x83E7.
  ProgramRecord program = ProgramWith({0x02, 2, 0x41, 0x05, 0xE7, 0x83}, 9);
  ASSERT_TRUE(InsertLine(program, 3));
  EXPECT_EQ(FirstSix(program.Lines[10]), (Bytes{0x02, 2, 0x41, 0x05, 0xE8, 0x83}));
  ASSERT_TRUE(DeleteLine(program, 0));
  ASSERT_TRUE(DeleteLine(program, 0));
  EXPECT_EQ(FirstSix(program.Lines[8]), (Bytes{0x02, 2, 0x41, 0x05, 0xE6, 0x83}));
}

TEST(InsertAndDelete, NoLineNoChange) {
  const ProgramRecord original = MarkedProgram();
  for (int index : {-1, 24}) {
    SCOPED_TRACE(index);
    ProgramRecord program = original;
    EXPECT_FALSE(InsertLine(program, index));
    EXPECT_FALSE(DeleteLine(program, index));
    EXPECT_EQ(program, original);
  }
}

}  // namespace
}  // namespace vorel
