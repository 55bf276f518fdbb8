// The program editor window. It copies its controls into the panel and header data of
// the core, lets the core apply the rule, and copies the result back under its guard.
#include "ui/program/TProgramForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/app/WindowPlacement.h"
#include "core/program/ProgramLines.h"
#include "io/AnsiQt.h"
#include "ui/common/Dialogs.h"
#include "ui/common/FillingGuard.h"
#include "ui/common/NumberValidators.h"

namespace vorel {

// Set while controls are filled from the data, so that their change events write nothing
// back.

namespace {

constexpr int kIndicatorSize = 14;
constexpr int kGridRowPadding = 6;
constexpr int kFieldPadding = 8;
constexpr int kNameEditWidth = 200;
constexpr int kFlagSpacing = 12;

const QStringList kInputItems = {"-", "1", "2", "3", "4", "5", "6"};
const QStringList kPumpItems = {"-", "1", "2", "3", "4", "5", "6", "7"};
const QStringList kFlushItems = {"No", "Short", "Long"};
const QStringList kDefaultLevelItems = {"-", "Low", "Mid", "High"};

QStringList LineItems() {
  QStringList items;
  for (int lineNumber = 1; lineNumber <= kProgramLineCount; ++lineNumber) {
    items << QString::number(lineNumber);
  }
  return items;
}

QStringList TargetItems() {
  return LineItems() << QStringLiteral("Reset");
}

QStringList InstructionItems() {
  QStringList items;
  for (const auto& info : kInstructions) {
    items << QString::fromLatin1(info.name.data(), static_cast<qsizetype>(info.name.size()));
  }
  return items;
}

QLabel* NewLabel(const QString& text, QWidget* parent) {
  return new QLabel(text, parent);
}

QComboBox* NewCombo(const char* name, const QStringList& items, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  combo->addItems(items);
  combo->setMaxVisibleItems(kProgramLineCount + 1);
  return combo;
}

QLineEdit* NewNumberEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return edit;
}

QCheckBox* NewCheck(const char* name, const QString& caption, QWidget* parent) {
  auto* check = new QCheckBox(caption, parent);
  check->setObjectName(QString::fromLatin1(name));
  return check;
}

QGridLayout* NewPageGrid(QWidget* page) {
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);
  return grid;
}

// Sets the text only when it differs, so that an edit being typed in keeps its cursor.
void SetText(QLineEdit* edit, const std::string& ansi) {
  const QString text = Ansi::toQString(ansi);
  if (edit->text() != text) edit->setText(text);
}

std::string Text(const QLineEdit* edit) {
  return Ansi::fromQString(edit->text());
}

QPixmap RunningLineIndicator() {
  QPixmap pixmap(kIndicatorSize, kIndicatorSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 100, 0), 1));
  painter.setBrush(QColor(40, 200, 40));
  painter.drawEllipse(QRectF(1.5, 1.5, kIndicatorSize - 3, kIndicatorSize - 3));
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  const QPointF play[] = {{5.0, 4.0}, {5.0, 10.0}, {10.0, 7.0}};
  painter.drawPolygon(play, 3);
  return pixmap;
}

}  // namespace

TProgramForm::TProgramForm(ProgramEditorContext& context, int machineIndex, int slotIndex,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      machineIndex_(machineIndex),
      slotIndex_(slotIndex),
      working_(context.StoredProgram(machineIndex, slotIndex)) {
  setObjectName("ProgramForm");
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(QApplication::font().pointSize());
  setFont(font);

  auto* layout = new QVBoxLayout(this);
  auto* header = new QWidget(this);
  header->setObjectName("HeaderPanel");
  BuildHeader(header);
  layout->addWidget(header);
  auto* body = new QHBoxLayout;
  body->addWidget(BuildSequenceGroup(), 1);
  body->addWidget(BuildInstructionGroup(), 0);
  layout->addLayout(body, 1);

  SetNumberEditValidators(this, kProgramNumberEdits);
  ConnectEditors();

  // The form sees every key before the control that has the focus.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) {
    if (!child->isWindow() && child->focusPolicy() != Qt::NoFocus) {
      child->installEventFilter(this);
    }
  }

  {
    FillingGuard guard(updating_);
    programLineGrid_->setCurrentCell(0, 0);
  }
  Load();
  adjustSize();
}

TProgramForm::~TProgramForm() = default;

void TProgramForm::BuildHeader(QWidget* header) {
  auto* grid = new QGridLayout(header);
  grid->setContentsMargins(0, 0, 0, 0);

  programNameEdit_ = new QLineEdit(header);
  programNameEdit_->setObjectName("ProgramNameEdit");
  programCommentEdit_ = new QLineEdit(header);
  programCommentEdit_->setObjectName("ProgramCommentEdit");
  activeBtn_ = NewCheck("ActiveBtn", QStringLiteral("Active"), header);
  softnerBtn_ = NewCheck("SoftnerBtn", QStringLiteral("Softener"), header);
  defaultSoftnerBtn_ = NewCheck("DefaultSoftnerBtn", QStringLiteral("Default softener"), header);
  defaultLevelComboBox_ = NewCombo("DefaultLevelComboBox", kDefaultLevelItems, header);
  saveBtn_ = new QPushButton(QStringLiteral("Save"), header);
  saveBtn_->setObjectName("SaveBtn");
  debugBtn_ = NewCheck("DebugBtn", QStringLiteral("Debug"), header);
  debugActiveImage_ = new QLabel(header);
  debugActiveImage_->setObjectName("DebugActiveImage");
  debugActiveImage_->setPixmap(RunningLineIndicator());
  debugActiveImage_->setFixedSize(kIndicatorSize, kIndicatorSize);
  QSizePolicy keepPlace = debugActiveImage_->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  debugActiveImage_->setSizePolicy(keepPlace);
  debugActiveImage_->hide();

  // Row 0: the program's name and comment, with Save at the right.
  grid->addWidget(programNameEdit_, 0, 0);
  auto* commentRow = new QHBoxLayout;
  commentRow->addWidget(NewLabel(QStringLiteral("Comment"), header));
  commentRow->addWidget(programCommentEdit_, 1);
  grid->addLayout(commentRow, 0, 1);
  grid->addWidget(saveBtn_, 0, 2);
  // Row 1: the program's flags and level, with Debug and its indicator under Save.
  auto* flags = new QHBoxLayout;
  flags->addWidget(activeBtn_);
  flags->addSpacing(kFlagSpacing);
  flags->addWidget(softnerBtn_);
  flags->addSpacing(kFlagSpacing);
  flags->addWidget(defaultSoftnerBtn_);
  flags->addSpacing(2 * kFlagSpacing);
  flags->addWidget(NewLabel(QStringLiteral("Default level"), header));
  flags->addWidget(defaultLevelComboBox_);
  flags->addStretch(1);
  grid->addLayout(flags, 1, 0, 1, 2);
  auto* debug = new QHBoxLayout;
  debug->addWidget(debugBtn_);
  debug->addWidget(debugActiveImage_);
  grid->addLayout(debug, 1, 2);
  grid->setColumnStretch(1, 1);
  programNameEdit_->setMinimumWidth(kNameEditWidth);
}

int TProgramForm::ColumnWidth(const QWidget* grid, int column) {
  // The column widths are the design size; with a larger font a column grows as far as the
  // texts it must always show in full: every instruction name, and a Pump line with
  // three-digit numbers throughout. Longer texts are cut and shown in full as a tip.
  // A cell loses one pixel to the grid line and the style's text margin on either side;
  // one more pixel is kept for rounding.
  const int cellMargin =
      2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 2;
  const QFontMetricsF metrics(grid->font());
  auto fits = [&](const std::string& text) {
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(Ansi::toQString(text)))) +
           cellMargin;
  };
  int width = kColumnWidths[column];
  if (column == 1) {
    for (const auto& info : kInstructions) {
      width = std::max(width, fits(" " + std::string(info.name)));
    }
  } else if (column == 2) {
    ProgramLine widestPump;
    widestPump.SetCode(instruction::kPump);
    WritePumpControl(widestPump, {line::kHighestPump, line::kFlushLong, false});
    for (size_t at :
         {line::kPumpDelay, line::kPumpVolumeLow, line::kPumpVolumeMid, line::kPumpVolumeHigh}) {
      widestPump.b[at] = kByteFieldHighest;
    }
    width = std::max(width, fits(RenderLine(widestPump).parameters));
  }
  return width;
}

QGroupBox* TProgramForm::BuildSequenceGroup() {
  auto* group = new QGroupBox(QStringLiteral(" Sequence "), this);
  group->setObjectName("SequenceGroupBox");
  auto* layout = new QVBoxLayout(group);

  programLineGrid_ = new QTableWidget(kProgramLineCount, kGridColumns, group);
  auto* grid = programLineGrid_;
  grid->setObjectName("ProgramLineGrid");
  grid->setHorizontalHeaderLabels({" Line", " Instruction", " Parametres", " Comment"});
  grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid->horizontalHeader()->setHighlightSections(false);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->verticalHeader()->hide();
  const int rowHeight = grid->fontMetrics().height() + kGridRowPadding;
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->verticalHeader()->setDefaultSectionSize(rowHeight);
  for (int column = 0; column < kGridColumns; ++column) {
    grid->setColumnWidth(column, ColumnWidth(grid, column));
  }
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setWordWrap(false);
  grid->setTabKeyNavigation(false);
  for (int row = 0; row < kProgramLineCount; ++row) {
    for (int column = 0; column < kGridColumns; ++column) {
      auto* item = new QTableWidgetItem;
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      if (column == 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->setItem(row, column, item);
    }
  }
  // All 24 lines in view at once, every column at its width.
  int width = 2 * grid->frameWidth();
  for (int column = 0; column < kGridColumns; ++column) width += grid->columnWidth(column);
  grid->setMinimumSize(width, grid->horizontalHeader()->sizeHint().height() +
                                  kProgramLineCount * rowHeight + 2 * grid->frameWidth());

  popupMenu_ = new QMenu(grid);
  popupMenu_->setObjectName("PopupMenu");
  copyProgramBtn_ = popupMenu_->addAction(QStringLiteral("Copy program"));
  copyProgramBtn_->setObjectName("CopyProgramBtn");
  insertProgramBtn_ = popupMenu_->addAction(QStringLiteral("Insert program"));
  insertProgramBtn_->setObjectName("InsertProgramBtn");
  deleteProgramBtn_ = popupMenu_->addAction(QStringLiteral("Delete program"));
  deleteProgramBtn_->setObjectName("DeleteProgramBtn");
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    popupMenu_->popup(programLineGrid_->viewport()->mapToGlobal(at));
  });
  connect(popupMenu_, &QMenu::aboutToShow, this, &TProgramForm::PopupMenuPopup);
  connect(copyProgramBtn_, &QAction::triggered, this, &TProgramForm::CopyProgramBtnClick);
  connect(insertProgramBtn_, &QAction::triggered, this, &TProgramForm::InsertProgramBtnClick);
  connect(deleteProgramBtn_, &QAction::triggered, this, &TProgramForm::DeleteProgramBtnClick);

  layout->addWidget(grid);
  return group;
}

QGroupBox* TProgramForm::BuildInstructionGroup() {
  auto* group = new QGroupBox(QStringLiteral(" Instruction "), this);
  group->setObjectName("InstructionGroupBox");
  auto* layout = new QGridLayout(group);

  instructionComboBox_ = NewCombo("InstructionComboBox", InstructionItems(), group);
  instructionCommentEdit_ = new QLineEdit(group);
  instructionCommentEdit_->setObjectName("InstructionCommentEdit");
  AddCaption(layout, 0, QStringLiteral("Instruction"));
  layout->addWidget(instructionComboBox_, 0, 1);
  AddCaption(layout, 1, QStringLiteral("Comment"));
  layout->addWidget(instructionCommentEdit_, 1, 1);

  parameterPages_ = new QStackedWidget(group);
  parameterPages_->setObjectName("ParameterPanel");
  auto* nonePage = new QWidget(parameterPages_);
  auto* noneLayout = new QVBoxLayout(nonePage);
  noneLayout->setContentsMargins(0, 0, 0, 0);
  noParametersLabel_ = NewLabel(QStringLiteral("No parameters for this instruction."), nonePage);
  noParametersLabel_->setObjectName("NoParametersLabel");
  noneLayout->addWidget(noParametersLabel_);
  noneLayout->addStretch(1);
  pages_ = {nonePage,        BuildInputPage(), BuildInputOffWaitPage(), BuildJumpPage(),
            BuildWaitPage(), BuildPumpPage(),  BuildFlushPage(),        BuildPumpHighVolumePage()};
  for (QWidget* page : pages_) parameterPages_->addWidget(page);
  layout->addItem(new QSpacerItem(0, 8), 2, 0);
  layout->addWidget(parameterPages_, 3, 0, 1, 2);
  layout->setRowStretch(4, 1);

  // Every caption column as wide as the widest, so that the controls of the instruction,
  // the comment and every parameter page stand in one column; the small lists and number
  // edits all share one width.
  int captionWidth = 0;
  for (QLabel* caption : captionLabels_) {
    captionWidth = std::max(captionWidth, caption->sizeHint().width());
  }
  layout->setColumnMinimumWidth(0, captionWidth);
  for (QWidget* page : pages_) {
    if (auto* grid = qobject_cast<QGridLayout*>(page->layout())) {
      grid->setColumnMinimumWidth(0, captionWidth);
    }
  }
  // The input lists of Input off wait stand in the same column, inside their frame.
  auto* offWaitGroup = inputOffGrid_->parentWidget();
  inputOffGrid_->setColumnMinimumWidth(0, captionWidth - offWaitGroup->contentsMargins().left() -
                                              inputOffGrid_->contentsMargins().left());
  int fieldWidth = 0;
  QList<QWidget*> fields;
  for (QComboBox* combo : parameterPages_->findChildren<QComboBox*>()) {
    fieldWidth = std::max(fieldWidth, combo->sizeHint().width());
    fields << combo;
  }
  for (QLineEdit* edit : parameterPages_->findChildren<QLineEdit*>()) {
    fieldWidth =
        std::max(fieldWidth, edit->fontMetrics().horizontalAdvance("65535") + 4 * kFieldPadding);
    fields << edit;
  }
  for (QWidget* field : fields) field->setFixedWidth(fieldWidth);
  pumpHighVolumeHighLabel_->setFixedWidth(fieldWidth);
  return group;
}

QWidget* TProgramForm::BuildInputPage() {
  auto* page = new QWidget;
  page->setObjectName("InstructionInputGroup");
  auto* grid = NewPageGrid(page);
  inputFilterEdit_ = NewNumberEdit("InputFilterEdit", page);
  AddCaption(grid, 0, QStringLiteral("Filter"));
  grid->addWidget(inputFilterEdit_, 0, 1);
  grid->addWidget(NewLabel(QStringLiteral("0..250 sec."), page), 0, 2, 1, 2);

  inputInput1Combo_ = NewCombo("InputInput1Combo", kInputItems, page);
  nextLineLabels_ = {NewLabel(QStringLiteral("Input"), page),
                     NewLabel(QStringLiteral("-> Next line"), page)};
  captionLabels_ << nextLineLabels_[0];
  grid->addWidget(nextLineLabels_[0], 1, 0);
  grid->addWidget(inputInput1Combo_, 1, 1);
  grid->addWidget(nextLineLabels_[1], 1, 2, 1, 2);

  static constexpr const char* kInputNames[] = {"InputInput2Combo", "InputInput3Combo",
                                                "InputInput4Combo"};
  static constexpr const char* kLineNames[] = {"InputLine2Combo", "InputLine3Combo",
                                               "InputLine4Combo"};
  for (int row = 0; row < kRowsWithTarget; ++row) {
    inputInputCombo_[row] = NewCombo(kInputNames[row], kInputItems, page);
    inputLineCombo_[row] = NewCombo(kLineNames[row], TargetItems(), page);
    AddCaption(grid, row + 2, QStringLiteral("Input"));
    grid->addWidget(inputInputCombo_[row], row + 2, 1);
    grid->addWidget(NewLabel(QStringLiteral("-> Line"), page), row + 2, 2);
    grid->addWidget(inputLineCombo_[row], row + 2, 3);
  }
  grid->setColumnStretch(4, 1);
  grid->setRowStretch(kRowsWithTarget + 2, 1);
  return page;
}

QWidget* TProgramForm::BuildInputOffWaitPage() {
  auto* page = new QWidget;
  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  auto* group = new QGroupBox(QStringLiteral(" Input off wait "), page);
  group->setObjectName("InputOffWaitGroupBox");
  inputOffGrid_ = new QGridLayout(group);
  for (int slot = 0; slot < line::kInputOffSlotCount; ++slot) {
    const QByteArray name = "InputOff" + QByteArray::number(slot + 1) + "ComboBox";
    inputOffComboBox_[slot] = NewCombo(name.constData(), kInputItems, group);
    inputOffGrid_->addWidget(NewLabel(QStringLiteral("Input"), group), slot, 0);
    inputOffGrid_->addWidget(inputOffComboBox_[slot], slot, 1);
  }
  const int textRow = line::kInputOffSlotCount;
  inputOffGrid_->addItem(new QSpacerItem(0, 6), textRow, 0);
  inputOffGrid_->addWidget(NewLabel(QStringLiteral("Next line when all selected inputs"), group),
                           textRow + 1, 0, 1, 3);
  inputOffGrid_->addWidget(NewLabel(QStringLiteral("are off."), group), textRow + 2, 0, 1, 3);
  inputOffGrid_->setColumnStretch(2, 1);
  pageLayout->addWidget(group);
  pageLayout->addStretch(1);
  return page;
}

QWidget* TProgramForm::BuildJumpPage() {
  auto* page = new QWidget;
  page->setObjectName("InstructionJumpToLineGroup");
  auto* grid = NewPageGrid(page);
  jumpToLineCombo_ = NewCombo("JumpToLineCombo", LineItems(), page);
  AddCaption(grid, 0, QStringLiteral("Jump to Line "));
  grid->addWidget(jumpToLineCombo_, 0, 1);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(1, 1);
  return page;
}

QWidget* TProgramForm::BuildWaitPage() {
  auto* page = new QWidget;
  page->setObjectName("InstructionWaitGroup");
  auto* grid = NewPageGrid(page);
  waitSecondsEdit_ = NewNumberEdit("WaitSecondsEdit", page);
  FinishPage(grid, AddFieldRows(grid, {{"Wait", waitSecondsEdit_, "(1..5000 seconds)"}}));
  return page;
}

QWidget* TProgramForm::BuildPumpPage() {
  auto* page = new QWidget;
  page->setObjectName("InstructionPumpGroup");
  auto* grid = NewPageGrid(page);
  pumpPumpCombo_ = NewCombo("PumpPumpCombo", kPumpItems, page);
  pumpDelayEdit_ = NewNumberEdit("PumpDelayEdit", page);
  pumpVolumeEdit_ = {NewNumberEdit("PumpVolume1Edit", page), NewNumberEdit("PumpVolume2Edit", page),
                     NewNumberEdit("PumpVolume3Edit", page)};
  pumpFlushCombo_ = NewCombo("PumpFlushCombo", kFlushItems, page);
  pumpWaitDispenseDoneBtn_ =
      NewCheck("PumpWaitDispenseDoneBtn", QStringLiteral("Wait until dispense done."), page);
  const int row = AddFieldRows(grid, {
                                         {"Pump", pumpPumpCombo_, "1..7"},
                                         {"Delay", pumpDelayEdit_, "0..250 sec."},
                                         {"Volume, low", pumpVolumeEdit_[0], "ml"},
                                         {"Volume, mid", pumpVolumeEdit_[1], "ml"},
                                         {"Volume, high", pumpVolumeEdit_[2], "ml"},
                                         {"Flush", pumpFlushCombo_, ""},
                                     });
  grid->addWidget(pumpWaitDispenseDoneBtn_, row, 1, 1, 2);
  FinishPage(grid, row + 1);
  return page;
}

QWidget* TProgramForm::BuildFlushPage() {
  auto* page = new QWidget;
  page->setObjectName("InstructionFlushGroup");
  auto* grid = NewPageGrid(page);
  flushDelayEdit_ = NewNumberEdit("FlushDelayEdit", page);
  flushTimeEdit_ = NewNumberEdit("FlushTimeEdit", page);
  flushToDrainBtn_ = NewCheck("FlushToDrainBtn", QStringLiteral("Drain flush"), page);
  flushWaitDoneBtn_ = NewCheck("FlushWaitDoneBtn", QStringLiteral("Wait until flush done."), page);
  const int row = AddFieldRows(grid, {
                                         {"Delay", flushDelayEdit_, "0..250 sec."},
                                         {"Flush time", flushTimeEdit_, "0..250 sec."},
                                     });
  grid->addWidget(flushToDrainBtn_, row, 1, 1, 2);
  grid->addWidget(flushWaitDoneBtn_, row + 1, 1, 1, 2);
  FinishPage(grid, row + 2);
  return page;
}

QWidget* TProgramForm::BuildPumpHighVolumePage() {
  auto* page = new QWidget;
  page->setObjectName("InstructionPumpHighVolumeGroup");
  auto* grid = NewPageGrid(page);
  pumpHighPumpCombo_ = NewCombo("PumpHighPumpCombo", kPumpItems, page);
  pumpHighDelayEdit_ = NewNumberEdit("PumpHighDelayEdit", page);
  pumpHighVolumeEdit_ = NewNumberEdit("PumpHighVolumeEdit", page);
  pumpHighVolumeLowEdit_ = NewNumberEdit("PumpHighVolumeLowEdit", page);
  // Read-only, drawn like a field so that it reads as a value beside the low adjust.
  pumpHighVolumeHighLabel_ = new QLabel(page);
  pumpHighVolumeHighLabel_->setObjectName("PumpHighVolumeHighLabel");
  pumpHighVolumeHighLabel_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  pumpHighVolumeHighLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  pumpHighVolumeHighLabel_->setMargin(2);
  pumpHighFlushCombo_ = NewCombo("PumpHighFlushCombo", kFlushItems, page);
  pumpHighWaitDispenseDoneBtn_ =
      NewCheck("PumpHighWaitDispenseDoneBtn", QStringLiteral("Wait until dispense done."), page);
  const int row = AddFieldRows(grid, {
                                         {"Pump", pumpHighPumpCombo_, "1..7"},
                                         {"Delay", pumpHighDelayEdit_, "0..250 sec."},
                                         {"Volume (mid)", pumpHighVolumeEdit_, "ml"},
                                         {"Low adjust (-%)", pumpHighVolumeLowEdit_, ""},
                                         {"High adjust (+%)", pumpHighVolumeHighLabel_, ""},
                                         {"Flush", pumpHighFlushCombo_, ""},
                                     });
  grid->addWidget(pumpHighWaitDispenseDoneBtn_, row, 1, 1, 2);
  FinishPage(grid, row + 1);
  return page;
}

int TProgramForm::AddFieldRows(QGridLayout* grid, std::initializer_list<FieldRow> rows) {
  int row = 0;
  for (const FieldRow& r : rows) {
    AddCaption(grid, row, QString::fromLatin1(r.caption));
    grid->addWidget(r.field, row, 1);
    if (*r.unit)
      grid->addWidget(NewLabel(QString::fromLatin1(r.unit), grid->parentWidget()), row, 2);
    ++row;
  }
  return row;
}

void TProgramForm::FinishPage(QGridLayout* grid, int lastRow) {
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(lastRow, 1);
}

QLabel* TProgramForm::AddCaption(QGridLayout* grid, int row, const QString& text) {
  auto* caption = new QLabel(text, grid->parentWidget());
  grid->addWidget(caption, row, 0);
  captionLabels_ << caption;
  return caption;
}

void TProgramForm::ConnectEditors() {
  connect(programLineGrid_, &QTableWidget::currentCellChanged, this,
          [this](int row) { ProgramLineGridSelectCell(row); });
  // Every choice, the line's own instruction included: choosing it again keeps the
  // line and sets the filter to the system's default.
  connect(instructionComboBox_, &QComboBox::activated, this,
          &TProgramForm::InstructionComboBoxChange);
  connect(instructionCommentEdit_, &QLineEdit::textChanged, this,
          &TProgramForm::InstructionCommentEditChange);
  for (int row = 0; row < kRowsWithTarget; ++row) {
    connect(inputInputCombo_[row], &QComboBox::currentIndexChanged, this,
            [this, row] { InputInputComboChange(row); });
  }
  connect(pumpHighVolumeLowEdit_, &QLineEdit::textChanged, this,
          &TProgramForm::PumpHighVolumeLowEditChange);
  connect(saveBtn_, &QPushButton::clicked, this, &TProgramForm::SaveBtnClick);
  connect(debugBtn_, &QCheckBox::clicked, this, &TProgramForm::DebugBtnClick);

  // Every other parameter control and the header controls.
  const QSet<QObject*> ownHandlers = {instructionComboBox_,
                                      instructionCommentEdit_,
                                      inputInputCombo_[0],
                                      inputInputCombo_[1],
                                      inputInputCombo_[2],
                                      pumpHighVolumeLowEdit_,
                                      debugBtn_};
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    if (!ownHandlers.contains(edit)) {
      connect(edit, &QLineEdit::textChanged, this, &TProgramForm::EditDataModified);
    }
  }
  for (QComboBox* combo : findChildren<QComboBox*>()) {
    if (!ownHandlers.contains(combo)) {
      connect(combo, &QComboBox::currentIndexChanged, this, &TProgramForm::EditDataModified);
    }
  }
  for (QCheckBox* check : findChildren<QCheckBox*>()) {
    if (!ownHandlers.contains(check)) {
      connect(check, &QCheckBox::toggled, this, &TProgramForm::EditDataModified);
    }
  }
}

void TProgramForm::PlaceBeside(QWidget* editor, const QRect& machineFrame, int slotIndex) {
  const QScreen* screen = QGuiApplication::screenAt(machineFrame.center());
  if (!screen) screen = editor->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const WindowPosition position =
      ProgramEditorPosition(machineFrame.left() - area.left(), machineFrame.top() - area.top(),
                            machineFrame.width(), slotIndex, area.width(), area.height());
  editor->move(area.left() + position.left, area.top() + position.top);
}

const ProgramRecord& TProgramForm::Stored() const {
  return context_.StoredProgram(machineIndex_, slotIndex_);
}

ProgramHeader TProgramForm::ReadHeader() const {
  ProgramHeader header;
  header.programNameEdit = Text(programNameEdit_);
  header.programCommentEdit = Text(programCommentEdit_);
  header.activeBtn = activeBtn_->isChecked();
  header.softnerBtn = softnerBtn_->isChecked();
  header.defaultSoftnerBtn = defaultSoftnerBtn_->isChecked();
  header.defaultLevelComboBox = defaultLevelComboBox_->currentIndex();
  return header;
}

void TProgramForm::WriteHeader(const ProgramHeader& header) {
  FillingGuard guard(updating_);
  SetText(programNameEdit_, header.programNameEdit);
  SetText(programCommentEdit_, header.programCommentEdit);
  activeBtn_->setChecked(header.activeBtn);
  softnerBtn_->setChecked(header.softnerBtn);
  defaultSoftnerBtn_->setChecked(header.defaultSoftnerBtn);
  defaultLevelComboBox_->setCurrentIndex(header.defaultLevelComboBox);
}

// What the technician can change; which group shows and what is enabled is the panel's.
void TProgramForm::ReadPanel() {
  ParameterPanel& p = panel_;
  p.instructionComboBox = instructionComboBox_->currentIndex();
  p.instructionCommentEdit = Text(instructionCommentEdit_);
  p.inputFilterEdit = Text(inputFilterEdit_);
  p.inputInput1Combo = inputInput1Combo_->currentIndex();
  for (int row = 0; row < kRowsWithTarget; ++row) {
    p.inputInputCombo[row] = inputInputCombo_[row]->currentIndex();
    p.inputLineCombo[row] = inputLineCombo_[row]->currentIndex();
  }
  for (int slot = 0; slot < line::kInputOffSlotCount; ++slot) {
    p.inputOffComboBox[slot] = inputOffComboBox_[slot]->currentIndex();
  }
  p.jumpToLineCombo = jumpToLineCombo_->currentIndex();
  p.waitSecondsEdit = Text(waitSecondsEdit_);
  p.pumpPumpCombo = pumpPumpCombo_->currentIndex();
  p.pumpDelayEdit = Text(pumpDelayEdit_);
  for (size_t i = 0; i < pumpVolumeEdit_.size(); ++i)
    p.pumpVolumeEdit[i] = Text(pumpVolumeEdit_[i]);
  p.pumpFlushCombo = pumpFlushCombo_->currentIndex();
  p.pumpWaitDispenseDoneBtn = pumpWaitDispenseDoneBtn_->isChecked();
  p.flushDelayEdit = Text(flushDelayEdit_);
  p.flushTimeEdit = Text(flushTimeEdit_);
  p.flushToDrainBtn = flushToDrainBtn_->isChecked();
  p.flushWaitDoneBtn = flushWaitDoneBtn_->isChecked();
  p.pumpHighPumpCombo = pumpHighPumpCombo_->currentIndex();
  p.pumpHighDelayEdit = Text(pumpHighDelayEdit_);
  p.pumpHighVolumeEdit = Text(pumpHighVolumeEdit_);
  p.pumpHighVolumeLowEdit = Text(pumpHighVolumeLowEdit_);
  p.pumpHighFlushCombo = pumpHighFlushCombo_->currentIndex();
  p.pumpHighWaitDispenseDoneBtn = pumpHighWaitDispenseDoneBtn_->isChecked();
}

void TProgramForm::WritePanel() {
  FillingGuard guard(updating_);
  const ParameterPanel& p = panel_;
  instructionComboBox_->setCurrentIndex(p.instructionComboBox);
  SetText(instructionCommentEdit_, p.instructionCommentEdit);
  parameterPages_->setCurrentIndex(static_cast<int>(p.visibleGroup));
  noParametersLabel_->setVisible(p.noParametersVisible);

  SetText(inputFilterEdit_, p.inputFilterEdit);
  inputInput1Combo_->setCurrentIndex(p.inputInput1Combo);
  inputInput1Combo_->setEnabled(p.inputNextLineEnabled);
  for (QLabel* label : nextLineLabels_) label->setEnabled(p.inputNextLineEnabled);
  for (int row = 0; row < kRowsWithTarget; ++row) {
    inputInputCombo_[row]->setCurrentIndex(p.inputInputCombo[row]);
    inputLineCombo_[row]->setCurrentIndex(p.inputLineCombo[row]);
    inputLineCombo_[row]->setEnabled(p.inputLineComboEnabled[row]);
  }
  for (int slot = 0; slot < line::kInputOffSlotCount; ++slot) {
    inputOffComboBox_[slot]->setCurrentIndex(p.inputOffComboBox[slot]);
  }
  jumpToLineCombo_->setCurrentIndex(p.jumpToLineCombo);
  SetText(waitSecondsEdit_, p.waitSecondsEdit);
  pumpPumpCombo_->setCurrentIndex(p.pumpPumpCombo);
  SetText(pumpDelayEdit_, p.pumpDelayEdit);
  for (size_t i = 0; i < pumpVolumeEdit_.size(); ++i)
    SetText(pumpVolumeEdit_[i], p.pumpVolumeEdit[i]);
  pumpFlushCombo_->setCurrentIndex(p.pumpFlushCombo);
  pumpWaitDispenseDoneBtn_->setChecked(p.pumpWaitDispenseDoneBtn);
  SetText(flushDelayEdit_, p.flushDelayEdit);
  SetText(flushTimeEdit_, p.flushTimeEdit);
  flushToDrainBtn_->setChecked(p.flushToDrainBtn);
  flushWaitDoneBtn_->setChecked(p.flushWaitDoneBtn);
  pumpHighPumpCombo_->setCurrentIndex(p.pumpHighPumpCombo);
  SetText(pumpHighDelayEdit_, p.pumpHighDelayEdit);
  SetText(pumpHighVolumeEdit_, p.pumpHighVolumeEdit);
  SetText(pumpHighVolumeLowEdit_, p.pumpHighVolumeLowEdit);
  pumpHighVolumeHighLabel_->setText(Ansi::toQString(p.pumpHighVolumeHighLabel));
  pumpHighFlushCombo_->setCurrentIndex(p.pumpHighFlushCombo);
  pumpHighWaitDispenseDoneBtn_->setChecked(p.pumpHighWaitDispenseDoneBtn);
}

void TProgramForm::SetModified(bool modified) {
  modified_ = modified;
  saveBtn_->setEnabled(modified);
}

void TProgramForm::StoreCurrentLine() {
  if (updating_) return;
  ReadPanel();
  SetModified(true);
  if (StoreLine(working_, currentLine_, panel_)) RenderRow(currentLine_);
}

void TProgramForm::ShowCurrentLine() {
  ReadPanel();
  ShowLine(working_, currentLine_, panel_);
  WritePanel();
  // Showing may settle a line (the next-line input of an event, the 25 % adjust).
  RenderRow(currentLine_);
}

void TProgramForm::RenderRow(int lineIndex) {
  if (lineIndex < 0 || lineIndex >= kProgramLineCount) return;
  const GridRow row = RenderGridRow(working_, lineIndex);
  for (int column = 0; column < kGridColumns; ++column) {
    QTableWidgetItem* item = programLineGrid_->item(lineIndex, column);
    const QString text = Ansi::toQString(row[column]);
    item->setText(text);
    if (column > 0) item->setToolTip(text);
  }
}

void TProgramForm::RenderAllRows() {
  for (int lineIndex = 0; lineIndex < kProgramLineCount; ++lineIndex) RenderRow(lineIndex);
}

void TProgramForm::SelectRow(int lineIndex) {
  programLineGrid_->setCurrentCell(lineIndex, 0);
}

void TProgramForm::Load() {
  const ProgramRecord& stored = Stored();
  setWindowTitle(Ansi::toQString(ProgramEditorCaption(machineIndex_ + 1, stored.Name)));
  WriteHeader(HeaderOf(stored));
  working_ = stored;
  SetModified(false);
  RenderAllRows();
  currentLine_ = programLineGrid_->currentRow();
  ShowCurrentLine();
}

void TProgramForm::Save() {
  const ProgramHeader header = ReadHeader();
  context_.StoreProgram(machineIndex_, slotIndex_,
                        [&](ProgramRecord& stored) { SaveProgram(header, working_, stored); });
  SetModified(false);
}

void TProgramForm::DropModified() {
  {
    FillingGuard guard(updating_);
    SetText(programCommentEdit_, Stored().Comment);
  }
  SetModified(false);
}

void TProgramForm::RunningLineReport(uint8_t lineByte) {
  if (!isVisible() || !debugBtn_->isChecked()) return;
  if (const auto lineIndex = debugFollow_.Report(lineByte)) {
    SelectRow(*lineIndex);
    debugActiveImage_->show();
  }
}

void TProgramForm::Tick() {
  if (!debugFollow_.Tick()) return;
  debugActiveImage_->hide();
  SelectRow(0);
}

void TProgramForm::ProgramLineGridSelectCell(int row) {
  if (row == currentLine_) return;
  currentLine_ = row;
  ShowCurrentLine();
}

void TProgramForm::InstructionComboBoxChange() {
  if (updating_) return;
  ReadPanel();
  SetModified(true);
  currentLine_ = programLineGrid_->currentRow();
  if (currentLine_ < 0 || currentLine_ >= kProgramLineCount) return;
  ChangeInstruction(working_, currentLine_, panel_, instructionComboBox_->currentIndex(),
                    context_.DefaultInputFilter());
  RenderRow(currentLine_);
  WritePanel();
}

void TProgramForm::InstructionCommentEditChange() {
  if (updating_) return;
  ReadPanel();
  SetModified(true);
  ChangeLineComment(working_, currentLine_, panel_);
  RenderRow(currentLine_);
}

void TProgramForm::EditDataModified() {
  StoreCurrentLine();
}

void TProgramForm::InputInputComboChange(int row) {
  if (updating_) return;
  ReadPanel();
  SetModified(true);
  ChangeInputRow(working_, currentLine_, panel_, row);
  WritePanel();
  RenderRow(currentLine_);
}

void TProgramForm::PumpHighVolumeLowEditChange() {
  if (updating_) return;
  ReadPanel();
  SetModified(true);
  ChangeLowAdjust(working_, currentLine_, panel_);
  pumpHighVolumeHighLabel_->setText(Ansi::toQString(panel_.pumpHighVolumeHighLabel));
  RenderRow(currentLine_);
}

void TProgramForm::SaveBtnClick() {
  Save();
}

bool TProgramForm::ProgramLineGridKeyDown(int key) {
  switch (key) {
    case Qt::Key_Insert:
      if (InsertLine(working_, currentLine_)) {
        RenderAllRows();
        ShowCurrentLine();
        instructionComboBox_->setFocus();
        StoreCurrentLine();
      }
      return true;
    case Qt::Key_Delete:
      if (DeleteLine(working_, currentLine_)) {
        RenderAllRows();
        ShowCurrentLine();
        programLineGrid_->setFocus();
        StoreCurrentLine();
      }
      return true;
    case Qt::Key_Escape:
      close();
      return true;
    default:
      return false;
  }
}

bool TProgramForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  switch (key) {
    case Qt::Key_Escape:
      close();
      return true;
    case Qt::Key_Backspace:
      if (!(modifiers & Qt::AltModifier)) return false;
      Load();
      return true;
    case Qt::Key_Left:
      // Used up here: a list that still saw it would step to its previous item, and for
      // the instruction list that silently replaces the line.
      programLineGrid_->setFocus();
      return true;
    case Qt::Key_Right:
      if (focusWidget() != programLineGrid_) return false;
      instructionComboBox_->setFocus();
      return true;
    default:
      return false;
  }
}

void TProgramForm::CopyProgramBtnClick() {
  context_.SetCopiedProgram(&Stored());
}

void TProgramForm::InsertProgramBtnClick() {
  const ProgramRecord* copied = context_.CopiedProgram();
  if (!copied) return;
  const ProgramRecord source = *copied;
  WriteHeader(HeaderOf(source));
  working_.Lines = source.Lines;
  working_.LineComments = source.LineComments;
  Save();
  SetModified(false);
  RenderAllRows();
  ShowCurrentLine();
}

void TProgramForm::DeleteProgramBtnClick() {
  working_ = ClearedProgram(slotIndex_ + 1);
  WriteHeader(HeaderOf(working_));
  SetModified(true);
  RenderAllRows();
  ShowCurrentLine();
}

void TProgramForm::PopupMenuPopup() {
  insertProgramBtn_->setEnabled(context_.CopiedProgram() != nullptr);
}

void TProgramForm::DebugBtnClick() {
  if (debugBtn_->isChecked()) return;
  // Switched off: the indicator goes out now, and no later tick moves the selection.
  debugFollow_.Stop();
  debugActiveImage_->hide();
}

bool TProgramForm::FormCloseQuery() {
  if (!modified_) return true;
  switch (context_.Ui().ShowLoggedMessage(this, QStringLiteral("Program modfied, save?"),
                                          MsgType::Warning, kMsgYes | kMsgNo | kMsgCancel)) {
    case kMsgYes:
      Save();
      return true;
    case kMsgNo:
      SetModified(false);
      return true;
    default:
      return false;
  }
}

bool TProgramForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  // A key a control ignores travels on to its parents, the form last; the form answers
  // it only where it first arrived.
  if (watched == this && focusWidget() != nullptr) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (FormKeyDown(key->key(), key->modifiers())) return true;
  if (watched == programLineGrid_) return ProgramLineGridKeyDown(key->key());
  return false;
}

void TProgramForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  Load();
  debugBtn_->setChecked(true);
  debugFollow_.Stop();
  debugActiveImage_->hide();
}

void TProgramForm::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace vorel
