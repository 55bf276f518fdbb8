// vorelctl info: who the controller on a serial port is. Waits for the link, reads
// the header and the system area through the session (each block asked again where
// an answer is lost) and prints the controller's identity, data format, name and clock.
#include <cstdio>
#include <string>

#include "Headless.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "core/image/ImagePacking.h"
#include "io/HeadlessRunner.h"

namespace vorelctl {

namespace {
constexpr int kDefaultTimeoutSeconds = 5;
// Room for the header and system area block by block, each asked again when lost.
constexpr int kBlockTicks = 600;
constexpr const char* kNoAnswer = "No answer from the controller";
}  // namespace

int Info(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {"--port", "--timeout"}, parsed);
      !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 0); !checked)
    return UsageError(err, checked.reason);
  const auto port = parsed.Option("--port");
  if (!port) return UsageError(err, "info needs --port DEVICE");
  int timeoutSeconds = kDefaultTimeoutSeconds;
  if (const auto text = parsed.Option("--timeout")) {
    const auto value = vorel::ParseInt32(*text);
    if (!value || *value < 1 || *value > 3600) return UsageError(err, "--timeout takes 1..3600");
    timeoutSeconds = *value;
  }

  vorel::HeadlessRunner runner;
  vorel::Session& session = runner.CurrentSession();
  if (const auto exit = ReachController(runner, std::string(*port),
                                        timeoutSeconds * vorel::Session::kTicksPerSecond, err))
    return *exit;
  if (!session.StartInfoRead()) {
    err << "vorelctl: " << kNoAnswer << '\n';
    return kExitFailure;
  }
  // Each block has the request helper's limits; the link-alive time ends the rest.
  const auto reading =
      runner.Run([&] { return session.InfoReadState() != vorel::Session::InfoRead::kReading; },
                 timeoutSeconds * vorel::Session::kTicksPerSecond + kBlockTicks);
  if (reading == vorel::HeadlessRunner::Outcome::kInterrupted)
    return vorel::HeadlessRunner::kInterruptedExit;
  if (session.InfoReadState() != vorel::Session::InfoRead::kDone) {
    err << "vorelctl: " << kNoAnswer << '\n';
    return kExitFailure;
  }

  const vorel::ControllerImage& image = session.InfoImage();
  const vorel::ControllerInfo info = vorel::ReadControllerInfo(image);
  vorel::SystemConfiguration read;
  vorel::UnpackSystemSettings(image, read);
  out << "Serial: " << info.serialNumber << '\n'
      << "Hardware version: " << int(info.hardwareVersion) << '\n'
      << "Firmware version: " << int(info.firmwareMajor) << '.' << int(info.firmwareMinor) << '\n'
      << "Data format: " << int(image.VersionMajor()) << '.' << int(image.VersionMinor()) << '\n'
      << "System name: " << vorel::Ansi::ToUtf8(read.MainSetup.SystemName) << '\n'
      << "TL4200 watch: " << vorel::WatchText(info.clock) << '\n';
  return kExitOk;
}

}  // namespace vorelctl
