// Reading and writing the controller's memory through the session, against the
// controller simulator on an in-process line and against a scripted gateway: block
// counts, ranges, the time limits, the login code checks, lost and damaged frames.
#include <gtest/gtest.h>

#include <random>

#include "core/session/Session.h"
#include "core/simulation/ControllerSimulator.h"
#include "core/simulation/SimulatedLine.h"
#include "support/ScriptedGateway.h"

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr LocalDateTime kNow{2026, 12, 8, 9, 30, 0, 1};

struct Prompts : TransferPrompts {
  bool writeDropped = true;
  std::vector<std::string> errors;
  bool AskUnsavedEdits() override { return true; }
  bool AskWriteDroppingTexts(const std::vector<std::pair<std::string, std::string>>&) override {
    return writeDropped;
  }
  void ShowTransferError(const std::string& text, bool) override { errors.push_back(text); }
};

// The controller's memory: a packed system with a name, its logs filled with a pattern.
ControllerImage SeededMemory(const std::string& loginCode = {}) {
  Session packer;
  packer.EditConfiguration(
      [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Seeded laundry"; });
  packer.PackImage(kNow);
  ControllerImage memory = packer.Image().image;
  for (size_t i = image::kAlarmLog; i < image::kSize; ++i) memory.bytes[i] = uint8_t(i * 7 + 3);
  std::copy(loginCode.begin(), loginCode.end(), memory.bytes.begin() + image::kSystemLoginCode);
  return memory;
}

// The session on a serial line to a simulated controller: `turns` controller turns
// per 100 ms tick.
struct SerialBench {
  Session session;
  sim::ControllerSimulator controller;
  sim::SimulatedLine line{controller};
  Prompts prompts;
  int turns;
  Attachment port = session.AttachSerialPort(line);
  Attachment answering = session.AttachTransferPrompts(prompts);

  explicit SerialBench(const ControllerImage& memory, int faultPercent = 0, int turnsPerTick = 5,
                       AccessFlags access = {})
      : session(access), controller(memory, {faultPercent, 11}), turns(turnsPerTick) {
    session.SkipStartupDelay();
    session.SelectMode(true);
    Run(10);  // the link comes up
  }
  // One 100 ms tick with the controller's turns on the line before it.
  void Tick() {
    for (int k = 0; k < turns; ++k) line.Turn();
    session.Tick();
  }
  // Ticks until the transfer is idle, at most `ticks`; returns the ticks taken.
  int Run(int ticks) {
    for (int t = 1; t <= ticks; ++t) {
      Tick();
      if (!session.Transfer().Busy()) return t;
    }
    return ticks;
  }
};

TEST(ImageTransfer, SerialReadTakesTheWholeMemoryIn256Blocks) {
  SerialBench bench(SeededMemory());
  ASSERT_TRUE(bench.session.Read(""));
  bench.Run(400);
  EXPECT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kReadCompleted);
  EXPECT_EQ(bench.session.Transfer().SerialRequests(), 256);
  ASSERT_TRUE(bench.session.LastReadImage());
  EXPECT_EQ(bench.session.LastReadImage()->bytes, bench.controller.Memory().bytes);
  EXPECT_EQ(bench.session.Configuration().MainSetup.SystemName, "Seeded laundry");
  EXPECT_EQ(bench.session.Transfer().View().panels[2], "Read completed");
  EXPECT_EQ(bench.session.Transfer().View().progress, "100.0 %");
}

TEST(ImageTransfer, AReadOfAForeignFormatIsNotCompleted) {
  ControllerImage foreign = SeededMemory();
  foreign.bytes[5] = 2;  // data format 2.0
  foreign.bytes[6] = 0;
  SerialBench bench(foreign);
  ASSERT_TRUE(bench.session.Read(""));
  bench.Run(400);
  EXPECT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kBadFormat);
  EXPECT_EQ(bench.session.Transfer().View().panels[2], "Read not taken");
  EXPECT_EQ(bench.prompts.errors, std::vector<std::string>{"Bad data format or version: 2.0"});
  EXPECT_FALSE(bench.session.LastReadImage());
}

TEST(ImageTransfer, SerialWriteOfAnEmptySystemAndItsVerify) {
  SerialBench bench(SeededMemory());
  bench.session.NewSystem(kNow);
  ASSERT_TRUE(bench.session.Write("", {kNow, std::nullopt, 0}));
  bench.Run(400);
  EXPECT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kWriteCompleted);
  EXPECT_EQ(bench.session.Transfer().RangeStart(), 32u);
  EXPECT_EQ(bench.session.Transfer().RangeEnd(), 15648u);
  EXPECT_EQ(bench.session.Transfer().SerialRequests(), 122);
  bench.Run(5);  // the closing command goes with the next poll
  EXPECT_EQ(bench.controller.LastControlCommand(), std::optional<uint8_t>(0x00));
  const auto& written = bench.session.Image().image.bytes;
  const auto& memory = bench.controller.Memory().bytes;
  EXPECT_TRUE(std::equal(written.begin() + 32, written.begin() + 15648, memory.begin() + 32));
  EXPECT_EQ(memory[image::kAlarmLog], SeededMemory().bytes[image::kAlarmLog]) << "logs untouched";
  ASSERT_TRUE(bench.session.Verify());
  bench.Run(400);
  EXPECT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kVerified);
}

TEST(ImageTransfer, LostAndDamagedFramesNeverGiveWrongBytes) {
  // A lost answer costs a second before the request goes again, so on a bad line a
  // whole read may run out of its 20 s; it then changes nothing. Whatever ends, no
  // wrong byte is ever taken or left in the controller.
  for (const uint32_t seed : {3u, 11u}) {
    SCOPED_TRACE(seed);
    SerialBench bench(SeededMemory(), /*faultPercent=*/10);
    bench.controller = sim::ControllerSimulator(SeededMemory(), {10, seed});
    bench.Run(10);
    ASSERT_TRUE(bench.session.Read(""));
    bench.Run(400);
    const TransferEnd read = bench.session.Transfer().LastEnd();
    EXPECT_TRUE(read == TransferEnd::kReadCompleted || read == TransferEnd::kTimeout);
    EXPECT_GT(bench.session.Transfer().SerialRepeats(), 0) << "lost answers are asked again";
    if (read == TransferEnd::kReadCompleted) {
      EXPECT_EQ(bench.session.LastReadImage()->bytes, bench.controller.Memory().bytes);
    }
    bench.session.EditConfiguration(
        [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Written through noise"; });
    ASSERT_TRUE(bench.session.Write("", {kNow, std::nullopt, 0}));
    bench.Run(1000);
    ASSERT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kWriteCompleted);
    const auto& written = bench.session.Image().image.bytes;
    EXPECT_TRUE(std::equal(written.begin() + 32, written.begin() + 15648,
                           bench.controller.Memory().bytes.begin() + 32));
    ASSERT_TRUE(bench.session.Verify());
    bench.Run(400);
    EXPECT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kVerified);
  }
}

TEST(ImageTransfer, ReadLimitIsTwentySecondsWhateverArrives) {
  // One controller turn per tick: blocks keep coming, but 256 of them need longer.
  SerialBench bench(SeededMemory(), 0, /*turnsPerTick=*/1);
  bench.session.ClearAll();
  ASSERT_TRUE(bench.session.Read(""));
  int ticks = 0;
  while (bench.session.Transfer().State() != TransferState::kSerialRead && ticks < 50) {
    bench.Run(1);
    ++ticks;
  }
  const int taken = bench.Run(400);
  EXPECT_EQ(taken, transfer::kSerialReadTicks);
  EXPECT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kTimeout);
  EXPECT_EQ(bench.session.Transfer().View().stateInfo, "Timeout!");
  EXPECT_EQ(bench.session.Transfer().EndText(), "Timeout!") << "vorelctl says what the window says";
  EXPECT_GT(bench.session.Transfer().Cursor(), 0u);
  EXPECT_FALSE(bench.session.Image().ImageValid) << "a read cut short changes nothing";
}

TEST(ImageTransfer, LoginCodeCheckBeforeASerialWrite) {
  const struct {
    const char* name;
    std::string controllerCode;
    std::string typed;
    bool master;
    TransferEnd end;
  } cases[] = {
      {"no code in the controller", "", "ANY", false, TransferEnd::kWriteCompleted},
      {"the same code", "SECRET", "SECRET", false, TransferEnd::kWriteCompleted},
      {"another code", "SECRET", "OTHER", false, TransferEnd::kWrongLoginCode},
      {"master mode is never asked", "SECRET", "", true, TransferEnd::kWriteCompleted},
      // Nine letters in the area: the code is its first eight, as after a gateway read.
      {"the code's eight characters", "ABCDEFGHI", "ABCDEFGH", false, TransferEnd::kWriteCompleted},
      {"not the ninth", "ABCDEFGHI", "ABCDEFGHI", false, TransferEnd::kWrongLoginCode},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SerialBench bench(SeededMemory(c.controllerCode), 0, 5, AccessFlags{false, c.master});
    const Bytes before(bench.controller.Memory().bytes.begin(),
                       bench.controller.Memory().bytes.end());
    ASSERT_TRUE(bench.session.Write(c.typed, {kNow, "NEWCODE", 0}));
    bench.Run(400);
    EXPECT_EQ(bench.session.Transfer().LastEnd(), c.end);
    const auto& memory = bench.controller.Memory().bytes;
    if (c.end == TransferEnd::kWrongLoginCode) {
      EXPECT_EQ(bench.prompts.errors, std::vector<std::string>{"Wrong System login code"});
      EXPECT_TRUE(std::equal(memory.begin(), memory.end(), before.begin())) << "nothing written";
    } else if (c.master) {
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(&memory[image::kSystemLoginCode])),
                "NEWCODE");
    }
  }
}

TEST(ImageTransfer, NoAnswerToTheLoginCheckAndStopDuringIt) {
  SerialBench silent(SeededMemory(), /*faultPercent=*/100);
  ASSERT_TRUE(silent.session.Write("", {kNow, std::nullopt, 0}));
  EXPECT_EQ(silent.Run(100), transfer::kLoginCheckTicks);
  EXPECT_EQ(silent.session.Transfer().LastEnd(), TransferEnd::kNoLoginAnswer);
  EXPECT_EQ(silent.prompts.errors.at(0), "Unable to check Login code.\n\nNo response from System");

  SerialBench stopped(SeededMemory(), 100);
  ASSERT_TRUE(stopped.session.Write("", {kNow, std::nullopt, 0}));
  stopped.Run(3);
  stopped.session.StopTransfer();
  stopped.Run(30);
  EXPECT_EQ(stopped.session.Transfer().LastEnd(), TransferEnd::kStopped) << "Stop is no pass";
  EXPECT_EQ(stopped.session.Transfer().View().stateInfo, "Stopped");
  EXPECT_EQ(stopped.session.Transfer().EndText().rfind("Stopped after ", 0), 0u)
      << stopped.session.Transfer().EndText();
}

TEST(ImageTransfer, TextsThatDoNotFitAreAskedAbout) {
  SerialBench bench(SeededMemory());
  bench.session.EditConfiguration([](SystemConfiguration& config) {
    for (MachineSettings& machine : config.MachineData)
      for (ProgramRecord& program : machine.Programs)
        for (std::string& comment : program.LineComments) comment = std::string(40, 'x');
  });
  bench.prompts.writeDropped = false;
  ASSERT_TRUE(bench.session.Write("", {kNow, std::nullopt, 0}));
  bench.Run(50);
  EXPECT_EQ(bench.session.Transfer().LastEnd(), TransferEnd::kCancelled);
  EXPECT_FALSE(bench.session.Image().droppedTexts.empty());
  EXPECT_EQ(bench.session.Transfer().SerialRequests(), 0);
}

// The gateway side, scripted: the session logged in to an online system.
struct GatewayBench : test::ScriptedGateway {
  Session session;
  Prompts prompts;

  Attachment answering;

  explicit GatewayBench(const std::string& access, AccessFlags flags = {}) : session(flags) {
    answering = session.AttachTransferPrompts(prompts);
    LogIn(session, access[0]);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) session.Tick();
  }
  void SendImage(const ControllerImage& memory) {
    for (size_t at = 0; at < memory.bytes.size(); at += 1024) {
      Bytes block = {'B', 'H', uint8_t(at), uint8_t(at >> 8), 0x00, 0x04};
      block.insert(block.end(), memory.bytes.begin() + at, memory.bytes.begin() + at + 1024);
      Feed(block);
    }
  }
};

TEST(ImageTransfer, GatewayWriteIsPacedBlocksThenTheChecksum) {
  for (const bool rightSum : {true, false}) {
    GatewayBench gateway("A");
    EXPECT_TRUE(gateway.session.Buttons().write);
    gateway.session.NewSystem(kNow);
    ASSERT_TRUE(gateway.session.Write("", {kNow, std::nullopt, 0}));
    std::vector<int> blockTicks;
    for (int tick = 0; tick < 500 && gateway.sent.size() < 80; ++tick) {
      const size_t before = gateway.sent.size();
      gateway.Ticks(1);
      if (gateway.sent.size() > before) blockTicks.push_back(tick);
    }
    ASSERT_EQ(gateway.sent.size(), 80u);  // 78 × 200, 1 × 16, the checksum request
    for (size_t i = 0; i < 78; ++i) EXPECT_EQ(gateway.sent[i][4], 200);
    EXPECT_EQ(gateway.sent[78][4], 16);
    EXPECT_EQ(gateway.sent[79], GatewayImageChecksumRequestMessage());
    for (size_t i = 1; i < blockTicks.size(); ++i)
      EXPECT_GE(blockTicks[i] - blockTicks[i - 1], transfer::kGatewayWriteGapTicks);
    uint16_t sum = 0;
    const auto& bytes = gateway.session.Image().image.bytes;
    for (size_t i = 32; i < 15648; ++i) sum = uint16_t(sum + bytes[i]);
    if (!rightSum) ++sum;
    gateway.Feed(Bytes{'C', 'S', uint8_t(sum), uint8_t(sum >> 8)});
    EXPECT_EQ(gateway.session.Transfer().View().progress,
              rightSum ? "Confirm received - OK" : "Confirm received - bad checksum!");
  }
  GatewayBench readOnly("B");
  EXPECT_EQ(readOnly.session.Buttons(), (Session::TransferButtons{true, false, false}));
  // A serial number is written over the serial link only: refused at once, not busy.
  EXPECT_FALSE(readOnly.session.WriteSerial({kNow, std::nullopt, 99}));
  EXPECT_FALSE(readOnly.session.Transfer().Busy());
  EXPECT_EQ(readOnly.prompts.errors.size(), 1u);
  EXPECT_TRUE(readOnly.sent.empty());
}

TEST(ImageTransfer, GatewayReadComparesTheLoginCodeUnlessMaster) {
  const struct {
    bool master;
    const char* held;
    const char* typed;
    TransferEnd end;
    const char* name;
  } cases[] = {{false, "THEIRS", "MINE", TransferEnd::kWrongLoginCode, ""},
               {true, "THEIRS", "MINE", TransferEnd::kReadCompleted, "Seeded laundry"},
               // The same rule as over the serial link: the code is the first eight.
               {false, "ABCDEFGHI", "ABCDEFGH", TransferEnd::kReadCompleted, "Seeded laundry"},
               {false, "ABCDEFGHI", "ABCDEFGHI", TransferEnd::kWrongLoginCode, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    GatewayBench gateway("A", AccessFlags{false, c.master});
    ASSERT_TRUE(gateway.session.Read(c.typed));
    gateway.Ticks(1);
    ASSERT_EQ(gateway.sent.back(), GatewayImageReadMessage());
    gateway.SendImage(SeededMemory(c.held));
    gateway.Ticks(1);
    EXPECT_EQ(gateway.session.Transfer().LastEnd(), c.end);
    EXPECT_EQ(gateway.session.Configuration().MainSetup.SystemName, c.name);
  }
  GatewayBench outOfOrder("A");
  ASSERT_TRUE(outOfOrder.session.Read(""));
  outOfOrder.Ticks(1);
  outOfOrder.Feed(Bytes{'B', 'H', 0x10, 0x00, 0x01, 0x00, 0xAA});
  EXPECT_EQ(outOfOrder.session.Transfer().View().panels[2], "Transfer faild at: 0");
  EXPECT_EQ(outOfOrder.session.Transfer().EndText(), "Transfer faild at: 0");
  EXPECT_EQ(outOfOrder.session.Transfer().LastEnd(), TransferEnd::kFailedAt);
}

TEST(ImageTransfer, RandomGatewayMessagesAreReadOnlyWithinWhatArrived) {
  // Every gateway type the tool reads a payload of, with random lengths and bytes,
  // while a read is running: under the sanitizers any read past a message's end fails
  // here. (A rejected login carries nothing and would end the connection.)
  const std::array<std::array<uint8_t, 2>, 8> types = {
      gateway::kSystemEntry,      gateway::kSelectResult,   gateway::kSystemAddress,
      gateway::kImageBlock,       gateway::kImageChecksum,  gateway::kStatusReport,
      gateway::kMachineResetDone, gateway::kAlarmLogCleared};
  GatewayBench gateway("A");
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    if (!gateway.session.Transfer().Busy()) gateway.session.Read("");
    gateway.Ticks(1);
    const auto& type = types[random() % types.size()];
    Bytes message(type.begin(), type.end());
    message.resize(2 + random() % 200);
    for (size_t i = 2; i < message.size(); ++i) message[i] = uint8_t(random());
    gateway.Feed(message);
  }
  EXPECT_FALSE(gateway.session.Remote().View().address.empty());
}

}  // namespace
}  // namespace vorel
