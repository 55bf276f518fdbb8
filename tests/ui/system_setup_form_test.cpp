// The system setup window by its controls: machines enabling their menu entries,
// the group 0 rule, manual control against the demonstration's controller, page
// change releasing the outputs, the monitor memo, and what closing writes.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "core/image/ImagePacking.h"
#include "io/SimulatedPort.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/supervision/TSystemSetupForm.h"

using namespace vorel;

class SystemSetupFormTest : public QObject {
  Q_OBJECT

 private slots:
  void machineBoxEnablesItsMenuEntryAndTheFileCarriesIt() {
    auto main = test::StartedMain();
    main->findChild<QAction*>("Systemsetup1")->trigger();
    TSystemSetupForm* form = main->SystemSetupWindow();
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QString("System setup"));
    auto* tabs = test::Find<QTabWidget>(form, "PageControl");
    QVERIFY(!tabs->isTabVisible(2));  // "Soap amount alarm"
    QVERIFY(!main->findChild<QAction*>("Machine4Btn")->isEnabled());
    test::Find<QCheckBox>(form, "Machine4Btn")->click();
    QVERIFY(main->findChild<QAction*>("Machine4Btn")->isEnabled());
    QVERIFY(main->CurrentSession().Configuration().MachineData[3].Enabled);
    QVERIFY(main->CurrentSession().SystemFileBytes().find(
                "<Machine4>\r\n      <Enabled>True</Enabled>") != std::string::npos);
    test::SaveScreenshot(form, "system_setup_main");
    tabs->setCurrentIndex(1);
    test::SaveScreenshot(form, "system_setup_alarm");
  }

  void groupZeroRuleBothWays() {
    auto main = test::StartedMain();
    TSystemSetupForm* form = main->SystemSetupWindow();
    form->show();
    auto* logged = test::Find<QCheckBox>(form, "Group0Alarm3Btn");  // Trigger error
    auto* sent = test::Find<QCheckBox>(form, "Group2Alarm3Btn");
    sent->click();
    QVERIFY(logged->isChecked());
    QVERIFY(!logged->isEnabled());
    sent->click();
    QVERIFY(logged->isChecked());
    QVERIFY(logged->isEnabled());
  }

  void manualControlAgainstTheDemonstrationController() {
    test::TestUiScope scope;
    test::TestUi().SetSerialPorts(
        [] { return std::make_unique<SimulatedPort>(SimulatedPort::DemoMemory()); }, true);
    auto main = test::StartedMain();
    QTRY_VERIFY_WITH_TIMEOUT(main->CurrentSession().Link().LinkReady(), 4000);
    TSystemSetupForm* form = main->SystemSetupWindow();
    form->show();
    test::Find<QTabWidget>(form, "PageControl")->setCurrentIndex(3);
    auto* pump2 = test::Find<QPushButton>(form, "PumpOn2Btn");
    pump2->click();
    QVERIFY(test::Find<QCheckBox>(form, "PumpControl2Btn")->isChecked());
    QCOMPARE(main->CurrentSession().Manual().State().pumpOn, 0x02);
    // The controller reports pump 2 running; the button stays down.
    struct Reports : SessionObserver {
      int pump2 = 0;
      void StatusReportReceived(const StatusReport& report) override {
        if (report.SetupPumps() & 0x02) ++pump2;
      }
    } reports;
    const Attachment hearing = main->CurrentSession().Observe(reports);
    QTRY_VERIFY_WITH_TIMEOUT(reports.pump2 > 0, 3000);
    QVERIFY(pump2->isChecked());
    QCOMPARE(pump2->text(), QString("2 ON"));  // not by colour alone
    test::SaveScreenshot(form, "system_setup_test");
    // Another page: every output goes back to the controller.
    test::Find<QTabWidget>(form, "PageControl")->setCurrentIndex(0);
    QCOMPARE(main->CurrentSession().Manual().State(), ManualControlState{});
    QVERIFY(!pump2->isChecked());
  }

  // Over a pseudo-terminal: pump 2 switched by hand runs in vorel-sim's status
  // reports; another page hands it back.
  void pumpByHandRunsInTheSimulator() {
    QProcess sim;
    sim.start(VOREL_SIM_PATH, {"--serial", "4712"});
    QVERIFY(sim.waitForReadyRead(5000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed().mid(19);
    auto main = test::StartedMain();
    struct Reports : SessionObserver {
      uint8_t pumps = 0xFF;
      void StatusReportReceived(const StatusReport& report) override { pumps = report.bytes[6]; }
    } reports;
    main->CurrentSession().AddObserver(&reports);
    test::Find<QComboBox>(main->CommunicationWindow(), "ComPortCombo")->setCurrentText(device);
    main->CommunicationWindow()->LocalBtnClick();
    QTRY_VERIFY_WITH_TIMEOUT(main->CurrentSession().Link().LinkReady(), 4000);

    TSystemSetupForm* form = main->SystemSetupWindow();
    form->show();
    test::Find<QTabWidget>(form, "PageControl")->setCurrentIndex(3);
    auto* pump2 = test::Find<QPushButton>(form, "PumpOn2Btn");
    pump2->click();
    QTRY_COMPARE_WITH_TIMEOUT(reports.pumps, uint8_t{0x02}, 2000);
    QVERIFY(pump2->isChecked());
    test::Find<QTabWidget>(form, "PageControl")->setCurrentIndex(0);
    QTRY_COMPARE_WITH_TIMEOUT(reports.pumps, uint8_t{0x00}, 2000);
    QVERIFY(!pump2->isChecked());
    main->CurrentSession().RemoveObserver(&reports);
    sim.kill();
    sim.waitForFinished();
  }

  void withoutTheSerialLinkNothingIsRecorded() {
    auto main = test::StartedMain();
    TSystemSetupForm* form = main->SystemSetupWindow();
    form->show();
    test::Find<QPushButton>(form, "PumpOn3Btn")->click();
    QVERIFY(!test::Find<QPushButton>(form, "PumpOn3Btn")->isChecked());
    QCOMPARE(main->CurrentSession().Manual().State(), ManualControlState{});
    QVERIFY(!test::Find<QPushButton>(form, "ResetMachineBtn")->isEnabled());
  }

  void closingWritesNameAndFilterAndKeepsTheEdits() {
    auto main = test::StartedMain();
    main->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MainSetup.SystemName = std::string(45, 'N'); });
    TSystemSetupForm* form = main->SystemSetupWindow();
    form->show();
    auto* recipient = test::Find<QLineEdit>(form, "AlarmRecipient5Edit");
    recipient->setText("service@laundry.example");
    emit recipient->textEdited(recipient->text());
    form->close();
    QCOMPARE(TextAtName(main->CurrentSession()), std::string(40, 'N'));
    // The recipient edited in the window stays in the configuration.
    QCOMPARE(main->CurrentSession().Configuration().Alarm.Recipient[4],
             std::string("service@laundry.example"));
    form->show();
    QCOMPARE(recipient->text(), QString("service@laundry.example"));
  }

  void monitorMemoClearedByDelete() {
    auto main = test::StartedMain();
    TSystemSetupForm* form = main->SystemSetupWindow();
    form->show();
    test::Find<QTabWidget>(form, "PageControl")->setCurrentIndex(4);
    auto* memo = test::Find<QPlainTextEdit>(form, "EthernetMieleLogicMemo");
    memo->appendPlainText("line");
    QTest::keyClick(form, Qt::Key_Delete);
    QVERIFY(memo->toPlainText().isEmpty());
  }

 private:
  static std::string TextAtName(Session& session) {
    const auto& bytes = session.Image().image.bytes;
    const auto* start = reinterpret_cast<const char*>(bytes.data() + image::kSystemName);
    return std::string(start, std::find(start, start + image::kSystemNameSize + 1, '\0'));
  }
};

QTEST_MAIN(SystemSetupFormTest)
#include "system_setup_form_test.moc"
