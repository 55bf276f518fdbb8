// Whole and decimal numbers read from the editors' and the system file's texts.
#include "core/base/Numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace vorel {
namespace {

TEST(Numbers, ParseInt32) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {{"0", 0},
               {"42", 42},
               {"-5", -5},
               {" 7 ", 7},
               {"+3", 3},
               {"", std::nullopt},
               {"-", std::nullopt},
               {"1.5", std::nullopt},
               {"12a", std::nullopt},
               {"2147483647", 2147483647},
               {"-2147483648", INT32_MIN},
               {"2147483648", std::nullopt},
               {"99999999999999999999", std::nullopt},
               {"0x10", std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseInt32(c.text), c.value);
  }
}

TEST(Numbers, ParseDecimal) {
  struct Case {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"7.5", 7.5},          {"7", 7.0},         {".5", 0.5},         {"-1.25", -1.25},
      {"7,5", std::nullopt}, {"", std::nullopt}, {".", std::nullopt}, {"1.2.3", std::nullopt},
      {"abc", std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDecimal(c.text), c.value);
  }
}

}  // namespace
}  // namespace vorel
