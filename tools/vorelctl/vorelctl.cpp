// vorelctl, the command-line companion of the configuration tool: the verb
// dispatcher, the usage text and the version.
#include <algorithm>
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "Verbs.h"

namespace vorelctl {
namespace {

struct Verb {
  std::string_view name;
  std::string_view synopsis;
  std::string_view summary;
  int (*run)(Arguments, std::ostream&, std::ostream&);
};

constexpr std::array<Verb, 1> kVerbs = {{
    {"convert", "convert INPUT.xml OUTPUT.xml",
     "load a system file and save it again, as Load System and Save System do", Convert},
}};

constexpr size_t kSynopsisColumn = 32;

}  // namespace

void PrintUsage(std::ostream& stream) {
  stream << "Usage: vorelctl COMMAND [ARGUMENTS]\n"
            "       vorelctl --help | --version\n"
            "\n"
            "Commands:\n";
  for (const Verb& verb : kVerbs) {
    std::string line = "  " + std::string(verb.synopsis);
    line.resize(std::max(line.size() + 2, kSynopsisColumn), ' ');
    stream << line << verb.summary << '\n';
  }
  stream << "\nExit status: 0 done, 1 failed, 2 wrong command line.\n";
}

int UsageError(std::ostream& err, std::string_view message) {
  err << "vorelctl: " << message << '\n';
  PrintUsage(err);
  return kExitUsage;
}

int Run(Arguments args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return UsageError(err, "no command given");
  const std::string_view first = args.front();
  if (first == "--help" || first == "-h") {
    PrintUsage(out);
    return kExitOk;
  }
  if (first == "--version") {
    out << VOREL_VERSION_MAJOR << '.' << VOREL_VERSION_MINOR << '\n';
    return kExitOk;
  }
  for (const Verb& verb : kVerbs) {
    if (verb.name == first) return verb.run(args.subspan(1), out, err);
  }
  return UsageError(err, "unknown command '" + std::string(first) + "'");
}

}  // namespace vorelctl

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return vorelctl::Run(args, std::cout, std::cerr);
}
