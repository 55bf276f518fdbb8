#include "ui/supervision/TOverviewForm.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShowEvent>
#include <QVBoxLayout>

#include "io/AnsiQt.h"
#include "io/FileAccess.h"
#include "ui/common/ButtonRow.h"
#include "ui/supervision/TraceChart.h"

namespace vorel {

namespace {

// A trace file holds at most the ring's changes.
constexpr int64_t kTraceFileLimit = 64 * 1024 * 1024;
// The chart follows the newest at most twice a second of the trace's time.
constexpr uint32_t kRedrawEveryMs = 500;
const QString kTraceFilter = QStringLiteral("Vorel trace (*.vtrace)|*.vtrace|Any file (*.*)|*.*");

constexpr const char* kColumns[] = {"Machine", "Program", "Line", "Trigger", "Keyboard", "Output"};

QString OutputCaption(int signal) {
  if (signal < laundry::kPumps) return QString("P%1").arg(signal + 1);
  if (signal == laundry::kFlushWater) return QStringLiteral("Flush water");
  if (signal == laundry::kFlushDrain) return QStringLiteral("Flush drain");
  return QStringLiteral("Alarm");
}

// The strip's look: green when on, grey when off, dashed when the report does not
// say (the gateway does not relay the alarm output).
void ShowOutput(QLabel* label, bool known, bool on) {
  label->setProperty("on", known && on);
  label->setStyleSheet(!known ? QStringLiteral("border: 1px dashed gray; padding: 2px 6px;")
                       : on   ? QStringLiteral("background: #3c3; color: black; font-weight: bold;"
                                                 " padding: 2px 6px;")
                              : QStringLiteral("background: #ddd; color: #444; padding: 2px 6px;"));
}

}  // namespace

TOverviewForm::TOverviewForm(Session& session, UiEnvironment& environment, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), env_(environment) {
  setObjectName("OverviewForm");
  setWindowTitle(QStringLiteral("System overview"));
  auto* root = new QVBoxLayout(this);

  connectionLabel_ = new QLabel(this);
  connectionLabel_->setObjectName("ConnectionLabel");
  root->addWidget(connectionLabel_);

  auto* strip = new QHBoxLayout;
  for (int signal = 0; signal < laundry::kConnected; ++signal) {
    auto* label = new QLabel(OutputCaption(signal), this);
    label->setObjectName(signal < laundry::kPumps         ? QString("PumpLabel%1").arg(signal + 1)
                         : signal == laundry::kFlushWater ? QStringLiteral("FlushWaterLabel")
                         : signal == laundry::kFlushDrain ? QStringLiteral("FlushDrainLabel")
                                                          : QStringLiteral("AlarmOutputLabel"));
    label->setAlignment(Qt::AlignCenter);
    ShowOutput(label, false, false);
    outputLabels_[static_cast<size_t>(signal)] = label;
    strip->addWidget(label);
  }
  strip->addStretch(1);
  root->addLayout(strip);

  machinesGrid_ = new QTableWidget(0, static_cast<int>(std::size(kColumns)), this);
  machinesGrid_->setObjectName("MachinesGrid");
  QStringList headers;
  for (const char* column : kColumns) headers << QString::fromLatin1(column);
  machinesGrid_->setHorizontalHeaderLabels(headers);
  machinesGrid_->verticalHeader()->hide();
  machinesGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  machinesGrid_->setSelectionMode(QAbstractItemView::NoSelection);
  machinesGrid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  machinesGrid_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  root->addWidget(machinesGrid_, 1);

  chart_ = new TraceChartView(this);
  root->addWidget(chart_, 4);
  cursorLabel_ = new QLabel(QStringLiteral("Move the pointer over the trace to read it."), this);
  cursorLabel_->setObjectName("CursorLabel");
  cursorLabel_->setWordWrap(true);
  root->addWidget(cursorLabel_);

  auto* buttons = new QHBoxLayout;
  const auto button = [this, buttons](const QString& caption, const char* name, auto handler) {
    return AddButton(buttons, this, caption, name, handler);
  };
  auto* zoomIn = button(QStringLiteral("Zoom &in"), "ZoomInBtn",
                        [this] { chart_->ZoomBy(0.5, (chart_->FromMs() + chart_->ToMs()) / 2); });
  auto* zoomOut = button(QStringLiteral("Zoom &out"), "ZoomOutBtn",
                         [this] { chart_->ZoomBy(2.0, (chart_->FromMs() + chart_->ToMs()) / 2); });
  (void)zoomIn;
  (void)zoomOut;
  followBtn_ = new QCheckBox(QStringLiteral("&Follow"), this);
  followBtn_->setObjectName("FollowBtn");
  followBtn_->setChecked(true);
  connect(followBtn_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) RedrawChart();
  });
  buttons->addWidget(followBtn_);
  buttons->addStretch(1);
  button(QStringLiteral("Export &CSV..."), "ExportCsvBtn", &TOverviewForm::ExportCsvBtnClick);
  button(QStringLiteral("&Save trace..."), "SaveTraceBtn", &TOverviewForm::SaveTraceBtnClick);
  button(QStringLiteral("Open &trace..."), "LoadTraceBtn", &TOverviewForm::LoadTraceBtnClick);
  liveBtn_ = button(QStringLiteral("&Live"), "LiveBtn", &TOverviewForm::LiveBtnClick);
  clearBtn_ = button(QStringLiteral("Cl&ear"), "ClearTraceBtn", &TOverviewForm::ClearTraceBtnClick);
  button(QStringLiteral("Close"), "CloseBtn", [this] { close(); });
  root->addLayout(buttons);
  sourceLabel_ = new QLabel(this);
  sourceLabel_->setObjectName("SourceLabel");
  root->addWidget(sourceLabel_);

  chart_->viewMoved = [this] { followBtn_->setChecked(false); };
  chart_->cursorMoved = [this](uint32_t timeMs) {
    const LaundryState state = ShownTrace().StateAt(timeMs);
    QStringList values;
    for (const int signal : chart_->LaneSignals()) {
      if (!state.known[static_cast<size_t>(signal)]) continue;
      const bool isSwitch = laundry::IsSwitch(signal);
      if (isSwitch && state.Get(signal) == 0) continue;  // what is on, and every line
      values << QString::fromStdString(laundry::SignalName(signal)) +
                    (isSwitch ? QString() : QStringLiteral(" %1").arg(state.Get(signal)));
    }
    const QDateTime moment = TraceMoment(ShownTrace(), timeMs);
    cursorLabel_->setText(QStringLiteral("%1: %2").arg(
        moment.toString(QStringLiteral("hh:mm:ss.z")),
        values.isEmpty() ? QStringLiteral("all off") : values.join(", ")));
  };

  resize(960, 760);
  observing_ = session_.Observe(*this);
  RebuildRows();
  UpdateConnection();
  UpdateSource();
}

TOverviewForm::~TOverviewForm() = default;

void TOverviewForm::RebuildRows() {
  rowMachines_.clear();
  const SystemConfiguration& config = session_.Configuration();
  for (int m = 0; m < laundry::kMachines; ++m) {
    if (config.MachineData[static_cast<size_t>(m)].Enabled) rowMachines_.push_back(m);
  }
  machinesGrid_->setRowCount(static_cast<int>(rowMachines_.size()));
  chart_->SetMachines(rowMachines_);
  ShowState(Current());
  RedrawChart();
}

void TOverviewForm::ShowState(const LaundryState& state) {
  for (int signal = 0; signal < laundry::kConnected; ++signal) {
    ShowOutput(outputLabels_[static_cast<size_t>(signal)], state.known[static_cast<size_t>(signal)],
               state.Get(signal) != 0);
  }
  const SystemConfiguration& config = session_.Configuration();
  for (size_t row = 0; row < rowMachines_.size(); ++row) {
    const int m = rowMachines_[row];
    const MachineOverview overview =
        OverviewOf(config.MachineData[static_cast<size_t>(m)], m, state);
    const std::string* cells[] = {&overview.machine, &overview.program,  &overview.line,
                                  &overview.trigger, &overview.keyboard, &overview.output};
    for (int column = 0; column < static_cast<int>(std::size(cells)); ++column) {
      QTableWidgetItem* item = machinesGrid_->item(static_cast<int>(row), column);
      if (!item) {
        item = new QTableWidgetItem;
        machinesGrid_->setItem(static_cast<int>(row), column, item);
      }
      item->setText(Ansi::toQString(*cells[column]));
    }
  }
}

void TOverviewForm::Report() {
  if (!isVisible()) return;
  ShowState(Current());
  if (!loaded_ && followBtn_->isChecked() && session_.TraceMs() - drawnAtMs_ >= kRedrawEveryMs) {
    RedrawChart();
  }
}

LaundryState TOverviewForm::Current() const {
  // Each report's signals as the session's trace keeps them: what a report does not
  // carry stays as the last one said. Nothing without a connection.
  return session_.LinkReady() ? session_.Trace().Latest() : LaundryState{};
}

void TOverviewForm::LinkStateChanged() {
  UpdateConnection();
  ShowState(Current());
}

void TOverviewForm::UpdateConnection() {
  const bool ready = session_.LinkReady();
  QString text;
  if (!ready) {
    text = QStringLiteral("No connection: connect to the controller in the communication window.");
  } else if (const auto system = session_.ConnectedSystem()) {
    text = QStringLiteral("Gateway: %1 (%2)")
               .arg(Ansi::toQString(system->name), Ansi::toQString(system->serial));
  } else {
    text = QStringLiteral("Serial link: %1").arg(QString::fromStdString(session_.OpenedPort()));
  }
  connectionLabel_->setText(text);
  for (QLabel* label : outputLabels_) label->setEnabled(ready);
  machinesGrid_->setEnabled(ready);
}

void TOverviewForm::RedrawChart() {
  drawnAtMs_ = session_.TraceMs();
  const LaundryTrace& trace = ShownTrace();
  if (loaded_ || !followBtn_->isChecked()) {
    chart_->Draw(trace, chart_->FromMs(), chart_->ToMs());
  } else {
    chart_->ShowLatest(trace, session_.TraceMs());
  }
}

void TOverviewForm::UpdateSource() {
  if (loaded_) {
    const LocalDateTime& at = loaded_->StartedAt();
    sourceLabel_->setText(QString::asprintf(
        "Trace file, begun %04d-%02d-%02d %02d:%02d:%02d, "
        "%zu changes",
        at.year, at.month, at.day, at.hour, at.minute, at.second, loaded_->Size()));
  } else {
    sourceLabel_->setText(QStringLiteral("Live trace of this connection"));
  }
  liveBtn_->setEnabled(loaded_.has_value());
  clearBtn_->setEnabled(!loaded_);
}

void TOverviewForm::ExportCsvBtnClick() {
  const FileDialogRequest request{QStringLiteral("Export the trace"),
                                  QStringLiteral("CSV file (*.csv)|*.csv|Any file (*.*)|*.*"),
                                  QStringLiteral("csv"), QStringLiteral("Trace.csv")};
  WriteChosenFile(request, QStringLiteral("export the trace"), TraceCsv(ShownTrace()));
}

void TOverviewForm::WriteChosenFile(const FileDialogRequest& request, const QString& what,
                                    std::string_view bytes) {
  const QString fileName = env_.CurrentDialogs().SaveFileName(this, request);
  if (fileName.isEmpty()) return;
  if (const Outcome written = WriteFileReplacing(fileName, bytes); !written) {
    env_.ShowLoggedMessage(this,
                           QString("Could not %1 to %2:\n%3")
                               .arg(what, fileName, QString::fromStdString(written.reason)),
                           MsgType::Error, kMsgOk);
  }
}

void TOverviewForm::SaveTraceBtnClick() {
  const FileDialogRequest request{QStringLiteral("Save the trace"), kTraceFilter,
                                  QStringLiteral("vtrace"), QStringLiteral("Trace.vtrace")};
  const std::vector<uint8_t> bytes = SaveTraceFile(ShownTrace());
  WriteChosenFile(request, QStringLiteral("save the trace"),
                  std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void TOverviewForm::LoadTraceBtnClick() {
  const FileDialogRequest request{QStringLiteral("Open a trace"), kTraceFilter,
                                  QStringLiteral("vtrace"), QString()};
  const QString fileName = env_.CurrentDialogs().OpenFileName(this, request);
  if (fileName.isEmpty()) return;
  const Loaded<std::string> read = ReadWholeFile(fileName, kTraceFileLimit);
  Loaded<LaundryTrace> trace =
      read ? LoadTraceFile(std::span(reinterpret_cast<const uint8_t*>(read->data()), read->size()))
           : Loaded<LaundryTrace>::Refused(read.why);
  if (!trace) {
    env_.ShowLoggedMessage(this,
                           QString("Could not open the trace %1:\n%2")
                               .arg(fileName, QString::fromStdString(trace.why)),
                           MsgType::Error, kMsgOk);
    return;
  }
  loaded_ = std::move(*trace.value);
  followBtn_->setChecked(false);
  const uint32_t last = loaded_->LastTimeMs();
  chart_->Draw(*loaded_,
               last > TraceChartView::kDefaultSpanMs ? last - TraceChartView::kDefaultSpanMs : 0,
               std::max(last, TraceChartView::kDefaultSpanMs));
  UpdateSource();
}

void TOverviewForm::LiveBtnClick() {
  loaded_.reset();
  followBtn_->setChecked(true);
  RedrawChart();
  UpdateSource();
}

void TOverviewForm::ClearTraceBtnClick() {
  session_.StartTrace(env_.Now());
  RedrawChart();
}

void TOverviewForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  UpdateConnection();
  ShowState(Current());
  RedrawChart();
}

void TOverviewForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vorel
