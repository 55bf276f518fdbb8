// The serial link on a noisy line, for hours of the line's time in a minute: the
// session against the simulated controller, with bytes lost, damaged and received
// twice in both directions, runs writes of varied configurations (each read back to
// verify) and whole reads. Every operation must either end with the right bytes or
// end with a reason; one that reports success with wrong bytes is a silent
// corruption, and the program exits 1 when there is any.
//
// Usage: serial_soak [--writes N] [--reads N] [--seed S] [--drop PPM] [--damage PPM]
//                    [--duplicate PPM] [--turns N] [--faults-per-frame 1|any]
// The noise is per byte and direction, in parts per million; operations take turns
// at no noise, the given noise and three times the given noise. By default a frame
// takes at most one fault, which its checksum or length byte always shows; with
// --faults-per-frame any, two faults may meet in one frame and cancel out (a lost
// byte and a doubled one of the same value, two damages whose sums offset), which
// the controller's one-byte sum cannot see: such frames are counted, and wrong bytes
// they bring are told apart from wrong bytes the tool let through.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>

#include "core/link/Frame.h"
#include "core/session/Session.h"
#include "core/simulation/ControllerSimulator.h"
#include "core/simulation/LineFaults.h"

namespace {

using namespace vorel;

constexpr LocalDateTime kNow{2026, 12, 8, 9, 30, 0, 1};
constexpr int kOperationTicks = 3000;  // 5 minutes of the line's time

struct Options {
  int writes = 1000;
  int reads = 1000;
  uint32_t seed = 1;
  sim::LineNoise noise{50, 50, 50, true};
  int turns = 5;  // controller turns per 100 ms
};

struct QuietPrompts : TransferPrompts {
  bool AskUnsavedEdits() override { return true; }
  bool AskWriteDroppingTexts(const std::vector<std::pair<std::string, std::string>>&) override {
    return true;
  }
  void ShowTransferError(const std::string&, bool) override {}
};

// Watches one direction of the line: a frame that arrives whole by its checksum and
// length byte, yet is no frame that was sent, is damage the frame cannot show.
struct FrameCensus {
  struct Collect : FrameReceiver::Sink {
    std::vector<std::vector<uint8_t>> frames;
    void FrameReceived(std::span<const uint8_t> frame) override {
      if (CheckFrame(frame) == FrameCheck::kMessage)
        frames.emplace_back(frame.begin(), frame.end());
    }
  };
  FrameReceiver sent, arrived;
  std::deque<std::vector<uint8_t>> recent;
  uint64_t unseen = 0;

  void Watch(std::span<const uint8_t> in, std::span<const uint8_t> out) {
    Collect a, b;
    sent.Receive(in, a);
    arrived.Receive(out, b);
    for (auto& frame : a.frames) {
      recent.push_back(std::move(frame));
      if (recent.size() > 64) recent.pop_front();
    }
    for (const auto& frame : b.frames)
      if (std::find(recent.begin(), recent.end(), frame) == recent.end()) ++unseen;
  }
};

// The tool and the controller with a noisy line between them.
struct NoisyBench : SerialPort {
  Session session;
  Attachment line;
  Attachment answering;
  sim::ControllerSimulator controller;
  sim::LineFaults toController;
  sim::LineFaults toTool;
  FrameCensus censusToController, censusToTool;
  QuietPrompts prompts;
  int turns;

  NoisyBench(const ControllerImage& memory, uint32_t seed, int turnsPerTick)
      : controller(memory, {0, seed}),
        toController({}, seed * 2 + 1),
        toTool({}, seed * 2 + 2),
        turns(turnsPerTick) {
    line = session.AttachSerialPort(*this);
    answering = session.AttachTransferPrompts(prompts);
    session.SkipStartupDelay();
    session.SelectMode(true);
  }
  void SetEngine(LinkEngine*) override {}
  bool Open(const std::string&) override { return true; }
  void Close() override {}
  bool IsOpen() const override { return true; }
  std::string LastError() const override { return {}; }
  void SetNoise(sim::LineNoise noise) {
    toController.SetNoise(noise);
    toTool.SetNoise(noise);
  }
  bool Write(std::span<const uint8_t> bytes) override {
    const std::vector<uint8_t> arrived = toController.Pass(bytes);
    censusToController.Watch(bytes, arrived);
    controller.Receive(arrived);
    return true;
  }
  void Tick() {
    for (int k = 0; k < turns; ++k) {
      const std::vector<uint8_t> sent = controller.NextTurn();
      const std::vector<uint8_t> arrived = toTool.Pass(sent);
      censusToTool.Watch(sent, arrived);
      session.ReceiveSerial(arrived);
    }
    session.Tick();
  }
  // Ticks until the transfer is idle; false when it never was within the limit.
  bool RunOperation() {
    for (int t = 0; t < kOperationTicks; ++t) {
      Tick();
      if (!session.Transfer().Busy()) return true;
    }
    return false;
  }
};

std::string RandomText(std::mt19937& random, size_t longest) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789-.";
  std::uniform_int_distribution<size_t> length(0, longest);
  std::uniform_int_distribution<size_t> letter(0, sizeof kLetters - 2);
  std::string text(length(random), ' ');
  for (char& c : text) c = kLetters[letter(random)];
  return text;
}

// A configuration a technician might write: names, comments, switches, levels and
// calibration values that differ from one write to the next.
void VaryConfiguration(SystemConfiguration& config, std::mt19937& random) {
  std::uniform_int_distribution<int> coin(0, 1);
  std::uniform_int_distribution<int> level(0, 3);
  std::uniform_int_distribution<int> millilitres(1, 999);
  config.MainSetup.SystemName = RandomText(random, 20);
  for (MachineSettings& machine : config.MachineData) {
    machine.Enabled = coin(random);
    machine.Comment = RandomText(random, 12);
    for (std::string& calibration : machine.Calibration)
      calibration = std::to_string(millilitres(random));
    for (ProgramRecord& program : machine.Programs) {
      program.Name = RandomText(random, 10);
      program.Active = coin(random);
      program.Softner = coin(random);
      program.DefaultLevel = level(random);
      for (std::string& comment : program.LineComments)
        comment = coin(random) && coin(random) ? RandomText(random, 6) : std::string();
    }
  }
}

ControllerImage StartingMemory() {
  Session packer;
  packer.EditConfiguration(
      [](SystemConfiguration& config) { config.MainSetup.SystemName = "Soak laundry"; });
  packer.PackImage(kNow);
  ControllerImage memory = packer.Image().image;
  std::mt19937 random(7);
  for (size_t i = image::kAlarmLog; i < image::kSize; ++i) memory.bytes[i] = uint8_t(random());
  return memory;
}

struct Figures {
  int writes = 0, writesCompleted = 0, writesEnded = 0, writesLandedWrong = 0;
  int verifies = 0, verified = 0, verifyMismatchesCaught = 0, verifyFalseAlarms = 0,
      verifiesEnded = 0;
  int reads = 0, readsCompleted = 0, readsEnded = 0;
  int silentCorruptions = 0;    // wrong bytes taken while every frame was sound or visibly damaged
  int throughUnseenDamage = 0;  // wrong bytes taken after a frame the checksum could not see
  int hangs = 0;
  uint64_t requests = 0, repeats = 0;
  int ends[32] = {};
};

const char* EndName(TransferEnd end) {
  switch (end) {
    case TransferEnd::kTimeout:
      return "Timeout";
    case TransferEnd::kNoLoginAnswer:
      return "no answer to the login check";
    case TransferEnd::kStopped:
      return "stopped";
    case TransferEnd::kVerifyFailed:
      return "verify found a difference";
    case TransferEnd::kBadFormat:
      return "image refused";
    default:
      return "other";
  }
}

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const long value = std::strtol(argv[i + 1], nullptr, 10);
    if (value < 0) return false;
    if (name == "--writes")
      options.writes = int(value);
    else if (name == "--reads")
      options.reads = int(value);
    else if (name == "--seed")
      options.seed = uint32_t(value);
    else if (name == "--drop")
      options.noise.dropPpm = uint32_t(value);
    else if (name == "--damage")
      options.noise.damagePpm = uint32_t(value);
    else if (name == "--duplicate")
      options.noise.duplicatePpm = uint32_t(value);
    else if (name == "--turns" && value > 0)
      options.turns = int(value);
    else if (name == "--faults-per-frame")
      options.noise.oneFaultPerPass = std::string(argv[i + 1]) == "1";
    else
      return false;
  }
  return argc % 2 == 1;
}

sim::LineNoise Scaled(sim::LineNoise noise, uint32_t times) {
  return {noise.dropPpm * times, noise.damagePpm * times, noise.duplicatePpm * times,
          noise.oneFaultPerPass};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "Usage: serial_soak [--writes N] [--reads N] [--seed S] [--drop PPM] "
                 "[--damage PPM] [--duplicate PPM] [--turns N] [--faults-per-frame 1|any]\n");
    return 2;
  }
  const auto began = std::chrono::steady_clock::now();
  std::mt19937 random(options.seed);
  NoisyBench bench(StartingMemory(), options.seed, options.turns);
  for (int t = 0; t < 10; ++t) bench.Tick();  // the link comes up
  Figures f;
  const sim::LineNoise levels[3] = {{}, options.noise, Scaled(options.noise, 3)};
  uint64_t unseenBefore = 0;
  auto unseen = [&] { return bench.censusToController.unseen + bench.censusToTool.unseen; };
  // Wrong bytes were taken as right: whose fault was it?
  auto wrongBytes = [&](const char* what, int i) {
    if (unseen() > unseenBefore) {
      ++f.throughUnseenDamage;
    } else {
      ++f.silentCorruptions;
      std::fprintf(stderr, "%s %d: wrong bytes taken as right\n", what, i);
    }
  };
  auto run = [&] {
    const bool idle = bench.RunOperation();
    if (!idle) {
      ++f.hangs;
      bench.session.StopTransfer();
      bench.RunOperation();
    }
    for (int t = 0; t < 10; ++t) bench.Tick();  // the closing command, the link settles
    f.requests += uint64_t(bench.session.Transfer().SerialRequests());
    f.repeats += uint64_t(bench.session.Transfer().SerialRepeats());
    return bench.session.Transfer().LastEnd();
  };

  const int operations = std::max(options.writes, options.reads);
  for (int i = 0; i < operations; ++i) {
    bench.SetNoise(levels[i % 3]);
    if (i < options.writes) {
      ++f.writes;
      bench.session.EditConfiguration(
          [&](SystemConfiguration& config) { VaryConfiguration(config, random); });
      unseenBefore = unseen();
      if (!bench.session.Write("", {kNow, std::nullopt, 0})) {
        std::fprintf(stderr, "write %d did not start\n", i);
        return 1;
      }
      const TransferEnd wrote = run();
      const size_t start = bench.session.Transfer().RangeStart();
      const size_t end = bench.session.Transfer().RangeEnd();
      const auto& packed = bench.session.Image().image.bytes;
      const std::vector<uint8_t> written(packed.begin() + long(start), packed.begin() + long(end));
      const auto& memory = bench.controller.Memory().bytes;
      const bool inController =
          std::equal(written.begin(), written.end(), memory.begin() + long(start));
      if (wrote == TransferEnd::kWriteCompleted) {
        ++f.writesCompleted;
        if (!inController) ++f.writesLandedWrong;
      } else {
        ++f.writesEnded;
        ++f.ends[int(wrote)];
      }
      ++f.verifies;
      if (!bench.session.Verify()) {
        std::fprintf(stderr, "verify %d did not start\n", i);
        return 1;
      }
      const TransferEnd verified = run();
      const bool stillThere =
          std::equal(written.begin(), written.end(), memory.begin() + long(start));
      if (verified == TransferEnd::kVerified) {
        ++f.verified;
        if (!stillThere) wrongBytes("verify", i);
      } else if (verified == TransferEnd::kVerifyFailed) {
        if (stillThere)
          ++f.verifyFalseAlarms;
        else
          ++f.verifyMismatchesCaught;
      } else {
        ++f.verifiesEnded;
        ++f.ends[int(verified)];
      }
    }
    if (i < options.reads) {
      ++f.reads;
      unseenBefore = unseen();
      if (!bench.session.Read("")) {
        std::fprintf(stderr, "read %d did not start\n", i);
        return 1;
      }
      const TransferEnd read = run();
      if (read == TransferEnd::kReadCompleted) {
        ++f.readsCompleted;
        const auto& got = bench.session.LastReadImage();
        if (!got || got->bytes != bench.controller.Memory().bytes) wrongBytes("read", i);
      } else {
        ++f.readsEnded;
        ++f.ends[int(read)];
      }
    }
    if ((i + 1) % 100 == 0) {
      std::fprintf(stderr, "%d of %d rounds\n", i + 1, operations);
    }
  }

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  const auto& link = bench.session.Link().Count();
  std::printf(
      "noise per byte and direction (ppm): drop %u, damage %u, duplicate %u at the "
      "middle level; levels 0, 1x, 3x in turn; %d controller turns per 100 ms\n",
      options.noise.dropPpm, options.noise.damagePpm, options.noise.duplicatePpm, options.turns);
  std::printf("operations: %d writes, %d verifies, %d reads\n", f.writes, f.verifies, f.reads);
  std::printf(
      "writes: %d completed (%d of them left wrong bytes, for the verify to find), %d ended "
      "with a reason\n",
      f.writesCompleted, f.writesLandedWrong, f.writesEnded);
  std::printf(
      "verifies: %d passed, %d differences caught, %d false alarms, %d ended with a reason\n",
      f.verified, f.verifyMismatchesCaught, f.verifyFalseAlarms, f.verifiesEnded);
  std::printf("reads: %d completed, %d ended with a reason\n", f.readsCompleted, f.readsEnded);
  for (int e = 0; e < 32; ++e)
    if (f.ends[e]) std::printf("  ended: %s (%d)\n", EndName(TransferEnd(e)), f.ends[e]);
  std::printf("faults injected: %llu bytes dropped, %llu damaged, %llu duplicated\n",
              (unsigned long long)(bench.toController.Dropped() + bench.toTool.Dropped()),
              (unsigned long long)(bench.toController.Damaged() + bench.toTool.Damaged()),
              (unsigned long long)(bench.toController.Duplicated() + bench.toTool.Duplicated()));
  std::printf("link: %u frames with a checksum error, %u bytes retransmitted, %u resyncs\n",
              link.checksumErrors, link.retransmits, link.syncs);
  std::printf("memory blocks: %llu requested, %llu requests sent again for a lost answer\n",
              (unsigned long long)f.requests, (unsigned long long)f.repeats);
  std::printf("frames whose damage the checksum and length could not see: %llu\n",
              (unsigned long long)unseen());
  std::printf("wrong bytes taken after such a frame: %d\n", f.throughUnseenDamage);
  std::printf("operations that never ended: %d\n", f.hangs);
  std::printf("silent corruptions: %d\n", f.silentCorruptions);
  std::printf("%.1f s\n", seconds);
  return f.silentCorruptions == 0 && f.hangs == 0 ? 0 : 1;
}
