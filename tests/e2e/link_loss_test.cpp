// vorelctl when the other end misbehaves: the controller killed or gone quiet in the
// middle of a read or a write, Ctrl+C in the middle of a read, a gateway that
// accepts and never answers, and the gateway refusals that must come before
// anything is sent (a lone free system never chosen unasked, a read-only login
// asked to write).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "support/BackgroundVorelctl.h"
#include "support/SimulatorProcess.h"
#include "support/VorelctlRunner.h"

namespace vorel::test {
namespace {

constexpr const char* kClock = "2026-12-09 08:00:00";

class LinkLossTest : public VorelctlTest {
 protected:
  void SetUp() override {
    VorelctlTest::SetUp();
    setenv("VOREL_BACKUP_DIR", (folder_ / "backups").c_str(), 1);
    setenv("VOREL_GATEWAY_PASSWORD", "wash", 1);
    WriteFile(folder_ / "site.xml", Golden());
  }
};

TEST_F(LinkLossTest, AControllerLostMidwayEndsTheWorkWithItsReason) {
  // A write takes about 3 s on the simulator's default cadence, a read about 5 s:
  // the plug is pulled well inside both.
  const struct {
    const char* name;
    bool read;
    bool killed;  // killed (its line vanishes), or stopped (quiet, the line stays)
    const char* reason;
  } cases[] = {
      {"write, controller killed", false, true, "vorelctl: Connection lost after "},
      {"write, controller quiet", false, false, "vorelctl: Connection lost after "},
      {"read, controller killed", true, true, "vorelctl: Connection lost after "},
      {"read, controller quiet", true, false, "vorelctl: Connection lost after "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatorProcess sim({}, folder_ / "sim.err");
    ASSERT_FALSE(sim.Device().empty());
    Background job(
        c.read ? std::vector<std::string>{"read", "--port", sim.Device(), folder_ / "read.bin"}
               : std::vector<std::string>{"write", "--port", sim.Device(), folder_ / "site.xml",
                                          "--clock", kClock},
        folder_);
    Sleep(1500);
    if (c.killed) {
      sim.Stop();
    } else {
      sim.Pause();
    }
    double seconds = 0;
    const RunResult result = job.Wait(std::chrono::seconds(15), seconds);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(result.err.rfind(c.reason, 0), 0u) << result.err;
    EXPECT_EQ(result.out, "") << "no success line";
    EXPECT_FALSE(fs::exists(folder_ / "read.bin"));
    if (!c.read) {
      EXPECT_NE(result.err.find("partly written configuration"), std::string::npos);
    }
  }
}

TEST_F(LinkLossTest, CtrlCStopsAReadAndWritesNothing) {
  SimulatorProcess sim({});
  Background job({"read", "--port", sim.Device(), folder_ / "read.bin"}, folder_);
  Sleep(1500);
  job.Signal(SIGINT);
  double seconds = 0;
  const RunResult result = job.Wait(std::chrono::seconds(10), seconds);
  EXPECT_EQ(result.exitCode, 130) << result.err;
  EXPECT_LT(seconds, 3.0);
  EXPECT_EQ(result.err.rfind("vorelctl: Stopped after ", 0), 0u) << result.err;
  EXPECT_NE(result.err.find(" of 32768 bytes"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(folder_ / "read.bin"));
}

TEST_F(LinkLossTest, AWriteEndsOnlyOnceTheClosingCommandArrived) {
  SimulatorProcess sim({"--cadence-ms", "5", "--verbose"}, folder_ / "sim.err");
  const RunResult write =
      Run({"write", "--port", sim.Device(), folder_ / "site.xml", "--clock", kClock});
  ASSERT_EQ(write.exitCode, 0) << write.err;
  // Read while the simulator still runs: the command was there before vorelctl ended.
  EXPECT_NE(ReadFile(folder_ / "sim.err").find("control command 0x00"), std::string::npos);
}

// A TCP port that takes connections and never says a word.
class SilentServer {
 public:
  SilentServer() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 4);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { close(fd_); }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

TEST_F(LinkLossTest, AGatewayThatNeverAnswersEndsWithinItsLimit) {
  SilentServer server;
  const auto started = Clock::now();
  const RunResult read = Run({"read", "--gateway", server.Address(), "--user", "tech", "--system",
                              "4200", folder_ / "read.bin"});
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  EXPECT_EQ(read.exitCode, 1);
  EXPECT_EQ(read.err, "vorelctl: No answer from the gateway\n");
  EXPECT_LT(seconds, 20.0);
  EXPECT_FALSE(fs::exists(folder_ / "read.bin"));
}

TEST_F(LinkLossTest, TheGatewayRefusalsComeBeforeAnythingIsSent) {
  WriteFile(folder_ / "users.txt", "tech\twash\tA\nguest\twash\tB\n");
  WriteFile(folder_ / "one.txt", "4200\tLaundry North\t-\t10.1.2.3\n");
  WriteFile(folder_ / "busy.txt", "4200\tLaundry North\tAnna\t10.1.2.3\n");
  const struct {
    const char* name;
    const char* systems;
    std::vector<std::string> args;
    int exitCode;
    const char* err;
  } cases[] = {
      {"listing chooses nothing, not even a lone free system",
       "one.txt",
       {"systems", "--user", "tech"},
       0,
       ""},
      {"a serial nobody listed is not replaced by the lone free one",
       "one.txt",
       {"read", "--user", "tech", "--system", "9999", "x.bin"},
       1,
       "vorelctl: the gateway does not list system 9999\n"},
      {"a system in use elsewhere is refused",
       "busy.txt",
       {"read", "--user", "tech", "--system", "4200", "x.bin"},
       1,
       "vorelctl: System 4200 is in use (Anna)\n"},
      {"a read-only login may not write",
       "one.txt",
       {"write", "--user", "guest", "--system", "4200", "site.xml", "--clock", kClock},
       1,
       "vorelctl: Read-only access: this login may not write\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatorProcess sim({"--gateway", "--port", "0", "--users", folder_ / "users.txt", "--systems",
                          folder_ / c.systems, "--verbose"},
                         folder_ / "gateway.err");
    std::vector<std::string> args = c.args;
    args.insert(args.begin() + 1, {"--gateway", sim.Announced()});
    for (std::string& arg : args) {
      if (arg == "site.xml" || arg == "x.bin") arg = folder_ / arg;
    }
    const RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    if (c.exitCode != 0) {
      EXPECT_EQ(result.err, c.err);
    }
    sim.Stop();
    const std::string served = ReadFile(folder_ / "gateway.err");
    EXPECT_NE(served.find("accepted"), std::string::npos) << served;
    // The write's case: the gateway selects the system (so it can say the access) and
    // nothing more reaches it.
    EXPECT_EQ(served.find("image"), std::string::npos) << served;
    if (c.args[0] != "write") {
      EXPECT_EQ(served.find("select"), std::string::npos) << served;
    }
    EXPECT_FALSE(fs::exists(folder_ / "x.bin"));
  }
}

}  // namespace
}  // namespace vorel::test
