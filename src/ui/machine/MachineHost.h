// What a machine window needs from the main window: its machine's settings to show,
// the program editors' context, and the way its edits reach the configuration.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "core/config/SystemConfiguration.h"
#include "ui/program/ProgramEditorContext.h"

namespace vorel {

class MachineHost : public ProgramEditorContext {
 public:
  virtual const MachineSettings& Machine(int machineIndex) const = 0;
  // A change of machine index 0..9, through the session: the technician's edit
  // (the unsaved-work question counts it), or with `byTechnician` false only
  // recorded (what its trigger unit told of itself, a cleared machine's defaults).
  using MachineChange = std::function<void(MachineSettings&)>;
  virtual void EditMachine(int machineIndex, const MachineChange& change,
                           bool byTechnician = true) = 0;
  // The pump calibration dialog for pump 1..7 of this machine: the new ml per 60 s
  // when the technician accepted it.
  virtual std::optional<std::string> RunCalibration(int pump, int machineIndex,
                                                    int currentMlPerMinute,
                                                    const QWidget* machineWindow) = 0;
};

}  // namespace vorel
