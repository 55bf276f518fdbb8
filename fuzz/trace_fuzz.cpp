// A trace file as the overview opens it: loaded whole or refused whole with a
// reason; an accepted one keeps its changes in time order, of known signals only,
// and saves to the very bytes it was read from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "Require.h"
#include "core/supervision/LaundryTrace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorel;
  const std::span<const uint8_t> bytes(data, size);
  const Loaded<LaundryTrace> loaded = LoadTraceFile(bytes);
  if (!loaded) {
    Require(!loaded.why.empty(), "a refused trace file without a reason");
    return 0;
  }
  const LaundryTrace& trace = *loaded;
  uint32_t last = 0;
  for (size_t i = 0; i < trace.Size(); ++i) {
    const TraceChange& change = trace.Change(i);
    Require(change.signal < laundry::kSignals, "a change of an unknown signal");
    Require(change.timeMs >= last, "changes out of time order");
    last = change.timeMs;
  }
  const std::vector<uint8_t> saved = SaveTraceFile(trace);
  Require(saved.size() == size && std::equal(saved.begin(), saved.end(), data),
          "a trace file that does not save to its own bytes");
  // The cursor and a chart's slice anywhere in it.
  (void)trace.StateAt(last / 2);
  (void)trace.Between(last / 3, last);
  (void)TraceCsv(trace);
  return 0;
}
