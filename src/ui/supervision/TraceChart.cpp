#include "ui/supervision/TraceChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vorel {

namespace {

// A lane is one unit high; what it draws stays in its lower 0.7.
constexpr double kLaneHeight = 0.7;
constexpr int kLongestLine = 24;

double LaneValue(int signal, uint8_t value) {
  if (laundry::IsSwitch(signal)) return value ? kLaneHeight : 0.0;
  return kLaneHeight * std::min<int>(value, kLongestLine) / kLongestLine;
}

QString LaneName(int signal) {
  using namespace laundry;
  if (signal < kFirstMachineSignal) return QString::fromStdString(SignalName(signal));
  const int machine = (signal - kFirstMachineSignal) / kMachineSignals + 1;
  const bool line = (signal - kFirstMachineSignal) % kMachineSignals == kLine;
  return QString("M%1 %2").arg(machine).arg(line ? QStringLiteral("line")
                                                 : QStringLiteral("output"));
}

}  // namespace

TraceChartView::TraceChartView(QWidget* parent) : QChartView(parent) {
  setObjectName("TraceChart");
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->hide();
  chart->setMargins(QMargins(4, 4, 4, 4));
  setChart(chart);
  setRenderHint(QPainter::Antialiasing, false);
  setMouseTracking(true);
  timeAxis_ = new QValueAxis;
  timeAxis_->setTitleText(QStringLiteral("seconds since the trace began"));
  timeAxis_->setLabelFormat(QStringLiteral("%.0f"));
  chart->addAxis(timeAxis_, Qt::AlignBottom);
  SetMachines({});
}

void TraceChartView::SetMachines(const std::vector<int>& machineIndexes) {
  using namespace laundry;
  signals_.clear();
  for (int s = 0; s <= kConnected; ++s) signals_.push_back(s);
  for (int m : machineIndexes) signals_.push_back(MachineSignalIndex(m, kOutput));
  for (int m : machineIndexes) signals_.push_back(MachineSignalIndex(m, kLine));

  QChart* chart = this->chart();
  chart->removeAllSeries();  // the cursor too
  series_.clear();
  for (QAbstractAxis* axis : chart->axes(Qt::Vertical)) {
    chart->removeAxis(axis);
    delete axis;
  }
  // Lane 0 at the top, as a logic analyser lists its channels.
  auto* lanes = new QCategoryAxis;
  lanes->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  lanes->setRange(0, static_cast<double>(signals_.size()));
  lanes->setReverse(true);
  lanes->setGridLineVisible(false);
  chart->addAxis(lanes, Qt::AlignLeft);
  for (size_t lane = 0; lane < signals_.size(); ++lane) {
    const int signal = signals_[lane];
    lanes->append(LaneName(signal), static_cast<double>(lane) + 0.5);
    auto* series = new QLineSeries;
    series->setName(LaneName(signal));
    chart->addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(lanes);
    series_.push_back(series);
  }
  cursor_ = new QLineSeries;
  cursor_->setPen(QPen(Qt::red, 1));
  chart->addSeries(cursor_);
  cursor_->attachAxis(timeAxis_);
  cursor_->attachAxis(lanes);
  Redraw();
}

void TraceChartView::Draw(const LaundryTrace& trace, uint32_t fromMs, uint32_t toMs) {
  trace_ = &trace;
  fromMs_ = fromMs;
  toMs_ = std::max(toMs, fromMs + kShortestSpanMs);
  Redraw();
}

void TraceChartView::ShowLatest(const LaundryTrace& trace, uint32_t nowMs) {
  const uint32_t span = toMs_ - fromMs_;
  const uint32_t to = std::max(nowMs, span);
  Draw(trace, to - span, to);
}

void TraceChartView::ZoomBy(double factor, uint32_t centreMs) {
  const double span =
      std::clamp((toMs_ - fromMs_) * factor, double(kShortestSpanMs), 7.0 * 24 * 3600 * 1000);
  const double share =
      toMs_ > fromMs_ ? double(centreMs - double(fromMs_)) / (toMs_ - fromMs_) : 0.5;
  const double from = std::max(0.0, centreMs - share * span);
  fromMs_ = static_cast<uint32_t>(from);
  toMs_ = static_cast<uint32_t>(from + span);
  Redraw();
}

void TraceChartView::PanBy(int64_t ms) {
  const int64_t span = toMs_ - fromMs_;
  const int64_t from = std::max<int64_t>(0, int64_t(fromMs_) + ms);
  fromMs_ = static_cast<uint32_t>(from);
  toMs_ = static_cast<uint32_t>(from + span);
  Redraw();
}

void TraceChartView::Redraw() {
  timeAxis_->setRange(fromMs_ / 1000.0, toMs_ / 1000.0);
  if (!trace_) {
    for (QLineSeries* series : series_) series->clear();
    return;
  }
  const LaundryTrace::Slice slice = trace_->Between(fromMs_, toMs_);
  // Each lane's points: a step at every change, from its value at the left edge (or
  // its first change, while it was not known) to the right edge.
  std::vector<QList<QPointF>> points(signals_.size());
  std::vector<int> laneOf(laundry::kSignals, -1);
  std::vector<uint8_t> value(laundry::kSignals);
  std::vector<bool> known(laundry::kSignals);
  for (size_t lane = 0; lane < signals_.size(); ++lane) {
    const int signal = signals_[lane];
    laneOf[static_cast<size_t>(signal)] = static_cast<int>(lane);
    known[static_cast<size_t>(signal)] = slice.atStart.known[static_cast<size_t>(signal)];
    value[static_cast<size_t>(signal)] = slice.atStart.Get(signal);
    if (known[static_cast<size_t>(signal)])
      points[lane].append({fromMs_ / 1000.0, lane + LaneValue(signal, slice.atStart.Get(signal))});
  }
  for (const TraceChange& change : slice.changes) {
    const int lane = laneOf[change.signal];
    if (lane < 0) continue;
    const double x = change.timeMs / 1000.0;
    QList<QPointF>& lanePoints = points[static_cast<size_t>(lane)];
    if (known[change.signal])
      lanePoints.append({x, lane + LaneValue(change.signal, value[change.signal])});
    lanePoints.append({x, lane + LaneValue(change.signal, change.value)});
    value[change.signal] = change.value;
    known[change.signal] = true;
  }
  const double end = std::min(toMs_, std::max(trace_->LastTimeMs(), fromMs_)) / 1000.0;
  for (size_t lane = 0; lane < signals_.size(); ++lane) {
    const int signal = signals_[lane];
    if (known[static_cast<size_t>(signal)])
      points[lane].append({end, lane + LaneValue(signal, value[static_cast<size_t>(signal)])});
    series_[lane]->replace(points[lane]);
  }
}

double TraceChartView::TimeAt(const QPointF& viewPoint) const {
  const QPointF scene = mapToScene(viewPoint.toPoint());
  const QPointF inChart = chart()->mapFromScene(scene);
  return chart()->mapToValue(inChart, series_.empty() ? nullptr : series_.front()).x();
}

void TraceChartView::wheelEvent(QWheelEvent* event) {
  const double at = std::max(0.0, TimeAt(event->position()) * 1000.0);
  ZoomBy(event->angleDelta().y() > 0 ? 0.5 : 2.0, static_cast<uint32_t>(at));
  if (viewMoved) viewMoved();
  event->accept();
}

void TraceChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_ = event->pos();
  event->accept();
}

void TraceChartView::mouseMoveEvent(QMouseEvent* event) {
  const double at = TimeAt(event->position());
  if (dragFrom_) {
    const double moved = at - TimeAt(*dragFrom_);
    dragFrom_ = event->pos();
    PanBy(static_cast<int64_t>(-moved * 1000.0));
    if (viewMoved) viewMoved();
  }
  if (at >= fromMs_ / 1000.0 && at <= toMs_ / 1000.0) {
    cursor_->replace({{at, 0.0}, {at, static_cast<double>(signals_.size())}});
    if (cursorMoved) cursorMoved(static_cast<uint32_t>(std::max(0.0, at * 1000.0)));
  }
  event->accept();
}

void TraceChartView::mouseReleaseEvent(QMouseEvent* event) {
  dragFrom_.reset();
  event->accept();
}

}  // namespace vorel
