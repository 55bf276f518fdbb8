// The byte-exact copy of the TL4200 controller's 32768-byte memory, with the
// offsets of its regions and header fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorel {

namespace image {
inline constexpr size_t kSize = 32768;

// Regions.
inline constexpr size_t kHeader = 0;
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kSystemArea = 32;
inline constexpr size_t kSystemAreaSize = 992;
inline constexpr size_t kMachineBlocks = 1024;
inline constexpr size_t kMachineBlockSize = 1456;
inline constexpr size_t kTextArea = 15616;  // 0x3D00
inline constexpr size_t kTextAreaSize = 9600;
inline constexpr size_t kAlarmLog = 25216;  // 0x6280
inline constexpr size_t kAlarmLogSize = 256;
inline constexpr size_t kDataLog = 25472;  // 0x6380
inline constexpr size_t kDataLogSize = 7248;
inline constexpr size_t kTail = 32720;  // 0x7FD0, the controller's own 48 bytes
// Where a controller with firmware major version 1 keeps its logs.
inline constexpr size_t kAlarmLogFirmware1 = 25088;  // 0x6200
inline constexpr size_t kDataLogFirmware1 = 25344;   // 0x6300

// Header fields.
inline constexpr size_t kMagic = 0;  // "MQ350", no terminator
inline constexpr size_t kMagicSize = 5;
inline constexpr size_t kVersionMajor = 5;
inline constexpr size_t kVersionMinor = 6;
inline constexpr size_t kHardwareVersion = 7;
inline constexpr size_t kFirmwareMajor = 8;
inline constexpr size_t kFirmwareMinor = 9;
inline constexpr size_t kSerialNumber = 10;  // 32-bit little-endian
}  // namespace image

struct ControllerImage {
  std::array<uint8_t, image::kSize> bytes{};

  uint8_t VersionMajor() const { return bytes[image::kVersionMajor]; }
  uint8_t VersionMinor() const { return bytes[image::kVersionMinor]; }
};

}  // namespace vorel
