// What a write would change in a controller: the configuration in the editors set
// against the one last read from the controller, field by field, named by the
// system file's elements ("MachineData/Machine3/Program[2]/Name"). The logs are left
// out, as a write never sends them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"

namespace vorel {

struct FieldDifference {
  std::string element;     // path of element names; repeated names get [n], counted from 1
  std::string editors;     // the editors' value (Windows-1252), empty when missing
  std::string controller;  // the controller's value

  friend bool operator==(const FieldDifference&, const FieldDifference&) = default;
};

// Two system files compared element by element.
std::vector<FieldDifference> CompareSystemFiles(std::string_view editors,
                                                std::string_view controller);

// The editors' configuration against an image read from the controller.
std::vector<FieldDifference> CompareWithController(const SystemConfiguration& editors,
                                                   const ControllerImage& editorsImage,
                                                   const ControllerImage& controller);

}  // namespace vorel
