// Placement of windows opened beside or below another.
#include <gtest/gtest.h>

#include "core/app/WindowPlacement.h"

namespace vorel {
namespace {

TEST(WindowPlacement, KeepOnScreen) {
  struct Case {
    const char* name;
    WindowPosition wanted;
    int width, height;
    WindowPosition expected;
  } cases[] = {
      {"fits", {100, 100}, 500, 400, {100, 100}},
      {"bottom below the screen less 50", {100, 700}, 500, 400, {100, 318}},
      {"bottom exactly at the margin", {100, 318}, 500, 400, {100, 318}},
      {"taller than the screen", {0, 0}, 500, 900, {0, 0}},
      {"right edge beyond the screen", {1000, 10}, 500, 400, {780, 10}},
      {"negative position", {-20, -5}, 500, 400, {0, 0}},
      {"wider than the screen", {10, 10}, 1500, 400, {0, 10}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KeepOnScreen(c.wanted, c.width, c.height, 1280, 768), c.expected);
  }
}

TEST(WindowPlacement, ProgramEditorBesideItsMachine) {
  struct Case {
    int slot;
    int workWidth, workHeight;
    WindowPosition expected;
  } cases[] = {
      {0, 1920, 1080, {700, 100}},
      {5, 1920, 1080, {775, 175}},
      {5, 760, 1080, {660, 175}},  // left + 100 beyond the work area
      {5, 1920, 180, {775, 160}},  // top + 20 below the work area
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slot);
    EXPECT_EQ(ProgramEditorPosition(100, 100, 600, c.slot, c.workWidth, c.workHeight), c.expected);
  }
}

TEST(WindowPlacement, CentredHalvesTowardZero) {
  EXPECT_EQ(CentredLeft(100, 600, 400), 200);
  EXPECT_EQ(CentredLeft(100, 600, 401), 199);
  EXPECT_EQ(CentredLeft(0, 300, 601), -150);  // -301 / 2 is -150, not -151
}

// The program editor of machine 1, slot 1 where the placement rule leaves only 100 px
// of it on a 1920 screen; a window taller than a 768 screen; one that fits.
TEST(WindowPlacement, FitIntoTheAvailableArea) {
  const WindowRect fullHd{0, 0, 1920, 1040};
  const WindowRect laptop{0, 0, 1366, 728};
  const struct {
    WindowRect frame;
    WindowRect area;
    WindowRect fitted;
  } cases[] = {
      {{1820, 100, 423, 600}, fullHd, {1497, 100, 423, 600}},
      {{-40, -10, 300, 200}, fullHd, {0, 0, 300, 200}},
      {{100, 400, 900, 900}, laptop, {100, 0, 900, 728}},
      {{200, 100, 1500, 300}, laptop, {0, 100, 1366, 300}},
      {{200, 100, 400, 300}, {1920, 0, 1366, 728}, {1920, 100, 400, 300}},  // second screen
      {{300, 200, 400, 300}, fullHd, {300, 200, 400, 300}},
  };
  for (const auto& c : cases) EXPECT_EQ(FitInto(c.frame, c.area), c.fitted);
}

}  // namespace
}  // namespace vorel
