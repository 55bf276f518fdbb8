// Cleared program slots.
#include "core/config/ProgramRecord.h"

namespace vorel {

std::string DefaultProgramName(int slotNumber) {
  return "Program " + std::to_string(slotNumber);
}

ProgramRecord ClearedProgram(int slotNumber) {
  ProgramRecord record;
  record.Name = DefaultProgramName(slotNumber);
  return record;
}

}  // namespace vorel
