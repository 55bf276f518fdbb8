// The controller's consumption log, read from the memory image: up to 24 month
// records, each with fifteen 16-bit counters per machine (washes without a program
// and with programs 1..6, pump volumes 1..7 in 5 ml units, softener count). The
// window offers every calendar month from the oldest used record to the newest and
// totals a period for all machines or one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/image/ControllerImage.h"

namespace vorel {

namespace consumption {
inline constexpr size_t kRecords = 24;
inline constexpr size_t kRecordSize = 302;
inline constexpr size_t kYear = 0;   // year - 2000, below 100 when used
inline constexpr size_t kMonth = 1;  // 1..12 when used
inline constexpr size_t kMachines = 2;
inline constexpr size_t kMachineSize = 30;
inline constexpr size_t kCounters = 15;
inline constexpr size_t kNoProgram = 0;     // counter index
inline constexpr size_t kFirstProgram = 1;  // programs 1..6
inline constexpr size_t kFirstPump = 7;     // pumps 1..7, in 5 ml units
inline constexpr size_t kSoftener = 14;
inline constexpr int kPrograms = 6;
inline constexpr int kPumps = 7;
inline constexpr int kMillilitresPerUnit = 5;
}  // namespace consumption

struct YearMonth {
  int year = 0;  // 2000 + the stored year byte
  int month = 0;
  friend auto operator<=>(const YearMonth&, const YearMonth&) = default;
};

// "November, 2011".
std::string MonthText(const YearMonth& month);

// The months the period lists offer: every calendar month from the oldest used
// record to the newest, both included; empty without a used record.
std::vector<YearMonth> LogMonths(const ControllerImage& image);

// The totals of a period (list indexes into LogMonths, -1 for no selection) for all
// machines (`machineNumber` 0) or machine 1..10. A position the lists do not offer,
// another machine number or an end before the start adds nothing.
struct ConsumptionTotals {
  bool any = false;                                       // at least one record and machine added
  std::array<uint32_t, consumption::kPumps> pumpUnits{};  // 5 ml units
  uint32_t totalUnits = 0;
  std::array<uint32_t, consumption::kPrograms> programWashes{};
  uint32_t noProgramWashes = 0;
  uint32_t totalWashes = 0;
  uint32_t softener = 0;
};
ConsumptionTotals TotalPeriod(const ControllerImage& image, int fromIndex, int toIndex,
                              int machineNumber);

// Washes and volume of each month of a period (for the chart and the CSV), same
// selection rules; one entry per calendar month of the period, in order (none without
// a selection or with the end before the start).
struct MonthTotals {
  YearMonth month;
  ConsumptionTotals totals;
};
std::vector<MonthTotals> TotalsByMonth(const ControllerImage& image, int fromIndex, int toIndex,
                                       int machineNumber);

// Litres of 5 ml units.
inline double Litres(uint32_t units) {
  return units * consumption::kMillilitresPerUnit / 1000.0;
}

// Hundredths of a litre of 5 ml units: an odd count of units ends on half a
// hundredth, which rounds up. The CSV, vorelctl and the window all show this figure.
uint64_t LitreHundredths(uint32_t units);
// The same with a point and two decimals ("1.00"), whatever the locale.
std::string LitresText(uint32_t units);

// The CSV of a period: "Month,Pump,Litres" then one row per month and pump 1..7
// ("2011-11,1,1.00"), the litres as LitresText gives them; lines end with "\n".
std::string ConsumptionCsv(const std::vector<MonthTotals>& months);

// The controller confirmed a reset: its log region, at the offset its firmware
// uses, is zeroed in the image.
void ClearConsumptionLog(ControllerImage& image);

}  // namespace vorel
