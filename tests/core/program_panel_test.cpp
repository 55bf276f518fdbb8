// The program editor's panels: the parameter panel filled from and written into a line,
// the number-edit limits, the header row and Save, and following the running line.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/config/InstructionSet.h"
#include "core/program/ProgramPanel.h"
#include "support/ProgramBuilders.h"

namespace vorel {
namespace {

using namespace test;

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
    // In every case the filter edit takes the system's default.
    EXPECT_EQ(panel.inputFilterEdit, "5");
  }
}

TEST(ChangeInstruction, ALineChosenAgainKeepsItsTargetsAndTakesTheDefaultFilter) {
  ProgramRecord program = ProgramWith({0x02, 2, 0x41, 0x05, 0xE7, 0x7F});
  program.LineComments[0] = "keep";
  ParameterPanel panel;
  ShowLine(program, 0, panel);
  panel.inputFilterEdit = "9";
  EXPECT_FALSE(ChangeInstruction(program, 0, panel, instruction::kInputWait, "5"));
  // The line keeps its targets and comment; its filter goes back to the system's.
  EXPECT_EQ(FirstSix(program.Lines[0]), (Bytes{0x02, 5, 0x41, 0x05, 0xE7, 0x7F}));
  EXPECT_EQ(program.LineComments[0], "keep");
  EXPECT_EQ(panel.inputFilterEdit, "5");

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
    const NumberEditRule* limit = FindNumberEditRule(c.control);
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(CheckNumberEditText(*limit, c.text) == NumberTextState::kAccepted, c.accepted);
  }
  EXPECT_EQ(FindNumberEditRule("JumpToLineCombo"), nullptr);
  EXPECT_EQ(FindNumberEditRule("PumpHighVolumeLowEdit")->emptyValue, 25);
  EXPECT_EQ(FindNumberEditRule("FlushTimeEdit")->emptyValue, 0);
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
    const NumberEditRule* limit = FindNumberEditRule(c.control);
    ASSERT_NE(limit, nullptr);
    ProgramRecord program = ProgramWith({c.code, 0x01});
    ParameterPanel panel;
    ShowLine(program, 0, panel);
    panel.*c.edit = std::to_string(limit->highest);
    ASSERT_EQ(CheckNumberEditText(*limit, panel.*c.edit), NumberTextState::kAccepted);
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

TEST(ProgramHeader, DefaultLevelOutsideTheListSelectsNothing) {
  struct Case {
    const char* name;
    int storedLevel;
    int listPosition;
  } cases[] = {
      {"none", 0, 0},
      {"high", 3, 3},
      {"from a file, 4", 4, kNoSelection},
      {"negative", -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRecord program = ClearedProgram(2);
    program.DefaultLevel = c.storedLevel;
    EXPECT_EQ(HeaderOf(program).defaultLevelComboBox, c.listPosition);
  }
  const ProgramHeader cleared = HeaderOf(ClearedProgram(4));
  EXPECT_EQ(cleared.programNameEdit, "Program 4");
  EXPECT_TRUE(cleared.programCommentEdit.empty());
  EXPECT_FALSE(cleared.activeBtn);
  EXPECT_TRUE(cleared.softnerBtn);
  EXPECT_TRUE(cleared.defaultSoftnerBtn);
  EXPECT_EQ(cleared.defaultLevelComboBox, 2);
}

TEST(SaveProgram, HeaderAndWholeLinesGoToTheStoredRecord) {
  ProgramRecord working = ClearedProgram(1);
  working.Name = "working name is not saved";
  working.Lines[0].b = {0xA8, 0x13, 5, 10, 20, 30, 0x12, 0x34};
  working.Lines[23].b = {0x07, 0x10, 0x27, 0, 0, 0, 0, 0};
  working.LineComments[0] = "Prewash";

  ProgramRecord stored = ClearedProgram(1);
  stored.Lines[5].b[7] = 0x99;
  const ProgramHeader header{"Cottons 60", "Hotel towels", true, false, false, 1};
  SaveProgram(header, working, stored);

  EXPECT_EQ(stored.Name, "Cottons 60");
  EXPECT_EQ(stored.Comment, "Hotel towels");
  EXPECT_TRUE(stored.Active);
  EXPECT_FALSE(stored.Softner);
  EXPECT_FALSE(stored.DefaultSoftner);
  EXPECT_EQ(stored.DefaultLevel, 1);
  EXPECT_EQ(stored.Lines, working.Lines);
  EXPECT_EQ(stored.LineComments, working.LineComments);
}

TEST(SaveProgram, DefaultLevelOutsideTheListIsStoredAsHigh) {
  struct Case {
    const char* name;
    int listPosition;
    int stored;
  } cases[] = {
      {"none", 0, 0},
      {"mid", 2, 2},
      {"high", 3, 3},
      {"nothing selected", kNoSelection, 3},
      {"beyond the list", 4, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramHeader header = HeaderOf(ClearedProgram(1));
    header.defaultLevelComboBox = c.listPosition;
    ProgramRecord stored;
    SaveProgram(header, ClearedProgram(1), stored);
    EXPECT_EQ(stored.DefaultLevel, c.stored);
  }
}

TEST(DebugFollow, ReportsSelectTheRunningLine) {
  struct Case {
    const char* name;
    uint8_t lineByte;
    std::optional<int> lineIndex;
  } cases[] = {
      {"line 1", 0x01, 0},
      {"line 24", 0x18, 23},
      {"high two bits are not the line", 0xC5, 4},
      {"no line running", 0x00, std::nullopt},
      {"line 25 does not exist", 0x19, std::nullopt},
      {"line 63 does not exist", 0x3F, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DebugFollow follow;
    EXPECT_EQ(follow.Report(c.lineByte), c.lineIndex);
    EXPECT_EQ(follow.IndicatorLit(), c.lineIndex.has_value());
  }
}

TEST(DebugFollow, IndicatorGoesOutTenTicksAfterTheLastReport) {
  DebugFollow follow;
  EXPECT_FALSE(follow.Tick());
  ASSERT_TRUE(follow.Report(3));
  for (int tick = 1; tick < DebugFollow::kCountdownTicks; ++tick) {
    SCOPED_TRACE(tick);
    EXPECT_FALSE(follow.Tick());
  }
  // A new report restarts the count; a report without a line does not.
  ASSERT_TRUE(follow.Report(4));
  EXPECT_FALSE(follow.Report(0));
  for (int tick = 1; tick < DebugFollow::kCountdownTicks; ++tick) EXPECT_FALSE(follow.Tick());
  EXPECT_TRUE(follow.IndicatorLit());
  EXPECT_TRUE(follow.Tick());
  EXPECT_FALSE(follow.IndicatorLit());
  EXPECT_FALSE(follow.Tick());

  ASSERT_TRUE(follow.Report(9));
  follow.Stop();
  EXPECT_FALSE(follow.IndicatorLit());
  for (int tick = 0; tick <= DebugFollow::kCountdownTicks; ++tick) EXPECT_FALSE(follow.Tick());
}

}  // namespace
}  // namespace vorel
