// Parsing a verb's command line.
#include "Options.h"

#include <algorithm>

#include "core/base/Ansi.h"
#include "core/image/ControllerImage.h"
#include "io/FileAccess.h"

namespace vorelctl {

std::optional<std::string> ParseArguments(Arguments args,
                                          std::initializer_list<std::string_view> optionNames,
                                          ParsedArguments& parsed,
                                          std::initializer_list<std::string_view> flagNames) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (!arg.starts_with("--")) {
      parsed.arguments.push_back(arg);
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name(arg.substr(0, equals));
    if (std::find(flagNames.begin(), flagNames.end(), name) != flagNames.end()) {
      if (equals != std::string_view::npos) return name + " takes no value";
      if (parsed.options.contains(name)) return name + " given twice";
      parsed.options[name] = "yes";
      continue;
    }
    if (std::find(optionNames.begin(), optionNames.end(), name) == optionNames.end())
      return "unknown option " + name;
    if (parsed.options.contains(name)) return name + " given twice";
    if (equals != std::string_view::npos) {
      parsed.options[name] = std::string(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      parsed.options[name] = std::string(args[++i]);
    } else {
      return name + " needs a value";
    }
  }
  return std::nullopt;
}

std::optional<std::string> SurplusArgument(const ParsedArguments& parsed, size_t count) {
  if (parsed.arguments.size() <= count) return std::nullopt;
  return "surplus argument '" + std::string(parsed.arguments[count]) + "'";
}

namespace {
// The years the controller's one-byte year (year - 2000) holds.
constexpr int kFirstClockYear = 2000;
constexpr int kLastClockYear = 2255;
}  // namespace

std::optional<std::string> ReadClockOption(const ParsedArguments& parsed,
                                           std::optional<vorel::LocalDateTime>& clock) {
  const auto text = parsed.Option("--clock");
  if (!text) return std::nullopt;
  clock = vorel::ParseLocalDateTime(*text);
  if (!clock || clock->year < kFirstClockYear || clock->year > kLastClockYear)
    return "--clock takes \"YYYY-MM-DD HH:MM:SS\" of the years 2000..2255";
  return std::nullopt;
}

std::optional<std::string> ReadMasterCodeOption(const ParsedArguments& parsed,
                                                std::optional<std::string>& code) {
  const auto text = parsed.Option("--master-code");
  if (!text) return std::nullopt;
  code = vorel::Ansi::FromUtf8(*text);
  if (code->size() > vorel::image::kLoginCodeMax) return "--master-code takes at most 8 characters";
  return std::nullopt;
}

}  // namespace vorelctl
