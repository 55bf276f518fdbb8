// Load and save times of a full system file: ten machines, six programs each,
// 24 lines with comments, both logs. Prints the median of many runs in ms.
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "core/systemfile/SystemFile.h"

int main() {
  using namespace vorel;
  constexpr int kRuns = 200;
  const SystemConfiguration config = bench::FullSystem();
  ControllerImage image{};
  bench::FillLogs(image);
  const std::string document = SaveSystemFile(config, image);

  size_t savedSize = 0;
  const double save =
      bench::MedianMicroseconds(kRuns, [&] { savedSize = SaveSystemFile(config, image).size(); });
  bool loadedOk = true;
  const double load = bench::MedianMicroseconds(kRuns, [&] {
    SystemConfiguration loaded;
    ControllerImage loadedImage{};
    loadedOk = LoadSystemFile(document, loaded, loadedImage).ok && loadedOk;
  });
  if (!loadedOk || savedSize != document.size()) {
    std::fprintf(stderr, "the full system did not load back\n");
    return 1;
  }
  std::printf("system file of %zu bytes, median of %d runs\n", document.size(), kRuns);
  std::printf("load: %.3f ms\nsave: %.3f ms\n", load / 1000, save / 1000);
  return 0;
}
