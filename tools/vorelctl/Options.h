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

// Nothing when the command line is right; otherwise what is wrong with it: an
// option the verb does not take, one given twice, one without its value.
// `flagNames` take no value; a flag given reads as "yes".
std::optional<std::string> ParseArguments(Arguments args,
                                          std::initializer_list<std::string_view> optionNames,
                                          ParsedArguments& parsed,
                                          std::initializer_list<std::string_view> flagNames = {});

// "surplus argument 'x'" past the `count` arguments a verb takes.
std::optional<std::string> SurplusArgument(const ParsedArguments& parsed, size_t count);

}  // namespace vorelctl
