// The system setup rules: manual control and what the next poll answer carries,
// status reports against controlled outputs, the machine reset, the monitor line
// and the group 0 rule.
#include <gtest/gtest.h>

#include <vector>

#include "core/session/Session.h"
#include "core/supervision/SystemSetup.h"
#include "support/WrittenFrames.h"

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;

using Capture = test::WrittenFrames;

// A poll to the PC with sequence s, sealed and framed by hand: 30 06 s 02 01 cks.
Bytes Poll(uint8_t s) {
  const uint8_t checksum = static_cast<uint8_t>(0xFF - (0x30 + 0x06 + s + 0x02 + 0x01));
  Bytes message = {0x30, 0x06, s, 0x02, 0x01, checksum};
  Bytes frame;
  AppendFrame(frame, message);
  return frame;
}

// The serial link in use on `port`, the controller not yet heard.
void UseSerialLink(Session& session) {
  session.SkipStartupDelay();
  session.SetPortName("ttyS0");
  session.SelectMode(true);
}

// A status report of `length` 44 or 64 as the controller sends it, decoded.
StatusReport ReportWithPumps(uint8_t pumps, uint16_t outputs, uint8_t length = 64) {
  Bytes message(length, 0);
  message[0] = 0x33;
  message[1] = length;
  message[6] = pumps;
  message[8] = static_cast<uint8_t>(outputs & 0xFF);
  message[9] = static_cast<uint8_t>(outputs >> 8);
  return *DecodeStatusReport(message);
}

TEST(ManualControl, Pump3ByHandGoesOutWithTheNextPoll) {
  Session session;
  Capture wire;
  const Attachment port = session.AttachSerialPort(wire);
  UseSerialLink(session);
  session.ReceiveSerial(Poll(5));  // into step
  session.PressPump(3, true);
  EXPECT_TRUE(session.Manual().PumpControlled(3));
  session.ReceiveSerial(Poll(1));
  ASSERT_EQ(wire.messages.size(), 2u);
  const Bytes& manual = wire.messages.back();
  ASSERT_EQ(manual.size(), 12u);
  EXPECT_EQ(manual[0], 0x32);
  EXPECT_EQ(manual[6], 0x04);  // pump-on bit 2
  EXPECT_EQ(manual[7], 0x04);  // pump-control bit 2

  // Unchecking Control leaves the on-bit: the pump goes back to the controller.
  session.SetPumpControl(3, false);
  EXPECT_EQ(session.Manual().State().pumpOn, 0x04);
  EXPECT_EQ(session.Manual().State().pumpControl, 0x00);
}

TEST(ManualControl, ReportsMoveOnlyUncontrolledButtons) {
  ManualControl manual;
  manual.PressPump(3, true, true);
  manual.PressOutput(ManualOutput::kAlarmOutput, true, true);
  manual.PressMachine(10, true, true);
  EXPECT_EQ(manual.State().controlWord, (1u << 9) | (1u << 12) | (1u << 13));
  EXPECT_EQ(manual.State().onWord, 1u << 9);
  // The controller says pump 3, machine 10 and the alarm are off, pump 1, machine 2
  // and the flush water valve on.
  manual.ApplyStatusReport(ReportWithPumps(0x01, (1u << 1) | (1u << 10)));
  EXPECT_TRUE(manual.Buttons().pump[2]);
  EXPECT_TRUE(manual.Buttons().pump[0]);
  EXPECT_TRUE(manual.Buttons().machine[9]);
  EXPECT_TRUE(manual.Buttons().machine[1]);
  EXPECT_TRUE(manual.Buttons().flushWater);
  EXPECT_TRUE(manual.Buttons().alarmOutput);

  // The gateway's status moves every button but the alarm output's.
  manual.ApplyGatewayStatus(0x00, 0x0000);
  EXPECT_FALSE(manual.Buttons().pump[2]);
  EXPECT_FALSE(manual.Buttons().machine[9]);
  EXPECT_FALSE(manual.Buttons().flushWater);
  EXPECT_TRUE(manual.Buttons().alarmOutput);

  // Over the gateway, and for numbers out of range, nothing is recorded.
  ManualControl remote;
  remote.PressPump(2, true, false);
  remote.PressPump(8, true, true);
  remote.PressMachine(0, true, true);
  EXPECT_EQ(remote.State(), ManualControlState{});

  manual.Reset();
  EXPECT_EQ(manual.State(), ManualControlState{});
  EXPECT_EQ(manual.Buttons(), ManualButtons{});
}

TEST(ManualControl, ShortAndLongReportsShowTheSameOutputs) {
  // Pump 2, machine 4, the drain valve and the alarm output on (bit 12).
  const uint16_t outputs = (1u << 3) | (1u << 11) | (1u << 12);
  ManualButtons shown[2];
  for (int form = 0; form < 2; ++form) {
    ManualControl manual;
    manual.ApplyStatusReport(ReportWithPumps(0x02, outputs, form == 0 ? 44 : 64));
    shown[form] = manual.Buttons();
  }
  EXPECT_TRUE(shown[0].alarmOutput) << "the 44-byte report's alarm output";
  EXPECT_TRUE(shown[0].flushDrain);
  EXPECT_TRUE(shown[0].machine[3]);
  EXPECT_TRUE(shown[0].pump[1]);
  EXPECT_EQ(shown[0], shown[1]);
}

TEST(MachineReset, TakenByTheNextPoll) {
  Session session;
  Capture wire;
  const Attachment port = session.AttachSerialPort(wire);
  UseSerialLink(session);
  session.ReceiveSerial(Poll(5));
  session.PressMachineReset(MachineReset::kAll);
  session.ReceiveSerial(Poll(1));
  EXPECT_EQ(wire.messages.size(), 1u);  // that poll gets no answer
  EXPECT_TRUE(session.PendingReset().Done());
  session.ReceiveSerial(Poll(1));
  ASSERT_EQ(wire.messages.size(), 2u);
  EXPECT_EQ(wire.messages.back(), (Bytes{0x38, 0x07, 0x01, 0x01, 0x02, 0xA2, 0x1A}));

  // The "OK" goes with the connection it was sent on.
  session.ForgetMachineReset();
  EXPECT_FALSE(session.PendingReset().Done());

  // Pressed with nothing chosen: the poll sends nothing and says no "OK".
  MachineReset reset;
  reset.Press(std::nullopt);
  std::optional<uint8_t> command;
  EXPECT_TRUE(reset.Take(command));
  EXPECT_FALSE(command);
  EXPECT_FALSE(reset.Done());
  EXPECT_FALSE(reset.Take(command));
}

TEST(SystemSetup, MonitorLineOfTheExample) {
  const Bytes message = {0x3F, 20,   1,    2,    1,    0,    0x13, 0x00, 0x00, 0x01,
                         0x02, 0x00, 0x00, 0x00, 0x2A, 0x01, 0x02, 0x0A, 0xFF, 0x55};
  const auto report = DecodeEthernetMonitorReport(message);
  ASSERT_TRUE(report);
  EXPECT_EQ(MonitorLine(*report, 9, 5, 3, 47),
            "09:05:03.047> M=03, Serial=00000258, UnitID=00000042, Status= 01 02 0A FF, "
            "Softner=55");
  EthernetMonitorReport unknown = *report;
  unknown.machineNumber = 0;
  EXPECT_EQ(MonitorLine(unknown, 0, 0, 0, 0).substr(0, 19), "00:00:00.000> M= ?,");
}

TEST(SystemSetup, WatchShowsOnlyAValidClock) {
  struct Case {
    ControllerClock clock;  // seconds, minutes, hours, day, month, year - 2000
    const char* text;
  };
  const Case cases[] = {
      {{5, 4, 3, 30, 2, 10}, "2010-02-30  03:04:05"},  // day 30 of February passes
      {{0, 0, 0, 1, 13, 10}, ""},                      // month 13
      {{0, 0, 24, 1, 1, 10}, ""},
      {{60, 0, 0, 1, 1, 10}, ""},
      {{0, 0, 0, 0, 1, 10}, ""},
      {{59, 59, 23, 31, 12, 99}, "2099-12-31  23:59:59"},
      {{0, 0, 0, 1, 1, 100}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(WatchText(c.clock), c.text);
  }
}

TEST(SystemSetup, GroupZeroRuleBothWays) {
  AlarmSection alarm;
  alarm.Group[2].TriggerError = true;
  std::array<bool, 5> changeable = ApplyGroupZeroRule(alarm);
  EXPECT_TRUE(alarm.Group[0].TriggerError);
  EXPECT_FALSE(changeable[2]);
  EXPECT_TRUE(changeable[0]);
  EXPECT_FALSE(alarm.Group[0].Level);
  // Unchecked in group 2 again: the group 0 box may change and stays checked.
  alarm.Group[2].TriggerError = false;
  changeable = ApplyGroupZeroRule(alarm);
  EXPECT_TRUE(changeable[2]);
  EXPECT_TRUE(alarm.Group[0].TriggerError);
}

}  // namespace
}  // namespace vorel
