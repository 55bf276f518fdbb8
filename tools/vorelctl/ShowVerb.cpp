// vorelctl show: a summary of a system file or controller image, or one program
// as its editor's grid shows it.
#include <cstdio>
#include <string>

#include "Input.h"
#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "core/program/ProgramLines.h"
#include "io/FileAccess.h"

namespace vorelctl {

namespace {

std::optional<int> NumberArgument(std::string_view text, int lowest, int highest) {
  const std::optional<int32_t> value = vorel::ParseInt32(text);
  if (!value || *value < lowest || *value > highest) return std::nullopt;
  return *value;
}

// The controller's clock as the system setup window's watch shows it; "-" when it
// holds no valid time (a system file, or an image packed by the tool).
std::string ClockText(const vorel::ControllerClock& clock) {
  const std::string watch = vorel::WatchText(clock);
  return watch.empty() ? "-" : watch;
}

void PrintSummary(const vorel::Session& input, std::ostream& out) {
  const vorel::ControllerImage& image = input.Image().image;
  const vorel::ControllerInfo info = vorel::ReadControllerInfo(image);
  out << "System name: " << vorel::Ansi::ToUtf8(input.Configuration().MainSetup.SystemName) << '\n';
  out << "Data format: " << int(image.VersionMajor()) << '.' << int(image.VersionMinor()) << '\n';
  out << "Serial number: " << info.serialNumber << '\n';
  out << "Hardware version: " << int(info.hardwareVersion) << '\n';
  out << "Firmware version: " << int(info.firmwareMajor) << '.' << int(info.firmwareMinor) << '\n';
  out << "Controller clock: " << ClockText(info.clock) << '\n';
  out << "Enabled machines:";
  bool any = false;
  for (int m = 0; m < vorel::kMachineCount; ++m) {
    if (!input.Configuration().MachineData[m].Enabled) continue;
    out << (any ? ", " : " ") << m + 1;
    any = true;
  }
  out << (any ? "" : " none") << '\n';
  out << vorel::UsedTextLabel(input.Image().usedTextPercent) << '\n';
}

void PrintProgram(const vorel::Session& input, int machineIndex, int slotIndex, std::ostream& out) {
  vorel::ProgramRecord program =
      input.Configuration().MachineData[machineIndex].Programs[slotIndex];
  // An image keeps no text for a program with its slot's own name; the editor
  // shows that name.
  if (program.Name.empty()) program.Name = vorel::DefaultProgramName(slotIndex + 1);
  out << vorel::Ansi::ToUtf8(vorel::ProgramEditorCaption(machineIndex + 1, program.Name)) << '\n';
  for (int line = 0; line < vorel::kProgramLineCount; ++line) {
    out << vorel::Ansi::ToUtf8(vorel::JoinGridRow(vorel::RenderGridRow(program, line))) << '\n';
  }
}

}  // namespace

int Show(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {"--machine", "--program"}, parsed);
      !checked)
    return UsageError(err, checked.reason);
  if (parsed.arguments.empty()) return UsageError(err, "show needs INPUT");
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);
  const std::optional<std::string_view> machineText = parsed.Option("--machine");
  const std::optional<std::string_view> programText = parsed.Option("--program");
  if (machineText.has_value() != programText.has_value()) {
    return UsageError(err, "--machine and --program go together");
  }
  std::optional<int> machine;
  std::optional<int> program;
  if (machineText) {
    machine = NumberArgument(*machineText, 1, vorel::kMachineCount);
    if (!machine) return UsageError(err, "--machine takes 1..10");
    program = NumberArgument(*programText, 1, vorel::kProgramSlots);
    if (!program) return UsageError(err, "--program takes 1..6");
  }
  const std::string_view inputName = parsed.arguments[0];

  vorel::Session input;
  if (const vorel::Outcome loaded = LoadInput(std::string(inputName), vorel::LocalNow(), input);
      !loaded) {
    err << "vorelctl: " << loaded.reason << '\n';
    return kExitFailure;
  }
  if (machine) {
    PrintProgram(input, *machine - 1, *program - 1, out);
  } else {
    PrintSummary(input, out);
  }
  return kExitOk;
}

}  // namespace vorelctl
