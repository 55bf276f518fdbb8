// The overview's chart drawing one hour of a day's trace of a busy ten-machine
// laundry (the simulated controller's laundry, a report every 300 ms): the median
// time to draw the lanes and paint the chart, offscreen.
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "BenchSupport.h"
#include "core/image/ImagePacking.h"
#include "core/simulation/LaundryRun.h"
#include "ui/supervision/TraceChart.h"

int main(int argc, char** argv) {
  using namespace vorel;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  constexpr uint32_t kReportMs = 300;
  constexpr uint32_t kDayMs = 24u * 3600u * 1000u;
  constexpr uint32_t kHourMs = 3600u * 1000u;

  ImageState packed;
  SystemConfiguration busy = bench::FullSystem();
  PackImage(busy, packed, {2026, 12, 9, 6, 0, 0, 2});
  sim::LaundryRun laundry;
  LaundryTrace trace;
  for (uint32_t now = 0; now < kDayMs; now += kReportMs) {
    laundry.Advance(packed.image, kReportMs);
    LaundryState state;
    for (int p = 0; p < laundry::kPumps; ++p) {
      state.value[static_cast<size_t>(p)] = (laundry.Pumps() >> p) & 1;
      state.known.set(static_cast<size_t>(p));
    }
    for (int m = 0; m < laundry::kMachines; ++m) {
      const auto index = [m](laundry::MachineSignal s) {
        return static_cast<size_t>(laundry::MachineSignalIndex(m, s));
      };
      state.value[index(laundry::kOutput)] = (laundry.Outputs() >> m) & 1;
      state.value[index(laundry::kLine)] = laundry.Report(static_cast<size_t>(m)).line;
      state.known.set(index(laundry::kOutput));
      state.known.set(index(laundry::kLine));
    }
    trace.Record(now, state);
  }

  TraceChartView view;
  view.resize(1200, 520);
  view.SetMachines({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  view.show();
  const uint32_t from = kDayMs / 2;
  int hour = 0;
  const double median = bench::MedianMicroseconds(41, [&] {
    const uint32_t shift = static_cast<uint32_t>(hour++ % 4) * 60000u;  // a little apart
    view.Draw(trace, from + shift, from + shift + kHourMs);
    (void)view.grab();
  });
  const double drawOnly = bench::MedianMicroseconds(41, [&] {
    const uint32_t shift = static_cast<uint32_t>(hour++ % 4) * 60000u;
    view.Draw(trace, from + shift, from + shift + kHourMs);
  });
  const double paintOnly = bench::MedianMicroseconds(41, [&] { (void)view.grab(); });
  std::printf("of which drawing the lanes %.1f ms, painting %.1f ms\n", drawOnly / 1000.0,
              paintOnly / 1000.0);
  // VOREL_BENCH_PNG=FILE: the hour as painted, to look at.
  if (qEnvironmentVariableIsSet("VOREL_BENCH_PNG"))
    view.grab().save(QString::fromLocal8Bit(qgetenv("VOREL_BENCH_PNG")));
  size_t points = 0;
  for (const QPolygonF& lane : view.LanePoints()) points += static_cast<size_t>(lane.size());
  std::printf(
      "one hour of %zu changes: %zu points in %zu lanes, drawn and painted in %.1f ms "
      "(median of 41)\n",
      trace.Size(), points, view.LanePoints().size(), median / 1000.0);
  return 0;
}
