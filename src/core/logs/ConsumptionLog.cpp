// The consumption log's records, months and totals.
#include "core/logs/ConsumptionLog.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace vorel {

namespace {

using namespace consumption;

static_assert(kRecords * kRecordSize == image::kDataLogSize);
static_assert(kMachines + kMachineSize * image::kMachineBlockCount == kRecordSize);
static_assert(kCounters * 2 == kMachineSize);
static_assert(image::kDataLog + image::kDataLogSize <= image::kSize);
static_assert(image::kDataLogFirmware1 + image::kDataLogSize <= image::kSize);

constexpr int kMonthsPerYear = 12;
constexpr int kUnusedYear = 100;  // a stored year of 100 or more marks an unused record

constexpr std::array<const char*, kMonthsPerYear> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

size_t RecordOffset(const ControllerImage& image, size_t record) {
  return ConsumptionLogOffset(image) + kRecordSize * record;
}

// The month a record is filed under, as its two bytes say, used or not.
YearMonth RecordMonth(const ControllerImage& image, size_t record) {
  const size_t at = RecordOffset(image, record);
  return {image::kClockYearBase + image.bytes[at + kYear], image.bytes[at + kMonth]};
}

bool RecordUsed(const ControllerImage& image, size_t record) {
  const size_t at = RecordOffset(image, record);
  const int month = image.bytes[at + kMonth];
  return image.bytes[at + kYear] < kUnusedYear && month >= 1 && month <= kMonthsPerYear;
}

YearMonth NextMonth(YearMonth month) {
  return month.month >= kMonthsPerYear ? YearMonth{month.year + 1, 1}
                                       : YearMonth{month.year, month.month + 1};
}

// The oldest and newest used month; nothing without a used record.
std::optional<std::pair<YearMonth, YearMonth>> UsedRange(const ControllerImage& image) {
  std::optional<std::pair<YearMonth, YearMonth>> range;
  for (size_t record = 0; record < kRecords; ++record) {
    if (!RecordUsed(image, record)) continue;
    const YearMonth month = RecordMonth(image, record);
    if (!range) {
      range = std::pair(month, month);
    } else {
      range->first = std::min(range->first, month);
      range->second = std::max(range->second, month);
    }
  }
  return range;
}

// The month a list position stands for, counted from the oldest used month; nothing
// for a list without selection or a position the lists do not offer.
std::optional<YearMonth> MonthAt(const YearMonth& first, int index, size_t listSize) {
  if (index < 0 || static_cast<size_t>(index) >= listSize) return std::nullopt;
  const int monthsFromJanuary = index + first.month - 1;
  return YearMonth{first.year + monthsFromJanuary / kMonthsPerYear,
                   monthsFromJanuary % kMonthsPerYear + 1};
}

// The period's first and last month from the two list positions.
std::optional<std::pair<YearMonth, YearMonth>> Period(const ControllerImage& image, int fromIndex,
                                                      int toIndex) {
  const auto range = UsedRange(image);
  if (!range) return std::nullopt;
  const size_t listSize = LogMonths(image).size();
  const auto start = MonthAt(range->first, fromIndex, listSize);
  const auto end = MonthAt(range->first, toIndex, listSize);
  if (!start || !end) return std::nullopt;
  return std::pair(*start, *end);
}

void AddMachine(const ControllerImage& image, size_t machineAt, ConsumptionTotals& totals) {
  const auto counter = [&](size_t index) -> uint32_t { return image.U16(machineAt + 2 * index); };
  totals.noProgramWashes += counter(kNoProgram);
  totals.totalWashes += counter(kNoProgram);
  for (int p = 0; p < kPrograms; ++p) {
    const uint32_t washes = counter(kFirstProgram + p);
    totals.programWashes[p] += washes;
    totals.totalWashes += washes;
  }
  for (int p = 0; p < kPumps; ++p) {
    const uint32_t units = counter(kFirstPump + p);
    totals.pumpUnits[p] += units;
    totals.totalUnits += units;
  }
  totals.softener += counter(kSoftener);
  totals.any = true;
}

// Every record filed under a month from `start` to `end`, by its two month bytes
// alone, used or not. Machine 0 adds all ten blocks.
ConsumptionTotals AddRecords(const ControllerImage& image, const YearMonth& start,
                             const YearMonth& end, int machineNumber) {
  ConsumptionTotals totals;
  constexpr int kAllMachines = static_cast<int>(image::kMachineBlockCount);
  if (machineNumber < 0 || machineNumber > kAllMachines) return totals;
  const int firstIndex = machineNumber == 0 ? 0 : machineNumber - 1;
  const int lastIndex = machineNumber == 0 ? kAllMachines - 1 : machineNumber - 1;
  for (size_t record = 0; record < kRecords; ++record) {
    const YearMonth month = RecordMonth(image, record);
    if (month < start || month > end) continue;
    for (int m = firstIndex; m <= lastIndex; ++m) {
      AddMachine(image, RecordOffset(image, record) + kMachines + kMachineSize * m, totals);
    }
  }
  return totals;
}

}  // namespace

std::string MonthText(const YearMonth& month) {
  if (month.month < 1 || month.month > kMonthsPerYear) return {};
  return std::string(kMonthNames[month.month - 1]) + ", " + std::to_string(month.year);
}

std::vector<YearMonth> LogMonths(const ControllerImage& image) {
  std::vector<YearMonth> months;
  const auto range = UsedRange(image);
  if (!range) return months;
  for (YearMonth month = range->first; month <= range->second; month = NextMonth(month)) {
    months.push_back(month);
  }
  return months;
}

ConsumptionTotals TotalPeriod(const ControllerImage& image, int fromIndex, int toIndex,
                              int machineNumber) {
  // The period is the sum of its months, so the totals, the chart and the CSV agree:
  // a record filed under no calendar month (month 0 or 13) belongs to none of them.
  ConsumptionTotals total;
  for (const MonthTotals& month : TotalsByMonth(image, fromIndex, toIndex, machineNumber)) {
    const ConsumptionTotals& add = month.totals;
    total.any |= add.any;
    for (size_t p = 0; p < total.pumpUnits.size(); ++p) total.pumpUnits[p] += add.pumpUnits[p];
    total.totalUnits += add.totalUnits;
    for (size_t p = 0; p < total.programWashes.size(); ++p)
      total.programWashes[p] += add.programWashes[p];
    total.noProgramWashes += add.noProgramWashes;
    total.totalWashes += add.totalWashes;
    total.softener += add.softener;
  }
  return total;
}

std::vector<MonthTotals> TotalsByMonth(const ControllerImage& image, int fromIndex, int toIndex,
                                       int machineNumber) {
  std::vector<MonthTotals> months;
  const auto period = Period(image, fromIndex, toIndex);
  if (!period) return months;
  for (YearMonth month = period->first; month <= period->second; month = NextMonth(month)) {
    months.push_back({month, AddRecords(image, month, month, machineNumber)});
  }
  return months;
}

uint64_t LitreHundredths(uint32_t units) {
  return (uint64_t{units} * kMillilitresPerUnit + 5) / 10;
}

std::string LitresText(uint32_t units) {
  const uint64_t hundredths = LitreHundredths(units);
  const uint64_t fraction = hundredths % 100;
  return std::to_string(hundredths / 100) + (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

std::string ConsumptionCsv(const std::vector<MonthTotals>& months) {
  std::string csv = "Month,Pump,Litres\n";
  for (const MonthTotals& month : months) {
    const std::string monthText = std::to_string(month.month.year) +
                                  (month.month.month < 10 ? "-0" : "-") +
                                  std::to_string(month.month.month);
    for (int p = 0; p < kPumps; ++p) {
      csv += monthText + ',' + std::to_string(p + 1) + ',' + LitresText(month.totals.pumpUnits[p]) +
             '\n';
    }
  }
  return csv;
}

void ClearConsumptionLog(ControllerImage& image) {
  const auto start = image.bytes.begin() + static_cast<std::ptrdiff_t>(ConsumptionLogOffset(image));
  std::fill(start, start + image::kDataLogSize, 0);
}

}  // namespace vorel
