// The whole laundry in one window: a strip of the pumps, flush valves and alarm
// output, a row per enabled machine (its program, line and instruction, trigger,
// keyboard and output), and the trace of it all as a logic analyser draws it, with
// zoom, pan and a cursor. The trace can be exported as CSV, saved, and a saved one
// opened where there is no controller.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <array>
#include <optional>

#include "core/session/Session.h"
#include "ui/common/Dialogs.h"

namespace vorel {

class TraceChartView;

class TOverviewForm : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  TOverviewForm(Session& session, UiEnvironment& environment, QWidget* parent = nullptr);
  ~TOverviewForm() override;

  // The strip and the rows from a report's state (greyed without a connection).
  void ShowState(const LaundryState& state);
  // The chart of the trace shown: the session's, or a trace file opened.
  void RedrawChart();
  const LaundryTrace& ShownTrace() const { return loaded_ ? *loaded_ : session_.Trace(); }
  TraceChartView* Chart() const { return chart_; }

  // Handlers.
  void ExportCsvBtnClick();
  void SaveTraceBtnClick();
  void LoadTraceBtnClick();
  void LiveBtnClick();
  void ClearTraceBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void StatusReportReceived(const StatusReport&) override { Report(); }
  void GatewayStatusReceived(const GatewayStatus&) override { Report(); }
  void LinkStateChanged() override;
  void ConfigurationCleared() override { RebuildRows(); }
  void ConfigurationReplaced() override { RebuildRows(); }
  void ConfigurationEdited() override { RebuildRows(); }
  void Report();
  LaundryState Current() const;
  void RebuildRows();
  void UpdateConnection();
  void UpdateSource();
  // The save dialog, then `bytes` written there; a failure said in a box ("Could not
  // `what` to FILE: reason").
  void WriteChosenFile(const FileDialogRequest& request, const QString& what,
                       std::string_view bytes);

  Session& session_;
  UiEnvironment& env_;
  Attachment observing_;
  QLabel* connectionLabel_;
  std::array<QLabel*, laundry::kConnected> outputLabels_{};
  QTableWidget* machinesGrid_;
  std::vector<int> rowMachines_;  // machine index of each row
  TraceChartView* chart_;
  QCheckBox* followBtn_;
  QLabel* cursorLabel_;
  QLabel* sourceLabel_;
  QPushButton* liveBtn_;
  QPushButton* clearBtn_;
  std::optional<LaundryTrace> loaded_;
  uint32_t drawnAtMs_ = 0;
};

}  // namespace vorel
