// The system file: the golden small system byte for byte, a full round trip,
// the load rules element by element, and loading damaged files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/systemfile/SystemFile.h"
#include "support/XmlMutations.h"

namespace vorel {
namespace {

using namespace trigger;

std::string ReadTestFile(const std::string& name) {
  std::ifstream in(std::string(VOREL_TEST_DATA) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A system file around `body`, with no logs (a load of it ends without error
// before reaching them only when the body has none).
std::string File(const std::string& body) {
  return "<TL4200system>" + body + "</TL4200system>";
}

std::string MachineFile(int machineNumber, const std::string& body) {
  const std::string name = "Machine" + std::to_string(machineNumber);
  return File("<MachineData><" + name + ">" + body + "</" + name + "></MachineData>");
}

std::string ProgramFile(const std::string& body) {
  return MachineFile(1, "<Program>" + body + "</Program>");
}

// The element a refusal names before its reason; empty for a document that could
// not be read at all.
std::string FaultElement(const Outcome& result) {
  return result.reason.rfind("TL4200", 0) == 0 ? result.reason.substr(0, result.reason.find(": "))
                                               : std::string();
}

struct LoadedFile {
  Outcome result;
  SystemConfiguration config;
  ControllerImage image{};
};

LoadedFile Load(const std::string& text) {
  LoadedFile loaded;
  loaded.result = LoadSystemFile(text, loaded.config, loaded.image);
  return loaded;
}

// Equality of two configurations, reported by section so a failure says where.
void ExpectSameConfiguration(const SystemConfiguration& actual,
                             const SystemConfiguration& expected) {
  EXPECT_TRUE(actual.MainSetup == expected.MainSetup);
  EXPECT_TRUE(actual.PCsettings == expected.PCsettings);
  for (size_t g = 0; g < expected.Alarm.Group.size(); ++g) {
    EXPECT_TRUE(actual.Alarm.Group[g] == expected.Alarm.Group[g]) << "Group" << g;
  }
  EXPECT_EQ(actual.Alarm.Recipient, expected.Alarm.Recipient);
  EXPECT_TRUE(actual.Alarm.ActiveLevel == expected.Alarm.ActiveLevel);
  for (int m = 0; m < kMachineCount; ++m) {
    SCOPED_TRACE("machine " + std::to_string(m + 1));
    const MachineSettings& a = actual.MachineData[m];
    const MachineSettings& e = expected.MachineData[m];
    EXPECT_EQ(a.Enabled, e.Enabled);
    EXPECT_EQ(a.DefaultProgram, e.DefaultProgram);
    EXPECT_EQ(a.AllowNoProgram, e.AllowNoProgram);
    EXPECT_EQ(a.ShortFlushTime, e.ShortFlushTime);
    EXPECT_EQ(a.LongFlushTime, e.LongFlushTime);
    EXPECT_EQ(a.ProgramTimeout, e.ProgramTimeout);
    EXPECT_EQ(a.SoftnerPump, e.SoftnerPump);
    EXPECT_EQ(a.Comment, e.Comment);
    EXPECT_EQ(a.Calibration, e.Calibration);
    EXPECT_EQ(a.Trigger.bytes, e.Trigger.bytes);
    for (int s = 0; s < kProgramSlots; ++s) {
      SCOPED_TRACE("program " + std::to_string(s + 1));
      const ProgramRecord& pa = a.Programs[s];
      const ProgramRecord& pe = e.Programs[s];
      EXPECT_EQ(pa.Name, pe.Name);
      EXPECT_EQ(pa.Comment, pe.Comment);
      EXPECT_EQ(pa.Active, pe.Active);
      EXPECT_EQ(pa.Softner, pe.Softner);
      EXPECT_EQ(pa.DefaultSoftner, pe.DefaultSoftner);
      EXPECT_EQ(pa.DefaultLevel, pe.DefaultLevel);
      for (int l = 0; l < kProgramLineCount; ++l) {
        EXPECT_EQ(pa.Lines[l].b, pe.Lines[l].b) << "line " << l + 1;
      }
      EXPECT_EQ(pa.LineComments, pe.LineComments);
    }
  }
}

// Reports the first line where two documents part, instead of 100 kB of bytes.
void ExpectSameDocument(const std::string& actual, const std::string& expected) {
  if (actual == expected) return;
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
  const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
  ADD_FAILURE() << "documents differ at byte " << at << " (sizes " << actual.size() << " and "
                << expected.size() << ")\n  written:  " << actual.substr(from, 80)
                << "\n  expected: " << expected.substr(from, 80);
}

// ---- the golden small system ---------------------------------------------

// The configuration that tests/data/golden_small.xml holds.
void BuildGoldenSystem(SystemConfiguration& config, ControllerImage& image) {
  config.MainSetup.SystemName = "Wash & Dry";
  config.Alarm.Group[1].WaterPressure = true;
  config.Alarm.Recipient[0] = "tech@laundry.example";
  config.Alarm.ActiveLevel.Level[2] = true;

  ProgramRecord& first = config.MachineData[0].Programs[0];
  first.Lines[0].b = {8, 0x03, 0x05, 0x00, 0x0A, 0x14, 0, 0};
  first.LineComments[0] = "Main wash";
  first.Lines[1].b = {6, 0x01, 0, 0, 0, 0, 0, 0};
  config.MachineData[0].Programs[1].Comment = "Cotton 60";
  config.MachineData[1].Comment = "Back room <east>";

  TriggerData& miele = config.MachineData[2].Trigger;
  miele.bytes[kType] = kTypeMieleLogic;
  miele.FillMieleDefaults();
  TriggerData& electrolux = config.MachineData[3].Trigger;
  electrolux.bytes[kType] = kTypeElectrolux;
  electrolux.SetProgramMap(1, 1);
  electrolux.SetProgramMap(2, 2);
  electrolux.SetProgramMap(3, 3);
  electrolux.SetProgramMap(30, 6);
  TriggerData& ethernet = config.MachineData[4].Trigger;
  ethernet.bytes[kType] = kTypeMieleEthernet;
  ethernet.SetEthernetNumber(kEthernetSerial, 12345678);
  ethernet.SetEthernetNumber(kEthernetMachineId, -2);
  config.MachineData[5].Trigger.bytes[kType] = kTypeMielePulse;

  image.bytes[image::kAlarmLog + 0] = 0x01;
  image.bytes[image::kAlarmLog + 1] = 0xAB;
  image.bytes[image::kAlarmLog + 255] = 0xFF;
  image.bytes[image::kDataLog + 0] = 0x12;
  image.bytes[image::kDataLog + 100] = 0x7F;
  image.bytes[image::kDataLog + 7247] = 0xC3;
}

TEST(SystemFileGolden, WriterReproducesTheFileByteForByte) {
  SystemConfiguration config;
  ControllerImage image{};
  BuildGoldenSystem(config, image);
  ExpectSameDocument(SaveSystemFile(config, image), ReadTestFile("golden_small.xml"));
}

TEST(SystemFileGolden, LoadGivesBackTheConfigurationAndLogs) {
  SystemConfiguration expected;
  ControllerImage expectedImage{};
  BuildGoldenSystem(expected, expectedImage);
  expectedImage.bytes[image::kVersionMajor] = 1;
  expectedImage.bytes[image::kVersionMinor] = 1;

  const LoadedFile loaded = Load(ReadTestFile("golden_small.xml"));
  ASSERT_TRUE(loaded.result.ok) << loaded.result.reason;
  ExpectSameConfiguration(loaded.config, expected);
  EXPECT_TRUE(loaded.image.bytes == expectedImage.bytes);
}

// ---- round trip ----------------------------------------------------------

// Every field away from its new-system default, with each listed trigger type.
void BuildFullSystem(SystemConfiguration& config, ControllerImage& image) {
  config.MainSetup.SystemName = "North & <South> 'Laundry' \"Co\" \xC6\xD8";
  config.MainSetup.VersionMajor = 2;
  config.MainSetup.VersionMinor = 7;
  config.PCsettings.DefaultInputFilter = "12";
  for (auto& group : config.Alarm.Group) group = {true, true, true, true, true};
  for (int r = 0; r < kRecipientCount; ++r) {
    config.Alarm.Recipient[r] = "+45 " + std::to_string(r) + " <tech" + std::to_string(r) + ">";
  }
  config.Alarm.ActiveLevel.Common = true;
  config.Alarm.ActiveLevel.Level.fill(true);
  config.Alarm.ActiveLevel.Extra = true;

  // Calibrations whose two conversions lead back to the same text.
  const std::array<std::string, kPumpCount> calibrations = {"40", "60", "100", "120",
                                                            "12", "0",  "-5"};
  const std::array<uint8_t, 5> triggerTypes = {kTypeParallel, kTypeMieleLogic, kTypeElectrolux,
                                               kTypeMieleEthernet, kTypeMielePulse};
  for (int m = 0; m < kMachineCount; ++m) {
    MachineSettings& machine = config.MachineData[m];
    machine.Enabled = m != 0;
    machine.DefaultProgram = m % 8 - 1;  // -1 .. 6
    machine.AllowNoProgram = true;
    machine.ShortFlushTime = "abc";
    machine.LongFlushTime = "1x" + std::to_string(m);
    machine.ProgramTimeout = " 45 ";
    machine.SoftnerPump = m == 0 ? "" : kSoftnerPumpItems[(m % 7) + 1];
    machine.Comment = "Row " + std::to_string(m) + ": & < > ' \"";
    machine.Calibration = calibrations;

    TriggerData& trigger = machine.Trigger;
    trigger.bytes[kType] = triggerTypes[m % triggerTypes.size()];
    trigger.bytes[kAdjustLow] = static_cast<uint8_t>(10 + m);
    trigger.bytes[kAdjustHigh] = static_cast<uint8_t>(200 + m);
    trigger.bytes[kMaxWeight] = 255;
    trigger.bytes[kLockInputMask] = 42;
    trigger.bytes[kLockInputDelay] = 9;
    trigger.bytes[kFlags] = static_cast<uint8_t>(1 + m % 6) | kFlagFallingEdge;
    trigger.SetResetMachineDelay(static_cast<uint16_t>(65535 - m));
    switch (trigger.TriggerType()) {
      case kTypeMieleLogic:
        trigger.bytes[kFlags] |= kFlagSoftnerActive2;
        for (const auto& field : kMieleTexts) {
          const std::string text = field.width == 16 ? "Sixteen & chars!" : "Eight<8>";
          trigger.SetMieleText(field, text);
        }
        break;
      case kTypeElectrolux:
        for (int n = 1; n <= kProgramMapCount; ++n) trigger.SetProgramMap(n, (n + m) % 16);
        trigger.SetProgramMap(1, 15);
        trigger.SetProgramMap(2, 1);
        trigger.SetProgramMap(3, 2);
        trigger.SetProgramMap(30, 6);
        break;
      case kTypeMieleEthernet:
        trigger.SetEthernetNumber(kEthernetSerial, -123456789);
        trigger.SetEthernetNumber(kEthernetMachineId, 2147483647);
        break;
      default:
        break;
    }

    for (int s = 0; s < kProgramSlots; ++s) {
      ProgramRecord& program = machine.Programs[s];
      program.Name = "Wash 'M" + std::to_string(m) + "P" + std::to_string(s) + "' & rinse";
      program.Comment = "<hot> \"fast\"";
      program.Active = true;
      program.Softner = false;
      program.DefaultSoftner = false;
      program.DefaultLevel = (s % 2 == 0) ? 3 : s % 4 == 1 ? 0 : 1;
      for (int l = 0; l < kProgramLineCount; ++l) {
        const uint8_t code = static_cast<uint8_t>((l + s + m) % 16);
        ProgramLine& line = program.Lines[l];
        line.SetCode(code);
        // Only the bytes the file keeps for the instruction are set.
        static constexpr std::array<int, 16> kKept = {0, 0, 5, 3, 5, 5, 1, 2,
                                                      5, 3, 0, 5, 0, 0, 0, 0};
        for (int k = 1; k <= kKept[code]; ++k) line.b[k] = static_cast<uint8_t>(0xF0 + k + l);
        program.LineComments[l] = "L" + std::to_string(l + 1) + " 'a' & \"b\" <c>";
      }
    }
  }
  for (size_t i = 0; i < image::kAlarmLogSize; ++i) {
    image.bytes[image::kAlarmLog + i] = static_cast<uint8_t>(i * 7 + 3);
  }
  for (size_t i = 0; i < image::kDataLogSize; ++i) {
    image.bytes[image::kDataLog + i] = static_cast<uint8_t>(i * 13 + 1);
  }
}

TEST(SystemFileRoundTrip, EveryFieldAwayFromItsDefaultComesBack) {
  SystemConfiguration config;
  ControllerImage image{};
  BuildFullSystem(config, image);
  const std::string first = SaveSystemFile(config, image);
  EXPECT_EQ(SaveSystemFile(config, image), first);

  // Codes 12 to 15 have no name: the file keeps "?12" .. "?15" and all of them
  // come back as 15.
  SystemConfiguration expected = config;
  int unnamedLines = 0;
  for (auto& machine : expected.MachineData) {
    for (auto& program : machine.Programs) {
      for (auto& line : program.Lines) {
        if (line.Code() >= 12) {
          line.SetCode(15);
          ++unnamedLines;
        }
      }
    }
  }
  ASSERT_GT(unnamedLines, 0);

  const LoadedFile loaded = Load(first);
  ASSERT_TRUE(loaded.result.ok) << loaded.result.reason;
  ExpectSameConfiguration(loaded.config, expected);
  EXPECT_EQ(loaded.image.VersionMajor(), 2);
  EXPECT_EQ(loaded.image.VersionMinor(), 7);
  EXPECT_TRUE(std::equal(loaded.image.bytes.begin() + image::kAlarmLog,
                         loaded.image.bytes.begin() + image::kDataLog + image::kDataLogSize,
                         image.bytes.begin() + image::kAlarmLog));

  const std::string second = SaveSystemFile(loaded.config, loaded.image);
  EXPECT_EQ(second, SaveSystemFile(expected, image));
  const LoadedFile again = Load(second);
  ASSERT_TRUE(again.result.ok) << again.result.reason;
  EXPECT_EQ(SaveSystemFile(again.config, again.image), second);
}

// ---- what the writer leaves out or spells specially ----------------------

TEST(SystemFileSave, ElementsWrittenOnlyWhenTheyHoldSomething) {
  SystemConfiguration config;
  ControllerImage image{};
  ProgramRecord& program = config.MachineData[0].Programs[0];
  program.Lines[0].b = {0xA1, 0x11, 0x22, 0, 0, 0, 0x33, 0x44};     // Reset: no parameters
  program.Lines[1].b = {0x09, 0x14, 0x01, 0x00, 0xEE, 0xEE, 0, 0};  // Flush: three bytes
  program.Lines[2].b = {0x0D, 0x01, 0x02, 0x03, 0x04, 0x05, 0, 0};  // code 13
  program.Lines[3].b = {0x0A, 0, 0, 0, 0, 0, 0, 0};                 // Keyboard lock
  program.LineComments[3] = "Lock";
  config.MachineData[1].Trigger.bytes[kType] = kTypeWeight3;
  const std::string text = SaveSystemFile(config, image);

  struct Case {
    const char* name;
    std::string fragment;
    bool present;
  } cases[] = {
      {"line without parameters has no D",
       "        <L>\r\n          <I>Reset</I>\r\n        </L>\r\n", true},
      {"D holds exactly the instruction's bytes",
       "          <I>Flush</I>\r\n          <D>14 01 00</D>\r\n        </L>\r\n", true},
      {"unnamed code spelled with its number",
       "        <L>\r\n          <I>?13</I>\r\n        </L>\r\n", true},
      {"C only for a line comment",
       "          <I>Keyboard lock</I>\r\n          <C>Lock</C>\r\n        </L>\r\n", true},
      {"empty machine comment is still written",
       "      <SoftnerPump>-</SoftnerPump>\r\n      <Comment/>\r\n", true},
      {"empty program comment is left out",
       "        <Name>Program 1</Name>\r\n        <Active>False</Active>\r\n", true},
      {"no empty line comments", "<C/>", false},
      {"no empty program comments", "<Comment/>\r\n        <Active>", false},
      {"type code without a list entry has an empty Type",
       "      <Trigger>\r\n        <Type/>\r\n        <AdjustLow>25</AdjustLow>\r\n", true},
      {"older trigger names never written", "TL4216", false},
      {"older Electrolux name never written", "TC4210", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text.find(c.fragment) != std::string::npos, c.present) << c.fragment;
  }
}

TEST(SystemFileSave, CalibrationIsWrittenAsSecondsPer100Ml) {
  struct Case {
    std::string held;
    std::string written;
  } cases[] = {{"30", "200"}, {"0", "0"},   {"abc", "0"}, {"7", "857"},
               {"24", "250"}, {"-3", "-3"}, {"6000", "1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.held);
    SystemConfiguration config;
    config.MachineData[9].Calibration[6] = c.held;
    const std::string text = SaveSystemFile(config, ControllerImage{});
    const std::string expected =
        "      <Calibration7>" + c.written + "</Calibration7>\r\n      <Trigger>";
    const size_t machine10 = text.find("<Machine10>");
    EXPECT_NE(text.find(expected, machine10), std::string::npos);
  }
}

// ---- load rules ------------------------------------------------------------

TEST(SystemFileLoad, StrictBooleansStopTheLoadWhereTheyAreUnreadable) {
  struct Case {
    const char* name;
    std::string file;
    bool ok;
    std::string element;
  } cases[] = {
      {"level alarm y is true", File("<Alarm><Group0><Level>y</Level></Group0></Alarm>"), true, ""},
      {"level alarm 0 stops", File("<Alarm><Group0><Level>0</Level></Group0></Alarm>"), false,
       "TL4200system/Alarm/Group0/Level"},
      {"empty dispense error stops",
       File("<Alarm><Group2><DispenseError></DispenseError></Group2></Alarm>"), false,
       "TL4200system/Alarm/Group2/DispenseError"},
      {"active level input 7", File("<Alarm><ActiveLevel><Level7>1</Level7></ActiveLevel></Alarm>"),
       false, "TL4200system/Alarm/ActiveLevel/Level7"},
      {"active level extra", File("<Alarm><ActiveLevel><Extra>?</Extra></ActiveLevel></Alarm>"),
       false, "TL4200system/Alarm/ActiveLevel/Extra"},
      {"machine enabled", MachineFile(3, "<Enabled>on</Enabled>"), false,
       "TL4200system/MachineData/Machine3/Enabled"},
      {"machine enabled no", MachineFile(1, "<Enabled>no</Enabled>"), true, ""},
      {"flag of an unknown group is not read",
       File("<Alarm><Group3><Level>0</Level></Group3></Alarm>"), true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded = Load(c.file);
    EXPECT_EQ(loaded.result.ok, c.ok) << loaded.result.reason;
    EXPECT_EQ(FaultElement(loaded.result), c.element);
    EXPECT_EQ(loaded.result.reason.empty(), c.ok);
  }
  EXPECT_TRUE(
      Load(File("<Alarm><Group0><Level>yes</Level></Group0></Alarm>")).config.Alarm.Group[0].Level);
  EXPECT_FALSE(Load(MachineFile(1, "<Enabled>No</Enabled>")).config.MachineData[0].Enabled);
}

TEST(SystemFileLoad, LenientBooleansReadUnreadableAsFalse) {
  const std::string bad = "maybe";
  const LoadedFile loaded = Load(MachineFile(
      1, "<AllowNoProgram>" + bad + "</AllowNoProgram><Trigger><ResetMachineFallingEdge>" + bad +
             "</ResetMachineFallingEdge><MieleLogic><SoftnerActive2>1</SoftnerActive2>"
             "</MieleLogic></Trigger><Program><Active>" +
             bad +
             "</Active><Softner></Softner><DefaultSoftner>x</DefaultSoftner></Program>"
             "<Comment>after</Comment>"));
  ASSERT_TRUE(loaded.result.ok) << loaded.result.reason;
  const MachineSettings& machine = loaded.config.MachineData[0];
  EXPECT_FALSE(machine.AllowNoProgram);
  EXPECT_EQ(machine.Trigger.bytes[kFlags], 0);
  EXPECT_FALSE(machine.Programs[0].Active);
  EXPECT_FALSE(machine.Programs[0].Softner);  // default true, unreadable gives false
  EXPECT_FALSE(machine.Programs[0].DefaultSoftner);
  EXPECT_EQ(machine.Comment, "after");
}

TEST(SystemFileLoad, FirstErrorEndsTheLoadAndKeepsWhatCameBefore) {
  const LoadedFile loaded =
      Load(File("<MainSetup><SystemName>Kept</SystemName></MainSetup>"
                "<Alarm><Group0><Level>True</Level><WaterPressure>bad</WaterPressure>"
                "<TriggerError>True</TriggerError></Group0><Recipient1>late</Recipient1></Alarm>"
                "<MachineData><Machine2><Enabled>True</Enabled></Machine2></MachineData>"));
  EXPECT_FALSE(loaded.result.ok);
  EXPECT_EQ(FaultElement(loaded.result), "TL4200system/Alarm/Group0/WaterPressure");
  EXPECT_EQ(loaded.result.reason,
            "TL4200system/Alarm/Group0/WaterPressure: \"bad\" is neither True nor False");
  EXPECT_EQ(loaded.config.MainSetup.SystemName, "Kept");
  EXPECT_TRUE(loaded.config.Alarm.Group[0].Level);
  EXPECT_FALSE(loaded.config.Alarm.Group[0].TriggerError);
  EXPECT_EQ(loaded.config.Alarm.Recipient[0], "");
  EXPECT_FALSE(loaded.config.MachineData[1].Enabled);
}

TEST(SystemFileLoad, UnreadableDocumentsLeaveANewSystem) {
  struct Case {
    const char* name;
    std::string file;
    std::string element;
    const char* reasonPart;
  } cases[] = {
      {"root of another name",
       "<TL4200System><MainSetup><SystemName>x</SystemName></MainSetup></TL4200System>",
       "TL4200System", "root element is not TL4200system"},
      {"not XML", "TL4200system", "", "malformed XML"},
      {"cut off", "<TL4200system><MainSetup><SystemName>x</SystemName>", "", "malformed XML"},
      {"empty file", "", "", "no root element"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded = Load(c.file);
    EXPECT_FALSE(loaded.result.ok);
    EXPECT_EQ(FaultElement(loaded.result), c.element);
    EXPECT_NE(loaded.result.reason.find(c.reasonPart), std::string::npos) << loaded.result.reason;
    EXPECT_TRUE(loaded.config == SystemConfiguration{});
  }
}

TEST(SystemFileLoad, MachineSettingsAndTheirFallbacks) {
  struct Case {
    const char* name;
    std::string body;
    int defaultProgram;
    std::string softnerPump;
    std::string calibration1;
  } cases[] = {
      {"defaults", "", 0, "-", "30"},
      {"default program 6", "<DefaultProgram>6</DefaultProgram>", 6, "-", "30"},
      {"default program 7 selects nothing", "<DefaultProgram>7</DefaultProgram>", -1, "-", "30"},
      {"default program -1", "<DefaultProgram>-1</DefaultProgram>", -1, "-", "30"},
      {"default program not a number", "<DefaultProgram>two</DefaultProgram>", 0, "-", "30"},
      {"softener pump 7", "<SoftnerPump>7</SoftnerPump>", 0, "7", "30"},
      {"softener pump 8 selects nothing", "<SoftnerPump>8</SoftnerPump>", 0, "", "30"},
      {"softener pump with a blank", "<SoftnerPump> 3</SoftnerPump>", 0, "", "30"},
      {"softener pump empty", "<SoftnerPump></SoftnerPump>", 0, "", "30"},
      {"calibration 200 s is 30 ml", "<Calibration1>200</Calibration1>", 0, "-", "30"},
      {"calibration 7 s is 857 ml", "<Calibration1>7</Calibration1>", 0, "-", "857"},
      {"calibration 0 stays 0", "<Calibration1>0</Calibration1>", 0, "-", "0"},
      {"calibration not a number", "<Calibration1>fast</Calibration1>", 0, "-", "0"},
      {"calibration 0 with leading zero name ignored", "<Calibration01>7</Calibration01>", 0, "-",
       "30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded = Load(MachineFile(4, c.body));
    ASSERT_TRUE(loaded.result.ok) << loaded.result.reason;
    const MachineSettings& machine = loaded.config.MachineData[3];
    EXPECT_EQ(machine.DefaultProgram, c.defaultProgram);
    EXPECT_EQ(machine.SoftnerPump, c.softnerPump);
    EXPECT_EQ(machine.Calibration[0], c.calibration1);
  }
}

TEST(SystemFileLoad, VersionsGoToTheConfigurationAndTheImageHeader) {
  struct Case {
    std::string major;
    std::string minor;
    uint8_t expectedMajor;
    uint8_t expectedMinor;
  } cases[] = {{"1", "1", 1, 1}, {"300", "-1", 44, 255}, {"x", "", 0, 0}, {"2", "7", 2, 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.major + "." + c.minor);
    const LoadedFile loaded =
        Load(File("<MainSetup><VersionMajor>" + c.major + "</VersionMajor><VersionMinor>" +
                  c.minor + "</VersionMinor></MainSetup>"));
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.config.MainSetup.VersionMajor, c.expectedMajor);
    EXPECT_EQ(loaded.config.MainSetup.VersionMinor, c.expectedMinor);
    EXPECT_EQ(loaded.image.bytes[image::kVersionMajor], c.expectedMajor);
    EXPECT_EQ(loaded.image.bytes[image::kVersionMinor], c.expectedMinor);
  }
}

TEST(SystemFileLoad, OnlyMachinesOneToTenAreRead) {
  struct Case {
    const char* element;
    int machineIndex;  // -1: none
  } cases[] = {{"Machine1", 0},   {"Machine10", 9},  {"Machine0", -1},
               {"Machine11", -1}, {"Machine01", -1}, {"machine2", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.element);
    const std::string name = c.element;
    const LoadedFile loaded = Load(
        File("<MachineData><" + name + "><Comment>here</Comment></" + name + "></MachineData>"));
    ASSERT_TRUE(loaded.result.ok);
    for (int m = 0; m < kMachineCount; ++m) {
      EXPECT_EQ(loaded.config.MachineData[m].Comment, m == c.machineIndex ? "here" : "") << m;
    }
  }
}

TEST(SystemFileLoad, RepeatedAndUnknownElements) {
  const LoadedFile loaded =
      Load(File("<Unknown><SystemName>no</SystemName></Unknown>"
                "<MainSetup><SystemName>first</SystemName><Extra>1</Extra></MainSetup>"
                "<MainSetup><SystemName>second</SystemName></MainSetup>"
                "<PCsettings><DefaultInputFilter>9</DefaultInputFilter></PCsettings>"
                "<MachineData><Machine2><Comment>a</Comment></Machine2>"
                "<Machine2><Comment>b</Comment><Bogus>True</Bogus></Machine2></MachineData>"));
  ASSERT_TRUE(loaded.result.ok);
  EXPECT_EQ(loaded.config.MainSetup.SystemName, "second");
  EXPECT_EQ(loaded.config.PCsettings.DefaultInputFilter, "9");
  EXPECT_EQ(loaded.config.MachineData[1].Comment, "b");
}

TEST(SystemFileLoad, TriggerTypeNames) {
  struct Case {
    std::string name;
    uint8_t code;
  } cases[] = {
      {"Parallel Trigger box", 1},
      {"Miele Logic", 5},
      {"Electrolux Compass Pro", 6},
      {"Ethernet, Miele Logic", 10},
      {"Miele pulse length", 7},
      {"TL4216, Standard", 1},
      {"TL4210, Miele Logic", 5},
      {"TC4210, Electrolux: 5xx", 6},
      {"", 1},
      {"miele logic", 1},
      {"Weight", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded =
        Load(MachineFile(2, "<Trigger><Type>" + c.name + "</Type></Trigger>"));
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.config.MachineData[1].Trigger.TriggerType(), c.code);
  }
  // The older name is saved back under the current one.
  const LoadedFile older =
      Load(MachineFile(1, "<Trigger><Type>TL4210, Miele Logic</Type></Trigger>"));
  const std::string saved = SaveSystemFile(older.config, older.image);
  EXPECT_NE(saved.find("<Type>Miele Logic</Type>"), std::string::npos);
  EXPECT_EQ(saved.find("TL4210"), std::string::npos);
}

TEST(SystemFileLoad, TriggerNumbersKeepTheirLowBits) {
  struct Case {
    const char* name;
    std::string body;
    size_t offset;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"adjust low 300", "<AdjustLow>300</AdjustLow>", kAdjustLow, {44}},
      {"adjust high -1", "<AdjustHigh>-1</AdjustHigh>", kAdjustHigh, {255}},
      {"max weight not a number", "<MaxWeight>7,5</MaxWeight>", kMaxWeight, {0}},
      {"lock input mask", "<LockInputMask>42</LockInputMask>", kLockInputMask, {42}},
      {"lock input delay", "<LockInputDelay>256</LockInputDelay>", kLockInputDelay, {0}},
      {"reset delay 70000",
       "<ResetMachineDelay>70000</ResetMachineDelay>",
       kResetMachineDelay,
       {0x70, 0x11}},
      {"reset delay 65535",
       "<ResetMachineDelay>65535</ResetMachineDelay>",
       kResetMachineDelay,
       {0xFF, 0xFF}},
      // Input 11 keeps its low three bits (3); the falling edge and softener bits
      // set by the elements before it stay.
      {"reset input among the flags",
       "<ResetMachineFallingEdge>True</ResetMachineFallingEdge><MieleLogic><SoftnerActive2>"
       "True</SoftnerActive2></MieleLogic><ResetMachineInput>11</ResetMachineInput>",
       kFlags,
       {0x1B}},
      {"falling edge cleared again",
       "<ResetMachineInput>6</ResetMachineInput><ResetMachineFallingEdge>True"
       "</ResetMachineFallingEdge><ResetMachineFallingEdge>False</ResetMachineFallingEdge>",
       kFlags,
       {0x06}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded = Load(MachineFile(1, "<Trigger>" + c.body + "</Trigger>"));
    ASSERT_TRUE(loaded.result.ok);
    const auto& bytes = loaded.config.MachineData[0].Trigger.bytes;
    EXPECT_EQ(
        std::vector<uint8_t>(bytes.begin() + c.offset, bytes.begin() + c.offset + c.bytes.size()),
        c.bytes);
  }
}

TEST(SystemFileLoad, TriggerTypeAreas) {
  // A type area with a byte in every one of its 208 places, to see what each
  // block clears.
  TriggerData filled;
  filled.Reset();
  for (size_t i = 0; i < kTypeAreaSize; ++i) filled.bytes[kTypeArea + i] = 0xEE;

  struct Case {
    const char* name;
    std::string body;
    std::vector<std::pair<size_t, uint8_t>> expected;  // type-area offset, byte
  } cases[] = {
      {"Miele texts of exactly 8 and 16 characters, area not cleared",
       "<MieleLogic><Text11>12345678</Text11><Header2>ABCDEFGHIJKLMNOP</Header2></MieleLogic>",
       {{16, '1'}, {23, '8'}, {24, 0xEE}, {40, 'A'}, {55, 'P'}, {56, 0xEE}, {0, 0xEE}}},
      {"Miele text cut at its width",
       "<MieleLogic><Text33>123456789</Text33></MieleLogic>",
       {{112, '1'}, {119, '8'}, {120, 0xEE}}},
      {"empty Miele text clears its field",
       "<MieleLogic><Header3></Header3></MieleLogic>",
       {{79, 0xEE}, {80, 0}, {95, 0}, {96, 0xEE}}},
      {"Electrolux entries 1, 2, 3 and 30",
       "<ElectroluxCompassPro><ProgramMap1>1</ProgramMap1><ProgramMap2>2</ProgramMap2>"
       "<ProgramMap3>3</ProgramMap3><ProgramMap30>6</ProgramMap30></ElectroluxCompassPro>",
       {{0, 0x10}, {1, 0x32}, {15, 0x06}, {16, 0}, {207, 0}}},
      {"Electrolux entry beyond a half-byte is not in use, its neighbour stays",
       "<ElectroluxCompassPro><ProgramMap4>5</ProgramMap4><ProgramMap5>16</ProgramMap5>"
       "<ProgramMap6>-1</ProgramMap6><ProgramMap7>x</ProgramMap7><ProgramMap31>1</ProgramMap31>"
       "</ElectroluxCompassPro>",
       {{2, 0x05}, {3, 0x00}, {15, 0x00}}},
      {"Ethernet numbers big-endian, area cleared",
       "<MieleLogicEthernet><MachineSerialNumber>-2</MachineSerialNumber>"
       "<MachineID>305419896</MachineID></MieleLogicEthernet>",
       {{0, 0xFF},
        {1, 0xFF},
        {2, 0xFF},
        {3, 0xFE},
        {4, 0x12},
        {5, 0x34},
        {6, 0x56},
        {7, 0x78},
        {8, 0},
        {207, 0}}},
      {"Ethernet number beyond 32 bits is 0",
       "<MieleLogicEthernet><MachineID>4294967295</MachineID></MieleLogicEthernet>",
       {{4, 0}, {7, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoadedFile loaded;
    loaded.config.MachineData[6].Trigger = filled;
    loaded.result = LoadSystemFile(MachineFile(7, "<Trigger>" + c.body + "</Trigger>"),
                                   loaded.config, loaded.image);
    ASSERT_TRUE(loaded.result.ok);
    const TriggerData& trigger = loaded.config.MachineData[6].Trigger;
    for (const auto& [offset, byte] : c.expected) {
      EXPECT_EQ(trigger.bytes[kTypeArea + offset], byte) << "type area byte " << offset;
    }
  }
}

TEST(SystemFileLoad, ProgramFields) {
  struct Case {
    const char* name;
    std::string body;
    int defaultLevel;
  } cases[] = {
      {"level 3", "<DefaultLevel>3</DefaultLevel>", 3},
      {"level 0", "<DefaultLevel>0</DefaultLevel>", 0},
      {"level 4 becomes Mid", "<DefaultLevel>4</DefaultLevel>", 2},
      {"level -1 becomes Mid", "<DefaultLevel>-1</DefaultLevel>", 2},
      {"level not a number", "<DefaultLevel>High</DefaultLevel>", 2},
      {"level empty", "<DefaultLevel/>", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded = Load(ProgramFile(c.body));
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.config.MachineData[0].Programs[0].DefaultLevel, c.defaultLevel);
  }
}

TEST(SystemFileLoad, InstructionNamesWithoutRegardToCase) {
  struct Case {
    std::string name;
    uint8_t firstByte;  // the line starts with 0xA0 in its high half
  } cases[] = {
      {"Empty", 0xA0},         {"reset", 0xA1},
      {"INPUT WAIT", 0xA2},    {"Input off wait", 0xA3},
      {"input Event", 0xA4},   {"Input jump", 0xA5},
      {"jump", 0xA6},          {"Wait", 0xA7},
      {"pump", 0xA8},          {"Flush", 0xA9},
      {"Keyboard lock", 0xAA}, {"PUMP, HIGH VOLUME", 0xAB},
      {"?12", 0xAF},           {"?13", 0xAF},
      {"Pump ", 0xAF},         {"", 0xAF},
      {"Pumps", 0xAF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoadedFile loaded;
    loaded.config.MachineData[0].Programs[0].Lines[0].b[0] = 0xA7;
    loaded.result =
        LoadSystemFile(ProgramFile("<L><I>" + c.name + "</I></L>"), loaded.config, loaded.image);
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.config.MachineData[0].Programs[0].Lines[0].b[0], c.firstByte);
  }
}

TEST(SystemFileLoad, ParameterBytesAtPositionsZeroThreeSixNineTwelve) {
  struct Case {
    const char* name;
    std::string data;
    std::array<uint8_t, 5> bytes;
  } cases[] = {
      {"two pairs", "0A 14", {0x0A, 0x14, 0, 0, 0}},
      {"five pairs", "01 02 03 04 05", {1, 2, 3, 4, 5}},
      {"six pairs keep five", "FF FE FD FC FB FA", {0xFF, 0xFE, 0xFD, 0xFC, 0xFB}},
      {"lower case", "ab cd", {0xAB, 0xCD, 0, 0, 0}},
      {"first pair not hexadecimal", "ZZ 01", {0, 0, 0, 0, 0}},
      {"stops at the first gap", "01 XY 03", {1, 0, 0, 0, 0}},
      {"any separator", "01-02:03", {1, 2, 3, 0, 0}},
      {"single digit at the end", "01 2", {1, 2, 0, 0, 0}},
      {"single digit before a blank", "1 2", {1, 0, 0, 0, 0}},
      {"empty", "", {0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded = Load(ProgramFile("<L><I>Pump</I><D>" + c.data + "</D></L>"));
    ASSERT_TRUE(loaded.result.ok);
    const ProgramLine& line = loaded.config.MachineData[0].Programs[0].Lines[0];
    EXPECT_EQ(line.b[0], 8);
    EXPECT_EQ((std::array<uint8_t, 5>{line.b[1], line.b[2], line.b[3], line.b[4], line.b[5]}),
              c.bytes);
    EXPECT_EQ(line.b[6], 0);
  }
}

TEST(SystemFileLoad, OnlyTheFirstSixProgramsAndTwentyFourLines) {
  struct Case {
    const char* name;
    int lineElements;
    int loadedLines;
  } cases[] = {{"eight lines", 8, 8}, {"thirty lines", 30, 24}, {"none", 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string lines;
    for (int l = 1; l <= c.lineElements; ++l) {
      lines +=
          "<L><I>Jump</I><D>" + std::to_string(l % 10) + "</D><C>" + std::to_string(l) + "</C></L>";
    }
    const LoadedFile loaded = Load(ProgramFile(lines));
    ASSERT_TRUE(loaded.result.ok);
    const ProgramRecord& program = loaded.config.MachineData[0].Programs[0];
    for (int l = 0; l < kProgramLineCount; ++l) {
      const bool loadedLine = l < c.loadedLines;
      EXPECT_EQ(program.Lines[l].Code(), loadedLine ? 6 : 0) << l;
      EXPECT_EQ(program.LineComments[l], loadedLine ? std::to_string(l + 1) : "") << l;
    }
  }

  std::string programs;
  for (int s = 1; s <= 7; ++s)
    programs += "<Program><Name>P" + std::to_string(s) + "</Name></Program>";
  const LoadedFile loaded = Load(MachineFile(5, programs));
  ASSERT_TRUE(loaded.result.ok);
  for (int s = 0; s < kProgramSlots; ++s) {
    EXPECT_EQ(loaded.config.MachineData[4].Programs[s].Name, "P" + std::to_string(s + 1));
  }
}

TEST(SystemFileLoad, LogBlocks) {
  const std::string alarmDigits(2 * image::kAlarmLogSize, '7');
  struct Case {
    const char* name;
    std::string body;
    bool ok;
    std::string element;
    uint8_t alarmFirst;
    uint8_t alarmLast;
  } cases[] = {
      {"alarm log whole", "<AlarmLog>" + alarmDigits + "</AlarmLog>", true, "", 0x77, 0x77},
      {"line breaks inside",
       "<AlarmLog>\r\n" + alarmDigits.substr(0, 100) + "\r\n\t" + alarmDigits.substr(100) +
           "\r\n</AlarmLog>",
       true, "", 0x77, 0x77},
      {"digits beyond the block ignored", "<AlarmLog>" + alarmDigits + "0102</AlarmLog>", true, "",
       0x77, 0x77},
      {"one digit short", "<AlarmLog>" + alarmDigits.substr(1) + "</AlarmLog>", false,
       "TL4200system/AlarmLog", 0, 0},
      {"not hexadecimal", "<AlarmLog>Q" + alarmDigits + "</AlarmLog>", false,
       "TL4200system/AlarmLog", 0, 0},
      {"short data log", "<DataLog>0102</DataLog>", false, "TL4200system/DataLog", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadedFile loaded = Load(File(c.body));
    EXPECT_EQ(loaded.result.ok, c.ok) << loaded.result.reason;
    EXPECT_EQ(FaultElement(loaded.result), c.element);
    EXPECT_EQ(loaded.image.bytes[image::kAlarmLog], c.alarmFirst);
    EXPECT_EQ(loaded.image.bytes[image::kAlarmLog + image::kAlarmLogSize - 1], c.alarmLast);
    // Nothing outside the alarm log region is touched.
    EXPECT_EQ(loaded.image.bytes[image::kAlarmLog - 1], 0);
    EXPECT_EQ(loaded.image.bytes[image::kDataLog], 0);
  }

  std::string dataDigits(2 * image::kDataLogSize, '0');
  dataDigits.replace(0, 2, "5A");
  dataDigits.replace(dataDigits.size() - 2, 2, "A5");
  const LoadedFile loaded = Load(File("<DataLog>" + dataDigits + "</DataLog>"));
  ASSERT_TRUE(loaded.result.ok);
  EXPECT_EQ(loaded.image.bytes[image::kDataLog], 0x5A);
  EXPECT_EQ(loaded.image.bytes[image::kDataLog + image::kDataLogSize - 1], 0xA5);
  EXPECT_EQ(loaded.image.bytes[image::kDataLog + image::kDataLogSize], 0);
}

// ---- damaged files ----------------------------------------------------------

// A short run of the damage sweep; bench/system_file_sweep.cpp runs the long one over
// the same copies, and the checks each copy must pass are in support/XmlMutations.h.
TEST(SystemFileRobustness, TruncatedAndMutatedCopiesOfTheGoldenFile) {
  const std::string golden = ReadTestFile("golden_small.xml");
  ASSERT_FALSE(golden.empty());
  constexpr int kTruncations = 50;
  constexpr int kMutations = 200;
  const test::SweepOutcome outcome = test::SweepDamagedCopies(golden, kTruncations, kMutations);
  EXPECT_EQ(outcome.fault, "");
  EXPECT_EQ(outcome.truncationsRun, kTruncations);
  EXPECT_EQ(outcome.mutationsRun, kMutations);
}

}  // namespace
}  // namespace vorel

namespace vorel {
namespace {

TEST(SystemFileChanges, ListShortenedPastItsLines) {
  std::vector<ValueChange> changes(25, ValueChange{"TL4200system/X", "256", "0"});
  const std::string text = DescribeChanges(changes, 20);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "TL4200system/X: \"256\" reaches the controller as \"0\"");
  EXPECT_NE(text.find("\n... and 5 more\n"), std::string::npos);
  EXPECT_EQ(DescribeChanges({}, 20), "");
}

}  // namespace
}  // namespace vorel
