// The consumption and alarm logs as the log windows and vorelctl read them from the
// image: month lists, period totals, the CSV, history and state lines, and clears.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"

namespace vorel {
namespace {

using Lines = std::vector<std::string>;

constexpr size_t kDataLog = 25472;
constexpr size_t kDataLogFirmware1 = 25344;
constexpr size_t kAlarmLog = 25216;
constexpr size_t kAlarmLogFirmware1 = 25088;

// Month record r at log + 302 r: year - 2000, month, then 30 bytes per machine.
void PutMonth(ControllerImage& image, size_t log, int record, uint8_t year, uint8_t month) {
  image.bytes[log + 302 * record] = year;
  image.bytes[log + 302 * record + 1] = month;
}
// Counter c: 0 no program, 1..6 programs, 7..13 pumps 1..7, 14 softener.
void PutCounter(ControllerImage& image, int record, int machineNumber, int counter,
                uint16_t value) {
  const size_t at = kDataLog + 302 * record + 2 + 30 * (machineNumber - 1) + 2 * counter;
  image.bytes[at] = value & 0xFF;
  image.bytes[at + 1] = value >> 8;
}

// November 2011 in record 3, February 2012 in record 17; the rest unused, some of
// them with counters that must never be added.
ControllerImage TwoMonths() {
  ControllerImage image;
  PutMonth(image, kDataLog, 3, 11, 11);
  PutCounter(image, 3, 1, 7, 200);  // machine 1, pump 1: 1 litre
  PutCounter(image, 3, 3, 0, 1);    // machine 3: no program
  PutCounter(image, 3, 3, 2, 4);    // program 2
  PutCounter(image, 3, 3, 13, 3);   // pump 7: 15 ml
  PutCounter(image, 3, 3, 14, 2);   // softener
  PutMonth(image, kDataLog, 17, 12, 2);
  PutCounter(image, 17, 3, 7, 10);         // machine 3, pump 1
  PutCounter(image, 17, 10, 6, 5);         // machine 10, program 6
  PutMonth(image, kDataLog, 5, 100, 1);    // year 2100: unused
  PutMonth(image, kDataLog, 6, 11, 0);     // month 0: unused
  PutMonth(image, kDataLog, 7, 12, 13);    // month 13: unused
  PutMonth(image, kDataLog, 8, 255, 255);  // erased
  PutCounter(image, 8, 1, 7, 999);
  return image;
}

TEST(ConsumptionLog, MonthListsRunFromTheOldestToTheNewestUsedRecord) {
  std::vector<std::string> texts;
  for (const YearMonth& month : LogMonths(TwoMonths())) texts.push_back(MonthText(month));
  EXPECT_EQ(texts, Lines({"November, 2011", "December, 2011", "January, 2012", "February, 2012"}));
  EXPECT_TRUE(LogMonths(ControllerImage{}).empty());
}

TEST(ConsumptionLog, PeriodTotals) {
  struct Case {
    const char* name;
    int from, to, machine;
    bool any;
    uint32_t pump1, pump7, totalUnits, noProgram, program2, program6, totalWashes, softener;
  };
  const Case cases[] = {
      {"the newest month, as the lists start", 3, 3, 0, true, 10, 0, 10, 0, 0, 5, 5, 0},
      {"whole log, all machines", 0, 3, 0, true, 210, 3, 213, 1, 4, 5, 10, 2},
      {"machine 3 alone", 0, 3, 3, true, 10, 3, 13, 1, 4, 0, 5, 2},
      {"November, machine 1", 0, 0, 1, true, 200, 0, 200, 0, 0, 0, 0, 0},
      {"December to January: no record, zero display", 1, 2, 0, false, 0, 0, 0, 0, 0, 0, 0, 0},
      {"From after To", 3, 0, 0, false, 0, 0, 0, 0, 0, 0, 0, 0},
      {"From without selection", -1, 3, 0, false, 0, 0, 0, 0, 0, 0, 0, 0},
      {"To past the lists", 0, 4, 0, false, 0, 0, 0, 0, 0, 0, 0, 0},
      {"machine 11", 0, 3, 11, false, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  const ControllerImage image = TwoMonths();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ConsumptionTotals totals = TotalPeriod(image, c.from, c.to, c.machine);
    EXPECT_EQ(totals.any, c.any);
    EXPECT_EQ(totals.pumpUnits[0], c.pump1);
    EXPECT_EQ(totals.pumpUnits[6], c.pump7);
    EXPECT_EQ(totals.totalUnits, c.totalUnits);
    EXPECT_EQ(totals.noProgramWashes, c.noProgram);
    EXPECT_EQ(totals.programWashes[1], c.program2);
    EXPECT_EQ(totals.programWashes[5], c.program6);
    EXPECT_EQ(totals.totalWashes, c.totalWashes);
    EXPECT_EQ(totals.softener, c.softener);
  }
}

TEST(ConsumptionLog, ThePeriodIsTheSumOfItsMonths) {
  // Month 13 of 2011 sorts between November 2011 and February 2012 but is no month
  // of the chart or the CSV: the totals leave it out as they do.
  ControllerImage image = TwoMonths();
  PutMonth(image, kDataLog, 9, 11, 13);
  PutCounter(image, 9, 1, 7, 1000);  // 5 litres that belong to no month
  PutCounter(image, 9, 2, 3, 7);
  for (int machine = 0; machine <= 10; ++machine) {
    SCOPED_TRACE(machine);
    const ConsumptionTotals period = TotalPeriod(image, 0, 3, machine);
    ConsumptionTotals added;
    for (const MonthTotals& month : TotalsByMonth(image, 0, 3, machine)) {
      for (size_t p = 0; p < 7; ++p) added.pumpUnits[p] += month.totals.pumpUnits[p];
      added.totalWashes += month.totals.totalWashes;
    }
    EXPECT_EQ(period.pumpUnits, added.pumpUnits);
    EXPECT_EQ(period.totalWashes, added.totalWashes);
  }
  EXPECT_EQ(LitresText(TotalPeriod(image, 0, 3, 0).pumpUnits[0]), "1.05");
}

TEST(ConsumptionLog, LitresWithAPointAndTwoDecimals) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0, "0.00"}, {200, "1.00"}, {1, "0.01"},     {2, "0.01"},
      {3, "0.02"}, {19, "0.10"},  {2001, "10.01"}, {15728400, "78642.00"},  // 240 counters at 65535
  };
  for (const auto& [units, text] : cases) {
    SCOPED_TRACE(units);
    EXPECT_EQ(LitresText(units), text);
  }
}

TEST(ConsumptionLog, MonthByMonthAndTheCsv) {
  const ControllerImage image = TwoMonths();
  const std::vector<MonthTotals> whole = TotalsByMonth(image, 0, 3, 0);
  ASSERT_EQ(whole.size(), 4u);
  EXPECT_EQ(whole[1].month, (YearMonth{2011, 12}));
  EXPECT_FALSE(whole[1].totals.any);
  EXPECT_EQ(whole[3].totals.programWashes[5], 5u);
  EXPECT_TRUE(TotalsByMonth(image, 3, 0, 0).empty());

  EXPECT_EQ(ConsumptionCsv(TotalsByMonth(image, 0, 1, 0)),
            "Month,Pump,Litres\n"
            "2011-11,1,1.00\n2011-11,2,0.00\n2011-11,3,0.00\n2011-11,4,0.00\n"
            "2011-11,5,0.00\n2011-11,6,0.00\n2011-11,7,0.02\n"
            "2011-12,1,0.00\n2011-12,2,0.00\n2011-12,3,0.00\n2011-12,4,0.00\n"
            "2011-12,5,0.00\n2011-12,6,0.00\n2011-12,7,0.00\n");
}

TEST(Logs, FirmwareOneKeepsBothLogsLowerAndClearsThemThere) {
  ControllerImage image;
  image.bytes[8] = 1;
  PutMonth(image, kDataLogFirmware1, 0, 12, 3);
  image.bytes[kAlarmLogFirmware1] = 0x01;       // pressure alarm
  image.bytes[kAlarmLogFirmware1 + 16] = 0x02;  // slot 0: pressure alarm
  image.bytes[kAlarmLogFirmware1 + 17] = 0x40;  // on day 1
  image.bytes[kDataLogFirmware1 + 7248] = 0xEE;
  EXPECT_EQ(LogMonths(image), std::vector<YearMonth>({{2012, 3}}));
  EXPECT_EQ(AlarmHistoryLines(image),
            Lines({" 1: 2000-00-01  0:00 > Pressure alarm.", "Number of alarms: 1."}));

  ClearAlarmHistory(image);
  EXPECT_EQ(AlarmHistoryLines(image), Lines({"Number of alarms: 0."}));
  EXPECT_EQ(AlarmStateLines(image), Lines({"  1: Pressure alarm"}));
  EXPECT_EQ(LogMonths(image).size(), 1u) << "the consumption log right behind stays";

  ClearConsumptionLog(image);
  EXPECT_TRUE(LogMonths(image).empty());
  EXPECT_EQ(image.bytes[kDataLogFirmware1 + 7248], 0xEE);
}

// Stamps: year - 2000 in bits 0..5, day 6..10, trigger type 11..15, month 16..19,
// hour 20..25, minute 26..31.
constexpr uint32_t k5March2012At1407 = 0x1CE3014C;
constexpr uint32_t k1December2011At0905 = 0x149C004B;
constexpr uint32_t kTriggerType4 = 4u << 11;
constexpr uint32_t kTriggerType10 = 10u << 11;

struct Slot {
  int slot;
  uint8_t kindAndNumber;
  uint32_t stamp;
};

ControllerImage AlarmImage(const std::vector<Slot>& slots) {
  ControllerImage image;
  for (const Slot& s : slots) {
    const size_t at = kAlarmLog + 16 + 5 * s.slot;
    image.bytes[at] = s.kindAndNumber;
    for (int i = 0; i < 4; ++i) image.bytes[at + 1 + i] = (s.stamp >> (8 * i)) & 0xFF;
  }
  return image;
}

TEST(AlarmLog, HistoryLines) {
  struct Case {
    const char* name;
    std::vector<Slot> slots;
    Lines want;
  };
  const std::string date = "2012-03-05 14:07 > ";
  const Case cases[] = {
      {"empty", {}, {"Number of alarms: 0."}},
      {"slots 0 and 5, low level common and pump 3",
       {{0, 0x01, k5March2012At1407}, {5, 0x31, k5March2012At1407}},
       {" 1: " + date + "Low soap level, common input.", " 2: " + date + "Low soap level, Pump: 3.",
        "Number of alarms: 2."}},
      {"trigger errors with and without a type text",
       {{0, 0x23, k5March2012At1407 | kTriggerType4},
        {1, 0x23, k5March2012At1407 | kTriggerType10}},
       {" 1: " + date + "Trigger error, Machine: 2",
        " 2: " + date + "Trigger error, Machine: 2, Type= Miele Ethernet.",
        "Number of alarms: 2."}},
      {"other kinds, a one-digit hour, an unknown kind and a slot without a day",
       {{0, 0x02, k1December2011At0905},
        {1, 0x02, 0xFFFFF83F},
        {2, 0xA4, k5March2012At1407},
        {3, 0x15, k5March2012At1407},
        {4, 0x06, k5March2012At1407},
        {47, 0x07, k5March2012At1407}},
       {" 1: 2011-12-01  9:05 > Pressure alarm.", " 2: " + date + "Keyboard error, Machine: 10.",
        " 3: " + date + "Dispense error, Machine: 1.", " 4: " + date + "Alarm output reset.",
        " 5: " + date, "Number of alarms: 5."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AlarmHistoryLines(AlarmImage(c.slots)), c.want);
  }
}

TEST(AlarmLog, StateLinesAndAClearThatKeepsThem) {
  struct Case {
    const char* name;
    std::array<uint8_t, 6> state;  // flags, pumps, trigger word, keyboard word
    Lines want;
  };
  const Case cases[] = {
      {"none", {0, 0, 0, 0, 0, 0}, {}},
      {"pressure and pump 2",
       {0x01, 0x02, 0, 0, 0, 0},
       {"  1: Pressure alarm", "  2: Low soap level, Pump: 2"}},
      {"every kind in order; no pump 8 or machine 11",
       {0x07, 0x81, 0x01, 0x02, 0x02, 0x04},
       {"  1: Pressure alarm", "  2: Common low soap level", "  3: Low soap level, Pump: 1",
        "  4: Trigger error, Machine: 1", "  5: Trigger error, Machine: 10",
        "  6: Keyboard error, Machine: 2", "  7: Miele Logic Ethernet not connected"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ControllerImage image = AlarmImage({{0, 0x02, k5March2012At1407}});
    std::copy(c.state.begin(), c.state.end(), image.bytes.begin() + kAlarmLog);
    EXPECT_EQ(AlarmStateLines(image), c.want);
    ClearAlarmHistory(image);
    EXPECT_EQ(AlarmStateLines(image), c.want);
    EXPECT_EQ(AlarmHistoryLines(image), Lines({"Number of alarms: 0."}));
  }
}

}  // namespace
}  // namespace vorel
