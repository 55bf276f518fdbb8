// The firmware update window: a file loaded shows its date, range, use and sum;
// Start over the gateway is refused with a word; F9 starts, Escape closes. A failed
// load shows nothing loaded; a run keeps the file controls off, a run that fails
// midway says what the unit now holds, and closing during a run asks.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/firmware/TFirmwareUpdateForm.h"

using namespace vorel;

namespace {

QString HexFile() {
  return QString(VOREL_TEST_DATA) + "/firmware/controller_srec.hex";
}

ControllerImage Memory() {
  Session packer;
  packer.PackImage(test::TestUi().Now());
  return packer.Image().image;
}

}  // namespace

class FirmwareFormTest : public QObject {
  Q_OBJECT

 private slots:
  void loadShowAndRefuseOverTheGateway() {
    test::ScriptedDialogs dialogs;
    auto main = test::StartedMain();
    main->FirmwareUpdateMQ350BtnClick();
    TFirmwareUpdateForm* form = main->FirmwareWindow();
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QString("Firmware update, TL4200..."));
    QVERIFY(test::Find<QLabel>(form, "CodeStartLabel2")->isHidden());
    QVERIFY(test::Find<QLabel>(form, "FirmwareHintLabel")->isVisible());
    test::SaveScreenshot(form, "firmware_start");
    const QString file = QString(VOREL_TEST_DATA) + "/firmware/controller_srec.hex";
    test::Find<QComboBox>(form, "FileNameComboBox")->setCurrentText(file);
    QVERIFY(form->LoadBtnClick());
    QCOMPARE(test::Find<QLabel>(form, "StateLabel")->text(), QString("File loaded"));
    QVERIFY(test::Find<QLabel>(form, "CodeStartLabel2")->isVisible());
    QVERIFY(test::Find<QLabel>(form, "FirmwareHintLabel")->isHidden());
    QVERIFY(test::Find<QLabel>(form, "CodeStartLabel2")->text().endsWith("d)"));
    QVERIFY(test::Find<QLabel>(form, "CodeUsedLabel2")->text().contains("bytes)"));
    test::SaveScreenshot(form, "firmware_update");
    // Without stored settings the gateway side is chosen: programming is refused.
    QTest::keyClick(form, Qt::Key_F9);
    QCOMPARE(dialogs.asked.size(), 1);
    QVERIFY(dialogs.asked[0].text.startsWith("Firmware update works over the serial link only"));
    QTest::keyClick(form, Qt::Key_Escape);
    QVERIFY(!form->isVisible());
    // The file is offered again next time.
    main->FirmwareUpdateTriggerBtnClick();
    QCOMPARE(test::Find<QComboBox>(form, "FileNameComboBox")->currentText(), file);
    QVERIFY(test::Find<QLabel>(form, "CodeStartLabel2")->isHidden());
  }

  void aFailedLoadLeavesNothingLoaded() {
    test::ScriptedDialogs dialogs;
    auto main = test::StartedMain();
    main->FirmwareUpdateMQ350BtnClick();
    TFirmwareUpdateForm* form = main->FirmwareWindow();
    auto* fileName = test::Find<QComboBox>(form, "FileNameComboBox");
    auto* start = test::Find<QPushButton>(form, "StartBtn");
    fileName->setCurrentText(HexFile());
    QVERIFY(form->LoadBtnClick());
    fileName->setCurrentText(HexFile() + ".gone");
    QVERIFY(!form->LoadBtnClick());
    QCOMPARE(test::Find<QLabel>(form, "StateLabel")->text(), QString("No file loaded"));
    QVERIFY(test::Find<QLabel>(form, "CodeStartLabel2")->isHidden());
    QVERIFY(test::Find<QLabel>(form, "CodeChecksumLabel2")->isHidden());
    QVERIFY(!start->isEnabled());
    test::SaveScreenshot(form, "firmware_nothing_loaded");
    const int asked = dialogs.asked.size();
    QTest::keyClick(form, Qt::Key_F9);
    QCOMPARE(dialogs.asked.size(), asked);  // nothing loaded, nothing tried
    fileName->setCurrentText(HexFile());
    QVERIFY(start->isEnabled());
    form->close();
  }

  // On stepped ticks against a simulated controller: the run, a controller that goes
  // quiet midway, its boot loader waiting for a new start, and closing during a run.
  void aRunFailingMidwaySaysWhatTheControllerHolds() {
    test::SteppedMain stepped(Memory());
    test::ScriptedDialogs dialogs;
    const BootProgrammer& programmer = stepped.main.CurrentSession().Programmer();
    stepped->FirmwareUpdateMQ350BtnClick();
    TFirmwareUpdateForm* form = stepped->FirmwareWindow();
    test::Find<QComboBox>(form, "FileNameComboBox")->setCurrentText(HexFile());
    form->StartBtnClick();
    QVERIFY(stepped.Until([&] { return programmer.Programming(); }, 60));
    for (const char* name : {"LoadBtn", "FileNameBtn", "FileNameComboBox"})
      QVERIFY2(!test::Find<QWidget>(form, name)->isEnabled(), name);
    QVERIFY(!form->LoadBtnClick());

    stepped.Line().SetQuiet(true);
    QVERIFY(stepped.Until([&] { return programmer.Step() == 0; }, 40));
    QCOMPARE(test::Find<QLabel>(form, "StateLabel")->text(), QString("Timeout error!"));
    QCOMPARE(dialogs.cues, QList<Cue>{Cue::kFailure});
    QTRY_COMPARE(dialogs.asked.size(), 1);
    QCOMPARE(dialogs.asked[0].type, MsgType::Error);
    QVERIFY(dialogs.asked[0].text.startsWith("Timeout error!"));
    QVERIFY(dialogs.asked[0].text.contains("controller now holds incomplete firmware"));
    QVERIFY(dialogs.asked[0].text.contains("boot loader waits for a new start"));
    QVERIFY(test::Find<QWidget>(form, "LoadBtn")->isEnabled());

    // Its boot loader says it waits; Start reaches it without any poll.
    stepped.Line().SetQuiet(false);
    form->StartBtnClick();
    QVERIFY(stepped.Until([&] { return programmer.Programming(); }, 40));
    form->close();  // answered No
    QVERIFY(form->isVisible());
    QVERIFY(dialogs.asked.last().text.startsWith("Programming is running."));
    QVERIFY(programmer.Step() != 0);
    QVERIFY(stepped.Until([&] { return programmer.Step() == 0; }, 600));
    QCOMPARE(test::Find<QLabel>(form, "StateLabel")->text(), QString("Completed, OK."));
    QCOMPARE(dialogs.cues, (QList<Cue>{Cue::kFailure, Cue::kSuccess}));

    form->StartBtnClick();
    dialogs.answers.push_back(kMsgYes);
    form->close();
    QVERIFY(!form->isVisible());
    QCOMPARE(programmer.Step(), 0);
  }
};

QTEST_MAIN(FirmwareFormTest)
#include "firmware_form_test.moc"
