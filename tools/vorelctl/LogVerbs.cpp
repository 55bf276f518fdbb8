// vorelctl consumption and alarms: the controller's logs from a system file or an
// image, as the consumption log and alarm log windows show them.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Input.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Numbers.h"
#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"
#include "io/FileAccess.h"

namespace vorelctl {

namespace {

// The list position of a month text, as the period lists offer it.
std::optional<int> MonthIndex(const std::vector<vorel::YearMonth>& months, std::string_view text) {
  for (size_t i = 0; i < months.size(); ++i) {
    if (vorel::MonthText(months[i]) == text) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string OfferedMonths(const std::vector<vorel::YearMonth>& months) {
  std::string offered;
  for (const vorel::YearMonth& month : months) {
    offered += (offered.empty() ? "\"" : ", \"") + vorel::MonthText(month) + '"';
  }
  return offered;
}

void PrintTotals(const vorel::ConsumptionTotals& totals, std::ostream& out) {
  using namespace vorel::consumption;
  out << "Volume\n";
  for (int p = 0; p < kPumps; ++p) {
    out << "Pump " << p + 1 << ": " << vorel::LitresText(totals.pumpUnits[p]) << " L\n";
  }
  out << "Total: " << vorel::LitresText(totals.totalUnits) << " L\n";
  out << "Wash count\n";
  for (int p = 0; p < kPrograms; ++p) {
    out << "Program " << p + 1 << ": " << totals.programWashes[p] << '\n';
  }
  out << "No program: " << totals.noProgramWashes << '\n';
  out << "Total: " << totals.totalWashes << '\n';
  out << "Softener count: " << totals.softener << '\n';
}

// Loads INPUT into `input`; false (after the line on `err`) when it is refused.
bool LoadLogs(std::string_view inputName, vorel::Session& input, std::ostream& err) {
  const vorel::Outcome loaded = LoadInput(std::string(inputName), vorel::LocalNow(), input);
  if (loaded) return true;
  err << "vorelctl: " << loaded.reason << '\n';
  return false;
}

}  // namespace

int Consumption(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked =
          ParseArguments(args, {"--from", "--to", "--machine"}, parsed, {"--csv"});
      !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.empty()) return UsageError(err, "consumption needs INPUT");
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);
  int machine = 0;
  if (const auto machineText = parsed.Option("--machine")) {
    const std::optional<int32_t> number = vorel::ParseInt32(*machineText);
    if (!number || *number < 1 || *number > vorel::kMachineCount)
      return UsageError(err, "--machine takes 1..10");
    machine = *number;
  }
  const bool csv = parsed.Option("--csv").has_value();

  vorel::Session input;
  if (!LoadLogs(parsed.arguments[0], input, err)) return kExitFailure;
  const vorel::ControllerImage& image = input.Image().image;
  const std::vector<vorel::YearMonth> months = vorel::LogMonths(image);
  if (months.empty()) {
    // A CSV stays a CSV: its header alone, the reason on stderr.
    if (csv) {
      out << vorel::ConsumptionCsv({});
      err << "No log data available\n";
    } else {
      out << "No log data available\n";
    }
    return kExitOk;
  }

  // Both lists start at the newest month, as the window's do.
  const int newest = static_cast<int>(months.size()) - 1;
  int from = newest;
  int to = newest;
  for (auto [name, index] : {std::pair{"--from", &from}, std::pair{"--to", &to}}) {
    const auto text = parsed.Option(name);
    if (!text) continue;
    const std::optional<int> found = MonthIndex(months, *text);
    if (!found) {
      return UsageError(err, std::string(name) + ": no month \"" + std::string(*text) +
                                 "\" in the log; it offers " + OfferedMonths(months));
    }
    *index = *found;
  }

  if (csv) {
    out << vorel::ConsumptionCsv(vorel::TotalsByMonth(image, from, to, machine));
    return kExitOk;
  }
  out << "Period: " << vorel::MonthText(months[from]) << " to " << vorel::MonthText(months[to])
      << '\n';
  out << "Machines: "
      << (machine == 0 ? std::string("All machines") : "Machine " + std::to_string(machine))
      << '\n';
  PrintTotals(vorel::TotalPeriod(image, from, to, machine), out);
  return kExitOk;
}

int Alarms(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {}, parsed, {"--state"}); !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.empty()) return UsageError(err, "alarms needs INPUT");
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);

  vorel::Session input;
  if (!LoadLogs(parsed.arguments[0], input, err)) return kExitFailure;
  const vorel::ControllerImage& image = input.Image().image;
  const bool state = parsed.Option("--state").has_value();
  for (const std::string& line :
       state ? vorel::AlarmStateLines(image) : vorel::AlarmHistoryLines(image)) {
    out << line << '\n';
  }
  return kExitOk;
}

}  // namespace vorelctl
