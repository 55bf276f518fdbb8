// The remote side of the communication window against vorel-sim's gateway on
// loopback: connect, log in, pick a system from the list, "Ready" with "Full access"
// and the caption; status polls while the system setup window is open and none once
// it is closed; a rejected login offering Retry. The window's clock is the test's:
// its timer is off and each 100 ms tick is stepped, with the gateway's bytes let in
// between ticks, so the counts do not depend on how fast the machine is.
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <vector>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "core/link/Gateway.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/link/TRemoteLoginForm.h"
#include "ui/supervision/TSystemSetupForm.h"

using namespace vorel;

namespace {

// Fills the remote login window whenever it shows: each login from the list of
// passwords in turn, and in list mode the row asked for.
class LoginAnswers : public QObject {
 public:
  LoginAnswers(TRemoteLoginForm* form, QStringList passwords, int row)
      : form_(form), passwords_(std::move(passwords)), row_(row) {
    connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
    timer_.start(20);
  }
  int logins = 0;
  int lists = 0;

 private:
  void Answer() {
    if (!form_->isVisible()) return;
    auto* user = test::Find<QLineEdit>(form_, "UserNameEdit");
    if (user->isVisible()) {
      user->setText("tech");
      test::Find<QLineEdit>(form_, "PasswordEdit")
          ->setText(passwords_.value(logins, passwords_.last()));
      ++logins;
    } else {
      auto* grid = test::Find<QTableWidget>(form_, "SystemsStringGrid");
      QCOMPARE(grid->rowCount(), 2);
      QCOMPARE(grid->item(1, 2)->text(), QString("Laundry South"));
      grid->setCurrentCell(row_, 0);
      test::SaveScreenshot(form_, "remote_login_list");
      ++lists;
    }
    test::Find<QPushButton>(form_, "OKbtn")->click();
  }

  TRemoteLoginForm* form_;
  QStringList passwords_;
  int row_;
  QTimer timer_;
};

// The main window with its timer off; each tick comes after the socket's events.
struct SteppedGatewayMain {
  test::MainUnderTest main;
  SteppedGatewayMain() {
    test::TestUiScope scope;
    test::TestUi().SetSteppedTicks(true);
    main = test::StartedMain();
  }
  TMainForm* operator->() const { return main.get(); }
  void Ticks(int n) {
    for (int t = 0; t < n; ++t) {
      QCoreApplication::processEvents();
      main->MainTimer100ms();
    }
  }
  // Ticks until `done`, letting the gateway's answers arrive between them; at most
  // `limit` ticks.
  bool Until(const std::function<bool()>& done, int limit) {
    for (int t = 0; t < limit && !done(); ++t) {
      QTest::qWait(5);
      Ticks(1);
    }
    return done();
  }
  // The status polls the tool sent since the last call, by the bytes it sent.
  int PollsSent() {
    std::vector<uint8_t> frame;
    AppendGatewayFrame(frame, GatewayStatusPollMessage());
    const uint32_t sent = main->CurrentSession().Remote().TxBytes();
    const int polls = static_cast<int>((sent - sentBefore) / frame.size());
    sentBefore = sent;
    return polls;
  }
  uint32_t sentBefore = 0;
};

}  // namespace

class RemoteConnectionTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(folder_.isValid());
    WriteText("users.txt", "tech\twash\tA\n");
    WriteText("systems.txt",
              "4200\tLaundry North\t-\t127.0.0.1\n4300\tLaundry South\t-\t10.0.0.9\n");
    sim_.start(VOREL_SIM_PATH,
               {"--gateway", "--port", "0", "--verbose", "--users", folder_.filePath("users.txt"),
                "--systems", folder_.filePath("systems.txt")});
    QVERIFY(sim_.waitForReadyRead(5000));
    const QString line = QString::fromUtf8(sim_.readLine()).trimmed();
    QVERIFY2(line.startsWith("vorel-sim: gateway on "), qPrintable(line));
    address_ = line.mid(QString("vorel-sim: gateway on ").size());
  }
  void cleanup() {
    sim_.kill();
    sim_.waitForFinished();
    served_ = 0;
  }

  void connectLoginPickAndPoll() {
    SteppedGatewayMain main;
    TCommunicationForm* form = main->CommunicationWindow();
    form->show();
    form->RemoteBtnClick();
    test::Find<QComboBox>(form, "GatewayServerAddressCombo")->setCurrentText(address_);
    LoginAnswers answers(form->RemoteLoginWindow(), {"wash"}, 1);
    test::Find<QPushButton>(form, "RemoteConnectBtn")->click();
    auto* state = test::Find<QLabel>(form, "RemoteStateLabel");
    QVERIFY(main.Until([&] { return state->text() == "Ready"; }, 300));
    QCOMPARE(state->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(answers.lists, 1);
    QCOMPARE(test::Find<QLabel>(form, "RemoteAccessLabel")->text(), QString("Full access"));
    QCOMPARE(test::Find<QLabel>(form, "RemoteSystemNameLabel2")->text(),
             QString("4300 / Laundry South"));
    auto* address = test::Find<QLabel>(form, "RemoteSystemIPaddressLabel");
    QVERIFY(main.Until([&] { return address->text() == "10.0.0.9"; }, 100));
    QCOMPARE(test::Find<QPushButton>(form, "RemoteConnectBtn")->text(), QString("Disconnect"));
    QVERIFY(main->windowTitle().endsWith("        System: Laundry South (4300)."));
    QVERIFY(test::Find<QLineEdit>(form->RemoteLoginWindow(), "PasswordEdit")->text().isEmpty());
    test::SaveScreenshot(form, "communication_remote");

    // A poll every 11 ticks (1.1 s) while the system setup window is open, none once
    // it is closed; the gateway serves each one.
    main.PollsSent();
    main->Systemsetup1Click();
    main.Ticks(33);
    QCOMPARE(main.PollsSent(), 3);
    QTRY_COMPARE(PollsServed(), 3);
    main->SystemSetupWindow()->close();
    main.Ticks(33);
    QCOMPARE(main.PollsSent(), 0);

    test::Find<QPushButton>(form, "RemoteConnectBtn")->click();
    QCOMPARE(state->text(), QString("Disconnected"));
    QVERIFY(!main->windowTitle().contains("System:"));
  }

  void rejectedLoginOffersRetry() {
    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgRetry};
    SteppedGatewayMain main;
    TCommunicationForm* form = main->CommunicationWindow();
    form->RemoteBtnClick();
    test::Find<QComboBox>(form, "GatewayServerAddressCombo")->setCurrentText(address_);
    LoginAnswers answers(form->RemoteLoginWindow(), {"wrong", "wash"}, 0);
    test::Find<QPushButton>(form, "RemoteConnectBtn")->click();
    auto* state = test::Find<QLabel>(form, "RemoteStateLabel");
    QVERIFY(main.Until([&] { return state->text() == "Ready"; }, 300));
    QCOMPARE(answers.logins, 2);
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(dialogs.asked[0].text, QString("Invalid user name or password"));
    QCOMPARE(dialogs.asked[0].buttons, unsigned(kMsgRetry | kMsgCancel));
    QVERIFY(main->windowTitle().endsWith("        System: Laundry North (4200)."));
  }

 private:
  void WriteText(const QString& name, const QByteArray& text) {
    QFile file(folder_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  // Status polls the gateway served so far.
  int PollsServed() {
    served_ += QString::fromUtf8(sim_.readAllStandardError()).count("gateway: status poll");
    return served_;
  }

  QTemporaryDir folder_;
  QProcess sim_;
  QString address_;
  int served_ = 0;
};

QTEST_MAIN(RemoteConnectionTest)
#include "remote_connection_test.moc"
