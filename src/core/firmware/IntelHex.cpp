// Loading a firmware file in Intel HEX form into the boot loaders' image, and the
// texts the firmware update window shows of it.
#include "core/firmware/IntelHex.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/base/Numbers.h"

namespace vorel {

namespace {

namespace hex {
constexpr uint8_t kData = 0;
constexpr uint8_t kEndOfFile = 1;
constexpr uint8_t kSegmentBase = 2;
constexpr uint8_t kLinearBase = 4;
constexpr uint8_t kHighestType = 5;
constexpr size_t kHeadPairs = 4;  // count, address high, address low, record type
constexpr size_t kBasePairs = 2;  // the data of a segment or linear base record
constexpr uint32_t kSegmentUnit = 16;
constexpr uint32_t kLinearUnit = 65536;
}  // namespace hex

constexpr const char* kUnknownType = "Extended Intel-hex: Unknown record type.";
constexpr const char* kChecksumError = "Extended Intel-hex: Check sum error.";
constexpr const char* kBadDigit = "Extended Intel-hex: Bad hex digit.";
constexpr const char* kShortLine = "Extended Intel-hex: Line too short.";
constexpr const char* kLongLine = "Extended Intel-hex: Line too long.";
constexpr const char* kBadBase = "Extended Intel-hex: Bad address record.";
constexpr const char* kBeyondImage = "Extended Intel-hex: Address beyond the firmware memory.";
constexpr const char* kNoData = "Extended Intel-hex: No data in the file.";
constexpr const char* kNoCode = "Extended Intel-hex: No data below the end of the memory.";

// The loader takes upper-case digits only, as the boot loader tools always wrote them.
int UpperHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The pairs of a line after its first character, read one by one into the record sum.
class PairReader {
 public:
  explicit PairReader(std::string_view line) : line_(line) {}

  // The pairs left from here on.
  size_t PairsLeft() const { return (line_.size() - next_) / 2; }

  // Nothing when the pair holds a character that is not a digit.
  std::optional<uint8_t> Next() {
    const int high = UpperHexDigit(line_[next_]);
    const int low = UpperHexDigit(line_[next_ + 1]);
    next_ += 2;
    if (high < 0 || low < 0) return std::nullopt;
    const auto value = static_cast<uint8_t>(high * 16 + low);
    sum_ = static_cast<uint8_t>(sum_ + value);
    return value;
  }

  uint8_t Sum() const { return sum_; }

 private:
  std::string_view line_;
  size_t next_ = 1;  // the first character (the colon) is not examined
  uint8_t sum_ = 0;
};

struct LoadState {
  FirmwareImage image;
  uint32_t base = 0;
  bool anyData = false;
};

// One line of at least the shortest length; the error text, or nothing when it is read.
std::optional<std::string> ReadRecord(std::string_view line, LoadState& state) {
  PairReader pairs(line);
  const std::optional<uint8_t> count = pairs.Next();
  const std::optional<uint8_t> addressHigh = pairs.Next();
  const std::optional<uint8_t> addressLow = pairs.Next();
  if (!count || !addressHigh || !addressLow) return kBadDigit;
  const std::optional<uint8_t> type = pairs.Next();
  if (!type || *type > hex::kHighestType) return kUnknownType;
  // The data and the checksum must all be on the line; nothing past its end is read.
  if (pairs.PairsLeft() < size_t{*count} + 1) return kShortLine;
  std::vector<uint8_t> data(*count);
  for (uint8_t& byte : data) {
    const std::optional<uint8_t> value = pairs.Next();
    if (!value) return kBadDigit;
    byte = *value;
  }
  if (!pairs.Next()) return kBadDigit;
  if (pairs.Sum() != 0) return kChecksumError;

  switch (*type) {
    case hex::kData: {
      if (data.empty()) break;  // stores nothing, so it does not move the code start
      const uint64_t address = uint64_t{state.base} + (*addressHigh * 256u + *addressLow);
      if (address + data.size() > firmware::kImageSize) return kBeyondImage;
      const auto first = static_cast<uint32_t>(address);
      const auto last = static_cast<uint32_t>(address + data.size() - 1);
      std::copy(data.begin(), data.end(), state.image.bytes.begin() + first);
      state.image.codeStart = std::min(state.image.codeStart, first);
      state.image.codeEnd = std::max(state.image.codeEnd, last);
      state.anyData = true;
      break;
    }
    case hex::kSegmentBase:
    case hex::kLinearBase: {
      if (data.size() != hex::kBasePairs) return kBadBase;
      const uint32_t value = data[0] * 256u + data[1];
      state.base = value * (*type == hex::kSegmentBase ? hex::kSegmentUnit : hex::kLinearUnit);
      break;
    }
    case hex::kEndOfFile:  // reading goes on to the end of the file
    default:               // 3 and 5: start addresses, not needed by the boot loaders
      break;
  }
  return std::nullopt;
}

uint16_t Sum16(const std::vector<uint8_t>& bytes, uint32_t from, uint32_t to) {
  uint16_t sum = 0;
  for (uint32_t at = from; at < to; ++at) sum = static_cast<uint16_t>(sum + bytes[at]);
  return sum;
}

}  // namespace

Loaded<FirmwareImage, FirmwareRefusal> LoadIntelHex(std::string_view text,
                                                    const FirmwareTarget& target) {
  using Load = Loaded<FirmwareImage, FirmwareRefusal>;
  LoadState state;
  state.image.bytes.assign(firmware::kImageSize, firmware::kErased);
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() < firmware::kShortestLine) continue;  // empty lines and the like
    std::optional<std::string> error;
    if (line.size() > firmware::kLongestLine) {
      error = kLongLine;
    } else {
      error = ReadRecord(line, state);
    }
    if (error) return Load::Refused({*error, lineNumber, {}});
  }
  if (!state.anyData) return Load::Refused({kNoData, 0, {}});

  FirmwareImage& image = state.image;
  const uint32_t lastInMemory = target.memorySize - 1;
  // Code that lies wholly above the unit's memory leaves nothing to program.
  if (image.codeStart > lastInMemory) return Load::Refused({kNoCode, 0, {}});
  image.codeEnd = std::min(image.codeEnd, lastInMemory);
  image.displaySum = Sum16(image.bytes, image.codeStart, target.memorySize);
  while (image.codeEnd > image.codeStart && image.bytes[image.codeEnd] == firmware::kErased) {
    --image.codeEnd;
  }
  // The boot loader sums up to, not including, the end it is told.
  image.codeSum = Sum16(image.bytes, image.codeStart, image.codeEnd);
  const uint32_t pageMask = ~uint32_t{target.pageSize - 1u};
  image.roundedEnd = LowWord((image.codeEnd + target.pageSize) & pageMask);
  return std::move(state.image);
}

std::string AddressText(uint32_t address) {
  char text[32];
  std::snprintf(text, sizeof text, "%04Xh (%ud)", address, address);
  return text;
}

std::string CodeUsedText(const FirmwareImage& image, const FirmwareTarget& target) {
  const uint32_t size = image.codeEnd - image.codeStart;
  const double percent = size * 100.0 / target.memorySize;
  // A point whatever the PC's locale, as the other percentages of the tool.
  char number[32];
  const auto end =
      std::to_chars(number, number + sizeof number, percent, std::chars_format::fixed, 1).ptr;
  return std::string(number, end) + "% (" + IntToStr(size) + " bytes)";
}

std::string ChecksumText(uint16_t sum) {
  char text[16];
  std::snprintf(text, sizeof text, "%04Xh", unsigned{sum});
  return text;
}

std::optional<FirmwareTarget> FirmwareTargetNamed(std::string_view name) {
  if (name == "controller") return kControllerTarget;
  if (name == "trigger") return kTriggerTarget;
  return std::nullopt;
}

std::string FileDateText(const LocalDateTime& modified) {
  // The file's time is shown in steps of two seconds, as the file systems of the
  // service PCs keep it.
  char text[64];
  std::snprintf(text, sizeof text, "%u-%u-%u  %u:%02u:%02u", unsigned(modified.day),
                unsigned(modified.month), unsigned(modified.year), unsigned(modified.hour),
                unsigned(modified.minute), unsigned(modified.second) & ~1u);
  return text;
}

BlockOrder FirmwareBlockOrder(const FirmwareImage& image, const FirmwareTarget& target) {
  BlockOrder order;
  for (uint32_t address = target.pageSize; address < image.roundedEnd;
       address += firmware::kBlockSize) {
    order.beforeEnd.push_back(static_cast<uint16_t>(address));
  }
  for (uint32_t address = 0; address < target.pageSize; address += firmware::kBlockSize) {
    order.firstPage.push_back(static_cast<uint16_t>(address));
  }
  return order;
}

}  // namespace vorel
