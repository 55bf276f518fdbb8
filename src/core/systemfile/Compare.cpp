// Comparing two configurations field by field, in the words of the windows that edit
// them: the system setup, the machine window, the trigger setup and the program editor.
#include "core/systemfile/Compare.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>

#include "core/base/Numbers.h"
#include "core/image/ImagePacking.h"
#include "core/program/ProgramLines.h"
#include "core/program/ProgramPanel.h"
#include "core/trigger/TriggerSetup.h"

namespace vorel {

namespace {

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

std::string YesNo(bool on) {
  return on ? "yes" : "no";
}

// A number the editors hold as text reaches the controller as its low 8 bits (0 for
// a text that is no number).
uint8_t NumberByte(std::string_view text) {
  return LowByte(StrToIntDef(text, 0));
}

std::string HexBytes(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
}

class Differences {
 public:
  // A difference when the stored values differ. Should the words come out alike for
  // both (a field the window shows only in part), the stored values go with them.
  void Add(std::string place, int64_t aStored, int64_t bStored, std::string aText,
           std::string bText) {
    if (aStored == bStored) return;
    if (aText == bText) {
      aText += " (stored " + IntToStr(aStored) + ")";
      bText += " (stored " + IntToStr(bStored) + ")";
    }
    list.push_back({std::move(place), std::move(aText), std::move(bText)});
  }
  void Flag(std::string place, bool a, bool b) { Add(std::move(place), a, b, YesNo(a), YesNo(b)); }
  void Text(std::string place, std::string_view a, std::string_view b) {
    if (a != b) list.push_back({std::move(place), Quoted(a), Quoted(b)});
  }
  // A number held as text, compared as the controller's byte, shown as held with its unit.
  void HeldNumber(std::string place, const std::string& a, const std::string& b,
                  std::string_view unit) {
    Add(std::move(place), NumberByte(a), NumberByte(b), a + std::string(unit),
        b + std::string(unit));
  }

  std::vector<Difference> list;
};

// ---- System setup ------------------------------------------------------------------

constexpr std::array<const char*, 3> kAlarmGroupNames = {"Alarm log", "Alarm group 1",
                                                         "Alarm group 2"};

void CompareAlarmGroup(const std::string& group, const AlarmGroup& a, const AlarmGroup& b,
                       Differences& d) {
  d.Flag(group + ", level alarm", a.Level, b.Level);
  d.Flag(group + ", pressure alarm", a.WaterPressure, b.WaterPressure);
  d.Flag(group + ", trigger error", a.TriggerError, b.TriggerError);
  d.Flag(group + ", keyboard error", a.KeyboardError, b.KeyboardError);
  d.Flag(group + ", dispense error", a.DispenseError, b.DispenseError);
}

void CompareSystem(const SystemConfiguration& a, const ControllerImage& aImage,
                   const SystemConfiguration& b, const ControllerImage& bImage, Differences& d) {
  // The controller keeps the first 40 characters of the name and 50 of a recipient.
  d.Text("System name", std::string_view(a.MainSetup.SystemName).substr(0, kSystemNameMax),
         std::string_view(b.MainSetup.SystemName).substr(0, kSystemNameMax));
  const auto version = [](const ControllerImage& image) {
    return std::to_string(image.VersionMajor()) + "." + std::to_string(image.VersionMinor());
  };
  d.Add("Data format version", aImage.VersionMajor() * 256 + aImage.VersionMinor(),
        bImage.VersionMajor() * 256 + bImage.VersionMinor(), version(aImage), version(bImage));
  d.HeldNumber("Default input filter time", a.PCsettings.DefaultInputFilter,
               b.PCsettings.DefaultInputFilter, " s");
  for (size_t group = 0; group < kAlarmGroupNames.size(); ++group)
    CompareAlarmGroup(kAlarmGroupNames[group], a.Alarm.Group[group], b.Alarm.Group[group], d);
  for (int r = 0; r < kRecipientCount; ++r) {
    d.Text("Recipient " + std::to_string(r + 1),
           std::string_view(a.Alarm.Recipient[r]).substr(0, kRecipientMax),
           std::string_view(b.Alarm.Recipient[r]).substr(0, kRecipientMax));
  }
  d.Flag("Active high common", a.Alarm.ActiveLevel.Common, b.Alarm.ActiveLevel.Common);
  for (int input = 0; input < kAlarmLevelInputs; ++input) {
    d.Flag("Active high #" + std::to_string(input + 1), a.Alarm.ActiveLevel.Level[input],
           b.Alarm.ActiveLevel.Level[input]);
  }
  d.Flag("Active high extra", a.Alarm.ActiveLevel.Extra, b.Alarm.ActiveLevel.Extra);

  // The soap amount alarm lives only in the image.
  const SoapAmounts aSoap = ReadSoapAmounts(aImage);
  const SoapAmounts bSoap = ReadSoapAmounts(bImage);
  d.Flag("Alarm on used soap amount", aSoap.alarmOn, bSoap.alarmOn);
  for (size_t pump = 0; pump < aSoap.alarm.size(); ++pump) {
    const std::string name = "Pump " + std::to_string(pump + 1);
    const size_t at = 2 * pump;
    d.Add(name + " soap alarm amount", aImage.U16(image::kSoapAlarmAmounts + at),
          bImage.U16(image::kSoapAlarmAmounts + at), aSoap.alarm[pump] + " l",
          bSoap.alarm[pump] + " l");
    d.Add(name + " used soap amount", aImage.U16(image::kSoapUsedAmounts + at),
          bImage.U16(image::kSoapUsedAmounts + at), aSoap.used[pump] + " l",
          bSoap.used[pump] + " l");
  }
}

// ---- Machine window ----------------------------------------------------------------

// The name the machine window's program button shows: an image keeps no text for a
// program with its slot's own name.
std::string ShownName(const MachineSettings& machine, int slot) {
  const std::string& name = machine.Programs[slot].Name;
  return name.empty() ? DefaultProgramName(slot + 1) : name;
}

// A program slot as a list of program names shows it; 0 is the list's "-" or "Not in use".
std::string SlotText(const MachineSettings& machine, int position, std::string_view none) {
  if (position == 0) return std::string(none);
  if (position < 1 || position > kProgramSlots) return "program " + std::to_string(position);
  return "program " + std::to_string(position) + " " + Quoted(ShownName(machine, position - 1));
}

// A list without a selection goes to the controller as its first entry.
int PackedDefaultProgram(int position) {
  return position >= 0 && position <= kProgramSlots ? position : 0;
}

// Whether machine index m is enabled, by the image: unpacking only ever switches a
// machine on, so a controller's machine 1 reads as enabled in the editors whatever the
// controller holds.
bool EnabledIn(const ControllerImage& image, int m) {
  return (image.U16(image::kEnableMask) >> m) & 1u;
}

void CompareMachineSettings(const std::string& machineName, const MachineSettings& a,
                            const MachineSettings& b, Differences& d) {
  const int aDefault = PackedDefaultProgram(a.DefaultProgram);
  const int bDefault = PackedDefaultProgram(b.DefaultProgram);
  d.Add(machineName + ", default program", aDefault, bDefault, SlotText(a, aDefault, "-"),
        SlotText(b, bDefault, "-"));
  d.Flag(machineName + ", allow no program", a.AllowNoProgram, b.AllowNoProgram);
  d.HeldNumber(machineName + ", short flush time", a.ShortFlushTime, b.ShortFlushTime, " s");
  d.HeldNumber(machineName + ", long flush time", a.LongFlushTime, b.LongFlushTime, " s");
  d.HeldNumber(machineName + ", program timeout", a.ProgramTimeout, b.ProgramTimeout, " min");
  const int aSoftner = std::max(SoftnerPumpPosition(a.SoftnerPump), 0);
  const int bSoftner = std::max(SoftnerPumpPosition(b.SoftnerPump), 0);
  const auto softner = [](int position) {
    return position == 0 ? std::string("-") : "pump " + std::to_string(position);
  };
  d.Add(machineName + ", fabric softener", aSoftner, bSoftner, softner(aSoftner),
        softner(bSoftner));
  d.Text(machineName + ", comment", a.Comment, b.Comment);
  for (int pump = 0; pump < kPumpCount; ++pump) {
    d.Add(machineName + ", pump " + std::to_string(pump + 1) + " calibration",
          PackCalibration(a.Calibration[pump]), PackCalibration(b.Calibration[pump]),
          a.Calibration[pump] + " ml/min", b.Calibration[pump] + " ml/min");
  }
}

// ---- Trigger setup -----------------------------------------------------------------

std::string TypeText(uint8_t code) {
  const std::string text = TriggerTypeText(code);
  return text.empty() ? "type " + std::to_string(code) : text;
}

std::string KeyboardLockText(const TriggerPanel& panel) {
  std::string text;
  for (int input : panel.keyboardLockComboBox) {
    if (input == 0) continue;
    if (!text.empty()) text += ", ";
    text += "Input " + std::to_string(input);
  }
  return text.empty() ? "-" : text;
}

// The machine reset list's item: "-", "Input 3" or "Input 3, falling edge".
std::string MachineResetText(uint8_t flags) {
  const int input = flags & trigger::kFlagResetInputMask;
  if (input == 0) return "-";
  return "Input " + std::to_string(input) +
         ((flags & trigger::kFlagFallingEdge) ? ", falling edge" : "");
}

// The Miele Logic fields in the order of trigger::kMieleTexts, as the window's groups
// name them.
constexpr std::array<const char*, trigger::kMieleTexts.size()> kMieleTextNames = {
    "program selection header",
    "softener selection header",
    "level selection header",
    "program 1",
    "program 2",
    "program 3",
    "softener",
    "softener 2",
    "level high",
    "level mid",
    "level low",
};

void CompareTrigger(const std::string& machineName, const MachineSettings& aMachine,
                    const MachineSettings& bMachine, Differences& d) {
  const TriggerData& a = aMachine.Trigger;
  const TriggerData& b = bMachine.Trigger;
  TriggerPanel aPanel;
  TriggerPanel bPanel;
  ShowTrigger(a, aPanel);
  ShowTrigger(b, bPanel);
  const std::string trigger = machineName + ", trigger ";
  const auto byte = [](const TriggerData& data, size_t at) { return data.bytes[at]; };

  d.Add(trigger + "type", a.TriggerType(), b.TriggerType(), TypeText(a.TriggerType()),
        TypeText(b.TriggerType()));
  d.Add(trigger + "low level adjust", byte(a, trigger::kAdjustLow), byte(b, trigger::kAdjustLow),
        aPanel.lowLevelAdjustEdit + " %", bPanel.lowLevelAdjustEdit + " %");
  d.Add(trigger + "high level adjust", byte(a, trigger::kAdjustHigh), byte(b, trigger::kAdjustHigh),
        aPanel.highLevelAdjustEdit + " %", bPanel.highLevelAdjustEdit + " %");
  d.Add(trigger + "max. weight", byte(a, trigger::kMaxWeight), byte(b, trigger::kMaxWeight),
        aPanel.maxWeightEdit + " kg", bPanel.maxWeightEdit + " kg");
  d.Add(trigger + "keyboard lock", byte(a, trigger::kLockInputMask),
        byte(b, trigger::kLockInputMask), KeyboardLockText(aPanel), KeyboardLockText(bPanel));
  d.Add(trigger + "keyboard lock delay", byte(a, trigger::kLockInputDelay),
        byte(b, trigger::kLockInputDelay), aPanel.keyboardLockDelayEdit + " s",
        bPanel.keyboardLockDelayEdit + " s");
  constexpr uint8_t kResetBits = trigger::kFlagResetInputMask | trigger::kFlagFallingEdge;
  d.Add(trigger + "machine reset", byte(a, trigger::kFlags) & kResetBits,
        byte(b, trigger::kFlags) & kResetBits, MachineResetText(byte(a, trigger::kFlags)),
        MachineResetText(byte(b, trigger::kFlags)));
  d.Add(trigger + "machine reset delay", a.ResetMachineDelay(), b.ResetMachineDelay(),
        aPanel.machineResetDelayEdit + " s", bPanel.machineResetDelayEdit + " s");

  // The type's own settings only where both hold the same type: another type is
  // another type area, and the type row says so.
  if (a.TriggerType() != b.TriggerType()) return;
  switch (a.TriggerType()) {
    case trigger::kTypeMieleLogic:
      for (size_t i = 0; i < trigger::kMieleTexts.size(); ++i)
        d.Text(machineName + ", Miele Logic " + kMieleTextNames[i], aPanel.mieleText[i],
               bPanel.mieleText[i]);
      d.Flag(machineName + ", Miele Logic softener 2 on pump 7", aPanel.mieleSoftner2Btn,
             bPanel.mieleSoftner2Btn);
      break;
    case trigger::kTypeElectrolux:
      for (int n = 1; n <= trigger::kProgramMapCount; ++n) {
        d.Add(machineName + ", Electrolux program " + std::to_string(n), a.ProgramMap(n),
              b.ProgramMap(n), SlotText(aMachine, a.ProgramMap(n), "Not in use"),
              SlotText(bMachine, b.ProgramMap(n), "Not in use"));
      }
      break;
    case trigger::kTypeMieleEthernet:
      d.Add(machineName + ", Miele Logic Ethernet serial number",
            a.EthernetNumber(trigger::kEthernetSerial), b.EthernetNumber(trigger::kEthernetSerial),
            aPanel.mieleEthernetSerialNumberEdit, bPanel.mieleEthernetSerialNumberEdit);
      d.Add(machineName + ", Miele Logic Ethernet machine ID",
            a.EthernetNumber(trigger::kEthernetMachineId),
            b.EthernetNumber(trigger::kEthernetMachineId), aPanel.mieleEthernetSerialMachineIDedit,
            bPanel.mieleEthernetSerialMachineIDedit);
      break;
    default:
      break;
  }
}

// ---- Program editor ----------------------------------------------------------------

constexpr std::array<const char*, 4> kDefaultLevels = {"-", "Low", "Mid", "High"};

std::string LevelText(int level) {
  return level >= 0 && level <= kHighestDefaultLevel ? kDefaultLevels[level]
                                                     : std::to_string(level);
}

// The parameter bytes the system file keeps of the line's instruction: what a line is.
int SavedBytes(const ProgramLine& programLine) {
  const int code = programLine.Code();
  return IsKnownInstruction(code) ? kInstructions[code].savedBytes : 0;
}

bool SameLine(const ProgramLine& a, const ProgramLine& b) {
  if (a.Code() != b.Code()) return false;
  const auto first = a.b.begin() + line::kFirstParameter;
  return std::equal(first, first + SavedBytes(a), b.b.begin() + line::kFirstParameter);
}

std::string InstructionName(const ProgramLine& programLine) {
  return std::string(TrimBlanks(RenderLine(programLine).instruction));
}

// What the parameter panel shows beyond the grid's text: whether a pump or flush line
// waits until done, and the high-volume line's low adjust.
std::string PanelExtras(const ProgramLine& programLine) {
  ProgramRecord working;
  working.Lines[0] = programLine;
  ParameterPanel panel;
  ShowLine(working, 0, panel);
  const auto waits = [](bool on) { return on ? std::string("waits") : std::string("no wait"); };
  switch (panel.visibleGroup) {
    case ParameterGroup::kPump:
      return waits(panel.pumpWaitDispenseDoneBtn) + " until dispense done";
    case ParameterGroup::kPumpHighVolume:
      return "low adjust " + panel.pumpHighVolumeLowEdit + " %, high adjust " +
             panel.pumpHighVolumeHighLabel + " %, " + waits(panel.pumpHighWaitDispenseDoneBtn) +
             " until dispense done";
    case ParameterGroup::kFlush:
      return waits(panel.flushWaitDoneBtn) + " until flush done";
    default:
      return {};
  }
}

std::string WithItem(const std::string& text, const std::string& item) {
  if (item.empty()) return text;
  return text.empty() || text == "-" ? item : text + ", " + item;
}

// Two lines of the same instruction, by their parameters: the grid's text, then what
// the panel shows beyond it, then the bytes themselves.
std::pair<std::string, std::string> ParameterTexts(const ProgramLine& a, const ProgramLine& b) {
  const auto grid = [](const ProgramLine& programLine) {
    const std::string text = RenderLine(programLine).parameters;
    return text.empty() ? std::string("-") : text;
  };
  std::pair<std::string, std::string> texts{grid(a), grid(b)};
  if (texts.first != texts.second) return texts;
  texts = {WithItem(grid(a), PanelExtras(a)), WithItem(grid(b), PanelExtras(b))};
  if (texts.first != texts.second) return texts;
  const auto bytes = [](const ProgramLine& programLine) {
    return "bytes " + HexBytes(&programLine.b[line::kFirstParameter],
                               static_cast<size_t>(SavedBytes(programLine)));
  };
  return {bytes(a), bytes(b)};
}

// A whole line as the grid shows it. Jump and Wait name themselves in their text.
std::string WholeLineText(const ProgramLine& programLine) {
  const std::string name = InstructionName(programLine);
  const std::string parameters = RenderLine(programLine).parameters;
  if (parameters.empty()) return name;
  if (parameters.starts_with(name)) return parameters;
  return name + ": " + parameters;
}

void ComparePrograms(const std::string& machineName, const MachineSettings& aMachine,
                     const MachineSettings& bMachine, Differences& d) {
  for (int slot = 0; slot < kProgramSlots; ++slot) {
    const ProgramRecord& a = aMachine.Programs[slot];
    const ProgramRecord& b = bMachine.Programs[slot];
    const std::string aName = ShownName(aMachine, slot);
    const std::string program = machineName + ", program " + std::to_string(slot + 1);
    d.Text(program + " name", aName, ShownName(bMachine, slot));
    const std::string named = program + " " + Quoted(aName);
    d.Text(named + ", comment", a.Comment, b.Comment);
    d.Flag(named + ", active", a.Active, b.Active);
    d.Flag(named + ", softener", a.Softner, b.Softner);
    d.Flag(named + ", default softener", a.DefaultSoftner, b.DefaultSoftner);
    d.Add(named + ", default level", a.DefaultLevel, b.DefaultLevel, LevelText(a.DefaultLevel),
          LevelText(b.DefaultLevel));
    for (int lineIndex = 0; lineIndex < kProgramLineCount; ++lineIndex) {
      const ProgramLine& aLine = a.Lines[lineIndex];
      const ProgramLine& bLine = b.Lines[lineIndex];
      const std::string place = named + ", line " + std::to_string(lineIndex + 1);
      if (!SameLine(aLine, bLine)) {
        if (aLine.Code() == bLine.Code()) {
          auto [aText, bText] = ParameterTexts(aLine, bLine);
          d.list.push_back(
              {place + " (" + InstructionName(aLine) + ")", std::move(aText), std::move(bText)});
        } else {
          d.list.push_back({place, WholeLineText(aLine), WholeLineText(bLine)});
        }
      }
      d.Text(place + " comment", a.LineComments[lineIndex], b.LineComments[lineIndex]);
    }
  }
}

}  // namespace

std::vector<Difference> CompareConfigurations(const SystemConfiguration& a,
                                              const ControllerImage& aImage,
                                              const SystemConfiguration& b,
                                              const ControllerImage& bImage) {
  Differences d;
  CompareSystem(a, aImage, b, bImage, d);
  for (int m = 0; m < kMachineCount; ++m) {
    const std::string machineName = "Machine " + std::to_string(m + 1);
    d.Flag(machineName + ", enabled", EnabledIn(aImage, m), EnabledIn(bImage, m));
    CompareMachineSettings(machineName, a.MachineData[m], b.MachineData[m], d);
    CompareTrigger(machineName, a.MachineData[m], b.MachineData[m], d);
    ComparePrograms(machineName, a.MachineData[m], b.MachineData[m], d);
  }
  return std::move(d.list);
}

std::vector<Difference> CompareWithController(const SystemConfiguration& editors,
                                              const ControllerImage& editorsImage,
                                              const ControllerImage& controller) {
  // Packed as Write packs: the soap amounts go as 0 and the format as 1.1. The PC's
  // clock is written too but is no setting, so any time will do.
  SystemConfiguration written = editors;
  ImageState state;
  state.image = editorsImage;
  PackImage(written, state, LocalDateTime{});
  SystemConfiguration read;
  ImageState readState;
  readState.image = controller;
  UnpackImage(read, readState);
  return CompareConfigurations(written, state.image, read, readState.image);
}

std::string DifferenceLine(const Difference& difference) {
  return difference.place + ": " + difference.a + " -> " + difference.b;
}

}  // namespace vorel
