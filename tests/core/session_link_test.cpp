// The session's run loop and the connection its work belongs to, on stepped ticks
// against a simulated controller: the tick order, work ended by a quiet controller,
// Close, a mode or port change and Stop, the write's closing command, and manual
// control that never outlives its connection.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/session/Session.h"
#include "core/simulation/SimulatedLine.h"

namespace vorel {
namespace {

constexpr LocalDateTime kNow{2026, 12, 9, 8, 0, 0, 3};
// The link-alive time and a request's repeats: the longest a quiet controller may
// keep any piece of work waiting.
constexpr int kQuietLimit = LinkEngine::kLinkAliveTicks + RequestHelper::kSlotTicks;

ControllerImage Memory(const std::string& loginCode = {}) {
  Session packer;
  packer.EditConfiguration(
      [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Quiet laundry"; });
  packer.PackImage(kNow);
  ControllerImage memory = packer.Image().image;
  std::copy(loginCode.begin(), loginCode.end(), memory.bytes.begin() + image::kSystemLoginCode);
  return memory;
}

struct Silent : TransferPrompts {
  std::vector<std::string> errors;
  bool AskUnsavedEdits() override { return true; }
  bool AskWriteDroppingTexts(const std::vector<std::pair<std::string, std::string>>&) override {
    return true;
  }
  void ShowTransferError(const std::string& text, bool) override { errors.push_back(text); }
};

struct Heard : SessionObserver {
  std::vector<std::string> calibrationStops;
  void CalibrationStopped(const std::string& why) override { calibrationStops.push_back(why); }
};

// The session on a line to a controller; a second controller waits to be plugged in.
struct Bench {
  Session session;
  sim::ControllerSimulator first{Memory(), {}};
  sim::ControllerSimulator second{Memory(), {}};
  sim::SimulatedLine line{first};
  Silent prompts;
  Heard heard;
  Attachment port = session.AttachSerialPort(line);
  Attachment answering = session.AttachTransferPrompts(prompts);
  Attachment hearing = session.Observe(heard);

  Bench() {
    session.SkipStartupDelay();
    session.SetPortName("ttyUSB0");
    session.SelectMode(true);
    Run(5);
  }
  void Tick() {
    for (int turn = 0; turn < 4; ++turn) line.Turn();
    session.Tick();
  }
  void Run(int ticks) {
    for (int t = 0; t < ticks; ++t) Tick();
  }
  // Ticks until `done` or `limit` ticks; the ticks taken.
  int RunUntil(const std::function<bool()>& done, int limit) {
    for (int t = 1; t <= limit; ++t) {
      Tick();
      if (done()) return t;
    }
    return limit + 1;
  }
  bool Busy() const { return session.Transfer().Busy(); }
  // The second controller at the end of the line, as after a reconnection.
  void PlugInSecond() {
    line.SetQuiet(false);
    line.Connect(second);
    Run(50);
  }
};

TEST(SessionLink, TheTickRunsInOneOrder) {
  struct Hooks : TickHooks {
    std::vector<std::string> calls;
    void UpdateCounters() override { calls.push_back("counters"); }
    bool Supervising() override {
      calls.push_back("supervising");
      return false;
    }
    void VisibleMachineTicks() override { calls.push_back("machines"); }
  } hooks;
  Session session;
  session.SelectMode(true);
  for (int n = 1; n <= 9; ++n) session.Tick(&hooks);
  EXPECT_EQ(hooks.calls, std::vector<std::string>(9, "machines")) << "local: no gateway poll";
  hooks.calls.clear();
  session.SelectMode(false);
  session.Tick(&hooks);
  EXPECT_EQ(hooks.calls, (std::vector<std::string>{"counters", "supervising", "machines"}));
}

TEST(SessionLink, AQuietControllerEndsEveryPieceOfWork) {
  const struct {
    const char* name;
    std::function<void(Bench&)> start;  // runs the work up to where the controller goes quiet
    const char* reason;                 // how the reason begins
  } cases[] = {
      {"write",
       [](Bench& b) {
         ASSERT_TRUE(b.session.Write("", {kNow, std::nullopt, 0}));
         b.RunUntil([&] { return b.session.Transfer().BytesDone() > 2000; }, 200);
       },
       "Connection lost after "},
      {"read",
       [](Bench& b) {
         ASSERT_TRUE(b.session.Read(""));
         b.RunUntil([&] { return b.session.Transfer().BytesDone() > 2000; }, 200);
       },
       "Connection lost after "},
      {"verify",
       [](Bench& b) {
         ASSERT_TRUE(b.session.Write("", {kNow, std::nullopt, 0}));
         b.RunUntil([&] { return !b.Busy(); }, 400);
         ASSERT_TRUE(b.session.Verify());
         b.RunUntil([&] { return b.session.Transfer().BytesDone() > 1000; }, 200);
       },
       "Connection lost after "},
      {"login code check", [](Bench& b) { ASSERT_TRUE(b.session.Read("CODE")); },
       "Connection lost while checking the login code"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench bench;
    c.start(bench);
    ASSERT_TRUE(bench.Busy());
    const uint32_t writes = bench.first.MemoryWrites();
    bench.line.SetQuiet(true);
    EXPECT_LE(bench.RunUntil([&] { return !bench.Busy(); }, kQuietLimit), kQuietLimit);
    const ImageTransfer& transfer = bench.session.Transfer();
    EXPECT_EQ(transfer.LastEnd(), TransferEnd::kConnectionLost);
    EXPECT_EQ(transfer.EndReason().rfind(c.reason, 0), 0u) << transfer.EndReason();
    EXPECT_EQ(bench.session.Buttons(), Session::TransferButtons{});
    ASSERT_EQ(bench.prompts.errors.size(), 1u) << "the box opens from a tick";
    EXPECT_EQ(bench.prompts.errors[0], transfer.EndReason());

    bench.PlugInSecond();
    EXPECT_TRUE(bench.session.LinkReady());
    EXPECT_FALSE(bench.Busy()) << "nothing resumes";
    EXPECT_EQ(bench.second.MemoryWrites(), 0u);
    EXPECT_EQ(bench.first.MemoryWrites(), writes);
    EXPECT_EQ(transfer.LastEnd(), TransferEnd::kConnectionLost) << "nothing reported done";
  }
}

TEST(SessionLink, CloseAModeOrAPortEndsAWriteAtOnce) {
  const struct {
    const char* name;
    std::function<void(Session&)> end;
  } cases[] = {
      {"Close", [](Session& s) { s.ClosePort(); }},
      {"Remote", [](Session& s) { s.SelectMode(false); }},
      {"another port", [](Session& s) { s.OpenPort("ttyUSB1"); }},
      {"Stop", [](Session& s) { s.StopTransfer(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench bench;
    ASSERT_TRUE(bench.session.Write("", {kNow, std::nullopt, 0}));
    bench.RunUntil([&] { return bench.session.Transfer().BytesDone() > 3000; }, 200);
    const size_t done = bench.session.Transfer().BytesDone();
    const size_t total = bench.session.Transfer().BytesTotal();
    c.end(bench.session);
    EXPECT_FALSE(bench.Busy());
    EXPECT_FALSE(bench.session.Link().PendingFull()) << "nothing waits in the slot";
    const std::string& reason = bench.session.Transfer().EndReason();
    EXPECT_NE(
        reason.find(" after " + std::to_string(done) + " of " + std::to_string(total) + " bytes. "),
        std::string::npos)
        << reason;
    EXPECT_NE(reason.find("partly written configuration"), std::string::npos) << reason;
    if (std::string(c.name) == "Close") {
      EXPECT_FALSE(bench.session.LinkReady()) << "at once";
    }

    if (!bench.session.LocalMode()) bench.session.SelectMode(true);
    if (!bench.session.PortOpen()) bench.session.OpenPort("ttyUSB0");
    bench.PlugInSecond();
    EXPECT_EQ(bench.second.MemoryWrites(), 0u) << "the stale block never reaches it";
  }
}

TEST(SessionLink, AWriteIsCompleteOnlyWhenTheClosingCommandArrived) {
  Bench done;
  ASSERT_TRUE(done.session.Write("", {kNow, std::nullopt, 0}));
  done.RunUntil([&] { return !done.Busy(); }, 400);
  EXPECT_EQ(done.session.Transfer().LastEnd(), TransferEnd::kWriteCompleted);
  EXPECT_EQ(done.first.LastControlCommand(), std::optional<uint8_t>(0x00));
  EXPECT_EQ(done.session.Transfer().View().panels[2], "Write completed");

  // Every block confirmed and the closing command sent, then silence before the
  // controller's next frame: never "Write completed".
  Bench quiet;
  ASSERT_TRUE(quiet.session.Write("", {kNow, std::nullopt, 0}));
  for (int turn = 1; quiet.session.Transfer().State() != TransferState::kSerialClosing; ++turn) {
    ASSERT_LT(turn, 2000);
    quiet.line.Turn();
    if (turn % 4 == 0) quiet.session.Tick();
  }
  quiet.line.SetQuiet(true);
  quiet.RunUntil([&] { return !quiet.Busy(); }, kQuietLimit);
  EXPECT_EQ(quiet.session.Transfer().LastEnd(), TransferEnd::kConnectionLost);
  EXPECT_EQ(quiet.session.Transfer().EndReason().rfind("Connection lost before the controller", 0),
            0u);
  EXPECT_NE(quiet.session.Transfer().View().panels[2], "Write completed");
}

TEST(SessionLink, ManualControlEndsWithItsConnection) {
  Bench bench;
  bench.session.PressPump(3, true);
  bench.session.OpenCalibration(2, 0);
  ASSERT_TRUE(bench.session.StartCalibration(30));
  bench.Run(5);
  EXPECT_GT(bench.first.OutputsSwitchedOn(), 0u) << "the pumps went on by hand";

  bench.line.SetQuiet(true);
  bench.Run(LinkEngine::kLinkAliveTicks + 1);
  EXPECT_FALSE(bench.session.LinkReady());
  EXPECT_EQ(bench.session.Manual().State(), ManualControlState{});
  EXPECT_EQ(bench.session.Manual().Buttons(), ManualButtons{});
  EXPECT_FALSE(bench.session.Calibration().Running());
  ASSERT_EQ(bench.heard.calibrationStops.size(), 1u);

  bench.PlugInSecond();
  EXPECT_EQ(bench.second.OutputsSwitchedOn(), 0u) << "the new controller keeps its own program";
}

TEST(SessionLink, AClosedPortIsNoLinkAndTakesNoRequest) {
  Bench bench;
  ASSERT_TRUE(bench.session.LinkReady());
  bench.session.ClosePort();
  EXPECT_FALSE(bench.session.LinkReady());
  EXPECT_EQ(bench.session.Buttons(), Session::TransferButtons{});
  EXPECT_EQ(bench.session.SendConsumptionLogReset(), Session::LogReset::kNotConnected);
  EXPECT_FALSE(bench.session.StartInfoRead());
  EXPECT_FALSE(bench.session.Link().PendingFull());

  // A reset waiting for its confirmation goes with the connection too.
  bench.session.OpenPort("ttyUSB0");
  bench.Run(5);
  ASSERT_EQ(bench.session.SendAlarmLogClear(), Session::LogReset::kSent);
  bench.session.ClosePort();
  bench.session.OpenPort("ttyUSB0");
  bench.line.Connect(bench.second);
  bench.Run(50);
  EXPECT_EQ(bench.second.RequestsServed(), 0u);
}

TEST(SessionLink, AFirmwareRunOutlivesAQuietControllerButNotAClosedPort) {
  // The controller's boot loader speaks outside frames: the link going quiet is
  // expected while it programs; the port closing is not.
  FirmwareImage image;
  image.bytes.assign(firmware::kImageSize, firmware::kErased);
  image.codeEnd = 0x100;
  image.roundedEnd = 0x100;
  Bench bench;
  bench.session.SetFirmwareWindowVisible(true);
  ASSERT_TRUE(bench.session.StartFirmware(image, kControllerTarget));
  bench.line.SetQuiet(true);
  bench.Run(LinkEngine::kLinkAliveTicks + 1);
  EXPECT_FALSE(bench.session.LinkReady());
  EXPECT_NE(bench.session.Programmer().Step(), 0) << "still waiting for the boot loader";
  bench.session.ClosePort();
  EXPECT_EQ(bench.session.Programmer().Step(), 0);
  EXPECT_EQ(bench.session.Programmer().StateText().rfind("Connection lost", 0), 0u);
}

TEST(SessionLink, InfoReadsTheHeaderAndTheSystemArea) {
  Bench bench;
  ASSERT_TRUE(bench.session.StartInfoRead());
  bench.RunUntil([&] { return bench.session.InfoReadState() != Session::InfoRead::kReading; }, 100);
  ASSERT_EQ(bench.session.InfoReadState(), Session::InfoRead::kDone);
  const auto& read = bench.session.InfoImage().bytes;
  const auto& held = bench.first.Memory().bytes;
  EXPECT_TRUE(std::equal(read.begin(), read.begin() + image::kMachineBlocks, held.begin()));
  EXPECT_EQ(read[image::kMachineBlocks], 0) << "nothing beyond the system area";

  ASSERT_TRUE(bench.session.StartInfoRead());
  bench.Run(1);
  bench.line.SetQuiet(true);
  bench.Run(kQuietLimit);
  EXPECT_EQ(bench.session.InfoReadState(), Session::InfoRead::kFailed);
}

}  // namespace
}  // namespace vorel
