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

SystemFileResult Failure(std::string element, std::string reason) {
  return {false, std::move(element), std::move(reason)};
}

std::string ChildPath(const std::string& parentPath, const TXmlNode& child) {
  return parentPath + "/" + child.Name();
}

// A boolean that must be readable: anything but T/Y/F/N ends the load.
SystemFileResult ReadStrictBool(const TXmlNode& node, const std::string& parentPath, bool& target) {
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

SystemFileResult LoadAlarmGroup(const TXmlNode& node, const std::string& path, AlarmGroup& group) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    for (const auto& flag : kGroupFlags) {
      if (child.Name() != flag.name) continue;
      if (auto result = ReadStrictBool(child, path, group.*flag.member); !result) return result;
    }
  }
  return {};
}

SystemFileResult LoadActiveLevel(const TXmlNode& node, const std::string& path,
                                 ActiveLevelFlags& flags) {
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

SystemFileResult LoadAlarm(const TXmlNode& node, const std::string& path, AlarmSection& alarm) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string childPath = ChildPath(path, child);
    SystemFileResult result;
    if (auto g = NumberIn(child.Name(), kGroup, 0, kAlarmGroupCount - 1)) {
      result = LoadAlarmGroup(child, childPath, alarm.Group[static_cast<size_t>(*g)]);
    } else if (auto r = NumberIn(child.Name(), kRecipient, 1, kRecipientCount)) {
      alarm.Recipient[static_cast<size_t>(*r - 1)] = child.ValueAsString();
    } else if (child.Name() == kActiveLevel) {
      result = LoadActiveLevel(child, childPath, alarm.ActiveLevel);
    }
    if (!result) return result;
  }
  return {};
}

void LoadMainSetup(const TXmlNode& node, SystemConfiguration& config, ControllerImage& image) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (child.Name() == kSystemName) {
      config.MainSetup.SystemName = child.ValueAsString();
    } else if (child.Name() == kVersionMajor) {
      config.MainSetup.VersionMajor = LowByte(child.ValueAsIntegerDef(0));
      image.bytes[image::kVersionMajor] = config.MainSetup.VersionMajor;
    } else if (child.Name() == kVersionMinor) {
      config.MainSetup.VersionMinor = LowByte(child.ValueAsIntegerDef(0));
      image.bytes[image::kVersionMinor] = config.MainSetup.VersionMinor;
    }
  }
}

void LoadPCsettings(const TXmlNode& node, PCsettingsSection& settings) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (child.Name() == kDefaultInputFilter) settings.DefaultInputFilter = child.ValueAsString();
  }
}

uint8_t TriggerTypeCode(const std::string& name) {
  for (const auto& type : kTriggerTypes) {
    if (name == type.text) return type.code;
  }
  for (const auto& type : kOlderTriggerTypeNames) {
    if (name == type.name) return type.code;
  }
  return kUnknownTriggerTypeCode;
}

void LoadMieleLogic(const TXmlNode& node, TriggerData& trigger) {
  // The texts land in the type area as it stands; it is not cleared first.
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (const trigger::TextField* field = FindMieleText(child.Name())) {
      trigger.SetMieleText(*field, child.ValueAsString());
    } else if (child.Name() == kSoftnerActive2) {
      SetBit(trigger.bytes[trigger::kFlags], trigger::kFlagSoftnerActive2,
             child.ValueAsBoolDef(false));
    }
  }
}

void LoadElectrolux(const TXmlNode& node, TriggerData& trigger) {
  trigger.ClearTypeArea();
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const auto n = NumberIn(child.Name(), kProgramMap, 1, trigger::kProgramMapCount);
    if (!n) continue;
    // An entry beyond a half-byte is no program slot: it reads as "Not in use"
    // rather than spilling into the neighbouring entry or wrapping round.
    const int32_t value = child.ValueAsIntegerDef(0);
    trigger.SetProgramMap(*n, (value >= 0 && value <= kProgramMapMax) ? LowByte(value) : 0);
  }
}

void LoadMieleEthernet(const TXmlNode& node, TriggerData& trigger) {
  trigger.ClearTypeArea();
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (child.Name() == kMachineSerialNumber) {
      trigger.SetEthernetNumber(trigger::kEthernetSerial, child.ValueAsIntegerDef(0));
    } else if (child.Name() == kMachineID) {
      trigger.SetEthernetNumber(trigger::kEthernetMachineId, child.ValueAsIntegerDef(0));
    }
  }
}

void LoadTrigger(const TXmlNode& node, TriggerData& trigger) {
  uint8_t& flags = trigger.bytes[trigger::kFlags];
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string& name = child.Name();
    if (name == kType) {
      trigger.bytes[trigger::kType] = TriggerTypeCode(child.ValueAsString());
    } else if (name == kResetMachineInput) {
      const uint8_t input = LowByte(child.ValueAsIntegerDef(0)) & kResetMachineInputBits;
      flags = static_cast<uint8_t>((flags & ~kResetMachineInputBits) | input);
    } else if (name == kResetMachineFallingEdge) {
      SetBit(flags, trigger::kFlagFallingEdge, child.ValueAsBoolDef(false));
    } else if (name == kResetMachineDelay) {
      trigger.SetResetMachineDelay(static_cast<uint16_t>(child.ValueAsIntegerDef(0) & 0xFFFF));
    } else if (name == kMieleLogic) {
      LoadMieleLogic(child, trigger);
    } else if (name == kElectroluxCompassPro) {
      LoadElectrolux(child, trigger);
    } else if (name == kMieleLogicEthernet) {
      LoadMieleEthernet(child, trigger);
    } else {
      for (const auto& field : kTriggerBytes) {
        if (name == field.name) trigger.bytes[field.offset] = LowByte(child.ValueAsIntegerDef(0));
      }
    }
  }
}

uint8_t InstructionCode(std::string_view name) {
  for (size_t code = 0; code < kInstructions.size(); ++code) {
    if (EqualsIgnoringCase(name, kInstructions[code].name)) return static_cast<uint8_t>(code);
  }
  return kUnknownInstruction;
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

void LoadLine(const TXmlNode& node, ProgramLine& line, std::string& comment) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    if (child.Name() == kInstruction) {
      line.SetCode(InstructionCode(child.ValueAsString()));
    } else if (child.Name() == kData) {
      LoadLineData(child.ValueAsString(), line);
    } else if (child.Name() == kLineComment) {
      comment = child.ValueAsString();
    }
  }
}

void LoadProgram(const TXmlNode& node, ProgramRecord& program) {
  size_t lineIndex = 0;
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string& name = child.Name();
    if (name == kName) {
      program.Name = child.ValueAsString();
    } else if (name == kComment) {
      program.Comment = child.ValueAsString();
    } else if (name == kActive) {
      program.Active = child.ValueAsBoolDef(false);
    } else if (name == kSoftner) {
      program.Softner = child.ValueAsBoolDef(false);
    } else if (name == kDefaultSoftner) {
      program.DefaultSoftner = child.ValueAsBoolDef(false);
    } else if (name == kDefaultLevel) {
      const int32_t level = child.ValueAsIntegerDef(kDefaultLevelFallback);
      program.DefaultLevel =
          (level >= kDefaultLevelMin && level <= kDefaultLevelMax) ? level : kDefaultLevelFallback;
    } else if (name == kLine && lineIndex < program.Lines.size()) {
      LoadLine(child, program.Lines[lineIndex], program.LineComments[lineIndex]);
      ++lineIndex;
    }
  }
}

SystemFileResult LoadMachine(const TXmlNode& node, const std::string& path,
                             MachineSettings& machine) {
  size_t slotIndex = 0;
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const std::string& name = child.Name();
    if (name == kEnabled) {
      if (auto result = ReadStrictBool(child, path, machine.Enabled); !result) return result;
    } else if (name == kDefaultProgram) {
      const int32_t position = child.ValueAsIntegerDef(0);
      machine.DefaultProgram =
          (position >= 0 && position <= kDefaultProgramMax) ? position : kNoDefaultProgram;
    } else if (name == kAllowNoProgram) {
      machine.AllowNoProgram = child.ValueAsBoolDef(false);
    } else if (name == kSoftnerPump) {
      // Only a text the softener pump list offers is selected; otherwise none is.
      const std::string& text = child.ValueAsString();
      machine.SoftnerPump = SoftnerPumpPosition(text) >= 0 ? text : std::string();
    } else if (auto pump = NumberIn(name, kCalibration, 1, kPumpCount)) {
      const int32_t secondsPer100ml = child.ValueAsIntegerDef(0);
      machine.Calibration[static_cast<size_t>(*pump - 1)] =
          IntToStr(ConvertCalibration(secondsPer100ml));
    } else if (name == kTrigger) {
      LoadTrigger(child, machine.Trigger);
    } else if (name == kProgram && slotIndex < machine.Programs.size()) {
      // Slots fill in the order of this machine element's Program children.
      LoadProgram(child, machine.Programs[slotIndex]);
      ++slotIndex;
    } else {
      for (const auto& field : kMachineTexts) {
        if (name == field.name) machine.*field.member = child.ValueAsString();
      }
    }
  }
  return {};
}

SystemFileResult LoadMachineData(const TXmlNode& node, const std::string& path,
                                 SystemConfiguration& config) {
  for (int i = 0; i < node.NodeCount(); ++i) {
    const TXmlNode& child = node.Nodes(i);
    const auto number = NumberIn(child.Name(), kMachine, 1, kMachineCount);
    if (!number) continue;
    MachineSettings& machine = config.MachineData[static_cast<size_t>(*number - 1)];
    if (auto result = LoadMachine(child, ChildPath(path, child), machine); !result) return result;
  }
  return {};
}

SystemFileResult LoadLog(const TXmlNode& node, const std::string& path, ControllerImage& image,
                         size_t offset, size_t size) {
  const XmlStatus status = node.BufferRead(std::span<uint8_t>(image.bytes.data() + offset, size));
  if (!status) return Failure(ChildPath(path, node), status.reason);
  return {};
}

}  // namespace

std::string SystemFileResult::Describe() const {
  return element.empty() ? reason : element + ": " + reason;
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
      std::span<const uint8_t>(image.bytes.data() + image::kAlarmLog, image::kAlarmLogSize));
  root.NodeNew(kDataLog).BufferWrite(
      std::span<const uint8_t>(image.bytes.data() + image::kDataLog, image::kDataLogSize));
  return document.SaveToBuffer();
}

SystemFileResult LoadSystemFile(std::string_view bytes, SystemConfiguration& config,
                                ControllerImage& image) {
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
    SystemFileResult result;
    if (name == kMainSetup) {
      LoadMainSetup(child, config, image);
    } else if (name == kPCsettings) {
      LoadPCsettings(child, config.PCsettings);
    } else if (name == kAlarm) {
      result = LoadAlarm(child, ChildPath(rootPath, child), config.Alarm);
    } else if (name == kMachineData) {
      result = LoadMachineData(child, ChildPath(rootPath, child), config);
    } else if (name == kAlarmLog) {
      result = LoadLog(child, rootPath, image, image::kAlarmLog, image::kAlarmLogSize);
    } else if (name == kDataLog) {
      result = LoadLog(child, rootPath, image, image::kDataLog, image::kDataLogSize);
    }
    if (!result) return result;
  }
  return {};
}

}  // namespace vorel
