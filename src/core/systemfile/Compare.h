// Two configurations set side by side in the technician's words: each difference names
// the place as the windows name it ("Machine 3, pump 2 calibration") and the values as
// the editors show them ("400 ml/min"). Values are compared as the controller gets them,
// so "05" and "5" seconds, or two calibrations that store the same seconds per 100 ml,
// are no difference. The logs are left out, as a write never sends them.
#pragma once

#include <string>
#include <vector>

#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"

namespace vorel {

struct Difference {
  std::string place;  // "Machine 1, program 1 \"Whites 60\", line 2 (Pump)"
  std::string a;      // the first configuration's value (Windows-1252)
  std::string b;      // the second configuration's value

  friend bool operator==(const Difference&, const Difference&) = default;
};

// Configuration a with its image against configuration b with its image. The images
// give what the system file does not hold: the data-format version and the soap amount
// alarm. In the order of the windows: system setup, then machine by machine its
// settings, calibrations, trigger and programs line by line.
std::vector<Difference> CompareConfigurations(const SystemConfiguration& a,
                                              const ControllerImage& aImage,
                                              const SystemConfiguration& b,
                                              const ControllerImage& bImage);

// What a write would change in a controller: the editors, packed as Write packs them
// (onto `editorsImage`, which keeps the login code), against the image last read
// from it. Each difference's a is the editors' value, b the controller's.
std::vector<Difference> CompareWithController(const SystemConfiguration& editors,
                                              const ControllerImage& editorsImage,
                                              const ControllerImage& controller);

// One line: "place: a -> b".
std::string DifferenceLine(const Difference& difference);

}  // namespace vorel
