// Parsing a verb's command line.
#include "Options.h"

#include <algorithm>

#include "core/base/Ansi.h"
#include "core/image/ControllerImage.h"
#include "io/FileAccess.h"

namespace vorelctl {

vorel::Outcome ParseArguments(Arguments args, std::initializer_list<std::string_view> optionNames,
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
      if (equals != std::string_view::npos) return vorel::Outcome::Failed(name + " takes no value");
      if (parsed.options.contains(name)) return vorel::Outcome::Failed(name + " given twice");
      parsed.options[name] = "yes";
      continue;
    }
    if (std::find(optionNames.begin(), optionNames.end(), name) == optionNames.end())
      return vorel::Outcome::Failed("unknown option " + name);
    if (parsed.options.contains(name)) return vorel::Outcome::Failed(name + " given twice");
    if (equals != std::string_view::npos) {
      parsed.options[name] = std::string(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      parsed.options[name] = std::string(args[++i]);
    } else {
      return vorel::Outcome::Failed(name + " needs a value");
    }
  }
  return vorel::Outcome::Done();
}

vorel::Outcome SurplusArgument(const ParsedArguments& parsed, size_t count) {
  if (parsed.arguments.size() <= count) return vorel::Outcome::Done();
  return vorel::Outcome::Failed("surplus argument '" + std::string(parsed.arguments[count]) + "'");
}

namespace {
// The years the controller's one-byte year (year - 2000) holds.
constexpr int kFirstClockYear = 2000;
constexpr int kLastClockYear = 2255;
}  // namespace

vorel::Outcome ReadClockOption(const ParsedArguments& parsed,
                               std::optional<vorel::LocalDateTime>& clock) {
  const auto text = parsed.Option("--clock");
  if (!text) return vorel::Outcome::Done();
  clock = vorel::ParseLocalDateTime(*text);
  if (!clock || clock->year < kFirstClockYear || clock->year > kLastClockYear)
    return vorel::Outcome::Failed("--clock takes \"YYYY-MM-DD HH:MM:SS\" of the years 2000..2255");
  return vorel::Outcome::Done();
}

vorel::Outcome ReadMasterCodeOption(const ParsedArguments& parsed,
                                    std::optional<std::string>& code) {
  const auto text = parsed.Option("--master-code");
  if (!text) return vorel::Outcome::Done();
  code = vorel::Ansi::FromUtf8(*text);
  if (code->size() > vorel::image::kLoginCodeMax)
    return vorel::Outcome::Failed("--master-code takes at most 8 characters");
  return vorel::Outcome::Done();
}

}  // namespace vorelctl
