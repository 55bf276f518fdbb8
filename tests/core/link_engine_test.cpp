// The link's rules against frames worked out by hand: resynchronisation, sequence
// wrap, retransmission, the pending slot, the poll answers, frames not for the PC,
// the link-alive time.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/link/LinkEngine.h"
#include "core/link/RequestHelper.h"
#include "support/WrittenFrames.h"

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;

using Wire = test::WrittenFrames;

struct Answers : PollAnswers {
  std::optional<uint8_t> reset;
  bool monitor = false;
  ManualControlState manual;
  bool TakeMachineReset(std::optional<uint8_t>& command) override {
    if (!reset) return false;
    command = std::exchange(reset, std::nullopt);
    return true;
  }
  bool EthernetMonitorOn() override { return monitor; }
  ManualControlState ManualControl() override { return manual; }
};

struct Heard : LinkListener {
  std::vector<Bytes> messages;
  std::vector<int> triggerMachines;
  std::vector<bool> ready;
  int checksumErrors = 0;
  Bytes bootBytes;
  void MessageReceived(std::span<const uint8_t> m) override {
    messages.emplace_back(m.begin(), m.end());
  }
  void TriggerUnitFrame(int machine, std::span<const uint8_t>) override {
    triggerMachines.push_back(machine);
  }
  void LinkReadyChanged(bool r) override { ready.push_back(r); }
  void ChecksumError() override { ++checksumErrors; }
  void BootLoaderByte(uint8_t byte) override { bootBytes.push_back(byte); }
};

// A frame from the controller: the message sealed and framed.
Bytes FromController(uint8_t command, uint8_t sequence, uint8_t destination = 2, Bytes payload = {},
                     uint8_t source = 1) {
  Bytes message = {command, 0, sequence, destination, source, 0};
  message.insert(message.end(), payload.begin(), payload.end());
  SealMessage(message);
  Bytes frame;
  AppendFrame(frame, message);
  return frame;
}

class LinkEngineTest : public ::testing::Test {
 protected:
  LinkEngineTest() : link(wire, answers) { link.AddListener(&heard); }
  void Poll(uint8_t sequence) { link.Receive(FromController(0x30, sequence)); }
  // Brings the link into step: the first frame always resynchronises.
  void InStep() {
    Poll(7);
    wire.messages.clear();
    wire.written.clear();
  }

  Wire wire;
  Answers answers;
  Heard heard;
  LinkEngine link;
};

TEST_F(LinkEngineTest, FirstFrameResynchronisesByHand) {
  Poll(5);
  // SyncRequest 31 06 00 01 02, checksum ~(0x3A) = C5; the source 02 escaped.
  EXPECT_EQ(wire.written, (Bytes{0x02, 0x31, 0x06, 0x00, 0x01, 0x10, 0x22, 0xC5, 0x03}));
  EXPECT_EQ(link.Sequence(), 1);
  EXPECT_EQ(link.Count().syncs, 1u);
  EXPECT_TRUE(link.LinkReady());
  EXPECT_EQ(heard.ready, std::vector<bool>{true});
  EXPECT_TRUE(heard.messages.empty());  // not dispatched
}

TEST_F(LinkEngineTest, PollAnsweredWithManualControlByHand) {
  InStep();
  answers.manual = {0x05, 0x07, 0x0401, 0x3402};
  Poll(1);
  // 32 0C 01 01 02 | 05 07 01 04 02 34: sum 0x42 + 0x47 = 0x89, checksum 0x76.
  ASSERT_EQ(wire.messages.size(), 1u);
  EXPECT_EQ(wire.messages[0],
            (Bytes{0x32, 0x0C, 0x01, 0x01, 0x02, 0x76, 0x05, 0x07, 0x01, 0x04, 0x02, 0x34}));
  EXPECT_EQ(link.Sequence(), 2);
  ASSERT_EQ(heard.messages.size(), 1u);
  EXPECT_EQ(heard.messages[0][0], 0x30);
}

TEST_F(LinkEngineTest, SequenceZeroAlwaysResynchronisesAnd255IsFollowedBy1) {
  InStep();
  ASSERT_EQ(link.Count().syncs, 1u);  // the one that brought it into step
  for (int s = 1; s <= 255; ++s) Poll(static_cast<uint8_t>(s));
  EXPECT_EQ(link.Sequence(), 1);
  EXPECT_EQ(link.Count().syncs, 1u);
  Poll(1);
  EXPECT_EQ(link.Count().syncs, 1u);
  Poll(0);
  EXPECT_EQ(link.Count().syncs, 2u);
  EXPECT_EQ(wire.messages.back()[0], 0x31);
  Poll(9);  // out of step
  EXPECT_EQ(link.Count().syncs, 3u);
  EXPECT_EQ(link.Sequence(), 1);
}

TEST_F(LinkEngineTest, QueuedRequestGoesWithTheNextPollAndIsRetransmittedAfterASync) {
  InStep();
  const Bytes read = {0x40, 0x00, 0x10};  // 64 bytes at 0x1000
  EXPECT_TRUE(link.QueueRequest(0x34, 1, read));
  EXPECT_FALSE(link.QueueRequest(0x38, 1, Bytes{0x00}));  // the slot is full
  Poll(1);
  ASSERT_EQ(wire.messages.size(), 1u);
  // 34 09 01 01 02 | 40 00 10: sum 0x41 + 0x50 = 0x91, checksum 0x6E.
  EXPECT_EQ(wire.messages[0], (Bytes{0x34, 0x09, 0x01, 0x01, 0x02, 0x6E, 0x40, 0x00, 0x10}));
  EXPECT_FALSE(link.PendingFull());

  // The reply is lost: the controller's next frame is out of step.
  Poll(5);
  EXPECT_EQ(wire.messages.back()[0], 0x31);
  const size_t dispatched = heard.messages.size();
  Poll(1);
  // The request again, with sequence 1: checksum 0x6E.
  EXPECT_EQ(wire.messages.back(), (Bytes{0x34, 0x09, 0x01, 0x01, 0x02, 0x6E, 0x40, 0x00, 0x10}));
  EXPECT_EQ(link.Sequence(), 2);
  EXPECT_EQ(link.Count().retransmits, 9u);
  EXPECT_EQ(heard.messages.size(), dispatched);  // not dispatched
  // Acknowledged by the next in-sequence frame: no further retransmission.
  link.Receive(FromController(0x35, 2, 2, {0x01, 0x00, 0x10, 0xAB}));
  Poll(5);
  Poll(1);
  EXPECT_EQ(wire.messages.back()[0], 0x32);
}

TEST_F(LinkEngineTest, PollAnswersForAResetAndTheEthernetMonitor) {
  InStep();
  answers.reset = MachineResetCommand(message::kAllMachines);
  Poll(1);
  EXPECT_TRUE(wire.messages.empty());  // this poll gets no answer
  Poll(1);
  ASSERT_EQ(wire.messages.size(), 1u);
  // 38 07 01 01 02 | 1A: sum 0x43 + 0x1A = 0x5D, checksum 0xA2.
  EXPECT_EQ(wire.messages[0], (Bytes{0x38, 0x07, 0x01, 0x01, 0x02, 0xA2, 0x1A}));
  answers.monitor = true;
  Poll(2);
  EXPECT_EQ(wire.messages.back(), (Bytes{0x3E, 0x06, 0x02, 0x01, 0x02, 0xB6}));
}

TEST_F(LinkEngineTest, FramesNotForThePcAndDamagedFrames) {
  InStep();
  link.Receive(FromController(0x30, 1, 5));                   // destination 5
  link.Receive(FromController(0x0B, 0, 1, {0x01, 0, 4}, 4));  // trigger unit of machine 2
  Bytes wrongLength = {0x30, 0x07, 0x01, 0x02, 0x01, 0x00};
  wrongLength[5] = ComplementOfSum(wrongLength);  // sums to FF, but 6 bytes arrived
  Bytes frame;
  AppendFrame(frame, wrongLength);
  link.Receive(frame);
  EXPECT_TRUE(wire.messages.empty());
  EXPECT_EQ(link.Sequence(), 1);
  EXPECT_EQ(heard.triggerMachines, std::vector<int>{1});
  EXPECT_EQ(heard.checksumErrors, 1);
  EXPECT_EQ(link.Count().checksumErrors, 1u);
  EXPECT_TRUE(heard.messages.empty());
}

TEST_F(LinkEngineTest, LinkAliveTimeBootBytesAndRestart) {
  InStep();
  for (int tick = 1; tick < LinkEngine::kLinkAliveTicks; ++tick) link.Tick(true);
  EXPECT_TRUE(link.LinkReady());
  link.Tick(true);
  EXPECT_FALSE(link.LinkReady());
  EXPECT_EQ(heard.ready, (std::vector<bool>{true, false}));

  const Bytes answer = {0x16, 0x06};
  link.Receive(answer);
  EXPECT_TRUE(heard.bootBytes.empty());
  link.SetFirmwareWindow(true, false);
  link.Receive(answer);
  EXPECT_EQ(heard.bootBytes, answer);

  EXPECT_GT(link.Count().rxBytes, 0u);
  link.Restart();
  EXPECT_EQ(link.Count().rxBytes, 0u);
  EXPECT_EQ(link.Count().txBytes, 0u);
  EXPECT_EQ(link.Sequence(), 0);
}

TEST_F(LinkEngineTest, RequestHelperRepeatsALostRequestThenGivesUp) {
  InStep();
  RequestHelper helper(link);
  std::vector<std::optional<Bytes>> answers;
  const auto done = [&answers](std::optional<Bytes> reply) { answers.push_back(std::move(reply)); };
  ControllerRequest read{0x34, 1, {0x02, 0x00, 0x10}, 0x35, 0x1000, 2};
  ASSERT_TRUE(helper.Start(read, done));
  EXPECT_FALSE(helper.Start(read, done));
  uint8_t s = 1;
  for (int send = 1; send <= 4; ++send) {
    SCOPED_TRACE(send);
    Poll(s++);  // the request goes out with this poll
    EXPECT_EQ(wire.messages.back()[0], 0x34);
    EXPECT_EQ(helper.Sends(), send);
    for (int tick = 0; tick < RequestHelper::kReplyTicks; ++tick) helper.Tick();
  }
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_FALSE(answers[0]);  // no answer after the first send and three repeats

  // Answered the second time: a reply for another address is not it.
  ASSERT_TRUE(helper.Start(read, done));
  Poll(s++);
  for (int tick = 0; tick < RequestHelper::kReplyTicks; ++tick) helper.Tick();
  Poll(s++);
  EXPECT_EQ(helper.Sends(), 2);
  // The PC answers neither reply, so both carry the sequence it expects next.
  link.Receive(FromController(0x35, s, 2, {0x02, 0x00, 0x20, 0xAA, 0xBB}));
  EXPECT_TRUE(helper.Busy());
  link.Receive(FromController(0x35, s, 2, {0x02, 0x00, 0x10, 0xAA, 0xBB}));
  ASSERT_EQ(answers.size(), 2u);
  ASSERT_TRUE(answers[1]);
  EXPECT_EQ(answers[1]->back(), 0xBB);
  EXPECT_FALSE(helper.Busy());
}

}  // namespace
}  // namespace vorel
