// The communication window.
#include "ui/link/TCommunicationForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/link/GatewayAddress.h"
#include "io/AnsiQt.h"
#include "io/QtPortSource.h"
#include "ui/common/Accessibility.h"
#include "ui/common/StatusPanels.h"
#include "ui/link/TCommunicationErrorForm.h"
#include "ui/link/TRemoteLoginForm.h"

namespace vorel {

namespace {

constexpr std::array<int, 5> kPanelWidths = {100, 100, 100, 100, 50};

constexpr const char* kLoopback = "127.0.0.1";
constexpr int kRescanMs = 3000;

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QLabel* Label(const char* name, QWidget* parent, const char* text = "") {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

void Paint(QLabel* label, uint32_t rgb, const QWidget* window) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window,
                   rgb ? QColor::fromRgb(rgb) : window->palette().color(QPalette::Button));
  label->setPalette(palette);
}

}  // namespace

TCommunicationForm::TCommunicationForm(Session& session, UiEnvironment& env, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), env_(env) {
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
  comPortCombo_->setMinimumWidth(160);
  connect(comPortCombo_, &QComboBox::activated, this, [this] { OpenPort(); });
  // The session opens the named port when the start-up delay ends.
  connect(comPortCombo_, &QComboBox::currentTextChanged, this,
          [this](const QString& text) { session_.SetPortName(text.toStdString()); });
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
  searchPortsBtn_ = Button("Search", "SearchPortsBtn", local);
  searchPortsBtn_->setToolTip(QStringLiteral("Look again for adapters that are free to open"));
  connect(searchPortsBtn_, &QPushButton::clicked, this,
          [this] { SearchPorts(PortSearch::Kind::kSearch); });
  grid->addWidget(statusLabel_, 1, 1);
  grid->addWidget(searchPortsBtn_, 1, 2);
  grid->addWidget(showChecksumErrorBtn_, 2, 0, 1, 4);
  root->addWidget(local);

  auto* remote = new QGroupBox(QStringLiteral(" Remote "), this);
  remote->setObjectName("RemoteGroupBox");
  auto* remoteGrid = new QGridLayout(remote);
  remoteBtn_->setParent(remote);
  gatewayServerCombo_ = new QComboBox(remote);
  gatewayServerCombo_->setObjectName("GatewayServerAddressCombo");
  gatewayServerCombo_->setEditable(true);
  gatewayServerCombo_->addItem(QString::fromLatin1(kLoopback));
  gatewayServerCombo_->setMinimumWidth(160);
  remoteConnectBtn_ = Button("Connect", "RemoteConnectBtn", remote);
  PlainCaption(remoteConnectBtn_);  // Connect or Disconnect
  connect(remoteConnectBtn_, &QPushButton::clicked, this,
          &TCommunicationForm::RemoteConnectBtnClick);
  remoteStateLabel_ = Label("RemoteStateLabel", remote);
  remoteStateLabel_->setAlignment(Qt::AlignCenter);
  remoteStateLabel_->setMinimumWidth(90);
  remoteStateLabel_->setAutoFillBackground(true);
  remoteNameLabel1_ = Label("RemoteSystemNameLabel1", remote, "Name:");
  remoteNameLabel2_ = Label("RemoteSystemNameLabel2", remote);
  remoteAddressLabel_ = Label("RemoteSystemIPaddressLabel", remote);
  remoteAccessLabel_ = Label("RemoteAccessLabel", remote);
  QFont bold = remoteAccessLabel_->font();
  bold.setBold(true);
  remoteAccessLabel_->setFont(bold);
  remoteGrid->addWidget(remoteBtn_, 0, 0);
  remoteGrid->addWidget(Label("GatewayServerLabel", remote, "Gateway:"), 0, 1, Qt::AlignRight);
  remoteGrid->addWidget(gatewayServerCombo_, 0, 2);
  remoteGrid->addWidget(remoteConnectBtn_, 0, 3);
  remoteGrid->addWidget(remoteStateLabel_, 1, 2);
  remoteGrid->addWidget(remoteAccessLabel_, 1, 3);
  remoteGrid->addWidget(remoteNameLabel1_, 2, 1, Qt::AlignRight);
  remoteGrid->addWidget(remoteNameLabel2_, 2, 2, 1, 2);
  remoteGrid->addWidget(remoteAddressLabel_, 3, 2, 1, 2);
  root->addWidget(remote);
  // Tab reads the window from the top: the Remote choice was made with Local's.
  QWidget* const tabs[] = {localBtn_,  comPortCombo_,       openBtn_,
                           closeBtn_,  searchPortsBtn_,     showChecksumErrorBtn_,
                           remoteBtn_, gatewayServerCombo_, remoteConnectBtn_};
  for (size_t i = 1; i < std::size(tabs); ++i) QWidget::setTabOrder(tabs[i - 1], tabs[i]);

  // Diagnostic requests for the bench, present but never shown.
  const struct {
    const char* caption;
    const char* name;
    std::function<void()> run;
  } diagnostics[] = {
      {"Test Tx", "TestTxBtn",
       [this] {
         const uint8_t payload[] = {'A', 'B', 'C', 'D'};
         session_.QueueRequest(message::kManualControl, frame::kController, payload);
       }},
      {"EEPROM", "EEPROMBtn",
       [this] {
         session_.QueueRequest(message::kMemoryReadRequest, frame::kController,
                               EncodeMemoryReadRequest(0x1234, 64));
       }},
      {"Seq++", "SeqBtn", [this] { session_.AdvanceSequence(); }},
      {"Flash", "FlashBtn",
       [this] {
         const uint8_t payload[] = {0x01, 0x00};
         session_.QueueRequest(message::kEnterBootLoader, frame::kLastTriggerUnit, payload);
       }},
  };
  for (const auto& diagnostic : diagnostics) {
    QPushButton* button = Button(diagnostic.caption, diagnostic.name, this);
    connect(button, &QPushButton::clicked, this, diagnostic.run);
    button->hide();
  }

  statusBar_ = MakeStatusPanels(this, kPanelWidths, panels_);
  root->addWidget(statusBar_);

  errorForm_ = new TCommunicationErrorForm([this] { session_.ClearChecksumErrors(); }, this);

  remoteLoginForm_ = new TRemoteLoginForm(this);
  prompts_ = std::make_unique<RemoteLoginPrompts>(*remoteLoginForm_, env_);
  promptsAttachment_ = session_.AttachRemotePrompts(*prompts_);
  // The adapters are looked for off the GUI thread: a search that tries each free one
  // at once and on the Search button, and every few seconds while the window is
  // shown a rescan of the system's list that opens nothing, so a plugged adapter
  // appears by itself and the port in use stays listed.
  std::shared_ptr<PortSource> ports = env_.Ports();
  if (!ports) ports = std::make_shared<QtPortSource>();
  portSearch_ = new PortSearch(std::move(ports), this);
  rescan_ = new QTimer(this);
  rescan_->setInterval(kRescanMs);
  connect(rescan_, &QTimer::timeout, this, [this] {
    if (isVisible()) SearchPorts(PortSearch::Kind::kRescan);
  });
  rescan_->start();
  SearchPorts(PortSearch::Kind::kSearch);
  observing_ = session_.Observe(*this);
  RenderRemote();
}

TCommunicationForm::~TCommunicationForm() = default;

void TCommunicationForm::ShowSocketError(const QString& text) {
  QTimer::singleShot(0, this,
                     [this, text] { env_.ShowLoggedMessage(this, text, MsgType::Error, kMsgOk); });
}

void TCommunicationForm::LinkStateChanged() {
  RenderStatus();
  RenderRemote();
}

void TCommunicationForm::ApplyStoredSettings(bool commLocal, const QString& comPort,
                                             const QString& gatewayServer) {
  comPortCombo_->setCurrentText(comPort);
  if (!gatewayServer.isEmpty()) {
    if (gatewayServerCombo_->findText(gatewayServer) < 0)
      gatewayServerCombo_->insertItem(0, gatewayServer);
    gatewayServerCombo_->setCurrentText(gatewayServer);
  }
  SelectMode(commLocal);
}

void TCommunicationForm::SelectMode(bool local) {
  session_.SetPortName(comPortCombo_->currentText().toStdString());
  session_.SelectMode(local);
  localBtn_->setChecked(local);
  remoteBtn_->setChecked(!local);
  for (QWidget* control :
       std::initializer_list<QWidget*>{comPortCombo_, openBtn_, closeBtn_, searchPortsBtn_,
                                       statusLabel_, showChecksumErrorBtn_}) {
    control->setEnabled(local);
  }
  for (QWidget* control : std::initializer_list<QWidget*>{gatewayServerCombo_, remoteConnectBtn_})
    control->setEnabled(!local);
  RenderStatus();
}

bool TCommunicationForm::OpenPort() {
  const QString text = comPortCombo_->currentText();
  const bool open = session_.OpenPort(text.toStdString());
  RenderStatus();
  if (session_.Local().StartupDelay() > 0 || text == QLatin1String(LocalLink::kNoPort))
    return false;
  if (!open && text != advisedDevice_) {
    // A port the technician may not use: say how to get the right, once per port.
    const QString advice = PermissionAdvice(text);
    if (!advice.isEmpty()) {
      advisedDevice_ = text;
      env_.ShowLoggedMessage(this, advice, MsgType::Error, kMsgOk);
    }
  }
  return open;
}

void TCommunicationForm::SearchPorts(PortSearch::Kind kind) {
  portSearch_->Start(kind, session_.OpenedPort(),
                     [this](std::vector<PortCandidate> ports) { SetPortList(ports); });
}

void TCommunicationForm::SetPortList(const std::vector<PortCandidate>& ports) {
  const QString text = comPortCombo_->currentText();
  QStringList names = {QString::fromLatin1(LocalLink::kNoPort)};
  for (const PortCandidate& port : ports) names << QString::fromStdString(port.name);
  QStringList shown;
  for (int i = 0; i < comPortCombo_->count(); ++i) shown << comPortCombo_->itemText(i);
  if (names == shown) return;
  const QSignalBlocker quiet(comPortCombo_);
  comPortCombo_->clear();
  comPortCombo_->addItems(names);
  comPortCombo_->setCurrentText(text);
}

void TCommunicationForm::CloseBtnClick() {
  session_.ClosePort();
  RenderStatus();
}

void TCommunicationForm::RemoteConnectBtnClick() {
  // Connected, the button disconnects: the address does not matter.
  if (session_.Remote().View().connectShowsDisconnect) {
    session_.GatewayConnectClick({}, gateway::kPort);
    RenderRemote();
    return;
  }
  const std::optional<GatewayAddress> address =
      ParseGatewayAddress(gatewayServerCombo_->currentText().toStdString());
  if (!address) {
    env_.ShowLoggedMessage(
        this, QStringLiteral("Gateway: %1.").arg(QString::fromLatin1(kGatewayAddressForms)),
        MsgType::Error, kMsgOk);
    return;
  }
  session_.GatewayConnectClick(address->host, address->port);
  RenderRemote();
}

void TCommunicationForm::RenderStatus() {
  const LinkStatusLook look = LookOf(session_.Local().Status());
  statusLabel_->setVisible(session_.Local().Status() != LinkStatus::kHidden);
  statusLabel_->setText(QString::fromLatin1(look.text));
  Paint(statusLabel_, look.rgb, this);
}

void TCommunicationForm::RenderRemote() {
  const RemoteView& view = session_.Remote().View();
  const LinkStatusLook look = LookOf(view.state);
  remoteStateLabel_->setText(QString::fromLatin1(look.text));
  Paint(remoteStateLabel_, look.rgb, this);
  remoteStateLabel_->setVisible(view.stateVisible);
  remoteAccessLabel_->setText(QString::fromStdString(view.accessText));
  remoteAccessLabel_->setVisible(view.accessVisible);
  remoteAddressLabel_->setText(Ansi::toQString(view.address));
  remoteAddressLabel_->setVisible(view.addressVisible);
  remoteNameLabel1_->setEnabled(view.nameEnabled);
  remoteNameLabel2_->setText(Ansi::toQString(view.nameText));
  remoteNameLabel2_->setVisible(view.nameVisible);
  remoteConnectBtn_->setText(view.connectShowsDisconnect ? QStringLiteral("Disconnect")
                                                         : QStringLiteral("Connect"));
}

void TCommunicationForm::UpdateCounters() {
  if (!isVisible()) return;
  LinkEngine::Counters counters = session_.Link().Count();
  // Over the gateway the same panels count the socket's bytes.
  counters.rxBytes += session_.Remote().RxBytes();
  counters.txBytes += session_.Remote().TxBytes();
  const auto texts = CounterTexts(counters);
  for (size_t i = 0; i < panels_.size(); ++i) panels_[i]->setText(QString::fromStdString(texts[i]));
}

void TCommunicationForm::ChecksumErrorCounted() {
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
