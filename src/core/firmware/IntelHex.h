// A firmware file in Intel HEX form loaded into the 128 KiB image the boot loaders
// are programmed from: the record rules, where the code starts and ends, the end of
// the transfer rounded to a page, and the two sums (the one sent, the one shown).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Result.h"
#include "core/image/ImagePacking.h"

namespace vorel {

namespace firmware {
inline constexpr uint32_t kImageSize = 0x20000;
inline constexpr uint8_t kErased = 0xFF;
inline constexpr size_t kBlockSize = 128;
inline constexpr size_t kShortestLine = 9;
inline constexpr size_t kLongestLine = 255;
}  // namespace firmware

// What is programmed into: the controller (256-byte pages, 0xFC00 bytes of code)
// or the trigger units (128-byte pages, 0x3800 bytes).
struct FirmwareTarget {
  uint16_t pageSize;
  uint32_t memorySize;
};
inline constexpr FirmwareTarget kControllerTarget{256, 0xFC00};
inline constexpr FirmwareTarget kTriggerTarget{128, 0x3800};
// The target as the command line names it: "controller" or "trigger".
std::optional<FirmwareTarget> FirmwareTargetNamed(std::string_view name);
inline constexpr const char* kUnableToOpenHexText = "Unable to open Intel hex file.";

struct FirmwareImage {
  std::vector<uint8_t> bytes;  // kImageSize bytes, 0xFF where no record wrote
  uint32_t codeStart = firmware::kImageSize;
  uint32_t codeEnd = 0;     // the last byte that is not 0xFF, after trimming
  uint16_t roundedEnd = 0;  // the end of the transfer: the next page boundary above codeEnd
  uint16_t codeSum = 0;     // codeStart up to, not including, codeEnd (sent complemented)
  uint16_t displaySum = 0;  // codeStart to memorySize - 1 ("Check sum")
};

// Why a firmware file was refused.
struct FirmwareRefusal {
  std::string text;       // the message box text
  size_t line = 0;        // the refused line, from 1; 0 for the file as a whole
  std::string openError;  // why the file could not be opened, in the system's words
};

// The whole file's text. A refused file yields no image at all: nothing of it is
// ever programmed. Besides the unknown record type and the check sum error, a file
// is refused for a pair that is not two upper-case hex digits, a line that ends
// before its data and check sum or runs past 255 characters, a base record without
// exactly two data bytes, data at or beyond 0x20000, no data record at all, or data
// only above the target's memory.
Loaded<FirmwareImage, FirmwareRefusal> LoadIntelHex(std::string_view text,
                                                    const FirmwareTarget& target);

// The window's labels: "%04Xh (%dd)", "%.1f%% (%d bytes)", "%04Xh", and the file date
// "%u-%u-%u  %u:%02u:%02u" (day first, seconds in steps of two).
std::string AddressText(uint32_t address);
std::string CodeUsedText(const FirmwareImage& image, const FirmwareTarget& target);
std::string ChecksumText(uint16_t sum);
std::string FileDateText(const LocalDateTime& modified);

// The block addresses in the order they are sent: from the page size upward in
// 128-byte steps below the rounded end, then (after BootEndOfBlocks) the first page's
// blocks: 0x0000, and 0x0080 for 256-byte pages.
struct BlockOrder {
  std::vector<uint16_t> beforeEnd;
  std::vector<uint16_t> firstPage;
};
BlockOrder FirmwareBlockOrder(const FirmwareImage& image, const FirmwareTarget& target);

}  // namespace vorel
