// Live display of a machine window: highlight, keyboard lock,
// weights by trigger type, unit identification and the online countdown.
#include <gtest/gtest.h>

#include "core/config/TriggerData.h"
#include "core/supervision/MachineLiveDisplay.h"

namespace vorel {
namespace {

StatusReport Decoded(const std::vector<uint8_t>& message) {
  const std::optional<StatusReport> report = DecodeStatusReport(message);
  EXPECT_TRUE(report.has_value());
  return report.value_or(StatusReport{});
}

// A 64-byte status report with machine `index`'s record set.
std::vector<uint8_t> LongReport(int index, uint8_t line, uint8_t slot, uint8_t flags,
                                uint8_t inputs, uint8_t load) {
  std::vector<uint8_t> m(64, 0);
  m[0] = 0x33;
  m[1] = 64;
  uint8_t* r = &m[14 + 5 * index];
  r[0] = line;
  r[1] = slot;
  r[2] = flags;
  r[3] = inputs;
  r[4] = load;
  return m;
}

TEST(MachineLiveDisplay, ShortReportShowsProgramAndLockButNoPercentage) {
  std::vector<uint8_t> m(44, 0);
  m[0] = 0x33;
  m[1] = 44;
  m[14 + 3 * 2 + 0] = 5;
  m[14 + 3 * 2 + 1] = 2;
  m[14 + 3 * 2 + 2] = 0x05;
  MachineLiveDisplay third(2);
  auto running = third.ApplyStatusReport(Decoded(m), trigger::kTypeMielePulse, true);
  ASSERT_TRUE(running);
  EXPECT_EQ(running->slotNumber, 2);
  EXPECT_EQ(running->lineByte, 5);
  EXPECT_EQ(third.State().highlightedSlot, 1);
  EXPECT_EQ(third.State().programGroupCaption, " Program, Keyboard locked ");
  EXPECT_FALSE(third.State().weightVisible[0]);

  std::vector<uint8_t> wide = LongReport(2, 5, 2, 0x05, 0, 77);
  MachineLiveDisplay other(2);
  other.ApplyStatusReport(Decoded(wide), trigger::kTypeMielePulse, true);
  EXPECT_TRUE(other.State().weightVisible[0]);
  EXPECT_EQ(other.State().weightText[0], "77%");
}

TEST(MachineLiveDisplay, StatusReportByTriggerType) {
  struct Case {
    const char* name;
    uint8_t type;
    bool windowExists;
    bool percentShown, tShown, inputsFollow;
  } cases[] = {
      {"ethernet", trigger::kTypeMieleEthernet, true, true, true, true},
      {"pulse", trigger::kTypeMielePulse, true, true, false, false},
      {"parallel", trigger::kTypeParallel, true, false, false, false},
      {"ethernet without trigger window", trigger::kTypeMieleEthernet, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MachineLiveDisplay display(4);
    std::vector<uint8_t> m = LongReport(4, 1, 1, 0x01, 0x05, 42);
    display.ApplyStatusReport(Decoded(m), c.type, c.windowExists);
    EXPECT_EQ(display.State().weightVisible[0], c.percentShown);
    EXPECT_EQ(display.State().triggerOnlineVisible, c.tShown);
    EXPECT_EQ(display.State().inputActive[0], c.inputsFollow);
    EXPECT_EQ(display.State().inputActive[2], c.inputsFollow);
    EXPECT_FALSE(display.State().inputActive[1]);
  }
}

TEST(MachineLiveDisplay, HighlightAndRunningLineOnlyForSlotsOneToSix) {
  struct Case {
    uint8_t slotByte;
    int highlight;
    bool running;
  } cases[] = {{1, 0, true}, {6, 5, true}, {0, -1, false}, {7, 6, false}, {0xE3, 2, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slotByte);
    MachineLiveDisplay display(0);
    std::vector<uint8_t> m = LongReport(0, 3, c.slotByte, 0, 0, 0);
    EXPECT_EQ(display.ApplyStatusReport(Decoded(m), 1, true).has_value(), c.running);
    EXPECT_EQ(display.State().highlightedSlot, c.highlight);
  }
}

std::vector<uint8_t> TriggerFrame(uint8_t code, uint8_t inputs, uint8_t weight, uint8_t unit = 0,
                                  uint8_t version = 0) {
  return {code, 12, 0, 1, 5, 0, inputs, 0, weight, unit, version, 0};
}

TEST(MachineLiveDisplay, WeighingTriggerShowsWeightUnderLowestInput) {
  MachineLiveDisplay display(0, ',');
  display.ApplyTriggerFrame(TriggerFrame(0x0A, 0x06, 15), trigger::kTypeWeight3);
  const auto& s = display.State();
  EXPECT_EQ(s.weightVisible, (std::array<bool, 6>{false, true, false, false, false, false}));
  EXPECT_EQ(s.weightText[1], "7,5kg");
  EXPECT_TRUE(s.inputActive[1]);
  EXPECT_TRUE(s.inputActive[2]);
  EXPECT_TRUE(s.triggerOnlineVisible);

  // No input: the label in use keeps its weight.
  display.ApplyTriggerFrame(TriggerFrame(0x0A, 0x00, 99), trigger::kTypeWeight4);
  EXPECT_TRUE(s.weightVisible[1]);
  EXPECT_EQ(s.weightText[1], "7,5kg");

  // Another input moves the weight.
  display.ApplyTriggerFrame(TriggerFrame(0x0A, 0x10, 4), trigger::kTypeWeight3);
  EXPECT_EQ(s.weightVisible, (std::array<bool, 6>{false, false, false, false, true, false}));
  EXPECT_EQ(s.weightText[4], "2,0kg");

  // Bit 5: no weight at all.
  display.ApplyTriggerFrame(TriggerFrame(0x0A, 0x21, 4), trigger::kTypeWeight3);
  EXPECT_EQ(s.weightVisible, (std::array<bool, 6>{}));
}

TEST(MachineLiveDisplay, ElectroluxAndMieleWeights) {
  struct Case {
    const char* name;
    uint8_t type, inputs, weight;
    int label;
    const char* text;
  } cases[] = {
      {"electrolux weight under input 6", trigger::kTypeElectrolux, 0x20, 9, 5, "4.5kg"},
      {"electrolux zero weight", trigger::kTypeElectrolux, 0x20, 0, -1, ""},
      {"electrolux no weight flag", trigger::kTypeElectrolux, 0x01, 9, -1, ""},
      {"miele load", trigger::kTypeMieleLogic, 0x00, 200, 0, "200%"},
      {"miele load out of range", trigger::kTypeMieleLogic, 0x00, 201, -1, ""},
      {"miele no load", trigger::kTypeMieleLogic, 0x00, 0, -1, ""},
      {"parallel box shows nothing", trigger::kTypeParallel, 0x01, 50, -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MachineLiveDisplay display(0, '.');
    display.ApplyTriggerFrame(TriggerFrame(0x0A, c.inputs, c.weight), c.type);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(display.State().weightVisible[i], i == c.label) << i;
    if (c.label >= 0) {
      EXPECT_EQ(display.State().weightText[c.label], c.text);
    }
  }
}

TEST(MachineLiveDisplay, IdentificationFrame) {
  MachineLiveDisplay display(0);
  EXPECT_FALSE(display.ApplyTriggerFrame(TriggerFrame(0x0A, 0, 0, 0x32, 0x21), 1));
  EXPECT_FALSE(display.State().keyboardConnectedVisible);
  auto ident = display.ApplyTriggerFrame(TriggerFrame(0x0B, 0, 0, 0x32, 0x21), 1);
  ASSERT_TRUE(ident);
  EXPECT_EQ(ident->unitKind, 2);
  EXPECT_EQ(ident->version, 0x21);
  EXPECT_EQ(ident->programNumber, std::optional<uint8_t>(0));
  EXPECT_TRUE(display.State().keyboardConnectedVisible);
  EXPECT_TRUE(display.State().serialConnectionVisible);
  EXPECT_TRUE(display.State().triggerOnlineVisible);

  // The Electrolux program number is byte 11, when the frame carries it.
  std::vector<uint8_t> numbered = TriggerFrame(0x0B, 0, 0, 0x02, 0x21);
  numbered.back() = 17;
  EXPECT_EQ(display.ApplyTriggerFrame(numbered, 1)->programNumber, std::optional<uint8_t>(17));
  numbered.pop_back();
  EXPECT_FALSE(display.ApplyTriggerFrame(numbered, 1)->programNumber);
}

TEST(MachineLiveDisplay, LettersHiddenFiveSecondsAfterLastTriggerFrame) {
  MachineLiveDisplay display(0);
  display.ApplyTriggerFrame(TriggerFrame(0x0B, 0, 0, 0x30, 0x11), 1);
  std::vector<uint8_t> report = LongReport(0, 1, 1, 0x04, 0, 0);
  bool offline = false;
  for (int tick = 1; tick <= 50; ++tick) {
    display.ApplyStatusReport(Decoded(report), 1, true);  // reports do not keep the machine online
    offline = display.Tick();
    if (tick < 50) {
      ASSERT_FALSE(offline) << tick;
      ASSERT_TRUE(display.State().triggerOnlineVisible) << tick;
    }
  }
  EXPECT_TRUE(offline);
  EXPECT_FALSE(display.State().keyboardConnectedVisible);
  EXPECT_FALSE(display.State().triggerOnlineVisible);
  EXPECT_FALSE(display.State().serialConnectionVisible);
  EXPECT_FALSE(display.KeyboardLocked());
  EXPECT_EQ(display.State().programGroupCaption, " Program ");
  EXPECT_FALSE(display.Tick());
}

TEST(MachineLiveDisplay, GatewayRecord) {
  MachineLiveDisplay display(3);
  std::vector<uint8_t> online = {9, 4, 0x0F, 0x21, 0, 0, 0, 0, 0, 0};
  auto running = display.ApplyGatewayRecord(online);
  ASSERT_TRUE(running);
  EXPECT_EQ(running->slotNumber, 4);
  EXPECT_EQ(running->lineByte, 9);
  const auto& s = display.State();
  EXPECT_TRUE(s.triggerOnlineVisible);
  EXPECT_TRUE(s.keyboardConnectedVisible);
  EXPECT_TRUE(s.serialConnectionVisible);
  EXPECT_EQ(s.programGroupCaption, " Program, Keyboard locked ");
  EXPECT_EQ(s.inputActive, (std::array<bool, 6>{true, false, false, false, false, true}));
  EXPECT_EQ(s.highlightedSlot, 3);
  EXPECT_EQ(display.OnlineCountdown(), 50);

  std::vector<uint8_t> offline = {0, 0, 0x0E, 0x3F, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(display.ApplyGatewayRecord(offline));
  EXPECT_FALSE(s.triggerOnlineVisible);
  EXPECT_FALSE(s.keyboardConnectedVisible);
  EXPECT_EQ(s.inputActive, (std::array<bool, 6>{}));
  EXPECT_EQ(s.highlightedSlot, -1);
  EXPECT_FALSE(display.ApplyGatewayRecord(std::vector<uint8_t>(9, 0xFF)));
}

}  // namespace
}  // namespace vorel
