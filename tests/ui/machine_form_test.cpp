// The machine window inside the main window: settings reaching the configuration,
// the number edits, program buttons and editors, the live display, the keys.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "core/config/NumberEdits.h"
#include "support/MemorySettingsStore.h"
#include "ui/machine/TMachineForm.h"
#include "ui/main/TMainForm.h"
#include "ui/program/TProgramForm.h"
#include "ui/trigger/TTriggerForm.h"

using namespace vorel;
using test::Find;
using test::StartedMain;

namespace {

std::vector<uint8_t> TriggerFrame(uint8_t code, uint8_t inputs, uint8_t weight, uint8_t unit = 0,
                                  uint8_t version = 0) {
  return {code, 12, 0, 1, 5, 0, inputs, 0, weight, unit, version, 0};
}

}  // namespace

class MachineFormTest : public QObject {
  Q_OBJECT

 private slots:
  void captionAndControlsAfterStart() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(2);
    machine->show();
    QCOMPARE(machine->windowTitle(), QString("Machine 3"));
    QCOMPARE(Find<QPushButton>(machine, "Program4Btn")->text(), QString("Program 4"));
    QCOMPARE(Find<QLineEdit>(machine, "ShortFlushTimeEdit")->text(), QString("5"));
    QCOMPARE(Find<QLineEdit>(machine, "Calibration7Edit")->text(), QString("30"));
    QCOMPARE(Find<QComboBox>(machine, "SoftnerPumpComboBox")->currentText(), QString("-"));
    QCOMPARE(Find<QGroupBox>(machine, "TriggerGroup")->title(), QString(" Parallel Trigger box "));
    QCOMPARE(Find<QGroupBox>(machine, "ProgramGroupBox")->title(), QString(" Program "));
    QVERIFY(Find<QLabel>(machine, "TriggerOnlineLabel")->isHidden());
    test::SaveScreenshot(machine, "machine_form");
  }

  void settingsReachTheConfigurationAtOnce() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    const MachineSettings& settings = main->Configuration().MachineData[0];
    QVERIFY(!main->SystemDataChanged());

    auto* shortFlush = Find<QLineEdit>(machine, "ShortFlushTimeEdit");
    shortFlush->clear();
    QTest::keyClicks(shortFlush, "300");  // one byte: the last 0 is refused
    QCOMPARE(shortFlush->text(), QString("30"));
    QCOMPARE(settings.ShortFlushTime, std::string("30"));
    QVERIFY(main->SystemDataChanged());

    auto* calibration = Find<QLineEdit>(machine, "Calibration2Edit");
    calibration->clear();
    QTest::keyClicks(calibration, "60001");
    QCOMPARE(settings.Calibration[1], std::string("6000"));

    Find<QLineEdit>(machine, "CommentEdit")->setText(QString::fromUtf8("Caf\xc3\xa9"));
    QCOMPARE(settings.Comment, std::string("Caf\xe9"));

    auto* pump = Find<QComboBox>(machine, "SoftnerPumpComboBox");
    pump->setCurrentIndex(7);
    emit pump->activated(7);
    QCOMPARE(settings.SoftnerPump, std::string("7"));
    Find<QCheckBox>(machine, "AllowNoProgramBtn")->click();
    QVERIFY(settings.AllowNoProgram);
  }

  void programButtonOpensItsEditorAndTakesTheSavedName() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(1);
    machine->show();
    QVERIFY(!machine->ProgramEditor(2));
    Find<QPushButton>(machine, "Program3Btn")->click();
    TProgramForm* editor = machine->ProgramEditor(2);
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->windowTitle(), QString("Machine 2, Program 3"));
    auto* name = Find<QLineEdit>(editor, "ProgramNameEdit");
    name->setText("Towels & sheets");
    QVERIFY(editor->IsModified());
    QVERIFY(machine->AnyModified());
    editor->Save();
    // The ampersand shows as it stands, not as a mnemonic.
    QCOMPARE(Find<QPushButton>(machine, "Program3Btn")->text(), QString("Towels && sheets"));
    QCOMPARE(main->Configuration().MachineData[1].Programs[2].Name, std::string("Towels & sheets"));
    machine->Refresh();
    QCOMPARE(Find<QComboBox>(machine, "DefaultProgramComboBox")->itemText(3),
             QString("Towels & sheets"));
  }

  void closingKeepsTheWindowWhenAnEditorIsCancelled() {
    auto main = StartedMain();
    test::ScriptedDialogs dialogs;
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    machine->ProgramBtnClick(1);
    Find<QLineEdit>(machine->ProgramEditor(0), "ProgramCommentEdit")->setText("edited");

    dialogs.answers = {kMsgCancel};
    machine->close();
    QVERIFY(machine->isVisible());
    QVERIFY(machine->ProgramEditor(0));
    QCOMPARE(dialogs.asked.last().text, QString("Program modfied, save?"));

    dialogs.answers = {kMsgYes};
    machine->close();
    QVERIFY(!machine->isVisible());
    QVERIFY(!machine->ProgramEditor(0));
    QCOMPARE(main->Configuration().MachineData[0].Programs[0].Comment, std::string("edited"));
  }

  void restoringAMinimisedWindowKeepsUnsavedEdits() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    machine->ProgramBtnClick(1);
    TProgramForm* editor = machine->ProgramEditor(0);
    Find<QLineEdit>(editor, "ProgramCommentEdit")->setText("unsaved program");
    machine->TriggerSetupBtnClick();
    QWidget* trigger = machine->TriggerForm();
    Find<QLineEdit>(trigger, "CommentEdit")->setText("unsaved trigger");

    for (QWidget* window : {static_cast<QWidget*>(machine), trigger}) {
      window->setWindowState(Qt::WindowMinimized);
      window->setWindowState(Qt::WindowNoState);
    }
    QCOMPARE(Find<QLineEdit>(editor, "ProgramCommentEdit")->text(), QString("unsaved program"));
    QVERIFY(editor->IsModified());
    QCOMPARE(Find<QLineEdit>(trigger, "CommentEdit")->text(), QString("unsaved trigger"));
    QVERIFY(machine->AnyModified());

    // A real new showing still reloads from the configuration.
    editor->DropModified();
    editor->hide();
    editor->show();
    QCOMPARE(Find<QLineEdit>(editor, "ProgramCommentEdit")->text(), QString(""));
  }

  void saveAllSavesEveryOpenEditor() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    machine->ProgramBtnClick(1);
    machine->ProgramBtnClick(2);
    Find<QLineEdit>(machine->ProgramEditor(0), "ProgramCommentEdit")->setText("edited");
    // The second editor's working copy differs from the stored program without a
    // modified flag: Save all stores it too.
    main->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[0].Programs[1].Comment = "changed beneath"; });
    machine->SaveAll();
    QCOMPARE(main->Configuration().MachineData[0].Programs[0].Comment, std::string("edited"));
    QCOMPARE(main->Configuration().MachineData[0].Programs[1].Comment, std::string(""));
    QVERIFY(!machine->AnyModified());
  }

  void everyNumberEditAsksItsRule() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    for (const NumberEditRule& rule : kMachineNumberEdits) {
      const QByteArray name(rule.controlName.data(), qsizetype(rule.controlName.size()));
      const QValidator* validator = Find<QLineEdit>(machine, name.constData())->validator();
      QVERIFY2(validator, name.constData());
      QString highest = "000000000" + QString::number(rule.highest);
      QString beyond = QString::number(rule.highest + 1);
      int at = 0;
      QCOMPARE(validator->validate(highest, at), QValidator::Acceptable);
      QCOMPARE(validator->validate(beyond, at), QValidator::Invalid);
    }
  }

  void calibrationRefuses23AndTakes24() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    QLineEdit* edit = Find<QLineEdit>(machine, "Calibration3Edit");
    const std::string& stored = main->Configuration().MachineData[0].Calibration[2];
    const auto typeAndLeave = [edit](const char* keys) {
      edit->selectAll();
      QTest::keyClicks(edit, keys);
      const QString typed = edit->text();
      QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
      QApplication::sendEvent(edit, &leave);
      return typed;
    };
    QCOMPARE(typeAndLeave("23"), QString("23"));  // on its way to 230, say
    QCOMPARE(edit->text(), QString("30"));
    QCOMPARE(stored, std::string("30"));
    QCOMPARE(typeAndLeave("24"), QString("24"));
    QCOMPARE(edit->text(), QString("24"));
    QCOMPARE(stored, std::string("24"));
  }

  void escapeClosesTheWindow() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    QTest::keyClick(Find<QLineEdit>(machine, "CommentEdit"), Qt::Key_Escape);
    QVERIFY(!machine->isVisible());
  }

  void liveDisplayFollowsReportsAndTicks() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    machine->ProgramBtnClick(2);
    std::vector<uint8_t> report(64, 0);
    report[0] = 0x33;
    report[1] = 64;
    report[14] = 7;     // line 7
    report[15] = 2;     // slot 2
    report[16] = 0x04;  // keyboard locked
    machine->ApplyStatusReport(*DecodeStatusReport(report));
    QVERIFY(Find<QPushButton>(machine, "Program2Btn")->font().bold());
    QVERIFY(Find<QPushButton>(machine, "Program2Btn")->font().underline());
    QVERIFY(!Find<QPushButton>(machine, "Program1Btn")->font().bold());
    QCOMPARE(Find<QGroupBox>(machine, "ProgramGroupBox")->title(),
             QString(" Program, Keyboard locked "));

    machine->ApplyTriggerFrame(TriggerFrame(0x0B, 0x05, 0, 0x31, 0x12));
    QVERIFY(Find<QLabel>(machine, "TriggerOnlineLabel")->isVisible());
    QVERIFY(Find<QLabel>(machine, "KeyboardConnectedLabel")->isVisible());
    QVERIFY(Find<QLabel>(machine, "SerialConnectionLabel")->isVisible());
    QVERIFY(Find<QPushButton>(machine, "TriggerInput1Btn")->isChecked());
    QVERIFY(!Find<QPushButton>(machine, "TriggerInput2Btn")->isChecked());
    QVERIFY(Find<QPushButton>(machine, "TriggerInput3Btn")->isChecked());
    QVERIFY(machine->TriggerForm()->Identified());
    test::SaveScreenshot(machine, "machine_form_live");

    for (int tick = 0; tick < 50; ++tick) machine->Tick();
    QVERIFY(Find<QLabel>(machine, "TriggerOnlineLabel")->isHidden());
    QVERIFY(Find<QLabel>(machine, "KeyboardConnectedLabel")->isHidden());
    QVERIFY(!machine->TriggerForm()->Identified());
    QCOMPARE(Find<QGroupBox>(machine, "ProgramGroupBox")->title(), QString(" Program "));

    machine->hide();
    report[15] = 3;
    machine->ApplyStatusReport(*DecodeStatusReport(report));  // not visible: ignored
    QCOMPARE(machine->LiveDisplay().State().highlightedSlot, 1);
  }

  void weighingTriggerShowsTheWeight() {
    auto main = StartedMain();
    main->CurrentSession().EditConfiguration([](SystemConfiguration& config) {
      config.MachineData[0].Trigger.bytes[trigger::kType] = trigger::kTypeWeight3;
    });
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    machine->ApplyTriggerFrame(TriggerFrame(0x0A, 0x06, 15));
    QVERIFY(Find<QLabel>(machine, "TriggerWeightlabel2")->isVisible());
    QVERIFY(Find<QLabel>(machine, "TriggerWeightlabel3")->isHidden());
    QVERIFY(Find<QLabel>(machine, "TriggerWeightlabel2")->text().endsWith("5kg"));
  }

  void setupButtonPlacesTheTriggerWindowBelow() {
    auto main = StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    Find<QPushButton>(machine, "TriggerSetupBtn")->click();
    TTriggerForm* trigger = machine->TriggerForm();
    QVERIFY(trigger->isVisible());
    QCOMPARE(trigger->windowTitle(), QString("Trigger, Machine 1"));
  }
};

QTEST_MAIN(MachineFormTest)
#include "machine_form_test.moc"
