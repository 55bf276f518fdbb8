// Reading numbers the way the editors and the system file read them: decimal
// text, a default for anything that is not a whole 32-bit number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorel {

// A whole decimal number with an optional sign, blanks around it allowed.
// Anything else, an empty text or a value outside 32 bits, gives nothing.
std::optional<int32_t> ParseInt32(std::string_view text);

inline int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  return ParseInt32(text).value_or(fallback);
}

// A decimal number with a point as separator ("7.5", "-3", ".5"), blanks around it
// allowed; nothing when the text is not one.
std::optional<double> ParseDecimal(std::string_view text);

std::string IntToStr(int64_t value);

// The value of one hexadecimal digit (either case), -1 for any other character.
int HexDigitValue(char c);

// The text without blanks and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

// The low 8 or 16 bits, as a number stored into a byte or word field keeps them
// (-1 gives 255).
constexpr uint8_t LowByte(int64_t value) {
  return static_cast<uint8_t>(static_cast<uint64_t>(value) & 0xFF);
}
constexpr uint16_t LowWord(int64_t value) {
  return static_cast<uint16_t>(static_cast<uint64_t>(value) & 0xFFFF);
}

}  // namespace vorel
