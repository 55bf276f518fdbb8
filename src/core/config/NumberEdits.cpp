// The number edits' rules.
#include "core/config/NumberEdits.h"

namespace vorel {
namespace {

constexpr int kTenths = 10;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

const NumberEditRule* FindNumberEditRule(std::string_view controlName) {
  for (const auto& rule : kProgramNumberEdits) {
    if (rule.controlName == controlName) return &rule;
  }
  for (const auto& rule : kMachineNumberEdits) {
    if (rule.controlName == controlName) return &rule;
  }
  for (const auto& rule : kTriggerNumberEdits) {
    if (rule.controlName == controlName) return &rule;
  }
  return nullptr;
}

NumberTextState CheckNumberEditText(const NumberEditRule& rule, std::string_view text) {
  if (text.empty()) return NumberTextState::kAccepted;
  const bool negative = text.front() == '-';
  if (negative) {
    if (rule.lowest >= 0 || rule.decimals > 0) return NumberTextState::kRefused;
    text.remove_prefix(1);
    if (text.empty()) return NumberTextState::kOnTheWay;
  }
  // The magnitude may reach the lowest value's on the negative side.
  const int64_t limit = negative ? -rule.lowest : rule.highest;
  int64_t value = 0;
  size_t at = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    value = value * kTenths + (text[at] - '0');
    if (value > limit) return NumberTextState::kRefused;
  }
  if (at == 0) return NumberTextState::kRefused;
  if (rule.decimals == 0) {
    if (at != text.size()) return NumberTextState::kRefused;
    if (!negative && value > 0 && value < rule.lowestAboveZero) return NumberTextState::kOnTheWay;
    return NumberTextState::kAccepted;
  }
  // One decimal after a comma or point; the value counts in tenths.
  int64_t tenths = value * kTenths;
  if (at < text.size()) {
    if (text[at] != ',' && text[at] != '.') return NumberTextState::kRefused;
    ++at;
    if (at < text.size()) {
      if (!IsDigit(text[at]) || at + 1 != text.size()) return NumberTextState::kRefused;
      tenths += text[at] - '0';
    }
  }
  return tenths <= rule.highest ? NumberTextState::kAccepted : NumberTextState::kRefused;
}

}  // namespace vorel
