// Byte order and the bounds of every load and store.
#include "core/base/Bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vorel::bytes {
namespace {

TEST(Bytes, LoadsByHand) {
  const std::array<uint8_t, 6> data = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
  struct Case {
    const char* name;
    uint32_t got;
    uint32_t want;
  };
  const Case cases[] = {
      {"le16 at 0", LoadLe16(data, 0), 0x3412},
      {"le16 at 4, last field", LoadLe16(data, 4), 0xBC9A},
      {"be16 at 1", LoadBe16(data, 1), 0x3456},
      {"le32 at 0", LoadLe32(data, 0), 0x78563412},
      {"be32 at 2", LoadBe32(data, 2), 0x56789ABC},
      {"le16 one byte short", LoadLe16(data, 5), 0},
      {"le32 past the end", LoadLe32(data, 3), 0},
      {"be32 far past the end", LoadBe32(data, size_t(-2)), 0},
      {"empty buffer", LoadLe16(std::span<const uint8_t>(), 0), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.got, c.want);
  }
}

TEST(Bytes, StoresByHandAndRefusesFieldsOutside) {
  struct Case {
    const char* name;
    bool (*store)(std::span<uint8_t>, size_t, uint32_t);
    size_t offset;
    uint32_t value;
    bool written;
    std::vector<uint8_t> want;
  };
  const Case cases[] = {
      {"le16",
       [](std::span<uint8_t> d, size_t o, uint32_t v) { return StoreLe16(d, o, v); },
       1,
       0xABCD,
       true,
       {0, 0xCD, 0xAB, 0, 0}},
      {"be16",
       [](std::span<uint8_t> d, size_t o, uint32_t v) { return StoreBe16(d, o, v); },
       3,
       0xABCD,
       true,
       {0, 0, 0, 0xAB, 0xCD}},
      {"le32",
       [](std::span<uint8_t> d, size_t o, uint32_t v) { return StoreLe32(d, o, v); },
       0,
       0x01020304,
       true,
       {4, 3, 2, 1, 0}},
      {"be32",
       [](std::span<uint8_t> d, size_t o, uint32_t v) { return StoreBe32(d, o, v); },
       1,
       0xFFFFFFFE,
       true,
       {0, 0xFF, 0xFF, 0xFF, 0xFE}},
      {"le16 one byte short",
       [](std::span<uint8_t> d, size_t o, uint32_t v) { return StoreLe16(d, o, v); },
       4,
       0xFFFF,
       false,
       {0, 0, 0, 0, 0}},
      {"be32 past the end",
       [](std::span<uint8_t> d, size_t o, uint32_t v) { return StoreBe32(d, o, v); },
       2,
       1,
       false,
       {0, 0, 0, 0, 0}},
      {"offset wraps",
       [](std::span<uint8_t> d, size_t o, uint32_t v) { return StoreLe32(d, o, v); },
       size_t(-1),
       1,
       false,
       {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> data(5, 0);
    EXPECT_EQ(c.store(data, c.offset, c.value), c.written);
    EXPECT_EQ(data, c.want);
  }
}

static_assert(LoadLe16(std::array<uint8_t, 2>{0x01, 0x80}, 0) == 0x8001);

}  // namespace
}  // namespace vorel::bytes
