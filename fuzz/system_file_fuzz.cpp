// A system file as "Load System..." and vorelctl convert take it from memory: what
// kind of file it is, the load into a new system with every value change noted, and
// the packing that follows. Then, for one input in 64 (chosen by a hash of its bytes,
// so a replay checks the same inputs), the rule that keeps a technician's data: the
// file the tool saves of whatever it loaded must load again whole and save to the
// very same bytes. A saved file holds every machine and program (over 100 KB), so
// checking every input would slow the whole run thirtyfold.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Require.h"
#include "TextDifference.h"
#include "core/image/ImagePacking.h"
#include "core/systemfile/SystemFile.h"

namespace {

using namespace vorel;

constexpr LocalDateTime kNow{2026, 12, 8, 9, 30, 0, 1};
constexpr uint32_t kRoundTripOneIn = 64;

// FNV-1a: spreads the inputs evenly whatever bytes a mutation changed.
uint32_t Hash(std::string_view bytes) {
  uint32_t hash = 2166136261u;
  for (const char c : bytes) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  return hash;
}

// A load as the session does it: a new system, the whole image cleared, the file's
// elements, then the packing.
struct LoadedFile {
  SystemConfiguration config;
  ImageState state;
  std::vector<ValueChange> changes;
  Outcome result;

  explicit LoadedFile(std::string_view bytes) {
    ResetImage(state, /*wholeImage=*/true);
    result = LoadSystemFile(bytes, config, state.image, &changes);
    PackImage(config, state, kNow);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)ClassifyFile(bytes);

  const LoadedFile first(bytes);
  (void)first.result;
  (void)DescribeChanges(first.changes, 20);
  if (Hash(bytes) % kRoundTripOneIn != 0) return 0;

  const std::string saved = SaveSystemFile(first.config, first.state.image);
  const LoadedFile second(saved);
  if (!second.result) Fail("the saved file does not load again", second.result.reason);
  const std::string again = SaveSystemFile(second.config, second.state.image);
  if (again != saved)
    Fail("the saved file loads into something else", fuzz::FirstDifference(saved, again));
  return 0;
}
