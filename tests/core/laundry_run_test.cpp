// The simulated laundry against programs built byte by byte and times worked out by
// hand: which line runs, which pump and valve are on, which input the washing machine
// gives, at each moment; and that a run stepped finely and one stepped at once agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/simulation/LaundryRun.h"
#include "support/ProgramBuilders.h"

namespace vorel::sim {
namespace {

using test::Bytes;
using test::RunningMemory;

constexpr uint8_t kOnline = 0x01;
constexpr uint8_t kLocked = 0x05;  // online and keyboard locked
constexpr Bytes kWait100 = {0x07, 100, 0};

// What the controller shows of machine index `m` and of the whole laundry.
struct Moment {
  uint32_t at;
  uint8_t line;
  uint8_t pumps;
  uint16_t outputs;
  uint8_t inputs = 0;
  uint8_t flags = kOnline;
};

void ExpectMoment(const LaundryRun& run, size_t m, const Moment& want) {
  SCOPED_TRACE("at " + std::to_string(want.at) + " ms");
  const MachineReport report = run.Report(m);
  EXPECT_EQ(report.line, want.line);
  EXPECT_EQ(report.slot, want.line > 0 ? 1 : 0);
  EXPECT_EQ(report.flags, want.flags);
  EXPECT_EQ(report.inputs, want.inputs);
  EXPECT_EQ(run.Pumps(), want.pumps);
  EXPECT_EQ(run.Outputs(), want.outputs);
}

TEST(LaundryRun, PumpWaitJumpRunsLineByLine) {
  // Machine 3 first starts at 9 s. Pump 5, 20 ml at Mid, 50 s per 100 ml: 10 s; Wait
  // 5 s; Jump to line 1 takes a line's step of 1 s.
  const ControllerImage memory =
      RunningMemory(2, {{0x08, 0x05, 0, 10, 20, 30}, {0x07, 5}, {0x06, 1}});
  const std::vector<Moment> moments = {
      {0, 0, 0, 0},
      {8999, 0, 0, 0},
      {9000, 1, 0x10, 0x0004},
      {18999, 1, 0x10, 0x0004},
      {19000, 2, 0, 0x0004},
      {23999, 2, 0, 0x0004},
      {24000, 3, 0, 0x0004},
      {24999, 3, 0, 0x0004},
      {25000, 1, 0x10, 0x0004},
      {35000, 2, 0, 0x0004},
  };
  LaundryRun stepped;
  uint32_t now = 0;
  for (const Moment& moment : moments) {
    stepped.Advance(memory, moment.at - now);
    now = moment.at;
    ExpectMoment(stepped, 2, moment);
    LaundryRun atOnce;
    atOnce.Advance(memory, moment.at);
    ExpectMoment(atOnce, 2, moment);
    for (size_t other : {0u, 1u, 3u, 9u}) EXPECT_EQ(stepped.Report(other), MachineReport{});
  }
}

TEST(LaundryRun, EachInstructionOverTime) {
  struct Case {
    std::string name;
    std::vector<Bytes> lines;
    std::vector<Moment> moments;  // `at` counted from the machine's start, 3 s in
    uint8_t level = 2;
    uint8_t secondsPer100Ml = 50;
  };
  const std::vector<Case> cases = {
      {"pump 3 at Low: a 2 s delay, 10 ml in 5 s, the 5 s short flush",
       {{0x08, 0x13, 2, 10, 20, 30}, kWait100},
       {{1999, 1, 0, 0x0001}, {2000, 1, 0x04, 0x0001}, {7000, 1, 0, 0x0401}, {12000, 2, 0, 1}},
       1},
      {"high volume at High: 1000 ml and twice the 25 % low adjust",
       {{0x0B, 0x01, 0, 0xE8, 0x03, 25}, kWait100},
       {{14999, 1, 0x01, 0x0001}, {15000, 2, 0, 0x0001}},
       3,
       1},
      {"a dose stops after five minutes",
       {{0x0B, 0x01, 0, 0xFF, 0xFF, 0}, kWait100},
       {{299999, 1, 0x01, 0x0001}, {300000, 2, 0, 0x0001}},
       2,
       250},
      {"an uncalibrated pump doses 30 ml per minute",
       {{0x08, 0x07, 0, 0, 10, 0}, kWait100},
       {{19999, 1, 0x40, 0x0001}, {20000, 2, 0, 0x0001}},
       2,
       0},
      {"input wait: input 3 comes after 3 s and holds the 2 s filter",
       {{0x02, 2, 0x03, 0, 0, 0}, kWait100},
       {{2999, 1, 0, 1, 0}, {3000, 1, 0, 1, 0x04}, {4999, 1, 0, 1, 0x04}, {5000, 2, 0, 1, 0}}},
      {"input jump: input 2 of row A leads to line 4",
       {{0x05, 0, 0x20, 0, 4, 0}, kWait100, kWait100, kWait100},
       {{3000, 1, 0, 0x0001, 0x02}, {4000, 4, 0, 0x0001}}},
      {"input event: a Reset target ends the program",
       {{0x04, 0, 0x60, 0, 31, 0}, kWait100},
       {{3000, 1, 0, 0x0001, 0x20}, {4000, 0, 0, 0}}},
      {"input off wait: inputs 1 and 5 go off after 3 s",
       {{0x03, 0x51, 0, 0}, kWait100},
       {{2999, 1, 0, 0x0001, 0x11}, {3000, 2, 0, 0x0001}}},
      {"drain flush: water and drain for 2 s after 1 s",
       {{0x09, 0x01, 1, 2}, kWait100},
       {{999, 1, 0, 0x0001}, {1000, 1, 0, 0x0C01}, {3000, 2, 0, 0x0001}}},
      {"keyboard lock holds for the program",
       {{0x0A}, {0x07, 1}, {0x00}},
       {{1999, 2, 0, 0x0001, 0, kLocked}, {2000, 0, 0, 0}}},
      {"jump to line 4; a pause after the end, then it starts again",
       {{0x06, 4}, {}, {}, {0x07, 1}},
       {{1000, 4, 0, 0x0001}, {2000, 0, 0, 0}, {21999, 0, 0, 0}, {22000, 1, 0, 0x0001}}},
      {"an Empty first line runs nothing", {{0x00}, kWait100}, {{0, 0, 0, 0}, {60000, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ControllerImage memory = RunningMemory(0, c.lines, c.level, c.secondsPer100Ml);
    LaundryRun run;
    run.Advance(memory, laundry::kStaggerMs);
    uint32_t now = 0;
    for (const Moment& moment : c.moments) {
      run.Advance(memory, moment.at - now);
      now = moment.at;
      ExpectMoment(run, 0, moment);
    }
  }
}

TEST(LaundryRun, ResetAndSwitchingOffStopTheProgram) {
  ControllerImage memory = RunningMemory(0, {kWait100});
  LaundryRun run;
  run.Advance(memory, 5000);
  ASSERT_EQ(run.Report(0).line, 1);
  // A reset ends the program; the pause follows, then it starts again.
  run.ResetMachine(0);
  ExpectMoment(run, 0, {0, 0, 0, 0});
  run.Advance(memory, laundry::kPauseMs);
  ExpectMoment(run, 0, {laundry::kPauseMs, 1, 0, 0x0001});
  // Switched off in the memory, the machine stops at once and reports nothing.
  memory.SetU16(image::kEnableMask, 0);
  run.Advance(memory, 1);
  ExpectMoment(run, 0, {0, 0, 0, 0, 0, 0});
  EXPECT_EQ(run.Report(0), MachineReport{});
}

}  // namespace
}  // namespace vorel::sim
