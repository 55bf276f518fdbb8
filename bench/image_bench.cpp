// Times PackImage and UnpackImage on a full system: ten machines, six programs
// each, every one of the 24 lines with a comment. Prints the median of many runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "config/SystemConfiguration.h"
#include "image/ImagePacking.h"

namespace {

using namespace vorel;

constexpr int kRuns = 2000;

std::string Numbered(const char* prefix, int number) {
  std::string text = prefix;
  text += std::to_string(number);
  return text;
}

SystemConfiguration FullSystem() {
  SystemConfiguration config;
  config.MainSetup.SystemName = "Laundry benchmark";
  for (auto& recipient : config.Alarm.Recipient) recipient = "service@laundry.example";
  for (int m = 0; m < kMachineCount; ++m) {
    MachineSettings& machine = config.MachineData[m];
    machine.Enabled = true;
    machine.DefaultProgram = 1;
    machine.SoftnerPump = Numbered("", 7);
    machine.Comment = Numbered("Washer ", m + 1);
    for (int k = 0; k < kProgramSlots; ++k) {
      ProgramRecord& program = machine.Programs[k];
      program.Name = Numbered("Wash ", k + 1);
      program.Comment = Numbered("Program for machine ", m + 1);
      program.Active = true;
      for (int line = 0; line < kProgramLineCount; ++line) {
        program.Lines[line].b = {8, 1, 2, 30, 40, 50, 0, 0};
        program.LineComments[line] = Numbered("L", line + 1);
      }
    }
  }
  return config;
}

template <typename Step>
double MedianMicroseconds(Step step) {
  std::vector<double> times;
  times.reserve(kRuns);
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    step();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
  return times[kRuns / 2];
}

}  // namespace

int main() {
  const LocalDateTime clock{2024, 3, 15, 13, 45, 30, 4};
  SystemConfiguration config = FullSystem();
  ImageState state;
  const double pack = MedianMicroseconds([&] { PackImage(config, state, clock); });

  const ImageState packed = state;
  SystemConfiguration target;
  bool ok = true;
  const double unpack = MedianMicroseconds([&] {
    state = packed;
    ok = UnpackImage(target, state).Ok() && ok;
  });

  std::printf("texts: %s\n", UsedTextLabel(packed.usedTextPercent).c_str());
  std::printf("PackImage:   median %.1f us over %d runs\n", pack, kRuns);
  std::printf("UnpackImage: median %.1f us over %d runs (includes copying the 32 KB image)\n",
              unpack, kRuns);
  return ok ? 0 : 1;
}
