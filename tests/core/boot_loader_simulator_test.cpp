// The simulated boot loaders against boot frames worked out by hand: a whole run of a
// trigger unit's loader started through the controller, the controller's own loader,
// a block stored wrong, a damaged frame and a page size that is not the loader's.
#include <gtest/gtest.h>

#include <vector>

#include "core/simulation/BootLoaderSimulator.h"
#include "core/simulation/ControllerSimulator.h"

namespace vorel::sim {
namespace {

using Bytes = std::vector<uint8_t>;

// Page size 128: 80 00, sum 0x80, check 7F.
const Bytes kPageSize128 = {0x02, 0x80, 0x00, 0x7F, 0x03};
// End of blocks: 00 00, sum 0x00, check FF.
const Bytes kEndOfBlocks = {0x02, 0x00, 0x00, 0xFF, 0x03};
// Finish over 0x0000..0x0080 of the block below: the code sum is 0x10 + 127 = 0x008F,
// complemented FF70. Data 00 00 80 00 70 FF, sum 0xEF, check 0x10, sent escaped as 10 30.
const Bytes kFinish = {0x02, 0x00, 0x00, 0x80, 0x00, 0x70, 0xFF, 0x10, 0x30, 0x03};

// The block at 0x0000: 10 then 127 bytes 01. The data sum 0x10 + 0x7F = 0x8F, check 70;
// the DLE goes out escaped as 10 30.
Bytes Block0() {
  Bytes frame = {0x02, 0x00, 0x00, 0x10, 0x30};
  frame.insert(frame.end(), 127, 0x01);
  frame.insert(frame.end(), {0x70, 0x03});
  return frame;
}

ControllerImage Memory() {
  return ControllerImage{};
}

TEST(BootLoaderSimulator, TriggerUnitsRunThroughTheControllerAndItPollsAgain) {
  ControllerSimulator controller(Memory(), {});
  // EnterBootLoader to all trigger units, sequence 0: 72 06 00 00 02, sum 0x7A, check 85.
  controller.Receive(Bytes{0x02, 0x72, 0x06, 0x00, 0x00, 0x10, 0x22, 0x85, 0x03});
  ASSERT_TRUE(controller.BootLoaderActive());
  EXPECT_EQ(controller.BootAnswer(), Bytes{0x16});
  EXPECT_EQ(controller.NextTurn(), Bytes{});  // no poll while the boot loader has the line

  controller.Receive(kPageSize128);
  EXPECT_EQ(controller.BootAnswer(), Bytes{0x06});
  controller.Receive(kEndOfBlocks);
  EXPECT_EQ(controller.BootAnswer(), Bytes{0x06});
  controller.Receive(Block0());
  EXPECT_EQ(controller.BootAnswer(), Bytes{0x06});
  controller.Receive(kFinish);
  EXPECT_EQ(controller.BootAnswer(), Bytes{0x17});

  const BootLoaderSimulator* loader = controller.BootLoader();
  ASSERT_NE(loader, nullptr);
  EXPECT_EQ(loader->PageSize(), 128);
  EXPECT_EQ(loader->LastFinishMatched(), true);
  EXPECT_EQ(loader->Flash()[0x00], 0x10);
  EXPECT_EQ(loader->Flash()[0x7F], 0x01);
  EXPECT_EQ(loader->Flash()[0x80], 0xFF);
  EXPECT_EQ(controller.TakeBootSteps(),
            (std::vector<std::string>{"ready", "page size 128", "end of blocks", "block 0x0000",
                                      "finish ok"}));
  // The run is over: a poll with sequence 1 again.
  EXPECT_FALSE(controller.BootLoaderActive());
  EXPECT_EQ(controller.NextTurn(), (Bytes{0x02, 0x30, 0x06, 0x01, 0x10, 0x22, 0x01, 0xC5, 0x03}));
}

TEST(BootLoaderSimulator, ControllerStartsItsOwnLoaderWith0100) {
  ControllerSimulator controller(Memory(), {});
  // EnterBootLoader to the controller, sequence 1: 72 08 01 01 02 | 01 00, sum 0x7F,
  // check 80; the final 00 and frame end arrive with the page size 256 (00 01, check FE).
  controller.Receive(Bytes{0x02, 0x72, 0x08, 0x01, 0x01, 0x10, 0x22, 0x80, 0x01, 0x00, 0x03, 0x02,
                           0x00, 0x01, 0xFE, 0x03});
  EXPECT_TRUE(controller.BootLoaderActive());
  EXPECT_EQ(controller.BootAnswer(), (Bytes{0x16, 0x06}));
  EXPECT_EQ(controller.BootLoader()->PageSize(), 256);
}

TEST(BootLoaderSimulator, BlockStoredWrongFailsTheFinish) {
  BootFaults faults;
  faults.corruptAt = 0x0005;
  BootLoaderSimulator loader(128, faults);
  EXPECT_EQ(loader.Enter(), Bytes{0x16});
  EXPECT_EQ(loader.Receive(kPageSize128), Bytes{0x06});
  EXPECT_EQ(loader.Receive(Block0()), Bytes{0x06});
  EXPECT_EQ(loader.Flash()[0x05], 0x00);  // 01 stored as 00: the code sum is 0x008E
  EXPECT_EQ(loader.Receive(kFinish), Bytes{0x15});
  EXPECT_EQ(loader.LastFinishMatched(), false);
  EXPECT_TRUE(loader.Finished());
}

TEST(BootLoaderSimulator, DamagedFrameAndForeignPageSizeGoUnanswered) {
  BootLoaderSimulator loader(128);
  EXPECT_EQ(loader.Enter(), Bytes{0x16});
  EXPECT_EQ(loader.Enter(), Bytes{});  // ready only once
  // Page size 128 with check 7E: the sum is FE, not FF.
  EXPECT_EQ(loader.Receive(Bytes{0x02, 0x80, 0x00, 0x7E, 0x03}), Bytes{});
  // Page size 256 (00 01, check FE) is not a trigger unit's.
  EXPECT_EQ(loader.Receive(Bytes{0x02, 0x00, 0x01, 0xFE, 0x03}), Bytes{});
  // Without an agreed page size, no block and no end.
  EXPECT_EQ(loader.Receive(Block0()), Bytes{});
  EXPECT_EQ(loader.Receive(kEndOfBlocks), Bytes{});
  EXPECT_EQ(loader.Flash()[0x00], 0xFF);
  EXPECT_EQ(loader.Receive(kPageSize128), Bytes{0x06});
  // A block of the right length at 0xFFC0 would run past the flash: no answer.
  Bytes beyond = {0x02, 0xC0, 0xFF};
  beyond.insert(beyond.end(), 128, 0x00);
  beyond.insert(beyond.end(), {0x40, 0x03});  // sum 0xBF, check 40
  EXPECT_EQ(loader.Receive(beyond), Bytes{});
  EXPECT_FALSE(loader.LastFinishMatched().has_value());
}

TEST(BootLoaderSimulator, SilentLoaderNeverAnswers) {
  BootFaults faults;
  faults.silent = true;
  BootLoaderSimulator loader(128, faults);
  EXPECT_EQ(loader.Enter(), Bytes{});
  EXPECT_EQ(loader.Receive(kPageSize128), Bytes{});
}

}  // namespace
}  // namespace vorel::sim
