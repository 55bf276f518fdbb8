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
  if (const vorel::Outcome checked = ParseArguments(args, {}, parsed); !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.empty()) return UsageError(err, "check needs FILE");
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);
  vorel::Session session;
  const vorel::Outcome input =
      LoadInput(std::string(parsed.arguments[0]), vorel::LocalNow(), session);
  if (!input) {
    err << "vorelctl: " << input.reason << '\n';
    return kExitFailure;
  }
  PrintChanges(session.LoadChanges(), "", out);
  return session.LoadChanges().empty() ? kExitOk : kExitChanges;
}

}  // namespace vorelctl
