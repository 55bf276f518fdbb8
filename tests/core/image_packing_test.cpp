// Packing a configuration into the controller image against a layout worked out by
// hand, unpacking it back, and the limits of what the image holds.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"
#include "core/image/ImagePacking.h"

namespace vorel {
namespace {

using Bytes = std::array<uint8_t, 32768>;

// Hand-written layout: these tests use literal offsets, not the named ones.
constexpr size_t kText = 15616;
constexpr size_t kLogs = 25216;

void Put(Bytes& bytes, size_t offset, std::initializer_list<int> values) {
  for (int v : values) bytes[offset++] = static_cast<uint8_t>(v);
}
void PutText(Bytes& bytes, size_t offset, std::string_view text) {
  for (char c : text) bytes[offset++] = static_cast<uint8_t>(c);
}
uint16_t U16(const Bytes& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}
size_t Machine(size_t m) {
  return 1024 + 1456 * m;
}
size_t Program(size_t m, size_t k) {
  return Machine(m) + 256 + 200 * k;
}

const LocalDateTime kFriday{2024, 3, 15, 13, 45, 30, 4};

ImageState Packed(SystemConfiguration config, std::optional<std::string_view> master = {}) {
  ImageState state;
  PackImage(config, state, kFriday, master);
  return state;
}

// A small system: two machines in use besides machine 1, one worked program.
SystemConfiguration GoldenConfiguration() {
  SystemConfiguration config;
  config.MainSetup.SystemName = "Hotel";
  config.PCsettings.DefaultInputFilter = "7";
  config.Alarm.Group[0].Level = config.Alarm.Group[0].TriggerError = true;
  config.Alarm.Group[1].WaterPressure = true;
  config.Alarm.Group[2].KeyboardError = config.Alarm.Group[2].DispenseError = true;
  config.Alarm.Recipient[0] = "a@b.c";
  config.Alarm.Recipient[7] = "0123";
  config.Alarm.ActiveLevel.Common = config.Alarm.ActiveLevel.Extra = true;
  config.Alarm.ActiveLevel.Level[2] = true;
  config.MachineData[1].Enabled = config.MachineData[9].Enabled = true;

  MachineSettings& m = config.MachineData[0];
  m.DefaultProgram = 2;
  m.AllowNoProgram = true;
  m.SoftnerPump = "3";
  m.ShortFlushTime = "12";
  m.LongFlushTime = "300";
  m.ProgramTimeout = "abc";
  m.Calibration = {"24", "0", "6000", "30", "45", "-3", "23"};
  m.Comment = "Washer";
  m.Trigger.bytes[8] = 0x05;
  m.Trigger.SetResetMachineDelay(0x0102);
  m.Programs[0].Active = true;
  ProgramRecord& p = m.Programs[1];
  p.Name = "Towels";
  p.Comment = "Hot";
  p.Active = true;
  p.Softner = false;
  p.DefaultLevel = 3;
  p.Lines[0].b = {0x08, 0x12, 0x05, 10, 20, 30, 0xAA, 0xBB};  // b6..b7: a stale reference
  p.LineComments[0] = "Soap";
  p.Lines[1].b = {0x01, 0, 0, 0, 0, 0, 0xCC, 0xDD};
  p.Lines[23].b = {0xF6, 3, 0, 0, 0, 0, 0, 0};
  p.LineComments[23] = "End";
  m.Programs[2].Name = "Program 4";
  return config;
}

TEST(PackImage, GoldenImageByteForByte) {
  ImageState state;
  state.image.bytes.fill(0xEE);  // what the last read left
  SystemConfiguration config = GoldenConfiguration();
  PackImage(config, state, kFriday, "1234");

  Bytes e{};
  PutText(e, 0, "MQ350");
  Put(e, 5, {1, 1});
  PutText(e, 32, "Hotel");
  Put(e, 100, {0x03, 0x02, 7, 4, 30, 45, 13, 15, 3, 24});  // enable mask, filter, clock
  Put(e, 124, {0x0A, 0, 0x04, 0, 0x30, 0});                // alarm groups
  PutText(e, 132, "a@b.c");
  PutText(e, 132 + 7 * 51, "0123");
  Put(e, 540, {0x01, 0x09});
  PutText(e, 550, "1234");
  Put(e, 559, {0xEE});  // the controller's byte after the terminator

  for (size_t m = 0; m < 10; ++m) {  // every machine as a new system has it
    const bool enabled = m == 1 || m == 9;
    Put(e, Machine(m),
        {0, enabled ? 0x80 : 0, 0x20, 0, 5, 10, 30, 200, 200, 200, 200, 200, 200, 200});
    Put(e, Machine(m) + 32, {1, 25, 25, 14});
    for (size_t k = 0; k < 6; ++k) Put(e, Program(m, k), {0x16});
  }
  Put(e, 1024, {0x03, 0xC0, 0x22, 3, 12, 44, 0, 250, 0, 1, 200, 133, 253, 250, 18, 0});
  Put(e, 1024 + 32 + 8, {0x05, 0, 0, 0x02, 0x01});
  Put(e, Program(0, 0), {0x17});
  Put(e, Program(0, 1), {0x1B, 1, 0, 25, 0});
  Put(e, Program(0, 1) + 8, {0x08, 0x12, 0x05, 10, 20, 30, 29, 0, 0x01, 0, 0, 0, 0, 0, 0, 0});
  Put(e, Program(0, 1) + 8 + 23 * 8, {0xF6, 3, 0, 0, 0, 0, 34, 0});
  Put(e, Program(0, 2), {0x16, 8, 0});

  // Names, then comments, then line comments; "Program 1" in slot 1 stores nothing.
  PutText(e, kText + 1, std::string("Towels\0Program 4\0Washer\0Hot\0Soap\0End", 37));
  std::fill(e.begin() + kLogs, e.end(), 0xEE);

  for (size_t i = 0; i < e.size(); ++i) ASSERT_EQ(state.image.bytes[i], e[i]) << "offset " << i;
  EXPECT_EQ(state.textCursor, 64u);  // 38 used, 26 bytes of padding
  EXPECT_EQ(WriteRangeEnd(state), 15680u);
  EXPECT_DOUBLE_EQ(state.usedTextPercent, 36 * 100.0 / 9600);  // last text byte at 36
  EXPECT_TRUE(state.ImageValid);
  EXPECT_EQ(FormatStatusText(state), "Format: 1.1");
}

TEST(UnpackImage, GoldenImageGivesTheConfigurationBack) {
  ImageState state = Packed(GoldenConfiguration(), "1234");
  Put(state.image.bytes, 7, {3, 2, 5, 0x04, 0x03, 0x02, 0x01});  // as a controller reports
  Put(state.image.bytes, 111, {9, 8, 7, 31, 12, 25});
  state.image.bytes[558] = 'X';

  SystemConfiguration config;
  const UnpackResult result = UnpackImage(config, state);
  ASSERT_TRUE(result.taken.ok) << result.taken.reason;
  EXPECT_EQ(result.loginCode, "1234");
  EXPECT_EQ(state.image.bytes[558], 0);
  EXPECT_EQ(result.dateText, "Date: 2025-12-31 07:08:09");
  EXPECT_EQ(result.controller.serialNumber, 0x01020304u);
  EXPECT_EQ(result.controller.hardwareVersion, 3);
  EXPECT_EQ(result.controller.firmwareMajor, 2);
  EXPECT_EQ(result.controller.firmwareMinor, 5);
  EXPECT_DOUBLE_EQ(state.usedTextPercent, 37 * 100.0 / 9600);  // first double zero at 37
  EXPECT_TRUE(state.ImageValid);

  SystemConfiguration expected = GoldenConfiguration();
  MachineSettings& m = expected.MachineData[0];
  m.LongFlushTime = "44";
  m.ProgramTimeout = "0";
  m.Calibration = {"24", "0", "6000", "30", "45", "24", "24"};
  for (int k : {0, 3, 4, 5}) m.Programs[k].Name.clear();  // no stored name
  for (int mi = 1; mi < 10; ++mi) {
    for (auto& program : expected.MachineData[mi].Programs) program.Name.clear();
  }
  m.Programs[1].Lines[0].b[6] = 29;
  m.Programs[1].Lines[0].b[7] = 0;
  m.Programs[1].Lines[1].b[6] = m.Programs[1].Lines[1].b[7] = 0;
  m.Programs[1].Lines[23].b[6] = 34;
  EXPECT_EQ(config, expected);
}

TEST(PackImage, CalibrationLimits) {
  struct Case {
    const char* mlPerMinute;
    uint8_t stored;
    const char* unpacked;
  } cases[] = {{"24", 250, "24"}, {"23", 250, "24"},   {"1", 250, "24"},  {"6000", 1, "6000"},
               {"0", 0, "0"},     {"x", 0, "0"},       {"-3", 253, "24"}, {"30", 200, "30"},
               {"857", 7, "857"}, {"9000", 1, "6000"}, {"20000", 0, "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mlPerMinute);
    EXPECT_EQ(PackCalibration(c.mlPerMinute), c.stored);
    EXPECT_EQ(UnpackCalibration(c.stored), c.unpacked);
  }
}

TEST(PackImage, TextAreaCapacityAndPadding) {
  struct Case {
    const char* name;
    size_t commentLength;
    uint16_t commentRef, laterRef;
    size_t cursor;
    double usedPercent;
  } cases[] = {
      {"empty system", 0, 0, 0, 32, 0.0},
      {"text ending at 9600", 9598, 1, 0, 9600, 9598 * 100.0 / 9600},
      {"one byte too long", 9599, 0, 1, 32, 1 * 100.0 / 9600},
      {"padding stops at the end of the area", 9590, 1, 9592, 9600, 9592 * 100.0 / 9600},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SystemConfiguration config;
    config.MachineData[0].Comment = std::string(c.commentLength, 'C');
    if (c.commentLength) config.MachineData[0].Programs[0].Comment = "p";
    const ImageState state = Packed(config);
    EXPECT_EQ(U16(state.image.bytes, 1024 + 14), c.commentRef);
    EXPECT_EQ(U16(state.image.bytes, Program(0, 0) + 3), c.laterRef);
    EXPECT_EQ(state.textCursor, c.cursor);
    EXPECT_EQ(WriteRangeEnd(state), kText + c.cursor);
    EXPECT_DOUBLE_EQ(state.usedTextPercent, c.usedPercent);
  }
  EXPECT_EQ(UsedTextLabel(Packed(SystemConfiguration{}).usedTextPercent), "Used text: 0.0%");
}

TEST(PackImage, OnlyTheOwnSlotsDefaultNameStoresNoText) {
  struct Case {
    int slot;
    const char* name;
    bool stored;
  } cases[] = {{2, "Program 3", false},
               {3, "Program 3", true},
               {2, "program 3", true},
               {2, "Program 3 ", true},
               {2, "", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.slot + 1) + " '" + c.name + "'");
    SystemConfiguration config;
    config.MachineData[0].Programs[c.slot].Name = c.name;
    const ImageState state = Packed(config);
    const uint16_t ref = U16(state.image.bytes, Program(0, c.slot) + 1);
    EXPECT_EQ(ref, c.stored ? 1 : 0);
    EXPECT_EQ(TextAt(state.image, ref), c.stored ? c.name : "");
  }
}

TEST(PackImage, TextsAreCutToTheirFields) {
  SystemConfiguration config;
  config.MainSetup.SystemName = std::string(40, 'N') + "x";
  config.Alarm.Recipient[2] = std::string(50, 'R') + "x";
  config.Alarm.Recipient[3] = "next";
  const ImageState state = Packed(config, "ABCDEFGHxy");
  const Bytes& b = state.image.bytes;
  EXPECT_EQ(std::string(b.begin() + 32, b.begin() + 73), std::string(40, 'N') + '\0');
  EXPECT_EQ(std::string(b.begin() + 234, b.begin() + 285), std::string(50, 'R') + '\0');
  EXPECT_EQ(std::string(b.begin() + 550, b.begin() + 560), "ABCDEFGH" + std::string(2, '\0'));

  ImageState read = state;
  SystemConfiguration back;
  const UnpackResult result = UnpackImage(back, read);
  EXPECT_EQ(back.MainSetup.SystemName, std::string(40, 'N'));
  EXPECT_EQ(back.Alarm.Recipient[2], std::string(50, 'R'));
  EXPECT_EQ(back.Alarm.Recipient[3], "next");
  EXPECT_EQ(result.loginCode, "ABCDEFGH");
}

TEST(PackImage, LoginCodeOfTheLastReadStaysOutsideMasterMode) {
  ImageState state;
  PutText(state.image.bytes, 550, "OLDCODE1");
  Put(state.image.bytes, 558, {0x41, 0x42});
  SystemConfiguration config;
  PackImage(config, state, kFriday);
  EXPECT_EQ(std::string(state.image.bytes.begin() + 550, state.image.bytes.begin() + 560),
            std::string("OLDCODE1\0B", 10));
  PackImage(config, state, kFriday, "ab");
  EXPECT_EQ(std::string(state.image.bytes.begin() + 550, state.image.bytes.begin() + 560),
            std::string("ab\0\0\0\0\0\0\0B", 10));
}

TEST(PackImage, ListSelectionsOutsideTheirListsCountAsNone) {
  struct Case {
    int defaultProgram;
    const char* softnerPump;
    int defaultLevel;
    uint8_t byte2, byte3, programFlags;
  } cases[] = {{-1, "", 0, 0x20, 0, 0x06},
               {7, "8", 4, 0x20, 0, 0x06},
               {6, "7", 3, 0x26, 7, 0x1E},
               {1, "-", -1, 0x21, 0, 0x1E},
               {0, "x", 1, 0x20, 0, 0x0E}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.defaultProgram);
    SystemConfiguration config;
    config.MachineData[3].DefaultProgram = c.defaultProgram;
    config.MachineData[3].SoftnerPump = c.softnerPump;
    config.MachineData[3].Programs[5].DefaultLevel = c.defaultLevel;
    const Bytes& b = Packed(config).image.bytes;
    EXPECT_EQ(b[Machine(3) + 2], c.byte2);
    EXPECT_EQ(b[Machine(3) + 3], c.byte3);
    EXPECT_EQ(b[Program(3, 5)], c.programFlags);
  }
}

TEST(PackImage, PackingAfterAReadForgetsTheControllersIdentityAndClock) {
  ImageState state = Packed(GoldenConfiguration());
  const Bytes first = state.image.bytes;
  Put(state.image.bytes, 7, {3, 2, 5, 1, 2, 3, 4});
  Put(state.image.bytes, 111, {1, 2, 3, 4, 5, 6});
  SystemConfiguration config = GoldenConfiguration();
  PackImage(config, state, LocalDateTime{2031, 12, 1, 0, 0, 0, 0});
  for (size_t i = 0; i < first.size(); ++i) {
    if (i >= 103 && i < 110) continue;  // the clock setting
    ASSERT_EQ(state.image.bytes[i], first[i]) << "offset " << i;
  }
  EXPECT_EQ(state.image.bytes[109], 31);
  EXPECT_EQ(ReadControllerInfo(state.image), ControllerInfo{});
}

TEST(UnpackImage, RefusesAForeignFormatAndLeavesEveryMachineCleared) {
  struct Case {
    const char* magic;
    uint8_t major, minor;
    const char* error;
  } cases[] = {{"MQ350", 2, 0, "Bad data format or version: 2.0"},
               {"MQ351", 1, 1, "Bad data format or version: 1.1"},
               {"MQ350", 0, 9, "Bad data format or version: 0.9"},
               {"MQ350", 1, 7, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    ImageState state = Packed(GoldenConfiguration(), "CODE");
    PutText(state.image.bytes, 0, c.magic);
    Put(state.image.bytes, 5, {c.major, c.minor});
    const Bytes asRead = state.image.bytes;
    SystemConfiguration config = GoldenConfiguration();  // what the editors held before
    config.MachineData[4].AllowNoProgram = true;
    config.MainSetup.VersionMajor = config.MainSetup.VersionMinor = 9;
    for (auto& machine : config.MachineData) machine.Enabled = true;

    const UnpackResult result = UnpackImage(config, state);
    EXPECT_EQ(result.taken.reason, c.error);
    EXPECT_EQ(result.loginCode, "CODE");
    EXPECT_EQ(state.ImageValid, result.taken.ok);
    if (result.taken.ok) {
      EXPECT_EQ(config.MainSetup.VersionMajor, 1);
      EXPECT_EQ(config.MainSetup.VersionMinor, 7);
      continue;
    }
    EXPECT_EQ(config.MainSetup.VersionMajor, 9);  // a refused image brings no version
    EXPECT_EQ(state.image.bytes, asRead);
    EXPECT_EQ(result.dateText, "");
    EXPECT_EQ(config.MainSetup.SystemName, "");
    for (int m = 0; m < kMachineCount; ++m) {
      SCOPED_TRACE(m);
      MachineSettings cleared;
      cleared.Enabled = m == 0;
      cleared.AllowNoProgram = m == 0 || m == 4;  // clearing keeps it
      EXPECT_EQ(config.MachineData[m], cleared);
    }
  }
}

TEST(UnpackImage, EnableMaskOnlySwitchesMachinesOn) {
  ImageState state = Packed(SystemConfiguration{});
  Put(state.image.bytes, 100, {0x04, 0x02});
  SystemConfiguration config;
  for (auto& machine : config.MachineData) machine.Enabled = true;
  ASSERT_TRUE(UnpackImage(config, state).taken.ok);
  for (int m = 0; m < kMachineCount; ++m) {
    EXPECT_EQ(config.MachineData[m].Enabled, m == 0 || m == 2 || m == 9) << m;
  }
}

TEST(UnpackImage, HostileImageIsReadSafely) {
  ImageState state;
  state.image.bytes.fill(0xFF);
  PutText(state.image.bytes, 0, "MQ350");
  Put(state.image.bytes, 5, {1, 1});
  std::fill(state.image.bytes.begin() + kText, state.image.bytes.begin() + kLogs, 'X');
  SystemConfiguration config;
  ASSERT_TRUE(UnpackImage(config, state).taken.ok);
  EXPECT_EQ(config.MainSetup.SystemName, std::string(40, '\xFF'));
  EXPECT_EQ(config.Alarm.Recipient[7], std::string(50, '\xFF'));
  const MachineSettings& m = config.MachineData[9];
  EXPECT_EQ(m.DefaultProgram, 0);  // 31 is no list entry
  EXPECT_EQ(m.SoftnerPump, "-");   // neither is 15
  EXPECT_EQ(m.ShortFlushTime, "255");
  EXPECT_EQ(m.Calibration[6], "24");
  EXPECT_EQ(m.Comment, "");  // reference 0xFFFF
  EXPECT_EQ(m.Programs[5].DefaultLevel, 3);
  EXPECT_DOUBLE_EQ(state.usedTextPercent, 100.0);
}

// A configuration with every field away from a new system's. What the image
// cannot hold, and so is expected back changed:
// - machine 1 comes back enabled (clearing enables it; the mask only adds);
// - a program keeping its slot's name comes back with the empty name;
// - numbers are one byte each (a flush time "300" returns as "44", "abc" as "0");
// - calibrations return through seconds per 100 ml, limited to 250 (below 24 ml per
//   minute returns as 24; 7 as 24, 900 as 857);
// - list selections outside their lists return as none, DefaultLevel as its low 2 bits;
// - bytes b6..b7 of every line return as the line comment's reference;
// - texts beyond the text area are dropped; the format version returns as 1.1.
SystemConfiguration EveryFieldChanged() {
  SystemConfiguration config;
  config.MainSetup.SystemName = std::string(40, 'S');
  config.PCsettings.DefaultInputFilter = "255";
  for (auto& group : config.Alarm.Group) group = {true, true, true, true, true};
  for (int r = 0; r < kRecipientCount; ++r) config.Alarm.Recipient[r] = "r" + std::to_string(r);
  config.Alarm.ActiveLevel.Common = config.Alarm.ActiveLevel.Extra = true;
  config.Alarm.ActiveLevel.Level.fill(true);
  const char* calibrations[] = {"45", "60", "100", "150", "200", "250", "300"};
  for (int m = 0; m < kMachineCount; ++m) {
    MachineSettings& machine = config.MachineData[m];
    machine.Enabled = m % 2 == 1;
    machine.DefaultProgram = 1 + m % 6;
    machine.AllowNoProgram = true;
    machine.ShortFlushTime = std::to_string(11 + m);
    machine.LongFlushTime = std::to_string(200 + m);
    machine.ProgramTimeout = "0";
    machine.SoftnerPump = kSoftnerPumpItems[1 + m % 7];
    machine.Comment = "m" + std::to_string(m);
    for (int p = 0; p < kPumpCount; ++p) machine.Calibration[p] = calibrations[(p + m) % 7];
    for (size_t i = 0; i < machine.Trigger.bytes.size(); ++i) {
      machine.Trigger.bytes[i] = static_cast<uint8_t>(i * 7 + m);
    }
    for (int k = 0; k < kProgramSlots; ++k) {
      ProgramRecord& program = machine.Programs[k];
      program.Name = "P" + std::to_string(m * 10 + k);
      program.Comment = "c" + std::to_string(k);
      program.Active = (m + k) % 2 == 0;
      program.Softner = program.DefaultSoftner = false;
      program.DefaultLevel = k % 2 == 0 ? 0 : 3;
      for (int line = 0; line < kProgramLineCount; ++line) {
        for (int i = 0; i < 6; ++i) program.Lines[line].b[i] = uint8_t(m + k + line + i * 40);
        if (line % 5 == 0) program.LineComments[line] = "L" + std::to_string(line);
      }
    }
  }
  return config;
}

TEST(UnpackImage, GivesBackEveryFieldTheImageHolds) {
  SystemConfiguration config = EveryFieldChanged();
  ImageState state = Packed(config);
  SystemConfiguration back = GoldenConfiguration();  // stale editors
  ASSERT_TRUE(UnpackImage(back, state).taken.ok);

  SystemConfiguration expected = config;
  expected.MachineData[0].Enabled = true;
  for (int m = 0; m < kMachineCount; ++m) {
    for (int k = 0; k < kProgramSlots; ++k) {
      auto& lines = back.MachineData[m].Programs[k].Lines;
      for (int line = 0; line < kProgramLineCount; ++line) {
        const bool commented = !expected.MachineData[m].Programs[k].LineComments[line].empty();
        EXPECT_EQ(lines[line].b[6] != 0 || lines[line].b[7] != 0, commented);
        lines[line].b[6] = lines[line].b[7] = 0;
      }
    }
  }
  EXPECT_EQ(back, expected);
}

// The soap amount alarm from literal offsets: switch at 560, alarm amounts from 561,
// used amounts from 575, 16-bit hundredths.
TEST(SoapAmounts, ReadAsTheSystemSetupShowsThem) {
  ControllerImage image;
  image.bytes[560] = 1;
  image.bytes[561] = 0x39;  // 12345
  image.bytes[562] = 0x30;
  image.bytes[561 + 10] = 0xFF;  // pump 6: 65535
  image.bytes[561 + 11] = 0xFF;
  image.bytes[575] = 5;
  const SoapAmounts soap = ReadSoapAmounts(image);
  EXPECT_TRUE(soap.alarmOn);
  EXPECT_EQ(soap.alarm[0], "123.45");
  EXPECT_EQ(soap.alarm[1], "0.00");
  EXPECT_EQ(soap.alarm[5], "655.35");
  EXPECT_EQ(soap.used[0], "0.05");
}

}  // namespace
}  // namespace vorel
