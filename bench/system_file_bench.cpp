// Load and save times of a full system file: ten machines, six programs each,
// 24 lines with comments, both logs. Prints the median of many runs in ms.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "config/SystemFile.h"

namespace {

constexpr int kRuns = 200;

void BuildFullSystem(vorel::SystemConfiguration& config, vorel::ControllerImage& image) {
  using namespace vorel;
  config.MainSetup.SystemName = "Bench & Co";
  for (int m = 0; m < kMachineCount; ++m) {
    MachineSettings& machine = config.MachineData[m];
    machine.Enabled = true;
    machine.Comment = "Machine <" + std::to_string(m + 1) + ">";
    machine.Trigger.bytes[trigger::kType] = trigger::kTypeMieleLogic;
    machine.Trigger.FillMieleDefaults();
    for (int s = 0; s < kProgramSlots; ++s) {
      ProgramRecord& program = machine.Programs[s];
      program.Comment = "Cotton & linen";
      for (int l = 0; l < kProgramLineCount; ++l) {
        program.Lines[l].b = {static_cast<uint8_t>(2 + l % 10), 1, 2, 3, 4, 5, 0, 0};
        program.LineComments[l] = "Step " + std::to_string(l + 1) + " 'main wash'";
      }
    }
  }
  for (size_t i = 0; i < image::kAlarmLogSize; ++i) {
    image.bytes[image::kAlarmLog + i] = static_cast<uint8_t>(i * 7);
  }
  for (size_t i = 0; i < image::kDataLogSize; ++i) {
    image.bytes[image::kDataLog + i] = static_cast<uint8_t>(i * 13);
  }
}

template <typename Work>
double MedianMs(Work work) {
  std::vector<double> times;
  times.reserve(kRuns);
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto stop = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
  }
  std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
  return times[kRuns / 2];
}

}  // namespace

int main() {
  vorel::SystemConfiguration config;
  vorel::ControllerImage image{};
  BuildFullSystem(config, image);
  const std::string document = vorel::SaveSystemFile(config, image);

  size_t savedSize = 0;
  const double saveMs = MedianMs([&] { savedSize = vorel::SaveSystemFile(config, image).size(); });
  bool loadedOk = true;
  const double loadMs = MedianMs([&] {
    vorel::SystemConfiguration loaded;
    vorel::ControllerImage loadedImage{};
    loadedOk = vorel::LoadSystemFile(document, loaded, loadedImage).ok && loadedOk;
  });
  if (!loadedOk || savedSize != document.size()) {
    std::fprintf(stderr, "the full system did not load back\n");
    return 1;
  }
  std::printf("system file of %zu bytes, median of %d runs\n", document.size(), kRuns);
  std::printf("load: %.3f ms\nsave: %.3f ms\n", loadMs, saveMs);
  return 0;
}
