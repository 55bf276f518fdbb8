// The laundry trace over a day of a busy laundry: ten machines running their programs
// on the simulated controller's laundry, a status report every 300 ms for 24 hours,
// each decoded and recorded as the session does. Prints the changes kept, the cost
// per report and the memory the trace holds.
#include <chrono>
#include <cstdio>

#include "BenchSupport.h"
#include "core/image/ImagePacking.h"
#include "core/link/LiveMessages.h"
#include "core/simulation/LaundryRun.h"
#include "core/supervision/LaundryTrace.h"

int main() {
  using namespace vorel;
  using Clock = std::chrono::steady_clock;
  constexpr uint32_t kReportMs = 300;
  constexpr uint32_t kDayMs = 24u * 3600u * 1000u;

  ImageState packed;
  SystemConfiguration busy = bench::FullSystem();
  PackImage(busy, packed, {2026, 12, 9, 6, 0, 0, 2});
  sim::LaundryRun laundry;
  LaundryTrace trace;
  std::vector<uint8_t> message(wire::kLongReportLength, 0);
  message[0] = message::kStatusReport;
  message[wire::kLengthByte] = wire::kLongReportLength;

  Clock::duration spent{};
  size_t reports = 0;
  for (uint32_t now = 0; now < kDayMs; now += kReportMs, ++reports) {
    laundry.Advance(packed.image, kReportMs);
    message[wire::kReportPumps] = laundry.Pumps();
    message[wire::kReportOutputs] = static_cast<uint8_t>(laundry.Outputs() & 0xFF);
    message[wire::kReportOutputs + 1] = static_cast<uint8_t>(laundry.Outputs() >> 8);
    for (size_t m = 0; m < wire::kReportMachines; ++m) {
      const std::span<uint8_t> record(
          message.data() + wire::kMachineRecords + wire::kLongRecordSize * m,
          wire::kLongRecordSize);
      laundry.StoreRecord(m, record);
      record[wire::kRecordLoad] = laundry.Report(m).load;
    }
    const auto start = Clock::now();
    trace.Record(now, LaundryStateOf(*DecodeStatusReport(message)));
    spent += Clock::now() - start;
  }
  const double perReportNs =
      std::chrono::duration<double, std::nano>(spent).count() / static_cast<double>(reports);
  std::printf("24 h of ten machines: %zu reports, %zu changes kept (%.0f an hour)\n", reports,
              trace.Size(), static_cast<double>(trace.Size()) / 24.0);
  std::printf("recording: %.0f ns per report (decoding it included)\n", perReportNs);
  std::printf("memory: %.1f MB held by the trace\n",
              static_cast<double>(trace.MemoryBytes()) / (1024.0 * 1024.0));
  return trace.Size() > 0 ? 0 : 1;
}
