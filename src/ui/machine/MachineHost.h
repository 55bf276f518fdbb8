// What a machine window needs from the main window: its machine's settings, the
// program editors' context, and whom to tell when the configuration changed.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "core/config/SystemConfiguration.h"
#include "ui/program/ProgramEditorContext.h"

namespace vorel {

class MachineHost : public ProgramEditorContext {
 public:
  virtual MachineSettings& Machine(int machineIndex) = 0;
  // Any edit that reached the configuration (the unsaved-work question counts it).
  virtual void ConfigurationEdited() = 0;
  // The pump calibration dialog for pump 1..7 of this machine: the new ml per 60 s
  // when the technician accepted it.
  virtual std::optional<std::string> RunCalibration(int pump, int machineIndex,
                                                    int currentMlPerMinute,
                                                    const QWidget* machineWindow) = 0;
};

}  // namespace vorel
