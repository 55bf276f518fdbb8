// Programming a boot loader: the frames in the order they go for the documented
// examples, the finish with the complemented sum, and the time-outs.
#include <gtest/gtest.h>

#include "core/firmware/BootProgrammer.h"

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;

FirmwareImage Image(uint32_t codeEnd, uint16_t roundedEnd) {
  FirmwareImage image;
  image.bytes.assign(firmware::kImageSize, firmware::kErased);
  image.codeStart = 0;
  image.codeEnd = codeEnd;
  image.roundedEnd = roundedEnd;
  image.codeSum = 0x1234;
  return image;
}

// Acknowledges every frame; returns what was sent, blocks by their address ("B 0100").
std::vector<std::string> Program(const FirmwareImage& image, const FirmwareTarget& target) {
  std::vector<Bytes> frames;
  BootProgrammer programmer(
      [&](std::span<const uint8_t> data) { frames.emplace_back(data.begin(), data.end()); });
  programmer.Start(image, target);
  programmer.Byte(boot::kAck);  // nothing before BootReady
  programmer.Byte(boot::kReady);
  while (programmer.Step() != 6 && frames.size() < 1000) programmer.Byte(boot::kAck);
  std::vector<std::string> sent;
  for (const Bytes& frame : frames) {
    char text[16];
    if (frame.size() == 130) {
      std::snprintf(text, sizeof text, "B %04X", frame[0] | frame[1] << 8);
      sent.push_back(text);
      continue;
    }
    std::string hex;
    for (uint8_t byte : frame) {
      std::snprintf(text, sizeof text, "%02X", byte);
      hex += text;
    }
    sent.push_back(hex);
  }
  programmer.Byte(boot::kDone);
  EXPECT_EQ(programmer.StateText(), "Completed, OK.");
  return sent;
}

TEST(BootProgrammer, ControllerSendsTheFirstPageLast) {
  // Last used byte 0x1234: rounded end 0x1300, blocks 0x100..0x1280, the end of the
  // blocks, then 0x0000 and 0x0080, then the finish (start, end, 0x1234 ^ 0xFFFF).
  std::vector<std::string> expected = {"0001"};
  for (int address = 0x100; address < 0x1300; address += 0x80) {
    char text[8];
    std::snprintf(text, sizeof text, "B %04X", address);
    expected.push_back(text);
  }
  expected.insert(expected.end(), {"0000", "B 0000", "B 0080", "00003412CBED"});
  EXPECT_EQ(Program(Image(0x1234, 0x1300), kControllerTarget), expected);
}

TEST(BootProgrammer, TriggerImageOfOneBlock) {
  EXPECT_EQ(Program(Image(0x40, 0x80), kTriggerTarget),
            (std::vector<std::string>{"8000", "0000", "B 0000", "00004000CBED"}));
}

TEST(BootProgrammer, TimeOutsAndTheLoadersVerdict) {
  int frames = 0;
  BootProgrammer programmer([&](std::span<const uint8_t>) { ++frames; });
  programmer.Start(Image(0x1234, 0x1300), kControllerTarget);
  EXPECT_EQ(programmer.StateText(), "Started, waiting...");
  for (int tick = 1; tick < boot::kStartTicks; ++tick) programmer.Tick();
  EXPECT_EQ(programmer.Step(), 1);
  programmer.Tick();
  EXPECT_EQ(programmer.StateText(), "Timeout error!");

  programmer.Start(Image(0x1234, 0x1300), kControllerTarget);
  programmer.Byte(boot::kReady);
  programmer.Byte(boot::kAck);  // the first block goes: 3 s for its answer
  EXPECT_TRUE(programmer.Programming());
  programmer.Byte(boot::kChecksumError);  // ignored while blocks go
  for (int tick = 0; tick < boot::kBlockTicks; ++tick) programmer.Tick();
  EXPECT_EQ(programmer.StateText(), "Timeout error!");
  EXPECT_FALSE(programmer.Programming());

  programmer.Start(Image(0x40, 0x80), kTriggerTarget);
  for (uint8_t byte : {boot::kReady, boot::kAck, boot::kAck, boot::kAck}) programmer.Byte(byte);
  programmer.Byte(boot::kChecksumError);
  EXPECT_EQ(programmer.StateText(), "Checksum error");
}

}  // namespace
}  // namespace vorel
