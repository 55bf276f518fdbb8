// vorelctl read and write: the read/write window's Read and Write without the
// window, over a serial port or through a gateway server, on the same session and
// transfer engine; a progress line on a terminal, the window's own texts as reasons.
#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <iostream>

#include "GatewayConnection.h"
#include "Headless.h"
#include "Input.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "io/BackupLibrary.h"
#include "io/FileAccess.h"
#include "io/HeadlessRunner.h"
#include "io/QtSettingsStore.h"
#include "io/ReadBackupFolder.h"
#include "io/Terminal.h"

namespace vorelctl {

namespace {

constexpr int kGatewayReadyTicks = 100;
// Only a backstop: every step of a job ends by its own limits long before.
constexpr int kJobTicks = 36000;
constexpr size_t kTextsListed = 20;
constexpr const char* kNoAnswer = "No answer from the controller";

// The answers vorelctl gives where the window asks.
class HeadlessPrompts final : public vorel::TransferPrompts {
 public:
  HeadlessPrompts(bool dropTexts, std::ostream& err) : dropTexts_(dropTexts), err_(err) {}
  bool AskUnsavedEdits() override { return true; }
  bool AskWriteDroppingTexts(
      const std::vector<std::pair<std::string, std::string>>& texts) override {
    if (dropTexts_) return true;
    err_ << "vorelctl: " << texts.size()
         << " text(s) do not fit the controller's text area and would be lost:\n";
    for (size_t i = 0; i < texts.size() && i < kTextsListed; ++i)
      err_ << "  " << vorel::Ansi::ToUtf8(texts[i].first) << '\n';
    if (texts.size() > kTextsListed)
      err_ << "  ...and " << texts.size() - kTextsListed << " more\n";
    err_ << "vorelctl: nothing written; --drop-texts writes without them\n";
    refusedTexts_ = true;
    return false;
  }
  void ShowTransferError(const std::string& text, bool) override {
    // The window's first line says it; the rest explains it to someone at a window.
    if (error_.empty()) error_ = text.substr(0, text.find('\n'));
  }
  const std::string& Error() const { return error_; }
  bool RefusedTexts() const { return refusedTexts_; }

 private:
  bool dropTexts_;
  std::ostream& err_;
  std::string error_;
  bool refusedTexts_ = false;
};

struct Job {
  enum class Kind { kRead, kWrite };
  Kind kind = Kind::kRead;
  std::string loginCode;
  vorel::Session::WriteRequest write;
  bool verify = false;
};

// Runs the job once the link is up, then a verify when asked; the reason on failure.
class JobRunner {
 public:
  JobRunner(vorel::Session& session, Job job, HeadlessPrompts& prompts)
      : session_(session), job_(std::move(job)), prompts_(prompts) {}

  // One step after the link is ready; true when finished.
  bool Step() {
    const vorel::ImageTransfer& transfer = session_.Transfer();
    if (!started_) {
      started_ = true;
      elapsed_.start();
      const bool ok = job_.kind == Job::Kind::kRead ? session_.Read(job_.loginCode)
                                                    : session_.Write(job_.loginCode, job_.write);
      if (!ok) return Fail("the transfer could not start");
      return false;
    }
    ShowProgress(transfer);
    if (transfer.Busy()) return false;
    const vorel::TransferEnd end = transfer.LastEnd();
    if (end == vorel::TransferEnd::kWriteCompleted && job_.verify && !verifyStarted_) {
      verifyStarted_ = true;
      if (!session_.Verify()) return Fail("the verify could not start");
      return false;
    }
    EndProgress();
    switch (end) {
      case vorel::TransferEnd::kReadCompleted:
      case vorel::TransferEnd::kWriteCompleted:
      case vorel::TransferEnd::kVerified:
        return true;
      case vorel::TransferEnd::kTimeout:
        // A controller that never answered a single request is not there at all.
        if (transfer.SerialRequests() == 0 && session_.LocalMode() && transfer.EndReason().empty())
          return Fail(kNoAnswer);
        return Fail(transfer.EndText());
      case vorel::TransferEnd::kVerifyFailed:
      case vorel::TransferEnd::kChecksumBad:
      case vorel::TransferEnd::kNoConfirm:
      case vorel::TransferEnd::kFailedAt:
      case vorel::TransferEnd::kConnectionLost:
      case vorel::TransferEnd::kStopped:
        return Fail(transfer.EndText());
      case vorel::TransferEnd::kCancelled:
        return Fail(prompts_.RefusedTexts() ? "" : "cancelled");
      default:
        return Fail(prompts_.Error().empty() ? "the transfer ended unfinished" : prompts_.Error());
    }
  }
  // Done, or why the job failed (an empty reason: already said).
  vorel::Outcome Result() const {
    return failure_ ? vorel::Outcome::Failed(*failure_) : vorel::Outcome::Done();
  }
  bool Started() const { return started_; }
  // Seconds from the start of the transfer (the login check included) to its end.
  double Seconds() const { return static_cast<double>(elapsed_.elapsed()) / 1000.0; }

 private:
  bool Fail(std::string why) {
    EndProgress();
    failure_ = std::move(why);
    return true;
  }
  void ShowProgress(const vorel::ImageTransfer& transfer) {
    if (!vorel::IsTerminal(stderr) || transfer.View().progress.empty()) return;
    std::fprintf(stderr, "\r%-24s %s   ", transfer.View().panels[2].c_str(),
                 transfer.View().progress.c_str());
    std::fflush(stderr);
    progressShown_ = true;
  }
  void EndProgress() {
    if (progressShown_) std::fputc('\n', stderr);
    progressShown_ = false;
  }

  vorel::Session& session_;
  Job job_;
  HeadlessPrompts& prompts_;
  bool started_ = false;
  bool verifyStarted_ = false;
  bool progressShown_ = false;
  std::optional<std::string> failure_;
  QElapsedTimer elapsed_;
};

// How a job ended: done, failed with its reason (empty: already said), or stopped
// by a signal.
struct JobOutcome {
  vorel::Outcome result;
  bool interrupted = false;
};

// The serial port or the gateway, then the job; the reason on failure.
JobOutcome RunJob(const ParsedArguments& parsed, vorel::HeadlessRunner& runner, JobRunner& job,
                  bool forWrite, int linkTicks, std::ostream& err) {
  vorel::Session& session = runner.CurrentSession();
  const auto stopped = [&] { return JobOutcome{vorel::Outcome::Done(), true}; };
  const auto failed = [](std::string why) { return JobOutcome{vorel::Outcome::Failed(why)}; };
  std::optional<GatewayClient> client;
  if (const auto port = parsed.Option("--port")) {
    std::string why;
    const auto up = runner.ReachController(std::string(*port), linkTicks, why);
    if (up == vorel::HeadlessRunner::Outcome::kInterrupted) return stopped();
    if (up != vorel::HeadlessRunner::Outcome::kDone) return failed(why);
  } else {
    GatewayTarget target;
    if (vorel::Outcome read = ReadGatewayTarget(parsed, true, target); !read) return {read};
    client.emplace(session, std::move(target), forWrite);
    if (vorel::Outcome connected = client->Connect(runner); !connected) {
      if (client->Interrupted()) return stopped();
      return {connected};
    }
    // The gateway tells whether the system is reachable right after the choice.
    const vorel::RemoteLink& remote = session.Remote();
    runner.Run([&] { return !client->State() || remote.View().addressVisible; },
               kGatewayReadyTicks);
    if (!client->State()) return {client->State()};
    if (!remote.SystemOnline()) {
      err << "vorelctl: the system is offline\n";
      return failed({});
    }
  }
  // From here every step has its own limit: the link-alive time, the request
  // helper's repeats, the transfer's time-outs.
  const auto outcome = runner.Run([&] { return (client && !client->State()) || job.Step(); },
                                  kJobTicks, [&] { session.StopTransfer(); });
  if (outcome == vorel::HeadlessRunner::Outcome::kInterrupted) return stopped();
  if (client && !client->State()) return {client->State()};
  if (outcome == vorel::HeadlessRunner::Outcome::kDeadline) return failed("Timeout!");
  return {job.Result()};
}

// "Stopped after N of M bytes", and the exit code of a signal.
int ReportStopped(const vorel::Session& session, std::ostream& err) {
  const vorel::ImageTransfer& transfer = session.Transfer();
  err << "vorelctl: "
      << (transfer.BytesTotal() == 0 ? std::string("Stopped before the transfer began")
                                     : transfer.EndReason())
      << '\n';
  return vorel::HeadlessRunner::kInterruptedExit;
}

// --timeout SECONDS for the controller's first frames (default 5).
std::optional<int> LinkTicks(const ParsedArguments& parsed) {
  const auto text = parsed.Option("--timeout");
  if (!text) return kLinkTicks;
  const auto value = vorel::ParseInt32(*text);
  if (!value || *value < 1 || *value > 3600) return std::nullopt;
  return *value * vorel::Session::kTicksPerSecond;
}

int ReportFailure(const vorel::Outcome& result, std::ostream& err) {
  if (result) return kExitOk;
  if (!result.reason.empty()) err << "vorelctl: " << result.reason << '\n';
  return kExitFailure;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

int Read(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(
          args, {"--port", "--gateway", "--user", "--system", "--login-code", "--timeout"}, parsed);
      !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.empty()) return UsageError(err, "read needs OUTPUT (.bin or .xml)");
  if (const vorel::Outcome checked = CheckRoute(parsed); !checked)
    return UsageError(err, checked.reason);
  const std::string output(parsed.arguments[0]);
  const bool asImage = EndsWith(output, ".bin");
  if (!asImage && !EndsWith(output, ".xml"))
    return UsageError(err, "OUTPUT ends in .bin (the image) or .xml (its system file)");

  const auto linkTicks = LinkTicks(parsed);
  if (!linkTicks) return UsageError(err, "--timeout takes 1..3600");
  // Said before the controller is troubled, not after the whole read.
  if (const vorel::Outcome replaceable = vorel::CheckReplaceable(QString::fromStdString(output));
      !replaceable) {
    err << "vorelctl: " << output << ": " << replaceable.reason << '\n';
    return kExitFailure;
  }

  vorel::HeadlessRunner headless;
  vorel::Session& session = headless.CurrentSession();
  vorel::ReadBackupFolder backups({}, {}, [] {
    vorel::QtSettingsStore store;
    return vorel::KeptReadsPerController(store);
  });
  const vorel::Attachment keeping = session.AttachReadBackup(backups);
  HeadlessPrompts prompts(false, err);
  const vorel::Attachment answering = session.AttachTransferPrompts(prompts);
  Job job;
  job.kind = Job::Kind::kRead;
  // The controller holds its code in Windows-1252, as the login window hands it over.
  job.loginCode = vorel::Ansi::FromUtf8(parsed.Option("--login-code").value_or(""));
  JobRunner runner(session, job, prompts);
  const JobOutcome outcome = RunJob(parsed, headless, runner, false, *linkTicks, err);
  if (outcome.interrupted) return ReportStopped(session, err);
  if (!outcome.result) return ReportFailure(outcome.result, err);
  if (!session.LastReadImage())
    return ReportFailure(vorel::Outcome::Failed("nothing was read"), err);

  const auto& bytes = session.LastReadImage()->bytes;
  const std::string content =
      asImage ? std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size())
              : session.SystemFileBytes();
  if (const vorel::Outcome written =
          vorel::WriteFileReplacing(QString::fromStdString(output), content);
      !written) {
    err << "vorelctl: " << output << ": " << written.reason << '\n';
    return kExitFailure;
  }
  // The backup is reported as the window reports it: kept, or why not.
  const vorel::ReadBackup::Kept& kept = session.LastBackup();
  if (kept) {
    err << "vorelctl: kept as " << *kept << '\n';
  } else if (!kept.why.empty()) {
    err << "vorelctl: warning: the read was not kept: " << kept.why << '\n';
  }
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", runner.Seconds());
  out << "Read " << bytes.size() << " bytes from controller "
      << session.LastReadImage()->U32(vorel::image::kSerialNumber) << " into " << output << " in "
      << seconds << " s\n";
  return kExitOk;
}

int Write(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked =
          ParseArguments(args,
                         {"--port", "--gateway", "--user", "--system", "--login-code",
                          "--master-code", "--clock", "--timeout"},
                         parsed, {"--verify", "--drop-texts"});
      !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.empty()) return UsageError(err, "write needs INPUT");
  if (const vorel::Outcome checked = CheckRoute(parsed); !checked)
    return UsageError(err, checked.reason);
  std::optional<vorel::LocalDateTime> givenClock;
  if (const vorel::Outcome checked = ReadClockOption(parsed, givenClock); !checked)
    return UsageError(err, checked.reason);
  const vorel::LocalDateTime clock = givenClock.value_or(vorel::LocalNow());
  std::optional<std::string> masterCode;
  if (const vorel::Outcome checked = ReadMasterCodeOption(parsed, masterCode); !checked)
    return UsageError(err, checked.reason);

  const auto linkTicks = LinkTicks(parsed);
  if (!linkTicks) return UsageError(err, "--timeout takes 1..3600");

  vorel::HeadlessRunner headless(vorel::AccessFlags{false, masterCode.has_value()});
  vorel::Session& session = headless.CurrentSession();
  const std::string input(parsed.arguments[0]);
  const vorel::Outcome loaded = LoadInput(input, clock, session);
  if (!loaded) {
    err << "vorelctl: " << loaded.reason << '\n';
    return kExitFailure;
  }
  HeadlessPrompts prompts(parsed.Option("--drop-texts").has_value(), err);
  const vorel::Attachment answering = session.AttachTransferPrompts(prompts);
  Job job;
  job.kind = Job::Kind::kWrite;
  job.loginCode = vorel::Ansi::FromUtf8(parsed.Option("--login-code").value_or(""));
  job.write = {clock, masterCode, 0};
  job.verify = parsed.Option("--verify").has_value();
  JobRunner runner(session, job, prompts);
  const JobOutcome outcome = RunJob(parsed, headless, runner, true, *linkTicks, err);
  if (outcome.interrupted) return ReportStopped(session, err);
  if (!outcome.result) return ReportFailure(outcome.result, err);
  const vorel::ImageTransfer& transfer = session.Transfer();
  out << "Wrote " << transfer.RangeEnd() - transfer.RangeStart() << " bytes ("
      << transfer.RangeStart() << ".." << transfer.RangeEnd() - 1 << ")"
      << (job.verify ? ", verified" : "") << '\n';
  return kExitOk;
}

}  // namespace vorelctl
