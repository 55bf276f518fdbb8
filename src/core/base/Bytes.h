// The one home for byte order: little- and big-endian 16- and 32-bit numbers read
// from and written into byte buffers (controller image, trigger block, program
// lines, messages of the controller, the trigger units and the gateway). Every
// access is checked against the buffer: a field that does not lie wholly inside
// it reads as 0 and is not written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vorel::bytes {

// The field of `width` bytes at `offset` lies wholly inside `size` bytes.
constexpr bool Fits(size_t size, size_t offset, size_t width) {
  return offset <= size && width <= size - offset;
}

namespace detail {

template <size_t Width, bool BigEndian>
constexpr uint32_t Load(std::span<const uint8_t> data, size_t offset) {
  if (!Fits(data.size(), offset, Width)) return 0;
  uint32_t value = 0;
  for (size_t i = 0; i < Width; ++i) {
    const size_t at = BigEndian ? i : Width - 1 - i;
    value = (value << 8) | data[offset + at];
  }
  return value;
}

template <size_t Width, bool BigEndian>
constexpr bool Store(std::span<uint8_t> data, size_t offset, uint32_t value) {
  if (!Fits(data.size(), offset, Width)) return false;
  for (size_t i = 0; i < Width; ++i) {
    const size_t at = BigEndian ? Width - 1 - i : i;
    data[offset + at] = static_cast<uint8_t>(value >> (8 * i));
  }
  return true;
}

}  // namespace detail

constexpr uint16_t LoadLe16(std::span<const uint8_t> data, size_t offset) {
  return static_cast<uint16_t>(detail::Load<2, false>(data, offset));
}
constexpr uint32_t LoadLe32(std::span<const uint8_t> data, size_t offset) {
  return detail::Load<4, false>(data, offset);
}
constexpr uint16_t LoadBe16(std::span<const uint8_t> data, size_t offset) {
  return static_cast<uint16_t>(detail::Load<2, true>(data, offset));
}
constexpr uint32_t LoadBe32(std::span<const uint8_t> data, size_t offset) {
  return detail::Load<4, true>(data, offset);
}

// Each store returns false, and writes nothing, when the field does not fit.
constexpr bool StoreLe16(std::span<uint8_t> data, size_t offset, uint16_t value) {
  return detail::Store<2, false>(data, offset, value);
}
constexpr bool StoreLe32(std::span<uint8_t> data, size_t offset, uint32_t value) {
  return detail::Store<4, false>(data, offset, value);
}
constexpr bool StoreBe16(std::span<uint8_t> data, size_t offset, uint16_t value) {
  return detail::Store<2, true>(data, offset, value);
}
constexpr bool StoreBe32(std::span<uint8_t> data, size_t offset, uint32_t value) {
  return detail::Store<4, true>(data, offset, value);
}

}  // namespace vorel::bytes
