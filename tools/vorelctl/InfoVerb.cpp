// vorelctl info: who the controller on a serial port is. Waits for the link, reads
// the header and the system area with memory reads (repeated where an answer is
// lost) and prints the controller's identity, its data format, name and clock.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <string>

#include "Headless.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "core/image/ImagePacking.h"
#include "core/link/RequestHelper.h"
#include "io/SerialPortAdapter.h"

namespace vorelctl {

namespace {

constexpr int kTickMs = 100;
constexpr int kDefaultTimeoutSeconds = 5;
constexpr int kTicksPerSecond = 10;
constexpr size_t kReadEnd = vorel::image::kMachineBlocks;  // header and system area
constexpr const char* kNoAnswer = "No answer from the controller";

// Reads the first kReadEnd bytes block by block through the request helper.
class InfoReader {
 public:
  InfoReader(vorel::LinkEngine& link, int timeoutTicks)
      : helper_(link), link_(link), ticksLeft_(timeoutTicks) {}

  // One 100 ms step; false once finished (then Failed tells how).
  bool Step() {
    helper_.Tick();
    if (finished_) return false;
    if (!link_.LinkReady()) {
      if (--ticksLeft_ <= 0) Finish(true);
      return !finished_;
    }
    if (!helper_.Busy()) NextBlock();
    return !finished_;
  }
  bool Failed() const { return failed_; }
  const vorel::ControllerImage& Image() const { return image_; }

 private:
  void NextBlock() {
    if (next_ >= kReadEnd) {
      Finish(false);
      return;
    }
    const auto address = static_cast<uint16_t>(next_);
    const auto count = static_cast<uint8_t>(vorel::message::kMemoryBlockMax);
    vorel::ControllerRequest read{vorel::message::kMemoryReadRequest,
                                  vorel::frame::kController,
                                  vorel::EncodeMemoryReadRequest(address, count),
                                  vorel::message::kMemoryReadReply,
                                  address,
                                  count};
    helper_.Start(read, [this, address](std::optional<std::vector<uint8_t>> reply) {
      const auto decoded = reply ? vorel::DecodeMemoryReply(*reply) : std::nullopt;
      if (!decoded) {
        Finish(true);
        return;
      }
      std::copy(decoded->data.begin(), decoded->data.end(), image_.bytes.begin() + address);
      next_ += decoded->count;
    });
  }
  void Finish(bool failed) {
    finished_ = true;
    failed_ = failed;
  }

  vorel::RequestHelper helper_;
  vorel::LinkEngine& link_;
  vorel::ControllerImage image_;
  size_t next_ = 0;
  int ticksLeft_;
  bool finished_ = false;
  bool failed_ = false;
};

}  // namespace

int Info(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(args, {"--port", "--timeout"}, parsed))
    return UsageError(err, *wrong);
  if (auto surplus = SurplusArgument(parsed, 0)) return UsageError(err, *surplus);
  const auto port = parsed.Option("--port");
  if (!port) return UsageError(err, "info needs --port DEVICE");
  int timeoutSeconds = kDefaultTimeoutSeconds;
  if (const auto text = parsed.Option("--timeout")) {
    const auto value = vorel::ParseInt32(*text);
    if (!value || *value < 1 || *value > 3600) return UsageError(err, "--timeout takes 1..3600");
    timeoutSeconds = *value;
  }

  HeadlessApplication headless;
  QCoreApplication& application = headless.App();
  vorel::SerialPortAdapter serial;
  if (!OpenPort(serial, *port, err)) return kExitFailure;
  vorel::PollAnswers answers;
  vorel::LinkEngine link(serial, answers);
  serial.SetEngine(&link);
  InfoReader reader(link, timeoutSeconds * kTicksPerSecond);
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    link.Tick(serial.IsOpen());
    if (!reader.Step()) application.quit();
  });
  tick.start(kTickMs);
  application.exec();
  serial.Close();
  if (reader.Failed()) {
    err << "vorelctl: " << kNoAnswer << '\n';
    return kExitFailure;
  }

  const vorel::ControllerImage& image = reader.Image();
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
