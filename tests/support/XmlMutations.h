// Damaged copies of a system file, made the same way on every run, and what the loader
// must still do with each: the short sweep in ctest and the long one in bench/ share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "core/systemfile/SystemFile.h"

namespace vorel::test {

// Damaged copies of one document: each overwrites, erases or inserts bytes at one to
// four places. A fixed linear congruential sequence, so every run damages the same bytes
// and copy n of a long sweep is copy n of a short one.
class XmlMutations {
 public:
  explicit XmlMutations(std::string document) : document_(std::move(document)) {}

  std::string Next() {
    std::string damaged = document_;
    const int changes = 1 + static_cast<int>(Draw() % 4);
    for (int k = 0; k < changes && !damaged.empty(); ++k) {
      const size_t at = Draw() % damaged.size();
      switch (Draw() % 4) {
        case 0:
          damaged[at] = static_cast<char>(Draw() & 0xFF);
          break;
        case 1:
          damaged[at] = kInteresting[Draw() % (sizeof kInteresting - 1)];
          break;
        case 2:
          damaged.erase(at, 1 + Draw() % 16);
          break;
        default:
          damaged.insert(at, 1, kInteresting[Draw() % (sizeof kInteresting - 1)]);
          break;
      }
    }
    return damaged;
  }

 private:
  // Markup characters most likely to turn one element into another.
  static constexpr char kInteresting[] = "<>/&;#!?-[]\"'= \r\n\t0159AFTYNx\xE9";

  uint32_t Draw() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }

  std::string document_;
  uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

// What is wrong with the loader's handling of `document`, empty when nothing is. The
// loader must survive any damage, give a reason exactly when it fails, and leave a
// configuration the editors can show. With `resave`, whatever it took in must also save
// and load back to the same document.
inline std::string SurvivalFault(const std::string& document, bool resave) {
  SystemConfiguration config;
  ControllerImage image{};
  const Outcome result = LoadSystemFile(document, config, image);
  if (result.ok != result.reason.empty()) {
    return std::string(result.ok ? "loaded" : "refused") + " with reason '" + result.reason + "'";
  }
  for (int m = 0; m < kMachineCount; ++m) {
    const MachineSettings& machine = config.MachineData[m];
    const std::string where = "machine " + std::to_string(m + 1) + ": ";
    if (machine.DefaultProgram < -1 || machine.DefaultProgram > kProgramSlots) {
      return where + "DefaultProgram " + std::to_string(machine.DefaultProgram);
    }
    if (!machine.SoftnerPump.empty() && SoftnerPumpPosition(machine.SoftnerPump) < 0) {
      return where + "SoftnerPump '" + machine.SoftnerPump + "'";
    }
    for (int s = 0; s < kProgramSlots; ++s) {
      const int level = machine.Programs[s].DefaultLevel;
      if (level < 0 || level > 3) {
        return where + "program " + std::to_string(s + 1) + " DefaultLevel " +
               std::to_string(level);
      }
    }
  }
  if (!resave) return "";
  const std::string saved = SaveSystemFile(config, image);
  SystemConfiguration againConfig;
  ControllerImage againImage{};
  const Outcome again = LoadSystemFile(saved, againConfig, againImage);
  if (!again.ok) return "the saved document does not load: " + again.reason;
  if (SaveSystemFile(againConfig, againImage) != saved) {
    return "the saved document loads back to a different one";
  }
  return "";
}

struct SweepOutcome {
  int truncationsRun = 0;
  int mutationsRun = 0;
  std::string fault;  // "mutation 17: <what>", empty when every copy survived
};

// Loads `truncations` copies of `document` cut at even steps from nothing to nearly
// whole, then `mutations` damaged copies, and stops at the first fault. Every fourth copy
// is also saved and loaded back; that check costs three times a load.
inline SweepOutcome SweepDamagedCopies(const std::string& document, int truncations,
                                       int mutations) {
  constexpr int kResaveEvery = 4;
  SweepOutcome outcome;
  for (int i = 0; i < truncations; ++i) {
    const size_t length = document.size() * static_cast<size_t>(i) / truncations;
    ++outcome.truncationsRun;
    const std::string fault = SurvivalFault(document.substr(0, length), i % kResaveEvery == 0);
    if (!fault.empty()) {
      outcome.fault = "truncated to " + std::to_string(length) + ": " + fault;
      return outcome;
    }
  }
  XmlMutations damage(document);
  for (int m = 0; m < mutations; ++m) {
    ++outcome.mutationsRun;
    const std::string fault = SurvivalFault(damage.Next(), m % kResaveEvery == 0);
    if (!fault.empty()) {
      outcome.fault = "mutation " + std::to_string(m) + ": " + fault;
      return outcome;
    }
  }
  return outcome;
}

}  // namespace vorel::test
