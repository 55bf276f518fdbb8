// The gateway link from vectors worked out by hand: the frame and its receiving
// parser, the system list rules, the selection result, the status poll's pace and a
// rejected login.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/link/Gateway.h"
#include "core/link/GatewayAddress.h"
#include "core/link/RemoteLink.h"

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Message(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

std::vector<Bytes> ReceiveAll(std::span<const uint8_t> wire, size_t chunk) {
  GatewayReceiver receiver;
  std::vector<Bytes> messages;
  for (size_t at = 0; at < wire.size(); at += chunk) {
    receiver.Receive(
        wire.subspan(at, std::min(chunk, wire.size() - at)),
        [&](std::span<const uint8_t> m) { messages.emplace_back(m.begin(), m.end()); });
  }
  return messages;
}

TEST(GatewayFrame, LoginFramedByHand) {
  // 41 40 'a' 'b' 00 'x' 00 sums to 0xBC; the checksum is 0x43.
  Bytes frame;
  AppendGatewayFrame(frame, GatewayLoginMessage("ab", "x"));
  EXPECT_EQ(frame, (Bytes{0x02, 0x41, 0x40, 0x61, 0x62, 0x00, 0x78, 0x00, 0x43, 0x03}));
  // A status poll's checksum 0x02 goes out escaped: 00 58 1E 00 sums to 0x76, ~ = 0x89.
  frame.clear();
  AppendGatewayFrame(frame, GatewayStatusPollMessage());
  EXPECT_EQ(frame, (Bytes{0x02, 0x00, 0x58, 0x1E, 0x00, 0x89, 0x03}));
}

TEST(GatewayFrame, ReceivingWholeByteByByteAndSplit) {
  // 'B' 'F' 22 00: the 0x22 comes escaped as 10 02 and must not restart the frame;
  // the sum 0xAA gives the checksum 0x55. Noise before STX is discarded.
  const Bytes address = {0x42, 0x46, 0x22, 0x00};
  const Bytes wire = {0xFF, 0x41, 0x03, 0x02, 0x42, 0x46, 0x10, 0x02, 0x00, 0x55,
                      0x03, 0x77, 0x02, 0x42, 0x46, 0x22, 0x00, 0x56, 0x03};  // wrong checksum
  for (size_t chunk = 1; chunk <= wire.size(); ++chunk) {
    SCOPED_TRACE(chunk);
    EXPECT_EQ(ReceiveAll(wire, chunk), std::vector<Bytes>{address});
  }
}

TEST(GatewayFrame, TheBufferHoldsTwoThousandBytesAndNoMore) {
  // 'B' 'F', 1997 × 0x41 and the checksum 0x6A fill the 2000 bytes exactly (0x88 +
  // 1997 × 0x41 is 0x95 in 8 bits): a message of 1999 bytes.
  Bytes wire = {0x02, 0x42, 0x46};
  wire.insert(wire.end(), 1997, 0x41);
  wire.push_back(0x6A);
  Bytes longer = wire;
  wire.push_back(0x03);
  const std::vector<Bytes> messages = ReceiveAll(wire, wire.size());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].size(), 1999u);
  // 256 bytes more do not fit: the 2000 stored bytes still sum to 0xFF, but the frame
  // was cut, so it is dropped; the next frame is read as usual.
  longer.insert(longer.end(), 256, 0x01);
  longer.push_back(0x03);
  longer.insert(longer.end(), wire.begin(), wire.end());
  EXPECT_EQ(ReceiveAll(longer, 7).size(), 1u);
}

TEST(GatewayMessages, DecodersRefuseWhatDidNotArrive) {
  // A block whose count is larger than its data.
  EXPECT_FALSE(DecodeGatewayImageBlock(Bytes{'B', 'H', 0x00, 0x01, 0x04, 0x00, 1, 2, 3}));
  const auto block = DecodeGatewayImageBlock(Bytes{'B', 'H', 0x00, 0x01, 0x03, 0x00, 1, 2, 3});
  ASSERT_TRUE(block);
  EXPECT_EQ(block->address, 0x100);
  EXPECT_EQ(block->data.size(), 3u);
  // A status report shorter than its ten records.
  EXPECT_FALSE(DecodeGatewayStatus(Bytes(115, 0) = {'C', 'X'}));
  // System entries: texts within their limits, an empty serial ends the list.
  Bytes longSerial = Message("BD");
  longSerial.insert(longSerial.end(), 101, '1');
  longSerial.insert(longSerial.end(), 4, 0);
  EXPECT_FALSE(DecodeGatewaySystemEntry(longSerial));
  EXPECT_TRUE(DecodeGatewaySystemEntry(Message(std::string("BD\0garbage", 10)))->endOfList);
  const auto entry = DecodeGatewaySystemEntry(Message(std::string("BD42\0Name\0-\0Offline\0", 20)));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->system, (GatewaySystem{"42", "Name", "-", "Offline"}));
}

struct FakeSocket : GatewaySocket {
  bool connected = false;
  std::vector<Bytes> sent;
  GatewayReceiver receiver;
  void Open(const std::string&, uint16_t) override {}
  void Close() override { connected = false; }
  bool IsConnected() const override { return connected; }
  bool Write(std::span<const uint8_t> bytes) override {
    receiver.Receive(bytes,
                     [&](std::span<const uint8_t> m) { sent.emplace_back(m.begin(), m.end()); });
    return true;
  }
};

struct FakePrompts : RemotePrompts {
  int logins = 0;
  int lists = 0;
  int closed = 0;
  std::optional<GatewaySystem> pick;
  bool retry = true;
  bool loneFreeChosen = true;
  std::function<void()> whileAsking;  // what happens while the list is open
  std::optional<GatewayLogin> AskLogin() override {
    ++logins;
    return GatewayLogin{"tech", "secret"};
  }
  std::optional<GatewaySystem> AskSystem(const std::vector<GatewaySystem>&) override {
    ++lists;
    if (whileAsking) whileAsking();
    return pick;
  }
  bool AskRetryLogin() override { return retry; }
  bool ChoosesLoneFreeSystem() const override { return loneFreeChosen; }
  void CloseQuestion() override { ++closed; }
};

struct Events : RemoteEvents {
  RemoteLink* link = nullptr;
  int lost = 0;
  void ConnectionLost() override {
    ++lost;
    link->Reset();
  }
};

struct Remote {
  FakeSocket socket;
  FakePrompts prompts;
  Events events;
  RemoteLink link{socket, prompts, events};

  Remote() {
    events.link = &link;
    link.ConnectClick("gateway");
    socket.connected = true;
    link.Connected();
    Answer();
  }
  // The questions a message left are asked from the next ticks.
  void Answer() {
    for (int tick = 0; tick < 5 && link.Asking(); ++tick) link.Tick(false);
  }
  void Receive(const Bytes& message, bool answer = true) {
    Bytes frame;
    AppendGatewayFrame(frame, message);
    link.Receive(frame);
    if (answer) Answer();
  }
  void List(std::initializer_list<std::pair<const char*, const char*>> systems,
            bool answer = true) {
    for (const auto& [serial, inUse] : systems)
      Receive(Message(std::string("BD") + serial + '\0' + "Laundry" + '\0' + inUse + '\0' +
                      "10.0.0.7" + '\0'));
    Receive(Message(std::string("BD\0", 3)), answer);
  }
};

TEST(RemoteLink, SystemListRules) {
  const struct {
    const char* name;
    std::initializer_list<std::pair<const char*, const char*>> systems;
    int lists;
    bool selectSent;
  } cases[] = {
      {"one free system is chosen without asking", {{"4200", "-"}}, 0, true},
      {"one system in use is neither chosen nor asked", {{"4200", "Anna"}}, 0, false},
      {"two systems are asked for", {{"4200", "-"}, {"4201", "-"}}, 1, true},
      {"an empty list asks nothing", {}, 0, false},
      {"one free system is asked for where the asker chooses itself", {{"4200", "-"}}, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Remote remote;
    remote.prompts.loneFreeChosen = std::string(c.name).find("asker") == std::string::npos;
    remote.prompts.pick = GatewaySystem{"4201", "Laundry", "-", "10.0.0.7"};
    if (c.name == std::string("one free system is asked for where the asker chooses itself"))
      remote.prompts.pick.reset();
    remote.List(c.systems);
    EXPECT_EQ(remote.prompts.lists, c.lists);
    const bool selectSent = remote.socket.sent.size() == 2;
    EXPECT_EQ(selectSent, c.selectSent);
    EXPECT_TRUE(remote.link.View().stateVisible);
    EXPECT_EQ(remote.link.View().state, RemoteState::kConnecting);
  }
  Remote remote;
  remote.List({{"4200", "-"}});
  EXPECT_EQ(remote.socket.sent[0], Message(std::string("A@tech\0secret\0", 14)));
  EXPECT_EQ(remote.socket.sent[1], Message(std::string("AB4200\0", 7)));
  EXPECT_EQ(remote.link.View().nameText, "4200 / Laundry");
}

TEST(RemoteLink, SelectionResult) {
  const struct {
    std::string message;
    RemoteState state;
    bool loggedIn;
    bool fullAccess;
    const char* access;
  } cases[] = {
      {std::string("BE\0"
                   "4200\0A\0",
                   10),
       RemoteState::kReady, true, true, "Full access"},
      {std::string("BE\0"
                   "4200\0B\0",
                   10),
       RemoteState::kReady, true, false, "Read only"},
      {std::string("BE\0"
                   "4200\0Z\0",
                   10),
       RemoteState::kReady, true, false, "Access: ?"},
      {std::string("BE\0"
                   "4201\0A\0",
                   10),
       RemoteState::kFailed, false, false, ""},
      {std::string("BE\0"
                   "4200\0A",
                   9),
       RemoteState::kFailed, false, false, ""},
      {std::string("BE\1", 3), RemoteState::kNotFound, false, false, ""},
      {std::string("BE\2", 3), RemoteState::kInUse, false, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Remote remote;
    remote.List({{"4200", "-"}});
    remote.Receive(Message(c.message));
    EXPECT_EQ(remote.link.View().state, c.state);
    EXPECT_TRUE(remote.link.View().stateVisible);
    EXPECT_EQ(remote.link.LoggedIn(), c.loggedIn);
    EXPECT_EQ(remote.link.LinkReady(), c.loggedIn);
    EXPECT_EQ(remote.link.FullAccess(), c.fullAccess);
    if (c.loggedIn) {
      EXPECT_EQ(remote.link.View().accessText, c.access);
    }
  }
}

TEST(RemoteLink, StatusPollsOnlyWhileOnlineAndWatched) {
  Remote remote;
  remote.List({{"4200", "-"}});
  remote.Receive(
      Message(std::string("BE\0"
                          "4200\0A\0",
                          10)));
  const size_t before = remote.socket.sent.size();
  const auto polls = [&] { return remote.socket.sent.size() - before; };
  for (int i = 0; i < 33; ++i) remote.link.Tick(true);
  EXPECT_EQ(polls(), 0u) << "the system is not known to be online yet";
  remote.Receive(Message(std::string("BF10.0.0.7\0", 11)));
  EXPECT_TRUE(remote.link.SystemOnline());
  for (int i = 0; i < 33; ++i) remote.link.Tick(true);
  EXPECT_EQ(polls(), 3u);  // every 11 ticks
  EXPECT_EQ(remote.socket.sent.back(), GatewayStatusPollMessage());
  for (int i = 0; i < 33; ++i) remote.link.Tick(false);
  EXPECT_EQ(polls(), 3u);
  remote.Receive(Message(std::string("BFOffline\0", 10)));
  EXPECT_FALSE(remote.link.SystemOnline());
}

TEST(RemoteLink, QuestionsWaitForTheTickAndGoWithTheConnection) {
  // The socket's event only records the question; the tick asks it.
  Remote asked;
  asked.prompts.pick = GatewaySystem{"4201", "Laundry", "-", "10.0.0.7"};
  asked.List({{"4200", "-"}, {"4201", "-"}}, /*answer=*/false);
  EXPECT_EQ(asked.prompts.lists, 0);
  EXPECT_TRUE(asked.link.Asking());
  asked.link.Tick(false);
  EXPECT_EQ(asked.prompts.lists, 1);
  EXPECT_EQ(asked.socket.sent.back(), Message(std::string("AB4201\0", 7)));

  // The connection goes while the list is open: the list closes and its answer is
  // dropped; what arrives afterwards is not read.
  Remote dropped;
  dropped.prompts.pick = GatewaySystem{"4201", "Laundry", "-", "10.0.0.7"};
  dropped.prompts.whileAsking = [&] {
    dropped.socket.connected = false;
    dropped.link.Disconnected();
  };
  dropped.List({{"4200", "-"}, {"4201", "-"}});
  EXPECT_EQ(dropped.prompts.closed, 1);
  EXPECT_EQ(dropped.socket.sent.size(), 1u) << "only the login went out";
  EXPECT_EQ(dropped.link.View().state, RemoteState::kDisconnected);
  dropped.Receive(Message(std::string("BF10.0.0.7\0", 11)));
  EXPECT_FALSE(dropped.link.View().addressVisible);
  EXPECT_EQ(dropped.link.RxBytes(), 0u);

  // A login waiting for the tick is dropped with the connection.
  Remote waiting;
  waiting.link.Connected();
  waiting.link.Disconnected();
  waiting.Answer();
  EXPECT_EQ(waiting.prompts.logins, 1);
}

TEST(RemoteLink, RejectedLoginRetriesOrDisconnects) {
  Remote retry;
  retry.Receive(Message("BI"));
  EXPECT_EQ(retry.prompts.logins, 2);
  EXPECT_EQ(retry.socket.sent.size(), 2u);  // the login again, on the same socket

  Remote cancel;
  cancel.prompts.retry = false;
  cancel.Receive(Message("BI"));
  EXPECT_EQ(cancel.events.lost, 1);
  EXPECT_FALSE(cancel.socket.connected);
  EXPECT_EQ(cancel.link.View().state, RemoteState::kDisconnected);
  EXPECT_FALSE(cancel.link.View().connectShowsDisconnect);
  EXPECT_FALSE(cancel.link.Send(GatewayStatusPollMessage()));
}

// One reading of a gateway address for the window and vorelctl: a bare IPv6 address
// keeps its colons, a bad port is refused rather than kept in the host name.
TEST(GatewayAddress, TheFormsATechnicianWrites) {
  const struct {
    const char* text;
    std::optional<GatewayAddress> address;
  } cases[] = {
      {"gw.example", GatewayAddress{"gw.example", 14015}},
      {" 10.0.0.7:15000 ", GatewayAddress{"10.0.0.7", 15000}},
      {"::1", GatewayAddress{"::1", 14015}},
      {"[::1]:15000", GatewayAddress{"::1", 15000}},
      {"[fe80::1]", GatewayAddress{"fe80::1", 14015}},
      {"gw:abc", std::nullopt},
      {"gw:0", std::nullopt},
      {"gw:65536", std::nullopt},
      {"gw:", std::nullopt},
      {":15000", std::nullopt},
      {"", std::nullopt},
      {"[::1]x", std::nullopt},
      {"[]:15000", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseGatewayAddress(c.text), c.address) << c.text;
}

}  // namespace
}  // namespace vorel
