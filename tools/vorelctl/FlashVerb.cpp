// vorelctl flash: the firmware update window's Start without the window, over a
// serial port: the file loaded as the window loads it, the target's boot loader
// started, the blocks sent, the loader's verdict as the exit code.
#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <cstdio>

#include "Headless.h"
#include "Options.h"
#include "Verbs.h"
#include "core/firmware/IntelHex.h"
#include "core/session/Session.h"
#include "io/FileAccess.h"
#include "io/SerialPortAdapter.h"
#include "io/Terminal.h"

namespace vorelctl {

namespace {
constexpr int kTickMs = 100;
constexpr int kLinkTicks = 50;  // 5 s for the controller's first frames
constexpr int64_t kHexFileLimit = 4 * 1024 * 1024;
constexpr const char* kCompleted = "Completed, OK.";

std::optional<vorel::FirmwareTarget> FlashTarget(std::string_view text) {
  if (text == "controller") return vorel::kControllerTarget;
  if (text == "trigger") return vorel::kTriggerTarget;
  return std::nullopt;
}

}  // namespace

int Flash(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(args, {"--port", "--target"}, parsed))
    return UsageError(err, *wrong);
  if (auto surplus = SurplusArgument(parsed, 1)) return UsageError(err, *surplus);
  const auto port = parsed.Option("--port");
  const auto target = FlashTarget(parsed.Option("--target").value_or(""));
  if (parsed.arguments.empty() || !port || !target)
    return UsageError(err, "flash needs --port DEVICE FILE --target controller|trigger");

  const QString path =
      QString::fromUtf8(parsed.arguments[0].data(), static_cast<int>(parsed.arguments[0].size()));
  const vorel::ReadOutcome read = vorel::ReadWholeFile(path, kHexFileLimit);
  if (!read.bytes) {
    err << "vorelctl: Unable to open Intel hex file.\n";
    return kExitFailure;
  }
  const vorel::HexLoad load = vorel::LoadIntelHex(*read.bytes, *target);
  if (!load.image) {
    err << "vorelctl: " << load.error << '\n';
    return kExitFailure;
  }

  HeadlessApplication headless;
  QCoreApplication& application = headless.App();
  vorel::SerialPortAdapter serial;
  if (!OpenPort(serial, *port, err)) return kExitFailure;
  vorel::Session session;
  serial.SetEngine(&session.Link());
  session.SetLinkPort(&serial);
  session.SelectMode(true);
  session.SetFirmwareWindowVisible(true);
  // The controller hears its request with a poll; the trigger units hear the call at once.
  const bool waitForLink = target->pageSize == vorel::kControllerTarget.pageSize;
  bool started = false;
  bool noAnswer = false;
  int ticks = 0;
  const bool terminal = vorel::IsTerminal(stderr);
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    session.Link().Tick(serial.IsOpen());
    ++ticks;
    if (!started) {
      if (waitForLink && !session.Link().LinkReady()) {
        if (ticks > kLinkTicks) {
          noAnswer = true;
          application.quit();
        }
        return;
      }
      started = session.StartFirmware(*load.image, *target);
      return;
    }
    session.FirmwareTick();
    const vorel::BootProgrammer& programmer = session.Programmer();
    if (terminal) {
      std::fprintf(stderr, "\r%-20s %3u %%", programmer.StateText().c_str(),
                   static_cast<unsigned>(programmer.Progress() * 100 /
                                         std::max<uint32_t>(1, load.image->roundedEnd)));
      std::fflush(stderr);
    }
    if (programmer.Step() == 0) application.quit();
  });
  timer.start(kTickMs);
  application.exec();
  if (terminal && started) std::fputc('\n', stderr);
  session.SetFirmwareWindowVisible(false);
  session.SetLinkPort(nullptr);
  serial.Close();
  if (noAnswer) {
    err << "vorelctl: No answer from the controller\n";
    return kExitFailure;
  }
  const std::string& state = session.Programmer().StateText();
  if (state != kCompleted) {
    err << "vorelctl: " << state << '\n';
    return kExitFailure;
  }
  out << state << '\n';
  return kExitOk;
}

}  // namespace vorelctl
