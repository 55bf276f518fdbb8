// Windows-1252 text, as the system file and the controller image hold it, to and
// from UTF-8.
#include "core/base/Ansi.h"

#include <gtest/gtest.h>

#include <string>

namespace vorel {
namespace {

TEST(Ansi, RoundTripsEveryByteThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Ansi::FromUtf8(Ansi::ToUtf8(all)), all);
}

TEST(Ansi, KnownCharacters) {
  EXPECT_EQ(Ansi::ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Ansi::ToUtf8("\xE9"), "\xC3\xA9");      // e acute
  EXPECT_EQ(Ansi::FromUtf8("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(Ansi::FromUtf8("\xE4\xB8\xAD"), "?");  // a CJK character is not in the code page
  EXPECT_EQ(Ansi::FromUtf8("a\xC3"), "a?");        // cut sequence
  EXPECT_EQ(Ansi::FromUtf8("\xFF"
                           "b"),
            "?b");  // invalid lead byte
}

}  // namespace
}  // namespace vorel
