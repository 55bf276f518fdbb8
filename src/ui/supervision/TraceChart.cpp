#include "ui/supervision/TraceChart.h"

#include <QChart>
#include <QFontMetrics>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vorel {

namespace {

// A lane is one unit high: a value is drawn from 0.15 above its floor (off, line 0)
// up to 0.85 (on, line 24).
constexpr double kLaneFloor = 0.15;
constexpr double kLaneHeight = 0.7;
constexpr int kLongestLine = 24;

double LaneValue(int signal, uint8_t value) {
  const double share = laundry::IsSwitch(signal)
                           ? (value ? 1.0 : 0.0)
                           : static_cast<double>(std::min<int>(value, kLongestLine)) / kLongestLine;
  return kLaneFloor + kLaneHeight * share;
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
  connect(chart, &QChart::plotAreaChanged, this, [this] { PlaceNames(); });
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
  // Lane 0 at the top, as a logic analyser lists its channels: its floor is the
  // highest. The lanes' names stand left of the plot, each beside its lane.
  auto* lanes = new QValueAxis;
  lanes->setRange(0, static_cast<double>(signals_.size()));
  lanes->setLabelsVisible(false);
  lanes->setGridLineVisible(false);
  lanes->setLineVisible(false);
  lanes->setTickCount(2);
  chart->addAxis(lanes, Qt::AlignLeft);
  for (QGraphicsSimpleTextItem* name : names_) delete name;
  names_.clear();
  QFont small = font();
  small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
  const QFontMetrics metrics(small);
  int widest = 0;
  for (const int signal : signals_) {
    auto* name = new QGraphicsSimpleTextItem(LaneName(signal), chart);
    name->setFont(small);
    names_.push_back(name);
    widest = std::max(widest, metrics.horizontalAdvance(name->text()));
  }
  chart->setMargins(QMargins(widest + 10, 4, 8, 4));
  // Every lane's name readable: a small font's line per lane, and the time axis.
  setMinimumHeight(static_cast<int>(signals_.size()) * metrics.height() + 90);
  for (size_t lane = 0; lane < signals_.size(); ++lane) {
    const int signal = signals_[lane];
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

void TraceChartView::PlaceNames() {
  const QRectF plot = chart()->plotArea();
  for (size_t lane = 0; lane < names_.size(); ++lane) {
    const QPointF at =
        chart()->mapToPosition(QPointF(fromMs_ / 1000.0, Floor(lane) + 0.5), series_[lane]);
    const QRectF box = names_[lane]->boundingRect();
    names_[lane]->setPos(plot.left() - box.width() - 6, at.y() - box.height() / 2);
  }
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

double TraceChartView::Floor(size_t lane) const {
  return static_cast<double>(signals_.size() - 1 - lane);
}

void TraceChartView::Redraw() {
  timeAxis_->setRange(fromMs_ / 1000.0, toMs_ / 1000.0);
  if (!trace_) {
    for (QLineSeries* series : series_) series->clear();
    PlaceNames();
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
      points[lane].append(
          {fromMs_ / 1000.0, Floor(lane) + LaneValue(signal, slice.atStart.Get(signal))});
  }
  for (const TraceChange& change : slice.changes) {
    const int lane = laneOf[change.signal];
    if (lane < 0) continue;
    const double x = change.timeMs / 1000.0;
    QList<QPointF>& lanePoints = points[static_cast<size_t>(lane)];
    if (known[change.signal])
      lanePoints.append(
          {x, Floor(static_cast<size_t>(lane)) + LaneValue(change.signal, value[change.signal])});
    lanePoints.append(
        {x, Floor(static_cast<size_t>(lane)) + LaneValue(change.signal, change.value)});
    value[change.signal] = change.value;
    known[change.signal] = true;
  }
  const double end = std::min(toMs_, std::max(trace_->LastTimeMs(), fromMs_)) / 1000.0;
  for (size_t lane = 0; lane < signals_.size(); ++lane) {
    const int signal = signals_[lane];
    if (known[static_cast<size_t>(signal)])
      points[lane].append(
          {end, Floor(lane) + LaneValue(signal, value[static_cast<size_t>(signal)])});
    series_[lane]->replace(points[lane]);
  }
  PlaceNames();
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
