// The consumption log window ("Log data"): totals of the controller's month records
// for a chosen period and machine, as labels and as bar charts, the period's export
// as CSV, and the log's reset in the controller.
#pragma once

#include <QChartView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/logs/ConsumptionLog.h"
#include "core/session/Session.h"
#include "ui/common/Dialogs.h"
#include "ui/logs/LogReset.h"

namespace vorel {

class TLogDataForm : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  using MainWindowLinks = LogWindowLinks;

  TLogDataForm(Session& session, UiEnvironment& env, MainWindowLinks links,
               QWidget* parent = nullptr);
  ~TLogDataForm() override;

  // Handlers.
  void FromToComboBoxChange();
  void ResetLogBtnClick();
  void ExportCsvBtnClick();
  void CloseBtnClick() { close(); }
  void UpdateResetButton();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // What the session tells.
  void ConfigurationCleared() override;
  void ConfigurationReplaced() override { LogMayHaveChanged(); }
  void ImageChanged() override { LogMayHaveChanged(); }
  void ConsumptionLogReset() override;
  void LinkStateChanged() override { UpdateResetButton(); }
  void TransferChanged() override { UpdateResetButton(); }

  // The image changed: the lists are rebuilt now when shown, otherwise at the next
  // showing.
  void LogMayHaveChanged();
  // Fills both month lists from the image and selects the newest month; with
  // `keepPeriod` a list that offers the same months keeps its selection.
  void BuildMonthLists(bool keepPeriod);
  void ShowTotals();
  void ShowCharts(const ConsumptionTotals& totals, const std::vector<MonthTotals>& months);
  // After the login code check passed: the question, then the request.

  Session& session_;
  Attachment observing_;
  UiEnvironment& env_;
  MainWindowLinks links_;
  // The month lists are rebuilt at the next showing.
  bool refreshNeeded_ = true;
  // The image holds another controller's or file's log since the lists were built.
  bool newLog_ = true;
  bool filling_ = false;
  std::vector<YearMonth> months_;

  QGroupBox* periodGroup_ = nullptr;
  QComboBox* fromCombo_ = nullptr;
  QComboBox* toCombo_ = nullptr;
  QComboBox* machineCombo_ = nullptr;
  QLabel* noDataLabel_ = nullptr;
  // The period lists or, without a used record, "No log data available".
  QStackedLayout* periodStack_ = nullptr;
  std::array<QLabel*, consumption::kPumps> pumpLabels_{};
  QLabel* volumeTotalLabel_ = nullptr;
  std::array<QLabel*, consumption::kPrograms> programLabels_{};
  QLabel* noProgramLabel_ = nullptr;
  QLabel* washTotalLabel_ = nullptr;
  QLabel* softenerLabel_ = nullptr;
  QChartView* volumeChart_ = nullptr;
  QChartView* washChart_ = nullptr;
  QLabel* noWashDataLabel_ = nullptr;
  QLabel* resetDoneLabel_ = nullptr;
  QPushButton* exportBtn_ = nullptr;
  QPushButton* resetBtn_ = nullptr;
  QPushButton* closeBtn_ = nullptr;
};

}  // namespace vorel
