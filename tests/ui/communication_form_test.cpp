// The communication window by its controls: against the controller simulator on a
// pseudo-terminal the link turns "Ready", the counters count, and a silent
// controller turns the label to "Port open" within 2 s.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <csignal>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "io/SimulatedPort.h"
#include "ui/link/TCommunicationErrorForm.h"
#include "ui/link/TCommunicationForm.h"

using namespace vorel;

class CommunicationFormTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsWithoutStoredSettings() {
    auto main = test::StartedMain();
    TCommunicationForm* form = main->CommunicationWindow();
    form->show();
    auto* ports = test::Find<QComboBox>(form, "ComPortCombo");
    QCOMPARE(ports->itemText(0), QString("None"));
    // No stored settings: CommLocal reads false and the remote side is chosen.
    QVERIFY(!test::Find<QRadioButton>(form, "LocalBtn")->isChecked());
    QVERIFY(test::Find<QRadioButton>(form, "RemoteBtn")->isChecked());
    QCOMPARE(test::Find<QPushButton>(form, "RemoteConnectBtn")->text(), QString("Connect"));
    QVERIFY(test::Find<QLabel>(form, "RemoteStateLabel")->isHidden());
    {
      // A port that is not a number is refused, not kept in the host name.
      test::ScriptedDialogs dialogs;
      test::Find<QComboBox>(form, "GatewayServerAddressCombo")->setCurrentText("gw:abc");
      form->RemoteConnectBtnClick();
      QCOMPARE(dialogs.asked.size(), 1);
      QVERIFY(dialogs.asked[0].text.startsWith("Gateway: HOST, HOST:PORT"));
      QVERIFY(!main->CurrentSession().Remote().View().connectShowsDisconnect);
    }
    QVERIFY(!test::Find<QLabel>(form, "RemoteSystemNameLabel1")->isEnabled());
    QVERIFY(test::Find<QLabel>(form, "ComportStatusLabel")->isHidden());
    QVERIFY(test::Find<QPushButton>(form, "SeqBtn")->isHidden());
    QCOMPARE(test::Find<QCheckBox>(form, "ShowChecksumErrorBtn")->text(),
             QString("Show checksum errors (bus conflicts)."));
    QCOMPARE(form->ErrorForm()->windowTitle(), QString("Warning, communication error"));
    // Local with "None": the port stays closed, and the tick says so.
    form->LocalBtnClick();
    main->MainTimer100ms();
    QCOMPARE(test::Find<QLabel>(form, "ComportStatusLabel")->text(), QString("Port closed"));
  }

  void checksumErrorsShownWhenAskedAndResetOnClose() {
    auto main = test::StartedMain();
    TCommunicationForm* form = main->CommunicationWindow();
    form->show();
    // A frame whose length byte is wrong: 30 07 01 02 01 C4 sums to FF but has 6 bytes.
    const std::vector<uint8_t> bad = {0x02, 0x30, 0x07, 0x01, 0x10, 0x22, 0x01, 0xC4, 0x03};
    main->CurrentSession().ReceiveSerial(bad);
    QVERIFY(!form->ErrorForm()->isVisible());
    test::Find<QCheckBox>(form, "ShowChecksumErrorBtn")->setChecked(true);
    main->CurrentSession().ReceiveSerial(bad);
    QVERIFY(form->ErrorForm()->isVisible());
    QCOMPARE(test::Find<QLabel>(form->ErrorForm(), "ChecksumErrorCountLabel")->text(),
             QString("2"));
    form->ErrorForm()->close();
    QCOMPARE(main->CurrentSession().Link().Count().checksumErrors, 0u);
    // Escape on the error window is its Close too: the counts start again.
    main->CurrentSession().ReceiveSerial(bad);
    QVERIFY(form->ErrorForm()->isVisible());
    QTest::keyClick(form->ErrorForm(), Qt::Key_Escape);
    QVERIFY(!form->ErrorForm()->isVisible());
    QCOMPARE(main->CurrentSession().Link().Count().checksumErrors, 0u);
    QCOMPARE(test::Find<QLabel>(form->ErrorForm(), "ChecksumErrorCountLabel")->text(),
             QString("0"));
    // Escape closes the communication window.
    QTest::keyClick(form, Qt::Key_Escape);
    QVERIFY(!form->isVisible());
  }

  void demonstrationHasALiveControllerAtOnce() {
    test::TestUiScope scope;
    test::TestUi().SetSerialPorts(
        [] { return std::make_unique<SimulatedPort>(SimulatedPort::DemoMemory()); }, true);
    auto main = test::StartedMain();
    QVERIFY(main->windowTitle().endsWith(",  Demonstration: simulated controller"));
    auto* label = test::Find<QLabel>(main->CommunicationWindow(), "ComportStatusLabel");
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString("Ready"), 4000);
    QVERIFY(test::Find<QRadioButton>(main->CommunicationWindow(), "LocalBtn")->isChecked());
    QVERIFY(main->CurrentSession().Link().Count().syncs <= 1);
  }

  void linkAgainstTheSimulator() {
    QProcess sim;
    sim.start(VOREL_SIM_PATH, {"--serial", "4711"});
    QVERIFY(sim.waitForReadyRead(5000));
    const QString line = QString::fromUtf8(sim.readLine()).trimmed();
    QVERIFY2(line.startsWith("vorel-sim: serving "), qPrintable(line));
    const QString device = line.mid(QString("vorel-sim: serving ").size());

    auto main = test::StartedMain();
    TCommunicationForm* form = main->CommunicationWindow();
    form->show();
    test::Find<QComboBox>(form, "ComPortCombo")->setCurrentText(device);
    form->LocalBtnClick();  // opens once the start-up delay has run out
    auto* label = test::Find<QLabel>(form, "ComportStatusLabel");
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString("Ready"), 4000);
    QCOMPARE(label->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));
    QVERIFY(main->CurrentSession().Link().LinkReady());
    // The counters count, shown once a second.
    QTRY_VERIFY_WITH_TIMEOUT(test::Find<QLabel>(form, "StatusPanel0")->text() != "Rx:      0" &&
                                 test::Find<QLabel>(form, "StatusPanel0")->text().startsWith("Rx:"),
                             3000);
    QVERIFY(main->CurrentSession().Link().Count().rxBytes > 0);
    QVERIFY(main->CurrentSession().Link().Count().txBytes > 0);
    test::SaveScreenshot(form, "communication_form");

    ::kill(static_cast<pid_t>(sim.processId()), SIGSTOP);
    // 2 s without a frame, plus room for a busy machine's timer.
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString("Port open"), 3500);
    QVERIFY(!main->CurrentSession().Link().LinkReady());
    test::Find<QPushButton>(form, "CloseBtn")->click();
    QCOMPARE(label->text(), QString("Closed"));
    sim.kill();
    sim.waitForFinished();
  }
};

QTEST_MAIN(CommunicationFormTest)
#include "communication_form_test.moc"
