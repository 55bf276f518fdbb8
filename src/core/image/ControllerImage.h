// The byte-exact copy of the TL4200 controller's 32768-byte memory, with the
// offsets of its regions and fields, and the state the tool keeps beside it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/Bytes.h"

namespace vorel {

namespace image {
inline constexpr size_t kSize = 32768;

// Regions.
inline constexpr size_t kHeader = 0;
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kSystemArea = 32;
inline constexpr size_t kSystemAreaSize = 992;
inline constexpr size_t kMachineBlocks = 1024;
inline constexpr size_t kMachineBlockSize = 1456;
inline constexpr size_t kMachineBlockCount = 10;
inline constexpr size_t kMachineBlocksEnd = 15584;  // 0x3CE0, 32 unused bytes follow
inline constexpr size_t kTextArea = 15616;          // 0x3D00
inline constexpr size_t kTextAreaSize = 9600;
inline constexpr size_t kAlarmLog = 25216;  // 0x6280
inline constexpr size_t kAlarmLogSize = 256;
inline constexpr size_t kDataLog = 25472;  // 0x6380
inline constexpr size_t kDataLogSize = 7248;
inline constexpr size_t kTail = 32720;  // 0x7FD0, the controller's own 48 bytes
inline constexpr size_t kTailSize = 48;
// Where a controller with firmware major version 1 keeps its logs.
inline constexpr uint8_t kLowLogsFirmware = 1;
inline constexpr size_t kAlarmLogFirmware1 = 25088;  // 0x6200
inline constexpr size_t kDataLogFirmware1 = 25344;   // 0x6300

// Header fields.
inline constexpr size_t kMagic = 0;  // "MQ350", no terminator
inline constexpr size_t kMagicSize = 5;
inline constexpr std::string_view kMagicText = "MQ350";
inline constexpr size_t kVersionMajor = 5;
inline constexpr size_t kVersionMinor = 6;
inline constexpr size_t kHardwareVersion = 7;
inline constexpr size_t kFirmwareMajor = 8;
inline constexpr size_t kFirmwareMinor = 9;
inline constexpr size_t kSerialNumber = 10;  // 32-bit little-endian
// The data-format version the tool writes; it accepts only this major version.
inline constexpr uint8_t kFormatMajor = 1;
inline constexpr uint8_t kFormatMinor = 1;

// System area fields.
inline constexpr size_t kSystemName = 32;  // 0x20
inline constexpr size_t kSystemNameSize = 40;
inline constexpr size_t kSystemNameTerminator = 72;  // 0x48, always 0
inline constexpr size_t kEnableMask = 100;           // 0x64, 16-bit, bit m = machine m+1
inline constexpr size_t kDefaultInputFilter = 102;   // 0x66, seconds
inline constexpr size_t kClockSettingWeekday = 103;  // 0x67, bits 0..2, 0 = Monday
inline constexpr uint8_t kWeekdayMask = 0x07;
inline constexpr size_t kClockSetting = 104;     // 0x68, the PC's time at packing
inline constexpr size_t kControllerClock = 111;  // 0x6F, the controller's time at reading
// A clock is six bytes, plain binary, in this order.
inline constexpr size_t kClockSeconds = 0;
inline constexpr size_t kClockMinutes = 1;
inline constexpr size_t kClockHours = 2;
inline constexpr size_t kClockDay = 3;
inline constexpr size_t kClockMonth = 4;
inline constexpr size_t kClockYear = 5;  // year - 2000, modulo 256
inline constexpr size_t kClockSize = 6;
inline constexpr int kClockYearBase = 2000;
// Alarm groups: 0 the alarm log, 1 recipients 1..4, 2 recipients 5..8; 16-bit masks.
inline constexpr size_t kAlarmGroups = 124;  // 0x7C
inline constexpr size_t kAlarmGroupSize = 2;
inline constexpr size_t kAlarmGroupCount = 3;
inline constexpr uint16_t kAlarmLevelBit = 1u << 1;
inline constexpr uint16_t kAlarmWaterPressureBit = 1u << 2;
inline constexpr uint16_t kAlarmTriggerErrorBit = 1u << 3;
inline constexpr uint16_t kAlarmKeyboardErrorBit = 1u << 4;
inline constexpr uint16_t kAlarmDispenseErrorBit = 1u << 5;
// Recipients 1..8: 50 characters and a terminator each.
inline constexpr size_t kRecipients = 132;  // 0x84
inline constexpr size_t kRecipientSlotSize = 51;
inline constexpr size_t kRecipientTextMax = 50;
inline constexpr size_t kRecipientSlotCount = 8;
// Alarm inputs that are active high.
inline constexpr size_t kActiveLevelCommon = 540;  // 0x21C, bit 0
inline constexpr uint8_t kActiveLevelCommonBit = 0x01;
inline constexpr size_t kActiveLevels = 541;  // 0x21D, bit 0 Extra, bit n input #n
inline constexpr uint8_t kActiveLevelExtraBit = 0x01;
// The controller's login code: 8 characters, a terminator at 558 and one more byte
// that belongs to the controller.
inline constexpr size_t kSystemLoginCode = 550;  // 0x226
inline constexpr size_t kSystemLoginCodeSize = 10;
inline constexpr size_t kLoginCodeMax = 8;
inline constexpr size_t kLoginCodeTerminator = 558;
// Soap amount alarm: switch, six alarm amounts and six used amounts, 16-bit, in
// hundredths of a litre, pump 1 first. Packing writes them as 0.
inline constexpr size_t kSoapAlarmSwitch = 560;   // 0x230
inline constexpr size_t kSoapAlarmAmounts = 561;  // 0x231
inline constexpr size_t kSoapUsedAmounts = 575;   // 0x23F
inline constexpr size_t kSoapAmountCount = 6;
inline constexpr size_t kSoapAreaEnd = 587;

// Machine block of machine index m at kMachineBlocks + kMachineBlockSize * m.
inline constexpr size_t kMachineActiveMask = 0;  // bit k: program k+1 active
inline constexpr size_t kMachineFlags = 1;
inline constexpr uint8_t kMachineEnabledBit = 0x80;
inline constexpr uint8_t kMachineAllowNoProgramBit = 0x40;
inline constexpr size_t kMachineDefaultProgram = 2;
inline constexpr uint8_t kDefaultProgramMask = 0x1F;
inline constexpr uint8_t kMachineSettingsBit = 0x20;  // always set by packing
inline constexpr size_t kMachineSoftnerPump = 3;
inline constexpr uint8_t kSoftnerPumpMask = 0x0F;
inline constexpr size_t kMachineShortFlushTime = 4;  // seconds
inline constexpr size_t kMachineLongFlushTime = 5;   // seconds
inline constexpr size_t kMachineProgramTimeout = 6;  // minutes
inline constexpr size_t kMachineCalibration = 7;     // 7 pumps, seconds per 100 ml
inline constexpr size_t kMachineCommentRef = 14;
inline constexpr size_t kMachineTrigger = 32;
inline constexpr size_t kMachineTriggerSize = 224;
inline constexpr size_t kMachinePrograms = 256;
inline constexpr size_t kProgramBlockSize = 200;
inline constexpr size_t kProgramBlockCount = 6;
// The longest a pump may take for 100 ml as the controller stores it.
inline constexpr int kCalibrationLimit = 250;

// Program block of slot index k at machine block + kMachinePrograms + kProgramBlockSize * k.
inline constexpr size_t kProgramFlags = 0;
inline constexpr uint8_t kProgramActiveBit = 0x01;
inline constexpr uint8_t kProgramDefaultSoftnerBit = 0x02;
inline constexpr uint8_t kProgramSoftnerBit = 0x04;
inline constexpr int kProgramDefaultLevelShift = 3;
inline constexpr uint8_t kProgramDefaultLevelMask = 0x03;  // after the shift
inline constexpr size_t kProgramNameRef = 1;
inline constexpr size_t kProgramCommentRef = 3;
inline constexpr size_t kProgramLines = 8;
inline constexpr size_t kProgramLineBytes = 8;
inline constexpr size_t kLinesPerProgram = 24;
inline constexpr size_t kLineInstructionBytes = 6;  // b0..b5 as the program editor holds them
inline constexpr size_t kLineCommentRef = 6;        // b6..b7: the line comment's text reference

// Text area: references are offsets from its start; 0 is "no text" and the
// first byte is always 0, so the first text goes to offset 1.
inline constexpr size_t kTextFirst = 1;
inline constexpr size_t kTextPaddingBlock = 16;
inline constexpr size_t kTextPadding = 32;

constexpr size_t MachineBlock(size_t machineIndex) {
  return kMachineBlocks + kMachineBlockSize * machineIndex;
}
constexpr size_t ProgramBlock(size_t machineIndex, size_t slotIndex) {
  return MachineBlock(machineIndex) + kMachinePrograms + kProgramBlockSize * slotIndex;
}
// Line index 0..23 of a program block.
constexpr size_t LineOffset(size_t machineIndex, size_t slotIndex, size_t lineIndex) {
  return ProgramBlock(machineIndex, slotIndex) + kProgramLines + kProgramLineBytes * lineIndex;
}
constexpr size_t RecipientSlot(size_t recipientIndex) {
  return kRecipients + kRecipientSlotSize * recipientIndex;
}

static_assert(kSystemArea + kSystemAreaSize == kMachineBlocks);
static_assert(MachineBlock(kMachineBlockCount) == kMachineBlocksEnd);
static_assert(kMachinePrograms + kProgramBlockSize * kProgramBlockCount == kMachineBlockSize);
static_assert(kProgramLines + kProgramLineBytes * kLinesPerProgram == kProgramBlockSize);
static_assert(kMachineTrigger + kMachineTriggerSize == kMachinePrograms);
static_assert(RecipientSlot(kRecipientSlotCount) == kActiveLevelCommon);
static_assert(kTextArea + kTextAreaSize == kAlarmLog);
static_assert(kAlarmLog + kAlarmLogSize == kDataLog);
static_assert(kDataLog + kDataLogSize == kTail);
static_assert(kTail + kTailSize == kSize);
static_assert(kTextAreaSize % kTextPaddingBlock == 0);
}  // namespace image

// A 16-bit offset into the text area.
using TextRef = uint16_t;

struct ControllerImage {
  std::array<uint8_t, image::kSize> bytes{};

  uint8_t VersionMajor() const { return bytes[image::kVersionMajor]; }
  uint8_t VersionMinor() const { return bytes[image::kVersionMinor]; }

  // Little-endian numbers at any offset; a field outside the image reads as 0 and
  // is not written.
  uint16_t U16(size_t offset) const { return bytes::LoadLe16(this->bytes, offset); }
  void SetU16(size_t offset, uint16_t value) { bytes::StoreLe16(this->bytes, offset, value); }
  uint32_t U32(size_t offset) const { return bytes::LoadLe32(this->bytes, offset); }
  void SetU32(size_t offset, uint32_t value) { bytes::StoreLe32(this->bytes, offset, value); }
};

// Everything the read/write window keeps beside the image for the whole run.
struct ImageState {
  ControllerImage image;
  // Offset in the text area where the next text goes; also where the write range
  // ends. Between kTextFirst and kTextAreaSize.
  size_t textCursor = image::kTextFirst;
  // Set by packing and by a successful unpacking; cleared when the configuration
  // is cleared. The main window shows the data-format version while it is set.
  bool ImageValid = false;
  // The controller's login code bytes as they stood before the last reset, which
  // puts them back.
  std::array<uint8_t, image::kSystemLoginCodeSize> loginCodeSave{};
  // How full the text area is, in percent, as the last packing or unpacking
  // measured it (the two measure differently).
  double usedTextPercent = 0;
  // The texts the last packing could not store, the text area being full: the
  // system file element each came from, and the text.
  std::vector<std::pair<std::string, std::string>> droppedTexts;
};

// Clears the configuration part of the image (bytes 0..25215; with wholeImage all
// 32768 bytes, logs included), writes the magic and format 1.1, puts the ten login
// code bytes back and sets the text cursor to the first text. Without wholeImage the
// logs of a firmware-1 image move to their usual place, where they are found once the
// firmware version is cleared; bytes a write sends are the same either way.
void ResetImage(ImageState& state, bool wholeImage);

// Where the image keeps its logs: lower (25088 and 25344) for a controller with firmware
// major version 1, else 25216 and 25472.
size_t AlarmLogOffset(const ControllerImage& image);
size_t ConsumptionLogOffset(const ControllerImage& image);

// Stores a text and its terminator at the text cursor and returns its reference.
// An empty text, or one that would not fit, stores nothing and gives 0.
TextRef AppendText(ImageState& state, std::string_view text);

// The text stored at a reference. 0 and references at or beyond the end of the
// text area give the empty string; a text without its terminator stops at the end
// of the area.
std::string TextAt(const ControllerImage& image, TextRef ref);

// One past the last image byte that a write to the controller sends.
inline size_t WriteRangeEnd(const ImageState& state) {
  return image::kTextArea + state.textCursor;
}

// "Used text: %.1f%%" with the figure of the last packing or unpacking.
std::string UsedTextLabel(double percent);

// The main window's status bar text: "Format: %d.%d" with the image's version bytes
// while ImageValid is set, otherwise empty.
std::string FormatStatusText(const ImageState& state);

}  // namespace vorel
