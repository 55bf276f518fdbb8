// vorelctl consumption and alarms on an image packed from the golden system file,
// with log records written into it by hand.
#include <gtest/gtest.h>

#include <string>

#include "support/VorelctlRunner.h"

namespace {

using namespace vorel::test;

// The golden file packs with firmware byte 0, so the logs lie at their usual places.
constexpr size_t kAlarmLog = 25216;
constexpr size_t kDataLog = 25472;

class VorelctlLogsTest : public VorelctlTest {
 protected:
  // November 2011 (record 0): machine 1 pumps 200 units on pump 1 in 3 washes of
  // program 1; December 2011 (record 1): machine 2, 7 units on pump 7, 1 softener.
  // History slot 0: trigger error of machine 2 on 5 March 2012 14:07; state: pressure.
  std::string LogImage() {
    WriteFile(folder_ / "in.xml", Golden());
    EXPECT_EQ(Run({"convert", folder_ / "in.xml", folder_ / "base.bin"}).exitCode, 0);
    std::string image = ReadFile(folder_ / "base.bin");
    EXPECT_EQ(image.at(8), '\0');
    image.replace(kAlarmLog, 256 + 7248, 256 + 7248, '\0');  // both logs, emptied
    image.replace(kDataLog, 2, "\x0B\x0B");
    image[kDataLog + 2 + 2] = 3;        // machine 1, program 1
    image[kDataLog + 2 + 14] = '\xC8';  // machine 1, pump 1
    image.replace(kDataLog + 302, 2, "\x0B\x0C");
    image.replace(kDataLog + 302 + 2 + 30 + 26, 4, std::string("\x07\0\x01\0", 4));  // pump 7
    image[kAlarmLog] = 1;
    image.replace(kAlarmLog + 16, 5, "\x23\x4C\x01\xE3\x1C");
    const fs::path path = folder_ / "logs.bin";
    WriteFile(path, image);
    return path.string();
  }
};

TEST_F(VorelctlLogsTest, ConsumptionOfTwoMonths) {
  const std::string image = LogImage();
  const RunResult text =
      Run({"consumption", image, "--from", "November, 2011", "--to=December, 2011"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out,
            "Period: November, 2011 to December, 2011\nMachines: All machines\n"
            "Volume\nPump 1: 1.00 L\nPump 2: 0.00 L\nPump 3: 0.00 L\nPump 4: 0.00 L\n"
            "Pump 5: 0.00 L\nPump 6: 0.00 L\nPump 7: 0.04 L\nTotal: 1.04 L\n"
            "Wash count\nProgram 1: 3\nProgram 2: 0\nProgram 3: 0\nProgram 4: 0\nProgram 5: 0\n"
            "Program 6: 0\nNo program: 0\nTotal: 3\nSoftener count: 1\n");

  const RunResult machine2 =
      Run({"consumption", image, "--from", "November, 2011", "--machine", "2"});
  EXPECT_NE(machine2.out.find("Machines: Machine 2\n"), std::string::npos) << machine2.out;
  EXPECT_NE(machine2.out.find("Pump 1: 0.00 L\n"), std::string::npos);

  const RunResult csv = Run({"consumption", image, "--from", "November, 2011", "--csv"});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  EXPECT_EQ(csv.out,
            "Month,Pump,Litres\n2011-11,1,1.00\n2011-11,2,0.00\n2011-11,3,0.00\n2011-11,4,0.00\n"
            "2011-11,5,0.00\n2011-11,6,0.00\n2011-11,7,0.00\n2011-12,1,0.00\n2011-12,2,0.00\n"
            "2011-12,3,0.00\n2011-12,4,0.00\n2011-12,5,0.00\n2011-12,6,0.00\n2011-12,7,0.04\n");

  const RunResult unknown = Run({"consumption", image, "--to", "March, 2012"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("\"November, 2011\", \"December, 2011\""), std::string::npos)
      << unknown.err;

  WriteFile(folder_ / "in.xml", Golden());
  const RunResult none = Run({"consumption", folder_ / "in.xml"});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out, "No log data available\n");
}

TEST_F(VorelctlLogsTest, AlarmHistoryAndState) {
  const std::string image = LogImage();
  const RunResult history = Run({"alarms", image});
  ASSERT_EQ(history.exitCode, 0) << history.err;
  EXPECT_EQ(history.out,
            " 1: 2012-03-05 14:07 > Trigger error, Machine: 2\nNumber of alarms: 1.\n");
  const RunResult state = Run({"alarms", image, "--state"});
  ASSERT_EQ(state.exitCode, 0) << state.err;
  EXPECT_EQ(state.out, "  1: Pressure alarm\n");
}

}  // namespace
