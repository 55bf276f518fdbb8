// The trigger setup window driven by its controls: type change, groups and heights,
// store, the number edits, the close question and the identification line.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/config/NumberEdits.h"
#include "ui/trigger/TTriggerForm.h"

using namespace vorel;
using test::Find;

namespace {

void Choose(QComboBox* combo, int index) {
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

// The trigger block's changes as the machine window makes them, counting the
// technician's.
struct Edits {
  int byTechnician = 0;
  TTriggerForm::Editor On(TriggerData& data) {
    return [this, &data](const TTriggerForm::Change& change, bool technician) {
      change(data);
      if (technician) ++byTechnician;
    };
  }
};

}  // namespace

class TriggerFormTest : public QObject {
  Q_OBJECT

 private slots:
  void typeChangeShowsItsGroups() {
    TriggerData data;
    Edits edits;
    TTriggerForm form(data, edits.On(data), 4, test::TestUi());
    QSignalSpy typeTexts(&form, &TTriggerForm::TypeTextChanged);
    form.show();
    QCOMPARE(form.windowTitle(), QString("Trigger, Machine 5"));
    QCOMPARE(Find<QComboBox>(&form, "TriggerTypeComboBox")->currentText(),
             QString("Parallel Trigger box"));
    QVERIFY(Find<QGroupBox>(&form, "MieleLogicGroupBox")->isHidden());
    QVERIFY(!Find<QPushButton>(&form, "SaveBtn")->isEnabled());

    Choose(Find<QComboBox>(&form, "TriggerTypeComboBox"), 1);
    QCOMPARE(data.TriggerType(), 5);
    QVERIFY(Find<QGroupBox>(&form, "MieleLogicGroupBox")->isVisible());
    QVERIFY(Find<QGroupBox>(&form, "VolumeGroupBox")->isVisible());
    QCOMPARE(Find<QLineEdit>(&form, "MieleHeader1Edit")->text(), QString("Wash program"));
    QCOMPARE(Find<QLineEdit>(&form, "MieleSelection33Edit")->text(), QString("Low"));
    QCOMPARE(typeTexts.last().first().toString(), QString("Miele Logic"));
    QVERIFY(form.height() >= 615);
    QVERIFY(!form.IsModified());
    // Save stays off, yet the window says the change was taken, until shown afresh.
    QVERIFY(Find<QLabel>(&form, "TypeChangedLabel")->isVisible());
    test::SaveScreenshot(&form, "trigger_form_miele");

    Choose(Find<QComboBox>(&form, "TriggerTypeComboBox"), 2);
    QVERIFY(Find<QGroupBox>(&form, "ElectroluxGroupBox")->isVisible());
    QVERIFY(Find<QGroupBox>(&form, "MieleLogicGroupBox")->isHidden());
    test::SaveScreenshot(&form, "trigger_form_electrolux");

    Choose(Find<QComboBox>(&form, "TriggerTypeComboBox"), 3);
    QVERIFY(Find<QGroupBox>(&form, "MieleEthernetGroupBox")->isVisible());
    test::SaveScreenshot(&form, "trigger_form_ethernet");
    form.close();
    form.show();
    QVERIFY(Find<QLabel>(&form, "TypeChangedLabel")->isHidden());
  }

  void saveStoresTheControls() {
    TriggerData data;
    Edits edits;
    TTriggerForm form(data, edits.On(data), 0, test::TestUi());
    form.show();
    auto* low = Find<QLineEdit>(&form, "LowLevelAdjustEdit");
    low->clear();
    QTest::keyClicks(low, "300");  // one byte: the last 0 is refused
    QCOMPARE(low->text(), QString("30"));
    QVERIFY(form.IsModified());
    QVERIFY(Find<QPushButton>(&form, "SaveBtn")->isEnabled());
    auto* weight = Find<QLineEdit>(&form, "MaxWeightEdit");
    weight->clear();
    QTest::keyClicks(weight, "7,55");  // one decimal only
    QCOMPARE(weight->text(), QString("7,5"));
    Choose(Find<QComboBox>(&form, "KeyboardLock1ComboBox"), 2);
    Choose(Find<QComboBox>(&form, "KeyboardLock2ComboBox"), 4);
    Choose(Find<QComboBox>(&form, "KeyboardLock3ComboBox"), 6);
    Choose(Find<QComboBox>(&form, "MachineResetComboBox"), 9);
    QCOMPARE(Find<QComboBox>(&form, "MachineResetComboBox")->currentText(),
             QString("Input 3, falling edge"));
    const int storedBefore = edits.byTechnician;
    Find<QPushButton>(&form, "SaveBtn")->click();
    QCOMPARE(edits.byTechnician - storedBefore, 1);
    QCOMPARE(data.bytes[trigger::kAdjustLow], 30);
    QCOMPARE(data.bytes[trigger::kMaxWeight], 15);
    QCOMPARE(data.bytes[trigger::kLockInputMask], 42);
    QCOMPARE(data.bytes[trigger::kFlags], 11);
    QVERIFY(!form.IsModified());
    QCOMPARE(Find<QLineEdit>(&form, "MaxWeightEdit")->text(), QString("7,5"));
  }

  void closeAsksToSaveModifications() {
    test::ScriptedDialogs dialogs;
    for (MsgButton answer : {kMsgNo, kMsgYes}) {
      TriggerData data;
      Edits edits;
      TTriggerForm form(data, edits.On(data), 0, test::TestUi());
      form.show();
      Find<QLineEdit>(&form, "HighLevelAdjustEdit")->setText("40");
      dialogs.answers = {answer};
      form.close();
      QCOMPARE(dialogs.asked.last().text, QString("Save modifications?"));
      QCOMPARE(dialogs.asked.last().type, MsgType::Information);
      QCOMPARE(data.bytes[trigger::kAdjustHigh], answer == kMsgYes ? 40 : 25);
      QVERIFY(!form.IsModified());
    }
    const int asked = dialogs.asked.size();
    TriggerData data;
    Edits edits;
    TTriggerForm form(data, edits.On(data), 0, test::TestUi());
    form.show();
    form.close();
    QCOMPARE(dialogs.asked.size(), asked);
  }

  void electroluxListsShowProgramNames() {
    TriggerData data;
    Edits edits;
    TTriggerForm form(data, edits.On(data), 0, test::TestUi());
    form.SetProgramNames(
        [](int slot) { return slot == 1 ? QString("Towels") : QString("P%1").arg(slot + 1); });
    form.show();
    Choose(Find<QComboBox>(&form, "TriggerTypeComboBox"), 2);
    auto* map30 = Find<QComboBox>(&form, "ElectroluxMachineProgramCombo30");
    QCOMPARE(map30->count(), 7);
    QCOMPARE(map30->itemText(0), QString("Not in use"));
    QCOMPARE(map30->itemText(2), QString("Towels"));
    Choose(map30, 2);
    form.Store();
    QCOMPARE(data.ProgramMap(30), 2);
  }

  void identificationLine() {
    TriggerData data;
    Edits edits;
    TTriggerForm form(data, edits.On(data), 0, test::TestUi());  // created with a reset block
    data.bytes[trigger::kType] = trigger::kTypeElectrolux;
    form.show();
    QVERIFY(!Find<QLabel>(&form, "VersionLabel1")->isEnabled());
    QVERIFY(Find<QLabel>(&form, "VersionLabel2")->isHidden());
    form.SetIdentification(UnitIdentification{2, 0x21, 17});
    QVERIFY(Find<QLabel>(&form, "VersionLabel1")->isEnabled());
    QCOMPARE(Find<QLabel>(&form, "VersionLabel2")->text(), QString("TL4210, version: 1.2"));
    QCOMPARE(Find<QLabel>(&form, "ElectroluxCompassProProgramNumberLabel2")->text(), QString("17"));
    QVERIFY(Find<QLabel>(&form, "ElectroluxCompassProProgramNumberLabel1")->isEnabled());
    form.ClearIdentified();
    QVERIFY(Find<QLabel>(&form, "VersionLabel2")->isHidden());
    QVERIFY(Find<QLabel>(&form, "ElectroluxCompassProProgramNumberLabel2")->isHidden());
  }

  void everyNumberEditAsksItsRule() {
    TriggerData data;
    Edits edits;
    TTriggerForm form(data, edits.On(data), 0, test::TestUi());
    for (const NumberEditRule& rule : kTriggerNumberEdits) {
      const QByteArray name(rule.controlName.data(), qsizetype(rule.controlName.size()));
      const QValidator* validator = Find<QLineEdit>(&form, name.constData())->validator();
      QVERIFY2(validator, name.constData());
      QString beyond = rule.decimals ? QString("999") : QString::number(rule.highest + 1);
      int at = 0;
      QCOMPARE(validator->validate(beyond, at), QValidator::Invalid);
    }
  }

  void escapeCloses() {
    TriggerData data;
    Edits edits;
    TTriggerForm form(data, edits.On(data), 0, test::TestUi());
    form.show();
    QTest::keyClick(Find<QLineEdit>(&form, "LowLevelAdjustEdit"), Qt::Key_Escape);
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(TriggerFormTest)
#include "trigger_form_test.moc"
