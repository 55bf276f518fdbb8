#include "core/simulation/LineFaults.h"

namespace vorel::sim {

std::vector<uint8_t> LineFaults::Pass(std::span<const uint8_t> bytes) {
  std::vector<uint8_t> out;
  out.reserve(bytes.size() + 4);
  std::uniform_int_distribution<uint32_t> chance(0, 999999);
  std::uniform_int_distribution<int> flips(1, 255);
  bool faulted = false;
  for (const uint8_t byte : bytes) {
    uint32_t roll = chance(random_);
    if (faulted && noise_.oneFaultPerPass) roll = 999999;
    faulted = faulted || roll < noise_.dropPpm + noise_.damagePpm + noise_.duplicatePpm;
    if (roll < noise_.dropPpm) {
      ++dropped_;
      continue;
    }
    if (roll < noise_.dropPpm + noise_.damagePpm) {
      ++damaged_;
      out.push_back(static_cast<uint8_t>(byte ^ flips(random_)));
      continue;
    }
    out.push_back(byte);
    if (roll < noise_.dropPpm + noise_.damagePpm + noise_.duplicatePpm) {
      ++duplicated_;
      out.push_back(byte);
    }
  }
  return out;
}

}  // namespace vorel::sim
