// Times 1000 memory read exchanges (request, reply) between the link engine with
// its request helper and the simulated controller, unpaced: the cost of the
// protocol itself, without any line.
#include <cstdio>

#include "BenchSupport.h"
#include "core/link/RequestHelper.h"
#include "core/simulation/ControllerSimulator.h"

namespace {

struct ToController : vorel::ByteSink {
  vorel::sim::ControllerSimulator* controller = nullptr;
  bool Write(std::span<const uint8_t> bytes) override {
    controller->Receive(bytes);
    return true;
  }
};

}  // namespace

int main() {
  using namespace vorel;
  constexpr int kExchanges = 1000;
  ControllerImage memory;
  sim::ControllerSimulator controller(memory, {});
  ToController wire;
  wire.controller = &controller;
  PollAnswers answers;
  LinkEngine link(wire, answers);
  RequestHelper helper(link);
  int answered = 0;
  const double us = bench::MedianMicroseconds(5, [&] {
    answered = 0;
    for (int n = 0; n < kExchanges; ++n) {
      const auto address = static_cast<uint16_t>((n * 128) % 32768);
      helper.Start({message::kMemoryReadRequest, frame::kController,
                    EncodeMemoryReadRequest(address, 128), message::kMemoryReadReply, address, 128},
                   [&answered](std::optional<std::vector<uint8_t>> reply) { answered += !!reply; });
      // The controller's turns until the answer is in.
      for (int turn = 0; helper.Busy() && turn < 10; ++turn) link.Receive(controller.NextTurn());
    }
  });
  std::printf("%d memory read exchanges of 128 bytes: median %.0f us (%.1f us each)\n", answered,
              us, us / kExchanges);
  return answered == kExchanges ? 0 : 1;
}
