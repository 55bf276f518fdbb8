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

// vorel-sim names a wrong option and its value, takes --name=VALUE, refuses values
// it would otherwise wrap, and never serves its line into a regular file.
TEST_F(VorelctlTest, TheSimulatorRefusesWhatItCannotServe) {
  const std::string demo =
      "<TL4200system><MainSetup><SystemName>Demo</SystemName>"
      "</MainSetup></TL4200system>";
  WriteFile(folder_ / "demo.xml", demo);
  const struct {
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {{"--hardware", "256"}, "vorel-sim: --hardware 256: takes 0..255"},
      {{"--hardware=300"}, "vorel-sim: --hardware 300: takes 0..255"},
      {{"--firmware", "1.x"}, "vorel-sim: --firmware 1.x: takes MAJOR.MINOR"},
      {{"--device", folder_ / "demo.xml"}, ": is not a serial device"},
      {{"--device", folder_ / "none"}, ": no such device"},
      {{"--save", folder_ / "no" / "such.bin"}, "no/such.bin: the folder"},
      {{"--bogus", "1"}, "vorel-sim: unknown option --bogus"},
      {{"--paced=yes"}, "vorel-sim: --paced takes no value"},
      {{"--speed", "1001"}, "vorel-sim: --speed 1001: takes 0..1000"},
      {{"--gateway", "--speed=-1"}, "vorel-sim: --speed -1: takes 0..1000"},
      {{"--port", "80"}, "vorel-sim: a gateway option given without --gateway"},
  };
  const fs::path err = folder_ / "err.txt";
  for (const auto& c : cases) {
    std::string command = ShellQuoted(VOREL_SIM_PATH);
    for (const std::string& arg : c.args) command += " " + ShellQuoted(arg);
    const int status = std::system((command + " 2>" + ShellQuoted(err) + " </dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), 2) << command;
    EXPECT_NE(ReadFile(err).find(c.said), std::string::npos) << ReadFile(err);
  }
  EXPECT_EQ(ReadFile(folder_ / "demo.xml"), demo);
}

}  // namespace
}  // namespace vorel::test
