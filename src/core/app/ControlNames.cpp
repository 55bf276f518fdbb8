// Control names as words.
#include "core/app/ControlNames.h"

#include <array>
#include <cctype>

namespace vorel {

namespace {
// The kinds of control a name ends in, longest first.
constexpr std::array<std::string_view, 9> kKinds = {
    "ComboBox", "GroupBox", "CheckBox", "Combo", "Label", "Edit", "Btn", "btn", "Memo"};

bool Upper(char c) {
  return std::isupper(static_cast<unsigned char>(c)) != 0;
}
bool Digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
}  // namespace

std::string WordsOfControlName(std::string_view name) {
  for (std::string_view kind : kKinds) {
    if (name.size() > kind.size() && name.ends_with(kind)) {
      name.remove_suffix(kind.size());
      break;
    }
  }
  std::string words;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == '_') {
      if (!words.empty() && words.back() != ' ') words += ' ';
      continue;
    }
    const char before = i > 0 ? name[i - 1] : ' ';
    const char after = i + 1 < name.size() ? name[i + 1] : ' ';
    // A word starts at a capital after a small letter or digit, at the last capital of
    // a run ("MQ350watch", "IPaddress") and at the first digit of a number.
    const bool starts =
        i > 0 && ((Upper(c) && !Upper(before) && before != '_') ||
                  (Upper(c) && Upper(before) && std::islower(static_cast<unsigned char>(after))) ||
                  (Digit(c) && !Digit(before)) ||
                  (std::islower(static_cast<unsigned char>(c)) && Digit(before)));
    if (starts && !words.empty() && words.back() != ' ') words += ' ';
    const bool keepCase = Upper(c) && (Upper(before) || Upper(after) || Digit(after));
    words += words.empty() || keepCase ? c : static_cast<char>(std::tolower(c));
  }
  return words;
}

}  // namespace vorel
