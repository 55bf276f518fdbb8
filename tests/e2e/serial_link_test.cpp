// The real serial port adapter and link engine (through vorelctl info) against the
// controller simulator on a pseudo-terminal: identity read back, lost and damaged
// frames survived, a silent controller reported.
#include <string>
#include <vector>

#include "support/SimulatorProcess.h"
#include "support/VorelctlRunner.h"

namespace vorel::test {
namespace {

using Simulator = SimulatorProcess;

TEST_F(VorelctlTest, InfoReadsTheControllerOverThePseudoTerminal) {
  WriteFile(folder_ / "site.xml", Golden());
  Simulator sim({"--system", folder_ / "site.xml", "--serial", "123456", "--hardware", "4",
                 "--firmware", "3.7", "--clock", "2026-12-08 09:30:05"});
  ASSERT_FALSE(sim.Device().empty());
  const RunResult result = Run({"info", "--port", sim.Device()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "Serial: 123456\nHardware version: 4\nFirmware version: 3.7\nData format: 1.1\n"
            "System name: Wash & Dry\nTL4200 watch: 2026-12-08  09:30:05\n");
}

TEST_F(VorelctlTest, InfoSurvivesLostAndDamagedFrames) {
  for (const char* seed : {"2"}) {
    SCOPED_TRACE(seed);
    Simulator sim({"--serial", "77", "--faults", "10", "--seed", seed});
    const RunResult result = Run({"info", "--port", sim.Device(), "--timeout", "10"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("Serial: 77\n", 0), 0u) << result.out;
  }
}

TEST_F(VorelctlTest, InfoSaysWhenNoControllerAnswers) {
  Simulator sim({"--serial", "1"});
  sim.Pause();
  const RunResult silent = Run({"info", "--port", sim.Device(), "--timeout", "1"});
  EXPECT_EQ(silent.exitCode, 1);
  EXPECT_EQ(silent.err, "vorelctl: No answer from the controller\n");

  const RunResult missing = Run({"info", "--port", folder_ / "ttyNone"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find(": " + (folder_ / "ttyNone").string()), std::string::npos)
      << missing.err;
  EXPECT_EQ(Run({"info"}).exitCode, 2);
}

}  // namespace
}  // namespace vorel::test
