// A noisy serial line: each byte that passes may be lost, damaged (one or more bits
// flipped) or received twice, each with its own chance. One of these sits in each
// direction between the tool and a simulated controller, so the link's checksums,
// sequence numbers and retries are tried the way a long cable beside a washer motor
// tries them.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace vorel::sim {

struct LineNoise {
  // Chances per byte, in parts per million.
  uint32_t dropPpm = 0;
  uint32_t damagePpm = 0;
  uint32_t duplicatePpm = 0;
  // At most one fault in the bytes of one Pass (one frame, or one controller turn):
  // every damaged frame then differs from the sent one in a way its checksum and
  // length byte can see.
  bool oneFaultPerPass = false;
};

class LineFaults {
 public:
  LineFaults(LineNoise noise, uint32_t seed) : noise_(noise), random_(seed) {}

  // The bytes as they arrive at the far end.
  std::vector<uint8_t> Pass(std::span<const uint8_t> bytes);

  void SetNoise(LineNoise noise) { noise_ = noise; }
  uint64_t Dropped() const { return dropped_; }
  uint64_t Damaged() const { return damaged_; }
  uint64_t Duplicated() const { return duplicated_; }
  uint64_t Injected() const { return dropped_ + damaged_ + duplicated_; }

 private:
  LineNoise noise_;
  std::mt19937 random_;
  uint64_t dropped_ = 0;
  uint64_t damaged_ = 0;
  uint64_t duplicated_ = 0;
};

}  // namespace vorel::sim
