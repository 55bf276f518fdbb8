// Resetting the controller image and storing and reading the texts of its text area.
#include "core/image/ControllerImage.h"

#include <algorithm>
#include <cstdio>

namespace vorel {

using namespace image;

void ResetImage(ImageState& state, bool wholeImage) {
  auto& bytes = state.image.bytes;
  const auto loginCode = bytes.begin() + kSystemLoginCode;
  std::copy_n(loginCode, kSystemLoginCodeSize, state.loginCodeSave.begin());

  // Without the whole-image flag the logs and the controller's own tail survive. The
  // reset clears the firmware version, after which the logs are looked for at their
  // usual place; a firmware-1 controller's logs move there first. The consumption log
  // moves first: the alarm log's usual place overlaps its firmware-1 place.
  if (!wholeImage && bytes[kFirmwareMajor] == kLowLogsFirmware) {
    const auto from = [&bytes](size_t offset) { return bytes.begin() + offset; };
    std::copy_backward(from(kDataLogFirmware1), from(kDataLogFirmware1 + kDataLogSize),
                       from(kDataLog + kDataLogSize));
    std::copy_backward(from(kAlarmLogFirmware1), from(kAlarmLogFirmware1 + kAlarmLogSize),
                       from(kAlarmLog + kAlarmLogSize));
  }
  const size_t clearEnd = wholeImage ? kSize : kAlarmLog;
  std::fill(bytes.begin(), bytes.begin() + clearEnd, 0);
  std::copy(kMagicText.begin(), kMagicText.end(), bytes.begin() + kMagic);
  bytes[kVersionMajor] = kFormatMajor;
  bytes[kVersionMinor] = kFormatMinor;

  std::copy(state.loginCodeSave.begin(), state.loginCodeSave.end(), loginCode);
  state.textCursor = kTextFirst;
}

size_t AlarmLogOffset(const ControllerImage& image) {
  return image.bytes[kFirmwareMajor] == kLowLogsFirmware ? kAlarmLogFirmware1 : kAlarmLog;
}

size_t ConsumptionLogOffset(const ControllerImage& image) {
  return image.bytes[kFirmwareMajor] == kLowLogsFirmware ? kDataLogFirmware1 : kDataLog;
}

TextRef AppendText(ImageState& state, std::string_view text) {
  const size_t used = state.textCursor;
  if (text.empty() || used < kTextFirst || used > kTextAreaSize) return 0;
  if (text.size() + 1 > kTextAreaSize - used) return 0;  // dropped: it reads back as empty
  auto& bytes = state.image.bytes;
  std::copy(text.begin(), text.end(), bytes.begin() + kTextArea + used);
  bytes[kTextArea + used + text.size()] = 0;
  state.textCursor = used + text.size() + 1;
  return static_cast<TextRef>(used);
}

std::string TextAt(const ControllerImage& image, TextRef ref) {
  // Only a foreign image can hold a reference outside the area or a text that runs
  // up to its end; neither may lead the reading into the logs.
  if (ref == 0 || ref >= kTextAreaSize) return {};
  const auto start = image.bytes.begin() + kTextArea + ref;
  const auto areaEnd = image.bytes.begin() + kTextArea + kTextAreaSize;
  return std::string(start, std::find(start, areaEnd, uint8_t{0}));
}

std::string UsedTextLabel(double percent) {
  char text[32];
  std::snprintf(text, sizeof text, "Used text: %.1f%%", percent);
  return text;
}

std::string FormatStatusText(const ImageState& state) {
  if (!state.ImageValid) return {};
  char text[32];
  std::snprintf(text, sizeof text, "Format: %d.%d", state.image.VersionMajor(),
                state.image.VersionMinor());
  return text;
}

}  // namespace vorel
