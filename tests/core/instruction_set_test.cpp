// The instruction list of a program line: names, saved bytes and lookup by name.
#include <gtest/gtest.h>

#include <optional>

#include "core/config/InstructionSet.h"

namespace vorel {
namespace {

TEST(InstructionTable, NamesAndSavedBytesInCodeOrder) {
  const char* names[] = {"Empty",       "Reset",      "Input wait",    "Input off wait",
                         "Input event", "Input jump", "Jump",          "Wait",
                         "Pump",        "Flush",      "Keyboard lock", "Pump, high volume"};
  const int saved[] = {0, 0, 5, 3, 5, 5, 1, 2, 5, 3, 0, 5};
  ASSERT_EQ(kInstructions.size(), 12u);
  for (size_t code = 0; code < kInstructions.size(); ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(kInstructions[code].name, names[code]);
    EXPECT_EQ(kInstructions[code].savedBytes, saved[code]);
    EXPECT_EQ(FindInstruction(names[code]), code);
  }
  EXPECT_EQ(FindInstruction("pump, HIGH volume"), 11);
  EXPECT_EQ(FindInstruction("Pump,high volume"), std::nullopt);
  EXPECT_EQ(FindInstruction(""), std::nullopt);
}

}  // namespace
}  // namespace vorel
