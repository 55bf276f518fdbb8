// What the timing programs share: a full system (ten machines, six programs of 24
// commented lines each, both logs) and the median of repeated runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"

namespace vorel::bench {

inline SystemConfiguration FullSystem() {
  SystemConfiguration config;
  config.MainSetup.SystemName = "Bench & Co laundry";
  for (auto& recipient : config.Alarm.Recipient) recipient = "service@laundry.example";
  for (int m = 0; m < kMachineCount; ++m) {
    MachineSettings& machine = config.MachineData[m];
    machine.Enabled = true;
    machine.DefaultProgram = 1;
    machine.SoftnerPump = "7";
    machine.Comment = "Washer <" + std::to_string(m + 1) + ">";
    machine.Trigger.bytes[trigger::kType] = trigger::kTypeMieleLogic;
    machine.Trigger.FillMieleDefaults();
    for (int s = 0; s < kProgramSlots; ++s) {
      ProgramRecord& program = machine.Programs[s];
      program.Name = "Wash " + std::to_string(s + 1);
      program.Comment = "Cotton & linen";
      program.Active = true;
      for (int l = 0; l < kProgramLineCount; ++l) {
        program.Lines[l].b = {static_cast<uint8_t>(2 + l % 10), 1, 2, 3, 4, 5, 0, 0};
        program.LineComments[l] = "Step " + std::to_string(l + 1) + " 'main wash'";
      }
    }
  }
  return config;
}

inline void FillLogs(ControllerImage& image) {
  for (size_t i = 0; i < image::kAlarmLogSize; ++i)
    image.bytes[image::kAlarmLog + i] = static_cast<uint8_t>(i * 7);
  for (size_t i = 0; i < image::kDataLogSize; ++i)
    image.bytes[image::kDataLog + i] = static_cast<uint8_t>(i * 13);
}

// Median time of `runs` calls of `step`, in microseconds.
template <typename Step>
double MedianMicroseconds(int runs, Step step) {
  std::vector<double> times;
  times.reserve(static_cast<size_t>(runs));
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    step();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<size_t>(runs / 2)];
}

}  // namespace vorel::bench
