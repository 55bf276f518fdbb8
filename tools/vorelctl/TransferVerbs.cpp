// vorelctl read and write: the read/write window's Read and Write without the
// window, over a serial port or through a gateway server, on the same session and
// transfer engine; a progress line on a terminal, the window's own texts as reasons.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <cstdio>
#include <iostream>

#include "GatewayConnection.h"
#include "Headless.h"
#include "Input.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "io/FileAccess.h"
#include "io/ReadBackupFolder.h"
#include "io/SerialPortAdapter.h"
#include "io/Terminal.h"

namespace vorelctl {

namespace {

constexpr int kTickMs = 100;
constexpr int kLinkTicks = 50;    // 5 s for the controller's first frames
constexpr int kLoginTicks = 150;  // 15 s for the gateway's connection, login and choice
constexpr int kGatewayReadyTicks = 100;
constexpr int kJobTicks = 36000;  // an hour: a write has no time limit of its own
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
    vorel::ImageTransfer& transfer = session_.Transfer();
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
      case vorel::TransferEnd::kVerifyFailed:
        return Fail("Verify failed at offset " + std::to_string(transfer.VerifyFailedAt()));
      case vorel::TransferEnd::kTimeout:
        return Fail(transfer.SerialRequests() == 0 && session_.LocalMode() ? kNoAnswer
                                                                           : "Timeout!");
      case vorel::TransferEnd::kChecksumBad:
        return Fail("Confirm received - bad checksum!");
      case vorel::TransferEnd::kNoConfirm:
        return Fail("Timeout, no confirm received!");
      case vorel::TransferEnd::kFailedAt:
        return Fail(transfer.View().panels[2]);
      case vorel::TransferEnd::kCancelled:
        return Fail(prompts_.RefusedTexts() ? "" : "cancelled");
      default:
        return Fail(prompts_.Error().empty() ? "the transfer ended unfinished" : prompts_.Error());
    }
  }
  const std::optional<std::string>& Failure() const { return failure_; }
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

// The serial port or the gateway, then the job; the reason on failure.
std::optional<std::string> RunJob(const ParsedArguments& parsed, vorel::Session& session,
                                  JobRunner& runner, std::ostream& err) {
  HeadlessApplication headless;
  QCoreApplication& application = headless.App();
  bool done = false;

  if (const auto port = parsed.Option("--port")) {
    vorel::SerialPortAdapter serial;
    if (!serial.Open(std::string(*port))) return serial.LastError() + ": " + std::string(*port);
    serial.SetEngine(&session.Link());
    session.SetLinkPort(&serial);
    session.SelectMode(true);
    int ticks = 0;
    std::optional<std::string> failure;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      session.Link().Tick(serial.IsOpen());
      session.Transfer().Tick();
      ++ticks;
      if (!runner.Started() && !session.Link().LinkReady()) {
        if (ticks > kLinkTicks) {
          failure = kNoAnswer;
          application.quit();
        }
        return;
      }
      if (runner.Step() || ticks > kJobTicks) application.quit();
    });
    timer.start(kTickMs);
    application.exec();
    session.SetLinkPort(nullptr);
    serial.Close();
    if (failure) return failure;
    return runner.Failure();
  }

  GatewayTarget target;
  if (auto wrong = ReadGatewayTarget(parsed, true, target)) return wrong;
  GatewayClient client(session, std::move(target));
  int readyTicks = 0;
  const auto failure = client.Run(
      application, kLoginTicks + kJobTicks, [&] { return done; },
      [&] {
        session.Transfer().Tick();
        const vorel::RemoteLink& remote = session.Remote();
        if (!remote.LoggedIn()) return;
        // The gateway tells whether the system is reachable right after the choice.
        if (!remote.SystemOnline() && !session.Transfer().Busy()) {
          if (++readyTicks > kGatewayReadyTicks) {
            err << "vorelctl: the system is offline\n";
            done = true;
          }
          return;
        }
        done = runner.Step();
      });
  if (failure) return failure;
  return runner.Failure();
}

int ReportFailure(const std::optional<std::string>& failure, std::ostream& err) {
  if (!failure) return kExitOk;
  if (!failure->empty()) err << "vorelctl: " << *failure << '\n';
  return kExitFailure;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// --port DEVICE, or --gateway HOST[:PORT] --user NAME --system SERIAL.
std::optional<std::string> CheckRoute(const ParsedArguments& parsed) {
  const bool port = parsed.Option("--port").has_value();
  const bool gateway = parsed.Option("--gateway").has_value();
  if (port == gateway) return "give either --port DEVICE or --gateway HOST[:PORT]";
  if (port && (parsed.Option("--user") || parsed.Option("--system")))
    return "--user and --system go with --gateway";
  if (gateway && (!parsed.Option("--user") || !parsed.Option("--system")))
    return "--gateway needs --user NAME and --system SERIAL";
  return std::nullopt;
}

}  // namespace

int Read(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(
          args, {"--port", "--gateway", "--user", "--system", "--login-code"}, parsed))
    return UsageError(err, *wrong);
  if (auto surplus = SurplusArgument(parsed, 1)) return UsageError(err, *surplus);
  if (parsed.arguments.empty()) return UsageError(err, "read needs OUTPUT (.bin or .xml)");
  if (auto wrong = CheckRoute(parsed)) return UsageError(err, *wrong);
  const std::string output(parsed.arguments[0]);
  const bool asImage = EndsWith(output, ".bin");
  if (!asImage && !EndsWith(output, ".xml"))
    return UsageError(err, "OUTPUT ends in .bin (the image) or .xml (its system file)");

  vorel::Session session;
  vorel::ReadBackupFolder backups;
  session.SetReadBackup(&backups);
  HeadlessPrompts prompts(false, err);
  session.SetTransferPrompts(&prompts);
  Job job;
  job.kind = Job::Kind::kRead;
  // The controller holds its code in Windows-1252, as the login window hands it over.
  job.loginCode = vorel::Ansi::FromUtf8(parsed.Option("--login-code").value_or(""));
  JobRunner runner(session, job, prompts);
  if (const auto failure = RunJob(parsed, session, runner, err)) return ReportFailure(failure, err);
  if (!session.LastReadImage()) return ReportFailure(std::string("nothing was read"), err);

  const auto& bytes = session.LastReadImage()->bytes;
  const std::string content =
      asImage ? std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size())
              : session.SystemFileBytes();
  if (auto failure = vorel::WriteFileReplacing(QString::fromStdString(output), content)) {
    err << "vorelctl: " << output << ": " << failure->toStdString() << '\n';
    return kExitFailure;
  }
  if (session.LastBackup().ok) err << "vorelctl: kept as " << session.LastBackup().where << '\n';
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", runner.Seconds());
  out << "Read " << bytes.size() << " bytes from controller "
      << session.LastReadImage()->U32(vorel::image::kSerialNumber) << " into " << output << " in "
      << seconds << " s\n";
  return kExitOk;
}

int Write(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(
          args,
          {"--port", "--gateway", "--user", "--system", "--login-code", "--master-code", "--clock"},
          parsed, {"--verify", "--drop-texts"}))
    return UsageError(err, *wrong);
  if (auto surplus = SurplusArgument(parsed, 1)) return UsageError(err, *surplus);
  if (parsed.arguments.empty()) return UsageError(err, "write needs INPUT");
  if (auto wrong = CheckRoute(parsed)) return UsageError(err, *wrong);
  vorel::LocalDateTime clock = vorel::LocalNow();
  if (const auto text = parsed.Option("--clock")) {
    const auto parsedClock = vorel::ParseLocalDateTime(*text);
    if (!parsedClock) return UsageError(err, "--clock takes \"YYYY-MM-DD HH:MM:SS\"");
    clock = *parsedClock;
  }
  const auto masterCode = parsed.Option("--master-code");
  if (masterCode && masterCode->size() > vorel::image::kLoginCodeMax)
    return UsageError(err, "--master-code takes at most 8 characters");

  vorel::Session session(vorel::AccessFlags{false, masterCode.has_value()});
  const std::string input(parsed.arguments[0]);
  const LoadedInput loaded = LoadInput(input, clock, session);
  if (loaded.refused) {
    err << "vorelctl: " << *loaded.refused << '\n';
    return kExitFailure;
  }
  HeadlessPrompts prompts(parsed.Option("--drop-texts").has_value(), err);
  session.SetTransferPrompts(&prompts);
  Job job;
  job.kind = Job::Kind::kWrite;
  job.loginCode = vorel::Ansi::FromUtf8(parsed.Option("--login-code").value_or(""));
  job.write = {
      clock,
      masterCode ? std::optional<std::string>(vorel::Ansi::FromUtf8(*masterCode)) : std::nullopt,
      0};
  job.verify = parsed.Option("--verify").has_value();
  JobRunner runner(session, job, prompts);
  if (const auto failure = RunJob(parsed, session, runner, err)) return ReportFailure(failure, err);
  const vorel::ImageTransfer& transfer = session.Transfer();
  out << "Wrote " << transfer.RangeEnd() - transfer.RangeStart() << " bytes ("
      << transfer.RangeStart() << ".." << transfer.RangeEnd() - 1 << ")"
      << (job.verify ? ", verified" : "") << '\n';
  return kExitOk;
}

}  // namespace vorelctl
