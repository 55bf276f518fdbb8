// Program lines: the texts of a line and of the editor's grid, and inserting and
// deleting lines with the jump and input targets following their lines.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/config/InstructionSet.h"
#include "core/program/ProgramLines.h"
#include "support/ProgramBuilders.h"

namespace vorel {
namespace {

using namespace test;

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
