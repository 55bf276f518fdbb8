// The trace as a logic analyser draws it: one lane per output (pumps, flush valves,
// alarm output, the connection, each machine's output) drawn high when on, and one
// per machine for its program line, its height the line of 24. The mouse wheel
// zooms round the pointer, dragging pans, and the cursor follows the pointer.
#pragma once

#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsSimpleTextItem>
#include <QPolygonF>
#include <functional>
#include <optional>
#include <vector>

#include "core/supervision/LaundryTrace.h"

namespace vorel {

// The wall clock at `timeMs` of `trace`: the time it began plus that.
QDateTime TraceMoment(const LaundryTrace& trace, uint32_t timeMs);

class TraceChartView : public QChartView {
  Q_OBJECT

 public:
  static constexpr uint32_t kDefaultSpanMs = 2 * 60 * 1000;
  static constexpr uint32_t kShortestSpanMs = 2000;

  explicit TraceChartView(QWidget* parent = nullptr);

  // The lanes: the laundry's outputs, then the output and the line of each machine
  // given (indexes 0..9).
  void SetMachines(const std::vector<int>& machineIndexes);
  // Draws `trace` over [fromMs, toMs]; later zooms and pans redraw the same trace.
  void Draw(const LaundryTrace& trace, uint32_t fromMs, uint32_t toMs);
  // The newest moment kept in view, the span as it is.
  void ShowLatest(const LaundryTrace& trace, uint32_t nowMs);
  uint32_t FromMs() const { return fromMs_; }
  uint32_t ToMs() const { return toMs_; }
  // Zooms by `factor` (below 1 in, above 1 out) round `centreMs`.
  void ZoomBy(double factor, uint32_t centreMs);
  void PanBy(int64_t ms);
  // The lanes drawn, with the signal of each, and each lane's points as drawn
  // (seconds, height on the lane axis: lane 0 at the top).
  const std::vector<int>& LaneSignals() const { return signals_; }
  const std::vector<QPolygonF>& LanePoints() const { return lanePoints_; }

  // Told the moment under the pointer, and that the technician moved the view (the
  // window stops following the newest).
  std::function<void(uint32_t timeMs)> cursorMoved;
  std::function<void()> viewMoved;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void drawForeground(QPainter* painter, const QRectF& rect) override;

 private:
  double TimeAt(const QPointF& viewPoint) const;
  // The bottom of a lane on the chart's lane axis.
  double Floor(size_t lane) const;
  // Each lane's name beside its lane, left of the plot.
  void PlaceNames();
  // A point of the lane axes in the chart's plot area.
  QPointF ToPlot(const QPointF& value) const;
  void Redraw();

  QDateTimeAxis* timeAxis_;
  std::optional<double> cursorSeconds_;
  std::vector<int> signals_;
  std::vector<QPolygonF> lanePoints_;
  std::vector<QGraphicsSimpleTextItem*> names_;
  const LaundryTrace* trace_ = nullptr;
  uint32_t fromMs_ = 0;
  uint32_t toMs_ = kDefaultSpanMs;
  std::optional<QPoint> dragFrom_;
};

}  // namespace vorel
