// The simulated gateway against messages and sums worked out by hand (framed here,
// not with the tool's codec, so a fault shared by both sides shows): login and the
// system list, selection, write and checksum, the image read, malformed messages.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/simulation/GatewaySimulator.h"
#include "support/ProgramBuilders.h"

namespace vorel::sim {
namespace {

using Bytes = std::vector<uint8_t>;

// The head bytes, then each text with its zero.
Bytes Message(Bytes head, std::initializer_list<std::string_view> texts) {
  for (std::string_view text : texts) {
    head.insert(head.end(), text.begin(), text.end());
    head.push_back(0);
  }
  return head;
}

// STX, the message and its complement sum with 02 03 10 15 16 escaped, ETX.
Bytes Framed(const Bytes& message) {
  Bytes frame = {0x02};
  uint8_t sum = 0;
  Bytes body = message;
  for (uint8_t byte : message) sum = static_cast<uint8_t>(sum + byte);
  body.push_back(static_cast<uint8_t>(~sum));
  for (uint8_t byte : body) {
    if (byte == 0x02 || byte == 0x03 || byte == 0x10 || byte == 0x15 || byte == 0x16) {
      frame.push_back(0x10);
      byte ^= 0x20;
    }
    frame.push_back(byte);
  }
  frame.push_back(0x03);
  return frame;
}

// The messages of a stream of frames, each checked for its sum.
std::vector<Bytes> Unframed(const Bytes& stream) {
  std::vector<Bytes> messages;
  Bytes current;
  for (size_t i = 0; i < stream.size(); ++i) {
    if (stream[i] == 0x02) {
      current.clear();
    } else if (stream[i] == 0x03) {
      uint8_t sum = 0;
      for (uint8_t byte : current) sum = static_cast<uint8_t>(sum + byte);
      EXPECT_EQ(sum, 0xFF);
      current.pop_back();
      messages.push_back(current);
    } else {
      current.push_back(stream[i] == 0x10 ? static_cast<uint8_t>(stream[++i] ^ 0x20) : stream[i]);
    }
  }
  return messages;
}

struct Site {
  GatewayWorld world;
  Site() {
    world.AddUser({"service", "service", "A"});
    world.AddUser({"viewer", "look", "B"});
    ControllerImage memory;
    memory.bytes[0x0F] = 0x20;
    memory.bytes[0x18] = 0x40;
    memory.bytes[0x21] = 0x80;
    for (size_t i = 0x4000; i < 0x4200; ++i) memory.bytes[i] = static_cast<uint8_t>(i);
    world.AddSystem({"4200", "Wash & Dry", "-", "10.0.0.7"}, memory);
    world.AddSystem({"4300", "Corner", "Anna", "Offline"}, memory);
    world.AddSystem({"4400", "Hotel", "-", "Offline"}, memory);
  }
};

std::vector<Bytes> Send(GatewayConnection& connection, const std::vector<Bytes>& messages) {
  Bytes stream;
  for (const Bytes& message : messages) {
    const Bytes frame = Framed(message);
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  return Unframed(connection.Receive(stream));
}

Bytes Login(std::string_view user, std::string_view password) {
  return Message({'A', 0x40}, {user, password});
}

TEST(GatewaySimulator, LoginListsTheSystemsOrIsRejected) {
  const struct {
    Bytes login;
    std::vector<Bytes> answer;
  } cases[] = {
      {Login("service", "service"),
       {Message({'B', 'D'}, {"4200", "Wash & Dry", "-", "10.0.0.7"}),
        Message({'B', 'D'}, {"4300", "Corner", "Anna", "Offline"}),
        Message({'B', 'D'}, {"4400", "Hotel", "-", "Offline"}),
        {'B', 'D', 0}}},
      {Login("service", "Service"), {{'B', 'I'}}},
      {Login("nobody", "service"), {{'B', 'I'}}},
      {{'A', 0x40, 's', 0, 's'}, {}},  // the password without its zero
  };
  for (const auto& c : cases) {
    Site site;
    GatewayConnection connection(site.world);
    EXPECT_EQ(Send(connection, {c.login}), c.answer);
  }
  // A whole frame, worked out byte by byte: 42 49, sum 0x8B, checksum 74.
  Site site;
  GatewayConnection connection(site.world);
  EXPECT_EQ(connection.Receive(Framed(Login("x", ""))), (Bytes{0x02, 'B', 'I', 0x74, 0x03}));
}

TEST(GatewaySimulator, SelectionAnswersWithTheAccessCode) {
  const struct {
    Bytes login;
    std::string serial;
    std::vector<Bytes> answer;
  } cases[] = {
      {Login("service", "service"),
       "4200",
       {Message({'B', 'E', 0}, {"4200", "A"}), Message({'B', 'F'}, {"10.0.0.7"})}},
      {Login("viewer", "look"),
       "4400",
       {Message({'B', 'E', 0}, {"4400", "B"}), Message({'B', 'F'}, {"Offline"})}},
      {Login("service", "service"), "9999", {{'B', 'E', 1}}},
      {Login("service", "service"), "4300", {{'B', 'E', 2}}},
      {Login("service", "wrong"), "4200", {}},  // nothing is served before a login
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.serial);
    Site site;
    GatewayConnection connection(site.world);
    Send(connection, {c.login});
    EXPECT_EQ(Send(connection, {Message({'A', 'B'}, {c.serial})}), c.answer);
    EXPECT_EQ(site.world.LastSelected(), c.answer.size() == 2 ? c.serial : "");
  }
}

Bytes Write(uint16_t address, const Bytes& data) {
  Bytes message = {0x00, 'Q', static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                   static_cast<uint8_t>(data.size())};
  message.insert(message.end(), data.begin(), data.end());
  return message;
}

TEST(GatewaySimulator, ChecksumCoversTheWrittenRange) {
  const struct {
    bool readOnly;
    std::vector<Bytes> writes;
    Bytes checksum;
  } cases[] = {
      // 05 at 0x10 and 06 at 0x20: the 0x40 at 0x18 between them counts, the 0x20
      // before and the 0x80 after do not: 0x4B.
      {false, {Write(0x10, {5}), Write(0x20, {6})}, {'C', 'S', 0x4B, 0x00}},
      // 258 bytes of FF: 0x100FE, the carry dropped.
      {false,
       {Write(0x1000, Bytes(200, 0xFF)), Write(0x10C8, Bytes(58, 0xFF))},
       {'C', 'S', 0xFE, 0}},
      {true, {Write(0x10, {5})}, {'C', 'S', 0, 0}},
      {false, {Write(0x7FFF, {1, 2})}, {'C', 'S', 0, 0}},          // past the end
      {false, {{0x00, 'Q', 0x10, 0, 2, 5}}, {'C', 'S', 0, 0}},     // two said, one came
      {false, {{0x00, 'Q', 0x10, 0, 1, 5, 6}}, {'C', 'S', 0, 0}},  // one said, two came
  };
  for (const auto& c : cases) {
    Site site;
    GatewayConnection connection(site.world);
    Send(connection, {c.readOnly ? Login("viewer", "look") : Login("service", "service"),
                      Message({'A', 'B'}, {"4200"})});
    std::vector<Bytes> messages = c.writes;
    messages.insert(messages.end(), 2, {0x00, 'S', 0, 0});
    EXPECT_EQ(Send(connection, messages), (std::vector<Bytes>{c.checksum, {'C', 'S', 0, 0}}));
  }
}

TEST(GatewaySimulator, ReadStreamsTheWholeMemoryUnlessOffline) {
  Site site;
  GatewayConnection connection(site.world);
  Send(connection, {Login("service", "service"), Message({'A', 'B'}, {"4200"})});
  const std::vector<Bytes> blocks = Send(connection, {{'A', 'C'}});
  ASSERT_EQ(blocks.size(), 64u);
  Bytes memory;
  for (size_t i = 0; i < blocks.size(); ++i) {
    ASSERT_EQ(blocks[i].size(), 6u + 512u);
    EXPECT_EQ(Bytes(blocks[i].begin(), blocks[i].begin() + 6),
              (Bytes{'B', 'H', 0x00, static_cast<uint8_t>(2 * i), 0x00, 0x02}));
    memory.insert(memory.end(), blocks[i].begin() + 6, blocks[i].end());
  }
  EXPECT_EQ(memory, Bytes(site.world.Systems()[0].memory.bytes.begin(),
                          site.world.Systems()[0].memory.bytes.end()));

  Send(connection, {Message({'A', 'B'}, {"4400"})});
  EXPECT_TRUE(Send(connection, {{'A', 'C'}, {0x00, 'X', 0x1E, 0x00}}).empty());
}

TEST(GatewaySimulator, MalformedMessagesAreIgnoredWhole) {
  Site site;
  GatewayConnection connection(site.world);
  Send(connection, {Login("service", "service"), Message({'A', 'B'}, {"4200"})});
  // Short, long, a poll of another value, machine 11, texts without their zero.
  const std::vector<Bytes> ignored = {
      {0x00, 'X', 0x1E},
      {0x00, 'X', 0x1E, 0x00, 0x00},
      {0x00, 'X', 0x1F, 0x00},
      {0x00, 'S', 0},
      {0x03, '%', 10, 0},
      {0x03, '&', 0},
      {'A', 'B', '4', '3'},
      {'A', 0x40, 'x', 0},
      {0x00},
  };
  EXPECT_TRUE(Send(connection, ignored).empty());
  // A frame with a damaged sum is dropped too.
  Bytes damaged = Framed({0x00, 'X', 0x1E, 0x00});
  damaged[damaged.size() - 2] ^= 0x01;
  EXPECT_TRUE(connection.Receive(damaged).empty());
  // A frame longer than the receive buffer, whose stored part would read as a login.
  Bytes overlong = Framed(Login(std::string(1993, 'u'), "pw"));
  overlong.insert(overlong.end() - 1, 10, 'x');
  EXPECT_TRUE(connection.Receive(overlong).empty());

  // The selection stands: two polls and a reset are answered.
  const std::vector<Bytes> answers =
      Send(connection, {{0x00, 'X', 0x1E, 0x00}, {0x00, 'X', 0x1E, 0x00}, {0x03, '%', 0, 0}});
  ASSERT_EQ(answers.size(), 3u);
  ASSERT_EQ(answers[0].size(), 116u);
  ASSERT_EQ(answers[1].size(), 116u);
  EXPECT_EQ((Bytes{answers[0][0], answers[0][1], answers[1][0], answers[1][1]}),
            (Bytes{'C', 'X', 'C', 'X'}));
  EXPECT_EQ(answers[2], (Bytes{'C', '%'}));
  EXPECT_EQ(site.world.Systems()[0].counts.statusPolls, 2u);
  EXPECT_EQ(site.world.Systems()[0].counts.machineResets, 1u);
}

TEST(GatewaySimulator, StatusCarriesTheRunningLaundry) {
  GatewayWorld world;
  world.AddUser({"service", "service", "A"});
  // Machine 2 starts at 6 s: the keyboard lock's second, then pump 6 for 10 s.
  world.AddSystem({"4200", "Wash & Dry", "-", "10.0.0.7"},
                  test::RunningMemory(1, {{0x0A}, {0x08, 0x06, 0, 0, 20, 0}, {0x07, 100}}));
  GatewayConnection connection(world);
  Send(connection, {Login("service", "service"), Message({'A', 'B'}, {"4200"})});
  world.Advance(7500);
  // Pump 6, machine 2's output; its record at 26: line 2, slot 1, online and locked.
  Bytes running(116, 0);
  running[0] = 'C';
  running[1] = 'X';
  running[2] = 0x20;
  running[4] = 0x02;
  running[26] = 2;
  running[27] = 1;
  running[28] = 0x05;
  // A reset of machine 2 ends its program: only its trigger unit online is left.
  Bytes reset(116, 0);
  reset[0] = 'C';
  reset[1] = 'X';
  reset[28] = 0x01;
  EXPECT_EQ(Send(connection, {{0x00, 'X', 0x1E, 0x00}, {0x03, '%', 1, 0}, {0x00, 'X', 0x1E, 0x00}}),
            (std::vector<Bytes>{running, {'C', '%'}, reset}));
}

}  // namespace
}  // namespace vorel::sim
