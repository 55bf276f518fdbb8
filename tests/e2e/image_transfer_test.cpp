// vorelctl read and write against vorel-sim on a pseudo-terminal: the memory byte
// for byte, the packed image in the written range and the closing command, a wrong
// login code refused with nothing written, and a noisy line.
#include <cstdlib>
#include <string>
#include <vector>

#include "support/SimulatorProcess.h"
#include "support/VorelctlRunner.h"

namespace vorel::test {
namespace {

constexpr const char* kClock = "2026-12-08 09:30:00";
// The simulated controller takes its turns every 5 ms (a real one about every 20 ms):
// the same exchanges, in a quarter of the time.

class TransferTest : public VorelctlTest {
 protected:
  void SetUp() override {
    VorelctlTest::SetUp();
    setenv("VOREL_BACKUP_DIR", (folder_ / "backups").c_str(), 1);
    WriteFile(folder_ / "site.xml", Golden());
  }
  // The packed image of site.xml, as Write packs it.
  std::string Packed(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"convert", folder_ / "site.xml", folder_ / "packed.bin",
                                     "--clock", kClock};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_EQ(Run(args).exitCode, 0);
    return ReadFile(folder_ / "packed.bin");
  }
};

TEST_F(TransferTest, ReadGivesTheControllersMemoryByteForByte) {
  SimulatorProcess sim({"--cadence-ms", "5", "--system", folder_ / "site.xml", "--serial", "4711",
                        "--save", folder_ / "memory.bin"});
  const RunResult read = Run({"read", "--port", sim.Device(), folder_ / "read.bin"});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  const RunResult asFile = Run({"read", "--port", sim.Device(), folder_ / "read.xml"});
  EXPECT_EQ(asFile.exitCode, 0) << asFile.err;
  // A backup that cannot be kept is said, as the window says it; the read still counts.
  WriteFile(folder_ / "not-a-folder", "");
  setenv("VOREL_BACKUP_DIR", (folder_ / "not-a-folder").c_str(), 1);
  const RunResult unkept = Run({"read", "--port", sim.Device(), folder_ / "again.bin"});
  setenv("VOREL_BACKUP_DIR", (folder_ / "backups").c_str(), 1);
  EXPECT_EQ(unkept.exitCode, 0) << unkept.err;
  EXPECT_NE(unkept.err.find("vorelctl: warning: the read was not kept: "), std::string::npos)
      << unkept.err;
  ASSERT_EQ(sim.Stop(), 0);
  EXPECT_EQ(ReadFile(folder_ / "read.bin"), ReadFile(folder_ / "memory.bin"));
  EXPECT_NE(ReadFile(folder_ / "read.xml").find("<SystemName>Wash &amp; Dry</SystemName>"),
            std::string::npos);
  // Each read is kept, named by the controller's serial number.
  size_t kept = 0;
  for (const auto& entry : fs::directory_iterator(folder_ / "backups"))
    kept += entry.path().filename().string().rfind("4711_", 0) == 0;
  EXPECT_EQ(kept, 4u);
}

TEST_F(TransferTest, WriteLeavesThePackedImageAndTheClosingCommand) {
  SimulatorProcess sim({"--cadence-ms", "5", "--save", folder_ / "memory.bin", "--verbose"},
                       folder_ / "sim.err");
  const RunResult write =
      Run({"write", "--port", sim.Device(), folder_ / "site.xml", "--clock", kClock, "--verify"});
  ASSERT_EQ(write.exitCode, 0) << write.err;
  ASSERT_EQ(sim.Stop(), 0);
  const std::string packed = Packed();
  const std::string memory = ReadFile(folder_ / "memory.bin");
  // "Wrote N bytes (32..E), verified"
  const size_t dots = write.out.find("..");
  ASSERT_NE(dots, std::string::npos) << write.out;
  const size_t end = std::stoul(write.out.substr(dots + 2)) + 1;
  EXPECT_EQ(write.out.substr(0, 6), "Wrote ");
  EXPECT_NE(write.out.find("verified"), std::string::npos);
  EXPECT_EQ(memory.substr(32, end - 32), packed.substr(32, end - 32));
  EXPECT_NE(ReadFile(folder_ / "sim.err").find("control command 0x00"), std::string::npos);
}

TEST_F(TransferTest, WrongLoginCodeWritesNothing) {
  Packed({"--master-code", "SECRET"});
  fs::rename(folder_ / "packed.bin", folder_ / "coded.bin");
  SimulatorProcess sim(
      {"--cadence-ms", "5", "--system", folder_ / "coded.bin", "--save", folder_ / "memory.bin"});
  const RunResult before =
      Run({"read", "--port", sim.Device(), folder_ / "before.bin", "--login-code", "SECRET"});
  EXPECT_EQ(before.exitCode, 0) << before.err;
  const RunResult wrong = Run({"write", "--port", sim.Device(), folder_ / "site.xml",
                               "--login-code", "OTHER", "--clock", kClock});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_EQ(wrong.err, "vorelctl: Wrong System login code\n");
  ASSERT_EQ(sim.Stop(), 0);
  EXPECT_EQ(ReadFile(folder_ / "memory.bin"), ReadFile(folder_ / "before.bin"))
      << "nothing was written";
}

TEST_F(TransferTest, NoisyLineNeverSucceedsWithWrongBytes) {
  // Each of these may end an operation on a line that loses or damages one frame in
  // thirty: the login code check gets no answer within its 2 s (the request and the
  // one sent again after 1 s both lost), or a read runs past its 20 s. (The heavier
  // noise is the soak's and the stepped transfer tests', which need no wall clock.)
  const auto reasoned = [](const std::string& err) {
    return err == "vorelctl: Timeout!\n" || err == "vorelctl: Unable to check Login code.\n";
  };
  SimulatorProcess sim({"--cadence-ms", "5", "--system", folder_ / "site.xml", "--faults", "3",
                        "--seed", "5", "--save", folder_ / "memory.bin"});
  const RunResult write =
      Run({"write", "--port", sim.Device(), folder_ / "site.xml", "--clock", kClock, "--verify"});
  if (write.exitCode != 0) {
    EXPECT_EQ(write.exitCode, 1);
    EXPECT_TRUE(reasoned(write.err)) << write.err;
  }
  const RunResult read = Run({"read", "--port", sim.Device(), folder_ / "read.bin"});
  ASSERT_EQ(sim.Stop(), 0);
  // One lost frame in thirty does not end both.
  EXPECT_TRUE(write.exitCode == 0 || read.exitCode == 0) << write.err << read.err;
  if (read.exitCode == 0) {
    EXPECT_EQ(ReadFile(folder_ / "read.bin"), ReadFile(folder_ / "memory.bin"));
  } else {
    EXPECT_EQ(read.exitCode, 1);
    EXPECT_TRUE(reasoned(read.err)) << read.err;
    EXPECT_FALSE(fs::exists(folder_ / "read.bin"));
  }
}

}  // namespace
}  // namespace vorel::test
