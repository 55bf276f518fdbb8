// Where two texts first differ, as a failing fuzz check reports it: the line number
// and that line of each, instead of two documents of a hundred kilobytes.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace vorel::fuzz {

inline std::string FirstDifference(std::string_view a, std::string_view b) {
  const size_t common = static_cast<size_t>(
      std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first -
      a.begin());
  const size_t lineEnd = common == 0 ? std::string_view::npos : a.rfind('\n', common - 1);
  const size_t from = lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
  const auto lineOf = [from](std::string_view text) {
    return std::string(text.substr(from, text.find('\n', from) - from));
  };
  const size_t line = 1 + static_cast<size_t>(std::count(a.begin(), a.begin() + from, '\n'));
  return "line " + std::to_string(line) + ":\n  " + lineOf(a) + "\n  " + lineOf(b);
}

}  // namespace vorel::fuzz
