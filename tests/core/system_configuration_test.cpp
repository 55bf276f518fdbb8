// The system configuration: a new system's defaults, clearing a machine or the
// system-wide settings, and the calibration conversion.
#include <gtest/gtest.h>

#include <string>

#include "core/config/SystemConfiguration.h"
#include "support/ProgramBuilders.h"

namespace vorel {
namespace {

using test::Configured;

TEST(NewSystem, DefaultsOfEveryMachineAndProgram) {
  SystemConfiguration config;
  EXPECT_EQ(config.MainSetup.SystemName, "");
  EXPECT_EQ(config.PCsettings.DefaultInputFilter, "5");
  for (int m = 0; m < kMachineCount; ++m) {
    SCOPED_TRACE(m);
    const MachineSettings& machine = config.MachineData[m];
    EXPECT_EQ(machine.Enabled, m == 0);
    EXPECT_EQ(machine.DefaultProgram, 0);
    EXPECT_FALSE(machine.AllowNoProgram);
    EXPECT_EQ(machine.ShortFlushTime, "5");
    EXPECT_EQ(machine.LongFlushTime, "10");
    EXPECT_EQ(machine.ProgramTimeout, "30");
    EXPECT_EQ(machine.SoftnerPump, "-");
    for (const auto& calibration : machine.Calibration) EXPECT_EQ(calibration, "30");
    EXPECT_EQ(machine.Trigger.TriggerType(), 1);
    EXPECT_EQ(machine.Trigger.bytes[trigger::kAdjustLow], 25);
    EXPECT_EQ(machine.Trigger.bytes[trigger::kAdjustHigh], 25);
    EXPECT_EQ(machine.Trigger.bytes[trigger::kMaxWeight], 14);
    for (size_t i = 4; i < trigger::kSize; ++i) ASSERT_EQ(machine.Trigger.bytes[i], 0) << i;
    for (int slot = 0; slot < kProgramSlots; ++slot) {
      const ProgramRecord& program = machine.Programs[slot];
      EXPECT_EQ(program.Name, "Program " + std::to_string(slot + 1));
      EXPECT_TRUE(program.Comment.empty());
      EXPECT_FALSE(program.Active);
      EXPECT_TRUE(program.Softner);
      EXPECT_TRUE(program.DefaultSoftner);
      EXPECT_EQ(program.DefaultLevel, 2);
      for (const auto& line : program.Lines) EXPECT_EQ(line, ProgramLine{});
    }
  }
  for (const auto& group : config.Alarm.Group) EXPECT_EQ(group, AlarmGroup{});
}

TEST(ClearMachine, KeepsEnabledAndAllowNoProgram) {
  MachineSettings machine;
  machine.Enabled = true;
  machine.AllowNoProgram = true;
  machine.Comment = "x";
  machine.DefaultProgram = 4;
  machine.Programs[2].Name = "Towels";
  machine.Trigger.bytes[0] = 5;
  ClearMachine(machine);
  EXPECT_TRUE(machine.Enabled);
  EXPECT_TRUE(machine.AllowNoProgram);
  MachineSettings expected;
  expected.Enabled = true;
  expected.AllowNoProgram = true;
  EXPECT_EQ(machine, expected);
}

TEST(ClearMachine, KeepsAllowNoProgramAndResetsTheRest) {
  MachineSettings m = Configured();
  ClearMachine(m);
  EXPECT_TRUE(m.AllowNoProgram);
  EXPECT_EQ(m.Comment, "");
  EXPECT_EQ(m.DefaultProgram, 0);
  EXPECT_EQ(m.SoftnerPump, "-");
  EXPECT_EQ(m.Trigger.TriggerType(), 1);
  EXPECT_EQ(m.Programs[2], ClearedProgram(3));
}

TEST(ClearSystemSettings, EnablesOnlyMachineOne) {
  SystemConfiguration config;
  config.MainSetup.SystemName = "Laundry";
  config.Alarm.Group[2].WaterPressure = true;
  config.Alarm.Recipient[7] = "x@y";
  for (auto& machine : config.MachineData) machine.Enabled = true;
  config.MachineData[0].Enabled = false;
  ClearSystemSettings(config);
  EXPECT_EQ(config, SystemConfiguration{});
}

TEST(Calibration, ConversionBothWays) {
  struct Case {
    int32_t in, out;
  } cases[] = {{30, 200}, {200, 30}, {0, 0},    {-3, -3},  {1, 6000}, {6000, 1},
               {45, 133}, {133, 45}, {24, 250}, {23, 261}, {7, 857},  {12001, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ConvertCalibration(c.in), c.out);
  }
}

}  // namespace
}  // namespace vorel
