// The Intel HEX loader on files made by GNU objcopy and srec_cat from binary data; the
// expected numbers were worked out over those binaries, not by the loader.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/firmware/IntelHex.h"

namespace vorel {
namespace {

std::string DataFile(const std::string& name) {
  std::ifstream in(std::string(VOREL_TEST_DATA) + "/firmware/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// controller_srec.hex: 48 bytes at 0x100, 0x15 bytes at 0x1220 then 11 bytes 0xFF,
// 16 bytes at 0x10010 (behind an extended linear address record).
// trigger_objcopy.hex: 64 bytes at 0x10. page_objcopy.hex: 0x101 bytes at 0x100.
// straddle_objcopy.hex: 256 bytes at 0x3780. segment_objcopy.hex: 24 bytes at
// 0x12340 (behind an extended segment address record).
TEST(IntelHex, GeneratedFiles) {
  struct Case {
    const char* name;
    std::string text;
    FirmwareTarget target;
    uint32_t codeStart, codeEnd;
    uint16_t roundedEnd, codeSum, displaySum;
    size_t blocksBeforeEnd;
    uint16_t lastBeforeEnd;
    std::vector<uint16_t> firstPage;
  } cases[] = {
      // The last used byte 0x1234: blocks 0x100..0x1280, then 0x0000 and 0x0080.
      {"controller",
       DataFile("controller_srec.hex"),
       kControllerTarget,
       0x100,
       0x1234,
       0x1300,
       0xFDAA,
       0xDF7A,
       36,
       0x1280,
       {0x0000, 0x0080}},
      {"controller file, trigger",
       DataFile("controller_srec.hex"),
       kTriggerTarget,
       0x100,
       0x1234,
       0x1280,
       0xFDAA,
       0xA37A,
       36,
       0x1200,
       {0x0000}},
      // Rounded end 0x0080: nothing before the end of the blocks, then block 0x0000.
      {"trigger",
       DataFile("trigger_objcopy.hex"),
       kTriggerTarget,
       0x10,
       0x4F,
       0x0080,
       0x1E23,
       0x974D,
       0,
       0,
       {0x0000}},
      // The last used byte is the first of a page: that page is still sent.
      {"page, controller",
       DataFile("page_objcopy.hex"),
       kControllerTarget,
       0x100,
       0x200,
       0x300,
       0x8065,
       0x8649,
       4,
       0x280,
       {0x0000, 0x0080}},
      {"page, trigger",
       DataFile("page_objcopy.hex"),
       kTriggerTarget,
       0x100,
       0x200,
       0x280,
       0x8065,
       0x4A49,
       4,
       0x200,
       {0x0000}},
      // The end-of-file record in the middle does not end reading; the data behind
      // the segment base lies above the memory and changes nothing sent.
      {"page then segment",
       DataFile("page_objcopy.hex") + DataFile("segment_objcopy.hex"),
       kControllerTarget,
       0x100,
       0x200,
       0x300,
       0x8065,
       0x8649,
       4,
       0x280,
       {0x0000, 0x0080}},
      // Bytes past 0x37FF are neither sent nor summed for the trigger units.
      {"straddle, trigger",
       DataFile("straddle_objcopy.hex"),
       kTriggerTarget,
       0x3780,
       0x37FF,
       0x3800,
       0x3D57,
       0x3D61,
       111,
       0x3780,
       {0x0000}},
      {"straddle, controller",
       DataFile("straddle_objcopy.hex"),
       kControllerTarget,
       0x3780,
       0x387F,
       0x3900,
       0x79C7,
       0x36E3,
       112,
       0x3880,
       {0x0000, 0x0080}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Loaded<FirmwareImage, FirmwareRefusal> load = LoadIntelHex(c.text, c.target);
    ASSERT_TRUE(load) << load.why.text;
    const FirmwareImage& image = *load;
    EXPECT_EQ(image.bytes.size(), 0x20000u);
    EXPECT_EQ(image.codeStart, c.codeStart);
    EXPECT_EQ(image.codeEnd, c.codeEnd);
    EXPECT_EQ(image.roundedEnd, c.roundedEnd);
    EXPECT_EQ(image.codeSum, c.codeSum);
    EXPECT_EQ(image.displaySum, c.displaySum);
    const BlockOrder order = FirmwareBlockOrder(image, c.target);
    ASSERT_EQ(order.beforeEnd.size(), c.blocksBeforeEnd);
    if (!order.beforeEnd.empty()) {
      EXPECT_EQ(order.beforeEnd.front(), c.target.pageSize);
      EXPECT_EQ(order.beforeEnd.back(), c.lastBeforeEnd);
    }
    EXPECT_EQ(order.firstPage, c.firstPage);
  }
}

TEST(IntelHex, RecordsLandBehindTheirBases) {
  const Loaded<FirmwareImage, FirmwareRefusal> linear =
      LoadIntelHex(DataFile("controller_srec.hex"), kControllerTarget);
  ASSERT_TRUE(linear);
  const std::vector<uint8_t> atLinear(linear->bytes.begin() + 0x10010,
                                      linear->bytes.begin() + 0x10014);
  EXPECT_EQ(atLinear, (std::vector<uint8_t>{0x10, 0x8A, 0xF2, 0x09}));
  EXPECT_EQ(linear->bytes[0x0010], 0xFF);

  const Loaded<FirmwareImage, FirmwareRefusal> segment =
      LoadIntelHex(DataFile("page_objcopy.hex") + DataFile("segment_objcopy.hex"), kTriggerTarget);
  ASSERT_TRUE(segment);
  const std::vector<uint8_t> atSegment(segment->bytes.begin() + 0x12340,
                                       segment->bytes.begin() + 0x12344);
  EXPECT_EQ(atSegment, (std::vector<uint8_t>{0xA1, 0x69, 0x3E, 0x5C}));
  EXPECT_EQ(segment->bytes[0x2340], 0xFF);
}

// Lines under 9 characters, CR LF endings and start address records change nothing.
TEST(IntelHex, SkippedAndIgnoredLines) {
  const std::string plain = DataFile("trigger_objcopy.hex");
  const Loaded<FirmwareImage, FirmwareRefusal> reference = LoadIntelHex(plain, kTriggerTarget);
  ASSERT_TRUE(reference);
  std::string crlf;
  for (char c : plain) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string variants[] = {
      crlf,
      "\n\n   \n:0000000\n" + plain + "\n",
      ":0400000500000100F6\n:0400000300000100F8\n" + plain,
  };
  for (const std::string& text : variants) {
    SCOPED_TRACE(text.substr(0, 40));
    const Loaded<FirmwareImage, FirmwareRefusal> load = LoadIntelHex(text, kTriggerTarget);
    ASSERT_TRUE(load) << load.why.text;
    EXPECT_EQ(load->bytes, reference->bytes);
    EXPECT_EQ(load->codeSum, reference->codeSum);
    EXPECT_EQ(load->displaySum, reference->displaySum);
  }
}

TEST(IntelHex, RefusesTheWholeFile) {
  const std::string good = DataFile("trigger_objcopy.hex");  // six lines
  const std::string tooLong = ":7B020000" + std::string(246, '1') + "58";
  const std::string unknown = "Extended Intel-hex: Unknown record type.";
  const std::string digit = "Extended Intel-hex: Bad hex digit.";
  const std::string shortLine = "Extended Intel-hex: Line too short.";
  const std::string beyond = "Extended Intel-hex: Address beyond the firmware memory.";
  struct Case {
    std::string text;
    std::string error;
    size_t line;
  } cases[] = {
      {":00000006FA\n" + good, unknown, 1},
      {good + ":000000G0FA\n", unknown, 7},
      {":0401000001020304f1\n" + good, digit, 1},
      {":G401000001020304F1\n" + good, digit, 1},
      {":04010000010 020304F1\n" + good, digit, 1},
      {":0401000001020304F2\n" + good, "Extended Intel-hex: Check sum error.", 1},
      {good + ":020000040002F8\n:0100000055AA\n", beyond, 8},
      {":020000040001F9\n:04FFFE0001020304F5\n" + good, beyond, 2},
      {":0401000001020304\n" + good, shortLine, 1},
      {":10010000\n" + good, shortLine, 1},
      {good + ":040100000102", shortLine, 7},
      {tooLong + "\n" + good, "Extended Intel-hex: Line too long.", 1},
      {":0100000400FB\n" + good, "Extended Intel-hex: Bad address record.", 1},
      {":00000001FF\n", "Extended Intel-hex: No data in the file.", 0},
      {"", "Extended Intel-hex: No data in the file.", 0},
      {":01380000AA1D\n", "Extended Intel-hex: No data below the end of the memory.", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    const Loaded<FirmwareImage, FirmwareRefusal> load = LoadIntelHex(c.text, kTriggerTarget);
    EXPECT_FALSE(load);
    EXPECT_EQ(load.why.text, c.error);
    EXPECT_EQ(load.why.line, c.line);
  }
}

TEST(IntelHex, LabelTexts) {
  EXPECT_EQ(AddressText(0x100), "0100h (256d)");
  EXPECT_EQ(AddressText(0x387F), "387Fh (14463d)");
  EXPECT_EQ(ChecksumText(0x0ABC), "0ABCh");
  FirmwareImage image;
  image.codeStart = 0x100;
  image.codeEnd = 0x1234;
  EXPECT_EQ(CodeUsedText(image, kControllerTarget), "6.8% (4404 bytes)");
  EXPECT_EQ(CodeUsedText(image, kTriggerTarget), "30.7% (4404 bytes)");
  EXPECT_EQ(FileDateText({2012, 3, 5, 9, 7, 3}), "5-3-2012  9:07:02");
  EXPECT_EQ(FileDateText({2023, 12, 31, 23, 59, 58}), "31-12-2023  23:59:58");
}

}  // namespace
}  // namespace vorel
