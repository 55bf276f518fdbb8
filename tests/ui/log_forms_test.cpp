// The consumption log and alarm log windows by their controls: month lists and
// totals in the PC's locale, the greyed zeros, the CSV export, both alarm views, a
// reset refused without a link and a reset confirmed by the demonstration's controller.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"
#include "io/SimulatedPort.h"
#include "ui/logs/TAlarmLogForm.h"
#include "ui/logs/TLogDataForm.h"

using namespace vorel;

namespace {

// Counter `counter` of machine `machineIndex` in month record `slot`.
void PutCounter(ControllerImage& image, int slot, int year, int month, int machineIndex,
                int counter, uint16_t value) {
  const size_t record = ConsumptionLogOffset(image) + slot * consumption::kRecordSize;
  image.bytes[record + consumption::kYear] = static_cast<uint8_t>(year - 2000);
  image.bytes[record + consumption::kMonth] = static_cast<uint8_t>(month);
  image.SetU16(
      record + consumption::kMachines + machineIndex * consumption::kMachineSize + counter * 2,
      value);
}

// Records for November 2011 and February 2012 only.
void PutNovemberAndFebruary(ControllerImage& image) {
  PutCounter(image, 0, 2011, 11, 0, consumption::kFirstPump, 100);
  PutCounter(image, 0, 2011, 11, 0, consumption::kFirstProgram, 4);
  PutCounter(image, 0, 2011, 11, 2, consumption::kFirstPump, 1000);
  PutCounter(image, 0, 2011, 11, 2, consumption::kFirstProgram + 1, 3);
  for (int m = 0; m < 4; ++m) PutCounter(image, 0, 2011, 11, m, consumption::kFirstPump + 6, 60000);
  PutCounter(image, 5, 2012, 2, 0, consumption::kFirstPump, 200);
  PutCounter(image, 5, 2012, 2, 0, consumption::kNoProgram, 2);
  PutCounter(image, 5, 2012, 2, 0, consumption::kSoftener, 1);
  PutCounter(image, 5, 2012, 2, 2, consumption::kFirstPump, 400);
}

void PutAlarm(ControllerImage& image, int slot, int kind, int number, int year, int month, int day,
              int hour, int minute, int triggerType = 0) {
  const size_t at = AlarmLogOffset(image) + alarms::kHistory + slot * alarms::kSlotSize;
  image.bytes[at] = static_cast<uint8_t>(kind | number << 4);
  image.SetU32(at + alarms::kStamp, static_cast<uint32_t>(year - 2000) | day << 6 |
                                        triggerType << 11 | month << 16 | hour << 20 |
                                        static_cast<uint32_t>(minute) << 26);
}

// A pressure alarm and pump 2's low level active; two alarms in slots 0 and 5.
// The session as after a read of a controller whose memory is a new system's with
// `put` applied (its logs).
void TakeRead(Session& session, const std::function<void(ControllerImage&)>& put) {
  Session packer;
  packer.NewSystem(test::TestUi().Now());
  ControllerImage image = packer.Image().image;
  put(image);
  session.TakeImage(image.bytes);
}

void PutAlarms(ControllerImage& image) {
  const size_t log = AlarmLogOffset(image);
  image.bytes[log + alarms::kStateFlags] = 0x01;
  image.bytes[log + alarms::kLowLevelPumps] = 0x02;
  PutAlarm(image, 0, 1, 3, 2012, 3, 5, 14, 7);
  PutAlarm(image, 5, 3, 2, 2012, 3, 6, 9, 30, /*triggerType=*/4);
}

QString Text(QWidget* form, const char* name) {
  return test::Find<QLabel>(form, name)->text();
}

}  // namespace

class LogFormsTest : public QObject {
  Q_OBJECT

 private slots:
  void periodTotalsInTheLocale() {
    const QLocale locale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([&locale] { QLocale::setDefault(locale); });
    Session session;
    TakeRead(session, PutNovemberAndFebruary);
    const ControllerImage before = session.Image().image;
    TLogDataForm form(session, test::TestUi(), {});
    form.show();

    auto* from = test::Find<QComboBox>(&form, "FromComboBox");
    auto* to = test::Find<QComboBox>(&form, "ToComboBox");
    auto* machine = test::Find<QComboBox>(&form, "MachineSelectComboBox");
    for (QComboBox* list : {from, to}) {
      QStringList entries;
      for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
      QCOMPARE(entries, QStringList({"November, 2011", "December, 2011", "January, 2012",
                                     "February, 2012"}));
      QCOMPARE(list->currentIndex(), 3);
    }
    QCOMPARE(machine->count(), 11);
    QCOMPARE(machine->currentText(), QString("All machines"));
    QVERIFY(test::Find<QLabel>(&form, "NoLogDataAvailableLabel")->isHidden());

    const struct {
      const char* name;
      int from, to, machine;
      const char *pump1, *pump7, *volume, *washes;
      bool shown;
    } cases[] = {
        {"February, all machines", 3, 3, 0, "3,00 L", "0,00 L", "3,00 L", "2", true},
        {"February, machine 1: 200 units", 3, 3, 1, "1,00 L", "0,00 L", "1,00 L", "2", true},
        {"machine 3 alone", 0, 3, 3, "7,00 L", "300,00 L", "307,00 L", "3", true},
        {"November, thousands grouped", 0, 0, 0, "5,50 L", "1.200,00 L", "1.205,50 L", "7", true},
        {"months without a record", 1, 2, 0, "0,00 L", "0,00 L", "0,00 L", "0", false},
        {"From after To", 3, 0, 0, "0,00 L", "0,00 L", "0,00 L", "0", false},
    };
    for (const auto& c : cases) {
      from->setCurrentIndex(c.from);
      to->setCurrentIndex(c.to);
      machine->setCurrentIndex(c.machine);
      QVERIFY2(Text(&form, "PumpVolumeLabel1") == c.pump1, c.name);
      QVERIFY2(Text(&form, "PumpVolumeLabel7") == c.pump7, c.name);
      QVERIFY2(Text(&form, "PumpVolumeLabelTotal") == c.volume, c.name);
      QVERIFY2(Text(&form, "ProgramCountLabelTotal") == c.washes, c.name);
      for (const char* label : {"PumpVolumeLabel1", "PumpVolumeLabelTotal", "ProgramCountLabel1",
                                "ProgramCountLabelNoProgram", "SoftnerCountLabelTotal"})
        QVERIFY2(test::Find<QLabel>(&form, label)->isEnabled() == c.shown, c.name);
    }

    // Packing the image keeps the chosen period; a new image shows in the open window.
    from->setCurrentIndex(1);
    session.PackImage(test::TestUi().Now());
    QCOMPARE(from->currentIndex(), 1);
    ControllerImage other = session.Image().image;
    ClearConsumptionLog(other);
    PutCounter(other, 7, 2013, 5, 0, consumption::kFirstPump, 20);
    session.TakeImage(other.bytes);
    QCOMPARE(to->count(), 1);
    QCOMPARE(to->currentText(), QString("May, 2013"));
    QCOMPARE(Text(&form, "PumpVolumeLabel1"), QString("0,10 L"));
    session.TakeImage(before.bytes);

    // The export holds the period chosen, the litres with a point whatever the locale.
    from->setCurrentIndex(0);
    to->setCurrentIndex(3);
    machine->setCurrentIndex(3);
    QTemporaryDir folder;
    test::ScriptedDialogs dialogs;
    dialogs.fileNames.push_back(folder.filePath("log.csv"));
    test::Find<QPushButton>(&form, "ExportCsvBtn")->click();
    QCOMPARE(dialogs.fileRequests.size(), 1);
    QCOMPARE(dialogs.fileRequests[0].defaultExtension, QString("csv"));
    QFile csv(folder.filePath("log.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 4 * consumption::kPumps);
    QVERIFY(lines[0].startsWith("Month,Pump,Litres"));
    QVERIFY(lines.filter(",5.00").size() == 1 && lines.filter(",300.00").size() == 1);
    QVERIFY(dialogs.asked.isEmpty());
  }

  void alarmViews() {
    Session session;
    TakeRead(session, PutAlarms);
    TAlarmLogForm form(session, test::TestUi(), {});
    form.show();
    auto* memo = test::Find<QPlainTextEdit>(&form, "Memo");
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->toPlainText(), QString(" 1: 2012-03-05 14:07 > Low soap level, Pump: 3.\n"
                                          " 2: 2012-03-06  9:30 > Trigger error, Machine: 2\n"
                                          "Number of alarms: 2."));
    test::Find<QRadioButton>(&form, "AlarmStateBtn")->click();
    QCOMPARE(memo->toPlainText(), QString("  1: Pressure alarm\n  2: Low soap level, Pump: 2"));
    // Showing again starts with the history; a hidden window is not rebuilt.
    form.close();
    form.show();
    QVERIFY(test::Find<QRadioButton>(&form, "AlarmHistoryBtn")->isChecked());
    QVERIFY(memo->toPlainText().endsWith("Number of alarms: 2."));
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
  }

  void anEmptyWashChartSaysSo() {
    Session session;
    TLogDataForm form(session, test::TestUi(), {});
    form.show();
    QVERIFY(test::Find<QLabel>(&form, "NoWashDataLabel")->isVisible());
    QTest::qWait(50);
    test::SaveScreenshot(&form, "log_data_empty");
    TakeRead(session, PutNovemberAndFebruary);
    QVERIFY(test::Find<QLabel>(&form, "NoWashDataLabel")->isHidden());
  }

  void resetWithoutLinkSaysNotConnected() {
    Session session;  // the gateway side, never logged in
    TakeRead(session, [](ControllerImage& image) {
      PutNovemberAndFebruary(image);
      PutAlarms(image);
    });
    TLogDataForm logData(session, test::TestUi(), {});
    TAlarmLogForm alarmLog(session, test::TestUi(), {});
    const ControllerImage before = session.Image().image;
    const struct {
      QWidget* form;
      const char *button, *doneLabel, *question, *error;
      std::function<void()> click;
    } cases[] = {
        {&logData, "ResetLogBtn", "ResetLogDoneLabel", "Reset all log data\n\nAre you sure?",
         "Unable to reset log data\n\nSystem not connected.", [&] { logData.ResetLogBtnClick(); }},
        {&alarmLog, "ClearAlarmLogBtn", "AlarmResetDoneLabel", "Reset alarm log\n\nAre you sure?",
         "Unable to reset alarm log\n\nSystem not connected.",
         [&] { alarmLog.ClearAlarmLogBtnClick(); }},
    };
    for (const auto& c : cases) {
      c.form->show();
      QVERIFY2(!test::Find<QPushButton>(c.form, c.button)->isEnabled(), c.button);
      test::ScriptedDialogs dialogs;
      dialogs.answers = {kMsgYes, kMsgOk};
      c.click();
      for (int tick = 0; tick < 3; ++tick) session.Tick();
      QCOMPARE(dialogs.asked.size(), 2);
      QCOMPARE(dialogs.asked[0].text, QString(c.question));
      QCOMPARE(dialogs.asked[0].type, MsgType::Warning);
      QCOMPARE(dialogs.asked[0].buttons, unsigned(kMsgYes | kMsgCancel));
      QCOMPARE(dialogs.asked[1].text, QString(c.error));
      QCOMPARE(dialogs.asked[1].type, MsgType::Error);
      QCOMPARE(dialogs.asked[1].buttons, unsigned(kMsgOk));
      QVERIFY2(test::Find<QLabel>(c.form, c.doneLabel)->isHidden(), c.doneLabel);
    }
    QVERIFY(session.Image().image.bytes == before.bytes);
  }

  void resetConfirmedByTheController() {
    auto main = test::StartedDemoMain();
    Session& session = main->CurrentSession();
    TakeRead(session, [](ControllerImage& image) {
      PutNovemberAndFebruary(image);
      PutAlarms(image);
    });
    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgYes, kMsgYes};

    main->findChild<QAction*>("LogDataBtn")->trigger();
    TLogDataForm* logData = main->LogDataWindow();
    QVERIFY(logData->isVisible());
    QCOMPARE(logData->windowTitle(), QString("Log data"));
    test::Find<QPushButton>(logData, "ResetLogBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(test::Find<QLabel>(logData, "ResetLogDoneLabel")->isVisible(), 5000);
    QVERIFY(test::Find<QLabel>(logData, "NoLogDataAvailableLabel")->isVisible());
    QVERIFY(test::Find<QGroupBox>(logData, "PeriodGroupBox")->isHidden());
    QVERIFY(LogMonths(session.Image().image).empty());
    test::SaveScreenshot(logData, "log_data_reset");

    main->findChild<QAction*>("AlarmLogBtn")->trigger();
    TAlarmLogForm* alarmLog = main->AlarmLogWindow();
    QCOMPARE(alarmLog->windowTitle(), QString("Alarm log"));
    test::Find<QPushButton>(alarmLog, "ClearAlarmLogBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(test::Find<QLabel>(alarmLog, "AlarmResetDoneLabel")->isVisible(),
                             5000);
    auto* memo = test::Find<QPlainTextEdit>(alarmLog, "Memo");
    QCOMPARE(memo->toPlainText(), QString("Number of alarms: 0."));
    test::Find<QRadioButton>(alarmLog, "AlarmStateBtn")->click();
    QCOMPARE(memo->toPlainText(), QString("  1: Pressure alarm\n  2: Low soap level, Pump: 2"));
    QCOMPARE(dialogs.asked.size(), 2);
  }

  void screenshots() {
    if (qEnvironmentVariableIsEmpty("VOREL_SCREENSHOT_DIR")) QSKIP("no VOREL_SCREENSHOT_DIR");
    Session session;
    Session packer;
    packer.NewSystem(test::TestUi().Now());
    ControllerImage image = packer.Image().image;
    // Eight months of a laundry with four machines: wash counts, softener and volumes.
    for (int slot = 0; slot < 8; ++slot) {
      for (int m = 0; m < 4; ++m) {
        for (int c = 0; c < static_cast<int>(consumption::kCounters); ++c) {
          const bool pump = c >= static_cast<int>(consumption::kFirstPump) &&
                            c < static_cast<int>(consumption::kSoftener);
          PutCounter(image, slot, slot < 4 ? 2011 : 2012, (slot + 8) % 12 + 1, m, c,
                     pump ? (14 - c) * 900 + slot * 150 + m * 60 : 10 + (c * 7 + slot * 5) % 23);
        }
      }
    }
    PutAlarms(image);
    session.TakeImage(image.bytes);
    TLogDataForm logData(session, test::TestUi(), {});
    logData.show();
    test::Find<QComboBox>(&logData, "FromComboBox")->setCurrentIndex(0);
    QTest::qWait(50);
    test::SaveScreenshot(&logData, "log_data");
    // A year of months: the names alone, the period in the axis title.
    for (int slot = 8; slot < 12; ++slot) PutCounter(image, slot, 2012, slot - 3, 0, 1, 5);
    session.TakeImage(std::vector<uint8_t>(image.bytes.begin(), image.bytes.end()));
    logData.close();
    logData.show();
    test::Find<QComboBox>(&logData, "FromComboBox")->setCurrentIndex(0);
    QTest::qWait(50);
    test::SaveScreenshot(&logData, "log_data_year");
    TAlarmLogForm alarmLog(session, test::TestUi(), {});
    alarmLog.show();
    QTest::qWait(50);
    test::SaveScreenshot(&alarmLog, "alarm_log");
  }
};

QTEST_MAIN(LogFormsTest)
#include "log_forms_test.moc"
