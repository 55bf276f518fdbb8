// vorel-sim: a TL4200 controller on a pseudo-terminal (or a given serial device),
// or with --gateway a gateway server with its dispenser systems on a TCP port, for
// tests, demonstrations and training. It prints where to connect the tool, then
// serves there until it is stopped (Ctrl+C or SIGTERM).
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QString>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "GatewayMode.h"
#include "core/base/Numbers.h"
#include "core/session/Session.h"
#include "core/simulation/ControllerSimulator.h"
#include "core/simulation/LineFaults.h"
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
  int speed = 1;  // how many times faster than the clock the laundry runs; 0 still
  bool paced = false;
  vorel::sim::Faults faults;
  vorel::sim::LineNoise lineNoise;
  vorel::sim::BootFaults bootFaults;
  bool gateway = false;
  vorelsim::GatewayOptions gatewayOptions;
};

constexpr const char* kUsage =
    "Usage: vorel-sim [--system FILE] [--serial N] [--hardware N] [--firmware M.N]\n"
    "                 [--clock \"YYYY-MM-DD HH:MM:SS\"] [--cadence-ms N] [--faults PERCENT]\n"
    "                 [--seed N] [--paced] [--device PATH] [--save FILE] [--verbose]\n"
    "                 [--line-faults PPM] [--boot-fault corrupt|silent|waiting] [--speed N]\n"
    "       vorel-sim --gateway [--port N] [--listen ADDRESS] [--users FILE] [--systems FILE]\n"
    "                 [--verbose] [--system FILE] [--serial N] [--hardware N]\n"
    "                 [--firmware M.N] [--clock \"YYYY-MM-DD HH:MM:SS\"] [--save FILE]\n"
    "                 [--speed N]\n"
    "Options take --name VALUE or --name=VALUE; a wrong one is named with its value\n"
    "(exit 2). --device must be a serial device or pseudo-terminal, --save a file that\n"
    "can be written; both are checked before anything is served.\n"
    "Prints \"vorel-sim: serving DEVICE\" and polls there until stopped. The enabled\n"
    "machines run their default program (or their first active one) line by line: pumps,\n"
    "flushes, waits, the washing machine's signals, the keyboard lock, the machine\n"
    "output; a machine starts its program again 20 s after it ended. --speed N runs\n"
    "them N times faster (0..1000; 0: a still laundry, trigger units online, no program\n"
    "running; default 1), in both modes; each turn on the line is --cadence-ms of the\n"
    "controller's time, the gateway moves on every 100 ms. --faults loses or damages\n"
    "that share of its frames (from --seed); --line-faults loses, damages and\n"
    "doubles bytes in both directions, each with that chance in a million per byte, at\n"
    "most one fault per frame; --paced keeps to 115200 baud;\n"
    "--save writes the memory to FILE when stopped; --verbose prints each control\n"
    "command the controller gets (\"control command 0x00\") and each change of the manual\n"
    "control (\"manual control at MS ms: pumps ON/CONTROL outputs ON/CONTROL\") on stderr.\n"
    "EnterBootLoader (01 00 to the controller, or to all trigger units) hands the line to\n"
    "a boot loader (256- or 128-byte pages) until it answers the finish, then polling\n"
    "resumes; --verbose prints each step (\"boot: ready\", \"boot: page size 256\",\n"
    "\"boot: block 0x0100\", \"boot: end of blocks\", \"boot: finish ok\" or\n"
    "\"boot: finish checksum error\"). --boot-fault corrupt stores the flash byte at\n"
    "address 0 wrong, so the finish fails; --boot-fault silent never answers;\n"
    "--boot-fault waiting starts in the controller's boot loader, as after an update\n"
    "that failed midway. A boot loader that hears nothing for a second says BootReady\n"
    "again, every second, and takes a new page size as a new start.\n"
    "--gateway: a gateway server on 127.0.0.1 (or ADDRESS), port 14015 (0: a free one);\n"
    "prints \"vorel-sim: gateway on ADDRESS:PORT\" and serves until stopped. --users FILE:\n"
    "lines NAME<TAB>PASSWORD<TAB>A|B (A full access, B read only; default: service,\n"
    "password service, A). --systems FILE: lines SERIAL<TAB>NAME<TAB>IN-USE<TAB>ADDRESS\n"
    "(in-use \"-\" when free, ADDRESS an IP address or Offline; default: one free system\n"
    "with the --serial at 127.0.0.1). Blank lines and lines starting with # are skipped.\n"
    "Every system starts from the same memory with its own serial number; --save writes\n"
    "the first system's memory; --verbose prints each message served on stderr.\n";

// The options, or what is wrong with them: "--hardware 256: takes 0..255".
struct Parsed {
  std::optional<Options> options;
  std::string error;
};

// A number within [low, high], or nothing.
std::optional<int32_t> InRange(const std::string& text, int32_t low, int32_t high) {
  const auto number = vorel::ParseInt32(text);
  if (!number || *number < low || *number > high) return std::nullopt;
  return number;
}

// A device the controller's line can be served on: a character device (a serial port or
// a pseudo-terminal), never a file that poll frames would overwrite.
vorel::Outcome CheckDevice(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return vorel::Outcome::Failed("no such device");
  if (!S_ISCHR(info.st_mode)) return vorel::Outcome::Failed("is not a serial device");
  return vorel::Outcome::Done();
}

Parsed ParseOptions(int argc, char** argv) {
  Options options;
  // Options of one mode only are refused in the other.
  bool serialOnly = false;
  bool gatewayOnly = false;
  vorelsim::GatewayOptions& gateway = options.gatewayOptions;
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::optional<std::string> given;  // --name=VALUE
    if (const size_t equals = name.find('=');
        name.starts_with("--") && equals != std::string::npos) {
      given = name.substr(equals + 1);
      name.resize(equals);
    }
    const auto flag = [&](bool& set) {
      set = true;
      return given ? Parsed{std::nullopt, name + " takes no value"} : Parsed{};
    };
    if (name == "--paced" || name == "--gateway" || name == "--verbose") {
      bool& set = name == "--paced"     ? options.paced
                  : name == "--gateway" ? options.gateway
                                        : gateway.verbose;
      if (name == "--paced") serialOnly = true;
      if (Parsed wrong = flag(set); !wrong.error.empty()) return wrong;
      continue;
    }
    if (!given && i + 1 >= argc) return {std::nullopt, name + " needs a value"};
    const std::string value = given ? *given : std::string(argv[++i]);
    const auto refuse = [&](const std::string& what) {
      return Parsed{std::nullopt, name + " " + value + ": " + what};
    };
    if (name == "--system") {
      options.system = value;
    } else if (name == "--device") {
      if (const vorel::Outcome device = CheckDevice(value); !device) return refuse(device.reason);
      options.device = value;
      serialOnly = true;
    } else if (name == "--save") {
      if (const vorel::Outcome replaceable = vorel::CheckReplaceable(QString::fromStdString(value));
          !replaceable)
        return refuse(replaceable.reason);
      options.save = value;
    } else if (name == "--serial") {
      const auto number = InRange(value, 0, INT32_MAX);
      if (!number) return refuse("takes 0..2147483647");
      options.serial = static_cast<uint32_t>(*number);
    } else if (name == "--hardware") {
      const auto number = InRange(value, 0, 255);
      if (!number) return refuse("takes 0..255");
      options.hardware = *number;
    } else if (name == "--firmware") {
      const size_t dot = value.find('.');
      const auto major =
          dot == std::string::npos ? std::nullopt : InRange(value.substr(0, dot), 0, 255);
      const auto minor =
          dot == std::string::npos ? std::nullopt : InRange(value.substr(dot + 1), 0, 255);
      if (!major || !minor) return refuse("takes MAJOR.MINOR, each 0..255");
      options.firmwareMajor = *major;
      options.firmwareMinor = *minor;
    } else if (name == "--clock") {
      options.clock = vorel::ParseLocalDateTime(value);
      if (!options.clock || options.clock->year < 2000 || options.clock->year > 2255)
        return refuse("takes \"YYYY-MM-DD HH:MM:SS\" of the years 2000..2255");
    } else if (name == "--cadence-ms") {
      const auto number = InRange(value, 1, 10000);
      if (!number) return refuse("takes 1..10000");
      options.cadenceMs = *number;
      serialOnly = true;
    } else if (name == "--speed") {
      const auto number = InRange(value, 0, 1000);
      if (!number) return refuse("takes 0..1000");
      options.speed = *number;
    } else if (name == "--faults") {
      const auto number = InRange(value, 0, 100);
      if (!number) return refuse("takes 0..100");
      options.faults.percent = *number;
      serialOnly = true;
    } else if (name == "--line-faults") {
      const auto number = InRange(value, 0, 100000);
      if (!number) return refuse("takes 0..100000");
      const auto ppm = static_cast<uint32_t>(*number);
      options.lineNoise = {ppm, ppm, ppm, true};
      serialOnly = true;
    } else if (name == "--seed") {
      const auto number = vorel::ParseInt32(value);
      if (!number) return refuse("takes a whole number");
      options.faults.seed = static_cast<uint32_t>(*number);
      serialOnly = true;
    } else if (name == "--boot-fault") {
      if (value == "corrupt") {
        options.bootFaults.corruptAt = 0x0000;
      } else if (value == "silent") {
        options.bootFaults.silent = true;
      } else if (value == "waiting") {
        options.bootFaults.waiting = true;
      } else {
        return refuse("takes corrupt, silent or waiting");
      }
      serialOnly = true;
    } else if (name == "--port") {
      const auto number = InRange(value, 0, 0xFFFF);
      if (!number) return refuse("takes 0..65535");
      gateway.port = *number;
      gatewayOnly = true;
    } else if (name == "--listen") {
      gateway.listen = value;
      gatewayOnly = true;
    } else if (name == "--users") {
      gateway.users = value;
      gatewayOnly = true;
    } else if (name == "--systems") {
      gateway.systems = value;
      gatewayOnly = true;
    } else {
      return {std::nullopt, "unknown option " + name};
    }
  }
  if (options.gateway && serialOnly) return {std::nullopt, "a serial option given with --gateway"};
  if (!options.gateway && gatewayOnly)
    return {std::nullopt, "a gateway option given without --gateway"};
  return {options, {}};
}

vorel::sim::ControllerIdentity Identity(const Options& options) {
  return {options.serial, static_cast<uint8_t>(options.hardware),
          static_cast<uint8_t>(options.firmwareMajor), static_cast<uint8_t>(options.firmwareMinor)};
}

// The memory the controller starts with: a new system or the given file, with the
// controller's own header fields and clock.
std::optional<vorel::ControllerImage> StartingMemory(const Options& options,
                                                     const vorel::LocalDateTime& now) {
  vorel::Session session;
  vorel::ControllerImage memory;
  if (options.system.empty()) {
    session.NewSystem(now);
    memory = session.Image().image;
  } else {
    const auto file =
        vorel::ReadWholeFile(QString::fromStdString(options.system), vorel::kSystemFileSizeLimit);
    if (!file) {
      std::cerr << "vorel-sim: " << options.system << ": " << file.why << '\n';
      return std::nullopt;
    }
    if (vorel::ClassifyFile(*file) == vorel::FileKind::kImage) {
      // A memory image is the controller's memory as it stands.
      std::copy(file->begin(), file->end(), memory.bytes.begin());
    } else if (session.LoadSystem(*file, now)) {
      memory = session.Image().image;
    } else {
      std::cerr << "vorel-sim: " << options.system << ": cannot be loaded\n";
      return std::nullopt;
    }
  }
  vorel::sim::SetIdentity(memory, Identity(options), now);
  return memory;
}

// The memory written to `path` when it names a file; false when that failed.
bool SaveMemory(const std::string& path, const vorel::ControllerImage& memory) {
  if (path.empty()) return true;
  const auto& bytes = memory.bytes;
  if (const vorel::Outcome written = vorel::WriteFileReplacing(
          QString::fromStdString(path),
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      !written) {
    std::cerr << "vorel-sim: " << path << ": " << written.reason << '\n';
    return false;
  }
  return true;
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
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  const Parsed parsed = ParseOptions(argc, argv);
  if (!parsed.options) {
    std::cerr << "vorel-sim: " << parsed.error << "\n\n" << kUsage;
    return 2;
  }
  const std::optional<Options>& options = parsed.options;
  const vorel::LocalDateTime now = options->clock.value_or(vorel::LocalNow());
  const std::optional<vorel::ControllerImage> memory = StartingMemory(*options, now);
  if (!memory) return 1;
  if (options->gateway) {
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);
    const vorelsim::GatewayOutcome outcome = vorelsim::RunGateway(
        argc, argv, options->gatewayOptions, *memory, Identity(*options), now,
        static_cast<uint32_t>(options->speed), !options->save.empty(), stopRequested);
    if (outcome.exitCode != 0) return outcome.exitCode;
    return outcome.firstMemory && !SaveMemory(options->save, *outcome.firstMemory) ? 1 : 0;
  }
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

  vorel::sim::ControllerSimulator controller(
      *memory, options->faults, options->bootFaults,
      {static_cast<uint32_t>(options->cadenceMs), static_cast<uint32_t>(options->speed)});
  vorel::sim::LineFaults fromTool(options->lineNoise, options->faults.seed * 2 + 1);
  vorel::sim::LineFaults toTool(options->lineNoise, options->faults.seed * 2 + 2);
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
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
      if (got > 0) {
        const uint32_t commands = controller.ControlCommands();
        const vorel::ManualControlState manual = controller.ManualControl();
        controller.Receive(fromTool.Pass(std::span(buffer.data(), static_cast<size_t>(got))));
        // A boot loader answers at once, with single bytes.
        const std::vector<uint8_t> boot = controller.BootAnswer();
        if (!boot.empty() && ::write(line, boot.data(), boot.size()) < 0 && errno != EAGAIN) break;
        for (const std::string& step : controller.TakeBootSteps()) {
          if (options->gatewayOptions.verbose) std::fprintf(stderr, "boot: %s\n", step.c_str());
        }
        if (options->gatewayOptions.verbose && controller.ControlCommands() != commands)
          std::fprintf(stderr, "control command 0x%02X\n", *controller.LastControlCommand());
        // What the PC switches by hand, with the time since the start, for the tests.
        const vorel::ManualControlState& now = controller.ManualControl();
        if (options->gatewayOptions.verbose && !(now == manual)) {
          const auto ms =
              std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
          std::fprintf(stderr, "manual control at %lld ms: pumps %02X/%02X outputs %04X/%04X\n",
                       static_cast<long long>(ms.count()), now.pumpOn, now.pumpControl, now.onWord,
                       now.controlWord);
        }
      }
    }
    // A poll waits for the PC's answer, up to the answer time.
    const bool answered = !controller.AwaitingAnswer() || Clock::now() >= answerDeadline;
    if (Clock::now() >= nextTurn && answered) {
      answerDeadline = Clock::now() + kAnswerTime;
      const std::vector<uint8_t> out = toTool.Pass(controller.NextTurn());
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
  if (!SaveMemory(options->save, controller.Memory())) return 1;
  if (keepOpen >= 0) ::close(keepOpen);
  ::close(line);
  return 0;
}
