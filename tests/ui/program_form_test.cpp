// The program editor driven through its controls: editing lines, the number edits, the
// keys, the program clipboard, the close question, Debug follow and the placement.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/program/TProgramForm.h"

using namespace vorel;

namespace {

// Ten machines of six stored programs, the clipboard and a record of every save.
class FakeContext : public ProgramEditorContext {
 public:
  std::array<std::array<ProgramRecord, kProgramSlots>, 10> programs;
  std::string defaultInputFilter = "3";
  const ProgramRecord* copied = nullptr;
  QList<QPair<int, int>> saved;

  UiEnvironment& Ui() override { return test::TestUi(); }

  FakeContext() {
    for (auto& machine : programs) {
      for (int slot = 0; slot < kProgramSlots; ++slot) machine[slot] = ClearedProgram(slot + 1);
    }
  }
  const ProgramRecord& StoredProgram(int machineIndex, int slotIndex) const override {
    return programs[machineIndex][slotIndex];
  }
  std::string DefaultInputFilter() const override { return defaultInputFilter; }
  const ProgramRecord* CopiedProgram() const override { return copied; }
  void SetCopiedProgram(const ProgramRecord* program) override { copied = program; }
  void StoreProgram(int machineIndex, int slotIndex, const ProgramChange& change) override {
    change(programs[machineIndex][slotIndex]);
    saved.append({machineIndex, slotIndex});
  }
};

template <typename T>
T* Find(QWidget& form, const char* name) {
  T* child = form.findChild<T*>(QString::fromLatin1(name));
  if (!child) qFatal("no control %s", name);
  return child;
}

QAction* FindAction(QWidget& form, const char* name) {
  auto* action = form.findChild<QAction*>(QString::fromLatin1(name));
  if (!action) qFatal("no action %s", name);
  return action;
}

QTableWidget* Grid(QWidget& form) {
  return Find<QTableWidget>(form, "ProgramLineGrid");
}

// The cell's text fits its column, nothing cut off.
bool ShownInFull(QWidget& form, int row, int column) {
  QTableWidget* grid = Grid(form);
  const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
  QTableWidgetItem* item = grid->item(row, column);
  return QFontMetricsF(grid->font()).horizontalAdvance(item->text()) + 2 * margin <=
         grid->visualItemRect(item).width();
}

QString Cell(QWidget& form, int row, int column) {
  return Grid(form)->item(row, column)->text();
}

void ClickRow(QWidget& form, int row) {
  QTableWidget* grid = Grid(form);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualItemRect(grid->item(row, 1)).center());
}

// As the technician chooses: the list takes the position and tells of the choice,
// also when the position was already selected.
void Choose(QWidget& form, const char* combo, int position) {
  QComboBox* list = Find<QComboBox>(form, combo);
  list->setCurrentIndex(position);
  emit list->activated(position);
}

void ChooseInstruction(QWidget& form, uint8_t code) {
  Choose(form, "InstructionComboBox", code);
}

// Replaces an edit's text key by key, as the technician types it.
void Type(QWidget& form, const char* name, const QString& text) {
  QLineEdit* edit = Find<QLineEdit>(form, name);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

ProgramLine Line(std::initializer_list<uint8_t> bytes) {
  ProgramLine programLine;
  size_t i = 0;
  for (uint8_t byte : bytes) programLine.b[i++] = byte;
  return programLine;
}

void ShowAndActivate(QWidget& form) {
  form.show();
  form.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&form));
}

// A program that uses every instruction once, with texts long enough to fill the grid.
ProgramRecord EveryInstruction() {
  ProgramRecord program = ClearedProgram(1);
  program.Name =
      "Cottons 60 \xB0"
      "C";
  program.Comment = "Hotel towels, heavy soil";
  program.Active = true;
  const std::array<std::pair<ProgramLine, const char*>, 14> lines = {{
      {Line({0x02, 2, 0x41, 0x05, 0xE7, 0x03}), "Start of prewash"},  // F2, I1->Nxt, I4->L7, ...
      {Line({0x0A}), "Lock the keyboard"},
      {Line({0x08, 0x53, 5, 10, 20, 30}), "Detergent"},
      {Line({0x09, 0x01, 0, 20}), "Rinse the line"},
      {Line({0x07, 0x2C, 0x01}), ""},
      {Line({0x03, 0x20, 0x06, 0x00}), "Drain"},
      {Line({0x04, 0, 0x20, 0x03, 0x8B, 0x01}), "Main wash signal"},
      {Line({0x05, 10, 0x60, 0x05, 0x2C, 0x7C}), ""},
      {Line({0x0B, 0x63, 15, 0xDC, 0x05, 25}), "Softener, large machine"},
      {Line({0x06, 3}), "Back to the start"},
      {Line({0x01}), ""},
      {Line({0x0C, 1, 2}), "Unknown to the controller"},
      {Line({0x08, 0x27, 0, 50, 60, 70}), ""},
      {Line({0x09, 0x02, 3, 40}), ""},
  }};
  for (size_t i = 0; i < lines.size(); ++i) {
    program.Lines[i] = lines[i].first;
    program.LineComments[i] = lines[i].second;
  }
  return program;
}

}  // namespace

class ProgramFormTest : public QObject {
  Q_OBJECT

  // No test may wait on a real message box.
  std::unique_ptr<test::ScriptedDialogs> noRealDialogs_;

 private slots:
  void init() { noRealDialogs_ = std::make_unique<test::ScriptedDialogs>(); }
  void cleanup() { noRealDialogs_.reset(); }

  void controlsCaptionsAndLists() {
    FakeContext context;
    context.programs[3][1].Name = "Rinse";
    TProgramForm form(context, 3, 1);
    form.show();
    QCOMPARE(form.windowTitle(), QString("Machine 4, Rinse"));
    QVERIFY(form.isWindow());

    QTableWidget* grid = Grid(form);
    QCOMPARE(grid->rowCount(), 24);
    QCOMPARE(grid->columnCount(), 4);
    const int widths[] = {34, 100, 150, 200};
    const char* headers[] = {" Line", " Instruction", " Parametres", " Comment"};
    for (int column = 0; column < 4; ++column) {
      QCOMPARE(grid->horizontalHeaderItem(column)->text(), QString(headers[column]));
      QVERIFY(grid->columnWidth(column) >= widths[column]);
    }
    QCOMPARE(grid->columnWidth(0), 34);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    for (int row = 0; row < 24; ++row) {
      QCOMPARE(Cell(form, row, 0), QString::asprintf("%3d", row + 1));
      QCOMPARE(Cell(form, row, 1), QString(" Empty"));
      QVERIFY(Cell(form, row, 2).isEmpty());
      QVERIFY(Cell(form, row, 3).isEmpty());
    }

    auto items = [&form](const char* name) {
      QStringList list;
      auto* combo = Find<QComboBox>(form, name);
      for (int i = 0; i < combo->count(); ++i) list << combo->itemText(i);
      return list;
    };
    QCOMPARE(
        items("InstructionComboBox"),
        QStringList({"Empty", "Reset", "Input wait", "Input off wait", "Input event", "Input jump",
                     "Jump", "Wait", "Pump", "Flush", "Keyboard lock", "Pump, high volume"}));
    QCOMPARE(items("DefaultLevelComboBox"), QStringList({"-", "Low", "Mid", "High"}));
    const QStringList inputs = {"-", "1", "2", "3", "4", "5", "6"};
    for (const char* name : {"InputInput1Combo", "InputInput4Combo", "InputOff6ComboBox"}) {
      QCOMPARE(items(name), inputs);
    }
    QCOMPARE(items("PumpHighPumpCombo"), QStringList({"-", "1", "2", "3", "4", "5", "6", "7"}));
    QCOMPARE(items("PumpFlushCombo"), QStringList({"No", "Short", "Long"}));
    QCOMPARE(items("InputLine3Combo").size(), 25);
    QCOMPARE(items("InputLine3Combo").last(), QString("Reset"));
    QCOMPARE(items("JumpToLineCombo").size(), 24);
    QCOMPARE(items("JumpToLineCombo").last(), QString("24"));

    QStringList labels;
    for (QLabel* label : form.findChildren<QLabel*>()) labels << label->text();
    for (const char* text : {"Comment",
                             "Default level",
                             "Instruction",
                             "Filter",
                             "0..250 sec.",
                             "-> Next line",
                             "-> Line",
                             "Next line when all selected inputs",
                             "are off.",
                             "Jump to Line ",
                             "Wait",
                             "(1..5000 seconds)",
                             "Pump",
                             "1..7",
                             "Delay",
                             "Volume, low",
                             "Volume, mid",
                             "Volume, high",
                             "ml",
                             "Flush",
                             "Flush time",
                             "Volume (mid)",
                             "Low adjust (-%)",
                             "High adjust (+%)",
                             "No parameters for this instruction."}) {
      QVERIFY2(labels.contains(text), text);
    }
    QCOMPARE(Find<QGroupBox>(form, "InputOffWaitGroupBox")->title(), QString(" Input off wait "));
    QStringList groups;
    for (QGroupBox* group : form.findChildren<QGroupBox*>()) groups << group->title();
    QVERIFY(groups.contains(" Sequence ") && groups.contains(" Instruction "));
    QCOMPARE(Find<QCheckBox>(form, "SoftnerBtn")->text(), QString("Softener"));
    QCOMPARE(Find<QCheckBox>(form, "DefaultSoftnerBtn")->text(), QString("Default softener"));
    QCOMPARE(Find<QCheckBox>(form, "PumpWaitDispenseDoneBtn")->text(),
             QString("Wait until dispense done."));
    QCOMPARE(Find<QCheckBox>(form, "FlushWaitDoneBtn")->text(), QString("Wait until flush done."));
    QCOMPARE(FindAction(form, "CopyProgramBtn")->text(), QString("Copy program"));
    QCOMPARE(FindAction(form, "InsertProgramBtn")->text(), QString("Insert program"));
    QCOMPARE(FindAction(form, "DeleteProgramBtn")->text(), QString("Delete program"));

    QVERIFY(!Find<QPushButton>(form, "SaveBtn")->isEnabled());
    QVERIFY(Find<QCheckBox>(form, "DebugBtn")->isChecked());
    QVERIFY(!Find<QLabel>(form, "DebugActiveImage")->isVisible());
  }

  // Exactly one parameter group for each instruction, and the instruction group keeps its
  // size whichever is shown.
  void oneParameterGroupPerInstruction() {
    FakeContext context;
    TProgramForm form(context, 0, 0);
    form.show();
    const char* groups[] = {"InstructionInputGroup",         "InputOffWaitGroupBox",
                            "InstructionJumpToLineGroup",    "InstructionWaitGroup",
                            "InstructionPumpGroup",          "InstructionFlushGroup",
                            "InstructionPumpHighVolumeGroup"};
    struct Case {
      uint8_t code;
      const char* group;  // nullptr: "No parameters for this instruction."
    } cases[] = {
        {0, nullptr},  // chosen last so that the line really changes
        {1, nullptr},
        {2, "InstructionInputGroup"},
        {3, "InputOffWaitGroupBox"},
        {4, "InstructionInputGroup"},
        {5, "InstructionInputGroup"},
        {6, "InstructionJumpToLineGroup"},
        {7, "InstructionWaitGroup"},
        {8, "InstructionPumpGroup"},
        {9, "InstructionFlushGroup"},
        {10, nullptr},
        {11, "InstructionPumpHighVolumeGroup"},
    };
    auto* instructionGroup = Find<QGroupBox>(form, "InstructionGroupBox");
    QApplication::processEvents();
    const QSize size = instructionGroup->size();
    for (int i = 1; i <= 12; ++i) {
      const Case& c = cases[i % 12];
      ChooseInstruction(form, c.code);
      QApplication::processEvents();
      for (const char* group : groups) {
        const bool expected = c.group && QByteArray(group) == c.group;
        QVERIFY2(Find<QWidget>(form, group)->isVisible() == expected,
                 qPrintable(QString("code %1, group %2").arg(c.code).arg(group)));
      }
      QCOMPARE(Find<QLabel>(form, "NoParametersLabel")->isVisible(), c.group == nullptr);
      QCOMPARE(instructionGroup->size(), size);
    }

    // A code the controller does not know: shown as such, with no panel at all.
    context.programs[0][0].Lines[0] = Line({0x0D, 1, 2, 3});
    form.Load();
    QCOMPARE(Cell(form, 0, 1), QString("13 ???"));
    QCOMPARE(Find<QComboBox>(form, "InstructionComboBox")->currentIndex(), -1);
    QVERIFY(!Find<QLabel>(form, "NoParametersLabel")->isVisible());
    for (const char* group : groups) QVERIFY(!Find<QWidget>(form, group)->isVisible());
  }

  void editingAPumpLine() {
    FakeContext context;
    TProgramForm form(context, 2, 4);
    ShowAndActivate(form);
    ClickRow(form, 2);
    QCOMPARE(Grid(form)->currentRow(), 2);

    ChooseInstruction(form, 8);
    QCOMPARE(Find<QComboBox>(form, "PumpFlushCombo")->currentText(), QString("Short"));
    QVERIFY(Find<QCheckBox>(form, "PumpWaitDispenseDoneBtn")->isChecked());
    QCOMPARE(Find<QComboBox>(form, "PumpPumpCombo")->currentText(), QString("-"));
    QCOMPARE(Find<QLineEdit>(form, "PumpVolume2Edit")->text(), QString("0"));
    QCOMPARE(Cell(form, 2, 1), QString(" Pump"));
    QCOMPARE(Cell(form, 2, 2), QString("P?, FS, V=0/0/0"));
    QVERIFY(form.IsModified());
    QVERIFY(Find<QPushButton>(form, "SaveBtn")->isEnabled());

    Choose(form, "PumpPumpCombo", 3);
    Type(form, "PumpDelayEdit", "5");
    Type(form, "PumpVolume1Edit", "10");
    Type(form, "PumpVolume2Edit", "20");
    Type(form, "PumpVolume3Edit", "30");
    Type(form, "InstructionCommentEdit", "Detergent");
    QCOMPARE(Cell(form, 2, 2), QString("P3, D=5, FS, V=10/20/30"));
    QCOMPARE(Cell(form, 2, 3), QString("Detergent"));
    QCOMPARE(context.programs[2][4].Lines[2], ProgramLine{});

    QTest::mouseClick(Find<QPushButton>(form, "SaveBtn"), Qt::LeftButton);
    // Pump 3, short flush (bits 4-5 = 1) and wait until done (bit 6): b1 = 0x53.
    QCOMPARE(context.programs[2][4].Lines[2], Line({0x08, 0x53, 5, 10, 20, 30}));
    QCOMPARE(context.programs[2][4].LineComments[2], std::string("Detergent"));
    QCOMPARE(context.saved, (QList<QPair<int, int>>{{2, 4}}));
    QVERIFY(!form.IsModified());
    QVERIFY(!Find<QPushButton>(form, "SaveBtn")->isEnabled());

    // The header marks the program modified and leaves the line as it is.
    Choose(form, "DefaultLevelComboBox", 3);
    QVERIFY(form.IsModified());
    QCOMPARE(Cell(form, 2, 2), QString("P3, D=5, FS, V=10/20/30"));
    form.SaveBtnClick();
    QCOMPARE(context.programs[2][4].DefaultLevel, 3);
    QCOMPARE(context.programs[2][4].Lines[2], Line({0x08, 0x53, 5, 10, 20, 30}));
  }

  void editingInputAndHighVolumeLines() {
    FakeContext context;
    context.defaultInputFilter = "3";
    TProgramForm form(context, 0, 0);
    ShowAndActivate(form);

    ChooseInstruction(form, 2);
    QCOMPARE(Find<QLineEdit>(form, "InputFilterEdit")->text(), QString("3"));
    QCOMPARE(Cell(form, 0, 2), QString("F3"));
    Choose(form, "InputInput1Combo", 1);
    auto* lineA = Find<QComboBox>(form, "InputLine2Combo");
    QVERIFY(!lineA->isEnabled());
    Choose(form, "InputInput2Combo", 4);
    QVERIFY(lineA->isEnabled());
    QCOMPARE(lineA->currentIndex(), -1);
    QCOMPARE(Cell(form, 0, 2), QString("F3, I1->Nxt, I4->?"));
    Choose(form, "InputLine2Combo", 6);
    Choose(form, "InputInput3Combo", 5);
    Choose(form, "InputLine3Combo", 24);
    QCOMPARE(Cell(form, 0, 2), QString("F3, I1->Nxt, I4->L7, I5->Reset"));
    // Choosing the line's own instruction again keeps the line and sets the filter
    // back to the system's default.
    Type(form, "InputFilterEdit", "9");
    QCOMPARE(Cell(form, 0, 2), QString("F9, I1->Nxt, I4->L7, I5->Reset"));
    ChooseInstruction(form, 2);
    QCOMPARE(Find<QLineEdit>(form, "InputFilterEdit")->text(), QString("3"));
    QCOMPARE(Cell(form, 0, 2), QString("F3, I1->Nxt, I4->L7, I5->Reset"));
    Choose(form, "InputInput3Combo", 0);
    QVERIFY(!Find<QComboBox>(form, "InputLine3Combo")->isEnabled());
    QCOMPARE(Cell(form, 0, 2), QString("F3, I1->Nxt, I4->L7"));

    // An Input event line has no next-line input: its row is disabled.
    ClickRow(form, 1);
    ChooseInstruction(form, 4);
    QVERIFY(!Find<QComboBox>(form, "InputInput1Combo")->isEnabled());
    ClickRow(form, 0);
    QVERIFY(Find<QComboBox>(form, "InputInput1Combo")->isEnabled());
    QCOMPARE(Find<QComboBox>(form, "InputInput1Combo")->currentIndex(), 1);

    ClickRow(form, 5);
    ChooseInstruction(form, 11);
    QCOMPARE(Find<QLineEdit>(form, "PumpHighVolumeLowEdit")->text(), QString("25"));
    auto* high = Find<QLabel>(form, "PumpHighVolumeHighLabel");
    QCOMPARE(high->text(), QString("50"));
    Type(form, "PumpHighVolumeLowEdit", "30");
    QCOMPARE(high->text(), QString("60"));
    Type(form, "PumpHighVolumeEdit", "1500");
    Type(form, "PumpHighVolumeLowEdit", "");
    QCOMPARE(high->text(), QString());
    QCOMPARE(Cell(form, 5, 2), QString("P?, V=1500"));
    form.Save();
    const ProgramLine& saved = context.programs[0][0].Lines[5];
    QCOMPARE(saved.b[5], uint8_t{25});
    QCOMPARE(saved.b[3] | saved.b[4] << 8, 1500);
  }

  void numberEditsRefuseWhatTheirFieldCannotHold() {
    FakeContext context;
    TProgramForm form(context, 0, 0);
    ShowAndActivate(form);
    struct Case {
      uint8_t instruction;
      const char* edit;
      const char* typed;
      const char* shown;
    } cases[] = {
        {7, "WaitSecondsEdit", "70000", "7000"},    {7, "WaitSecondsEdit", "65535", "65535"},
        {8, "PumpVolume1Edit", "300", "30"},        {8, "PumpDelayEdit", "-1", "1"},
        {8, "PumpVolume3Edit", "2x5", "25"},        {2, "InputFilterEdit", "256", "25"},
        {9, "FlushTimeEdit", "255", "255"},         {11, "PumpHighVolumeEdit", "65536", "6553"},
        {11, "PumpHighVolumeLowEdit", "999", "99"},
    };
    for (const auto& c : cases) {
      ChooseInstruction(form, c.instruction);
      Type(form, c.edit, c.typed);
      QVERIFY2(Find<QLineEdit>(form, c.edit)->text() == c.shown, c.edit);
    }
    // Every number edit carries the limit of the field behind it.
    for (const auto& limit : kProgramNumberEdits) {
      const QByteArray name(limit.controlName.data(), qsizetype(limit.controlName.size()));
      const QValidator* validator = Find<QLineEdit>(form, name.constData())->validator();
      QVERIFY2(validator, name.constData());
      QString highest = QString::number(limit.highest);
      QString beyond = QString::number(limit.highest + 1);
      int at = 0;
      QCOMPARE(validator->validate(highest, at), QValidator::Acceptable);
      QCOMPARE(validator->validate(beyond, at), QValidator::Invalid);
    }
  }

  void gridKeysInsertAndDeleteLines() {
    FakeContext context;
    ProgramRecord& stored = context.programs[0][0];
    stored.Lines[0] = Line({0x06, 3});                    // Jump L3
    stored.Lines[1] = Line({0x07, 10, 0});                // Wait: 10 sec
    stored.Lines[2] = Line({0x02, 0, 0x20, 0, 0x01, 0});  // I2->L1, a loop back
    stored.LineComments[1] = "Soak";
    TProgramForm form(context, 0, 0);
    ShowAndActivate(form);
    QTableWidget* grid = Grid(form);
    ClickRow(form, 1);
    grid->setFocus();

    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(Cell(form, 1, 1), QString(" Empty"));
    QVERIFY(Cell(form, 1, 3).isEmpty());
    QCOMPARE(Cell(form, 2, 2), QString("Wait: 10 sec"));
    QCOMPARE(Cell(form, 2, 3), QString("Soak"));
    QCOMPARE(Cell(form, 0, 2), QString("Jump L4"));
    QCOMPARE(Cell(form, 3, 2), QString("I2->L1"));
    QCOMPARE(form.focusWidget(), Find<QWidget>(form, "InstructionComboBox"));
    QVERIFY(form.IsModified());
    QCOMPARE(stored.Lines[1], Line({0x07, 10, 0}));

    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(Cell(form, 1, 2), QString("Wait: 10 sec"));
    QCOMPARE(Cell(form, 0, 2), QString("Jump L3"));
    QCOMPARE(Cell(form, 2, 2), QString("I2->L1"));
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(grid));
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(Find<QComboBox>(form, "InstructionComboBox")->currentText(), QString("Wait"));
  }

  void formKeys() {
    FakeContext context;
    context.programs[0][0].Name = "Stored";
    TProgramForm form(context, 0, 0);
    ShowAndActivate(form);
    QTableWidget* grid = Grid(form);

    // Alt+Backspace throws the edits away.
    Type(form, "ProgramNameEdit", "Edited");
    ChooseInstruction(form, 7);
    QVERIFY(form.IsModified());
    QTest::keyClick(Find<QLineEdit>(form, "ProgramNameEdit"), Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(Find<QLineEdit>(form, "ProgramNameEdit")->text(), QString("Stored"));
    QCOMPARE(Cell(form, 0, 1), QString(" Empty"));
    QVERIFY(!form.IsModified());
    QVERIFY(!Find<QPushButton>(form, "SaveBtn")->isEnabled());

    // Left goes to the grid from anywhere; Right leaves the grid for the instruction list
    // and moves nothing in the grid.
    auto* comment = Find<QLineEdit>(form, "InstructionCommentEdit");
    comment->setFocus();
    QTest::keyClick(comment, Qt::Key_Left);
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(grid));
    const int column = grid->currentColumn();
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(form.focusWidget(), Find<QWidget>(form, "InstructionComboBox"));
    QCOMPARE(grid->currentColumn(), column);
    comment->setFocus();
    QTest::keyClick(comment, Qt::Key_Right);
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(comment));
    // Left leaves the instruction list without stepping it to the previous instruction.
    ChooseInstruction(form, 7);
    auto* instruction = Find<QComboBox>(form, "InstructionComboBox");
    instruction->setFocus();
    QTest::keyClick(instruction, Qt::Key_Left);
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(grid));
    QCOMPARE(instruction->currentText(), QString("Wait"));
    QCOMPARE(Cell(form, 0, 1), QString(" Wait"));
    // Escape in the open context menu closes the menu, not the editor.
    emit grid->customContextMenuRequested(QPoint(5, 5));
    auto* menu = Find<QMenu>(form, "PopupMenu");
    QVERIFY(menu->isVisible());
    QTest::keyClick(menu, Qt::Key_Escape);
    QVERIFY(!menu->isVisible());
    QVERIFY(form.isVisible());
    QTest::keyClick(grid, Qt::Key_Backspace, Qt::AltModifier);
    QVERIFY(!form.IsModified());

    // Escape closes, from the grid and from any control.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    ShowAndActivate(form);
    QTest::keyClick(Find<QLineEdit>(form, "WaitSecondsEdit"), Qt::Key_Escape);
    QVERIFY(!form.isVisible());
  }

  void contextMenuCopyInsertDelete() {
    FakeContext context;
    ProgramRecord& source = context.programs[0][0];
    source.Name = "Cottons";
    source.Comment = "Towels";
    source.Active = true;
    source.Softner = false;
    source.DefaultLevel = 3;
    source.Lines[0] = Line({0x08, 0x53, 5, 10, 20, 30});
    source.LineComments[0] = "Detergent";
    TProgramForm from(context, 0, 0);
    TProgramForm into(context, 1, 2);
    from.show();
    into.show();

    auto popup = [](TProgramForm& form) {
      QTableWidget* grid = Grid(form);
      emit grid->customContextMenuRequested(QPoint(10, 10));
      auto* menu = Find<QMenu>(form, "PopupMenu");
      const bool shown = menu->isVisible();
      menu->close();
      return shown;
    };
    QVERIFY(popup(into));
    QVERIFY(!FindAction(into, "InsertProgramBtn")->isEnabled());

    popup(from);
    FindAction(from, "CopyProgramBtn")->trigger();
    QCOMPARE(context.copied, &source);
    // Unsaved edits of the source are not what is copied.
    Type(from, "ProgramNameEdit", "Unsaved");

    popup(into);
    QVERIFY(FindAction(into, "InsertProgramBtn")->isEnabled());
    FindAction(into, "InsertProgramBtn")->trigger();
    QCOMPARE(Find<QLineEdit>(into, "ProgramNameEdit")->text(), QString("Cottons"));
    QCOMPARE(Find<QComboBox>(into, "DefaultLevelComboBox")->currentText(), QString("High"));
    QCOMPARE(Cell(into, 0, 2), QString("P3, D=5, FS, V=10/20/30"));
    QCOMPARE(context.programs[1][2], source);
    QVERIFY(!into.IsModified());
    QCOMPARE(context.saved.last(), (QPair<int, int>{1, 2}));

    FindAction(into, "DeleteProgramBtn")->trigger();
    QCOMPARE(Find<QLineEdit>(into, "ProgramNameEdit")->text(), QString("Program 3"));
    QVERIFY(Find<QLineEdit>(into, "ProgramCommentEdit")->text().isEmpty());
    QVERIFY(!Find<QCheckBox>(into, "ActiveBtn")->isChecked());
    QVERIFY(Find<QCheckBox>(into, "SoftnerBtn")->isChecked());
    QVERIFY(Find<QCheckBox>(into, "DefaultSoftnerBtn")->isChecked());
    QCOMPARE(Find<QComboBox>(into, "DefaultLevelComboBox")->currentText(), QString("Mid"));
    QCOMPARE(Cell(into, 0, 1), QString(" Empty"));
    QVERIFY(into.IsModified());
    QVERIFY(Find<QPushButton>(into, "SaveBtn")->isEnabled());
    QCOMPARE(context.programs[1][2].Name, std::string("Cottons"));
    into.SaveBtnClick();
    QCOMPARE(context.programs[1][2], ClearedProgram(3));
  }

  void closeQuestion() {
    struct Case {
      const char* name;
      MsgButton answer;
      bool staysOpen;
      const char* storedName;
    } cases[] = {
        {"yes saves and closes", kMsgYes, false, "Edited"},
        {"no closes without saving", kMsgNo, false, "Program 1"},
        {"cancel keeps the window open", kMsgCancel, true, "Program 1"},
    };
    for (const auto& c : cases) {
      FakeContext context;
      test::ScriptedDialogs dialogs;
      TProgramForm form(context, 0, 0);
      form.show();
      form.close();
      QVERIFY2(dialogs.asked.isEmpty(), "an unmodified program closes without a question");

      form.show();
      Type(form, "ProgramNameEdit", "Edited");
      dialogs.answers = {c.answer};
      form.close();
      QCOMPARE(dialogs.asked.size(), 1);
      QCOMPARE(dialogs.asked[0].text, QString("Program modfied, save?"));
      QCOMPARE(dialogs.asked[0].type, MsgType::Warning);
      QCOMPARE(dialogs.asked[0].buttons, unsigned(kMsgYes | kMsgNo | kMsgCancel));
      QVERIFY2(form.isVisible() == c.staysOpen, c.name);
      QVERIFY2(form.IsModified() == c.staysOpen, c.name);
      QCOMPARE(context.programs[0][0].Name, std::string(c.storedName));
      if (!c.staysOpen) {
        form.show();
        QCOMPARE(Find<QLineEdit>(form, "ProgramNameEdit")->text(), QString(c.storedName));
      }
    }
  }

  void dropModifiedRestoresTheComment() {
    FakeContext context;
    context.programs[0][0].Comment = "Towels";
    TProgramForm form(context, 0, 0);
    form.show();
    Type(form, "ProgramCommentEdit", "Sheets");
    QVERIFY(form.IsModified());
    form.DropModified();
    QCOMPARE(Find<QLineEdit>(form, "ProgramCommentEdit")->text(), QString("Towels"));
    QVERIFY(!form.IsModified());
    QVERIFY(!Find<QPushButton>(form, "SaveBtn")->isEnabled());
  }

  void debugFollowsTheRunningLine() {
    FakeContext context;
    context.programs[0][0].Lines[4] = Line({0x07, 30, 0});
    TProgramForm form(context, 0, 0);
    auto* indicator = Find<QLabel>(form, "DebugActiveImage");
    form.RunningLineReport(5);
    QCOMPARE(Grid(form)->currentRow(), 0);  // a hidden editor follows nothing

    form.show();
    form.RunningLineReport(0xC5);  // the high two bits are not the line
    QCOMPARE(Grid(form)->currentRow(), 4);
    QCOMPARE(Find<QComboBox>(form, "InstructionComboBox")->currentText(), QString("Wait"));
    QVERIFY(indicator->isVisible());
    form.RunningLineReport(0);
    form.RunningLineReport(25);
    QCOMPARE(Grid(form)->currentRow(), 4);
    for (int tick = 1; tick < 10; ++tick) form.Tick();
    QVERIFY(indicator->isVisible());
    QCOMPARE(Grid(form)->currentRow(), 4);
    form.Tick();
    QVERIFY(!indicator->isVisible());
    QCOMPARE(Grid(form)->currentRow(), 0);

    // Unchecking Debug puts the indicator out at once and stops following.
    form.RunningLineReport(7);
    QTest::mouseClick(Find<QCheckBox>(form, "DebugBtn"), Qt::LeftButton);
    QVERIFY(!indicator->isVisible());
    for (int tick = 0; tick < 10; ++tick) form.Tick();
    QCOMPARE(Grid(form)->currentRow(), 6);
    form.RunningLineReport(9);
    QCOMPARE(Grid(form)->currentRow(), 6);
    QVERIFY(!form.IsModified());

    // Every show checks Debug again.
    form.close();
    form.show();
    QVERIFY(Find<QCheckBox>(form, "DebugBtn")->isChecked());
  }

  void placedBesideTheMachineWindow() {
    FakeContext context;
    TProgramForm form(context, 0, 2);
    const QRect area = form.screen()->availableGeometry();
    const QRect machine(area.left() + 100, area.top() + 50, 300, 200);
    TProgramForm::PlaceBeside(&form, machine, 2);
    QCOMPARE(form.pos(), area.topLeft() + QPoint(100 + 300 + 30, 50 + 30));
    // Beyond the work area the editor is pulled back so that its corner can be reached.
    const QRect farRight(area.right() - 50, area.bottom() - 5, 300, 200);
    TProgramForm::PlaceBeside(&form, farRight, 5);
    QCOMPARE(form.pos(), area.topLeft() + QPoint(area.width() - 100, area.height() - 20));
  }

  // A program using every instruction, for looking at the window.
  void screenshotsOfEveryInstruction() {
    FakeContext context;
    context.programs[4][0] = EveryInstruction();
    TProgramForm form(context, 4, 0);
    ShowAndActivate(form);
    QCOMPARE(Cell(form, 0, 2), QString("F2, I1->Nxt, I4->L7, I5->Reset"));
    QCOMPARE(Cell(form, 8, 2), QString("P3, D=15, FL, V=1500"));
    QCOMPARE(Cell(form, 11, 1), QString("12 ???"));
    QCOMPARE(Find<QLineEdit>(form, "ProgramNameEdit")->text(), QString("Cottons 60 °C"));
    for (int row = 0; row < 24; ++row) {
      QVERIFY2(ShownInFull(form, row, 1), qPrintable(Cell(form, row, 1)));
      QCOMPARE(Grid(form)->item(row, 3)->toolTip(), Cell(form, row, 3));
    }
    QVERIFY(ShownInFull(form, 2, 2));
    QVERIFY(ShownInFull(form, 8, 2));
    QCOMPARE(Grid(form)->item(0, 2)->toolTip(), QString("F2, I1->Nxt, I4->L7, I5->Reset"));
    const std::pair<int, const char*> shots[] = {
        {0, "program_form_input_wait"},  {1, "program_form_keyboard_lock"},
        {2, "program_form_pump"},        {3, "program_form_flush"},
        {4, "program_form_wait"},        {5, "program_form_input_off_wait"},
        {6, "program_form_input_event"}, {8, "program_form_pump_high_volume"},
        {9, "program_form_jump"},        {11, "program_form_unknown_code"},
    };
    for (const auto& [row, name] : shots) {
      ClickRow(form, row);
      QApplication::processEvents();
      test::SaveScreenshot(&form, name);
    }
    form.RunningLineReport(3);
    test::SaveScreenshot(&form, "program_form_debug");
  }
};

QTEST_MAIN(ProgramFormTest)
#include "program_form_test.moc"
