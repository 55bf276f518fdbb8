// vorel-sim: a TL4200 controller on a pseudo-terminal (or a given serial device)
// for tests, demonstrations and training. It prints the device to connect the tool
// to, then polls on it until it is stopped (Ctrl+C or SIGTERM).
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QString>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "core/base/Numbers.h"
#include "core/session/Session.h"
#include "core/simulation/ControllerSimulator.h"
#include "io/FileAccess.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
constexpr int kBaud = 115200;
constexpr int kBitsPerByte = 10;  // start, 8 data, stop
void RequestStop(int) {
  stopRequested = 1;
}

struct Options {
  std::string system;  // a system file or memory image to start from
  std::string device;  // serve this device instead of a new pseudo-terminal
  std::string save;    // write the memory here on exit
  uint32_t serial = 4200;
  int hardware = 2;
  int firmwareMajor = 3;
  int firmwareMinor = 5;
  std::optional<vorel::LocalDateTime> clock;
  int cadenceMs = 20;
  bool paced = false;
  vorel::sim::Faults faults;
};

constexpr const char* kUsage =
    "Usage: vorel-sim [--system FILE] [--serial N] [--hardware N] [--firmware M.N]\n"
    "                 [--clock \"YYYY-MM-DD HH:MM:SS\"] [--cadence-ms N] [--faults PERCENT]\n"
    "                 [--seed N] [--paced] [--device PATH] [--save FILE]\n"
    "Prints \"vorel-sim: serving DEVICE\" and polls there until stopped. --faults loses or\n"
    "damages that share of its frames (from --seed); --paced keeps to 115200 baud;\n"
    "--save writes the memory to FILE when stopped.\n";

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--paced") {
      options.paced = true;
      continue;
    }
    if (i + 1 >= argc) return std::nullopt;
    const std::string value = argv[++i];
    const auto number = [&value] { return vorel::ParseInt32(value); };
    if (name == "--system") {
      options.system = value;
    } else if (name == "--device") {
      options.device = value;
    } else if (name == "--save") {
      options.save = value;
    } else if (name == "--serial" && number() && *number() >= 0) {
      options.serial = static_cast<uint32_t>(*number());
    } else if (name == "--hardware" && number()) {
      options.hardware = *number();
    } else if (name == "--firmware" && value.find('.') != std::string::npos) {
      const auto dot = value.find('.');
      const auto major = vorel::ParseInt32(value.substr(0, dot));
      const auto minor = vorel::ParseInt32(value.substr(dot + 1));
      if (!major || !minor) return std::nullopt;
      options.firmwareMajor = *major;
      options.firmwareMinor = *minor;
    } else if (name == "--clock") {
      options.clock = vorel::ParseLocalDateTime(value);
      if (!options.clock) return std::nullopt;
    } else if (name == "--cadence-ms" && number() && *number() > 0) {
      options.cadenceMs = *number();
    } else if (name == "--faults" && number() && *number() >= 0 && *number() <= 100) {
      options.faults.percent = *number();
    } else if (name == "--seed" && number()) {
      options.faults.seed = static_cast<uint32_t>(*number());
    } else {
      return std::nullopt;
    }
  }
  return options;
}

// The memory the controller starts with: a new system or the given file, with the
// controller's own header fields and clock.
std::optional<vorel::ControllerImage> StartingMemory(const Options& options) {
  vorel::Session session;
  const vorel::LocalDateTime now = options.clock.value_or(vorel::LocalNow());
  if (options.system.empty()) {
    session.NewSystem(now);
  } else {
    const auto file =
        vorel::ReadWholeFile(QString::fromStdString(options.system), vorel::kSystemFileSizeLimit);
    if (!file.bytes) {
      std::cerr << "vorel-sim: " << options.system << ": " << file.error.toStdString() << '\n';
      return std::nullopt;
    }
    if (vorel::ClassifyFile(*file.bytes) == vorel::FileKind::kImage) {
      std::copy(file.bytes->begin(), file.bytes->end(), session.Image().image.bytes.begin());
    } else if (!session.LoadSystem(*file.bytes, now)) {
      std::cerr << "vorel-sim: " << options.system << ": cannot be loaded\n";
      return std::nullopt;
    }
  }
  vorel::ControllerImage memory = session.Image().image;
  vorel::sim::SetIdentity(
      memory,
      {options.serial, static_cast<uint8_t>(options.hardware),
       static_cast<uint8_t>(options.firmwareMajor), static_cast<uint8_t>(options.firmwareMinor)},
      now);
  return memory;
}

// A line for the tool: the master end of a new pseudo-terminal, its slave named, or
// the given device opened raw.
int OpenLine(const Options& options, std::string& name, int& keepOpen) {
  int fd = -1;
  if (options.device.empty()) {
    int slave = -1;
    char slaveName[256] = {};
    if (openpty(&fd, &slave, slaveName, nullptr, nullptr) != 0) return -1;
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    name = slaveName;
    keepOpen = slave;  // the line stays up while the tool opens and closes it
  } else {
    fd = ::open(options.device.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    cfsetspeed(&raw, B115200);
    tcsetattr(fd, TCSANOW, &raw);
    name = options.device;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  const std::optional<vorel::ControllerImage> memory = StartingMemory(*options);
  if (!memory) return 1;
  std::string name;
  int keepOpen = -1;
  const int line = OpenLine(*options, name, keepOpen);
  if (line < 0) {
    std::cerr << "vorel-sim: cannot open the line: " << std::strerror(errno) << '\n';
    return 1;
  }
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  std::printf("vorel-sim: serving %s\n", name.c_str());
  std::fflush(stdout);

  vorel::sim::ControllerSimulator controller(*memory, options->faults);
  using Clock = std::chrono::steady_clock;
  auto nextTurn = Clock::now();
  auto answerDeadline = Clock::now();
  constexpr auto kAnswerTime = std::chrono::milliseconds(200);
  std::vector<uint8_t> buffer(4096);
  while (!stopRequested) {
    const auto turnAt = controller.AwaitingAnswer() ? std::max(nextTurn, answerDeadline) : nextTurn;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(turnAt - Clock::now());
    pollfd fd{line, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(std::max<int64_t>(0, wait.count()))) > 0 &&
        (fd.revents & POLLIN)) {
      const ssize_t got = ::read(line, buffer.data(), buffer.size());
      if (got > 0) controller.Receive(std::span(buffer.data(), static_cast<size_t>(got)));
    }
    // A poll waits for the PC's answer, up to the answer time.
    const bool answered = !controller.AwaitingAnswer() || Clock::now() >= answerDeadline;
    if (Clock::now() >= nextTurn && answered) {
      answerDeadline = Clock::now() + kAnswerTime;
      const std::vector<uint8_t> out = controller.NextTurn();
      // With nobody on the other end the line fills up; the turn is then lost.
      if (::write(line, out.data(), out.size()) < 0 && errno != EAGAIN) break;
      nextTurn += std::chrono::milliseconds(options->cadenceMs);
      if (nextTurn < Clock::now()) nextTurn = Clock::now();
      // Paced: the bytes take the time they take on the wire (10 bits each).
      if (options->paced) {
        const auto onWire = std::chrono::microseconds(out.size() * kBitsPerByte * 1000000 / kBaud);
        nextTurn = std::max(nextTurn, Clock::now() + onWire);
      }
    }
  }
  if (!options->save.empty()) {
    const auto& bytes = controller.Memory().bytes;
    if (const auto failure = vorel::WriteFileReplacing(
            QString::fromStdString(options->save),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
      std::cerr << "vorel-sim: " << options->save << ": " << failure->toStdString() << '\n';
      return 1;
    }
  }
  if (keepOpen >= 0) ::close(keepOpen);
  ::close(line);
  return 0;
}
