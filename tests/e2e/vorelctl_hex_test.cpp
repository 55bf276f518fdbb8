// vorelctl hex on a firmware file made by srec_cat: the window's file information and
// the block order, and a refused file.
#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>
#include <string>

#include "support/VorelctlRunner.h"

namespace {

using namespace vorel::test;

class VorelctlHexTest : public VorelctlTest {
 protected:
  // The firmware file in the work folder, modified on 5 March 2012 at 9:07:03 local time.
  std::string HexFile(const std::string& text) {
    const fs::path path = folder_ / "firmware.hex";
    WriteFile(path, text);
    std::tm local{};
    local.tm_year = 2012 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 9;
    local.tm_min = 7;
    local.tm_sec = 3;
    local.tm_isdst = -1;
    const utimbuf times{std::mktime(&local), std::mktime(&local)};
    EXPECT_EQ(utime(path.c_str(), &times), 0);
    return path.string();
  }
};

TEST_F(VorelctlHexTest, ControllerFile) {
  const std::string path =
      HexFile(ReadFile(std::string(VOREL_TEST_DATA) + "/firmware/controller_srec.hex"));
  const RunResult result = Run({"hex", path, "--target", "controller"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string blocks = "Blocks:";
  for (const char* block :
       {"0100", "0180", "0200", "0280", "0300", "0380", "0400", "0480", "0500",
        "0580", "0600", "0680", "0700", "0780", "0800", "0880", "0900", "0980",
        "0A00", "0A80", "0B00", "0B80", "0C00", "0C80", "0D00", "0D80", "0E00",
        "0E80", "0F00", "0F80", "1000", "1080", "1100", "1180", "1200", "1280"}) {
    blocks += std::string(" ") + block;
  }
  EXPECT_EQ(result.out,
            "File date: 5-3-2012  9:07:02\nCode start: 0100h (256d)\nCode end: 1234h (4660d)\n"
            "Code used: 6.8% (4404 bytes)\nCheck sum: DF7Ah\n" +
                blocks + " end 0000 0080\n");
}

TEST_F(VorelctlHexTest, RefusedFileAndWrongCommandLine) {
  const std::string path = HexFile(":10010000\n");
  const RunResult refused = Run({"hex", path, "--target=trigger"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "vorelctl: " + path + ", line 1: Extended Intel-hex: Line too short.\n");

  EXPECT_EQ(Run({"hex", path, "--target", "pump"}).exitCode, 2);
  EXPECT_EQ(Run({"hex", (folder_ / "missing.hex").string(), "--target", "trigger"}).exitCode, 1);
}

}  // namespace
