// The copy dialog inside the main window: copying to one machine and to all, equal
// machines, the unsaved-edits question, open editors of the target.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "support/MemorySettingsStore.h"
#include "ui/machine/TCopyMachineForm.h"
#include "ui/machine/TMachineForm.h"
#include "ui/main/TMainForm.h"
#include "ui/program/TProgramForm.h"
#include "ui/trigger/TTriggerForm.h"

using namespace vorel;
using test::Find;
using test::StartedMain;

namespace {

// The dialog shown without its modal loop, lists set, Copy pressed.
QString Copy(TMainForm& main, int from, int to) {
  TCopyMachineForm* dialog = main.CopyMachineWindow();
  dialog->show();
  Find<QComboBox>(dialog, "CopyFromCombo")->setCurrentIndex(from);
  Find<QComboBox>(dialog, "CopyToCombo")->setCurrentIndex(to);
  Find<QPushButton>(dialog, "CopyBtn")->click();
  return Find<QLabel>(dialog, "StatusBar")->text();
}

}  // namespace

class CopyMachineFormTest : public QObject {
  Q_OBJECT

 private slots:
  void showResetsTheLists() {
    auto main = StartedMain();
    TCopyMachineForm* dialog = main->CopyMachineWindow();
    dialog->show();
    QCOMPARE(dialog->windowTitle(), QString("Copy Machine"));
    QCOMPARE(Find<QComboBox>(dialog, "CopyFromCombo")->currentText(), QString("Machine 1"));
    QCOMPARE(Find<QComboBox>(dialog, "CopyToCombo")->currentText(), QString("Machine 2"));
    QCOMPARE(Find<QComboBox>(dialog, "CopyToCombo")->itemText(10), QString("All"));
    test::SaveScreenshot(dialog, "copy_machine_form");
  }

  void copyToAllStoresTheSourceTriggerFirst() {
    auto main = StartedMain();
    TMachineForm* source = main->MachineWindow(2);
    source->show();
    main->CurrentSession().EditConfiguration([](SystemConfiguration& config) {
      config.MachineData[2].Comment = "Washer";
      config.MachineData[2].Programs[1].Name = "Towels";
    });
    main->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[5].AllowNoProgram = true; });
    // An unsaved edit in the source's trigger window is stored before the copy.
    source->TriggerSetupBtnClick();
    Find<QLineEdit>(source->TriggerForm(), "LowLevelAdjustEdit")->setText("40");
    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgNo};  // unsaved edits: drop the program editors' edits

    QCOMPARE(Copy(*main, 2, 10), QString("Copy Machine 3 to all."));
    for (int i = 0; i < kMachineCount; ++i) {
      const MachineSettings& m = main->Configuration().MachineData[i];
      QCOMPARE(m.Comment, std::string("Washer"));
      QCOMPARE(m.Programs[1].Name, std::string("Towels"));
      QCOMPARE(int(m.Trigger.bytes[trigger::kAdjustLow]), 40);
      QCOMPARE(m.AllowNoProgram, false);
    }
    QVERIFY(main->SystemDataChanged());
  }

  void equalMachinesCopyNothing() {
    auto main = StartedMain();
    main->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[3].Comment = "four"; });
    QCOMPARE(Copy(*main, 3, 3), QString("Copy ?"));
    QCOMPARE(main->Configuration().MachineData[4].Comment, std::string());
  }

  void targetEditorShowsTheCopyUnmodified() {
    auto main = StartedMain();
    main->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[0].Programs[0].Comment = "from one"; });
    TMachineForm* target = main->MachineWindow(1);
    target->show();
    target->ProgramBtnClick(1);
    TProgramForm* editor = target->ProgramEditor(0);
    Find<QLineEdit>(editor, "ProgramNameEdit")->setText("unsaved");
    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgNo};
    QCOMPARE(Copy(*main, 0, 1), QString("Copy Machine 1 to Machine 2."));
    QCOMPARE(dialogs.asked.first().text, QString("Unsaved program data, update before save?"));
    QVERIFY(!editor->IsModified());
    QCOMPARE(Find<QLineEdit>(editor, "ProgramCommentEdit")->text(), QString("from one"));
    QCOMPARE(Find<QLineEdit>(editor, "ProgramNameEdit")->text(), QString("Program 1"));
  }

  void cancelAtTheQuestionCopiesNothing() {
    auto main = StartedMain();
    main->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[0].Comment = "one"; });
    main->MachineWindow(0)->show();
    main->MachineWindow(0)->ProgramBtnClick(1);
    Find<QLineEdit>(main->MachineWindow(0)->ProgramEditor(0), "ProgramNameEdit")->setText("x");
    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgCancel};
    QCOMPARE(Copy(*main, 0, 1), QString());
    QCOMPARE(main->Configuration().MachineData[1].Comment, std::string());
  }
};

QTEST_MAIN(CopyMachineFormTest)
#include "copy_machine_form_test.moc"
