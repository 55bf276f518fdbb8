// Decoding the controller's status report: widening of the 44-byte layout worked
// out by hand, and the reports that are refused.
#include <gtest/gtest.h>

#include <vector>

#include "core/link/LiveMessages.h"

namespace vorel {
namespace {

TEST(DecodeStatusReport, ShortReportWidenedByHand) {
  std::vector<uint8_t> m(44, 0);
  m[0] = 0x33;
  m[1] = 44;
  m[2] = 7;                  // sequence: not carried
  m[6] = 0x45;               // pumps
  m[7] = 0x99;               // carried along
  m[8] = 0xFF;               // machines 1..8
  m[9] = 0xFF;               // machines 9, 10, valves, alarm and unused bits
  m[10] = 0x12;              // not read
  m[14 + 3 * 0 + 0] = 0xC5;  // machine 1: line byte, all bits
  m[14 + 3 * 0 + 1] = 0xFF;  // slot byte, bits 0-6
  m[14 + 3 * 0 + 2] = 0xFF;  // flags, bits 0 and 2
  m[14 + 3 * 9 + 0] = 24;    // machine 10
  m[14 + 3 * 9 + 1] = 3;
  m[14 + 3 * 9 + 2] = 0x04;
  const auto report = DecodeStatusReport(m);
  ASSERT_TRUE(report);
  std::array<uint8_t, 64> expected{};
  expected[0] = 0x33;  // the length byte reads 0
  expected[6] = 0x45;
  expected[7] = 0x99;
  expected[8] = 0xFF;
  expected[9] = 0x0F;  // bits 0-1 (machines 9, 10) and 2-3 (valves)
  expected[14] = 0xC5;
  expected[15] = 0x7F;
  expected[16] = 0x05;
  expected[14 + 45] = 24;
  expected[14 + 46] = 3;
  expected[14 + 47] = 0x04;
  EXPECT_EQ(report->bytes, expected);
  EXPECT_EQ(report->sentLength, 44);
  EXPECT_FALSE(report->CameLong());
  EXPECT_EQ(report->MachineRecord(9)[0], 24);
  // The sender's buffer is left as it came.
  EXPECT_EQ(m[1], 44);
}

TEST(DecodeStatusReport, LongReportTakenAsSentAndShortOnesRefused) {
  std::vector<uint8_t> wide(70, 0xA5);
  wide[0] = 0x33;
  wide[1] = 64;
  const auto report = DecodeStatusReport(wide);
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->CameLong());
  EXPECT_EQ(report->MachineRecord(0)[4], 0xA5);

  struct Case {
    const char* name;
    std::vector<uint8_t> message;
  };
  const Case refused[] = {
      {"empty", {}},
      {"code only", {0x33}},
      {"other code", std::vector<uint8_t>(64, 0x0A)},
      {"44 announced, 43 sent",
       [] {
         std::vector<uint8_t> m(43, 0);
         m[0] = 0x33;
         m[1] = 44;
         return m;
       }()},
      {"64 announced, 63 sent",
       [] {
         std::vector<uint8_t> m(63, 0);
         m[0] = 0x33;
         m[1] = 64;
         return m;
       }()},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(DecodeStatusReport(c.message));
  }
}

}  // namespace
}  // namespace vorel
