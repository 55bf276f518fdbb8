// The logs of a controller end to end against vorel-sim on a pseudo-terminal: its
// memory seeded with eight months of consumption and a few alarms is read through
// the read/write window, the log windows show it, and "Reset log" clears the
// controller's log and shows "Reset done".
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "core/base/Bytes.h"
#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"
#include "ui/image/TEEPROMForm.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/logs/TAlarmLogForm.h"
#include "ui/logs/TLogDataForm.h"

using namespace vorel;

namespace {

// A packed system whose consumption log holds January to August 2012 for four
// machines and whose alarm history holds three alarms.
QByteArray SeededMemory() {
  Session packer;
  packer.EditConfiguration(
      [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Seeded laundry"; });
  packer.PackImage({2012, 9, 1, 8, 0, 0, 5});
  ControllerImage image = packer.Image().image;
  const size_t log = ConsumptionLogOffset(image);
  for (int month = 1; month <= 8; ++month) {
    const size_t record = log + (month - 1) * consumption::kRecordSize;
    image.bytes[record + consumption::kYear] = 12;
    image.bytes[record + consumption::kMonth] = static_cast<uint8_t>(month);
    for (int machine = 0; machine < 4; ++machine) {
      const size_t counters = record + consumption::kMachines + machine * consumption::kMachineSize;
      for (size_t c = 0; c < consumption::kCounters; ++c)
        bytes::StoreLe16(image.bytes, counters + 2 * c,
                         static_cast<uint16_t>(20 + 37 * month + 11 * machine + 53 * c));
    }
  }
  const size_t alarms = AlarmLogOffset(image);
  image.bytes[alarms + alarms::kStateFlags] = 0x01;                // pressure alarm now
  const uint8_t history[3][5] = {{0x31, 0x0C, 0x0A, 0x03, 0x1C},   // low level pump 3
                                 {0x23, 0x4C, 0x20, 0x04, 0x2C},   // trigger error machine 2
                                 {0x02, 0x8C, 0x00, 0x05, 0x38}};  // pressure alarm
  for (int slot = 0; slot < 3; ++slot)
    std::copy_n(history[slot], 5, image.bytes.begin() + alarms + alarms::kHistory + 5 * slot);
  return QByteArray(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
}

}  // namespace

class ControllerLogsTest : public QObject {
  Q_OBJECT

 private slots:
  void readShowAndResetTheControllersLog() {
    QTemporaryDir folder;
    qputenv("VOREL_BACKUP_DIR", folder.filePath("backups").toUtf8());
    QFile seeded(folder.filePath("seeded.bin"));
    QVERIFY(seeded.open(QIODevice::WriteOnly));
    seeded.write(SeededMemory());
    seeded.close();
    QProcess sim;
    sim.start(VOREL_SIM_PATH,
              {"--system", seeded.fileName(), "--save", folder.filePath("memory.bin")});
    QVERIFY(sim.waitForReadyRead(5000));
    const QString device =
        QString::fromUtf8(sim.readLine()).trimmed().mid(QString("vorel-sim: serving ").size());

    auto main = test::StartedMain();
    test::Find<QComboBox>(main->CommunicationWindow(), "ComPortCombo")->setCurrentText(device);
    main->CommunicationWindow()->LocalBtnClick();
    QTRY_VERIFY_WITH_TIMEOUT(main->CurrentSession().LinkReady(), 4000);

    main->ReadWriteWindow()->show();
    test::Find<QPushButton>(main->ReadWriteWindow(), "ReadBtn")->click();
    QTRY_COMPARE_WITH_TIMEOUT(test::Find<QLabel>(main->ReadWriteWindow(), "StatusPanel2")->text(),
                              QString("Read completed"), 15000);
    main->ReadWriteWindow()->close();

    TLogDataForm* logData = main->LogDataWindow();
    logData->show();
    QCOMPARE(test::Find<QComboBox>(logData, "FromComboBox")->count(), 8);
    test::Find<QComboBox>(logData, "FromComboBox")->setCurrentIndex(0);
    QTest::qWait(200);  // the charts lay out their axes
    test::SaveScreenshot(logData, "log_data_seeded");
    TAlarmLogForm* alarms = main->AlarmLogWindow();
    alarms->show();
    test::SaveScreenshot(alarms, "alarm_log_seeded");
    alarms->close();

    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgYes};
    test::Find<QPushButton>(logData, "ResetLogBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(test::Find<QLabel>(logData, "ResetLogDoneLabel")->isVisible(), 5000);
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(dialogs.asked[0].text, QString("Reset all log data\n\nAre you sure?"));
    QVERIFY(test::Find<QLabel>(logData, "NoLogDataAvailableLabel")->isVisible());

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QFile saved(folder.filePath("memory.bin"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray memory = saved.readAll();
    QCOMPARE(memory.size(), 32768);
    const QByteArray log = memory.mid(image::kDataLog, image::kDataLogSize);
    QVERIFY2(log.count('\0') == log.size(), "the controller's consumption log is cleared");
    QVERIFY(SeededMemory().mid(image::kDataLog, image::kDataLogSize).count('\0') < log.size());
  }
};

QTEST_MAIN(ControllerLogsTest)
#include "controller_logs_test.moc"
