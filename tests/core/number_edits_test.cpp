// What the number edits of the three editor windows accept while typing.
#include <gtest/gtest.h>

#include "core/config/NumberEdits.h"

namespace vorel {
namespace {

TEST(NumberEdits, TextsByEdit) {
  using enum NumberTextState;
  struct Case {
    const char* control;
    const char* text;
    NumberTextState want;
  };
  const Case cases[] = {
      {"ShortFlushTimeEdit", "", kAccepted},
      {"ShortFlushTimeEdit", "255", kAccepted},
      {"ShortFlushTimeEdit", "256", kRefused},
      {"ShortFlushTimeEdit", "000000000255", kAccepted},  // 12 digits, value in range
      {"ShortFlushTimeEdit", "-", kRefused},
      {"ShortFlushTimeEdit", "-1", kRefused},
      {"ProgramTimeoutEdit", "1 ", kRefused},
      {"Calibration7Edit", "6000", kAccepted},
      {"Calibration7Edit", "0", kAccepted},
      {"Calibration7Edit", "1", kOnTheWay},  // the pump would need over 250 s per 100 ml
      {"Calibration7Edit", "23", kOnTheWay},
      {"Calibration7Edit", "24", kAccepted},
      {"Calibration7Edit", "6001", kRefused},
      {"Calibration1Edit", "99999999999999999999999", kRefused},  // no overflow
      {"MachineResetDelayEdit", "65535", kAccepted},
      {"MachineResetDelayEdit", "65536", kRefused},
      {"MieleEthernetSerialNumberEdit", "-", kOnTheWay},
      {"MieleEthernetSerialNumberEdit", "-2147483648", kAccepted},
      {"MieleEthernetSerialNumberEdit", "-2147483649", kRefused},
      {"MieleEthernetSerialNumberEdit", "2147483647", kAccepted},
      {"MieleEthernetSerialNumberEdit", "2147483648", kRefused},
      {"MieleEthernetSerialNumberEdit", "--1", kRefused},
      {"MaxWeightEdit", "127,5", kAccepted},
      {"MaxWeightEdit", "127.5", kAccepted},
      {"MaxWeightEdit", "127,6", kRefused},
      {"MaxWeightEdit", "128", kRefused},
      {"MaxWeightEdit", "7,", kAccepted},
      {"MaxWeightEdit", "7,25", kRefused},
      {"MaxWeightEdit", ",5", kRefused},
      {"MaxWeightEdit", "-1", kRefused},
      {"PumpHighVolumeEdit", "65535", kAccepted},
      {"InputFilterEdit", "+5", kRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.control) + " '" + c.text + "'");
    const NumberEditRule* rule = FindNumberEditRule(c.control);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(CheckNumberEditText(*rule, c.text), c.want);
  }
  EXPECT_EQ(FindNumberEditRule("CommentEdit"), nullptr);
}

}  // namespace
}  // namespace vorel
