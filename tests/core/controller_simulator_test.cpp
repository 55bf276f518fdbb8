// The simulated controller against frames worked out by hand (not built with the
// tool's encoder, so a fault shared by both sides shows): polls with the sequence
// the PC expects, SyncRequest, memory reads and writes, manual control mirrored.
#include <gtest/gtest.h>

#include <vector>

#include "core/simulation/ControllerSimulator.h"

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

}  // namespace
}  // namespace vorel::sim
