// vorelctl monitor: the whole laundry live, on a terminal or for a script. Connects
// over the serial port or the gateway as read does, then prints every change of a
// pump, valve, alarm output or machine as the session's trace records it, or with
// --json one JSON object per report (JSON Lines), until the duration ends, Ctrl+C, or
// the connection is lost.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <optional>
#include <string>

#include "GatewayConnection.h"
#include "Headless.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Numbers.h"
#include "core/supervision/LaundryTrace.h"
#include "io/FileAccess.h"
#include "io/HeadlessRunner.h"

namespace vorelctl {

namespace {

constexpr int kLongestSeconds = 7 * 24 * 3600;

// One report as a JSON object; what the report does not carry is left out.
QJsonObject ReportJson(uint32_t timeMs, const vorel::LaundryState& state) {
  using namespace vorel::laundry;
  const auto known = [&state](int signal) { return state.known[static_cast<size_t>(signal)]; };
  QJsonObject report;
  report["seconds"] = static_cast<double>(timeMs) / 1000.0;
  QJsonArray pumps;
  for (int p = 0; p < kPumps; ++p) pumps.append(state.Get(p) != 0);
  report["pumps"] = pumps;
  report["flushWater"] = state.Get(kFlushWater) != 0;
  report["flushDrain"] = state.Get(kFlushDrain) != 0;
  if (known(kAlarmOutput)) report["alarmOutput"] = state.Get(kAlarmOutput) != 0;
  QJsonArray machines;
  for (int m = 0; m < kMachines; ++m) {
    QJsonObject machine;
    machine["machine"] = m + 1;
    machine["output"] = state.Machine(m, kOutput) != 0;
    const int slot = state.Machine(m, kSlot);
    machine["program"] = slot > 0 ? QJsonValue(slot) : QJsonValue();
    const int line = state.Machine(m, kLine);
    machine["line"] = slot > 0 && line > 0 ? QJsonValue(line) : QJsonValue();
    machine["triggerOnline"] = state.Machine(m, kTriggerOnline) != 0;
    machine["keyboardLocked"] = state.Machine(m, kKeyboardLocked) != 0;
    if (known(MachineSignalIndex(m, kInputs))) machine["inputs"] = state.Machine(m, kInputs);
    if (known(MachineSignalIndex(m, kLoad))) machine["load"] = state.Machine(m, kLoad);
    machines.append(machine);
  }
  report["machines"] = machines;
  return report;
}

// Prints what the session hears: each report whole (--json) or the trace's changes.
class Printer final : private vorel::SessionObserver {
 public:
  Printer(vorel::Session& session, bool json, std::ostream& out)
      : session_(session), json_(json), out_(out), observing_(session.Observe(*this)) {}

  // The changes recorded since the last call, one a line.
  void PrintChanges() {
    if (json_) return;
    const vorel::LaundryTrace& trace = session_.Trace();
    // A ring that dropped its oldest starts again from its first change kept.
    if (printed_ > trace.Size()) printed_ = 0;
    for (; printed_ < trace.Size(); ++printed_) {
      const vorel::TraceChange& change = trace.Change(printed_);
      out_ << vorel::TraceSecondsText(change.timeMs) << ' '
           << vorel::laundry::SignalName(change.signal) << ' ' << int(change.value) << '\n';
    }
    out_.flush();
  }

 private:
  void StatusReportReceived(const vorel::StatusReport& report) override {
    PrintJson(vorel::LaundryStateOf(report));
  }
  void GatewayStatusReceived(const vorel::GatewayStatus& status) override {
    PrintJson(vorel::LaundryStateOf(status));
  }
  void PrintJson(const vorel::LaundryState& state) {
    if (!json_) return;
    out_ << QJsonDocument(ReportJson(session_.TraceMs(), state))
                .toJson(QJsonDocument::Compact)
                .toStdString()
         << '\n';
    out_.flush();
  }

  vorel::Session& session_;
  bool json_;
  std::ostream& out_;
  vorel::Attachment observing_;
  size_t printed_ = 0;
};

}  // namespace

int Monitor(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(
          args, {"--port", "--gateway", "--user", "--system", "--duration"}, parsed, {"--json"});
      !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 0); !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = CheckRoute(parsed); !checked)
    return UsageError(err, checked.reason);
  std::optional<int> durationTicks;
  if (const auto text = parsed.Option("--duration")) {
    const auto seconds = vorel::ParseInt32(*text);
    if (!seconds || *seconds < 1 || *seconds > kLongestSeconds)
      return UsageError(err, "--duration takes 1..604800 seconds");
    durationTicks = *seconds * vorel::Session::kTicksPerSecond;
  }
  const bool json = parsed.Option("--json").has_value();

  vorel::HeadlessRunner runner;
  vorel::Session& session = runner.CurrentSession();
  std::optional<GatewayClient> client;
  if (const auto port = parsed.Option("--port")) {
    if (const auto exit = ReachController(runner, std::string(*port), kLinkTicks, err))
      return *exit;
  } else {
    GatewayTarget target;
    if (vorel::Outcome read = ReadGatewayTarget(parsed, true, target); !read) {
      err << "vorelctl: " << read.reason << '\n';
      return kExitFailure;
    }
    client.emplace(session, std::move(target));
    if (vorel::Outcome connected = client->Connect(runner); !connected) {
      if (client->Interrupted()) return kExitOk;
      err << "vorelctl: " << connected.reason << '\n';
      return kExitFailure;
    }
    // The gateway relays the controller's state only to a watcher.
    runner.SetWatching(true);
  }

  session.StartTrace(vorel::LocalNow());
  Printer printer(session, json, out);
  std::string lost;
  const auto watching = [&] {
    printer.PrintChanges();
    if (client && !client->State()) {
      lost = client->State().reason;
    } else if (!session.LinkReady()) {
      lost = session.PortOpen() || !session.LocalMode()
                 ? "the controller stopped answering"
                 : "the serial port closed (" + session.PortError() + ")";
    }
    return !lost.empty();
  };
  const auto outcome = runner.Run(watching, durationTicks.value_or(INT32_MAX));
  printer.PrintChanges();
  if (outcome == vorel::HeadlessRunner::Outcome::kDone) {
    err << "vorelctl: connection lost: " << lost << '\n';
    return kExitFailure;
  }
  // The duration ended, or Ctrl+C: both a normal end of watching.
  return kExitOk;
}

}  // namespace vorelctl
