// The program editor's header row and Save, and following the controller's running line
// while "Debug" is checked.
#include <gtest/gtest.h>

#include "core/program/ProgramPanel.h"

namespace vorel {
namespace {

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
