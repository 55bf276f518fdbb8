// The serial message payloads from vectors worked out by hand, and the messages
// refused before any field is read.
#include "core/link/Messages.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Messages, PayloadsByHand) {
  EXPECT_EQ(EncodeMemoryReadRequest(0x1234, 64), (Bytes{0x40, 0x34, 0x12}));
  EXPECT_EQ(EncodeMemoryWriteRequest(0x7FFE, Bytes{0xAA, 0x55}),
            (Bytes{0x02, 0xFE, 0x7F, 0xAA, 0x55}));
  const auto manual = EncodeManualControl({0x7F, 0x01, 0x0C03, 0x3FFF});
  EXPECT_EQ(Bytes(manual.begin(), manual.end()), (Bytes{0x7F, 0x01, 0x03, 0x0C, 0xFF, 0x3F}));
  EXPECT_EQ(MachineResetCommand(0), 0x10);
  EXPECT_EQ(MachineResetCommand(9), 0x19);
  EXPECT_EQ(MachineResetCommand(message::kAllMachines), 0x1A);
}

// The controller's side of the same payloads, for the simulator: the hand vectors
// above read back, and what a controller must not act on is refused.
TEST(Messages, RequestsAsTheControllerReadsThem) {
  const Bytes read = {0x40, 0x34, 0x12};
  const auto request = DecodeMemoryRequest(read, false);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->count, 64);
  EXPECT_EQ(request->address, 0x1234);
  const Bytes write = {0x02, 0xFE, 0x7F, 0xAA, 0x55};
  const auto written = DecodeMemoryRequest(write, true);
  ASSERT_TRUE(written);
  EXPECT_EQ(Bytes(written->data.begin(), written->data.end()), (Bytes{0xAA, 0x55}));
  for (const Bytes& refused : {Bytes{0x40, 0x34}, Bytes{0x00, 0x00, 0x10}, Bytes{0x81, 0, 0},
                               Bytes{0x03, 0xFE, 0x7F, 0xAA, 0x55}})
    EXPECT_FALSE(DecodeMemoryRequest(refused, true)) << int(refused[0]);
  EXPECT_EQ(DecodeManualControl(Bytes{0x7F, 0x01, 0x03, 0x0C, 0xFF, 0x3F}),
            (ManualControlState{0x7F, 0x01, 0x0C03, 0x3FFF}));
  EXPECT_FALSE(DecodeManualControl(Bytes{0x7F, 0x01, 0x03, 0x0C, 0xFF}));
}

TEST(Messages, MemoryRepliesCheckedBeforeReading) {
  const Bytes read = {0x35, 0x0B, 0x04, 0x02, 0x01, 0x00, 0x02, 0x00, 0x10, 0xDE, 0xAD};
  const auto reply = DecodeMemoryReply(read);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->command, 0x35);
  EXPECT_EQ(reply->count, 2);
  EXPECT_EQ(reply->address, 0x1000);
  EXPECT_EQ(Bytes(reply->data.begin(), reply->data.end()), (Bytes{0xDE, 0xAD}));
  const Bytes written = {0x37, 0x09, 0x04, 0x02, 0x01, 0x00, 0x80, 0x10, 0x00};
  ASSERT_TRUE(DecodeMemoryReply(written));
  EXPECT_EQ(DecodeMemoryReply(written)->address, 0x0010);

  struct Case {
    const char* name;
    Bytes message;
  };
  const Case refused[] = {
      {"read shorter than its count", {0x35, 0x0A, 0, 2, 1, 0, 0x03, 0x00, 0x10, 0xDE}},
      {"count 0", {0x37, 0x09, 0, 2, 1, 0, 0x00, 0x00, 0x10}},
      {"count 129", {0x37, 0x09, 0, 2, 1, 0, 0x81, 0x00, 0x10}},
      {"header only", {0x35, 0x06, 0, 2, 1, 0}},
      {"another code", {0x33, 0x09, 0, 2, 1, 0, 0x01, 0x00, 0x10}},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(DecodeMemoryReply(c.message));
  }
}

TEST(Messages, EthernetMonitorReportOnlyWhenPresent) {
  Bytes message = {0x3F, 20,   1,    2,    1,    0,    0x13, 0x00, 0x01, 0xE2,
                   0x40, 0x00, 0x00, 0x00, 0x2A, 0x01, 0x02, 0x03, 0x04, 0x55};
  const auto report = DecodeEthernetMonitorReport(message);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->machineNumber, 3);
  EXPECT_EQ(report->serialNumber, 123456u);
  EXPECT_EQ(report->unitId, 42u);
  EXPECT_EQ(report->status, (std::array<uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(report->softener, 0x55);
  message[6] = 0x03;  // bit 4 clear: no report
  EXPECT_FALSE(DecodeEthernetMonitorReport(message));
  message[6] = 0x13;
  message.pop_back();
  EXPECT_FALSE(DecodeEthernetMonitorReport(message));
}

}  // namespace
}  // namespace vorel
