// The controller image itself: resetting it, and the text area that names, comments
// and line comments are appended to and read back from.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "core/image/ControllerImage.h"

namespace vorel {
namespace {

using Bytes = std::array<uint8_t, 32768>;

// Hand-written layout: these tests use literal offsets, not the named ones.
constexpr size_t kText = 15616;
constexpr size_t kLogs = 25216;

TEST(AppendText, StoresWhatFitsAndDropsTheRest) {
  struct Case {
    const char* name;
    size_t cursor, length;
    TextRef ref;
    size_t cursorAfter;
  } cases[] = {{"ends exactly at 9600", 1, 9598, 1, 9600},
               {"one byte longer", 1, 9599, 0, 1},
               {"last bytes", 9000, 599, 9000, 9600},
               {"last bytes plus one", 9000, 600, 0, 9000},
               {"area full", 9600, 1, 0, 9600},
               {"empty text", 5, 0, 0, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImageState state;
    state.image.bytes.fill(0xEE);
    state.textCursor = c.cursor;
    EXPECT_EQ(AppendText(state, std::string(c.length, 'T')), c.ref);
    EXPECT_EQ(state.textCursor, c.cursorAfter);
    EXPECT_EQ(state.image.bytes[kLogs], 0xEE);
    if (c.ref != 0) {
      EXPECT_EQ(state.image.bytes[kText + c.cursorAfter - 1], 0);
      EXPECT_EQ(TextAt(state.image, c.ref), std::string(c.length, 'T'));
    }
  }
}

TEST(ResetImage, KeepsLoginCodeAndTheLogsUnlessWhole) {
  for (bool whole : {false, true}) {
    SCOPED_TRACE(whole);
    ImageState state;
    state.image.bytes.fill(0x5A);
    state.textCursor = 700;
    ResetImage(state, whole);
    const Bytes& b = state.image.bytes;
    EXPECT_EQ(std::string(b.begin(), b.begin() + 7), "MQ350\x01\x01");
    EXPECT_EQ(std::count(b.begin() + 550, b.begin() + 560, 0x5A), 10);
    EXPECT_EQ(std::count(b.begin() + 7, b.begin() + 550, 0), 543);
    EXPECT_EQ(std::count(b.begin() + 560, b.begin() + kLogs, 0), int(kLogs - 560));
    EXPECT_EQ(std::count(b.begin() + kLogs, b.end(), whole ? 0 : 0x5A), int(b.size() - kLogs));
    EXPECT_EQ(state.textCursor, 1u);
  }
}

TEST(TextAt, NeverReadsOutsideTheTextArea) {
  ControllerImage image;
  std::fill(image.bytes.begin() + kText, image.bytes.begin() + kLogs, 'A');  // no terminator
  std::fill(image.bytes.begin() + kLogs, image.bytes.end(), 'L');
  struct Case {
    const char* name;
    TextRef ref;
    size_t length;
  } cases[] = {{"no text, even over a non-zero first byte", 0, 0},
               {"unterminated runs to the end of the area", 9590, 10},
               {"last byte", 9599, 1},
               {"just beyond the area", 9600, 0},
               {"far beyond", 0xFFFF, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextAt(image, c.ref), std::string(c.length, 'A'));
  }
}

}  // namespace
}  // namespace vorel
