// Frames on the bus from vectors worked out by hand: sealing, escaping every special
// byte, boot-loader frames, checking, and receiving whole, byte by byte and split
// at every position.
#include "core/link/Frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;

struct Collected : FrameReceiver::Sink {
  std::vector<Bytes> frames;
  Bytes outside;
  void FrameReceived(std::span<const uint8_t> frame) override {
    frames.emplace_back(frame.begin(), frame.end());
  }
  void ByteOutsideFrame(uint8_t byte) override { outside.push_back(byte); }
};

// A Poll to the PC: 30 06 05 02 01, sum 0x3E, checksum 0xC1; the destination 02
// goes out escaped as 10 22.
const Bytes kPoll = {0x30, 0x06, 0x05, 0x02, 0x01, 0xC1};
const Bytes kPollFrame = {0x02, 0x30, 0x06, 0x05, 0x10, 0x22, 0x01, 0xC1, 0x03};
// Command 0x32 from the PC with all five special bytes as payload: length 0x0B,
// sum 0x81 before the checksum, checksum 0x7E.
const Bytes kSpecials = {0x32, 0x0B, 0x01, 0x01, 0x02, 0x7E, 0x02, 0x03, 0x10, 0x15, 0x16};
const Bytes kSpecialsFrame = {0x02, 0x32, 0x0B, 0x01, 0x01, 0x10, 0x22, 0x7E, 0x10, 0x22,
                              0x10, 0x23, 0x10, 0x30, 0x10, 0x35, 0x10, 0x36, 0x03};

TEST(Frame, SealAndEscapeByHand) {
  Bytes poll = {0x30, 0x00, 0x05, 0x02, 0x01, 0x00};
  SealMessage(poll);
  EXPECT_EQ(poll, kPoll);
  Bytes specials = {0x32, 0x00, 0x01, 0x01, 0x02, 0x99, 0x02, 0x03, 0x10, 0x15, 0x16};
  SealMessage(specials);
  EXPECT_EQ(specials, kSpecials);

  struct Case {
    const char* name;
    Bytes message;
    Bytes frame;
  };
  const Case cases[] = {{"poll", kPoll, kPollFrame},
                        {"every special byte", kSpecials, kSpecialsFrame}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    AppendFrame(out, c.message);
    EXPECT_EQ(out, c.frame);
    EXPECT_LE(out.size(), 2 * c.message.size() + 2);
  }
}

TEST(Frame, BootLoaderFramesCarryAnEscapedComplement) {
  struct Case {
    const char* name;
    Bytes data;
    Bytes frame;
  };
  const Case cases[] = {
      {"sum FF, complement 00", {0x01, 0x02, 0xFC}, {0x02, 0x01, 0x10, 0x22, 0xFC, 0x00, 0x03}},
      {"complement 02 escaped", {0xFD}, {0x02, 0xFD, 0x10, 0x22, 0x03}},
      {"complement 10 escaped", {0xEF}, {0x02, 0xEF, 0x10, 0x30, 0x03}},
      {"no data", {}, {0x02, 0xFF, 0x03}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    AppendBootFrame(out, c.data);
    EXPECT_EQ(out, c.frame);
  }
}

TEST(Frame, OnlyWholeMessagesPassTheCheck) {
  Bytes longer = kPoll;
  longer.push_back(0x00);  // sum still 0xFF, but the length byte says 6
  Bytes shorter = {0x30, 0x05, 0x05, 0x02, 0xC3};
  Bytes badSum = kPoll;
  badSum[2] = 0x06;
  struct Case {
    const char* name;
    Bytes frame;
    FrameCheck want;
  };
  const Case cases[] = {
      {"poll", kPoll, FrameCheck::kMessage},
      {"specials", kSpecials, FrameCheck::kMessage},
      {"one byte more than its length byte", longer, FrameCheck::kChecksumError},
      {"shorter than a header", shorter, FrameCheck::kChecksumError},
      {"wrong sum", badSum, FrameCheck::kChecksumError},
      {"two bytes summing to FF", {0xF0, 0x0F}, FrameCheck::kChecksumError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CheckFrame(c.frame), c.want);
  }
}

TEST(FrameReceiver, WholeByteByByteAndSplitAtEveryPosition) {
  Bytes stream = {0x55, 0xAA};  // boot-loader answers before the frames
  stream.insert(stream.end(), kPollFrame.begin(), kPollFrame.end());
  stream.push_back(0x06);
  stream.insert(stream.end(), kSpecialsFrame.begin(), kSpecialsFrame.end());
  const std::vector<Bytes> wantFrames = {kPoll, kSpecials};
  const Bytes wantOutside = {0x55, 0xAA, 0x06};

  for (size_t split = 0; split <= stream.size(); ++split) {
    SCOPED_TRACE("split at " + std::to_string(split));
    FrameReceiver receiver;
    Collected sink;
    receiver.Receive(std::span(stream).first(split), sink);
    receiver.Receive(std::span(stream).subspan(split), sink);
    EXPECT_EQ(sink.frames, wantFrames);
    EXPECT_EQ(sink.outside, wantOutside);
  }
  FrameReceiver receiver;
  Collected sink;
  for (uint8_t byte : stream) receiver.Receive(std::span(&byte, 1), sink);
  EXPECT_EQ(sink.frames, wantFrames);
}

TEST(FrameReceiver, EdgesOfTheStateMachine) {
  struct Case {
    const char* name;
    Bytes stream;
    std::vector<Bytes> frames;
  };
  Bytes full = {0x02};
  full.insert(full.end(), 1000, 0x41);
  full.push_back(0x03);
  Bytes tooLong = {0x02};
  tooLong.insert(tooLong.end(), 1001, 0x41);
  tooLong.push_back(0x03);
  Bytes escapedPast = {0x02};
  escapedPast.insert(escapedPast.end(), 1000, 0x41);
  escapedPast.insert(escapedPast.end(), {0x10, 0x23, 0x03});
  const Case cases[] = {
      {"an escaped ETX does not end the frame",
       {0x02, 0x01, 0x10, 0x23, 0x04, 0x03},
       {{0x01, 0x03, 0x04}}},
      {"an escaped STX is data", {0x02, 0x10, 0x22, 0x07, 0x03}, {{0x02, 0x07}}},
      {"STX restarts the frame", {0x02, 0x09, 0x09, 0x02, 0x05, 0x06, 0x03}, {{0x05, 0x06}}},
      {"a one-byte frame is no frame", {0x02, 0x05, 0x03}, {}},
      {"ETX outside a frame", {0x03, 0x02, 0x01, 0x04, 0x03}, {{0x01, 0x04}}},
      {"1000 bytes are kept", full, {Bytes(1000, 0x41)}},
      {"1001 bytes are dropped", tooLong, {}},
      {"an escaped byte past 1000 drops the frame", escapedPast, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FrameReceiver receiver;
    Collected sink;
    receiver.Receive(c.stream, sink);
    EXPECT_EQ(sink.frames, c.frames);
  }
}

}  // namespace
}  // namespace vorel
