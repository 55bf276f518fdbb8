// A controller memory image as a completed read, "Load System..." and vorelctl take
// it: the header check and the unpacking into a configuration, the controller's
// identity and clock texts, and the two logs with everything their windows offer (the
// months, the totals of the whole log and of its newest month, the month by month
// totals of the newest three years and their CSV, the alarm history and state lines),
// then both log clears. For one input in 64 (by a hash of its bytes) also what
// vorelctl convert makes of an image: the system file written of it, which must load
// again whole, any value that comes back otherwise noted. (A system file is over
// 100 KB: writing one for every input would slow the run fiftyfold.)
//
// Input: exactly 32768 bytes are a whole image. Anything shorter is a list of
// patches laid over a fixed image of a busy system, so that a mutation stays one
// change to a meaningful image: each patch is a little-endian 16-bit offset (taken
// modulo 32768), a length byte and that many bytes; a patch running past the end
// of the input or of the image is cut there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Require.h"
#include "TextDifference.h"
#include "core/image/ControllerImage.h"
#include "core/image/ImagePacking.h"
#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"
#include "core/systemfile/SystemFile.h"

namespace {

using namespace vorel;

constexpr LocalDateTime kPacked{2025, 11, 3, 7, 45, 12, 0};
constexpr uint32_t kSystemFileOneIn = 64;

// FNV-1a: spreads the inputs evenly whatever bytes a mutation changed.
uint32_t Hash(const uint8_t* data, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

// The system file written of an unpacked image loads again whole, and what does not
// come back as it was written is told to the technician. (The file cannot say
// everything an image holds: a trigger type without a name, for one, is written
// empty and read as the parallel trigger box, with a note.)
void CheckSystemFile(const SystemConfiguration& config, const ControllerImage& image) {
  const std::string saved = SaveSystemFile(config, image);
  SystemConfiguration again;
  ImageState state;
  ResetImage(state, /*wholeImage=*/true);
  std::vector<ValueChange> changes;
  const Outcome loaded = LoadSystemFile(saved, again, state.image, &changes);
  if (!loaded) Fail("the system file of an image does not load", loaded.reason);
  const std::string resaved = SaveSystemFile(again, state.image);
  if (changes.empty() && resaved != saved)
    Fail("the system file of an image loads into something else, unnoted",
         fuzz::FirstDifference(saved, resaved));
}

// Ten machines with every trigger kind the system file names and six programs each,
// texts in every field, a controller's identity and clock, two years of consumption
// and a full alarm log. Its system file loads back exactly, without a note.
ControllerImage BusySystem() {
  SystemConfiguration config;
  config.MainSetup.SystemName = "Harbour Street Laundry & Co";
  config.PCsettings.DefaultInputFilter = "7";
  config.Alarm.Group[1] = {true, true, false, true, false};
  config.Alarm.Recipient[0] = "+45 1234 5678";
  config.Alarm.Recipient[4] = "tech@laundry.example";
  config.Alarm.ActiveLevel.Level[2] = true;
  const uint8_t triggerTypes[] = {trigger::kTypeParallel, trigger::kTypeMieleLogic,
                                  trigger::kTypeElectrolux, trigger::kTypeMielePulse,
                                  trigger::kTypeMieleEthernet};
  for (int m = 0; m < kMachineCount; ++m) {
    MachineSettings& machine = config.MachineData[m];
    machine.Enabled = m < 8;
    machine.DefaultProgram = m % 7;
    machine.AllowNoProgram = m % 2 == 0;
    machine.SoftnerPump = kSoftnerPumpItems[m % 8];
    machine.Comment = "Washer " + std::to_string(m + 1);
    for (int p = 0; p < kPumpCount; ++p) machine.Calibration[p] = std::to_string(60 + 20 * p);
    machine.Trigger.bytes[trigger::kType] = triggerTypes[m % 5];
    if (machine.Trigger.TriggerType() == trigger::kTypeMieleLogic)
      machine.Trigger.FillMieleDefaults();
    for (int s = 0; s < kProgramSlots; ++s) {
      ProgramRecord& program = machine.Programs[s];
      program.Name = "Wash " + std::to_string(s + 1);
      program.Active = s < 4;
      program.Comment = s == 0 ? "Cottons 60" : "";
      for (int l = 0; l < 6; ++l) {
        program.Lines[l].b = {static_cast<uint8_t>(1 + (s + l) % 11),
                              static_cast<uint8_t>(l + 1),
                              static_cast<uint8_t>(10 * s),
                              0x0A,
                              0x14,
                              0,
                              0,
                              0};
        if (l == 0) program.LineComments[l] = "Main wash";
      }
    }
  }
  ImageState state;
  PackImage(config, state, kPacked);
  ControllerImage image = state.image;

  // The controller's identity and its clock at the read.
  image.bytes[image::kHardwareVersion] = 3;
  image.bytes[image::kFirmwareMajor] = 2;
  image.bytes[image::kFirmwareMinor] = 14;
  image.SetU32(image::kSerialNumber, 20117);
  const uint8_t clock[image::kClockSize] = {12, 45, 7, 3, 11, 25};
  std::copy(std::begin(clock), std::end(clock), image.bytes.begin() + image::kControllerClock);
  const char code[] = "Wash2025";
  std::copy(code, code + 8, image.bytes.begin() + image::kSystemLoginCode);

  // Consumption: January 2024 to December 2025, every machine counting.
  for (size_t r = 0; r < consumption::kRecords; ++r) {
    const size_t at = image::kDataLog + consumption::kRecordSize * r;
    image.bytes[at + consumption::kYear] = static_cast<uint8_t>(24 + r / 12);
    image.bytes[at + consumption::kMonth] = static_cast<uint8_t>(1 + r % 12);
    for (size_t m = 0; m < image::kMachineBlockCount; ++m) {
      for (size_t c = 0; c < consumption::kCounters; ++c) {
        image.SetU16(at + consumption::kMachines + consumption::kMachineSize * m + 2 * c,
                     static_cast<uint16_t>((r + 1) * (m + 3) * (c + 1)));
      }
    }
  }
  // Alarms: some active now, every history slot used with each kind in turn.
  image.bytes[image::kAlarmLog + alarms::kStateFlags] = 0x07;
  image.bytes[image::kAlarmLog + alarms::kLowLevelPumps] = 0x45;
  image.SetU16(image::kAlarmLog + alarms::kTriggerErrors, 0x0205);
  image.SetU16(image::kAlarmLog + alarms::kKeyboardErrors, 0x0300);
  for (size_t s = 0; s < alarms::kSlots; ++s) {
    const size_t at = image::kAlarmLog + alarms::kHistory + alarms::kSlotSize * s;
    image.bytes[at] = static_cast<uint8_t>(((s % 11) << alarms::kNumberShift) | (1 + s % 6));
    const uint32_t stamp = 25u | (1u + s % 28) << 6 | uint32_t(s % 11) << 11 | (1u + s % 12) << 16 |
                           uint32_t(s % 24) << 20 | uint32_t(s % 60) << 26;
    image.SetU32(at + alarms::kStamp, stamp);
  }
  return image;
}

void LayPatches(const uint8_t* data, size_t size, ControllerImage& image) {
  size_t at = 0;
  while (at + 3 <= size) {
    const size_t offset = (data[at] | data[at + 1] << 8) % image::kSize;
    const size_t length = std::min({size_t{data[at + 2]}, size - (at + 3), image::kSize - offset});
    std::copy_n(data + at + 3, length, image.bytes.begin() + offset);
    at += 3 + length;
  }
}

void ReadLogs(ControllerImage& image) {
  const std::vector<YearMonth> months = LogMonths(image);
  for (const YearMonth& month : months) (void)MonthText(month);
  const int last = static_cast<int>(months.size()) - 1;
  // All machines, the first and the last block of a record, and one past them.
  for (const int machine : {0, 1, kMachineCount, kMachineCount + 1})
    (void)TotalPeriod(image, 0, last, machine);
  (void)TotalPeriod(image, last, last, 0);
  // The chart and the CSV of the newest three years: a log whose records lie a
  // century apart offers 1200 months, and each would cost the run time, not coverage.
  (void)ConsumptionCsv(TotalsByMonth(image, std::max(0, last - 35), last, 0));
  (void)AlarmHistoryLines(image);
  (void)AlarmStateLines(image);
  ClearConsumptionLog(image);
  ClearAlarmHistory(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ControllerImage kBusySystem = BusySystem();

  // What Session::TakeImage does: a cleared system, the bytes, the unpacking.
  SystemConfiguration config;
  ImageState state;
  if (size == image::kSize) {
    std::copy_n(data, size, state.image.bytes.begin());
  } else {
    state.image = kBusySystem;
    LayPatches(data, size, state.image);
  }
  const UnpackResult unpacked = UnpackImage(config, state);

  const ControllerInfo info = ReadControllerInfo(state.image);
  (void)IsValidClock(info.clock);
  (void)WatchText(info.clock);
  (void)LoginCodeText(state.image);
  (void)ControllerDateText(state.image);
  (void)FormatStatusText(state);
  (void)UsedTextLabel(state.usedTextPercent);
  if (unpacked.taken.ok && Hash(data, size) % kSystemFileOneIn == 0)
    CheckSystemFile(config, state.image);

  ReadLogs(state.image);
  return 0;
}
