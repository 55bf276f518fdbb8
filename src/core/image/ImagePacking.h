// Building the controller image from the configuration (PackImage) and filling
// the configuration from an image read from the controller (UnpackImage).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/Result.h"
#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"

namespace vorel {

// The PC's local date and time at the moment of packing; the caller reads the clock.
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int weekday = 0;  // 0 Monday .. 6 Sunday
};

// The controller's own date and time as read with the image, unchecked.
struct ControllerClock {
  uint8_t seconds = 0;
  uint8_t minutes = 0;
  uint8_t hours = 0;
  uint8_t day = 0;
  uint8_t month = 0;
  uint8_t year = 0;  // year - 2000

  friend bool operator==(const ControllerClock&, const ControllerClock&) = default;
};

// What the controller tells about itself: header bytes 7..13 and its clock.
struct ControllerInfo {
  uint32_t serialNumber = 0;
  uint8_t hardwareVersion = 0;
  uint8_t firmwareMajor = 0;
  uint8_t firmwareMinor = 0;
  ControllerClock clock;

  friend bool operator==(const ControllerInfo&, const ControllerInfo&) = default;
};

// What unpacking an image found: whether it was taken, and what the read/write and
// system setup windows show of it.
struct UnpackResult {
  // Taken, or refused with "Bad data format or version: %d.%d" (shown with a single
  // Abort button).
  Outcome taken;
  // The controller's login code, for the read/write window's login code edit; set
  // even when the image is refused.
  std::string loginCode;
  // "Date: %04d-%02d-%02d %02d:%02d:%02d" with the controller clock, for the
  // read/write window's status panel 0; empty when refused.
  std::string dateText;
  // Serial number (the read/write window shows it in decimal), versions and clock
  // for the system setup window; zero when refused.
  ControllerInfo controller;
};

// Builds the image from the configuration: reset, clock setting from `now`, system
// area, machine and program blocks, the texts in their fixed order, padding, the
// used-text figure. In master mode `masterLoginCode` (its first 8 characters)
// becomes the controller's login code; otherwise the code of the last read stays.
// Sets ImageValid and the configuration's format version to 1.1.
void PackImage(SystemConfiguration& config, ImageState& state, const LocalDateTime& now,
               std::optional<std::string_view> masterLoginCode = std::nullopt);

// Clears the configuration, checks the header and, when the image is one the tool
// understands, fills the configuration from it and sets ImageValid. A refused image
// leaves the configuration cleared and the image bytes as read.
UnpackResult UnpackImage(SystemConfiguration& config, ImageState& state);

// The system-wide fields between the image and the configuration: system name,
// default input filter, alarm groups, recipients and active levels (not the
// machines' Enabled flags).
void UnpackSystemSettings(const ControllerImage& image, SystemConfiguration& config);
// The first 40 characters of the system name and its terminator.
void PackSystemName(ControllerImage& image, std::string_view name);
// The filter time in seconds, low 8 bits; a text that is not a number gives 0.
void PackDefaultInputFilter(ControllerImage& image, std::string_view seconds);

// A pump calibration between the editors' ml per 60 s and the stored seconds per
// 100 ml: packing limits the byte to 250 and stores a value of 0 or below (or a text
// that is not a number, read as 0) as its low 8 bits; a stored 0 unpacks to "0".
uint8_t PackCalibration(std::string_view mlPerMinute);
std::string UnpackCalibration(uint8_t secondsPer100ml);

ControllerInfo ReadControllerInfo(const ControllerImage& image);

// The header names this tool's data format (its magic text and major version): an
// image the editors can take.
bool HeaderAccepted(const ControllerImage& image);
// "Bad data format or version: %d.%d"
std::string BadFormatText(const ControllerImage& image);
// The controller's clock holds a real time: year byte up to 99, month 1..12, day
// 1..31, hours up to 23, minutes and seconds up to 59.
bool IsValidClock(const ControllerClock& clock);
// The system setup window's watch: "%04d-%02d-%02d  %02d:%02d:%02d" (two blanks), empty
// when the clock is not valid.
std::string WatchText(const ControllerClock& clock);

// The soap amount alarm as the controller keeps it (the system setup window shows it,
// the system file does not hold it): the switch, and the six alarm and six used
// amounts of pumps 1..6 as "0.00" texts of the hundredths stored.
struct SoapAmounts {
  bool alarmOn = false;
  std::array<std::string, 6> alarm;
  std::array<std::string, 6> used;
};
SoapAmounts ReadSoapAmounts(const ControllerImage& image);
// The controller's login code as stored, at most 8 characters.
std::string LoginCodeText(const ControllerImage& image);
// The one rule of the login code check, over the serial link and after a gateway read
// alike: the controller's code is the text of the area's first 8 bytes up to a 0 (what
// follows in the 10-byte area is not code), and a typed code opens a controller that
// holds none or exactly that code.
bool LoginCodeOpens(std::span<const uint8_t> codeArea, std::string_view typed);
// "Date: %04d-%02d-%02d %02d:%02d:%02d" with the controller clock, values unchecked.
std::string ControllerDateText(const ControllerImage& image);

}  // namespace vorel
