// The firmware update window: a file loaded shows its date, range, use and sum;
// Start over the gateway is refused with a word; F9 starts, Escape closes.
#include <QComboBox>
#include <QLabel>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/firmware/TFirmwareUpdateForm.h"

using namespace vorel;

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
    const QString file = QString(VOREL_TEST_DATA) + "/firmware/controller_srec.hex";
    test::Find<QComboBox>(form, "FileNameComboBox")->setCurrentText(file);
    QVERIFY(form->LoadBtnClick());
    QCOMPARE(test::Find<QLabel>(form, "StateLabel")->text(), QString("File loaded"));
    QVERIFY(test::Find<QLabel>(form, "CodeStartLabel2")->isVisible());
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
};

QTEST_MAIN(FirmwareFormTest)
#include "firmware_form_test.moc"
