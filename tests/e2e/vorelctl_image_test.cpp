// vorelctl with controller images: packing a system file at a given clock and with
// a master login code, taking an image in as a completed read, refusing a bad
// header, and the show verbs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/VorelctlRunner.h"

namespace {

using namespace vorel::test;
namespace fs = std::filesystem;

constexpr size_t kImageSize = 32768;

uint8_t At(const std::string& image, size_t offset) {
  return static_cast<uint8_t>(image.at(offset));
}

TEST_F(VorelctlTest, PacksASystemFileAtTheGivenClockWithAMasterCode) {
  const fs::path input = folder_ / "in.xml";
  const fs::path output = folder_ / "out.bin";
  WriteFile(input, Golden());
  const RunResult result =
      Run({"convert", input, output, "--clock", "2026-12-08 09:05:03", "--master-code", "ABC"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string image = ReadFile(output);
  ASSERT_EQ(image.size(), kImageSize);
  EXPECT_EQ(image.substr(0, 7), std::string("MQ350\x01\x01", 7));
  // Clock setting: weekday (Tuesday = 1), seconds, minutes, hours, day, month, year - 2000.
  EXPECT_EQ(image.substr(103, 7), std::string("\x01\x03\x05\x09\x08\x0C\x1A", 7));
  EXPECT_EQ(image.substr(32, 11), std::string("Wash & Dry\0", 11));
  EXPECT_EQ(image.substr(550, 9), std::string("ABC\0\0\0\0\0\0", 9));
  EXPECT_EQ(At(image, 100) & 1, 1) << "machine 1 enabled";
}

TEST_F(VorelctlTest, ImageBackToASystemFile) {
  const fs::path input = folder_ / "in.xml";
  WriteFile(input, Golden());
  ASSERT_EQ(Run({"convert", input, folder_ / "a.bin", "--clock", "2026-01-01 00:00:00"}).exitCode,
            0);
  const RunResult back = Run({"convert", folder_ / "a.bin", folder_ / "b.xml"});
  ASSERT_EQ(back.exitCode, 0) << back.err;
  const std::string xml = ReadFile(folder_ / "b.xml");
  EXPECT_NE(xml.find("<SystemName>Wash &amp; Dry</SystemName>"), std::string::npos);
  EXPECT_NE(xml.find("<VersionMajor>1</VersionMajor>"), std::string::npos);

  // And the same image packed again gives the same bytes.
  ASSERT_EQ(Run({"convert", folder_ / "a.bin", folder_ / "c.bin", "--clock", "2026-01-01 00:00:00"})
                .exitCode,
            0);
  EXPECT_EQ(ReadFile(folder_ / "c.bin"), ReadFile(folder_ / "a.bin"));
}

TEST_F(VorelctlTest, BadImageHeaderIsRefused) {
  std::string image(kImageSize, '\0');
  image.replace(0, 7, std::string("MQ350\x02\x00", 7));
  WriteFile(folder_ / "bad.bin", image);
  const RunResult result = Run({"convert", folder_ / "bad.bin", folder_ / "out.xml"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Bad data format or version: 2.0"), std::string::npos) << result.err;
  EXPECT_EQ(LineCount(result.err), 1u);
  EXPECT_FALSE(fs::exists(folder_ / "out.xml"));

  image.replace(0, 5, "XY350");
  image[5] = 1;
  WriteFile(folder_ / "bad.bin", image);
  EXPECT_EQ(Run({"show", folder_ / "bad.bin"}).exitCode, 1);
}

TEST_F(VorelctlTest, ShowSummaryOfAReadImage) {
  std::string image(kImageSize, '\0');
  image.replace(0, 7, std::string("MQ350\x01\x03", 7));
  image[7] = 3;  // hardware version
  image[8] = 2;  // firmware 2.5
  image[9] = 5;
  image.replace(10, 4, std::string("\xD2\x04\x00\x00", 4));  // serial 1234, little-endian
  image.replace(32, 6, "Hotel ");
  image[100] = 0x09;                                                  // machines 1 and 4
  image.replace(111, 6, std::string("\x0C\x0B\x0A\x08\x0C\x1A", 6));  // 2026-12-08 10:11:12
  WriteFile(folder_ / "read.bin", image);
  const RunResult result = Run({"show", folder_ / "read.bin"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "System name: Hotel \n"
            "Data format: 1.3\n"
            "Serial number: 1234\n"
            "Hardware version: 3\n"
            "Firmware version: 2.5\n"
            "Controller clock: 2026-12-08  10:11:12\n"
            "Enabled machines: 1, 4\n"
            "Used text: 0.0%\n");
}

TEST_F(VorelctlTest, ShowOneProgramAsTheEditorShowsIt) {
  const fs::path input = folder_ / "in.xml";
  WriteFile(input, Golden());
  const RunResult result = Run({"show", input, "--machine", "1", "--program", "1"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(LineCount(result.out), 25u);
  EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "Machine 1, Program 1");
  EXPECT_NE(result.out.find("\n  1\t Pump\tP3, D=5, V=0/10/20\tMain wash\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\n 24\t Empty\t\t\n"), std::string::npos);

  const RunResult missing = Run({"show", folder_ / "none.xml", "--machine", "1", "--program", "1"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("none.xml"), std::string::npos);
}

}  // namespace
