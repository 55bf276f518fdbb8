// Times PackImage and UnpackImage on a full system: ten machines, six programs
// each, every one of the 24 lines with a comment. Prints the median of many runs.
#include <cstdio>

#include "BenchSupport.h"
#include "core/image/ImagePacking.h"

int main() {
  using namespace vorel;
  constexpr int kRuns = 2000;
  const LocalDateTime clock{2024, 3, 15, 13, 45, 30, 4};
  SystemConfiguration config = bench::FullSystem();
  ImageState state;
  const double pack = bench::MedianMicroseconds(kRuns, [&] { PackImage(config, state, clock); });

  const ImageState packed = state;
  SystemConfiguration target;
  bool ok = true;
  const double unpack = bench::MedianMicroseconds(kRuns, [&] {
    state = packed;
    ok = UnpackImage(target, state).taken.ok && ok;
  });

  std::printf("texts: %s\n", UsedTextLabel(packed.usedTextPercent).c_str());
  std::printf("PackImage:   median %.1f us over %d runs\n", pack, kRuns);
  std::printf("UnpackImage: median %.1f us over %d runs (includes copying the 32 KB image)\n",
              unpack, kRuns);
  return ok ? 0 : 1;
}
