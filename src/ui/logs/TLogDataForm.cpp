// The consumption log window.
#include "ui/logs/TLogDataForm.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QShowEvent>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "io/AnsiQt.h"
#include "io/FileAccess.h"
#include "ui/common/FillingGuard.h"

namespace vorel {

namespace {

constexpr int kButtonWidth = 110;
constexpr int kMonthEntryLength = 15;
constexpr int kChartWidth = 470;
constexpr int kChartHeight = 200;
// Up to this many months each bar carries its month's name and year; up to a year,
// its month's name, the years in the axis title.
constexpr int kMonthsWithYears = 8;
constexpr int kNamedMonths = 12;
constexpr int kUpright = -90;
const QColor kVolumeColour(0x2F, 0x7E, 0xC1);
const QColor kWashColour(0x4E, 0xA7, 0x5A);

// The litres rounded to hundredths as the CSV and vorelctl give them, in the PC's
// separators.
QString Volume(uint32_t units) {
  const double litres = static_cast<double>(LitreHundredths(units)) / 100.0;
  return QLocale().toString(litres, 'f', 2) + QStringLiteral(" L");
}

QLabel* ValueLabel(const QString& name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Room for "100.000,00 L" so that the groups keep their width as the totals change.
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("000.000,00 L")));
  return label;
}

QFrame* Rule(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

// Caption and value in one row of a group; `rule` draws a line above the row.
void AddRow(QGridLayout* grid, const QString& caption, QLabel* value, bool rule = false) {
  QWidget* group = grid->parentWidget();
  if (rule) grid->addWidget(Rule(group), grid->rowCount(), 0, 1, 2);
  const int row = grid->rowCount();
  grid->addWidget(new QLabel(caption, group), row, 0);
  grid->addWidget(value, row, 1);
}

QChartView* ChartView(const char* name, const QString& title, QWidget* parent) {
  auto* chart = new QChart;
  chart->setTitle(title);
  QFont titleFont = parent->font();
  titleFont.setBold(true);
  chart->setTitleFont(titleFont);
  chart->legend()->hide();
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->setLocalizeNumbers(true);
  chart->setFont(parent->font());
  auto* view = new QChartView(chart, parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(kChartWidth, kChartHeight);
  return view;
}

// One bar per value along `categoryAxis`; the value axis starts at 0 and ends at a
// round number.
void ShowBars(QChart* chart, QAbstractAxis* categoryAxis, const QList<qreal>& values,
              const QString& unit, const QColor& colour, bool wholeNumbers) {
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  chart->setLocale(QLocale());
  if (values.isEmpty()) {
    delete categoryAxis;
    return;
  }

  auto* set = new QBarSet(unit);
  set->append(values);
  set->setColor(colour);
  set->setBorderColor(colour.darker(120));
  auto* series = new QBarSeries;
  series->append(set);
  chart->addSeries(series);

  categoryAxis->setLabelsFont(chart->font());
  chart->addAxis(categoryAxis, Qt::AlignBottom);
  series->attachAxis(categoryAxis);

  const qreal highest = *std::max_element(values.begin(), values.end());
  auto* valueAxis = new QValueAxis;
  valueAxis->setRange(0, std::max<qreal>(highest, wholeNumbers ? 5 : 1));
  valueAxis->applyNiceNumbers();
  valueAxis->setLabelFormat(wholeNumbers || valueAxis->max() >= 10 ? QStringLiteral("%.0f")
                                                                   : QStringLiteral("%.1f"));
  valueAxis->setTitleText(unit);
  valueAxis->setLabelsFont(chart->font());
  chart->addAxis(valueAxis, Qt::AlignLeft);
  series->attachAxis(valueAxis);
}

QString ShortMonth(const YearMonth& month) {
  return QLocale::c().monthName(month.month, QLocale::ShortFormat);
}

// "Sep 2011 to Aug 2012".
QString PeriodText(const std::vector<MonthTotals>& months) {
  const YearMonth& first = months.front().month;
  const YearMonth& last = months.back().month;
  return QString("%1 %2 to %3 %4")
      .arg(ShortMonth(first))
      .arg(first.year)
      .arg(ShortMonth(last))
      .arg(last.year);
}

// A few months: each bar is named, "Sep" over "2011". Up to a year: "Sep" alone and
// upright, the period in the axis title. A longer period is marked by years under the bars, as
// month names would no longer fit.
QAbstractAxis* MonthAxis(const std::vector<MonthTotals>& months) {
  const int count = static_cast<int>(months.size());
  if (count <= kNamedMonths) {
    auto* axis = new QBarCategoryAxis;
    for (const MonthTotals& month : months) {
      axis->append(count <= kMonthsWithYears
                       ? QString("%1<br>%2").arg(ShortMonth(month.month)).arg(month.month.year)
                       : ShortMonth(month.month));
    }
    if (count > kMonthsWithYears) {
      // Turned upright, as a year of names side by side would be cut short.
      axis->setLabelsAngle(kUpright);
      axis->setTitleText(PeriodText(months));
    }
    return axis;
  }
  auto* axis = new QCategoryAxis;
  const qreal half = 0.5;
  axis->setRange(-half, static_cast<qreal>(months.size()) - half);
  axis->setStartValue(-half);
  axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  for (size_t i = 0; i < months.size(); ++i) {
    if (i + 1 == months.size() || months[i + 1].month.year != months[i].month.year)
      axis->append(QString::number(months[i].month.year), static_cast<qreal>(i) + half);
  }
  axis->setTitleText(PeriodText(months));
  return axis;
}

}  // namespace

TLogDataForm::TLogDataForm(Session& session, UiEnvironment& env, MainWindowLinks links,
                           QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), env_(env), links_(std::move(links)) {
  setObjectName("LogDataForm");
  setWindowTitle(QStringLiteral("Log data"));

  periodGroup_ = new QGroupBox(QStringLiteral(" Period "), this);
  periodGroup_->setObjectName("PeriodGroupBox");
  fromCombo_ = new QComboBox(periodGroup_);
  fromCombo_->setObjectName("FromComboBox");
  toCombo_ = new QComboBox(periodGroup_);
  toCombo_->setObjectName("ToComboBox");
  machineCombo_ = new QComboBox(periodGroup_);
  machineCombo_->setObjectName("MachineSelectComboBox");
  // "September, 2011" is the longest month entry.
  for (QComboBox* list : {fromCombo_, toCombo_}) {
    list->setMinimumContentsLength(kMonthEntryLength);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  }
  machineCombo_->addItem(QStringLiteral("All machines"));
  for (int n = 1; n <= kMachineCount; ++n) machineCombo_->addItem(QString("Machine %1").arg(n));
  auto* periodGrid = new QGridLayout(periodGroup_);
  periodGrid->addWidget(new QLabel(QStringLiteral("From"), periodGroup_), 0, 0);
  periodGrid->addWidget(fromCombo_, 0, 1);
  periodGrid->addWidget(new QLabel(QStringLiteral("To"), periodGroup_), 0, 2);
  periodGrid->addWidget(toCombo_, 0, 3);
  periodGrid->addWidget(new QLabel(QStringLiteral("Machine"), periodGroup_), 1, 0);
  periodGrid->addWidget(machineCombo_, 1, 1);
  periodGrid->setColumnStretch(1, 1);
  periodGrid->setColumnStretch(3, 1);

  noDataLabel_ = new QLabel(QStringLiteral("No log data available"), this);
  noDataLabel_->setObjectName("NoLogDataAvailableLabel");
  noDataLabel_->setAlignment(Qt::AlignCenter);
  QFont notice = noDataLabel_->font();
  notice.setBold(true);
  noDataLabel_->setFont(notice);

  auto* volumeGroup = new QGroupBox(QStringLiteral(" Volume "), this);
  volumeGroup->setObjectName("VolumeGroupBox");
  auto* volumeGrid = new QGridLayout(volumeGroup);
  for (int p = 0; p < consumption::kPumps; ++p) {
    pumpLabels_[p] = ValueLabel(QString("PumpVolumeLabel%1").arg(p + 1), volumeGroup);
    AddRow(volumeGrid, QString("Pump %1").arg(p + 1), pumpLabels_[p]);
  }
  volumeTotalLabel_ = ValueLabel("PumpVolumeLabelTotal", volumeGroup);
  AddRow(volumeGrid, QStringLiteral("Total"), volumeTotalLabel_, /*rule=*/true);
  volumeGrid->setRowStretch(volumeGrid->rowCount(), 1);

  auto* washGroup = new QGroupBox(QStringLiteral(" Wash count "), this);
  washGroup->setObjectName("WashCountGroupBox");
  auto* washGrid = new QGridLayout(washGroup);
  for (int p = 0; p < consumption::kPrograms; ++p) {
    programLabels_[p] = ValueLabel(QString("ProgramCountLabel%1").arg(p + 1), washGroup);
    AddRow(washGrid, QString("Program %1").arg(p + 1), programLabels_[p]);
  }
  noProgramLabel_ = ValueLabel("ProgramCountLabelNoProgram", washGroup);
  AddRow(washGrid, QStringLiteral("No program"), noProgramLabel_);
  washTotalLabel_ = ValueLabel("ProgramCountLabelTotal", washGroup);
  AddRow(washGrid, QStringLiteral("Total"), washTotalLabel_, /*rule=*/true);
  softenerLabel_ = ValueLabel("SoftnerCountLabelTotal", washGroup);
  AddRow(washGrid, QStringLiteral("Softener count"), softenerLabel_, /*rule=*/true);
  washGrid->setRowStretch(washGrid->rowCount(), 1);

  volumeChart_ = ChartView("VolumeChartView", QStringLiteral("Volume per pump"), this);
  washChart_ = ChartView("WashChartView", QStringLiteral("Washes per month"), this);

  resetDoneLabel_ = new QLabel(QStringLiteral("Reset done"), this);
  resetDoneLabel_->setObjectName("ResetLogDoneLabel");
  resetDoneLabel_->setFont(notice);
  resetDoneLabel_->hide();
  exportBtn_ = new QPushButton(QStringLiteral("Export CSV..."), this);
  exportBtn_->setObjectName("ExportCsvBtn");
  resetBtn_ = new QPushButton(QStringLiteral("Reset log"), this);
  resetBtn_->setObjectName("ResetLogBtn");
  closeBtn_ = new QPushButton(QStringLiteral("Close"), this);
  closeBtn_->setObjectName("CloseBtn");
  for (QPushButton* button : {exportBtn_, resetBtn_, closeBtn_})
    button->setMinimumWidth(kButtonWidth);

  auto* groups = new QHBoxLayout;
  groups->addWidget(volumeGroup, 1);
  groups->addWidget(washGroup, 1);
  // The notice takes the period's place, so nothing moves when the log empties.
  periodStack_ = new QStackedLayout;
  periodStack_->addWidget(periodGroup_);
  periodStack_->addWidget(noDataLabel_);
  auto* figures = new QVBoxLayout;
  figures->addLayout(periodStack_);
  figures->addLayout(groups, 1);
  auto* charts = new QVBoxLayout;
  charts->addWidget(volumeChart_, 1);
  // Without a month to show, the wash chart says so over its empty plot.
  auto* washArea = new QGridLayout;
  washArea->addWidget(washChart_, 0, 0);
  noWashDataLabel_ = new QLabel(QStringLiteral("No log data"), this);
  noWashDataLabel_->setObjectName("NoWashDataLabel");
  noWashDataLabel_->setAlignment(Qt::AlignCenter);
  noWashDataLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
  washArea->addWidget(noWashDataLabel_, 0, 0);
  charts->addLayout(washArea, 1);
  auto* body = new QHBoxLayout;
  body->addLayout(figures);
  body->addLayout(charts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(resetDoneLabel_);
  buttons->addStretch(1);
  buttons->addWidget(exportBtn_);
  buttons->addWidget(resetBtn_);
  buttons->addWidget(closeBtn_);
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(11, 11, 11, 11);
  root->addLayout(body, 1);
  root->addLayout(buttons);

  for (QComboBox* list : {fromCombo_, toCombo_, machineCombo_}) {
    connect(list, &QComboBox::currentIndexChanged, this, [this] {
      if (!filling_) FromToComboBoxChange();
    });
  }
  connect(resetBtn_, &QPushButton::clicked, this, &TLogDataForm::ResetLogBtnClick);
  connect(exportBtn_, &QPushButton::clicked, this, &TLogDataForm::ExportCsvBtnClick);
  connect(closeBtn_, &QPushButton::clicked, this, &TLogDataForm::CloseBtnClick);

  observing_ = session_.Observe(*this);
  UpdateResetButton();
}

TLogDataForm::~TLogDataForm() {}

void TLogDataForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  if (refreshNeeded_) BuildMonthLists(/*keepPeriod=*/!newLog_);
  UpdateResetButton();
}

void TLogDataForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TLogDataForm::ConfigurationCleared() {
  // A read, a load or a new system: the lists start again at the newest month.
  newLog_ = true;
  resetDoneLabel_->hide();
  LogMayHaveChanged();
}

void TLogDataForm::LogMayHaveChanged() {
  refreshNeeded_ = true;
  // An open window follows the image at once. Packing the image (a save) leaves the
  // period the technician chose while the same months are offered.
  if (isVisible()) BuildMonthLists(/*keepPeriod=*/!newLog_);
}

void TLogDataForm::ConsumptionLogReset() {
  // The session has zeroed the log in the image.
  BuildMonthLists(/*keepPeriod=*/false);
  resetDoneLabel_->show();
}

void TLogDataForm::UpdateResetButton() {
  // A reset starts with the login code check, which waits for a transfer to end.
  resetBtn_->setEnabled(session_.LogResetAllowed() && !session_.Transfer().Busy());
}

void TLogDataForm::BuildMonthLists(bool keepPeriod) {
  refreshNeeded_ = false;
  newLog_ = false;
  std::vector<YearMonth> months = LogMonths(session_.Image().image);
  if (!keepPeriod || months != months_ || months.empty()) {
    months_ = std::move(months);
    FillingGuard guard(filling_);
    QStringList entries;
    for (const YearMonth& month : months_) entries << QString::fromStdString(MonthText(month));
    for (QComboBox* list : {fromCombo_, toCombo_}) {
      list->clear();
      list->addItems(entries);
      list->setCurrentIndex(list->count() - 1);
    }
  }
  const bool any = fromCombo_->count() > 0 && toCombo_->count() > 0;
  periodStack_->setCurrentWidget(any ? static_cast<QWidget*>(periodGroup_) : noDataLabel_);
  ShowTotals();
}

void TLogDataForm::FromToComboBoxChange() {
  ShowTotals();
}

void TLogDataForm::ShowTotals() {
  const ControllerImage& image = session_.Image().image;
  const int from = fromCombo_->currentIndex();
  const int to = toCombo_->currentIndex();
  const int machine = machineCombo_->currentIndex();
  const ConsumptionTotals totals = TotalPeriod(image, from, to, machine);

  std::array<QLabel*, consumption::kPumps + 1> volumes{};
  std::copy(pumpLabels_.begin(), pumpLabels_.end(), volumes.begin());
  volumes.back() = volumeTotalLabel_;
  std::array<QLabel*, consumption::kPrograms + 3> counts{};
  std::copy(programLabels_.begin(), programLabels_.end(), counts.begin());
  counts[consumption::kPrograms] = noProgramLabel_;
  counts[consumption::kPrograms + 1] = washTotalLabel_;
  counts[consumption::kPrograms + 2] = softenerLabel_;

  if (totals.any) {
    for (int p = 0; p < consumption::kPumps; ++p)
      pumpLabels_[p]->setText(Volume(totals.pumpUnits[p]));
    volumeTotalLabel_->setText(Volume(totals.totalUnits));
    for (int p = 0; p < consumption::kPrograms; ++p)
      programLabels_[p]->setText(QString::number(totals.programWashes[p]));
    noProgramLabel_->setText(QString::number(totals.noProgramWashes));
    washTotalLabel_->setText(QString::number(totals.totalWashes));
    softenerLabel_->setText(QString::number(totals.softener));
  } else {
    // Nothing was added: zeros, greyed.
    for (QLabel* label : volumes) label->setText(Volume(0));
    for (QLabel* label : counts) label->setText(QStringLiteral("0"));
  }
  for (QLabel* label : volumes) label->setEnabled(totals.any);
  for (QLabel* label : counts) label->setEnabled(totals.any);

  const std::vector<MonthTotals> months = TotalsByMonth(image, from, to, machine);
  exportBtn_->setEnabled(!months.empty());
  ShowCharts(totals, months);
}

void TLogDataForm::ShowCharts(const ConsumptionTotals& totals,
                              const std::vector<MonthTotals>& months) {
  auto* pumps = new QBarCategoryAxis;
  pumps->setTitleText(QStringLiteral("Pump"));
  QList<qreal> litres;
  for (int p = 0; p < consumption::kPumps; ++p) {
    pumps->append(QString::number(p + 1));
    litres << Litres(totals.pumpUnits[p]);
  }
  ShowBars(volumeChart_->chart(), pumps, litres, QStringLiteral("Litres"), kVolumeColour,
           /*wholeNumbers=*/false);

  QList<qreal> washes;
  for (const MonthTotals& month : months) washes << month.totals.totalWashes;
  ShowBars(washChart_->chart(), MonthAxis(months), washes, QStringLiteral("Washes"), kWashColour,
           /*wholeNumbers=*/true);
  noWashDataLabel_->setVisible(months.empty());
}

void TLogDataForm::ResetLogBtnClick() {
  resetDoneLabel_->hide();
  ConfirmLogReset(session_, env_, this, links_,
                  {QStringLiteral("Reset all log data\n\nAre you sure?"),
                   QStringLiteral("Unable to reset log data\n\nSystem not connected.")},
                  [this] { return session_.SendConsumptionLogReset(); });
  UpdateResetButton();
}

void TLogDataForm::ExportCsvBtnClick() {
  const int from = fromCombo_->currentIndex();
  const int to = toCombo_->currentIndex();
  const int machine = machineCombo_->currentIndex();
  const std::vector<MonthTotals> months = TotalsByMonth(session_.Image().image, from, to, machine);
  if (months.empty()) return;

  QString offered = QString::asprintf("Consumption %04d-%02d to %04d-%02d",
                                      months.front().month.year, months.front().month.month,
                                      months.back().month.year, months.back().month.month);
  if (machine > 0) offered += QString(", machine %1").arg(machine);
  const FileDialogRequest request{QStringLiteral("Export log data"),
                                  QStringLiteral("CSV file (*.csv)|*.csv|Any file (*.*)|*.*"),
                                  QStringLiteral("csv"), offered + QStringLiteral(".csv")};
  const QString fileName = env_.CurrentDialogs().SaveFileName(this, request);
  if (fileName.isEmpty()) return;
  if (const Outcome written = WriteFileReplacing(fileName, ConsumptionCsv(months)); !written) {
    env_.ShowLoggedMessage(this,
                           QString("Could not export the log data to %1:\n%2")
                               .arg(fileName, QString::fromStdString(written.reason)),
                           MsgType::Error, kMsgOk);
  }
}

}  // namespace vorel
