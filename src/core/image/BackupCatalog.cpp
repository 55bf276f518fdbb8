#include "core/image/BackupCatalog.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include "core/base/Numbers.h"

namespace vorel {

namespace {

// The digits of `text` as a number, when all of it is `count` digits.
std::optional<int> Digits(std::string_view text, size_t count) {
  if (text.size() != count) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

auto Moment(const BackupEntry& entry) {
  const LocalDateTime& at = entry.name.at;
  return std::tie(at.year, at.month, at.day, at.hour, at.minute, at.second, entry.name.number);
}

}  // namespace

std::string BackupBaseName(const BackupName& name) {
  const LocalDateTime& at = name.at;
  char text[48];
  std::snprintf(text, sizeof text, "%u_%04d-%02d-%02d_%02d-%02d-%02d", name.serial, at.year,
                at.month, at.day, at.hour, at.minute, at.second);
  return name.number > 1 ? std::string(text) + "_" + std::to_string(name.number) : text;
}

std::optional<BackupName> ParseBackupName(std::string_view baseName) {
  // SERIAL _ YYYY-MM-DD _ HH-MM-SS [_ N]
  const size_t first = baseName.find('_');
  if (first == std::string_view::npos || first == 0 || first > 10) return std::nullopt;
  uint64_t serial = 0;
  for (const char c : baseName.substr(0, first)) {
    if (c < '0' || c > '9') return std::nullopt;
    serial = serial * 10 + static_cast<uint64_t>(c - '0');
  }
  if (serial > UINT32_MAX) return std::nullopt;
  std::string_view rest = baseName.substr(first + 1);
  if (rest.size() < 19 || rest[4] != '-' || rest[7] != '-' || rest[10] != '_' || rest[13] != '-' ||
      rest[16] != '-')
    return std::nullopt;
  const auto year = Digits(rest.substr(0, 4), 4);
  const auto month = Digits(rest.substr(5, 2), 2);
  const auto day = Digits(rest.substr(8, 2), 2);
  const auto hour = Digits(rest.substr(11, 2), 2);
  const auto minute = Digits(rest.substr(14, 2), 2);
  const auto second = Digits(rest.substr(17, 2), 2);
  if (!year || !month || !day || !hour || !minute || !second || *month < 1 || *month > 12 ||
      *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 59)
    return std::nullopt;
  BackupName name;
  name.serial = static_cast<uint32_t>(serial);
  name.at = {*year, *month, *day, *hour, *minute, *second, 0};
  rest = rest.substr(19);
  if (!rest.empty()) {
    if (rest[0] != '_' || rest.size() < 2 || rest.size() > 5) return std::nullopt;
    int number = 0;
    for (const char c : rest.substr(1)) {
      if (c < '0' || c > '9') return std::nullopt;
      number = number * 10 + (c - '0');
    }
    if (number < 2) return std::nullopt;
    name.number = number;
  }
  return name;
}

BackupEntry DescribeBackup(const BackupName& name, std::string baseName,
                           std::span<const uint8_t> head, uint64_t fileSize, bool hasSystemFile) {
  BackupEntry entry;
  entry.baseName = std::move(baseName);
  entry.name = name;
  entry.size = fileSize;
  entry.hasSystemFile = hasSystemFile;
  if (fileSize != image::kSize) {
    entry.damaged = "not a memory image (" + std::to_string(fileSize) + " bytes)";
    return entry;
  }
  ControllerImage image;
  const size_t taken = std::min(head.size(), kBackupHeadBytes);
  std::copy_n(head.begin(), taken, image.bytes.begin());
  if (taken < kBackupHeadBytes) {
    entry.damaged = "cut short";
    return entry;
  }
  if (!HeaderAccepted(image)) {
    entry.damaged = BadFormatText(image);
    return entry;
  }
  const ControllerInfo info = ReadControllerInfo(image);
  entry.firmwareMajor = info.firmwareMajor;
  entry.firmwareMinor = info.firmwareMinor;
  SystemConfiguration settings;
  UnpackSystemSettings(image, settings);
  entry.systemName = settings.MainSetup.SystemName;
  return entry;
}

void SortBackups(std::vector<BackupEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
    if (a.name.serial != b.name.serial) return a.name.serial < b.name.serial;
    return ReadEarlier(b, a);
  });
}

bool ReadEarlier(const BackupEntry& a, const BackupEntry& b) {
  return Moment(a) < Moment(b);
}

std::vector<BackupEntry> BackupsBeyond(const std::vector<BackupEntry>& entries, int keep) {
  if (keep <= 0) return {};
  std::vector<BackupEntry> sorted = entries;
  SortBackups(sorted);
  std::vector<BackupEntry> beyond;
  std::map<uint32_t, int> kept;
  for (const BackupEntry& entry : sorted) {
    if (++kept[entry.name.serial] > keep) beyond.push_back(entry);
  }
  return beyond;
}

std::string BackupTimeText(const LocalDateTime& at) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day,
                at.hour, at.minute, at.second);
  return text;
}

}  // namespace vorel
