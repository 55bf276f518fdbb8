// The gateway socket's bytes as the tool takes them. Every message the frame parser
// hands out goes through every gateway decoder (system list entries, the selection
// result, the address, image blocks, the write checksum, the status report with the
// machine windows' records). The same bytes then reach a session connected to the
// gateway, from just after its login went out: the remote link's list, selection and
// login rules, the status poll, resets, log confirmations and the image transfer,
// with a 100 ms tick after every ETX. While the link is ready and the transfer idle,
// a read starts, three times at most (or, once, a write that is paced to its
// checksum request).
//
// Input: one set-up byte, then the socket's bytes.
//   bit 0 a supervising window is shown (status polls), bit 1 the technician picks
//   the first system of a list, bit 2 Retry after a rejected login, bit 3 reads
//   start, bit 4 a write starts instead of the first read, bit 5 messages instead
//   of bytes
// Messages are records of a length byte and that many message bytes, each sent in
// its frame with its checksum: so that they get past the parser to the decoders.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Require.h"
#include "core/link/Frame.h"
#include "core/link/Gateway.h"
#include "core/link/RemoteLink.h"
#include "core/session/Session.h"
#include "core/supervision/MachineLiveDisplay.h"

namespace {

using namespace vorel;

bool Within(std::span<const uint8_t> part, std::span<const uint8_t> whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

// Every decoder of a message from the gateway.
void DecodeEverything(std::span<const uint8_t> message,
                      std::array<MachineLiveDisplay, gateway::kStatusMachines>& machines) {
  if (const auto entry = DecodeGatewaySystemEntry(message)) {
    const auto& limits = gateway::kEntryLimits;
    const GatewaySystem& system = entry->system;
    Require(system.serial.size() <= limits[0] && system.name.size() <= limits[1] &&
                system.inUse.size() <= limits[2] && system.address.size() <= limits[3],
            "a system entry text past its limit");
  }
  if (const auto result = DecodeGatewaySelectResult(message)) {
    Require(result->serial.size() <= gateway::kSelectedSerialLimit &&
                result->accessCode.size() <= gateway::kAccessCodeLimit,
            "a selection text past its limit");
  }
  (void)DecodeGatewaySystemAddress(message);
  if (const auto block = DecodeGatewayImageBlock(message)) {
    Require(block->data.size() == block->count && Within(block->data, message),
            "an image block's data outside the message");
  }
  (void)DecodeGatewayImageChecksum(message);
  if (const auto status = DecodeGatewayStatus(message)) {
    for (size_t m = 0; m < machines.size(); ++m)
      (void)machines[m].ApplyGatewayRecord(status->records[m]);
  }
}

// The socket, connected, writing nowhere; the remote login window and the read/write
// window's questions, answered from the set-up byte.
struct Gateway final : GatewaySocket, RemotePrompts, TransferPrompts {
  bool pickFirst = false;
  bool retry = false;
  RemoteLink* remote = nullptr;

  void SetRemote(RemoteLink* link) override { remote = link; }
  void Open(const std::string&, uint16_t) override {}
  void Close() override {}
  bool IsConnected() const override { return true; }
  bool Write(std::span<const uint8_t>) override { return true; }
  std::optional<GatewayLogin> AskLogin() override { return GatewayLogin{"tech", "secret"}; }
  std::optional<GatewaySystem> AskSystem(const std::vector<GatewaySystem>& systems) override {
    if (!pickFirst || systems.empty()) return std::nullopt;
    return systems.front();
  }
  bool AskRetryLogin() override { return retry; }
  bool AskUnsavedEdits() override { return true; }
  bool AskWriteDroppingTexts(const std::vector<std::pair<std::string, std::string>>&) override {
    return true;
  }
  void ShowTransferError(const std::string&, bool) override {}
};

constexpr LocalDateTime kNow{2026, 12, 8, 9, 30, 0, 1};

// A write over the gateway sends its blocks 500 ms apart: it is ticked on until it
// waits for the checksum (or ends).
void StartWrite(Session& session) {
  if (!session.Write("", {kNow, std::nullopt, 0})) return;
  const ImageTransfer& transfer = session.Transfer();
  for (int t = 0; t < 1000 && transfer.Busy(); ++t) {
    if (transfer.State() == TransferState::kGatewayWrite &&
        transfer.View().progress == "Waiting for confirm...")
      break;
    session.Tick();
  }
}

std::array<MachineLiveDisplay, gateway::kStatusMachines> Machines() {
  return {MachineLiveDisplay(0), MachineLiveDisplay(1), MachineLiveDisplay(2),
          MachineLiveDisplay(3), MachineLiveDisplay(4), MachineLiveDisplay(5),
          MachineLiveDisplay(6), MachineLiveDisplay(7), MachineLiveDisplay(8),
          MachineLiveDisplay(9)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  std::span<const uint8_t> wire(data + 1, size - 1);
  if (options & 0x20) {
    static std::vector<uint8_t> framed;  // reused: no allocation once it has grown
    framed.clear();
    while (!wire.empty()) {
      const size_t length = std::min<size_t>(wire[0], wire.size() - 1);
      AppendGatewayFrame(framed, wire.subspan(1, length));
      wire = wire.subspan(1 + length);
    }
    wire = framed;
  }

  // The parser and the decoders on their own.
  auto machines = Machines();
  GatewayReceiver receiver;
  receiver.Receive(wire, [&](std::span<const uint8_t> message) {
    Require(message.size() >= 2 && message.size() < gateway::kReceiveBuffer,
            "a message shorter than its type or longer than the buffer");
    DecodeEverything(message, machines);
  });

  // The same bytes into a session logged in as far as the login message.
  const bool supervising = (options & 0x01) != 0;
  const bool reads = (options & 0x08) != 0;
  bool writeDue = (options & 0x10) != 0;
  int readsLeft = 3;  // each start clears a 32 KiB buffer: a few are enough
  Gateway gateway;
  gateway.pickFirst = (options & 0x02) != 0;
  gateway.retry = (options & 0x04) != 0;
  Session session;
  const Attachment socket = session.AttachGatewaySocket(gateway);
  const Attachment prompts = session.AttachRemotePrompts(gateway);
  const Attachment transferPrompts = session.AttachTransferPrompts(gateway);
  session.SelectMode(false);
  session.GatewayConnectClick("gateway");
  gateway.remote->Connected();
  struct Watching : TickHooks {
    bool supervising = false;
    bool Supervising() override { return supervising; }
  } hooks;
  hooks.supervising = supervising;
  session.Tick(&hooks);  // the login goes out from the tick after the connection

  std::span<const uint8_t> rest = wire;
  while (!rest.empty()) {
    size_t end = 0;
    while (end < rest.size() && rest[end] != frame::kEtx) ++end;
    const size_t take = end < rest.size() ? end + 1 : end;
    gateway.remote->Receive(rest.first(take));
    rest = rest.subspan(take);
    if (session.LinkReady() && !session.Transfer().Busy()) {
      if (writeDue) {
        writeDue = false;
        StartWrite(session);
      } else if (reads && readsLeft > 0) {
        --readsLeft;
        session.Read("");
      }
    }
    session.Tick(&hooks);
  }
  return 0;
}
