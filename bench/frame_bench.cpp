// Times the frame receiver on a stream of memory-read replies (128-byte payloads,
// special bytes included, as a full image read brings them) and prints MB/s of
// wire bytes decoded and checked.
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "core/link/Frame.h"

namespace {

struct Counting : vorel::FrameReceiver::Sink {
  size_t messages = 0;
  void FrameReceived(std::span<const uint8_t> frame) override {
    if (vorel::CheckFrame(frame) == vorel::FrameCheck::kMessage) ++messages;
  }
};

}  // namespace

int main() {
  using namespace vorel;
  constexpr int kReplies = 4096;
  constexpr size_t kPayload = 128;
  std::vector<uint8_t> wire;
  for (int n = 0; n < kReplies; ++n) {
    std::vector<uint8_t> message(frame::kHeaderSize + kPayload);
    message[frame::kCommand] = 0x41;
    message[frame::kSequence] = static_cast<uint8_t>(n % 255 + 1);
    message[frame::kDestination] = frame::kPc;
    message[frame::kSource] = frame::kController;
    for (size_t i = 0; i < kPayload; ++i)
      message[frame::kHeaderSize + i] = static_cast<uint8_t>(n * 7 + i);
    SealMessage(message);
    AppendFrame(wire, message);
  }
  constexpr int kRuns = 50;
  Counting sink;
  const double us = bench::MedianMicroseconds(kRuns, [&] {
    FrameReceiver receiver;
    sink.messages = 0;
    receiver.Receive(wire, sink);
  });
  std::printf("frame receiver: %zu wire bytes, %zu messages, median %.0f us: %.0f MB/s\n",
              wire.size(), sink.messages, us, static_cast<double>(wire.size()) / us);
  return sink.messages == static_cast<size_t>(kReplies) ? 0 : 1;
}
