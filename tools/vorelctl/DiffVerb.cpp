// vorelctl diff: two system files or controller images, in any mix, set side by side
// in the technician's words, as the read/write window's Compare lists them.
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "Input.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "core/systemfile/Compare.h"
#include "io/FileAccess.h"

namespace vorelctl {

// vorelctl diff A B: one line per difference, exit 3 when there is one.
int Diff(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {}, parsed); !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.size() < 2) return UsageError(err, "diff needs A and B");
  if (const vorel::Outcome checked = SurplusArgument(parsed, 2); !checked)
    return UsageError(err, checked.reason);
  // One session each, as two runs of the tool would hold them; the clock packing
  // writes is no setting and is not compared.
  const vorel::LocalDateTime now = vorel::LocalNow();
  vorel::Session a;
  vorel::Session b;
  for (const auto& [path, session] :
       {std::pair{parsed.arguments[0], &a}, std::pair{parsed.arguments[1], &b}}) {
    if (const vorel::Outcome loaded = LoadInput(std::string(path), now, *session); !loaded) {
      err << "vorelctl: " << loaded.reason << '\n';
      return kExitFailure;
    }
  }
  const std::vector<vorel::Difference> differences = vorel::CompareConfigurations(
      a.Configuration(), a.Image().image, b.Configuration(), b.Image().image);
  for (const vorel::Difference& difference : differences)
    out << vorel::Ansi::ToUtf8(vorel::DifferenceLine(difference)) << '\n';
  return differences.empty() ? kExitOk : kExitChanges;
}

}  // namespace vorelctl
