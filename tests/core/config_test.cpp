// New-system defaults, clearing, calibration conversion, number and text rules.
#include <gtest/gtest.h>

#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "core/config/SystemConfiguration.h"

namespace vorel {
namespace {

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

TEST(Numbers, ParseInt32) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {{"0", 0},
               {"42", 42},
               {"-5", -5},
               {" 7 ", 7},
               {"+3", 3},
               {"", std::nullopt},
               {"-", std::nullopt},
               {"1.5", std::nullopt},
               {"12a", std::nullopt},
               {"2147483647", 2147483647},
               {"-2147483648", INT32_MIN},
               {"2147483648", std::nullopt},
               {"99999999999999999999", std::nullopt},
               {"0x10", std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseInt32(c.text), c.value);
  }
}

TEST(Numbers, ParseDecimal) {
  struct Case {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"7.5", 7.5},          {"7", 7.0},         {".5", 0.5},         {"-1.25", -1.25},
      {"7,5", std::nullopt}, {"", std::nullopt}, {".", std::nullopt}, {"1.2.3", std::nullopt},
      {"abc", std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDecimal(c.text), c.value);
  }
}

TEST(Ansi, RoundTripsEveryByteThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Ansi::FromUtf8(Ansi::ToUtf8(all)), all);
}

TEST(Ansi, KnownCharacters) {
  EXPECT_EQ(Ansi::ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Ansi::ToUtf8("\xE9"), "\xC3\xA9");      // e acute
  EXPECT_EQ(Ansi::FromUtf8("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(Ansi::FromUtf8("\xE4\xB8\xAD"), "?");  // a CJK character is not in the code page
  EXPECT_EQ(Ansi::FromUtf8("a\xC3"), "a?");        // cut sequence
  EXPECT_EQ(Ansi::FromUtf8("\xFF"
                           "b"),
            "?b");  // invalid lead byte
}

}  // namespace
}  // namespace vorel
