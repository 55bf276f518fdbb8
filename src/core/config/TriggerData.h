// The 224-byte trigger block of one machine, stored unchanged in the controller
// image. Offsets are the controller's; the accessors name the fields the system
// file keeps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorel {

namespace trigger {
inline constexpr size_t kSize = 224;
inline constexpr size_t kType = 0;
inline constexpr size_t kAdjustLow = 1;
inline constexpr size_t kAdjustHigh = 2;
inline constexpr size_t kMaxWeight = 3;
inline constexpr size_t kUnitKind = 6;     // bits 0-3: 1 TL4216, 2 TL4210
inline constexpr size_t kUnitVersion = 7;  // bits 0-3 major, 4-7 minor
inline constexpr size_t kLockInputMask = 8;
inline constexpr size_t kLockInputDelay = 9;
inline constexpr size_t kFlags = 10;
inline constexpr size_t kResetMachineDelay = 11;  // 16-bit little-endian
inline constexpr size_t kTypeArea = 16;
inline constexpr size_t kTypeAreaSize = 208;

inline constexpr uint8_t kFlagResetInputMask = 0x07;
inline constexpr uint8_t kFlagFallingEdge = 0x08;
inline constexpr uint8_t kFlagSoftnerActive2 = 0x10;

// Trigger type codes.
inline constexpr uint8_t kTypeNone = 0;
inline constexpr uint8_t kTypeParallel = 1;
inline constexpr uint8_t kTypeWeight3 = 3;
inline constexpr uint8_t kTypeWeight4 = 4;
inline constexpr uint8_t kTypeMieleLogic = 5;
inline constexpr uint8_t kTypeElectrolux = 6;
inline constexpr uint8_t kTypeMielePulse = 7;
inline constexpr uint8_t kTypeMieleEthernet = 10;

// Miele Logic texts: offset inside the type area and width.
struct TextField {
  const char* name;
  size_t offset;
  size_t width;
};
inline constexpr std::array<TextField, 11> kMieleTexts = {{
    {"Header1", 0, 16},
    {"Header2", 40, 16},
    {"Header3", 80, 16},
    {"Text11", 16, 8},
    {"Text12", 24, 8},
    {"Text13", 32, 8},
    {"Text21", 56, 8},
    {"Text23", 72, 8},
    {"Text31", 96, 8},
    {"Text32", 104, 8},
    {"Text33", 112, 8},
}};

inline constexpr int kProgramMapCount = 30;
inline constexpr size_t kEthernetSerial = 0;     // inside the type area, big-endian
inline constexpr size_t kEthernetMachineId = 4;  // inside the type area, big-endian
}  // namespace trigger

struct TriggerData {
  std::array<uint8_t, trigger::kSize> bytes{};

  // Zero, then type 1 (parallel box), adjustments 25/25, maximum weight 14 (7.0 kg).
  void Reset();

  uint8_t TriggerType() const { return bytes[trigger::kType]; }
  // The trigger unit that answered: its kind and firmware version.
  void SetIdentification(uint8_t unitKind, uint8_t version) {
    bytes[trigger::kUnitKind] = unitKind;
    bytes[trigger::kUnitVersion] = version;
  }
  uint16_t ResetMachineDelay() const;
  void SetResetMachineDelay(uint16_t seconds);

  // Miele Logic text field read up to its first zero byte or its full width.
  std::string MieleText(const trigger::TextField& field) const;
  // Cut to the field width and padded with zero bytes.
  void SetMieleText(const trigger::TextField& field, std::string_view text);
  // Fills the default texts offered when Miele Logic is chosen.
  void FillMieleDefaults();

  // Electrolux program map entry n (1..30): a 4-bit value.
  uint8_t ProgramMap(int n) const;
  void SetProgramMap(int n, uint8_t value);

  // Ethernet Miele Logic numbers, big-endian in the type area.
  int32_t EthernetNumber(size_t offset) const;
  void SetEthernetNumber(size_t offset, int32_t value);

  void ClearTypeArea();

  friend bool operator==(const TriggerData&, const TriggerData&) = default;
};

const trigger::TextField* FindMieleText(std::string_view name);

}  // namespace vorel
