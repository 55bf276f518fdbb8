// Packing the configuration into the controller image and unpacking it again.
#include "core/image/ImagePacking.h"

#include <algorithm>
#include <cstdio>

#include "core/base/Numbers.h"

namespace vorel {

using namespace image;

static_assert(kMachineBlockCount == kMachineCount);
static_assert(kProgramBlockCount == kProgramSlots);
static_assert(kLinesPerProgram == kProgramLineCount);
static_assert(kProgramLineBytes == kProgramLineSize);
static_assert(kMachineTriggerSize == trigger::kSize);
static_assert(kRecipientSlotCount == kRecipientCount);
static_assert(kAlarmGroupCount == std::tuple_size_v<decltype(AlarmSection::Group)>);
static_assert(kSystemNameSize == kSystemNameMax && kRecipientTextMax == kRecipientMax);

namespace {

// Entries of the machine window's lists: "-" and the six programs; "-" and pumps 1..7.
constexpr int kDefaultProgramEntries = kProgramSlots + 1;
constexpr int kSoftnerPumpEntries = static_cast<int>(kSoftnerPumpItems.size());

// A number typed in an edit, as one byte: its low 8 bits, 0 when it is no number.
uint8_t NumberByte(std::string_view text) {
  return LowByte(StrToIntDef(text, 0));
}

// Copies at most maxLength characters; the bytes after them are left as they are
// (zero after a reset), so the field keeps its terminator.
void CopyText(ControllerImage& image, size_t offset, std::string_view text, size_t maxLength) {
  const size_t length = std::min(text.size(), maxLength);
  std::copy_n(text.begin(), length, image.bytes.begin() + offset);
}

// A zero-terminated field that holds at most maxLength characters; a field whose
// terminator is missing gives its first maxLength characters.
std::string ReadText(const ControllerImage& image, size_t offset, size_t maxLength) {
  const auto start = image.bytes.begin() + offset;
  return std::string(start, std::find(start, start + maxLength, uint8_t{0}));
}

uint16_t AlarmGroupMask(const AlarmGroup& group) {
  uint16_t mask = 0;
  if (group.Level) mask |= kAlarmLevelBit;
  if (group.WaterPressure) mask |= kAlarmWaterPressureBit;
  if (group.TriggerError) mask |= kAlarmTriggerErrorBit;
  if (group.KeyboardError) mask |= kAlarmKeyboardErrorBit;
  if (group.DispenseError) mask |= kAlarmDispenseErrorBit;
  return mask;
}

AlarmGroup AlarmGroupFromMask(uint16_t mask) {
  AlarmGroup group;
  group.Level = (mask & kAlarmLevelBit) != 0;
  group.WaterPressure = (mask & kAlarmWaterPressureBit) != 0;
  group.TriggerError = (mask & kAlarmTriggerErrorBit) != 0;
  group.KeyboardError = (mask & kAlarmKeyboardErrorBit) != 0;
  group.DispenseError = (mask & kAlarmDispenseErrorBit) != 0;
  return group;
}

void PackClockSetting(ControllerImage& image, const LocalDateTime& now) {
  auto& bytes = image.bytes;
  bytes[kClockSettingWeekday] = static_cast<uint8_t>(now.weekday & kWeekdayMask);
  bytes[kClockSetting + kClockSeconds] = LowByte(now.second);
  bytes[kClockSetting + kClockMinutes] = LowByte(now.minute);
  bytes[kClockSetting + kClockHours] = LowByte(now.hour);
  bytes[kClockSetting + kClockDay] = LowByte(now.day);
  bytes[kClockSetting + kClockMonth] = LowByte(now.month);
  bytes[kClockSetting + kClockYear] = LowByte(now.year - kClockYearBase);
}

uint8_t ActiveLevelBits(const ActiveLevelFlags& levels) {
  uint8_t bits = levels.Extra ? kActiveLevelExtraBit : 0;
  for (int n = 1; n <= kAlarmLevelInputs; ++n) {
    if (levels.Level[n - 1]) bits |= static_cast<uint8_t>(1u << n);
  }
  return bits;
}

// The machine block without its texts; returns the machine's bit of the enable mask.
uint16_t PackMachine(const MachineSettings& machine, size_t machineIndex, ControllerImage& image) {
  auto& bytes = image.bytes;
  const size_t block = MachineBlock(machineIndex);
  uint16_t enableBit = 0;
  uint8_t flags = 0;
  if (machine.Enabled) {
    flags |= kMachineEnabledBit;
    enableBit = static_cast<uint16_t>(1u << machineIndex);
  }
  // A list without a selection counts as its first entry.
  const int defaultProgram =
      (machine.DefaultProgram >= 0 && machine.DefaultProgram < kDefaultProgramEntries)
          ? machine.DefaultProgram
          : 0;
  bytes[block + kMachineDefaultProgram] =
      static_cast<uint8_t>(defaultProgram) & kDefaultProgramMask;
  if (machine.AllowNoProgram) flags |= kMachineAllowNoProgramBit;
  const int softnerPump = std::max(SoftnerPumpPosition(machine.SoftnerPump), 0);
  bytes[block + kMachineSoftnerPump] = static_cast<uint8_t>(softnerPump) & kSoftnerPumpMask;

  bytes[block + kMachineShortFlushTime] = NumberByte(machine.ShortFlushTime);
  bytes[block + kMachineLongFlushTime] = NumberByte(machine.LongFlushTime);
  bytes[block + kMachineProgramTimeout] = NumberByte(machine.ProgramTimeout);
  bytes[block + kMachineDefaultProgram] |= kMachineSettingsBit;

  for (int pump = 0; pump < kPumpCount; ++pump) {
    bytes[block + kMachineCalibration + pump] = PackCalibration(machine.Calibration[pump]);
  }
  std::copy(machine.Trigger.bytes.begin(), machine.Trigger.bytes.end(),
            bytes.begin() + block + kMachineTrigger);

  uint8_t activeMask = 0;
  for (int slot = 0; slot < kProgramSlots; ++slot) {
    const ProgramRecord& program = machine.Programs[slot];
    const size_t programBlock = ProgramBlock(machineIndex, slot);
    uint8_t programFlags = 0;
    if (program.Active) {
      activeMask |= static_cast<uint8_t>(1u << slot);
      programFlags |= kProgramActiveBit;
    }
    if (program.Softner) programFlags |= kProgramSoftnerBit;
    if (program.DefaultSoftner) programFlags |= kProgramDefaultSoftnerBit;
    programFlags |= static_cast<uint8_t>((program.DefaultLevel & kProgramDefaultLevelMask)
                                         << kProgramDefaultLevelShift);
    bytes[programBlock + kProgramFlags] = programFlags;
    for (int line = 0; line < kProgramLineCount; ++line) {
      std::copy(program.Lines[line].b.begin(), program.Lines[line].b.end(),
                bytes.begin() + LineOffset(machineIndex, slot, line));
    }
  }
  bytes[block + kMachineActiveMask] = activeMask;
  bytes[block + kMachineFlags] = flags;
  return enableBit;
}

// The order fixes every reference and so the bytes the controller receives: all
// program names, then each machine comment with its program comments, then every
// line comment. A program keeping the name of its own slot stores no text.
void PackTexts(const SystemConfiguration& config, ImageState& state) {
  ControllerImage& image = state.image;
  state.droppedTexts.clear();
  // A text that no longer fits is not stored; which one it was is kept.
  const auto store = [&state](const std::string& text, auto&& element) -> TextRef {
    const TextRef ref = AppendText(state, text);
    if (ref == 0 && !text.empty()) state.droppedTexts.emplace_back(element(), text);
    return ref;
  };
  const auto machinePath = [](int m) {
    return "TL4200system/MachineData/Machine" + std::to_string(m + 1);
  };
  const auto programPath = [&machinePath](int m, int slot) {
    return machinePath(m) + "/Program(" + std::to_string(slot + 1) + ")";
  };
  for (int m = 0; m < kMachineCount; ++m) {
    for (int slot = 0; slot < kProgramSlots; ++slot) {
      const std::string& name = config.MachineData[m].Programs[slot].Name;
      if (name == DefaultProgramName(slot + 1)) continue;
      image.SetU16(ProgramBlock(m, slot) + kProgramNameRef,
                   store(name, [&] { return programPath(m, slot) + "/Name"; }));
    }
  }
  for (int m = 0; m < kMachineCount; ++m) {
    const MachineSettings& machine = config.MachineData[m];
    image.SetU16(MachineBlock(m) + kMachineCommentRef,
                 store(machine.Comment, [&] { return machinePath(m) + "/Comment"; }));
    for (int slot = 0; slot < kProgramSlots; ++slot) {
      image.SetU16(
          ProgramBlock(m, slot) + kProgramCommentRef,
          store(machine.Programs[slot].Comment, [&] { return programPath(m, slot) + "/Comment"; }));
    }
  }
  for (int m = 0; m < kMachineCount; ++m) {
    for (int slot = 0; slot < kProgramSlots; ++slot) {
      const ProgramRecord& program = config.MachineData[m].Programs[slot];
      for (int line = 0; line < kProgramLineCount; ++line) {
        image.SetU16(LineOffset(m, slot, line) + kLineCommentRef,
                     store(program.LineComments[line], [&] {
                       return programPath(m, slot) + "/L(" + std::to_string(line + 1) + ")/C";
                     }));
      }
    }
  }
}

// At least 17 zero bytes follow the last text and the write range ends on a
// multiple of 16.
void PadTextArea(ImageState& state) {
  const size_t used = state.textCursor;
  if (used >= kTextAreaSize) return;
  const size_t padded = std::min(used + kTextPadding - used % kTextPaddingBlock, kTextAreaSize);
  std::fill(state.image.bytes.begin() + kTextArea + used,
            state.image.bytes.begin() + kTextArea + padded, 0);
  state.textCursor = padded;
}

double Percent(size_t offset) {
  return static_cast<double>(offset) * 100.0 / kTextAreaSize;
}

// After packing: how far the last text reaches.
double PackedUsedText(const ControllerImage& image) {
  const auto area = image.bytes.begin() + kTextArea;
  size_t last = kTextAreaSize;
  while (last > 0 && area[last - 1] == 0) --last;
  return Percent(last == 0 ? 0 : last - 1);
}

// After unpacking: where the first two zero bytes in a row follow the first text.
// Both bytes must lie inside the text area.
double UnpackedUsedText(const ControllerImage& image) {
  const auto area = image.bytes.begin() + kTextArea;
  for (size_t i = kTextFirst; i + 1 < kTextAreaSize; ++i) {
    if (area[i] == 0 && area[i + 1] == 0) return Percent(i);
  }
  return Percent(kTextAreaSize);
}

void PackLoginCode(ControllerImage& image, std::optional<std::string_view> masterLoginCode) {
  auto& bytes = image.bytes;
  if (masterLoginCode) {
    std::fill_n(bytes.begin() + kSystemLoginCode, kLoginCodeMax, 0);
    CopyText(image, kSystemLoginCode, *masterLoginCode, kLoginCodeMax);
  }
  bytes[kLoginCodeTerminator] = 0;
}

// The cleared configuration a read starts from: the system settings of a new
// system and every machine cleared (each keeps its Enabled and AllowNoProgram).
void ClearConfiguration(SystemConfiguration& config) {
  ClearSystemSettings(config);
  for (MachineSettings& machine : config.MachineData) ClearMachine(machine);
}

void UnpackMachine(const ControllerImage& image, size_t machineIndex, MachineSettings& machine) {
  const auto& bytes = image.bytes;
  const size_t block = MachineBlock(machineIndex);
  // Only ever switches machines on: machine 1 stays enabled after clearing.
  if (image.U16(kEnableMask) & (1u << machineIndex)) machine.Enabled = true;
  const int defaultProgram = bytes[block + kMachineDefaultProgram] & kDefaultProgramMask;
  if (defaultProgram < kDefaultProgramEntries) machine.DefaultProgram = defaultProgram;
  machine.AllowNoProgram = (bytes[block + kMachineFlags] & kMachineAllowNoProgramBit) != 0;
  const int softnerPump = bytes[block + kMachineSoftnerPump] & kSoftnerPumpMask;
  if (softnerPump < kSoftnerPumpEntries) machine.SoftnerPump = kSoftnerPumpItems[softnerPump];

  machine.ShortFlushTime = IntToStr(bytes[block + kMachineShortFlushTime]);
  machine.LongFlushTime = IntToStr(bytes[block + kMachineLongFlushTime]);
  machine.ProgramTimeout = IntToStr(bytes[block + kMachineProgramTimeout]);
  for (int pump = 0; pump < kPumpCount; ++pump) {
    machine.Calibration[pump] = UnpackCalibration(bytes[block + kMachineCalibration + pump]);
  }
  std::copy_n(bytes.begin() + block + kMachineTrigger, kMachineTriggerSize,
              machine.Trigger.bytes.begin());

  for (int slot = 0; slot < kProgramSlots; ++slot) {
    ProgramRecord& program = machine.Programs[slot];
    const uint8_t flags = bytes[ProgramBlock(machineIndex, slot) + kProgramFlags];
    program.Active = (flags & kProgramActiveBit) != 0;
    program.Softner = (flags & kProgramSoftnerBit) != 0;
    program.DefaultSoftner = (flags & kProgramDefaultSoftnerBit) != 0;
    program.DefaultLevel = (flags >> kProgramDefaultLevelShift) & kProgramDefaultLevelMask;
    // All eight bytes: b6..b7 keep the comment reference of this read.
    for (int line = 0; line < kProgramLineCount; ++line) {
      std::copy_n(bytes.begin() + LineOffset(machineIndex, slot, line), kProgramLineBytes,
                  program.Lines[line].b.begin());
    }
  }
}

// A program without a stored name gets the empty name; the machine window shows
// "Program %d" for it.
void UnpackTexts(const ControllerImage& image, size_t machineIndex, MachineSettings& machine) {
  machine.Comment = TextAt(image, image.U16(MachineBlock(machineIndex) + kMachineCommentRef));
  for (int slot = 0; slot < kProgramSlots; ++slot) {
    ProgramRecord& program = machine.Programs[slot];
    const size_t programBlock = ProgramBlock(machineIndex, slot);
    program.Name = TextAt(image, image.U16(programBlock + kProgramNameRef));
    program.Comment = TextAt(image, image.U16(programBlock + kProgramCommentRef));
    for (int line = 0; line < kProgramLineCount; ++line) {
      program.LineComments[line] =
          TextAt(image, image.U16(LineOffset(machineIndex, slot, line) + kLineCommentRef));
    }
  }
}

}  // namespace

std::string BadFormatText(const ControllerImage& image) {
  char text[64];
  std::snprintf(text, sizeof text, "Bad data format or version: %d.%d", image.VersionMajor(),
                image.VersionMinor());
  return text;
}

bool HeaderAccepted(const ControllerImage& image) {
  const auto magic = image.bytes.begin() + kMagic;
  return std::equal(kMagicText.begin(), kMagicText.end(), magic) &&
         image.VersionMajor() == kFormatMajor;
}

uint8_t PackCalibration(std::string_view mlPerMinute) {
  const int32_t value = StrToIntDef(mlPerMinute, 0);
  if (value <= 0) return LowByte(value);
  return static_cast<uint8_t>(std::min(ConvertCalibration(value), kCalibrationLimit));
}

std::string UnpackCalibration(uint8_t secondsPer100ml) {
  return IntToStr(ConvertCalibration(secondsPer100ml));
}

void PackSystemName(ControllerImage& image, std::string_view name) {
  std::fill_n(image.bytes.begin() + kSystemName, kSystemNameSize, 0);
  CopyText(image, kSystemName, name, kSystemNameSize);
  image.bytes[kSystemNameTerminator] = 0;
}

void PackDefaultInputFilter(ControllerImage& image, std::string_view seconds) {
  image.bytes[kDefaultInputFilter] = NumberByte(seconds);
}

void PackImage(SystemConfiguration& config, ImageState& state, const LocalDateTime& now,
               std::optional<std::string_view> masterLoginCode) {
  ResetImage(state, false);
  ControllerImage& image = state.image;
  PackClockSetting(image, now);
  PackSystemName(image, config.MainSetup.SystemName);
  PackDefaultInputFilter(image, config.PCsettings.DefaultInputFilter);
  for (size_t group = 0; group < kAlarmGroupCount; ++group) {
    image.SetU16(kAlarmGroups + kAlarmGroupSize * group, AlarmGroupMask(config.Alarm.Group[group]));
  }
  for (size_t r = 0; r < kRecipientSlotCount; ++r) {
    CopyText(image, RecipientSlot(r), config.Alarm.Recipient[r], kRecipientTextMax);
  }
  const ActiveLevelFlags& levels = config.Alarm.ActiveLevel;
  image.bytes[kActiveLevelCommon] = levels.Common ? kActiveLevelCommonBit : 0;
  image.bytes[kActiveLevels] = ActiveLevelBits(levels);
  std::fill(image.bytes.begin() + kSoapAlarmSwitch, image.bytes.begin() + kSoapAreaEnd, 0);

  uint16_t enableMask = 0;
  for (int m = 0; m < kMachineCount; ++m) {
    enableMask |= PackMachine(config.MachineData[m], m, image);
  }
  image.SetU16(kEnableMask, enableMask);

  PackTexts(config, state);
  PadTextArea(state);
  state.ImageValid = true;
  state.usedTextPercent = PackedUsedText(image);
  PackLoginCode(image, masterLoginCode);
  config.MainSetup.VersionMajor = kFormatMajor;
  config.MainSetup.VersionMinor = kFormatMinor;
}

void UnpackSystemSettings(const ControllerImage& image, SystemConfiguration& config) {
  config.MainSetup.SystemName = ReadText(image, kSystemName, kSystemNameSize);
  config.PCsettings.DefaultInputFilter = IntToStr(image.bytes[kDefaultInputFilter]);
  for (size_t group = 0; group < kAlarmGroupCount; ++group) {
    config.Alarm.Group[group] =
        AlarmGroupFromMask(image.U16(kAlarmGroups + kAlarmGroupSize * group));
  }
  for (size_t r = 0; r < kRecipientSlotCount; ++r) {
    config.Alarm.Recipient[r] = ReadText(image, RecipientSlot(r), kRecipientTextMax);
  }
  ActiveLevelFlags& levels = config.Alarm.ActiveLevel;
  levels.Common = (image.bytes[kActiveLevelCommon] & kActiveLevelCommonBit) != 0;
  const uint8_t bits = image.bytes[kActiveLevels];
  levels.Extra = (bits & kActiveLevelExtraBit) != 0;
  for (int n = 1; n <= kAlarmLevelInputs; ++n) levels.Level[n - 1] = (bits & (1u << n)) != 0;
}

UnpackResult UnpackImage(SystemConfiguration& config, ImageState& state) {
  ControllerImage& image = state.image;
  UnpackResult result;
  image.bytes[kLoginCodeTerminator] = 0;
  result.loginCode = LoginCodeText(image);

  ClearConfiguration(config);
  state.ImageValid = false;
  if (!HeaderAccepted(image)) {
    result.taken = Outcome::Failed(BadFormatText(image));
    return result;
  }

  result.dateText = ControllerDateText(image);
  result.controller = ReadControllerInfo(image);
  config.MainSetup.VersionMajor = image.VersionMajor();
  config.MainSetup.VersionMinor = image.VersionMinor();
  UnpackSystemSettings(image, config);
  for (int m = 0; m < kMachineCount; ++m) UnpackMachine(image, m, config.MachineData[m]);
  for (int m = 0; m < kMachineCount; ++m) UnpackTexts(image, m, config.MachineData[m]);

  state.ImageValid = true;
  state.usedTextPercent = UnpackedUsedText(image);
  return result;
}

ControllerInfo ReadControllerInfo(const ControllerImage& image) {
  const auto& bytes = image.bytes;
  ControllerInfo info;
  info.serialNumber = image.U32(kSerialNumber);
  info.hardwareVersion = bytes[kHardwareVersion];
  info.firmwareMajor = bytes[kFirmwareMajor];
  info.firmwareMinor = bytes[kFirmwareMinor];
  info.clock.seconds = bytes[kControllerClock + kClockSeconds];
  info.clock.minutes = bytes[kControllerClock + kClockMinutes];
  info.clock.hours = bytes[kControllerClock + kClockHours];
  info.clock.day = bytes[kControllerClock + kClockDay];
  info.clock.month = bytes[kControllerClock + kClockMonth];
  info.clock.year = bytes[kControllerClock + kClockYear];
  return info;
}

bool IsValidClock(const ControllerClock& clock) {
  constexpr int kYearByteMax = 99, kMonths = 12, kDays = 31, kHourMax = 23, kMinuteMax = 59;
  return clock.year <= kYearByteMax && clock.month >= 1 && clock.month <= kMonths &&
         clock.day >= 1 && clock.day <= kDays && clock.hours <= kHourMax &&
         clock.minutes <= kMinuteMax && clock.seconds <= kMinuteMax;
}

std::string WatchText(const ControllerClock& clock) {
  if (!IsValidClock(clock)) return {};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d  %02d:%02d:%02d", clock.year + kClockYearBase,
                clock.month, clock.day, clock.hours, clock.minutes, clock.seconds);
  return text;
}

SoapAmounts ReadSoapAmounts(const ControllerImage& image) {
  SoapAmounts amounts;
  amounts.alarmOn = image.bytes[kSoapAlarmSwitch] != 0;
  const auto hundredths = [&image](size_t at) {
    const unsigned value = image.U16(at);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u", value / 100, value % 100);
    return std::string(text);
  };
  for (size_t pump = 0; pump < amounts.alarm.size(); ++pump) {
    amounts.alarm[pump] = hundredths(kSoapAlarmAmounts + 2 * pump);
    amounts.used[pump] = hundredths(kSoapUsedAmounts + 2 * pump);
  }
  return amounts;
}

std::string LoginCodeText(const ControllerImage& image) {
  return ReadText(image, kSystemLoginCode, kLoginCodeMax);
}

bool LoginCodeOpens(std::span<const uint8_t> codeArea, std::string_view typed) {
  const auto code = codeArea.first(std::min(codeArea.size(), kLoginCodeMax));
  const std::string held(code.begin(), std::find(code.begin(), code.end(), 0));
  return held.empty() || held == typed;
}

std::string ControllerDateText(const ControllerImage& image) {
  const ControllerClock clock = ReadControllerInfo(image).clock;
  char text[64];
  std::snprintf(text, sizeof text, "Date: %04d-%02d-%02d %02d:%02d:%02d",
                clock.year + kClockYearBase, clock.month, clock.day, clock.hours, clock.minutes,
                clock.seconds);
  return text;
}

}  // namespace vorel
