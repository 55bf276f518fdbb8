// Field access into the trigger block.
#include "core/config/TriggerData.h"

#include <algorithm>
#include <cstring>

#include "core/base/Bytes.h"

namespace vorel {

using namespace trigger;

void TriggerData::Reset() {
  bytes.fill(0);
  bytes[kType] = kTypeParallel;
  bytes[kAdjustLow] = 25;
  bytes[kAdjustHigh] = 25;
  bytes[kMaxWeight] = 14;
}

uint16_t TriggerData::ResetMachineDelay() const {
  return bytes::LoadLe16(this->bytes, kResetMachineDelay);
}

void TriggerData::SetResetMachineDelay(uint16_t seconds) {
  bytes::StoreLe16(this->bytes, kResetMachineDelay, seconds);
}

std::string TriggerData::MieleText(const TextField& field) const {
  const uint8_t* start = bytes.data() + kTypeArea + field.offset;
  size_t length = 0;
  while (length < field.width && start[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(start), length);
}

void TriggerData::SetMieleText(const TextField& field, std::string_view text) {
  uint8_t* start = bytes.data() + kTypeArea + field.offset;
  std::memset(start, 0, field.width);
  std::memcpy(start, text.data(), std::min(text.size(), field.width));
}

void TriggerData::FillMieleDefaults() {
  static constexpr std::array<std::pair<const char*, const char*>, 10> kDefaults = {{
      {"Header1", "Wash program"},
      {"Text11", "Prgm 1"},
      {"Text12", "Prgm 2"},
      {"Text13", "Prgm 3"},
      {"Header2", "Fabric softner"},
      {"Text21", "Softner"},
      {"Header3", "Level"},
      {"Text31", "High"},
      {"Text32", "Mid"},
      {"Text33", "Low"},
  }};
  for (const auto& [name, text] : kDefaults) SetMieleText(*FindMieleText(name), text);
}

uint8_t TriggerData::ProgramMap(int n) const {
  if (n < 1 || n > kProgramMapCount) return 0;
  const uint8_t byte = bytes[kTypeArea + n / 2];
  return (n % 2 == 1) ? (byte >> 4) : (byte & 0x0F);
}

void TriggerData::SetProgramMap(int n, uint8_t value) {
  if (n < 1 || n > kProgramMapCount) return;
  uint8_t& byte = bytes[kTypeArea + n / 2];
  value &= 0x0F;
  if (n % 2 == 1) {
    byte = static_cast<uint8_t>((byte & 0x0F) | (value << 4));
  } else {
    byte = static_cast<uint8_t>((byte & 0xF0) | value);
  }
}

int32_t TriggerData::EthernetNumber(size_t offset) const {
  return static_cast<int32_t>(bytes::LoadBe32(this->bytes, kTypeArea + offset));
}

void TriggerData::SetEthernetNumber(size_t offset, int32_t value) {
  bytes::StoreBe32(this->bytes, kTypeArea + offset, static_cast<uint32_t>(value));
}

void TriggerData::ClearTypeArea() {
  std::fill(bytes.begin() + kTypeArea, bytes.end(), uint8_t{0});
}

const TextField* FindMieleText(std::string_view name) {
  for (const auto& field : kMieleTexts) {
    if (name == field.name) return &field;
  }
  return nullptr;
}

}  // namespace vorel
