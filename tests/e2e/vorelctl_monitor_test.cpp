// vorelctl monitor against vorel-sim's moving laundry: the changes as lines and the
// reports as JSON Lines, the end of the duration, and a simulator killed underneath.
#include <set>
#include <sstream>

#include "support/BackgroundVorelctl.h"
#include "support/SimulatorProcess.h"
#include "support/VorelctlRunner.h"

namespace vorel::test {
namespace {

class VorelctlMonitorTest : public VorelctlTest {
 protected:
  // The test system with machine 1 running its program 1 (a dose of pump 3, then a
  // jump back to it) fifty times faster than real.
  std::vector<std::string> MovingLaundry() {
    std::string system = Golden();
    const auto set = [&system](const std::string& from, const std::string& to) {
      const size_t at = system.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      system.replace(at, from.size(), to);
    };
    set("<DefaultProgram>0</DefaultProgram>", "<DefaultProgram>1</DefaultProgram>");
    set("<Active>False</Active>", "<Active>True</Active>");
    WriteFile(folder_ / "running.xml", system);
    return {"--system", (folder_ / "running.xml").string(), "--speed", "50"};
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST_F(VorelctlMonitorTest, PrintsWhatTheLaundryDoesThenEnds) {
  SimulatorProcess sim(MovingLaundry());
  ASSERT_FALSE(sim.Device().empty());
  const RunResult result = Run({"monitor", "--port", sim.Device(), "--duration", "3"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // "seconds signal value": machine 1's line moves on, pump 3 goes on.
  std::set<std::string> lineValues;
  bool pumpOn = false;
  for (const std::string& line : Lines(result.out)) {
    const size_t space = line.find(' ');
    ASSERT_NE(space, std::string::npos) << line;
    const std::string change = line.substr(space + 1);
    if (change.rfind("machine 1 line ", 0) == 0) lineValues.insert(change);
    if (change == "pump 3 1") pumpOn = true;
  }
  EXPECT_GE(lineValues.size(), 2u) << result.out;
  EXPECT_TRUE(pumpOn) << result.out;

  const RunResult json = Run({"monitor", "--port", sim.Device(), "--duration", "1", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const std::vector<std::string> reports = Lines(json.out);
  ASSERT_GE(reports.size(), 2u);
  for (const std::string& report : reports) {
    EXPECT_EQ(report.rfind("{", 0), 0u);
    EXPECT_NE(report.find("\"pumps\":["), std::string::npos);
    EXPECT_NE(report.find("\"machine\":10,"), std::string::npos) << "ten machines";
  }
}

TEST_F(VorelctlMonitorTest, AKilledSimulatorEndsItWithinTenSeconds) {
  SimulatorProcess sim(MovingLaundry());
  ASSERT_FALSE(sim.Device().empty());
  Background monitor({"monitor", "--port", sim.Device()}, folder_);
  Sleep(1500);
  sim.Stop();
  double seconds = 0;
  const RunResult result = monitor.Wait(std::chrono::seconds(20), seconds);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_LT(seconds, 1.5 + 10.0);
  EXPECT_EQ(result.err.rfind("vorelctl: connection lost: ", 0), 0u) << result.err;
  EXPECT_FALSE(result.out.empty()) << "what it saw before";
}

TEST_F(VorelctlMonitorTest, WrongCommandLines) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"monitor"},
        {"monitor", "--port", "/dev/null", "--duration", "0"},
        {"monitor", "--port", "/dev/null", "--gateway", "localhost"},
        {"monitor", "--gateway", "localhost", "--user", "tech"}}) {
    const RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 2) << result.err;
  }
}

}  // namespace
}  // namespace vorel::test
