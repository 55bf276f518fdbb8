#include "core/supervision/LaundryTrace.h"

#include <algorithm>
#include <cstdio>

#include "core/base/Bytes.h"
#include "core/config/InstructionSet.h"

namespace vorel {

namespace laundry {

std::string SignalName(int signal) {
  if (signal < 0 || signal >= kSignals) return "signal " + std::to_string(signal);
  if (signal < kPumps) return "pump " + std::to_string(signal + 1);
  if (signal == kFlushWater) return "flush water";
  if (signal == kFlushDrain) return "flush drain";
  if (signal == kAlarmOutput) return "alarm output";
  if (signal == kConnected) return "connected";
  static constexpr const char* kNames[kMachineSignals] = {
      "output", "program", "line", "trigger online", "keyboard locked", "inputs", "load"};
  const int relative = signal - kFirstMachineSignal;
  return "machine " + std::to_string(relative / kMachineSignals + 1) + " " +
         kNames[relative % kMachineSignals];
}

bool IsSwitch(int signal) {
  if (signal < kFirstMachineSignal) return true;
  const int kind = (signal - kFirstMachineSignal) % kMachineSignals;
  return kind == kOutput || kind == kTriggerOnline || kind == kKeyboardLocked;
}

}  // namespace laundry

namespace {

using namespace laundry;

void Set(LaundryState& state, int signal, int value) {
  state.value[static_cast<size_t>(signal)] = static_cast<uint8_t>(value);
  state.known.set(static_cast<size_t>(signal));
}

// Pumps, valves and machine outputs from the pump byte and the outputs word.
void SetOutputs(LaundryState& state, uint8_t pumps, uint16_t outputs, bool alarmCarried) {
  for (int p = 0; p < kPumps; ++p) Set(state, p, (pumps >> p) & 1);
  Set(state, kFlushWater, (outputs >> 10) & 1);
  Set(state, kFlushDrain, (outputs >> 11) & 1);
  if (alarmCarried) Set(state, kAlarmOutput, (outputs >> 12) & 1);
  for (int m = 0; m < kMachines; ++m)
    Set(state, MachineSignalIndex(m, kOutput), (outputs >> m) & 1);
}

// A record's slot 1..6 and line 1..24; anything else is none.
int SlotOf(uint8_t byte) {
  const int slot = byte & wire::kSlotMask;
  return slot >= 1 && slot <= 6 ? slot : 0;
}
int LineOf(uint8_t byte) {
  const int line = byte & 0x3F;
  return line >= 1 && line <= 24 ? line : 0;
}

}  // namespace

LaundryState LaundryStateOf(const StatusReport& report) {
  LaundryState state;
  // Bytes 6..9 as sent: the same in both report lengths, the alarm output included.
  SetOutputs(state, report.SetupPumps(), report.SetupOutputs(), true);
  for (int m = 0; m < kMachines; ++m) {
    const auto record = report.MachineRecord(static_cast<size_t>(m));
    Set(state, MachineSignalIndex(m, kSlot), SlotOf(record[wire::kRecordSlot]));
    Set(state, MachineSignalIndex(m, kLine), LineOf(record[wire::kRecordLine]));
    const uint8_t flags = record[wire::kRecordFlags];
    Set(state, MachineSignalIndex(m, kTriggerOnline), (flags & wire::kFlagTriggerOnline) != 0);
    Set(state, MachineSignalIndex(m, kKeyboardLocked), (flags & wire::kFlagKeyboardLocked) != 0);
    // A 44-byte report has no inputs and no load.
    if (report.CameLong()) {
      Set(state, MachineSignalIndex(m, kInputs), record[wire::kRecordInputs] & wire::kInputsMask);
      Set(state, MachineSignalIndex(m, kLoad), record[wire::kRecordLoad]);
    }
  }
  return state;
}

LaundryState LaundryStateOf(const GatewayStatus& status) {
  LaundryState state;
  // The gateway does not relay the alarm output.
  SetOutputs(state, status.pumps, status.outputs, false);
  for (int m = 0; m < kMachines; ++m) {
    const auto& record = status.records[static_cast<size_t>(m)];
    Set(state, MachineSignalIndex(m, kSlot), SlotOf(record[wire::kRecordSlot]));
    Set(state, MachineSignalIndex(m, kLine), LineOf(record[wire::kRecordLine]));
    const uint8_t flags = record[wire::kRecordFlags];
    Set(state, MachineSignalIndex(m, kTriggerOnline), (flags & wire::kFlagTriggerOnline) != 0);
    Set(state, MachineSignalIndex(m, kKeyboardLocked), (flags & wire::kFlagKeyboardLocked) != 0);
    Set(state, MachineSignalIndex(m, kInputs), record[wire::kRecordInputs] & wire::kInputsMask);
  }
  return state;
}

MachineOverview OverviewOf(const MachineSettings& settings, int machineIndex,
                           const LaundryState& state) {
  MachineOverview row;
  row.machine = std::to_string(machineIndex + 1);
  if (!settings.Comment.empty()) row.machine += "  " + settings.Comment;
  const int slot = state.Machine(machineIndex, kSlot);
  const int line = state.Machine(machineIndex, kLine);
  row.program = "-";
  row.line = "-";
  if (slot >= 1 && slot <= kProgramSlots) {
    const ProgramRecord& program = settings.Programs[static_cast<size_t>(slot - 1)];
    row.program = std::to_string(slot) + "  " +
                  (program.Name.empty() ? DefaultProgramName(slot) : program.Name);
    if (line >= 1 && line <= kProgramLineCount) {
      const uint8_t code = program.Lines[static_cast<size_t>(line - 1)].Code();
      row.line = std::to_string(line);
      if (code < instruction::kCount) row.line += "  " + std::string(kInstructions[code].name);
    }
  }
  if (state.Machine(machineIndex, kTriggerOnline)) {
    row.trigger = "Online";
    const int inputs = state.Machine(machineIndex, kInputs);
    if (inputs != 0) {
      row.trigger += ", inputs";
      for (int i = 0; i < 6; ++i) {
        if (inputs & (1 << i)) row.trigger += " " + std::to_string(i + 1);
      }
    }
  } else {
    row.trigger = "Offline";
  }
  row.keyboard = state.Machine(machineIndex, kKeyboardLocked) ? "Locked" : "";
  row.output = state.Machine(machineIndex, kOutput) ? "On" : "Off";
  return row;
}

LaundryTrace::LaundryTrace(size_t capacity) : capacity_(std::max<size_t>(capacity, 1)) {}

void LaundryTrace::Clear() {
  ring_.clear();
  ring_.shrink_to_fit();
  first_ = size_ = 0;
  start_ = latest_ = LaundryState{};
  checkpoints_.clear();
  total_ = dropped_ = 0;
  lastTimeMs_ = 0;
}

void LaundryTrace::Append(const TraceChange& change) {
  if (total_ % kCheckpointEvery == 0) checkpoints_.push_back({total_, latest_});
  ++total_;
  latest_.value[change.signal] = change.value;
  latest_.known.set(change.signal);
  lastTimeMs_ = change.timeMs;
  if (ring_.size() < capacity_) {
    ring_.push_back(change);
    ++size_;
    return;
  }
  // Full: the oldest change moves into the start state and its place is taken.
  const TraceChange& oldest = ring_[first_];
  start_.value[oldest.signal] = oldest.value;
  start_.known.set(oldest.signal);
  ring_[first_] = change;
  first_ = (first_ + 1) % ring_.size();
  ++dropped_;
  while (!checkpoints_.empty() && checkpoints_.front().sequence < dropped_)
    checkpoints_.pop_front();
}

size_t LaundryTrace::Record(uint32_t timeMs, const LaundryState& state) {
  timeMs = std::max(timeMs, lastTimeMs_);
  size_t recorded = 0;
  for (size_t s = 0; s < static_cast<size_t>(kSignals); ++s) {
    if (!state.known[s]) continue;
    if (latest_.known[s] && latest_.value[s] == state.value[s]) continue;
    Append({timeMs, static_cast<uint16_t>(s), state.value[s]});
    ++recorded;
  }
  return recorded;
}

size_t LaundryTrace::FirstAfter(uint32_t timeMs) const {
  size_t low = 0;
  size_t high = size_;
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    if (Change(middle).timeMs <= timeMs) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

LaundryState LaundryTrace::StateAt(uint32_t timeMs) const {
  // The changes up to `timeMs`, replayed from the last checkpoint before them.
  const uint64_t end = dropped_ + FirstAfter(timeMs);
  LaundryState state = start_;
  uint64_t from = dropped_;
  const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), end,
                                      [](uint64_t sequence, const Checkpoint& checkpoint) {
                                        return sequence < checkpoint.sequence;
                                      });
  if (after != checkpoints_.begin()) {
    const Checkpoint& checkpoint = *std::prev(after);
    state = checkpoint.state;
    from = checkpoint.sequence;
  }
  for (uint64_t sequence = from; sequence < end; ++sequence) {
    const TraceChange& change = Change(static_cast<size_t>(sequence - dropped_));
    state.value[change.signal] = change.value;
    state.known.set(change.signal);
  }
  return state;
}

LaundryTrace::Slice LaundryTrace::Between(uint32_t fromMs, uint32_t toMs) const {
  Slice slice;
  slice.atStart = StateAt(fromMs);
  for (size_t i = FirstAfter(fromMs); i < size_ && Change(i).timeMs <= toMs; ++i)
    slice.changes.push_back(Change(i));
  return slice;
}

std::string TraceSecondsText(uint32_t timeMs) {
  char text[24];
  std::snprintf(text, sizeof text, "%u.%03u", timeMs / 1000, timeMs % 1000);
  return text;
}

std::string TraceCsv(const LaundryTrace& trace) {
  std::string csv = "seconds,signal,value\n";
  const auto row = [&csv](uint32_t timeMs, int signal, int value) {
    csv += TraceSecondsText(timeMs) + ',' + SignalName(signal) + ',' + std::to_string(value) + '\n';
  };
  // What a trace that dropped its oldest changes started from, at its first moment.
  const uint32_t firstMs = trace.Size() > 0 ? trace.Change(0).timeMs : 0;
  const LaundryState& start = trace.StartState();
  for (int s = 0; s < kSignals; ++s) {
    if (start.known[static_cast<size_t>(s)]) row(firstMs, s, start.Get(s));
  }
  for (size_t i = 0; i < trace.Size(); ++i) {
    const TraceChange& change = trace.Change(i);
    row(change.timeMs, change.signal, change.value);
  }
  return csv;
}

namespace {

constexpr char kMagic[] = "VORELTRC";
constexpr size_t kMagicSize = 8;
constexpr uint16_t kFormat = 1;
constexpr size_t kClockSize = 8;
constexpr size_t kHeaderSize = kMagicSize + 2 + kClockSize + 2;
constexpr size_t kStateSize = 2 * kSignals;
constexpr size_t kChangeSize = 7;

}  // namespace

std::vector<uint8_t> SaveTraceFile(const LaundryTrace& trace) {
  std::vector<uint8_t> file(kHeaderSize + kStateSize + 4 + kChangeSize * trace.Size());
  std::span<uint8_t> bytes(file);
  std::copy(kMagic, kMagic + kMagicSize, file.begin());
  size_t at = kMagicSize;
  bytes::StoreLe16(bytes, at, kFormat);
  at += 2;
  const LocalDateTime& began = trace.StartedAt();
  bytes::StoreLe16(bytes, at, static_cast<uint16_t>(began.year));
  const int parts[] = {began.month,  began.day,    began.hour,
                       began.minute, began.second, began.weekday};
  for (size_t i = 0; i < std::size(parts); ++i) file[at + 2 + i] = static_cast<uint8_t>(parts[i]);
  at += kClockSize;
  bytes::StoreLe16(bytes, at, static_cast<uint16_t>(kSignals));
  at += 2;
  const LaundryState& start = trace.StartState();
  for (size_t s = 0; s < static_cast<size_t>(kSignals); ++s) {
    file[at + s] = start.value[s];
    file[at + kSignals + s] = start.known[s] ? 1 : 0;
  }
  at += kStateSize;
  bytes::StoreLe32(bytes, at, static_cast<uint32_t>(trace.Size()));
  at += 4;
  for (size_t i = 0; i < trace.Size(); ++i, at += kChangeSize) {
    const TraceChange& change = trace.Change(i);
    bytes::StoreLe32(bytes, at, change.timeMs);
    bytes::StoreLe16(bytes, at + 4, change.signal);
    file[at + 6] = change.value;
  }
  return file;
}

Loaded<LaundryTrace> LoadTraceFile(std::span<const uint8_t> bytes) {
  using Load = Loaded<LaundryTrace>;
  if (bytes.size() < kHeaderSize + kStateSize + 4 ||
      !std::equal(kMagic, kMagic + kMagicSize, bytes.begin()))
    return Load::Refused("not a Vorel trace file");
  if (bytes::LoadLe16(bytes, kMagicSize) != kFormat)
    return Load::Refused("a trace file of another format (" +
                         std::to_string(bytes::LoadLe16(bytes, kMagicSize)) + ")");
  size_t at = kMagicSize + 2;
  LocalDateTime began;
  began.year = bytes::LoadLe16(bytes, at);
  began.month = bytes[at + 2];
  began.day = bytes[at + 3];
  began.hour = bytes[at + 4];
  began.minute = bytes[at + 5];
  began.second = bytes[at + 6];
  began.weekday = bytes[at + 7];
  at += kClockSize;
  if (bytes::LoadLe16(bytes, at) != kSignals) return Load::Refused("a trace of other signals");
  at += 2;
  LaundryState start;
  for (size_t s = 0; s < static_cast<size_t>(kSignals); ++s) {
    const uint8_t known = bytes[at + kSignals + s];
    if (known > 1) return Load::Refused("a damaged start state");
    start.value[s] = bytes[at + s];
    start.known[s] = known == 1;
  }
  at += kStateSize;
  const uint32_t count = bytes::LoadLe32(bytes, at);
  at += 4;
  if (count > LaundryTrace::kDefaultCapacity || bytes.size() - at != size_t{count} * kChangeSize)
    return Load::Refused("the trace file is cut short or too long");
  LaundryTrace trace;
  trace.start_ = start;
  trace.latest_ = start;
  trace.startedAt_ = began;
  uint32_t lastMs = 0;
  for (uint32_t i = 0; i < count; ++i, at += kChangeSize) {
    TraceChange change{bytes::LoadLe32(bytes, at), bytes::LoadLe16(bytes, at + 4), bytes[at + 6]};
    if (change.signal >= kSignals) return Load::Refused("a change of an unknown signal");
    if (change.timeMs < lastMs) return Load::Refused("changes out of time order");
    lastMs = change.timeMs;
    trace.Append(change);
  }
  return trace;
}

}  // namespace vorel
