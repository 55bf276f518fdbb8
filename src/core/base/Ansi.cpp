// Windows-1252 <-> Unicode tables.
#include "core/base/Ansi.h"

#include <array>

namespace vorel::Ansi {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

char32_t ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

unsigned char FromUnicode(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == cp) return static_cast<unsigned char>(0x80 + i);
  }
  return '?';
}

std::string ToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) AppendUtf8(out, ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string FromUtf8(std::string_view utf8, bool* lost) {
  const auto unrepresentable = [&] {
    if (lost) *lost = true;
    return '?';
  };
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    size_t extra = 0;
    if (lead >= 0x80) {
      if ((lead >> 5) == 0x6) {
        extra = 1;
      } else if ((lead >> 4) == 0xE) {
        extra = 2;
      } else if ((lead >> 3) == 0x1E) {
        extra = 3;
      } else {
        out.push_back(unrepresentable());
        ++i;
        continue;
      }
    }
    if (i + extra >= utf8.size() && extra > 0) {
      out.push_back(unrepresentable());
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? lead : (lead & (0x3F >> extra));
    bool ok = true;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char cont = static_cast<unsigned char>(utf8[i + k]);
      if ((cont & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (!ok) {
      out.push_back(unrepresentable());
      ++i;
      continue;
    }
    const unsigned char byte = FromUnicode(cp);
    out.push_back(byte == '?' && cp != U'?' ? unrepresentable() : static_cast<char>(byte));
    i += extra + 1;
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view utf16, bool bigEndian) {
  constexpr char32_t kReplacement = 0xFFFD;
  const auto unit = [&](size_t at) {
    const auto high = static_cast<unsigned char>(utf16[bigEndian ? at : at + 1]);
    const auto low = static_cast<unsigned char>(utf16[bigEndian ? at + 1 : at]);
    return static_cast<char32_t>(high << 8 | low);
  };
  std::string out;
  out.reserve(utf16.size());
  size_t i = 0;
  while (i + 1 < utf16.size()) {
    char32_t cp = unit(i);
    i += 2;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      const char32_t next = i + 1 < utf16.size() ? unit(i) : 0;
      if (next >= 0xDC00 && next <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
        i += 2;
      } else {
        cp = kReplacement;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  if (i < utf16.size()) AppendUtf8(out, kReplacement);  // an odd last byte
  return out;
}

}  // namespace vorel::Ansi
