// The communication window.
#include "ui/link/TCommunicationForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include "io/SerialPortAdapter.h"
#include "ui/link/TCommunicationErrorForm.h"

namespace vorel {

namespace {

constexpr std::array<int, 5> kPanelWidths = {100, 100, 100, 100, 50};

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

TCommunicationForm::TCommunicationForm(Session& session, std::unique_ptr<SerialPort> port,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      port_(port ? std::move(port) : std::make_unique<SerialPortAdapter>()) {
  setObjectName("CommunicationForm");
  setWindowTitle(QStringLiteral("Communication"));
  auto* root = new QVBoxLayout(this);

  auto* local = new QGroupBox(QStringLiteral(" Local "), this);
  local->setObjectName("LocalGroupBox");
  auto* grid = new QGridLayout(local);
  localBtn_ = new QRadioButton(QStringLiteral("Local"), local);
  localBtn_->setObjectName("LocalBtn");
  remoteBtn_ = new QRadioButton(QStringLiteral("Remote"), this);
  remoteBtn_->setObjectName("RemoteBtn");
  auto* modes = new QButtonGroup(this);
  modes->addButton(localBtn_);
  modes->addButton(remoteBtn_);
  // Neither mode is chosen until the stored settings or the technician choose one.
  modes->setExclusive(false);
  connect(localBtn_, &QRadioButton::clicked, this, &TCommunicationForm::LocalBtnClick);
  connect(remoteBtn_, &QRadioButton::clicked, this, &TCommunicationForm::RemoteBtnClick);

  comPortCombo_ = new QComboBox(local);
  comPortCombo_->setObjectName("ComPortCombo");
  comPortCombo_->setEditable(true);
  comPortCombo_->addItem(QStringLiteral("None"));
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    comPortCombo_->addItem(info.systemLocation());
  comPortCombo_->setMinimumWidth(160);
  connect(comPortCombo_, &QComboBox::activated, this, [this] { OpenPort(); });
  openBtn_ = Button("Open", "OpenBtn", local);
  connect(openBtn_, &QPushButton::clicked, this, &TCommunicationForm::OpenBtnClick);
  closeBtn_ = Button("Close", "CloseBtn", local);
  connect(closeBtn_, &QPushButton::clicked, this, &TCommunicationForm::CloseBtnClick);
  statusLabel_ = new QLabel(local);
  statusLabel_->setObjectName("ComportStatusLabel");
  statusLabel_->setAlignment(Qt::AlignCenter);
  statusLabel_->setMinimumWidth(90);
  statusLabel_->setAutoFillBackground(true);
  statusLabel_->hide();
  showChecksumErrorBtn_ =
      new QCheckBox(QStringLiteral("Show checksum errors (bus conflicts)."), local);
  showChecksumErrorBtn_->setObjectName("ShowChecksumErrorBtn");

  grid->addWidget(localBtn_, 0, 0);
  grid->addWidget(comPortCombo_, 0, 1);
  grid->addWidget(openBtn_, 0, 2);
  grid->addWidget(closeBtn_, 0, 3);
  grid->addWidget(statusLabel_, 1, 1);
  grid->addWidget(showChecksumErrorBtn_, 2, 0, 1, 4);
  root->addWidget(local);

  auto* remote = new QHBoxLayout;
  remote->addWidget(remoteBtn_);
  remote->addStretch(1);
  root->addLayout(remote);

  // Diagnostic requests for the bench, present but never shown.
  const struct {
    const char* caption;
    const char* name;
    std::function<void()> run;
  } diagnostics[] = {
      {"Test Tx", "TestTxBtn",
       [this] {
         const uint8_t payload[] = {'A', 'B', 'C', 'D'};
         session_.Link().QueueRequest(message::kManualControl, frame::kController, payload);
       }},
      {"EEPROM", "EEPROMBtn",
       [this] {
         session_.Link().QueueRequest(message::kMemoryReadRequest, frame::kController,
                                      EncodeMemoryReadRequest(0x1234, 64));
       }},
      {"Seq++", "SeqBtn", [this] { session_.Link().AdvanceSequence(); }},
      {"Flash", "FlashBtn",
       [this] {
         const uint8_t payload[] = {0x01, 0x00};
         session_.Link().QueueRequest(message::kEnterBootLoader, frame::kLastTriggerUnit, payload);
       }},
  };
  for (const auto& diagnostic : diagnostics) {
    QPushButton* button = Button(diagnostic.caption, diagnostic.name, this);
    connect(button, &QPushButton::clicked, this, diagnostic.run);
    button->hide();
  }

  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName("StatusBar");
  statusBar_->setSizeGripEnabled(false);
  for (size_t i = 0; i < panels_.size(); ++i) {
    auto* panel = new QLabel(statusBar_);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setMinimumWidth(kPanelWidths[i]);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar_->addWidget(panel, i + 1 == panels_.size() ? 1 : 0);
    panels_[i] = panel;
  }
  root->addWidget(statusBar_);

  errorForm_ = new TCommunicationErrorForm([this] { session_.Link().ClearChecksumErrors(); }, this);
  port_->SetEngine(&session_.Link());
  session_.SetLinkPort(port_.get());
  session_.Link().AddListener(this);
}

TCommunicationForm::~TCommunicationForm() {
  session_.Link().RemoveListener(this);
  session_.SetLinkPort(nullptr);
}

void TCommunicationForm::ApplyStoredSettings(bool commLocal, const QString& comPort) {
  comPortCombo_->setCurrentText(comPort);
  if (commLocal) SelectMode(true);
}

void TCommunicationForm::SelectMode(bool local) {
  session_.SetLocalMode(local);
  session_.Local().ModeChanged();
  localBtn_->setChecked(local);
  remoteBtn_->setChecked(!local);
  for (QWidget* control : std::initializer_list<QWidget*>{comPortCombo_, openBtn_, closeBtn_,
                                                          statusLabel_, showChecksumErrorBtn_}) {
    control->setEnabled(local);
  }
  if (local) {
    OpenPort();
  } else {
    port_->Close();
  }
  RenderStatus();
}

bool TCommunicationForm::OpenPort() {
  const QString text = comPortCombo_->currentText();
  if (!session_.Local().PrepareOpen(text.toStdString())) {
    if (text == QLatin1String(LocalLink::kNoPort)) port_->Close();
    RenderStatus();
    return false;
  }
  port_->Open(text.toStdString());
  RenderStatus();
  return port_->IsOpen();
}

void TCommunicationForm::CloseBtnClick() {
  port_->Close();
  session_.Local().Closed();
  RenderStatus();
}

void TCommunicationForm::LinkTick() {
  if (session_.Local().Tick(session_.LocalMode(), port_->IsOpen())) OpenPort();
  RenderStatus();
}

void TCommunicationForm::RenderStatus() {
  const LinkStatusLook look = LookOf(session_.Local().Status());
  statusLabel_->setVisible(session_.Local().Status() != LinkStatus::kHidden);
  statusLabel_->setText(QString::fromLatin1(look.text));
  QPalette palette = statusLabel_->palette();
  palette.setColor(QPalette::Window,
                   look.rgb ? QColor::fromRgb(look.rgb) : this->palette().color(QPalette::Button));
  statusLabel_->setPalette(palette);
}

void TCommunicationForm::UpdateCounters() {
  if (!isVisible()) return;
  const auto texts = CounterTexts(session_.Link().Count());
  for (size_t i = 0; i < panels_.size(); ++i) panels_[i]->setText(QString::fromStdString(texts[i]));
}

void TCommunicationForm::ChecksumError() {
  errorForm_->ShowCounts(0, session_.Link().Count().checksumErrors);
  if (showChecksumErrorBtn_->isChecked()) errorForm_->show();
}

void TCommunicationForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vorel
