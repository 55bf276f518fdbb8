// The serial line from the controller and the trigger units, as the PC's link takes
// it: bytes into the frame receiver of a link engine, 100 ms ticks after every frame,
// and every message the link hands out decoded by each decoder that reads it (memory
// replies, the Ethernet monitor report, the status report with the system setup
// window and the machine windows behind it, the trigger units' frames). A request
// helper keeps a memory read waiting, so replies are matched, polls are answered
// with a pending request and lost answers are asked for again.
//
// Input: two set-up bytes, then the line.
//   byte 0: bit 0 the firmware window is shown, bit 1 it programs, bit 2 a machine
//           reset waits for the next poll (bits 4..7 the list index; 11..15: none
//           chosen), bit 3 the Ethernet monitor is on
//   byte 1: bits 0..2 the machines' trigger type (of eight), bit 3 the trigger window
//           is open, bit 4 messages instead of bytes, bits 5..7 the ticks after each
//           frame, in threes
// Bytes go to the line as they are, a frame being whatever ends at an ETX. Messages
// are records of a control byte, a length byte and that many message bytes, each
// sent in its frame with its length and checksum filled in (control bit 1: as given,
// unsealed) and, with control bit 0, the sequence number the link expects: so that
// the messages get past the link's checks to the decoders behind it.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "Require.h"
#include "core/config/TriggerData.h"
#include "core/link/Frame.h"
#include "core/link/LinkEngine.h"
#include "core/link/LiveMessages.h"
#include "core/link/Messages.h"
#include "core/link/RequestHelper.h"
#include "core/supervision/MachineLiveDisplay.h"
#include "core/supervision/SystemSetup.h"

namespace {

using namespace vorel;

constexpr std::array<uint8_t, 8> kTriggerTypes = {
    trigger::kTypeNone,       trigger::kTypeParallel,     trigger::kTypeWeight3,
    trigger::kTypeWeight4,    trigger::kTypeMieleLogic,   trigger::kTypeElectrolux,
    trigger::kTypeMielePulse, trigger::kTypeMieleEthernet};

struct DiscardingLine final : ByteSink {
  bool Write(std::span<const uint8_t>) override { return true; }
};

// The system setup window's side of the poll answer.
struct SetupWindow final : PollAnswers {
  vorel::ManualControl manual;
  MachineReset reset;
  bool monitor = false;

  bool TakeMachineReset(std::optional<uint8_t>& command) override { return reset.Take(command); }
  bool EthernetMonitorOn() override { return monitor; }
  ManualControlState ManualControl() override { return manual.State(); }
};

// Everything that reads the messages the link hands out.
struct Readers final : LinkListener {
  SetupWindow& setup;
  uint8_t triggerType;
  bool triggerWindow;
  std::array<MachineLiveDisplay, 10> machines{
      MachineLiveDisplay(0), MachineLiveDisplay(1), MachineLiveDisplay(2), MachineLiveDisplay(3),
      MachineLiveDisplay(4), MachineLiveDisplay(5), MachineLiveDisplay(6), MachineLiveDisplay(7),
      MachineLiveDisplay(8), MachineLiveDisplay(9)};

  Readers(SetupWindow& window, uint8_t type, bool windowOpen)
      : setup(window), triggerType(type), triggerWindow(windowOpen) {}

  void MessageReceived(std::span<const uint8_t> message) override {
    // Only whole, checked messages to the PC are ever read.
    Require(CheckFrame(message) == FrameCheck::kMessage, "a message failing its check was read");
    Require(message[frame::kDestination] == frame::kPc, "a message to another address was read");
    (void)DecodeMemoryReply(message);
    if (const std::optional<EthernetMonitorReport> report = DecodeEthernetMonitorReport(message)) {
      (void)MonitorLine(*report, 12, 30, 5, 120);
    }
    if (const std::optional<StatusReport> report = DecodeStatusReport(message)) {
      setup.manual.ApplyStatusReport(*report);
      for (MachineLiveDisplay& machine : machines)
        (void)machine.ApplyStatusReport(*report, triggerType, triggerWindow);
    }
  }
  void TriggerUnitFrame(int machineIndex, std::span<const uint8_t> message) override {
    Require(machineIndex >= 0 && machineIndex < 10, "a trigger unit outside machines 1..10");
    Require(CheckFrame(message) == FrameCheck::kMessage, "a trigger frame failing its check");
    (void)machines[static_cast<size_t>(machineIndex)].ApplyTriggerFrame(message, triggerType);
  }
};

// The login code read the transfer starts with: ten bytes at 550.
void AskForLoginCode(RequestHelper& helper) {
  ControllerRequest request;
  request.command = message::kMemoryReadRequest;
  request.payload = EncodeMemoryReadRequest(550, 10);
  request.replyCommand = message::kMemoryReadReply;
  request.address = 550;
  request.count = 10;
  helper.Start(std::move(request), [](std::optional<std::vector<uint8_t>> reply) {
    if (!reply) return;
    const std::optional<MemoryReply> code = DecodeMemoryReply(*reply);
    Require(code && code->address == 550 && code->count == 10 && code->data.size() == 10,
            "a reply taken that does not answer the request");
  });
}

// The run of one input: the link with its listeners, fed and ticked.
struct Line {
  SetupWindow window;
  Readers readers;
  DiscardingLine sink;
  LinkEngine link{sink, window};
  RequestHelper helper{link};
  int ticksPerFrame;

  Line(uint8_t options, uint8_t setup)
      : readers(window, kTriggerTypes[setup & 0x07], (setup & 0x08) != 0),
        ticksPerFrame(3 * (setup >> 5)) {
    window.monitor = (options & 0x08) != 0;
    if (options & 0x04) {
      const int index = options >> 4;
      window.reset.Press(index <= MachineReset::kAll ? std::optional<int>(index) : std::nullopt);
    }
    link.AddListener(&readers);
    link.SetFirmwareWindow((options & 0x01) != 0, (options & 0x02) != 0);
    AskForLoginCode(helper);
  }
  ~Line() { link.RemoveListener(&readers); }

  void Feed(std::span<const uint8_t> bytes) {
    link.Receive(bytes);
    for (int t = 0; t < ticksPerFrame; ++t) {
      link.Tick(true);
      helper.Tick();
      for (MachineLiveDisplay& machine : readers.machines) machine.Tick();
    }
    if (!helper.Busy()) AskForLoginCode(helper);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t setup = data[1];
  Line line(data[0], setup);
  std::span<const uint8_t> rest(data + 2, size - 2);

  if ((setup & 0x10) == 0) {
    while (!rest.empty()) {
      size_t end = 0;
      while (end < rest.size() && rest[end] != frame::kEtx) ++end;
      const size_t take = end < rest.size() ? end + 1 : end;
      line.Feed(rest.first(take));
      rest = rest.subspan(take);
    }
    return 0;
  }

  static std::vector<uint8_t> framed;  // reused: no allocation once it has grown
  std::array<uint8_t, 255> message;
  while (rest.size() >= 2) {
    const uint8_t control = rest[0];
    const size_t length = std::min<size_t>(rest[1], rest.size() - 2);
    std::copy_n(rest.begin() + 2, length, message.begin());
    rest = rest.subspan(2 + length);
    const std::span<uint8_t> m(message.data(), length);
    if ((control & 0x01) && length > frame::kSequence) m[frame::kSequence] = line.link.Sequence();
    if ((control & 0x02) == 0) SealMessage(m);
    framed.clear();
    AppendFrame(framed, m);
    line.Feed(framed);
  }
  return 0;
}
