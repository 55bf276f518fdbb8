// What a program editor needs from the rest of the tool: the stored program it
// edits, the system's default input filter, the program clipboard, and whom to
// tell when it saved.
#pragma once

#include <functional>
#include <string>

#include "core/config/ProgramRecord.h"

namespace vorel {

class UiEnvironment;

class ProgramEditorContext {
 public:
  virtual ~ProgramEditorContext() = default;
  // The dialogs and the diagnostic log.
  virtual UiEnvironment& Ui() = 0;
  // The stored record of machine index 0..9, slot index 0..5.
  virtual const ProgramRecord& StoredProgram(int machineIndex, int slotIndex) const = 0;
  // The system's DefaultInputFilter text, for new input lines.
  virtual std::string DefaultInputFilter() const = 0;
  // The program clipboard: the stored record last chosen with "Copy program".
  virtual const ProgramRecord* CopiedProgram() const = 0;
  virtual void SetCopiedProgram(const ProgramRecord* program) = 0;
  // Save: `change` applied to the stored record through the session (the system
  // counts as changed), then the machine window refreshes the slot's button and
  // its trigger window.
  using ProgramChange = std::function<void(ProgramRecord&)>;
  virtual void StoreProgram(int machineIndex, int slotIndex, const ProgramChange& change) = 0;
};

}  // namespace vorel
