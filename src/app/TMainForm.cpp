// The main window: menus, status bar, settings, timer, whole-system commands.
#include "app/TMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "app/TAboutForm.h"
#include "platform/ApplicationLog.h"
#include "platform/Dialogs.h"
#include "platform/QtSettingsStore.h"

namespace vorel {
namespace {

constexpr int kClearAllTag = 11;
constexpr std::array<int, 4> kStatusPanelWidths = {100, 150, 100, 75};

std::vector<std::string> ToStdArguments(const QStringList& arguments) {
  std::vector<std::string> result;
  result.reserve(static_cast<size_t>(arguments.size()));
  for (const QString& argument : arguments) result.push_back(argument.toStdString());
  return result;
}

}  // namespace

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent),
      access_(ParseAccessWords(ToStdArguments(arguments))),
      settingsFactory_([] { return std::make_unique<QtSettingsStore>(); }) {
  setObjectName("MainForm");
  StartApplicationLog(kVersionMajor, kVersionMinor);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(QApplication::font().pointSize());
  setFont(font);
  setCentralWidget(new QWidget(this));

  BuildMenus();
  BuildStatusBar();

  aboutForm_ = new TAboutForm(this);

  resize(kDesignWidth, kDesignHeight);
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - frameGeometry().width()) / 2, 0);
  }
  settings_.width = width();
  settings_.height = height();

  connect(&timer_, &QTimer::timeout, this, &TMainForm::MainTimer100ms);
  timer_.start(kTimerIntervalMs);
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildMenus() {
  auto addAction = [this](QMenu* menu, const char* caption, const char* name, bool enabled,
                          void (TMainForm::*handler)()) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    if (handler) connect(action, &QAction::triggered, this, handler);
    return action;
  };

  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  file->setObjectName("FileMenu");
  addAction(file, "Login...", "LoginBtn", false, nullptr);
  addAction(file, "New System...", "NewSystemBtn", true, &TMainForm::NewSystemBtnClick);
  addAction(file, "Load System...", "LoadSystemBtn", false, nullptr);
  addAction(file, "Save System...", "SaveSystemBtn", false, nullptr);
  file->addSeparator();
  firmwareControllerAction_ =
      addAction(file, "Firmware update, TL4200...", "FirmwareUpdateMQ350Btn", false, nullptr);
  addAction(file, "Firmware update, Trigger...", "FirmwareUpdateTriggerBtn", false, nullptr);
  file->addSeparator();
  addAction(file, "Exit", "ExitBtn", true, &TMainForm::ExitBtnClick);

  QMenu* system = menuBar()->addMenu(QStringLiteral("System"));
  system->setObjectName("SystemMenu");
  addAction(system, "Read/write system data...", "ReadWriteSystemDataBtn", false, nullptr);
  addAction(system, "System setup...", "Systemsetup1", false, nullptr);
  addAction(system, "Communication...", "Communication1", false, nullptr);
  addAction(system, "Log data...", "LogDataBtn", false, nullptr);
  addAction(system, "Alarm log...", "AlarmLogBtn", false, nullptr);
  system->addSeparator();
  addAction(system, "Copy Machine...", "CopyMachine1", false, nullptr);
  QMenu* clear = system->addMenu(QStringLiteral("Clear Machine"));
  clear->setObjectName("ClearMachineMenu");
  for (int tag = 1; tag <= kClearAllTag; ++tag) {
    const QString caption = tag == kClearAllTag ? QStringLiteral("All") : QString("Machine %1").arg(tag);
    QAction* action = clear->addAction(caption);
    action->setObjectName(QString("ClearMachine%1Btn").arg(tag));
    action->setData(tag);
    connect(action, &QAction::triggered, this, [this, tag] { ClearMachineBtnClick(tag); });
  }

  for (int n = 1; n <= kMachineCount; ++n) {
    QAction* action = menuBar()->addAction(QString("Machine %1...").arg(n));
    action->setObjectName(QString("Machine%1Btn").arg(n));
    action->setData(n);
    action->setEnabled(false);
    machineActions_[n - 1] = action;
  }
  QAction* help = menuBar()->addAction(QStringLiteral("Help"));
  help->setObjectName("HelpBtn");
  connect(help, &QAction::triggered, this, &TMainForm::HelpBtnClick);
}

void TMainForm::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(false);
  for (size_t i = 0; i < statusPanels_.size(); ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFixedWidth(kStatusPanelWidths[i]);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(i < 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    bar->addWidget(panel);
    statusPanels_[i] = panel;
  }
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Some platforms never activate a window (offscreen, some window managers);
  // the first show then stands in for the first activation.
  if (!firstActivationDone_) QTimer::singleShot(0, this, &TMainForm::FormActivate);
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TMainForm::FormActivate() {
  if (firstActivationDone_) return;
  firstActivationDone_ = true;
  RestoreSettings();
  UpdateCaption();
  ClearAll();
  emit FirstActivationCompleted();
}

void TMainForm::RestoreSettings() {
  settings_.width = width();
  settings_.height = height();
  if (auto store = settingsFactory_()) vorel::RestoreSettings(*store, settings_);
  resize(settings_.width, settings_.height);
  if (settings_.positionRestored) move(settings_.left, settings_.top);
}

void TMainForm::StoreSettings() {
  settings_.width = width();
  settings_.height = height();
  settings_.left = pos().x();
  settings_.top = pos().y();
  if (auto store = settingsFactory_()) vorel::StoreSettings(*store, settings_);
}

void TMainForm::UpdateCaption() {
  setWindowTitle(QString::fromStdString(BuildCaption(access_.setup, std::nullopt)));
  firmwareControllerAction_->setText(QStringLiteral("Firmware update, TL4200..."));
}

void TMainForm::UpdateStatusBar() {
  if (imageValid_) {
    statusPanels_[0]->setText(
        QString::asprintf("Format: %d.%d", image_.VersionMajor(), image_.VersionMinor()));
  } else {
    for (int i = 0; i < 3; ++i) statusPanels_[i]->clear();
  }
}

void TMainForm::ClearAll() {
  ClearSystemSettings(config_);
  for (auto& machine : config_.MachineData) ClearMachine(machine);
  imageValid_ = false;
  UpdateStatusBar();
}

void TMainForm::RefreshAll() { UpdateStatusBar(); }

void TMainForm::NewSystemBtnClick() {
  copiedProgram_ = nullptr;
  ClearSystemSettings(config_);
  for (auto& machine : config_.MachineData) ClearMachine(machine);
}

void TMainForm::ClearMachineBtnClick(int tag) {
  if (tag >= 1 && tag <= kMachineCount) {
    const QString question = QString::asprintf("Clear all data for Machine %d\n\nAre you sure?", tag);
    if (ShowLoggedMessage(this, question, MsgType::Warning, kMsgYes | kMsgNo) != kMsgYes) return;
    ClearMachine(config_.MachineData[tag - 1]);
  } else if (tag == kClearAllTag) {
    const QString question = QStringLiteral("Clear all data for all Machines\n\nAre you sure?");
    if (ShowLoggedMessage(this, question, MsgType::Warning, kMsgYes | kMsgNo) != kMsgYes) return;
    for (auto& machine : config_.MachineData) ClearMachine(machine);
  }
}

void TMainForm::HelpBtnClick() { aboutForm_->exec(); }

void TMainForm::ExitBtnClick() { close(); }

void TMainForm::closeEvent(QCloseEvent* event) {
  StoreSettings();
  event->accept();
  QMainWindow::closeEvent(event);
  qApp->quit();
}

void TMainForm::MainTimer100ms() { tick_.Tick(*this); }

}  // namespace vorel
