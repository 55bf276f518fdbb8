#include "ui/supervision/TraceChart.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetrics>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QValueAxis>
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

QDateTime TraceMoment(const LaundryTrace& trace, uint32_t timeMs) {
  const LocalDateTime& at = trace.StartedAt();
  return QDateTime(QDate(at.year, at.month, at.day), QTime(at.hour, at.minute, at.second))
      .addMSecs(timeMs);
}

// The view is made with its chart: a chart set later would leave the view's first
// one behind, undeleted.
TraceChartView::TraceChartView(QWidget* parent) : QChartView(new QChart, parent) {
  setObjectName("TraceChart");
  QChart* chart = this->chart();
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->hide();
  chart->setMargins(QMargins(4, 4, 4, 4));
  setRenderHint(QPainter::Antialiasing, false);
  setMouseTracking(true);
  timeAxis_ = new QDateTimeAxis;
  timeAxis_->setTitleText(QStringLiteral("time of day"));
  connect(chart, &QChart::plotAreaChanged, this, [this] { PlaceNames(); });
  timeAxis_->setTickCount(7);
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
  lanePoints_.assign(signals_.size(), {});
  cursorSeconds_.reset();
  Redraw();
}

QPointF TraceChartView::ToPlot(const QPointF& value) const {
  const QRectF plot = chart()->plotArea();
  const double span = (toMs_ - fromMs_) / 1000.0;
  const double lanes = std::max<size_t>(signals_.size(), 1);
  return {plot.left() + (value.x() - fromMs_ / 1000.0) / span * plot.width(),
          plot.bottom() - value.y() / lanes * plot.height()};
}

void TraceChartView::PlaceNames() {
  const QRectF plot = chart()->plotArea();
  for (size_t lane = 0; lane < names_.size(); ++lane) {
    const QPointF at = ToPlot({fromMs_ / 1000.0, Floor(lane) + 0.5});
    const QRectF box = names_[lane]->boundingRect();
    names_[lane]->setPos(plot.left() - box.width() - 6, at.y() - box.height() / 2);
  }
}

void TraceChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  // The lanes are painted here, not as a series each: a day's trace has far more
  // edges than a chart series draws in time.
  static const QColor kColours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                    QColor(0x2c, 0xa0, 0x2c), QColor(0x94, 0x67, 0xbd),
                                    QColor(0xff, 0x7f, 0x0e), QColor(0x8c, 0x56, 0x4b)};
  const QRectF plot = chart()->mapToScene(chart()->plotArea()).boundingRect();
  painter->save();
  painter->setClipRect(plot);
  painter->setRenderHint(QPainter::Antialiasing, false);
  // Seconds and lane heights to scene points: one scale and offset for all.
  const QPointF origin = chart()->mapToScene(ToPlot({0.0, 0.0}));
  const QPointF unit = chart()->mapToScene(ToPlot({1.0, 1.0})) - origin;
  QPolygonF onScreen;
  for (size_t lane = 0; lane < lanePoints_.size(); ++lane) {
    const QPolygonF& points = lanePoints_[lane];
    onScreen.resize(points.size());
    for (qsizetype i = 0; i < points.size(); ++i)
      onScreen[i] = {origin.x() + points[i].x() * unit.x(), origin.y() + points[i].y() * unit.y()};
    QPen pen(kColours[lane % std::size(kColours)], 0);  // a hairline, the fast one
    painter->setPen(pen);
    painter->drawPolyline(onScreen);
  }
  if (cursorSeconds_) {
    painter->setPen(QPen(Qt::red, 1));
    const double x = chart()->mapToScene(ToPlot({*cursorSeconds_, 0})).x();
    painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }
  painter->restore();
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
  // The clock of the day the trace began, as the technician's watch reads it.
  const QDateTime began =
      trace_ ? TraceMoment(*trace_, 0) : QDateTime(QDate(2000, 1, 1), QTime(0, 0));
  timeAxis_->setFormat(toMs_ - fromMs_ <= 2u * 3600u * 1000u ? QStringLiteral("hh:mm:ss")
                                                             : QStringLiteral("dd.MM. hh:mm"));
  timeAxis_->setRange(began.addMSecs(fromMs_), began.addMSecs(toMs_));
  if (!trace_) {
    lanePoints_.assign(signals_.size(), {});
    PlaceNames();
    viewport()->update();
    return;
  }
  const LaundryTrace::Slice slice = trace_->Between(fromMs_, toMs_);
  // Each lane's points: a step at every change, from its value at the left edge (or
  // its first change, while it was not known) to the right edge.
  std::vector<QPolygonF> points(signals_.size());
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
    QPolygonF& lanePoints = points[static_cast<size_t>(lane)];
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
  }
  lanePoints_ = std::move(points);
  PlaceNames();
  viewport()->update();
}

double TraceChartView::TimeAt(const QPointF& viewPoint) const {
  const QPointF inChart = chart()->mapFromScene(mapToScene(viewPoint.toPoint()));
  const QRectF plot = chart()->plotArea();
  return fromMs_ / 1000.0 + (inChart.x() - plot.left()) / plot.width() * (toMs_ - fromMs_) / 1000.0;
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
    cursorSeconds_ = at;
    viewport()->update();
    if (cursorMoved) cursorMoved(static_cast<uint32_t>(std::max(0.0, at * 1000.0)));
  }
  event->accept();
}

void TraceChartView::mouseReleaseEvent(QMouseEvent* event) {
  dragFrom_.reset();
  event->accept();
}

}  // namespace vorel
