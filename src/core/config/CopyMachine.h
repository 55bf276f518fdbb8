// Copying one machine's configuration onto another or onto all others.
#pragma once

#include <string>
#include <vector>

#include "core/config/SystemConfiguration.h"

namespace vorel {

inline constexpr int kCopyToAll = kMachineCount;  // "All", after "Machine 1".."Machine 10"

// Settings, calibrations, the six stored programs and the trigger block; the
// target keeps its `Enabled` flag.
void CopyMachineInto(const MachineSettings& source, MachineSettings& target);

struct CopyOutcome {
  std::string status;              // the dialog's status line
  std::vector<int> targetIndexes;  // machines (0..9) that received the copy, in order
};

// Copies machine `fromIndex` (0..9) to machine `toPosition` (0..9) or to all other
// machines (kCopyToAll). Equal source and target copy nothing: "Copy ?".
CopyOutcome CopyMachines(SystemConfiguration& config, int fromIndex, int toPosition);

}  // namespace vorel
