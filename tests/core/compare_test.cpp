// The worded compare: every place named as its window names it, every value as the
// editors show it, and values that reach the controller alike are no difference.
#include "core/systemfile/Compare.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/image/ImagePacking.h"
#include "support/ProgramBuilders.h"

namespace vorel {

void PrintTo(const Difference& d, std::ostream* os) {
  *os << DifferenceLine(d);
}

namespace {

using namespace test;

struct Side {
  SystemConfiguration config;
  ControllerImage image;
};

// Machine 1, slot 1 named "Whites 60" on both sides; line 2 of it holds `a` and `b`.
std::function<void(Side&, Side&)> Line(const Bytes& a, const Bytes& b) {
  return [a, b](Side& first, Side& second) {
    for (Side* side : {&first, &second}) side->config.MachineData[0].Programs[0].Name = "Whites 60";
    first.config.MachineData[0].Programs[0].Lines[1] = MakeLine(a);
    second.config.MachineData[0].Programs[0].Lines[1] = MakeLine(b);
  };
}

constexpr const char* kLine2 = "Machine 1, program 1 \"Whites 60\", line 2";

std::string LineOf(const char* instruction) {
  return std::string(kLine2) + " (" + instruction + ")";
}

TEST(Compare, NamesThePlaceAndTheValueAsTheEditorsShowThem) {
  struct Case {
    const char* name;
    std::function<void(Side&, Side&)> change;
    std::vector<Difference> expected;
  } cases[] = {
      // Filter 2, input 1 to the next line, input 4 to line 7, input 5 to Reset: b2 = 0x41,
      // b3 = 0x05, targets 7 | 31 << 5 = 0x03E7.
      {"input wait",
       Line({0x02, 2, 0x41, 0x05, 0xE7, 0x03}, {0x02, 3, 0x41, 0x05, 0xE7, 0x03}),
       {{LineOf("Input wait"), "F2, I1->Nxt, I4->L7, I5->Reset",
         "F3, I1->Nxt, I4->L7, I5->Reset"}}},
      // Slot 3 is the low nibble of b2.
      {"input off wait", Line({0x03, 0, 0x02, 0}, {0x03}), {{LineOf("Input off wait"), "I2", "-"}}},
      {"input event, target 24 or Reset",
       Line({0x04, 0, 0x30, 0, 24, 0}, {0x04, 0, 0x30, 0, 31, 0}),
       {{LineOf("Input event"), "I3->L24", "I3->Reset"}}},
      {"input jump without a target",
       Line({0x05, 0, 0x60, 0, 0, 0}, {0x05, 0, 0x60, 0, 5, 0}),
       {{LineOf("Input jump"), "I6->?", "I6->L5"}}},
      {"jump", Line({0x06, 5}, {0x06, 25}), {{LineOf("Jump"), "Jump L5", "Jump ?"}}},
      // 300 = 0x012C, 4464 = 0x1170.
      {"wait",
       Line({0x07, 0x2C, 0x01}, {0x07, 0x70, 0x11}),
       {{LineOf("Wait"), "Wait: 300 sec", "Wait: 4464 sec"}}},
      // Pump 3, short flush (bit 4), delay 5, 10/20/30 ml; then mid 45 ml.
      {"pump",
       Line({0x08, 0x13, 5, 10, 20, 30}, {0x08, 0x13, 5, 10, 45, 30}),
       {{LineOf("Pump"), "P3, D=5, FS, V=10/20/30", "P3, D=5, FS, V=10/45/30"}}},
      {"pump, only the wait the grid does not show",
       Line({0x08, 0x13, 5, 10, 20, 30}, {0x08, 0x53, 5, 10, 20, 30}),
       {{LineOf("Pump"), "P3, D=5, FS, V=10/20/30, no wait until dispense done",
         "P3, D=5, FS, V=10/20/30, waits until dispense done"}}},
      {"flush",
       Line({0x09, 0x01, 0, 20}, {0x09, 0x00, 3, 20}),
       {{LineOf("Flush"), "T=20, To drain", "D=3, T=20"}}},
      {"flush, only its wait",
       Line({0x09, 0x01, 0, 20}, {0x09, 0x03, 0, 20}),
       {{LineOf("Flush"), "T=20, To drain, no wait until flush done",
         "T=20, To drain, waits until flush done"}}},
      // Pump 2, long flush (0x20), 1000 ml = 0x03E8 and 1500 ml = 0x05DC, low adjust 25.
      {"pump, high volume",
       Line({0x0B, 0x22, 0, 0xE8, 0x03, 25}, {0x0B, 0x22, 0, 0xDC, 0x05, 25}),
       {{LineOf("Pump, high volume"), "P2, FL, V=1000", "P2, FL, V=1500"}}},
      {"pump, high volume, only the low adjust",
       Line({0x0B, 0x22, 0, 0xE8, 0x03, 25}, {0x0B, 0x22, 0, 0xE8, 0x03, 30}),
       {{LineOf("Pump, high volume"),
         "P2, FL, V=1000, low adjust 25 %, high adjust 50 %, no wait until dispense done",
         "P2, FL, V=1000, low adjust 30 %, high adjust 60 %, no wait until dispense done"}}},
      {"another instruction: the whole line",
       Line({0x08, 0x13, 5, 10, 20, 30}, {0x06, 5}),
       {{kLine2, "Pump: P3, D=5, FS, V=10/20/30", "Jump L5"}}},
      {"an empty line becomes a wait",
       Line({0x00}, {0x07, 10, 0}),
       {{kLine2, "Empty", "Wait: 10 sec"}}},
      {"codes the controller does not know", Line({0x0D}, {0x0C}), {{kLine2, "13 ???", "12 ???"}}},
      {"a bit no control shows: the bytes",
       Line({0x08, 0x13, 5, 10, 20, 30}, {0x08, 0x93, 5, 10, 20, 30}),
       {{LineOf("Pump"), "bytes 13 05 0A 14 1E", "bytes 93 05 0A 14 1E"}}},
      {"bytes the line does not keep are no difference",
       Line({0x03, 0, 0x02, 0, 7, 7}, {0x03, 0, 0x02}),
       {}},
      {"line comment",
       [](Side& a, Side& b) {
         for (Side* side : {&a, &b}) side->config.MachineData[0].Programs[0].Name = "Whites 60";
         a.config.MachineData[0].Programs[0].LineComments[1] = "main wash";
       },
       {{std::string(kLine2) + " comment", "\"main wash\"", "\"\""}}},
      {"program header",
       [](Side& a, Side& b) {
         a.config.MachineData[3].Programs[5].DefaultLevel = 3;
         b.config.MachineData[3].Programs[5].Active = true;
       },
       {{"Machine 4, program 6 \"Program 6\", active", "no", "yes"},
        {"Machine 4, program 6 \"Program 6\", default level", "High", "Mid"}}},
      // An image keeps no text for a program with its slot's own name.
      {"a slot's own name held or left out",
       [](Side& a, Side&) { a.config.MachineData[1].Programs[2].Name = ""; },
       {}},
      // 6000 / 400 = 15 s per 100 ml, (225 + 6000) / 450 = 13.
      {"calibration",
       [](Side& a, Side& b) {
         a.config.MachineData[2].Calibration[1] = "400";
         b.config.MachineData[2].Calibration[1] = "450";
       },
       {{"Machine 3, pump 2 calibration", "400 ml/min", "450 ml/min"}}},
      // (231 + 6000) / 462 = 13 as well.
      {"calibrations storing the same seconds",
       [](Side& a, Side& b) {
         a.config.MachineData[2].Calibration[1] = "462";
         b.config.MachineData[2].Calibration[1] = "450";
       },
       {}},
      {"system name",
       [](Side& a, Side& b) {
         a.config.MainSetup.SystemName = "Hall A";
         b.config.MainSetup.SystemName = "Hall B";
       },
       {{"System name", "\"Hall A\"", "\"Hall B\""}}},
      {"machine setting",
       [](Side&, Side& b) { b.config.MachineData[1].ShortFlushTime = "8"; },
       {{"Machine 2, short flush time", "5 s", "8 s"}}},
      {"the same seconds written otherwise",
       [](Side&, Side& b) { b.config.MachineData[1].ShortFlushTime = "05"; },
       {}},
      {"default program and softener pump",
       [](Side& a, Side& b) {
         for (Side* side : {&a, &b}) side->config.MachineData[0].Programs[0].Name = "Whites 60";
         a.config.MachineData[0].DefaultProgram = 1;
         b.config.MachineData[0].SoftnerPump = "7";
       },
       {{"Machine 1, default program", "program 1 \"Whites 60\"", "-"},
        {"Machine 1, fabric softener", "-", "pump 7"}}},
      // Keyboard lock inputs 2, 4, 6 are mask 42; "Input 3, falling edge" is 3 | 8.
      {"trigger settings",
       [](Side& a, Side& b) {
         a.config.MachineData[4].Trigger.bytes[trigger::kMaxWeight] = 15;
         a.config.MachineData[4].Trigger.bytes[trigger::kLockInputMask] = 42;
         b.config.MachineData[4].Trigger.bytes[trigger::kFlags] = 11;
       },
       {{"Machine 5, trigger max. weight", "7,5 kg", "7,0 kg"},
        {"Machine 5, trigger keyboard lock", "Input 2, Input 4, Input 6", "-"},
        {"Machine 5, trigger machine reset", "-", "Input 3, falling edge"}}},
      {"trigger type: the type's own fields are not listed",
       [](Side&, Side& b) {
         b.config.MachineData[0].Trigger.bytes[trigger::kType] = trigger::kTypeMieleLogic;
         b.config.MachineData[0].Trigger.FillMieleDefaults();
       },
       {{"Machine 1, trigger type", "Parallel Trigger box", "Miele Logic"}}},
      {"Miele Logic texts",
       [](Side& a, Side& b) {
         for (Side* side : {&a, &b}) {
           side->config.MachineData[0].Trigger.bytes[trigger::kType] = trigger::kTypeMieleLogic;
           side->config.MachineData[0].Trigger.FillMieleDefaults();
         }
         b.config.MachineData[0].Trigger.SetMieleText(*FindMieleText("Text32"), "Medium");
       },
       {{"Machine 1, Miele Logic level mid", "\"Mid\"", "\"Medium\""}}},
      {"Electrolux program map",
       [](Side& a, Side& b) {
         for (Side* side : {&a, &b}) {
           side->config.MachineData[0].Trigger.bytes[trigger::kType] = trigger::kTypeElectrolux;
           side->config.MachineData[0].Programs[1].Name = "Coloureds 40";
         }
         a.config.MachineData[0].Trigger.SetProgramMap(7, 2);
       },
       {{"Machine 1, Electrolux program 7", "program 2 \"Coloureds 40\"", "Not in use"}}},
      {"alarm routing",
       [](Side& a, Side& b) {
         a.config.Alarm.Group[1].WaterPressure = true;
         b.config.Alarm.Recipient[3] = "+49 170 1234567";
         // Enabled as the image holds it: a read switches machine 1 on in the editors.
         b.image.SetU16(image::kEnableMask, 1u << 9);
       },
       {{"Alarm group 1, pressure alarm", "yes", "no"},
        {"Recipient 4", "\"\"", "\"+49 170 1234567\""},
        {"Machine 10, enabled", "no", "yes"}}},
      // 1250 hundredths of a litre at the first alarm amount.
      {"soap amount alarm, held only in the image",
       [](Side& a, Side&) { a.image.SetU16(image::kSoapAlarmAmounts, 1250); },
       {{"Pump 1 soap alarm amount", "12.50 l", "0.00 l"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Side a;
    Side b;
    c.change(a, b);
    EXPECT_EQ(CompareConfigurations(a.config, a.image, b.config, b.image), c.expected);
  }
}

// A write of what the editors hold changes nothing in a controller that holds it
// already: names left to their slot, calibrations that round, the soap amounts packing
// zeroes.
TEST(Compare, TheEditorsAgainstTheirOwnWrittenImage) {
  SystemConfiguration editors;
  editors.MainSetup.SystemName = "Harbour laundry";
  editors.MachineData[0] = Configured();
  editors.MachineData[0].Calibration[0] = "450";
  editors.MachineData[0].Programs[0].Lines[3] = MakeLine({0x08, 0x13, 5, 10, 20, 30});
  SystemConfiguration packed = editors;
  ImageState controller;
  PackImage(packed, controller, LocalDateTime{});
  EXPECT_EQ(CompareWithController(editors, controller.image, controller.image),
            std::vector<Difference>{});

  // 3 litres used since: the controller counts them, a write sets them back to 0.
  controller.image.SetU16(image::kSoapUsedAmounts, 300);
  editors.MachineData[0].Programs[0].Lines[3].b[4] = 45;
  EXPECT_EQ(CompareWithController(editors, controller.image, controller.image),
            (std::vector<Difference>{{"Pump 1 used soap amount", "0.00 l", "3.00 l"},
                                     {"Machine 1, program 1 \"Program 1\", line 4 (Pump)",
                                      "P3, D=5, FS, V=10/45/30", "P3, D=5, FS, V=10/20/30"}}));
  EXPECT_EQ(DifferenceLine({"System name", "\"Hall A\"", "\"Hall B\""}),
            "System name: \"Hall A\" -> \"Hall B\"");
}

}  // namespace
}  // namespace vorel
