// The whole laundry at a glance and over time: the state one status report carries
// (every pump, valve and machine output, each machine's program, line, trigger and
// keyboard), and the trace that keeps its changes while the tool is connected, as a
// logic analyser keeps the edges of its lanes. Plain values, no clock: the caller
// gives every report its time in milliseconds.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/base/Result.h"
#include "core/config/SystemConfiguration.h"
#include "core/image/ImagePacking.h"
#include "core/link/Gateway.h"
#include "core/link/LiveMessages.h"

namespace vorel {

namespace laundry {
inline constexpr int kPumps = 7;
inline constexpr int kMachines = 10;
// Each machine's signals, in this order from its first one.
enum MachineSignal : int {
  kOutput = 0,      // the machine output, 0/1
  kSlot,            // the program running, 1..6; 0 none
  kLine,            // its line, 1..24; 0 none
  kTriggerOnline,   // 0/1
  kKeyboardLocked,  // 0/1
  kInputs,          // trigger inputs 1..6 as bits 0..5
  kLoad,            // percent
  kMachineSignals
};
// The signals of the whole laundry: pumps 1..7, flush water, flush drain, the
// alarm output, whether the controller is connected (the gaps of a trace), then
// each machine's.
inline constexpr int kFlushWater = kPumps;
inline constexpr int kFlushDrain = kPumps + 1;
inline constexpr int kAlarmOutput = kPumps + 2;
inline constexpr int kConnected = kPumps + 3;
inline constexpr int kFirstMachineSignal = kPumps + 4;
inline constexpr int kSignals = kFirstMachineSignal + kMachines * kMachineSignals;

constexpr int MachineSignalIndex(int machineIndex, MachineSignal signal) {
  return kFirstMachineSignal + machineIndex * kMachineSignals + signal;
}
// "pump 3", "flush water", "machine 4 line", ... (the trace's CSV and vorelctl).
std::string SignalName(int signal);
// On/off lanes (outputs, trigger, keyboard) against value lanes (slot, line, inputs,
// load).
bool IsSwitch(int signal);
}  // namespace laundry

// What one report says of the laundry. A signal the report does not carry (the
// gateway's report has no alarm output, a 44-byte report no inputs and load) is
// not known and leaves the trace as it was.
struct LaundryState {
  std::array<uint8_t, laundry::kSignals> value{};
  std::bitset<laundry::kSignals> known;

  uint8_t Get(int signal) const { return value[static_cast<size_t>(signal)]; }
  uint8_t Machine(int machineIndex, laundry::MachineSignal signal) const {
    return Get(laundry::MachineSignalIndex(machineIndex, signal));
  }
};

LaundryState LaundryStateOf(const StatusReport& report);
LaundryState LaundryStateOf(const GatewayStatus& status);

// One machine's row of the overview, in the editors' words (Windows-1252 text: the
// names come from the configuration): "3  Washer" (number and comment), "2  Whites
// 60" (slot and program name) or "-", "5  Pump" (line and its instruction) or "-",
// "Online, inputs 1 6" or "Offline", "Locked" or "", "On" or "Off".
struct MachineOverview {
  std::string machine;
  std::string program;
  std::string line;
  std::string trigger;
  std::string keyboard;
  std::string output;
};
MachineOverview OverviewOf(const MachineSettings& settings, int machineIndex,
                           const LaundryState& state);

// One change of one signal, `timeMs` after the trace began.
struct TraceChange {
  uint32_t timeMs = 0;
  uint16_t signal = 0;
  uint8_t value = 0;
  friend bool operator==(const TraceChange&, const TraceChange&) = default;
};

// The changes of every signal, oldest first, at most `capacity` of them: when full,
// the oldest goes first and its value moves into the state the trace starts from,
// so what is kept always draws from its first moment on. An idle laundry records
// nothing; memory is the ring's, fixed when it is made.
class LaundryTrace {
 public:
  // A day of a busy ten-machine laundry is a few hundred thousand changes; four
  // million (32 MB at most, taken as the trace grows) keep well over a week of it.
  static constexpr size_t kDefaultCapacity = 4'000'000;

  explicit LaundryTrace(size_t capacity = kDefaultCapacity);

  // The report's known signals that differ from the last value recorded; the
  // changes recorded (none for a repeated state). Times never go back: an earlier
  // time is taken as the last one.
  size_t Record(uint32_t timeMs, const LaundryState& state);
  void Clear();

  size_t Size() const { return size_; }
  size_t Capacity() const { return capacity_; }
  const TraceChange& Change(size_t index) const {  // 0 the oldest kept
    return ring_[(first_ + index) % ring_.size()];
  }
  // Each signal's value before the oldest change kept, and whether it was known.
  const LaundryState& StartState() const { return start_; }
  // Each signal's value after the newest change.
  const LaundryState& Latest() const { return latest_; }
  uint32_t LastTimeMs() const { return lastTimeMs_; }
  // The index of the first change after `timeMs`.
  size_t FirstAfter(uint32_t timeMs) const;
  // Every signal's value at `timeMs` (the cursor).
  LaundryState StateAt(uint32_t timeMs) const;
  // What a chart of [fromMs, toMs] draws: the values at `fromMs`, then the changes
  // after it up to `toMs`, oldest first.
  struct Slice {
    LaundryState atStart;
    std::vector<TraceChange> changes;
  };
  Slice Between(uint32_t fromMs, uint32_t toMs) const;

  // When the trace began, for a trace file sent to the office.
  void SetStartedAt(const LocalDateTime& at) { startedAt_ = at; }
  const LocalDateTime& StartedAt() const { return startedAt_; }

  // Bytes held, for the memory figure.
  size_t MemoryBytes() const {
    return ring_.capacity() * sizeof(TraceChange) + checkpoints_.size() * sizeof(Checkpoint);
  }

 private:
  friend Loaded<LaundryTrace> LoadTraceFile(std::span<const uint8_t> bytes);
  // Every so many changes the whole state is kept, so that the state at a moment is
  // found by replaying a few changes, not the whole day.
  static constexpr uint64_t kCheckpointEvery = 4096;
  struct Checkpoint {
    uint64_t sequence;  // the state before this change
    LaundryState state;
  };
  void Append(const TraceChange& change);

  size_t capacity_;
  std::vector<TraceChange> ring_;  // grows to `capacity_`, then wraps
  size_t first_ = 0;
  size_t size_ = 0;
  LaundryState start_;
  LaundryState latest_;
  std::deque<Checkpoint> checkpoints_;
  uint64_t total_ = 0;    // changes ever recorded
  uint64_t dropped_ = 0;  // of them, dropped as the oldest
  uint32_t lastTimeMs_ = 0;
  LocalDateTime startedAt_{};
};

// "12.300": a trace's time in seconds since it began, as the CSV and vorelctl write it.
std::string TraceSecondsText(uint32_t timeMs);

// "seconds,signal,value" then one row per change kept, oldest first, the time in
// seconds since the trace began with three decimals ("12.300,machine 4 line,5"). A
// trace that dropped its oldest changes first gives the values it starts from, at
// the time of its first change kept.
std::string TraceCsv(const LaundryTrace& trace);

// The trace file: "VORELTRC", format 1, when the trace began, the start state, then
// the changes, little-endian. Loaded whole or refused whole.
std::vector<uint8_t> SaveTraceFile(const LaundryTrace& trace);
Loaded<LaundryTrace> LoadTraceFile(std::span<const uint8_t> bytes);

}  // namespace vorel
