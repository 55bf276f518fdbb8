// Reading vorelctl's input files.
#include "Input.h"

#include <ctime>

#include "FileIo.h"
#include "core/base/Ansi.h"
#include "core/config/SystemFile.h"

namespace vorelctl {
namespace {

// An image is exactly the controller's memory size and does not start like an XML
// document (which may open with a byte-order mark or blanks).
bool LooksLikeImage(const std::string& bytes) {
  if (bytes.size() != vorel::image::kSize) return false;
  for (unsigned char c : bytes) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xEF || c == 0xBB || c == 0xBF)
      continue;
    return c != '<';
  }
  return true;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// 0 Monday .. 6 Sunday (days since 1970-01-01, a Thursday).
int Weekday(int year, int month, int day) {
  const int y = year - (month <= 2);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long days = static_cast<long>(era) * 146097 + doe - 719468;
  return static_cast<int>(((days % 7) + 7 + 3) % 7);
}

}  // namespace

LoadedInput LoadInput(const std::filesystem::path& path, const vorel::LocalDateTime& clock) {
  LoadedInput input;
  const FileContents file = ReadWholeFile(path);
  if (!file.bytes) {
    input.error = path.string() + ": " + file.error;
    return input;
  }
  if (LooksLikeImage(*file.bytes)) {
    input.kind = InputKind::kImage;
    std::copy(file.bytes->begin(), file.bytes->end(), input.image.image.bytes.begin());
    const vorel::UnpackResult result = vorel::UnpackImage(input.config, input.image);
    if (!result.Ok()) input.error = path.string() + ": " + result.error;
    return input;
  }
  const vorel::SystemFileResult loaded =
      vorel::LoadSystemFile(*file.bytes, input.config, input.image.image);
  if (!loaded) {
    // Element names and values are Windows-1252 text; the terminal gets UTF-8.
    input.error = path.string() + ": " + vorel::Ansi::ToUtf8(loaded.Describe());
    return input;
  }
  vorel::PackImage(input.config, input.image, clock);
  return input;
}

vorel::LocalDateTime LocalClockNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (!local) return {};
  const int weekday = (local->tm_wday + 6) % 7;  // tm: 0 Sunday
  return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour,
          local->tm_min,         local->tm_sec,     weekday};
}

std::optional<vorel::LocalDateTime> ParseClock(std::string_view text) {
  // Exactly "YYYY-MM-DD HH:MM:SS".
  static constexpr std::string_view kShape = "0000-00-00 00:00:00";
  if (text.size() != kShape.size()) return std::nullopt;
  for (size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return std::nullopt;
  }
  auto number = [&](size_t at, size_t width) {
    int value = 0;
    for (size_t i = at; i < at + width; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  vorel::LocalDateTime clock{
      number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2), 0};
  if (clock.month < 1 || clock.month > 12 || clock.day < 1 ||
      clock.day > DaysInMonth(clock.year, clock.month) || clock.hour > 23 || clock.minute > 59 ||
      clock.second > 59) {
    return std::nullopt;
  }
  clock.weekday = Weekday(clock.year, clock.month, clock.day);
  return clock;
}

}  // namespace vorelctl
