// vorelctl flash: the firmware update window's Start without the window, over a
// serial port: the file loaded as the window loads it, the target's boot loader
// started, the blocks sent, the loader's verdict as the exit code.
#include <QString>
#include <algorithm>
#include <cstdio>

#include "Headless.h"
#include "Options.h"
#include "Verbs.h"
#include "core/firmware/IntelHex.h"
#include "core/session/Session.h"
#include "io/FirmwareFile.h"
#include "io/HeadlessRunner.h"
#include "io/Terminal.h"

namespace vorelctl {

namespace {
// Only a backstop: the programmer times out every step by itself.
constexpr int kFlashTicks = 36000;
constexpr const char* kCompleted = "Completed, OK.";

}  // namespace

int Flash(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {"--port", "--target"}, parsed); !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);
  const auto port = parsed.Option("--port");
  const auto target = vorel::FirmwareTargetNamed(parsed.Option("--target").value_or(""));
  if (parsed.arguments.empty() || !port || !target)
    return UsageError(err, "flash needs --port DEVICE FILE --target controller|trigger");

  const QString path =
      QString::fromUtf8(parsed.arguments[0].data(), static_cast<int>(parsed.arguments[0].size()));
  const auto load = vorel::ReadFirmwareFile(path, *target);
  if (!load) {
    err << "vorelctl: " << load.why.text << '\n';
    return kExitFailure;
  }

  vorel::HeadlessRunner runner;
  vorel::Session& session = runner.CurrentSession();
  // Only the port is opened, as the window's Start does: a running controller hears
  // its request with its next poll, one that sits in its boot loader announces itself
  // with BootReady, and the trigger units hear the call at once. The programmer's
  // five seconds for BootReady cover all three.
  if (const auto exit = ReachController(runner, std::string(*port), 0, err)) return *exit;
  session.SetFirmwareWindowVisible(true);
  if (!session.StartFirmware(load->image, *target)) {
    err << "vorelctl: the boot loader could not be started\n";
    return kExitFailure;
  }
  const bool terminal = vorel::IsTerminal(stderr);
  const vorel::BootProgrammer& programmer = session.Programmer();
  // The programmer's own limits (the loader's answers, every block) end the run.
  const auto outcome = runner.Run(
      [&] {
        if (terminal) {
          std::fprintf(stderr, "\r%-20s %3u %%", programmer.StateText().c_str(),
                       static_cast<unsigned>(programmer.Progress() * 100 /
                                             std::max<uint32_t>(1, load->image.roundedEnd)));
          std::fflush(stderr);
        }
        return programmer.Step() == 0;
      },
      kFlashTicks, [&] { session.AbandonFirmware(); });
  if (terminal) std::fputc('\n', stderr);
  if (outcome == vorel::HeadlessRunner::Outcome::kInterrupted) {
    err << "vorelctl: Stopped after " << programmer.Progress() << " of " << load->image.roundedEnd
        << " bytes\n";
    return vorel::HeadlessRunner::kInterruptedExit;
  }
  const std::string& state = session.Programmer().StateText();
  if (state != kCompleted) {
    err << "vorelctl: " << state << '\n';
    if (programmer.LeftIncomplete())
      err << "vorelctl: " << vorel::IncompleteFirmwareText(*target) << '\n';
    return kExitFailure;
  }
  out << state << '\n';
  return kExitOk;
}

}  // namespace vorelctl
