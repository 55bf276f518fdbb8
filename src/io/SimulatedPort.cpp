// The demonstration's simulated controller on the link.
#include "io/SimulatedPort.h"

#include <algorithm>
#include <vector>

#include "core/config/InstructionSet.h"
#include "core/session/Session.h"
#include "io/FileAccess.h"

namespace vorel {

namespace {

constexpr uint8_t kDemoFilter = 2;  // seconds a washing machine's signal must hold
// Quick pumps, so a dose takes seconds: 600 ml per 60 s.
constexpr const char* kDemoCalibration = "600";

ProgramLine Line(uint8_t code) {
  ProgramLine programLine;
  programLine.SetCode(code);
  return programLine;
}

// Waits for the washing machine's input, then goes on to the next line.
ProgramLine InputWait(uint8_t input) {
  ProgramLine programLine = Line(instruction::kInputWait);
  InputBlock block;
  block.filter = kDemoFilter;
  block.nextInput = input;
  WriteInputBlock(programLine, block);
  return programLine;
}

// Low, Mid and High volumes in ml, flushed on with the short flush.
ProgramLine Pump(uint8_t pump, uint8_t low, uint8_t mid, uint8_t high) {
  ProgramLine programLine = Line(instruction::kPump);
  WritePumpControl(programLine, {pump, line::kFlushShort, true});
  programLine.b[line::kPumpVolumeLow] = low;
  programLine.b[line::kPumpVolumeMid] = mid;
  programLine.b[line::kPumpVolumeHigh] = high;
  return programLine;
}

ProgramLine Wait(uint16_t seconds) {
  ProgramLine programLine = Line(instruction::kWait);
  WriteWord(programLine, line::kWaitTime, seconds);
  return programLine;
}

ProgramLine Flush(uint8_t seconds, bool toDrain) {
  ProgramLine programLine = Line(instruction::kFlush);
  programLine.b[line::kFlushControl] = toDrain ? line::kFlushToDrain : 0;
  programLine.b[line::kFlushTime] = seconds;
  return programLine;
}

// A wash as the demonstration laundry runs it: detergent at the pre-wash and main
// wash signals, softener at the rinse, a drain flush at the end.
ProgramRecord DemoWash() {
  ProgramRecord program = ClearedProgram(1);
  program.Name = "Cotton 60";
  program.Active = true;
  const std::vector<ProgramLine> lines = {
      Line(instruction::kKeyboardLock),
      InputWait(1),
      Pump(1, 20, 30, 40),
      Wait(10),
      InputWait(2),
      Pump(2, 40, 60, 80),
      Flush(5, false),
      InputWait(3),
      Pump(3, 30, 40, 50),
      Flush(4, true),
  };
  std::copy(lines.begin(), lines.end(), program.Lines.begin());
  return program;
}

}  // namespace

SimulatedPort::SimulatedPort(const ControllerImage& memory, QObject* parent)
    : QObject(parent),
      DemonstrationController{
          sim::ControllerSimulator(memory, {}, {}, {static_cast<uint32_t>(kTurnMs)})},
      SimulatedLine(controller) {
  connect(&timer_, &QTimer::timeout, this, [this] { Turn(); });
}

bool SimulatedPort::Open(const std::string& listText) {
  SimulatedLine::Open(listText);
  timer_.start(kTurnMs);
  return true;
}

void SimulatedPort::Close() {
  SimulatedLine::Close();
  timer_.stop();
}

ControllerImage SimulatedPort::DemoMemory() {
  Session session;
  session.NewSystem(LocalNow());
  session.EditConfiguration([](SystemConfiguration& config) {
    config.MainSetup.SystemName = "Demonstration laundry";
    for (int m = 0; m < 3; ++m) {
      MachineSettings& machine = config.MachineData[m];
      machine.Enabled = true;
      machine.Comment = "Washer " + std::to_string(m + 1);
      machine.Calibration.fill(kDemoCalibration);
      machine.Programs[0] = DemoWash();
      machine.DefaultProgram = 1;
    }
  });
  session.PackImage(LocalNow());
  ControllerImage memory = session.Image().image;
  sim::SetIdentity(memory, {}, LocalNow());
  return memory;
}

}  // namespace vorel
