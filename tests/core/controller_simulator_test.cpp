// The simulated controller against frames worked out by hand (not built with the
// tool's encoder, so a fault shared by both sides shows): polls with the sequence
// the PC expects, SyncRequest, memory reads and writes, manual control over the
// running laundry, and the laundry's time by the turn and the speed.
#include <gtest/gtest.h>

#include <vector>

#include "core/simulation/ControllerSimulator.h"
#include "support/ProgramBuilders.h"

namespace vorel::sim {
namespace {

using Bytes = std::vector<uint8_t>;

// STX and ETX off, escapes undone, by hand rather than with the tool's receiver.
Bytes Unframed(const Bytes& frame) {
  Bytes message;
  for (size_t i = 1; i + 1 < frame.size(); ++i) {
    message.push_back(frame[i] == 0x10 ? static_cast<uint8_t>(frame[++i] ^ 0x20) : frame[i]);
  }
  return message;
}

// STX, the message with 02 03 10 15 16 escaped, ETX.
Bytes Framed(const Bytes& message) {
  Bytes frame = {0x02};
  for (uint8_t byte : message) {
    const bool special =
        byte == 0x02 || byte == 0x03 || byte == 0x10 || byte == 0x15 || byte == 0x16;
    if (special) frame.push_back(0x10);
    frame.push_back(special ? static_cast<uint8_t>(byte ^ 0x20) : byte);
  }
  frame.push_back(0x03);
  return frame;
}

// ManualControl with sequence 1 and its checksum.
Bytes ManualControl(uint8_t pumpOn, uint8_t pumpControl, uint16_t onWord, uint16_t controlWord) {
  Bytes message = {0x32,
                   0x0C,
                   0x01,
                   0x01,
                   0x02,
                   0x00,
                   pumpOn,
                   pumpControl,
                   static_cast<uint8_t>(onWord),
                   static_cast<uint8_t>(onWord >> 8),
                   static_cast<uint8_t>(controlWord),
                   static_cast<uint8_t>(controlWord >> 8)};
  uint8_t sum = 0;
  for (uint8_t byte : message) sum = static_cast<uint8_t>(sum + byte);
  message[5] = static_cast<uint8_t>(0xFF - sum);
  return Framed(message);
}

ControllerImage Memory() {
  ControllerImage memory;
  memory.bytes[0] = 'M';
  memory.bytes[1] = 'Q';
  return memory;
}

TEST(ControllerSimulator, PollsSyncsAndAnswersByHand) {
  ControllerSimulator controller(Memory(), {});
  // Poll to the PC, sequence 1: 30 06 01 02 01, sum 0x3A, checksum C5.
  EXPECT_EQ(controller.NextTurn(), (Bytes{0x02, 0x30, 0x06, 0x01, 0x10, 0x22, 0x01, 0xC5, 0x03}));

  // The PC reads 2 bytes at 0 with sequence 1: 34 09 01 01 02 BC | 02 00 00.
  controller.Receive(
      Bytes{0x02, 0x34, 0x09, 0x01, 0x01, 0x10, 0x22, 0xBC, 0x10, 0x22, 0x00, 0x00, 0x03});
  // The reply with sequence 2: 35 0B 02 02 01 | 02 00 00 4D 51, sum 0xE5, checksum 1A.
  EXPECT_EQ(controller.NextTurn(), (Bytes{0x02, 0x35, 0x0B, 0x10, 0x22, 0x10, 0x22, 0x01, 0x1A,
                                          0x10, 0x22, 0x00, 0x00, 0x4D, 0x51, 0x03}));
  // Nothing more from the PC: the next poll keeps sequence 2; sum 0x3B, checksum C4.
  EXPECT_EQ(controller.NextTurn(),
            (Bytes{0x02, 0x30, 0x06, 0x10, 0x22, 0x10, 0x22, 0x01, 0xC4, 0x03}));

  // SyncRequest 31 06 00 01 02 C5: the next frame carries sequence 1.
  controller.Receive(Bytes{0x02, 0x31, 0x06, 0x00, 0x01, 0x10, 0x22, 0xC5, 0x03});
  EXPECT_EQ(controller.NextTurn(), (Bytes{0x02, 0x30, 0x06, 0x01, 0x10, 0x22, 0x01, 0xC5, 0x03}));
  EXPECT_EQ(controller.RequestsServed(), 1u);
}

TEST(ControllerSimulator, WritesMemoryAndMirrorsManualControl) {
  ControllerSimulator controller(Memory(), {});
  // Write AA at 0x0010 with sequence 1: 36 0A 01 01 02 | 01 10 00 AA: the other bytes
  // sum to 0xFF, so the checksum is 00.
  controller.Receive(
      Bytes{0x02, 0x36, 0x0A, 0x01, 0x01, 0x10, 0x22, 0x00, 0x01, 0x10, 0x30, 0x00, 0xAA, 0x03});
  EXPECT_EQ(controller.Memory().bytes[0x10], 0xAA);
  // The reply: 37 09 02 02 01 | 01 10 00, sum 0x56, checksum A9.
  EXPECT_EQ(Unframed(controller.NextTurn()),
            (Bytes{0x37, 0x09, 0x02, 0x02, 0x01, 0xA9, 0x01, 0x10, 0x00}));

  // Manual control with sequence 2: pumps 1 and 2 on, only pump 1 under control;
  // 32 0C 02 01 02 | 03 01 00 00 00 00: sum 0x43 + 0x04 = 0x47, checksum B8.
  controller.Receive(Bytes{0x02, 0x32, 0x0C, 0x10, 0x22, 0x01, 0x10, 0x22, 0xB8, 0x10, 0x23, 0x01,
                           0x00, 0x00, 0x00, 0x00, 0x03});
  EXPECT_EQ(controller.ManualControl().pumpOn, 0x03);
  const Bytes report = Unframed(controller.NextTurn());
  ASSERT_EQ(report.size(), 64u);
  EXPECT_EQ(report[0], 0x33);
  EXPECT_EQ(report[2], 0x03);  // the sequence after the PC's 2
  EXPECT_EQ(report[6], 0x01);  // pump 1 runs: on and under control
}

TEST(ControllerSimulator, FaultsLoseOrDamageFrames) {
  ControllerSimulator controller(Memory(), {100, 7});
  int lost = 0;
  int damaged = 0;
  for (int turn = 0; turn < 200; ++turn) {
    const Bytes frame = controller.NextTurn();
    if (frame.empty()) {
      ++lost;
      continue;
    }
    // A damaged frame never passes as a message.
    const Bytes message = Unframed(frame);
    uint8_t sum = 0;
    for (uint8_t byte : message) sum = static_cast<uint8_t>(sum + byte);
    damaged += sum != 0xFF;
  }
  EXPECT_GT(lost, 50);
  EXPECT_GT(damaged, 50);
  EXPECT_EQ(lost + damaged, 200);
}

TEST(ControllerSimulator, ReportsTheLaundryAtAKnownMoment) {
  // Machine 1: Keyboard lock, Input wait for input 3 with a 2 s filter. Machine 2
  // holds the same program but is not enabled.
  const std::vector<test::Bytes> program = {{0x0A}, {0x02, 2, 0x03}, {0x07, 100}};
  ControllerImage memory = test::RunningMemory(0, program);
  test::StoreProgram(memory, 1, program);
  ControllerSimulator controller(memory, {}, {}, {1000, 1});  // a second a turn
  // 8 s: started at 3 s, the lock took 1 s, input 3 came 3 s later and holds.
  for (int turn = 0; turn < 8; ++turn) controller.NextTurn();
  // Pump 2, flush water and the alarm output on by hand, sequence 1:
  // 32 0C 01 01 02 | 02 02 00 04 00 34, sum 0x7E, checksum 81.
  controller.Receive(
      Framed({0x32, 0x0C, 0x01, 0x01, 0x02, 0x81, 0x02, 0x02, 0x00, 0x04, 0x00, 0x34}));
  // 33 40 02 02 01 (sum 0x78); pump 2; outputs 0x1401: machine 1, flush water, alarm;
  // machine 1 on line 2 of slot 1, online and locked, input 3, load 75 %: the payload
  // sums to 0x6E, the checksum is 19.
  Bytes want(64, 0);
  const Bytes head = {0x33, 0x40, 0x02, 0x02, 0x01, 0x19, 0x02, 0x00, 0x01, 0x14};
  const Bytes machine1 = {0x02, 0x01, 0x05, 0x04, 0x4B};
  std::copy(head.begin(), head.end(), want.begin());
  std::copy(machine1.begin(), machine1.end(), want.begin() + 14);
  EXPECT_EQ(Unframed(controller.NextTurn()), want);
}

TEST(ControllerSimulator, ManualControlDrivesWhatItHolds) {
  // Machine 1 doses 100 ml with pump 3 for 50 s from 3 s on.
  ControllerSimulator controller(test::RunningMemory(0, {{0x08, 0x03, 0, 0, 100, 0}}), {}, {},
                                 {1000, 1});
  for (int turn = 0; turn < 4; ++turn) controller.NextTurn();
  const struct {
    const char* name;
    uint8_t pumpOn, pumpControl;
    uint16_t onWord, controlWord;
    uint8_t pumps;
    uint16_t outputs;
  } cases[] = {
      {"nothing by hand", 0, 0, 0, 0, 0x04, 0x0001},
      {"pump 2 switched on", 0x02, 0x02, 0, 0, 0x06, 0x0001},
      {"pump 3 held off", 0x00, 0x04, 0, 0, 0x00, 0x0001},
      {"on bits without control", 0x02, 0x00, 0x0400, 0, 0x04, 0x0001},
      {"machine 1 held off, machine 2 and the drain on", 0, 0, 0x0802, 0x0803, 0x04, 0x0802},
      {"the alarm output on", 0, 0, 0, 0x3000, 0x04, 0x1001},
      {"the alarm's on bit without control", 0, 0, 0, 0x1000, 0x04, 0x0001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    controller.Receive(ManualControl(c.pumpOn, c.pumpControl, c.onWord, c.controlWord));
    const Bytes report = Unframed(controller.NextTurn());
    ASSERT_EQ(report.size(), 64u);
    EXPECT_EQ(report[6], c.pumps);
    EXPECT_EQ(report[8] | report[9] << 8, c.outputs);
  }
}

TEST(ControllerSimulator, SpeedScalesTheLaundrysTime) {
  // From 3 s: pump 1 for 10 s, Wait 5 s, Jump to line 1 (1 s). Turns of 20 ms.
  const ControllerImage memory =
      test::RunningMemory(0, {{0x08, 0x01, 0, 0, 20, 0}, {0x07, 5}, {0x06, 1}});
  const struct {
    uint32_t speed;
    int turns;
    uint8_t line;
    uint8_t pumps;
  } cases[] = {
      {1, 649, 1, 0x01},  {1, 650, 2, 0},     {50, 13, 2, 0},  {50, 12, 1, 0x01},
      {1000, 1, 1, 0x01}, {1000, 3, 1, 0x01}, {0, 5000, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("speed " + std::to_string(c.speed) + ", " + std::to_string(c.turns) + " turns");
    ControllerSimulator controller(memory, {}, {}, {20, c.speed});
    for (int turn = 0; turn < c.turns; ++turn) controller.NextTurn();
    EXPECT_EQ(controller.Laundry().Report(0).line, c.line);
    EXPECT_EQ(controller.Laundry().Pumps(), c.pumps);
    // Still or moving, the enabled machine's trigger unit is online.
    EXPECT_EQ(controller.Laundry().Report(0).flags, 0x01);
  }
}

}  // namespace
}  // namespace vorel::sim
