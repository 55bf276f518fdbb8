// vorelctl against vorel-sim's gateway on loopback: the system list, a rejected
// login, a refused connection, and a whole read through the gateway byte for byte.
#include <cstdlib>
#include <string>

#include "support/SimulatorProcess.h"
#include "support/VorelctlRunner.h"

namespace vorel::test {
namespace {

class GatewayTest : public VorelctlTest {
 protected:
  void SetUp() override {
    VorelctlTest::SetUp();
    setenv("VOREL_BACKUP_DIR", (folder_ / "backups").c_str(), 1);
    setenv("VOREL_GATEWAY_PASSWORD", "wash", 1);
    WriteFile(folder_ / "users.txt", "tech\twash\tA\nguest\tlook\tB\n");
    WriteFile(folder_ / "systems.txt",
              "4200\tLaundry North\t-\t10.1.2.3\n4300\tLaundry South\tAnna\tOffline\n");
  }
};

TEST_F(GatewayTest, SystemsAreListedAfterTheLogin) {
  SimulatorProcess sim({"--gateway", "--port", "0", "--users", folder_ / "users.txt", "--systems",
                        folder_ / "systems.txt"});
  ASSERT_FALSE(sim.Announced().empty());
  const RunResult listed = Run({"systems", "--gateway", sim.Announced(), "--user", "tech"});
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_EQ(listed.out, "4200\tLaundry North\t-\t10.1.2.3\n4300\tLaundry South\tAnna\tOffline\n");

  setenv("VOREL_GATEWAY_PASSWORD", "wrong", 1);
  const RunResult rejected = Run({"systems", "--gateway", sim.Announced(), "--user", "tech"});
  EXPECT_EQ(rejected.exitCode, 1);
  EXPECT_EQ(rejected.err, "vorelctl: Login rejected\n");
  EXPECT_EQ(Run({"systems", "--gateway", sim.Announced()}).exitCode, 2) << "no user";
  for (const char* address : {"gw:abc", "gw:0", ":15000", "[::1"}) {
    const RunResult wrong = Run({"systems", "--gateway", address, "--user", "tech"});
    EXPECT_EQ(wrong.exitCode, 2) << address;
    EXPECT_NE(wrong.err.find("--gateway takes HOST, HOST:PORT"), std::string::npos) << address;
  }
  EXPECT_EQ(
      Run({"read", "--gateway", sim.Announced(), "--user", "tech", "--system", "abc", "out.bin"})
          .exitCode,
      2);
}

TEST_F(GatewayTest, ARefusedConnectionIsReported) {
  // A port nobody listens on: the simulator is started and stopped to find one.
  SimulatorProcess sim({"--gateway", "--port", "0"});
  const std::string address = sim.Announced();
  sim.Stop();
  const RunResult refused = Run({"systems", "--gateway", address, "--user", "tech"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err.rfind("vorelctl: ", 0), 0u);
  EXPECT_NE(refused.err.find("refused"), std::string::npos) << refused.err;
}

TEST_F(GatewayTest, ReadThroughTheGatewayByteForByte) {
  WriteFile(folder_ / "site.xml", Golden());
  SimulatorProcess sim({"--gateway", "--port", "0", "--users", folder_ / "users.txt", "--systems",
                        folder_ / "systems.txt", "--system", folder_ / "site.xml", "--save",
                        folder_ / "memory.bin"});
  const RunResult read = Run({"read", "--gateway", sim.Announced(), "--user", "tech", "--system",
                              "4200", folder_ / "read.bin"});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  ASSERT_EQ(sim.Stop(), 0);
  EXPECT_EQ(ReadFile(folder_ / "read.bin"), ReadFile(folder_ / "memory.bin"));
  const RunResult offline = Run({"read", "--gateway", "127.0.0.1:1", "--user", "tech", "--system",
                                 "4300", folder_ / "other.bin"});
  EXPECT_EQ(offline.exitCode, 1);
}

}  // namespace
}  // namespace vorel::test
