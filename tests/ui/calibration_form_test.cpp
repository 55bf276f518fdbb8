// The pump calibration dialog from a machine window, on stepped ticks against a
// simulated controller: the pump runs in the controller for the test time, the
// machine output 1.5 s longer, and the measured volume becomes the new calibration;
// what the dialog refuses (a test time outside 15..60 s, no volume, a result the
// controller cannot store, a test over the gateway).
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cstdlib>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/machine/TCalibrationForm.h"
#include "ui/machine/TMachineForm.h"

using namespace vorel;

namespace {

ControllerImage Memory() {
  Session packer;
  packer.EditConfiguration([&](SystemConfiguration& c) { c.MachineData[0].Enabled = true; });
  packer.PackImage(test::TestUi().Now());
  return packer.Image().image;
}

QLabel* Said(TCalibrationForm* dialog) {
  return test::Find<QLabel>(dialog, "TestStoppedLabel");
}

}  // namespace

class CalibrationFormTest : public QObject {
  Q_OBJECT

 private slots:
  void pumpRunsInTheControllerForTheTestTime() {
    test::SteppedMain stepped(Memory());
    TMachineForm* machine = stepped->MachineWindow(0);
    machine->show();
    TCalibrationForm* dialog = stepped->CalibrationWindow();
    // Ticks at which the controller saw the pump go on and off, and the machine off.
    int pumpOn = -1, pumpOff = -1, machineOff = -1;
    QTimer::singleShot(0, dialog, [&] {
      QCOMPARE(dialog->windowTitle(), QString("Pump 3 calibration"));
      QCOMPARE(test::Find<QLineEdit>(dialog, "MeassuredVolumeEdit")->text(), QString("30"));
      test::Find<QLineEdit>(dialog, "CurrentCalibrationEdit")->setText("15");
      QTest::keyClick(dialog, Qt::Key_F2);
      QVERIFY(test::Find<QLabel>(dialog, "TestRunningLabel")->isVisible());
      test::SaveScreenshot(dialog, "calibration_running");
      for (int tick = 1; tick <= 200; ++tick) {
        stepped.Ticks(1);
        const ManualControlState& seen = stepped.first.ManualControl();
        const bool pump = (seen.pumpOn & seen.pumpControl & 0x04) != 0;
        if (pumpOn < 0 && pump && (seen.onWord & 0x0001)) pumpOn = tick;
        if (pumpOn >= 0 && pumpOff < 0 && !pump) pumpOff = tick;
        if (pumpOff >= 0 && machineOff < 0 && seen.controlWord == 0) machineOff = tick;
      }
      QVERIFY(test::Find<QLabel>(dialog, "HintLabel")->isVisible());
      test::Find<QLineEdit>(dialog, "NewCalibrationEdit")->setText("45");
      test::Find<QPushButton>(dialog, "OKBtn")->click();
    });
    machine->CalibrationTestBtnClick(3);
    // 15 s and 45 ml: 33 s per 100 ml, 182 ml per 60 s.
    QCOMPARE(test::Find<QLineEdit>(machine, "Calibration3Edit")->text(), QString("182"));
    QVERIFY2(pumpOn >= 0 && pumpOff >= 0 && machineOff >= 0, "the controller saw the test");
    QVERIFY2(std::abs(pumpOff - pumpOn - 150) <= 2, "the pump ran for the test time");
    QVERIFY2(std::abs(machineOff - pumpOff - 15) <= 2, "the machine output ran 1.5 s longer");
    QCOMPARE(stepped.first.ManualControl(), ManualControlState{});
  }

  void whatTheDialogRefuses() {
    test::SteppedMain stepped(Memory());
    TMachineForm* machine = stepped->MachineWindow(0);
    machine->show();
    TCalibrationForm* dialog = stepped->CalibrationWindow();
    auto* time = test::Find<QLineEdit>(dialog, "CurrentCalibrationEdit");
    auto* volume = test::Find<QLineEdit>(dialog, "NewCalibrationEdit");
    QTimer::singleShot(0, dialog, [&] {
      // A test time outside the hint starts nothing (times ten it once overflowed).
      for (const char* refused : {"10", "61", "214748365"}) {
        time->setText(refused);
        QTest::keyClick(dialog, Qt::Key_F2);
        QVERIFY2(!stepped->CurrentSession().Calibration().Running(), refused);
        QCOMPARE(Said(dialog)->text(), QString("The test time is 15..60 s."));
      }
      // Enter in the test time edit with no volume typed takes nothing.
      time->setText("60");
      time->setFocus();
      QTest::keyClick(time, Qt::Key_Return);
      QVERIFY(dialog->isVisible());
      QCOMPARE(Said(dialog)->text(), QString("Type the volume the pump delivered first."));
      // 20 ml in 60 s is 20 ml/min, below what the controller stores.
      volume->setText("20");
      test::Find<QPushButton>(dialog, "OKBtn")->click();
      QVERIFY(dialog->isVisible());
      QVERIFY(Said(dialog)->text().startsWith("20 ml in 60 s is no calibration"));
      test::SaveScreenshot(dialog, "calibration_refused");
      // Over the gateway no test can run.
      stepped->CommunicationWindow()->RemoteBtnClick();
      QTest::keyClick(dialog, Qt::Key_F2);
      QVERIFY(!stepped->CurrentSession().Calibration().Running());
      QVERIFY(Said(dialog)->text().contains("serial link only"));
      test::Find<QPushButton>(dialog, "CancelBtn")->click();
    });
    test::Find<QLineEdit>(machine, "Calibration3Edit")->setText("30");
    machine->CalibrationTestBtnClick(3);
    QCOMPARE(test::Find<QLineEdit>(machine, "Calibration3Edit")->text(), QString("30"));
  }
};

QTEST_MAIN(CalibrationFormTest)
#include "calibration_form_test.moc"
