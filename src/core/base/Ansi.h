// Windows-1252 text: the editors, the system file and the controller image all
// hold 8-bit characters of this code page. These helpers translate at the edges
// (widgets, terminal output); the core itself never transcodes.
#pragma once

#include <string>
#include <string_view>

namespace vorel::Ansi {

// Code point of one Windows-1252 byte. The five bytes without a character
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
char32_t ToUnicode(unsigned char byte);

// The Windows-1252 byte of a code point, or '?' when the code page lacks it.
unsigned char FromUnicode(char32_t codePoint);

std::string ToUtf8(std::string_view ansi);

// Malformed UTF-8 sequences become '?', like characters outside the code page;
// `lost`, when given, is set when that happened.
std::string FromUtf8(std::string_view utf8, bool* lost = nullptr);

// UTF-16 text (without its byte-order mark) as UTF-8; unpaired surrogates and an odd
// last byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view utf16, bool bigEndian);

}  // namespace vorel::Ansi
