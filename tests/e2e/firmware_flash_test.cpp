// vorelctl flash against the boot loaders of vorel-sim on a pseudo-terminal, with a
// firmware file made by GNU objcopy from binary data: a run ends "Completed, OK.", a
// corrupted byte in the loader's flash "Checksum error" and what the controller now
// holds, a silent loader "Timeout error!"; a controller that sits in its boot loader
// is reached as well.
#include <cstdlib>
#include <string>
#include <vector>

#include "support/SimulatorProcess.h"
#include "support/VorelctlRunner.h"

namespace vorel::test {
namespace {

class FlashTest : public VorelctlTest {
 protected:
  void SetUp() override {
    VorelctlTest::SetUp();
    // 0x1235 bytes from address 0: the last used byte is 0x1234.
    std::string code;
    for (int i = 0; i < 0x1235; ++i) code.push_back(static_cast<char>((i * 7 + 1) % 255));
    WriteFile(folder_ / "code.bin", code);
    const std::string objcopy = "objcopy -I binary -O ihex " + (folder_ / "code.bin").string() +
                                " " + (folder_ / "code.hex").string();
    ASSERT_EQ(std::system(objcopy.c_str()), 0);
  }
  RunResult Flash(const std::vector<std::string>& simArgs, const std::string& target) {
    SimulatorProcess sim(simArgs);
    return Run({"flash", "--port", sim.Device(), folder_ / "code.hex", "--target", target});
  }
};

TEST_F(FlashTest, BootLoadersAnswerTheRun) {
  const struct {
    std::vector<std::string> sim;
    std::string target;
    int exitCode;
    std::string out;
    std::string err;
  } cases[] = {
      {{}, "controller", 0, "Completed, OK.\n", ""},
      {{}, "trigger", 0, "Completed, OK.\n", ""},
      {{"--boot-fault", "waiting"}, "controller", 0, "Completed, OK.\n", ""},
      {{"--boot-fault", "corrupt"},
       "controller",
       1,
       "",
       "vorelctl: Checksum error\nvorelctl: The controller now holds incomplete firmware and "
       "does not run. Its boot loader waits for a new start: keep the controller powered and "
       "connected, and start the update again.\n"},
      {{"--boot-fault", "silent"}, "controller", 1, "", "vorelctl: Timeout error!\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target + (c.sim.empty() ? "" : " " + c.sim[1]));
    const RunResult result = Flash(c.sim, c.target);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
  }
  EXPECT_EQ(Run({"flash", "--port", "/dev/null", folder_ / "code.hex"}).exitCode, 2);
}

}  // namespace
}  // namespace vorel::test
