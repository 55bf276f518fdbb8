// The pump calibration dialog from a machine window against vorel-sim on a
// pseudo-terminal: the pump runs in the simulated controller for the test time, the
// machine output 1.5 s longer, and the measured volume becomes the new calibration.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/machine/TCalibrationForm.h"
#include "ui/machine/TMachineForm.h"

using namespace vorel;

class CalibrationFormTest : public QObject {
  Q_OBJECT

 private slots:
  void pumpRunsInTheControllerForTheTestTime() {
    QProcess sim;
    sim.start(VOREL_SIM_PATH, {"--serial", "4711", "--verbose"});
    QVERIFY(sim.waitForReadyRead(5000));
    const QString device =
        QString::fromUtf8(sim.readLine()).trimmed().mid(QString("vorel-sim: serving ").size());

    auto main = test::StartedMain();
    test::Find<QComboBox>(main->CommunicationWindow(), "ComPortCombo")->setCurrentText(device);
    main->CommunicationWindow()->LocalBtnClick();
    QTRY_VERIFY_WITH_TIMEOUT(main->CurrentSession().LinkReady(), 4000);

    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    TCalibrationForm* dialog = main->CalibrationWindow();
    bool started = false;
    QTimer driver;
    connect(&driver, &QTimer::timeout, [&] {
      if (!dialog->isVisible()) return;
      if (!started) {
        QCOMPARE(dialog->windowTitle(), QString("Pump 3 calibration"));
        QCOMPARE(test::Find<QLineEdit>(dialog, "MeassuredVolumeEdit")->text(), QString("30"));
        test::Find<QLineEdit>(dialog, "CurrentCalibrationEdit")->setText("2");
        QTest::keyClick(dialog, Qt::Key_F2);
        started = true;
        QVERIFY(test::Find<QLabel>(dialog, "TestRunningLabel")->isVisible());
        test::SaveScreenshot(dialog, "calibration_running");
      } else if (test::Find<QLabel>(dialog, "HintLabel")->isVisible()) {
        test::Find<QLineEdit>(dialog, "NewCalibrationEdit")->setText("45");
        test::Find<QPushButton>(dialog, "OKBtn")->click();
      }
    });
    driver.start(50);
    machine->CalibrationTestBtnClick(3);
    driver.stop();
    // 2 s and 45 ml: 4 s per 100 ml, 1500 ml per 60 s.
    QCOMPARE(test::Find<QLineEdit>(machine, "Calibration3Edit")->text(), QString("1500"));
    QTRY_VERIFY_WITH_TIMEOUT(!main->CurrentSession().Calibration().Running(), 4000);
    QTest::qWait(300);  // the last poll answer reaches the controller

    // "manual control at MS ms: pumps ON/CONTROL outputs ON/CONTROL"
    const QRegularExpression line(
        "manual control at (\\d+) ms: pumps (\\w+)/(\\w+) outputs (\\w+)/(\\w+)");
    long pumpOn = -1, pumpOff = -1, machineOff = -1;
    auto it = line.globalMatch(QString::fromUtf8(sim.readAllStandardError()));
    while (it.hasNext()) {
      const auto m = it.next();
      const long at = m.captured(1).toLong();
      if (pumpOn < 0 && m.captured(2) == "04" && m.captured(3) == "04" && m.captured(4) == "0001")
        pumpOn = at;
      else if (pumpOn >= 0 && pumpOff < 0 && m.captured(2) == "00" && m.captured(4) == "0001")
        pumpOff = at;
      else if (pumpOff >= 0 && m.captured(4) == "0000" && m.captured(5) == "0000")
        machineOff = at;
    }
    QVERIFY2(pumpOn >= 0 && pumpOff >= 0 && machineOff >= 0, "the controller saw the test");
    QVERIFY2(pumpOff - pumpOn >= 1800 && pumpOff - pumpOn <= 2600,
             "the pump ran for the test time");
    QVERIFY2(machineOff - pumpOff >= 1200 && machineOff - pumpOff <= 2000,
             "the machine output ran 1.5 s longer");
    sim.kill();
    sim.waitForFinished();
  }
};

QTEST_MAIN(CalibrationFormTest)
#include "calibration_form_test.moc"
