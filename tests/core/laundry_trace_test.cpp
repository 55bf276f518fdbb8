// The laundry's state from the reports and its trace: what each report carries, that
// only changes are kept, the ring dropping its oldest, the CSV and the trace file
// against bytes worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "core/supervision/LaundryTrace.h"

namespace vorel {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace laundry;

// A 64-byte status report: pumps 1 and 3, machine 2's output, flush drain and the
// alarm output; machine 2 runs program 3 at line 7 with its trigger online, the
// keyboard locked, inputs 1 and 6 and a load of 80 %.
Bytes LongReport() {
  Bytes message(64, 0);
  message[0] = 0x33;
  message[1] = 64;
  message[6] = 0x05;
  message[8] = 0x02;         // machine 2
  message[9] = 0x08 | 0x10;  // flush drain (bit 11), alarm output (bit 12)
  const size_t record = 14 + 5 * 1;
  message[record] = 7;
  message[record + 1] = 3;
  message[record + 2] = 0x05;
  message[record + 3] = 0x21;
  message[record + 4] = 80;
  return message;
}

TEST(LaundryState, EachReportSaysWhatItCarries) {
  const LaundryState full = LaundryStateOf(*DecodeStatusReport(LongReport()));
  EXPECT_EQ(full.Get(0), 1);
  EXPECT_EQ(full.Get(1), 0);
  EXPECT_EQ(full.Get(2), 1);
  EXPECT_EQ(full.Get(kFlushWater), 0);
  EXPECT_EQ(full.Get(kFlushDrain), 1);
  EXPECT_EQ(full.Get(kAlarmOutput), 1);
  EXPECT_EQ(full.Machine(1, kOutput), 1);
  EXPECT_EQ(full.Machine(1, kSlot), 3);
  EXPECT_EQ(full.Machine(1, kLine), 7);
  EXPECT_EQ(full.Machine(1, kTriggerOnline), 1);
  EXPECT_EQ(full.Machine(1, kKeyboardLocked), 1);
  EXPECT_EQ(full.Machine(1, kInputs), 0x21);
  EXPECT_EQ(full.Machine(1, kLoad), 80);
  EXPECT_EQ(full.Machine(0, kSlot), 0);
  EXPECT_FALSE(full.known[kConnected]) << "the session says that, not a report";

  // The older 44-byte report: the same outputs and records, no inputs and no load.
  Bytes shortReport(44, 0);
  shortReport[0] = 0x33;
  shortReport[1] = 44;
  shortReport[6] = 0x05;
  shortReport[8] = 0x02;
  shortReport[9] = 0x18;
  shortReport[14 + 3] = 7;
  shortReport[14 + 3 + 1] = 3;
  shortReport[14 + 3 + 2] = 0x05;
  const LaundryState older = LaundryStateOf(*DecodeStatusReport(shortReport));
  EXPECT_EQ(older.Get(kAlarmOutput), 1) << "the alarm output's bit as sent";
  EXPECT_EQ(older.Machine(1, kLine), 7);
  EXPECT_EQ(older.Machine(1, kKeyboardLocked), 1);
  EXPECT_FALSE(older.known[MachineSignalIndex(1, kInputs)]);
  EXPECT_FALSE(older.known[MachineSignalIndex(1, kLoad)]);

  // The gateway's report: no alarm output, no load; a slot of 9 is none.
  GatewayStatus status;
  status.pumps = 0x40;
  status.outputs = 0x0401;  // machine 1, flush water
  status.records[0] = {24, 9, 0x01, 0x3F};
  const LaundryState remote = LaundryStateOf(status);
  EXPECT_EQ(remote.Get(6), 1);
  EXPECT_EQ(remote.Get(kFlushWater), 1);
  EXPECT_FALSE(remote.known[kAlarmOutput]);
  EXPECT_EQ(remote.Machine(0, kLine), 24);
  EXPECT_EQ(remote.Machine(0, kSlot), 0);
  EXPECT_EQ(remote.Machine(0, kInputs), 0x3F);
  EXPECT_FALSE(remote.known[MachineSignalIndex(0, kLoad)]);
}

LaundryState With(std::initializer_list<std::pair<int, int>> values) {
  LaundryState state;
  for (const auto& [signal, value] : values) {
    state.value[static_cast<size_t>(signal)] = static_cast<uint8_t>(value);
    state.known.set(static_cast<size_t>(signal));
  }
  return state;
}

TEST(LaundryTrace, KeepsOnlyChangesAndDropsTheOldestWhenFull) {
  LaundryTrace trace(4);
  EXPECT_EQ(trace.Record(100, With({{0, 1}, {kFlushWater, 0}})), 2u) << "first seen";
  EXPECT_EQ(trace.Record(200, With({{0, 1}, {kFlushWater, 0}})), 0u) << "an idle laundry";
  EXPECT_EQ(trace.Record(300, With({{0, 0}})), 1u);
  EXPECT_EQ(trace.Record(250, With({{kFlushWater, 1}})), 1u);  // never back in time
  EXPECT_EQ(trace.Change(3), (TraceChange{300, kFlushWater, 1}));
  EXPECT_EQ(trace.StateAt(150).Get(0), 1);
  EXPECT_EQ(trace.StateAt(300).Get(0), 0);

  // Two more: the two oldest go, their values into the start state.
  trace.Record(400, With({{0, 1}, {kAlarmOutput, 1}}));
  ASSERT_EQ(trace.Size(), 4u);
  EXPECT_EQ(trace.Change(0), (TraceChange{300, 0, 0}));
  EXPECT_EQ(trace.StartState().Get(0), 1);
  EXPECT_EQ(trace.StartState().Get(kFlushWater), 0);
  EXPECT_TRUE(trace.StartState().known[kFlushWater]);
  EXPECT_FALSE(trace.StartState().known[kAlarmOutput]);
  EXPECT_EQ(trace.StateAt(0).Get(0), 1) << "drawn from its start state";
  EXPECT_EQ(trace.StateAt(400).Get(kAlarmOutput), 1);
}

TEST(LaundryTrace, TheStateAtAMomentIsRightAcrossCheckpointsAndWrapping) {
  // Pump 1 toggles every 10 ms, machine 1's line counts: far past a checkpoint and
  // round a small ring several times.
  LaundryTrace trace(10'000);
  for (uint32_t i = 0; i < 50'000; ++i)
    trace.Record(i * 10, With({{0, static_cast<int>(i % 2)},
                               {MachineSignalIndex(0, kLine), static_cast<int>(i % 24 + 1)}}));
  ASSERT_EQ(trace.Size(), 10'000u);
  for (const uint32_t i : {45'000u, 45'001u, 47'777u, 49'999u}) {
    const LaundryState state = trace.StateAt(i * 10 + 5);
    EXPECT_EQ(state.Get(0), i % 2) << i;
    EXPECT_EQ(state.Machine(0, kLine), i % 24 + 1) << i;
  }
  const LaundryTrace::Slice slice = trace.Between(499'900, 499'950);
  EXPECT_EQ(slice.atStart.Machine(0, kLine), 49'990 % 24 + 1);
  EXPECT_EQ(slice.changes.size(), 10u);
}

TEST(LaundryTrace, CsvOfAHandBuiltTrace) {
  LaundryTrace trace(4);
  trace.Record(0, With({{2, 1}}));
  trace.Record(1500, With({{MachineSignalIndex(3, kLine), 5}}));
  trace.Record(61'025, With({{2, 0}, {kConnected, 1}}));
  EXPECT_EQ(TraceCsv(trace),
            "seconds,signal,value\n"
            "0.000,pump 3,1\n"
            "1.500,machine 4 line,5\n"
            "61.025,pump 3,0\n"
            "61.025,connected,1\n");
  // One more drops the first: its value leads, at the time of the first change kept.
  trace.Record(62'000, With({{kAlarmOutput, 1}}));
  EXPECT_EQ(TraceCsv(trace),
            "seconds,signal,value\n"
            "1.500,pump 3,1\n"
            "1.500,machine 4 line,5\n"
            "61.025,pump 3,0\n"
            "61.025,connected,1\n"
            "62.000,alarm output,1\n");
}

TEST(LaundryTraceFile, HandWorkedBytesAndDamagedFiles) {
  LaundryTrace trace;
  trace.SetStartedAt({2026, 12, 9, 10, 15, 3, 2});
  trace.Record(0x01020304, With({{MachineSignalIndex(9, kLoad), 0x63}}));
  const Bytes file = SaveTraceFile(trace);

  Bytes expected = {'V',
                    'O',
                    'R',
                    'E',
                    'L',
                    'T',
                    'R',
                    'C',
                    1,
                    0,
                    0xEA,
                    0x07,
                    12,
                    9,
                    10,
                    15,
                    3,
                    2,  // 2026-12-09 10:15:03, Wednesday
                    static_cast<uint8_t>(kSignals),
                    0};
  expected.resize(expected.size() + 2 * kSignals, 0);  // start state: nothing known
  const uint16_t signal = MachineSignalIndex(9, kLoad);
  const Bytes count = {1, 0, 0, 0};
  const Bytes change = {0x04, 0x03, 0x02, 0x01, static_cast<uint8_t>(signal), 0, 0x63};
  expected.insert(expected.end(), count.begin(), count.end());
  expected.insert(expected.end(), change.begin(), change.end());
  EXPECT_EQ(file, expected);

  const Loaded<LaundryTrace> loaded = LoadTraceFile(file);
  ASSERT_TRUE(loaded) << loaded.why;
  EXPECT_EQ(loaded->StartedAt().year, 2026);
  EXPECT_EQ(loaded->StartedAt().second, 3);
  EXPECT_EQ(TraceCsv(*loaded), TraceCsv(trace));

  const size_t changeAt = file.size() - 7;
  const struct {
    const char* name;
    Bytes bytes;
  } refused[] = {
      {"empty", {}},
      {"not a trace", Bytes(file.size(), 'x')},
      {"cut short", Bytes(file.begin(), file.end() - 1)},
      {"one byte too many",
       [&] {
         Bytes b = file;
         b.push_back(0);
         return b;
       }()},
      {"unknown signal",
       [&] {
         Bytes b = file;
         b[changeAt + 4] = kSignals;
         return b;
       }()},
      {"damaged start state",
       [&] {
         Bytes b = file;
         b[20 + kSignals] = 2;
         return b;
       }()},
      {"another format",
       [&] {
         Bytes b = file;
         b[8] = 2;
         return b;
       }()},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    const Loaded<LaundryTrace> damaged = LoadTraceFile(c.bytes);
    EXPECT_FALSE(damaged);
    EXPECT_FALSE(damaged.why.empty());
  }
}

}  // namespace
}  // namespace vorel
