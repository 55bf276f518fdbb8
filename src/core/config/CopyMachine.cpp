// Machine copy.
#include "core/config/CopyMachine.h"

namespace vorel {
namespace {
std::string MachineText(int index) {
  return "Machine " + std::to_string(index + 1);
}
}  // namespace

void CopyMachineInto(const MachineSettings& source, MachineSettings& target) {
  if (&source == &target) return;
  const bool enabled = target.Enabled;
  target = source;
  target.Enabled = enabled;
}

CopyOutcome CopyMachines(SystemConfiguration& config, int fromIndex, int toPosition) {
  CopyOutcome outcome;
  if (fromIndex < 0 || fromIndex >= kMachineCount || toPosition < 0 || toPosition > kCopyToAll ||
      fromIndex == toPosition) {
    outcome.status = "Copy ?";
    return outcome;
  }
  const MachineSettings& source = config.MachineData[fromIndex];
  if (toPosition == kCopyToAll) {
    for (int i = 0; i < kMachineCount; ++i) {
      if (i == fromIndex) continue;
      CopyMachineInto(source, config.MachineData[i]);
      outcome.targetIndexes.push_back(i);
    }
    outcome.status = "Copy " + MachineText(fromIndex) + " to all.";
  } else {
    CopyMachineInto(source, config.MachineData[toPosition]);
    outcome.targetIndexes.push_back(toPosition);
    outcome.status = "Copy " + MachineText(fromIndex) + " to " + MachineText(toPosition) + ".";
  }
  return outcome;
}

}  // namespace vorel
