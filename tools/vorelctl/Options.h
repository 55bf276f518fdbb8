// The command line of a verb: its arguments, and its options as "--name value" or
// "--name=value", each allowed at most once.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Verbs.h"
#include "core/base/Result.h"
#include "core/image/ImagePacking.h"

namespace vorelctl {

struct ParsedArguments {
  std::vector<std::string_view> arguments;
  std::map<std::string, std::string, std::less<>> options;

  std::optional<std::string_view> Option(std::string_view name) const {
    const auto found = options.find(name);
    if (found == options.end()) return std::nullopt;
    return found->second;
  }
};

// Done when the command line is right; otherwise what is wrong with it: an
// option the verb does not take, one given twice, one without its value.
// `flagNames` take no value; a flag given reads as "yes".
vorel::Outcome ParseArguments(Arguments args, std::initializer_list<std::string_view> optionNames,
                              ParsedArguments& parsed,
                              std::initializer_list<std::string_view> flagNames = {});

// --clock "YYYY-MM-DD HH:MM:SS" of the years the controller's one-byte year holds
// (2000..2255): done when right (`clock` set when given), else what is wrong.
vorel::Outcome ReadClockOption(const ParsedArguments& parsed,
                               std::optional<vorel::LocalDateTime>& clock);

// --master-code: at most 8 of the controller's 8-bit characters, the terminal's UTF-8
// taken as Windows-1252 ("ÄÄÄÄÄÄÄÄ" is 8); `code` holds them when given.
vorel::Outcome ReadMasterCodeOption(const ParsedArguments& parsed,
                                    std::optional<std::string>& code);

// "surplus argument 'x'" past the `count` arguments a verb takes.
vorel::Outcome SurplusArgument(const ParsedArguments& parsed, size_t count);

}  // namespace vorelctl
