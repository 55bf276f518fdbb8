// Writing a configuration into the system file document and applying a loaded
// document to a configuration, element by element.
#include "core/systemfile/SystemFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <span>

#include "core/base/Numbers.h"
#include "core/config/InstructionSet.h"
#include "core/image/ImagePacking.h"
#include "core/systemfile/NativeXml.h"
#include "core/trigger/TriggerSetup.h"

namespace vorel {
namespace {

// Element names of the file, in the words the controller configuration uses.
constexpr const char* kRoot = "TL4200system";
constexpr const char* kRootVersionAttribute = "Version";
constexpr const char* kRootVersion = "1.0";
constexpr const char* kMainSetup = "MainSetup";
constexpr const char* kSystemName = "SystemName";
constexpr const char* kVersionMajor = "VersionMajor";
constexpr const char* kVersionMinor = "VersionMinor";
constexpr const char* kPCsettings = "PCsettings";
constexpr const char* kDefaultInputFilter = "DefaultInputFilter";
constexpr const char* kAlarm = "Alarm";
constexpr const char* kGroup = "Group";
constexpr const char* kRecipient = "Recipient";
constexpr const char* kActiveLevel = "ActiveLevel";
constexpr const char* kCommon = "Common";
constexpr const char* kLevel = "Level";
constexpr const char* kExtra = "Extra";
constexpr const char* kMachineData = "MachineData";
constexpr const char* kMachine = "Machine";
constexpr const char* kEnabled = "Enabled";
constexpr const char* kDefaultProgram = "DefaultProgram";
constexpr const char* kAllowNoProgram = "AllowNoProgram";
constexpr const char* kSoftnerPump = "SoftnerPump";
constexpr const char* kComment = "Comment";
constexpr const char* kCalibration = "Calibration";
constexpr const char* kTrigger = "Trigger";
constexpr const char* kType = "Type";
constexpr const char* kResetMachineInput = "ResetMachineInput";
constexpr const char* kResetMachineFallingEdge = "ResetMachineFallingEdge";
constexpr const char* kResetMachineDelay = "ResetMachineDelay";
constexpr const char* kMieleLogic = "MieleLogic";
constexpr const char* kSoftnerActive2 = "SoftnerActive2";
constexpr const char* kElectroluxCompassPro = "ElectroluxCompassPro";
constexpr const char* kProgramMap = "ProgramMap";
constexpr const char* kMieleLogicEthernet = "MieleLogicEthernet";
constexpr const char* kMachineSerialNumber = "MachineSerialNumber";
constexpr const char* kMachineID = "MachineID";
constexpr const char* kProgram = "Program";
constexpr const char* kName = "Name";
constexpr const char* kActive = "Active";
constexpr const char* kSoftner = "Softner";
constexpr const char* kDefaultSoftner = "DefaultSoftner";
constexpr const char* kDefaultLevel = "DefaultLevel";
constexpr const char* kLine = "L";
constexpr const char* kInstruction = "I";
constexpr const char* kData = "D";
constexpr const char* kLineComment = "C";
constexpr const char* kAlarmLog = "AlarmLog";
constexpr const char* kDataLog = "DataLog";

constexpr int kAlarmGroupCount = 3;

struct GroupFlag {
  const char* name;
  bool AlarmGroup::*member;
};
constexpr std::array<GroupFlag, 5> kGroupFlags = {{
    {"Level", &AlarmGroup::Level},
    {"WaterPressure", &AlarmGroup::WaterPressure},
    {"TriggerError", &AlarmGroup::TriggerError},
    {"KeyboardError", &AlarmGroup::KeyboardError},
    {"DispenseError", &AlarmGroup::DispenseError},
}};

struct MachineText {
  const char* name;
  std::string MachineSettings::*member;
};
constexpr std::array<MachineText, 5> kMachineTexts = {{
    {"ShortFlushTime", &MachineSettings::ShortFlushTime},
    {"LongFlushTime", &MachineSettings::LongFlushTime},
    {"ProgramTimeout", &MachineSettings::ProgramTimeout},
    {kSoftnerPump, &MachineSettings::SoftnerPump},
    {kComment, &MachineSettings::Comment},
}};

// Single-byte trigger settings, in the order they are written.
struct TriggerByte {
  const char* name;
  size_t offset;
};
constexpr std::array<TriggerByte, 5> kTriggerBytes = {{
    {"AdjustLow", trigger::kAdjustLow},
    {"AdjustHigh", trigger::kAdjustHigh},
    {"MaxWeight", trigger::kMaxWeight},
    {"LockInputMask", trigger::kLockInputMask},
    {"LockInputDelay", trigger::kLockInputDelay},
}};

// Files from older tools name the first three trigger types after their
// trigger units; those names are still read but never written.
struct TriggerTypeName {
  const char* name;
  uint8_t code;
};
constexpr std::array<TriggerTypeName, 3> kOlderTriggerTypeNames = {{
    {"TL4216, Standard", trigger::kTypeParallel},
    {"TL4210, Miele Logic", trigger::kTypeMieleLogic},
    {"TC4210, Electrolux: 5xx", trigger::kTypeElectrolux},
}};
constexpr uint8_t kUnknownTriggerTypeCode = trigger::kTypeParallel;
constexpr uint8_t kResetMachineInputBits = trigger::kFlagResetInputMask;
constexpr uint8_t kProgramMapMax = 15;
constexpr uint32_t kByteMax = 0xFF;
constexpr uint32_t kWordMax = 0xFFFF;

constexpr uint8_t kUnknownInstruction = 15;
constexpr size_t kLineDataMaxParameters = 5;
constexpr size_t kLineDataFieldStride = 3;  // "12 34 56": two digits and a blank
constexpr size_t kLineDataReadLimit = 99;
constexpr int kDefaultLevelMin = 0;
constexpr int kDefaultLevelMax = 3;
constexpr int kDefaultLevelFallback = 2;
constexpr int kDefaultProgramMax = kProgramSlots;
constexpr int kNoDefaultProgram = -1;
constexpr size_t kQuotedValueMax = 32;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

// ---- shared helpers ------------------------------------------------------

std::string Numbered(const char* prefix, int number) {
  std::string name = prefix;
  name.append(std::to_string(number));
  return name;
}

// n for a name "<prefix>n" with n between first and last, written without
// leading zeros; nothing for any other name.
std::optional<int> NumberIn(std::string_view name, std::string_view prefix, int first, int last) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
  const std::string_view digits = name.substr(prefix.size());
  if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9' || value > last) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < first || value > last) return std::nullopt;
  return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A value as it may be shown on one line of an error report.
std::string Quoted(std::string_view value) {
  std::string out = "\"";
  for (size_t i = 0; i < value.size() && i < kQuotedValueMax; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    out.push_back(c < kFirstPrintable || c == kDelete ? '?' : static_cast<char>(c));
  }
  if (value.size() > kQuotedValueMax) out.append("...");
  out.push_back('"');
  return out;
}

void SetBit(uint8_t& byte, uint8_t mask, bool on) {
  byte = static_cast<uint8_t>(on ? (byte | mask) : (byte & ~mask));
}

// The values of the file that do not reach the controller as written.
class Notes {
 public:
  explicit Notes(std::vector<ValueChange>* changes) : changes_(changes) {}

  void Changed(const std::string& element, std::string_view fileValue,
               std::string_view controllerValue) {
    if (changes_)
      changes_->push_back({element, std::string(fileValue), std::string(controllerValue)});
  }

  // Text of a field that holds at most `width` characters; characters the code
  // page lacks have become '?'.
  void Text(const TXmlNode& node, const std::string& element, size_t width = std::string::npos) {
    const std::string& value = node.ValueAsString();
    if (value.size() > width) {
      Changed(element, value, value.substr(0, width));
    } else if (node.Lossy()) {
      Changed(element, "(characters outside Windows-1252)", value);
    }
  }

  // A whole number stored into a field of lowest..highest by its low bits (a text
  // that is no number stores `fallback`): the value the field gets, noted when it
  // is not the value written.
  int64_t Number(const TXmlNode& node, const std::string& element, int64_t lowest, int64_t highest,
                 uint32_t mask, int32_t fallback = 0) {
    const std::optional<int32_t> value = ParseInt32(node.ValueAsString());
    const int64_t stored = value ? (static_cast<uint32_t>(*value) & mask) : fallback;
    if (!value || *value < lowest || *value > highest)
      Changed(element, node.ValueAsString(), std::to_string(stored));
    return stored;
  }

  // A boolean read as false when it is none.
  bool Bool(const TXmlNode& node, const std::string& element) {
    const std::optional<bool> value = node.ValueAsBool();
    if (!value) Changed(element, node.ValueAsString(), "False");
    return value.value_or(false);
  }

 private:
  std::vector<ValueChange>* changes_;
};

// ---- saving --------------------------------------------------------------

void AddText(TXmlNode& parent, const char* name, const std::string& value) {
  parent.NodeNew(name).SetValueAsString(value);
}

void AddInt(TXmlNode& parent, const char* name, int64_t value) {
  parent.NodeNew(name).SetValueAsInteger(value);
}

void AddBool(TXmlNode& parent, const char* name, bool value) {
  parent.NodeNew(name).SetValueAsBool(value);
}

std::string InstructionText(uint8_t code) {
  if (code < kInstructions.size()) return std::string(kInstructions[code].name);
  std::string text = "?";
  text.append(std::to_string(code));
  return text;
}

int SavedParameterBytes(uint8_t code) {
  return code < kInstructions.size() ? kInstructions[code].savedBytes : 0;
}

std::string LineDataText(const ProgramLine& line, int count) {
  std::string text;
  char digits[3];
  for (int i = 1; i <= count; ++i) {
    if (i > 1) text.push_back(' ');
    std::snprintf(digits, sizeof digits, "%02X", line.b[static_cast<size_t>(i)]);
    text.append(digits);
  }
  return text;
}

void SaveTrigger(TXmlNode& parent, const TriggerData& trigger) {
  using namespace trigger;
  TXmlNode& node = parent.NodeNew(kTrigger);
  AddText(node, kType, TriggerTypeText(trigger.TriggerType()));
  for (const auto& field : kTriggerBytes) AddInt(node, field.name, trigger.bytes[field.offset]);
  const uint8_t flags = trigger.bytes[kFlags];
  AddInt(node, kResetMachineInput, flags & kResetMachineInputBits);
  AddBool(node, kResetMachineFallingEdge, (flags & kFlagFallingEdge) != 0);
  AddInt(node, kResetMachineDelay, trigger.ResetMachineDelay());
  switch (trigger.TriggerType()) {
    case kTypeMieleLogic: {
      TXmlNode& miele = node.NodeNew(kMieleLogic);
      for (const auto& field : kMieleTexts) AddText(miele, field.name, trigger.MieleText(field));
      AddBool(miele, kSoftnerActive2, (flags & kFlagSoftnerActive2) != 0);
      break;
    }
    case kTypeElectrolux: {
      TXmlNode& electrolux = node.NodeNew(kElectroluxCompassPro);
      for (int n = 1; n <= kProgramMapCount; ++n) {
        AddInt(electrolux, Numbered(kProgramMap, n).c_str(), trigger.ProgramMap(n));
      }
      break;
    }
    case kTypeMieleEthernet: {
      TXmlNode& ethernet = node.NodeNew(kMieleLogicEthernet);
      AddInt(ethernet, kMachineSerialNumber, trigger.EthernetNumber(kEthernetSerial));
      AddInt(ethernet, kMachineID, trigger.EthernetNumber(kEthernetMachineId));
      break;
    }
    default:
      break;
  }
}

void SaveProgram(TXmlNode& parent, const ProgramRecord& program) {
  TXmlNode& node = parent.NodeNew(kProgram);
  AddText(node, kName, program.Name);
  if (!program.Comment.empty()) AddText(node, kComment, program.Comment);
  AddBool(node, kActive, program.Active);
  AddBool(node, kSoftner, program.Softner);
  AddBool(node, kDefaultSoftner, program.DefaultSoftner);
  AddInt(node, kDefaultLevel, program.DefaultLevel);
  for (int i = 0; i < kProgramLineCount; ++i) {
    const ProgramLine& line = program.Lines[static_cast<size_t>(i)];
    const std::string& comment = program.LineComments[static_cast<size_t>(i)];
    TXmlNode& lineNode = node.NodeNew(kLine);
    AddText(lineNode, kInstruction, InstructionText(line.Code()));
    if (const int count = SavedParameterBytes(line.Code()); count > 0) {
      AddText(lineNode, kData, LineDataText(line, count));
    }
    if (!comment.empty()) AddText(lineNode, kLineComment, comment);
  }
}

void SaveMachine(TXmlNode& parent, int machineNumber, const MachineSettings& machine) {
  TXmlNode& node = parent.NodeNew(Numbered(kMachine, machineNumber));
  AddBool(node, kEnabled, machine.Enabled);
  AddInt(node, kDefaultProgram, machine.DefaultProgram);
  AddBool(node, kAllowNoProgram, machine.AllowNoProgram);
  for (const auto& field : kMachineTexts) AddText(node, field.name, machine.*field.member);
  for (int pump = 1; pump <= kPumpCount; ++pump) {
    // Held as ml per 60 s, kept in the file as seconds per 100 ml.
    const int32_t mlPerMinute = StrToIntDef(machine.Calibration[static_cast<size_t>(pump - 1)], 0);
    AddInt(node, Numbered(kCalibration, pump).c_str(), ConvertCalibration(mlPerMinute));
  }
  SaveTrigger(node, machine.Trigger);
  for (const auto& program : machine.Programs) SaveProgram(node, program);
}

// ---- loading -------------------------------------------------------------

// "element: reason", or the reason alone when no element is named (the document
// itself is unreadable).
Outcome Failure(const std::string& element, const std::string& reason) {
  return Outcome::Failed(element.empty() ? reason : element + ": " + reason);
}

std::string ChildPath(const std::string& parentPath, const TXmlNode& child) {
  return parentPath + "/" + child.Name();
}

// A boolean that must be readable: anything but T/Y/F/N ends the load.
Outcome ReadStrictBool(const TXmlNode& node, const std::string& parentPath, bool& target) {
  const std::optional<bool> value = node.ValueAsBool();
  if (!value) {
    const std::string& text = node.ValueAsString();
    return Failure(ChildPath(parentPath, node), text.empty()
                                                    ? "empty value where True or False is needed"
                                                    : Quoted(text) + " is neither True nor False");
  }
  target = *value;
  return {};
}

Outcome LoadAlarmGroup(const TXmlNode& node, const std::string& path, AlarmGroup& group) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    for (const auto& flag : kGroupFlags) {
      if (child.Name() != flag.name) continue;
      if (auto result = ReadStrictBool(child, path, group.*flag.member); !result) return result;
    }
  }
  return {};
}

Outcome LoadActiveLevel(const TXmlNode& node, const std::string& path, ActiveLevelFlags& flags) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    bool* target = nullptr;
    if (child.Name() == kCommon) {
      target = &flags.Common;
    } else if (child.Name() == kExtra) {
      target = &flags.Extra;
    } else if (auto n = NumberIn(child.Name(), kLevel, 1, kAlarmLevelInputs)) {
      target = &flags.Level[static_cast<size_t>(*n - 1)];
    }
    if (target == nullptr) continue;
    if (auto result = ReadStrictBool(child, path, *target); !result) return result;
  }
  return {};
}

Outcome LoadAlarm(const TXmlNode& node, const std::string& path, AlarmSection& alarm,
                  Notes& notes) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string childPath = ChildPath(path, child);
    Outcome result;
    if (auto g = NumberIn(child.Name(), kGroup, 0, kAlarmGroupCount - 1)) {
      result = LoadAlarmGroup(child, childPath, alarm.Group[static_cast<size_t>(*g)]);
    } else if (auto r = NumberIn(child.Name(), kRecipient, 1, kRecipientCount)) {
      alarm.Recipient[static_cast<size_t>(*r - 1)] = child.ValueAsString();
      notes.Text(child, childPath, kRecipientMax);
    } else if (child.Name() == kActiveLevel) {
      result = LoadActiveLevel(child, childPath, alarm.ActiveLevel);
    }
    if (!result) return result;
  }
  return {};
}

void LoadMainSetup(const TXmlNode& node, const std::string& path, SystemConfiguration& config,
                   ControllerImage& image, Notes& notes) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (child.Name() == kSystemName) {
      config.MainSetup.SystemName = child.ValueAsString();
      notes.Text(child, ChildPath(path, child), kSystemNameMax);
    } else if (child.Name() == kVersionMajor) {
      config.MainSetup.VersionMajor = LowByte(child.ValueAsIntegerDef(0));
      image.bytes[image::kVersionMajor] = config.MainSetup.VersionMajor;
    } else if (child.Name() == kVersionMinor) {
      config.MainSetup.VersionMinor = LowByte(child.ValueAsIntegerDef(0));
      image.bytes[image::kVersionMinor] = config.MainSetup.VersionMinor;
    }
  }
}

void LoadPCsettings(const TXmlNode& node, const std::string& path, PCsettingsSection& settings,
                    Notes& notes) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (child.Name() != kDefaultInputFilter) continue;
    settings.DefaultInputFilter = child.ValueAsString();
    notes.Number(child, ChildPath(path, child), 0, kByteMax, kByteMax);
  }
}

std::optional<uint8_t> TriggerTypeCode(const std::string& name) {
  for (const auto& type : kTriggerTypes) {
    if (name == type.text) return type.code;
  }
  for (const auto& type : kOlderTriggerTypeNames) {
    if (name == type.name) return type.code;
  }
  return std::nullopt;
}

void LoadMieleLogic(const TXmlNode& node, const std::string& path, TriggerData& trigger,
                    Notes& notes) {
  // The texts land in the type area as it stands; it is not cleared first.
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (const trigger::TextField* field = FindMieleText(child.Name())) {
      trigger.SetMieleText(*field, child.ValueAsString());
      notes.Text(child, ChildPath(path, child), field->width);
    } else if (child.Name() == kSoftnerActive2) {
      SetBit(trigger.bytes[trigger::kFlags], trigger::kFlagSoftnerActive2,
             notes.Bool(child, ChildPath(path, child)));
    }
  }
}

void LoadElectrolux(const TXmlNode& node, const std::string& path, TriggerData& trigger,
                    Notes& notes) {
  trigger.ClearTypeArea();
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const auto n = NumberIn(child.Name(), kProgramMap, 1, trigger::kProgramMapCount);
    if (!n) continue;
    // An entry beyond a half-byte is no program slot: it reads as "Not in use"
    // rather than spilling into the neighbouring entry or wrapping round.
    const int32_t value = child.ValueAsIntegerDef(0);
    const uint8_t entry = (value >= 0 && value <= kProgramMapMax) ? LowByte(value) : 0;
    trigger.SetProgramMap(*n, entry);
    if (!ParseInt32(child.ValueAsString()) || entry != value)
      notes.Changed(ChildPath(path, child), child.ValueAsString(), std::to_string(entry));
  }
}

void LoadMieleEthernet(const TXmlNode& node, const std::string& path, TriggerData& trigger,
                       Notes& notes) {
  trigger.ClearTypeArea();
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const size_t offset = child.Name() == kMachineSerialNumber ? trigger::kEthernetSerial
                          : child.Name() == kMachineID         ? trigger::kEthernetMachineId
                                                               : std::string::npos;
    if (offset == std::string::npos) continue;
    trigger.SetEthernetNumber(
        offset, static_cast<int32_t>(notes.Number(child, ChildPath(path, child), INT32_MIN,
                                                  INT32_MAX, 0xFFFFFFFFu)));
  }
}

void LoadTrigger(const TXmlNode& node, const std::string& path, TriggerData& trigger,
                 Notes& notes) {
  uint8_t& flags = trigger.bytes[trigger::kFlags];
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string& name = child.Name();
    const std::string childPath = ChildPath(path, child);
    if (name == kType) {
      const std::optional<uint8_t> code = TriggerTypeCode(child.ValueAsString());
      trigger.bytes[trigger::kType] = code.value_or(kUnknownTriggerTypeCode);
      if (!code) {
        notes.Changed(childPath, child.ValueAsString(), TriggerTypeText(kUnknownTriggerTypeCode));
      }
    } else if (name == kResetMachineInput) {
      const auto input = static_cast<uint8_t>(
          notes.Number(child, childPath, 0, kResetMachineInputBits, kResetMachineInputBits));
      flags = static_cast<uint8_t>((flags & ~kResetMachineInputBits) | input);
    } else if (name == kResetMachineFallingEdge) {
      SetBit(flags, trigger::kFlagFallingEdge, notes.Bool(child, childPath));
    } else if (name == kResetMachineDelay) {
      trigger.SetResetMachineDelay(
          static_cast<uint16_t>(notes.Number(child, childPath, 0, kWordMax, kWordMax)));
    } else if (name == kMieleLogic) {
      LoadMieleLogic(child, childPath, trigger, notes);
    } else if (name == kElectroluxCompassPro) {
      LoadElectrolux(child, childPath, trigger, notes);
    } else if (name == kMieleLogicEthernet) {
      LoadMieleEthernet(child, childPath, trigger, notes);
    } else {
      for (const auto& field : kTriggerBytes) {
        if (name != field.name) continue;
        trigger.bytes[field.offset] =
            static_cast<uint8_t>(notes.Number(child, childPath, 0, kByteMax, kByteMax));
      }
    }
  }
}

std::optional<uint8_t> InstructionCode(std::string_view name) {
  for (size_t code = 0; code < kInstructions.size(); ++code) {
    if (EqualsIgnoringCase(name, kInstructions[code].name)) return static_cast<uint8_t>(code);
  }
  return std::nullopt;
}

// Parameter bytes from "%02X %02X ...": a number of one or two hexadecimal digits
// at each of the positions 0, 3, 6, 9 and 12, up to the first position that has
// none.
void LoadLineData(std::string_view text, ProgramLine& line) {
  text = text.substr(0, std::min(text.size(), kLineDataReadLimit));
  for (size_t k = 0; k < kLineDataMaxParameters; ++k) {
    const size_t position = k * kLineDataFieldStride;
    if (position >= text.size()) return;
    const int high = HexDigitValue(text[position]);
    if (high < 0) return;
    const int low = position + 1 < text.size() ? HexDigitValue(text[position + 1]) : -1;
    line.b[k + 1] = static_cast<uint8_t>(low < 0 ? high : high * 16 + low);
  }
}

// Every character of the parameter text was read: at most five fields of two
// hexadecimal digits, each but the last followed by one blank (the last may have
// one digit).
bool LineDataReadWhole(std::string_view text) {
  for (size_t k = 0; k < kLineDataMaxParameters; ++k) {
    const size_t position = k * kLineDataFieldStride;
    if (position >= text.size()) return position == 0;
    if (HexDigitValue(text[position]) < 0) return false;
    const bool two = position + 1 < text.size() && HexDigitValue(text[position + 1]) >= 0;
    const size_t end = position + (two ? 2 : 1);
    if (end == text.size()) return true;
    if (!two || text[end] != ' ') return false;
  }
  return false;
}

void LoadLine(const TXmlNode& node, const std::string& path, ProgramLine& line,
              std::string& comment, Notes& notes) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string childPath = ChildPath(path, child);
    if (child.Name() == kInstruction) {
      const std::optional<uint8_t> code = InstructionCode(child.ValueAsString());
      line.SetCode(code.value_or(kUnknownInstruction));
      if (!code) {
        notes.Changed(childPath, child.ValueAsString(), InstructionText(kUnknownInstruction));
      }
    } else if (child.Name() == kData) {
      LoadLineData(child.ValueAsString(), line);
      if (!LineDataReadWhole(child.ValueAsString())) {
        notes.Changed(childPath, child.ValueAsString(),
                      LineDataText(line, static_cast<int>(kLineDataMaxParameters)));
      }
    } else if (child.Name() == kLineComment) {
      comment = child.ValueAsString();
      notes.Text(child, childPath);
    }
  }
}

void LoadProgram(const TXmlNode& node, const std::string& path, ProgramRecord& program,
                 Notes& notes) {
  size_t lineIndex = 0;
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string& name = child.Name();
    const std::string childPath = ChildPath(path, child);
    if (name == kName) {
      program.Name = child.ValueAsString();
      notes.Text(child, childPath);
    } else if (name == kComment) {
      program.Comment = child.ValueAsString();
      notes.Text(child, childPath);
    } else if (name == kActive) {
      program.Active = notes.Bool(child, childPath);
    } else if (name == kSoftner) {
      program.Softner = notes.Bool(child, childPath);
    } else if (name == kDefaultSoftner) {
      program.DefaultSoftner = notes.Bool(child, childPath);
    } else if (name == kDefaultLevel) {
      const std::optional<int32_t> level = ParseInt32(child.ValueAsString());
      const bool inRange = level && *level >= kDefaultLevelMin && *level <= kDefaultLevelMax;
      program.DefaultLevel = inRange ? *level : kDefaultLevelFallback;
      if (!inRange)
        notes.Changed(childPath, child.ValueAsString(), std::to_string(kDefaultLevelFallback));
    } else if (name == kLine && lineIndex < program.Lines.size()) {
      LoadLine(child, path + "/" + kLine + "(" + std::to_string(lineIndex + 1) + ")",
               program.Lines[lineIndex], program.LineComments[lineIndex], notes);
      ++lineIndex;
    }
  }
}

Outcome LoadMachine(const TXmlNode& node, const std::string& path, MachineSettings& machine,
                    Notes& notes) {
  size_t slotIndex = 0;
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string& name = child.Name();
    const std::string childPath = ChildPath(path, child);
    if (name == kEnabled) {
      if (auto result = ReadStrictBool(child, path, machine.Enabled); !result) return result;
    } else if (name == kDefaultProgram) {
      const std::optional<int32_t> position = ParseInt32(child.ValueAsString());
      const bool inRange = position && *position >= 0 && *position <= kDefaultProgramMax;
      machine.DefaultProgram = inRange ? *position : (position ? kNoDefaultProgram : 0);
      // A position outside the list selects nothing, which packs as "-".
      if (!inRange) notes.Changed(childPath, child.ValueAsString(), "0");
    } else if (name == kAllowNoProgram) {
      machine.AllowNoProgram = notes.Bool(child, childPath);
    } else if (name == kSoftnerPump) {
      // Only a text the softener pump list offers is selected; otherwise none is.
      const std::string& text = child.ValueAsString();
      const bool listed = SoftnerPumpPosition(text) >= 0;
      machine.SoftnerPump = listed ? text : std::string();
      if (!listed) notes.Changed(childPath, text, kSoftnerPumpItems[0]);
    } else if (auto pump = NumberIn(name, kCalibration, 1, kPumpCount)) {
      const int32_t secondsPer100ml = child.ValueAsIntegerDef(0);
      std::string& held = machine.Calibration[static_cast<size_t>(*pump - 1)];
      held = IntToStr(ConvertCalibration(secondsPer100ml));
      // Held as ml per 60 s, the controller gets whole seconds per 100 ml again,
      // 250 at the most.
      const uint8_t packed = PackCalibration(held);
      if (!ParseInt32(child.ValueAsString()) || packed != secondsPer100ml)
        notes.Changed(childPath, child.ValueAsString(), std::to_string(packed));
    } else if (name == kTrigger) {
      LoadTrigger(child, childPath, machine.Trigger, notes);
    } else if (name == kProgram && slotIndex < machine.Programs.size()) {
      // Slots fill in the order of this machine element's Program children.
      LoadProgram(child, path + "/" + kProgram + "(" + std::to_string(slotIndex + 1) + ")",
                  machine.Programs[slotIndex], notes);
      ++slotIndex;
    } else {
      for (const auto& field : kMachineTexts) {
        if (name != field.name) continue;
        machine.*field.member = child.ValueAsString();
        if (field.member == &MachineSettings::Comment) {
          notes.Text(child, childPath);
        } else if (field.member != &MachineSettings::SoftnerPump) {
          notes.Number(child, childPath, 0, kByteMax, kByteMax);
        }
      }
    }
  }
  return {};
}

Outcome LoadMachineData(const TXmlNode& node, const std::string& path, SystemConfiguration& config,
                        Notes& notes) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const auto number = NumberIn(child.Name(), kMachine, 1, kMachineCount);
    if (!number) continue;
    MachineSettings& machine = config.MachineData[static_cast<size_t>(*number - 1)];
    if (auto result = LoadMachine(child, ChildPath(path, child), machine, notes); !result)
      return result;
  }
  return {};
}

Outcome LoadLog(const TXmlNode& node, const std::string& path, ControllerImage& image,
                size_t offset, size_t size) {
  const XmlStatus status = node.BufferRead(std::span<uint8_t>(image.bytes.data() + offset, size));
  if (!status) return Failure(ChildPath(path, node), status.reason);
  return {};
}

}  // namespace

FileKind ClassifyFile(std::string_view bytes) {
  if (bytes.size() == image::kSize && bytes.substr(0, image::kMagicSize) == image::kMagicText)
    return FileKind::kImage;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return FileKind::kSystemFile;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && bytes[first] == '<' ? FileKind::kSystemFile
                                                                : FileKind::kUnknown;
}

std::string DescribeChange(const ValueChange& change) {
  return change.element + ": " + Quoted(change.fileValue) + " reaches the controller as " +
         Quoted(change.controllerValue);
}

std::string DescribeChanges(const std::vector<ValueChange>& changes, size_t maxLines) {
  std::string text;
  for (size_t i = 0; i < changes.size() && i < maxLines; ++i) {
    text += DescribeChange(changes[i]);
    text += '\n';
  }
  if (changes.size() > maxLines) {
    text += "... and " + std::to_string(changes.size() - maxLines) + " more\n";
  }
  return text;
}

std::string SaveSystemFile(const SystemConfiguration& config, const ControllerImage& image) {
  TNativeXml document(kRoot);
  TXmlNode& root = document.Root();
  root.AttributeAdd(kRootVersionAttribute, kRootVersion);

  TXmlNode& mainSetup = root.NodeNew(kMainSetup);
  AddText(mainSetup, kSystemName, config.MainSetup.SystemName);
  AddInt(mainSetup, kVersionMajor, config.MainSetup.VersionMajor);
  AddInt(mainSetup, kVersionMinor, config.MainSetup.VersionMinor);

  TXmlNode& pcSettings = root.NodeNew(kPCsettings);
  AddText(pcSettings, kDefaultInputFilter, config.PCsettings.DefaultInputFilter);

  TXmlNode& alarm = root.NodeNew(kAlarm);
  for (int g = 0; g < kAlarmGroupCount; ++g) {
    TXmlNode& group = alarm.NodeNew(Numbered(kGroup, g));
    for (const auto& flag : kGroupFlags) {
      AddBool(group, flag.name, config.Alarm.Group[static_cast<size_t>(g)].*flag.member);
    }
  }
  for (int r = 1; r <= kRecipientCount; ++r) {
    AddText(alarm, Numbered(kRecipient, r).c_str(),
            config.Alarm.Recipient[static_cast<size_t>(r - 1)]);
  }
  TXmlNode& activeLevel = alarm.NodeNew(kActiveLevel);
  AddBool(activeLevel, kCommon, config.Alarm.ActiveLevel.Common);
  for (int n = 1; n <= kAlarmLevelInputs; ++n) {
    AddBool(activeLevel, Numbered(kLevel, n).c_str(),
            config.Alarm.ActiveLevel.Level[static_cast<size_t>(n - 1)]);
  }
  AddBool(activeLevel, kExtra, config.Alarm.ActiveLevel.Extra);

  TXmlNode& machineData = root.NodeNew(kMachineData);
  for (int m = 0; m < kMachineCount; ++m) {
    SaveMachine(machineData, m + 1, config.MachineData[static_cast<size_t>(m)]);
  }

  root.NodeNew(kAlarmLog).BufferWrite(
      std::span<const uint8_t>(image.bytes.data() + AlarmLogOffset(image), image::kAlarmLogSize));
  root.NodeNew(kDataLog).BufferWrite(std::span<const uint8_t>(
      image.bytes.data() + ConsumptionLogOffset(image), image::kDataLogSize));
  return document.SaveToBuffer();
}

Outcome LoadSystemFile(std::string_view bytes, SystemConfiguration& config, ControllerImage& image,
                       std::vector<ValueChange>* changes) {
  Notes notes(changes);
  TNativeXml document;
  if (const XmlStatus parsed = document.LoadFromBuffer(bytes); !parsed) {
    return Failure({}, parsed.reason);
  }
  const TXmlNode& root = document.Root();
  if (root.Name() != kRoot) {
    return Failure(root.Name(), std::string("the root element is not ") + kRoot);
  }
  const std::string rootPath = root.Name();
  for (int i = 0; i < root.NodeCount(); ++i) {
    const TXmlNode& child = root.Nodes(i);
    const std::string& name = child.Name();
    Outcome result;
    const std::string childPath = ChildPath(rootPath, child);
    if (name == kMainSetup) {
      LoadMainSetup(child, childPath, config, image, notes);
    } else if (name == kPCsettings) {
      LoadPCsettings(child, childPath, config.PCsettings, notes);
    } else if (name == kAlarm) {
      result = LoadAlarm(child, childPath, config.Alarm, notes);
    } else if (name == kMachineData) {
      result = LoadMachineData(child, childPath, config, notes);
    } else if (name == kAlarmLog) {
      result = LoadLog(child, rootPath, image, image::kAlarmLog, image::kAlarmLogSize);
    } else if (name == kDataLog) {
      result = LoadLog(child, rootPath, image, image::kDataLog, image::kDataLogSize);
    }
    if (!result) return result;
  }
  return Outcome::Done();
}

}  // namespace vorel
