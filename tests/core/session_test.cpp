// The session's workflows: what a load starts from, what it keeps, the changed
// flag, the failed save and load, taking an image, and what the windows hear.
#include "core/session/Session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"

namespace vorel {
namespace {

constexpr LocalDateTime kNow{2026, 12, 8, 9, 30, 0, 1};

std::string Golden() {
  std::ifstream in(std::string(VOREL_TEST_DATA) + "/golden_small.xml", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A small file that names neither AllowNoProgram nor the two logs.
constexpr std::string_view kLacking =
    "<?xml version=\"1.0\"?>\r\n<TL4200system>\r\n  <MainSetup>\r\n"
    "    <SystemName>Second site</SystemName>\r\n  </MainSetup>\r\n</TL4200system>\r\n";

struct Recorder : SessionObserver {
  std::string events;
  void ConfigurationCleared() override { events += "C"; }
  void ConfigurationReplaced() override { events += "R"; }
  void ImageChanged() override { events += "I"; }
  void ConfigurationEdited() override { events += "E"; }
};

TEST(Session, LoadStartsFromANewSystemWhateverWasOpenBefore) {
  Session fresh;
  ASSERT_TRUE(fresh.LoadSystem(kLacking, kNow));

  Session used;
  ASSERT_TRUE(used.LoadSystem(Golden(), kNow));
  ControllerImage read = used.Image().image;  // a controller with logs
  read.bytes[image::kAlarmLog + 5] = 0x77;
  read.bytes[image::kDataLog + 9] = 0x55;
  ASSERT_TRUE(used.TakeImage(read.bytes).taken.ok);
  used.EditConfiguration([](SystemConfiguration& c) { c.MachineData[3].AllowNoProgram = true; });
  ASSERT_TRUE(used.LoadSystem(kLacking, kNow));

  EXPECT_EQ(used.SystemFileBytes(), fresh.SystemFileBytes());
  EXPECT_FALSE(used.Configuration().MachineData[3].AllowNoProgram);
  EXPECT_EQ(used.Image().image.bytes[image::kAlarmLog + 5], 0);
  EXPECT_EQ(used.Configuration().MainSetup.SystemName, "Second site");
  EXPECT_FALSE(used.Changed());
  EXPECT_TRUE(used.Image().ImageValid);
}

TEST(Session, LoadKeepsTheLoginCodeOfTheLastRead) {
  Session session;
  ASSERT_TRUE(session.LoadSystem(Golden(), kNow));
  ControllerImage read = session.Image().image;
  std::copy_n("SECRET12", 8, read.bytes.begin() + image::kSystemLoginCode);
  ASSERT_TRUE(session.TakeImage(read.bytes).taken.ok);
  ASSERT_TRUE(session.LoadSystem(kLacking, kNow));
  EXPECT_EQ(LoginCodeText(session.Image().image), "SECRET12");
}

TEST(Session, FailedLoadsKeepWhatWasReadAndSayWhy) {
  Session session;
  session.EditConfiguration([&](SystemConfiguration& c) { c.MainSetup.SystemName = "Before"; });
  const Outcome unreadable = session.LoadSystem(std::nullopt, kNow);
  EXPECT_FALSE(unreadable);
  EXPECT_EQ(session.Configuration(), SystemConfiguration{});
  EXPECT_FALSE(session.Changed());  // nothing was read, nothing to lose

  const Outcome broken = session.LoadSystem(
      "<TL4200system><MainSetup><SystemName>Half</SystemName></MainSetup>"
      "<MachineData><Machine2><Enabled>maybe</Enabled></Machine2></MachineData></TL4200system>",
      kNow);
  EXPECT_FALSE(broken);
  EXPECT_NE(broken.reason.find("TL4200system/MachineData/Machine2/Enabled"), std::string::npos)
      << broken.reason;
  EXPECT_EQ(session.Configuration().MainSetup.SystemName, "Half");
  EXPECT_TRUE(session.Changed());

  // Read in part: it counts as changed, and that very file is remembered.
  session.LoadSystem(
      "<TL4200system><MachineData><Machine2><Enabled>maybe</Enabled>"
      "</Machine2></MachineData></TL4200system>",
      kNow, "/site/a.xml");
  EXPECT_TRUE(session.Changed());
  EXPECT_TRUE(session.PartlyLoadedFrom("/site/a.xml"));
  EXPECT_FALSE(session.PartlyLoadedFrom("/site/b.xml"));
  session.SaveSystem([](std::string_view) { return Outcome::Done(); }, kNow);
  EXPECT_FALSE(session.PartlyLoadedFrom("/site/a.xml"));
}

TEST(Session, SaveHandsTheFileToTheWriterAndCountsOnlyAWrittenFile) {
  Session session;
  ASSERT_TRUE(session.LoadSystem(Golden(), kNow));
  session.EditConfiguration([](SystemConfiguration&) {});  // an edit that changes no value
  const Outcome failed =
      session.SaveSystem([](std::string_view) { return Outcome::Failed("disk full"); }, kNow);
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.reason, "disk full");
  EXPECT_TRUE(session.Changed());

  std::string written;
  const Outcome saved = session.SaveSystem(
      [&written](std::string_view bytes) {
        written = bytes;
        return Outcome::Done();
      },
      kNow);
  EXPECT_TRUE(saved);
  EXPECT_FALSE(session.Changed());
  EXPECT_EQ(written, Golden());
}

TEST(Session, NewSystemKeepsAllowNoProgramAsClearingDoes) {
  Session session;
  ASSERT_TRUE(session.LoadSystem(Golden(), kNow));
  session.EditConfiguration(
      [&](SystemConfiguration& c) { c.MachineData[0].AllowNoProgram = true; });
  session.EditConfiguration([&](SystemConfiguration& c) { c.MachineData[4].Enabled = true; });
  session.NewSystem(kNow);
  EXPECT_TRUE(session.Configuration().MachineData[0].AllowNoProgram);
  EXPECT_FALSE(session.Configuration().MachineData[4].Enabled);
  EXPECT_EQ(session.Configuration().MainSetup.SystemName, "");
  EXPECT_FALSE(session.Changed());
  EXPECT_TRUE(session.Image().ImageValid);
}

TEST(Session, TakeImageRefusesAWrongSizeBeforeChangingAnything) {
  Session session;
  ASSERT_TRUE(session.LoadSystem(Golden(), kNow));
  const SystemConfiguration before = session.Configuration();
  const std::vector<uint8_t> shortImage(100, 0);
  EXPECT_FALSE(session.TakeImage(shortImage).taken.ok);
  EXPECT_EQ(session.Configuration(), before);

  // The session's own packed image comes back as the same configuration.
  const auto packed = session.Image().image.bytes;
  Session other;
  ASSERT_TRUE(other.TakeImage(packed).taken.ok);
  EXPECT_EQ(other.Configuration().MainSetup.SystemName, before.MainSetup.SystemName);
  for (int slot = 0; slot < kProgramSlots; ++slot) {
    EXPECT_EQ(other.Configuration().MachineData[1].Programs[slot].Lines,
              before.MachineData[1].Programs[slot].Lines);
  }
}

// Every change reaches the configuration or the image through an operation: the
// observers hear it, and only the technician's edits count as unsaved work.
TEST(Session, ObserversHearEachWorkflowInOrder) {
  struct Case {
    const char* name;
    void (*run)(Session&);
    std::string events;
    bool changed = false;
  };
  const Case cases[] = {
      {"clear all", [](Session& s) { s.ClearAll(); }, "CI"},
      {"new", [](Session& s) { s.NewSystem(kNow); }, "CI"},
      {"load", [](Session& s) { s.LoadSystem(kLacking, kNow); }, "CIR"},
      {"save",
       [](Session& s) { s.SaveSystem([](std::string_view) { return Outcome::Done(); }, kNow); },
       "IR"},
      {"refused image", [](Session& s) { s.TakeImage(std::vector<uint8_t>(image::kSize, 0)); },
       "CII"},
      {"an editor's edit",
       [](Session& s) {
         s.EditConfiguration([](SystemConfiguration& c) { c.MachineData[2].Comment = "Dryer"; });
       },
       "E", true},
      {"what a trigger unit told",
       [](Session& s) {
         s.AdjustConfiguration(
             [](SystemConfiguration& c) { c.MachineData[2].Trigger.SetIdentification(1, 0x21); });
       },
       "E", false},
      {"copy machine 1 to all", [](Session& s) { s.CopyMachines(0, kCopyToAll); }, "E", true},
      {"copy machine 1 onto itself", [](Session& s) { s.CopyMachines(0, 0); }, "", false},
      {"name and filter into the image", [](Session& s) { s.PackNameAndFilter(); }, "I"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Session session;
    Recorder recorder;
    session.AddObserver(&recorder);
    c.run(session);
    EXPECT_EQ(recorder.events, c.events);
    EXPECT_EQ(session.Changed(), c.changed);
    session.RemoveObserver(&recorder);
    c.run(session);
    EXPECT_EQ(recorder.events, c.events);
  }
}

}  // namespace
}  // namespace vorel

namespace vorel {
namespace {

TEST(Session, TheSystemSetupNameAndFilterGoIntoTheImage) {
  Session session;
  session.NewSystem(kNow);
  session.EditConfiguration([](SystemConfiguration& c) {
    c.MainSetup.SystemName = "Harbour";
    c.PCsettings.DefaultInputFilter = "7";
  });
  session.PackNameAndFilter();
  const auto& bytes = session.Image().image.bytes;
  EXPECT_EQ(std::string(bytes.begin() + image::kSystemName, bytes.begin() + image::kSystemName + 8),
            std::string("Harbour\0", 8));
  EXPECT_EQ(bytes[image::kDefaultInputFilter], 7);
}

TEST(ValueCheck, TheToolsOwnFileReachesTheControllerUnchanged) {
  Session session;
  const Outcome loaded = session.LoadSystem(Golden(), kNow);
  ASSERT_TRUE(loaded);
  for (const ValueChange& change : session.LoadChanges()) {
    ADD_FAILURE() << change.element << ": " << change.fileValue << " -> " << change.controllerValue;
  }
}

TEST(ValueCheck, EachKindOfChangeIsListed) {
  const std::string m1 = "TL4200system/MachineData/Machine1/";
  struct Case {
    const char* name;
    std::string machineXml;  // inside <Machine1>
    std::vector<ValueChange> want;
  };
  const Case cases[] = {
      {"timeout past a byte",
       "<ProgramTimeout>256</ProgramTimeout>",
       {{m1 + "ProgramTimeout", "256", "0"}}},
      {"negative flush time",
       "<ShortFlushTime>-1</ShortFlushTime>",
       {{m1 + "ShortFlushTime", "-1", "255"}}},
      {"slow pump", "<Calibration3>300</Calibration3>", {{m1 + "Calibration3", "300", "250"}}},
      {"calibration no number",
       "<Calibration1>x</Calibration1>",
       {{m1 + "Calibration1", "x", "0"}}},
      {"unknown trigger type",
       "<Trigger><Type>Steam</Type></Trigger>",
       {{m1 + "Trigger/Type", "Steam", "Parallel Trigger box"}}},
      {"adjust past a byte",
       "<Trigger><AdjustLow>300</AdjustLow></Trigger>",
       {{m1 + "Trigger/AdjustLow", "300", "44"}}},
      {"unknown instruction",
       "<Program><L><I>Spin</I></L></Program>",
       {{m1 + "Program(1)/L(1)/I", "Spin", "?15"}}},
      {"unreadable data",
       "<Program><L><I>Wait</I><D>ZZ</D></L></Program>",
       {{m1 + "Program(1)/L(1)/D", "ZZ", "00 00 00 00 00"}}},
      {"level out of range",
       "<Program><DefaultLevel>7</DefaultLevel></Program>",
       {{m1 + "Program(1)/DefaultLevel", "7", "2"}}},
      {"nothing changes",
       "<ProgramTimeout>255</ProgramTimeout><Calibration2>250</Calibration2>"
       "<Program><L><I>Wait</I><D>0A 00</D></L></Program>",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Session session;
    const Outcome loaded =
        session.LoadSystem("<TL4200system><MachineData><Machine1>" + c.machineXml +
                               "</Machine1></MachineData></TL4200system>",
                           kNow);
    ASSERT_TRUE(loaded) << loaded.reason;
    ASSERT_EQ(session.LoadChanges().size(), c.want.size());
    for (size_t i = 0; i < c.want.size(); ++i) {
      EXPECT_EQ(session.LoadChanges()[i].element, c.want[i].element);
      EXPECT_EQ(session.LoadChanges()[i].fileValue, c.want[i].fileValue);
      EXPECT_EQ(session.LoadChanges()[i].controllerValue, c.want[i].controllerValue);
    }
  }
}

TEST(ValueCheck, TextsBeyondTheTextAreaAndLongNamesAreListed) {
  std::string xml = "<TL4200system><MainSetup><SystemName>" + std::string(45, 'N') +
                    "</SystemName></MainSetup><MachineData>";
  // 10 machines x 6 programs x 24 line comments of 20 characters: far past 9600 bytes.
  for (int m = 1; m <= 10; ++m) {
    xml += "<Machine" + std::to_string(m) + ">";
    for (int p = 0; p < 6; ++p) {
      xml += "<Program>";
      for (int l = 0; l < 24; ++l) xml += "<L><I>Empty</I><C>" + std::string(20, 'c') + "</C></L>";
      xml += "</Program>";
    }
    xml += "</Machine" + std::to_string(m) + ">";
  }
  xml += "</MachineData></TL4200system>";
  Session session;
  const Outcome loaded = session.LoadSystem(xml, kNow);
  ASSERT_TRUE(loaded);
  ASSERT_GT(session.LoadChanges().size(), 1u);
  EXPECT_EQ(session.LoadChanges()[0].element, "TL4200system/MainSetup/SystemName");
  EXPECT_EQ(session.LoadChanges()[0].controllerValue, std::string(40, 'N'));
  // 9599 bytes hold 457 comments of 21 bytes; the rest of the 1440 are not stored.
  EXPECT_EQ(session.LoadChanges().size(), 1u + 1440u - 457u);
  EXPECT_EQ(session.LoadChanges().back().element,
            "TL4200system/MachineData/Machine10/Program(6)/L(24)/C");
  EXPECT_EQ(session.LoadChanges().back().controllerValue, "(not stored: the text area is full)");
}

TEST(Session, AnUntouchedNewSystemIsKnownAsSuch) {
  const struct {
    const char* name;
    std::function<void(Session&)> step;
    bool untouched;
  } cases[] = {
      {"start-up", [](Session&) {}, true},
      {"an edit",
       [](Session& s) {
         s.EditConfiguration([](SystemConfiguration& c) { c.MainSetup.SystemName = "Edited"; });
       },
       false},
      {"New System", [](Session& s) { s.NewSystem(kNow); }, true},
      {"a load", [](Session& s) { s.LoadSystem(Golden(), kNow); }, false},
      {"an image", [](Session& s) { s.TakeImage(s.Image().image.bytes); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session session;
    c.step(session);
    EXPECT_EQ(session.HoldsUntouchedNewSystem(), c.untouched);
  }
}

// A firmware-1 controller keeps its logs 128 bytes lower. An image read from one,
// with a March 2012 month and a pressure alarm, converted as vorelctl convert and
// the windows do: the logs stay readable after every step, and what a write sends
// is what it would send for the same configuration from any other controller.
TEST(Session, AFirmwareOneImageKeepsItsLogsThroughEveryConversion) {
  Session source;
  ASSERT_TRUE(source.LoadSystem(Golden(), kNow));
  std::vector<uint8_t> read(source.Image().image.bytes.begin(), source.Image().image.bytes.end());
  std::fill(read.begin() + 25088, read.end() - 48, 0);
  read[8] = 1;
  read[25344] = 12;            // record 0: 2012
  read[25344 + 1] = 3;         // March
  read[25344 + 2 + 14] = 200;  // machine 1, pump 1: one litre
  read[25088] = 0x01;          // pressure alarm active
  read[25088 + 16] = 0x02;     // history slot 0: pressure alarm
  read[25088 + 17] = 0x40;     // on day 1
  const auto logsReadable = [](const ControllerImage& image) {
    return LogMonths(image) == std::vector<YearMonth>{{2012, 3}} &&
           AlarmHistoryLines(image).front() == " 1: 2000-00-01  0:00 > Pressure alarm." &&
           AlarmStateLines(image) == std::vector<std::string>{"  1: Pressure alarm"};
  };
  const auto asBin = [](const Session& session) {
    const auto& bytes = session.Image().image.bytes;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  };
  const auto asXml = [](Session& session) {
    std::string file;
    EXPECT_TRUE(session.SaveSystem(
        [&file](std::string_view bytes) {
          file = bytes;
          return Outcome::Done();
        },
        kNow));
    return file;
  };

  Session taken;
  ASSERT_TRUE(taken.TakeImage(read).taken.ok);
  EXPECT_TRUE(logsReadable(taken.Image().image));
  const std::string xmlOfRead = asXml(taken);  // saved before packing
  EXPECT_TRUE(logsReadable(taken.Image().image)) << "packed after the save";

  Session binToBin;
  ASSERT_TRUE(binToBin.TakeImage(read).taken.ok);
  binToBin.PackImage(kNow);
  Session again;
  ASSERT_TRUE(again.TakeImage(asBin(binToBin)).taken.ok);
  EXPECT_TRUE(logsReadable(again.Image().image)) << ".bin to .bin";

  Session fromXml;
  ASSERT_TRUE(fromXml.LoadSystem(xmlOfRead, kNow));
  EXPECT_TRUE(logsReadable(fromXml.Image().image)) << ".bin to .xml";
  Session roundTrip;
  ASSERT_TRUE(roundTrip.TakeImage(asBin(fromXml)).taken.ok);
  ASSERT_TRUE(roundTrip.LoadSystem(asXml(roundTrip), kNow));
  EXPECT_TRUE(logsReadable(roundTrip.Image().image)) << ".xml to .bin to .xml";

  // The same configuration read from a controller of another firmware.
  std::vector<uint8_t> other = read;
  other[8] = 2;
  std::fill(other.begin() + 25088, other.end() - 48, 0);
  Session otherSession;
  ASSERT_TRUE(otherSession.TakeImage(other).taken.ok);
  otherSession.PackImage(kNow);
  const std::vector<uint8_t> sent = asBin(binToBin);
  const std::vector<uint8_t> otherSent = asBin(otherSession);
  ASSERT_EQ(WriteRangeEnd(binToBin.Image()), WriteRangeEnd(otherSession.Image()));
  EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + 25216, otherSent.begin()));
}

// One decision between an image and a system file for the window and vorelctl; a
// file that is neither changes nothing.
TEST(Session, LoadFileTellsAnImageFromASystemFile) {
  Session packer;
  ASSERT_TRUE(packer.LoadSystem(Golden(), kNow));
  const auto& image = packer.Image().image.bytes;
  const std::string imageBytes(image.begin(), image.end());
  const struct {
    std::string bytes;
    FileKind kind;
    bool ok;
  } cases[] = {
      {imageBytes, FileKind::kImage, true},
      {Golden(), FileKind::kSystemFile, true},
      {"PK\x03\x04 a zip archive", FileKind::kUnknown, false},
      {imageBytes.substr(0, 32767), FileKind::kUnknown, false},
  };
  for (const auto& c : cases) {
    Session session;
    session.EditConfiguration([&](SystemConfiguration& c) { c.MainSetup.SystemName = "Kept"; });
    const Session::FileLoad load = session.LoadFile(c.bytes, kNow);
    EXPECT_EQ(load.kind, c.kind);
    EXPECT_EQ(static_cast<bool>(load.result), c.ok) << load.result.reason;
    if (c.kind == FileKind::kUnknown)
      EXPECT_EQ(session.Configuration().MainSetup.SystemName, "Kept");
    else
      EXPECT_EQ(session.Configuration().MainSetup.SystemName,
                packer.Configuration().MainSetup.SystemName);
  }
}

}  // namespace
}  // namespace vorel
