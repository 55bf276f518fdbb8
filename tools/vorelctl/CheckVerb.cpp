// vorelctl check: the values of a system file that do not reach the controller as
// the file writes them.
#include <string>

#include "Input.h"
#include "Options.h"
#include "Verbs.h"
#include "io/FileAccess.h"

namespace vorelctl {

// vorelctl check FILE: what of the file does not reach the controller as written.
int Check(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(args, {}, parsed)) return UsageError(err, *wrong);
  if (parsed.arguments.empty()) return UsageError(err, "check needs FILE");
  if (auto surplus = SurplusArgument(parsed, 1)) return UsageError(err, *surplus);
  vorel::Session session;
  const LoadedInput input = LoadInput(std::string(parsed.arguments[0]), vorel::LocalNow(), session);
  if (input.refused) {
    err << "vorelctl: " << *input.refused << '\n';
    return kExitFailure;
  }
  PrintChanges(input.changes, "", out);
  return input.changes.empty() ? kExitOk : kExitChanges;
}

}  // namespace vorelctl
