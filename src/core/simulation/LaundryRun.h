// The washing machines a simulated controller serves, running their dispensing programs:
// every enabled machine starts its default program (or its first active one), takes it
// line by line, doses, flushes, waits for its washing machine's signals and, a pause
// after the program ends, starts it again. Time passes only when told (Advance).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/config/ProgramRecord.h"
#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"

namespace vorel::sim {

namespace laundry {
inline constexpr size_t kMachines = image::kMachineBlockCount;
// A line with no time of its own (a jump, the keyboard lock, a pump without a dose)
// still takes this long, so that every line shows in the reports and a program of
// jumps alone cannot hold the controller.
inline constexpr uint32_t kLineStepMs = 1000;
// How long the washing machine takes to give the signal an input line waits for.
inline constexpr uint32_t kSignalMs = 3000;
// From the end of a program to the machine's next start.
inline constexpr uint32_t kPauseMs = 20000;
// Machine index m first starts m + 1 times this after the controller starts (or after
// it is enabled), so the machines do not all run in step.
inline constexpr uint32_t kStaggerMs = 3000;
// The longest dose: a large volume on a slow pump stops here.
inline constexpr uint32_t kLongestDoseMs = 300000;
// A pump stored without calibration (0) doses as the cleared 30 ml per 60 s.
inline constexpr uint32_t kUncalibratedSecondsPer100Ml = 200;
}  // namespace laundry

// What the controller reports of one machine.
struct MachineReport {
  uint8_t line = 0;    // 1..24 while a program runs, else 0
  uint8_t slot = 0;    // 1..6 while a program runs, else 0
  uint8_t flags = 0;   // wire::kFlagTriggerOnline, wire::kFlagKeyboardLocked
  uint8_t inputs = 0;  // bit i: trigger input i+1 active
  uint8_t load = 0;    // percent, while a program runs

  friend bool operator==(const MachineReport&, const MachineReport&) = default;
};

class LaundryRun {
 public:
  LaundryRun();

  // `milliseconds` of controller time pass for every machine, with the enable mask,
  // settings and programs that `memory` holds now. A program is taken up as it stands
  // when it starts; a machine that is no longer enabled stops at once.
  void Advance(const ControllerImage& memory, uint32_t milliseconds);
  // The controller's machine reset: the program ends, the pause begins.
  void ResetMachine(size_t machineIndex);
  void ResetAll();

  uint8_t Pumps() const;     // bit i: pump i+1 running
  uint16_t Outputs() const;  // bits 0..9 machines running a program, 10 flush water, 11 flush drain
  MachineReport Report(size_t machineIndex) const;
  // Line, slot, flags and trigger inputs into the first four bytes of a machine
  // record, as the status report and the gateway's report both lay them out.
  void StoreRecord(size_t machineIndex, std::span<uint8_t> record) const;

 private:
  // A part of a line with what it switches on: a delay, a dose, a flush, a signal.
  struct Stage {
    uint32_t ms = 0;
    uint8_t pumps = 0;
    uint16_t valves = 0;
    uint8_t inputs = 0;
  };
  static constexpr int kEnd = -1;  // the program ends after the line
  static constexpr size_t kMostStages = 3;
  struct LinePlan {
    std::array<Stage, kMostStages> stages{};
    size_t count = 0;
    int next = kEnd;  // the line index that follows, or kEnd
    void Add(const Stage& stage);
  };
  struct Machine {
    bool enabled = false;
    bool running = false;
    uint32_t waitMs = 0;  // until the next start, while no program runs
    uint32_t starts = 0;
    // The program taken up at the start, with the machine's settings it doses by.
    uint8_t slot = 0;  // 0..5
    uint8_t level = 0;
    std::array<ProgramLine, kProgramLineCount> lines{};
    std::array<uint8_t, kPumpCount> calibration{};
    uint8_t shortFlushS = 0;
    uint8_t longFlushS = 0;
    uint64_t timeoutMs = 0;  // 0: none
    // Where it stands.
    int line = 0;
    LinePlan plan;
    size_t stage = 0;
    uint32_t stageLeftMs = 0;
    uint64_t runMs = 0;
    bool keyboardLocked = false;
    uint8_t load = 0;
  };

  void Run(const ControllerImage& memory, size_t machineIndex, uint32_t milliseconds);
  bool Start(const ControllerImage& memory, size_t machineIndex);
  void EnterLine(Machine& machine, int line);
  static void End(Machine& machine);
  // Idle, enabled or not, until its first start.
  static Machine Idle(size_t machineIndex);
  static LinePlan Plan(const Machine& machine, int line);
  const Stage* Current(const Machine& machine) const;

  std::array<Machine, laundry::kMachines> machines_{};
};

}  // namespace vorel::sim
