#include "ui/image/TBackupsForm.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app/StoredSettings.h"
#include "core/systemfile/Compare.h"
#include "io/AnsiQt.h"
#include "io/BackupLibrary.h"
#include "io/FileAccess.h"
#include "ui/common/ButtonRow.h"
#include "ui/common/DifferencesDialog.h"

namespace vorel {

namespace {

enum Column { kRead, kSystemName, kFirmware, kSize, kFiles, kColumns };
constexpr int kEntryRole = Qt::UserRole;

QString GroupCaption(uint32_t serial, int count) {
  return QStringLiteral("Controller %1 (%2 %3)")
      .arg(serial)
      .arg(count)
      .arg(count == 1 ? QStringLiteral("read") : QStringLiteral("reads"));
}

// A backup's image taken into a session of its own, as Load takes it.
std::unique_ptr<Session> LoadedBackup(const QString& path, const LocalDateTime& now, QString& why) {
  const Loaded<std::string> bytes = ReadWholeFile(path, image::kSize);
  if (!bytes) {
    why = QString::fromStdString(bytes.why);
    return nullptr;
  }
  auto session = std::make_unique<Session>();
  const Session::FileLoad load = session->LoadFile(*bytes, now);
  if (!load.result) {
    why = Ansi::toQString(load.result.reason);
    return nullptr;
  }
  return session;
}

}  // namespace

TBackupsForm::TBackupsForm(Session& session, UiEnvironment& environment, QString folder,
                           std::function<void(const QString&)> open, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      env_(environment),
      folder_(std::move(folder)),
      open_(std::move(open)) {
  setObjectName("BackupsForm");
  setWindowTitle(QStringLiteral("Backups"));
  auto* root = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
  filterEdit_ = new QLineEdit(this);
  filterEdit_->setObjectName("FilterEdit");
  filterEdit_->setPlaceholderText(QStringLiteral("serial, system name or date"));
  filterEdit_->setClearButtonEnabled(true);
  filterLabel->setBuddy(filterEdit_);
  connect(filterEdit_, &QLineEdit::textChanged, this, &TBackupsForm::FilterEditChange);
  top->addWidget(filterLabel);
  top->addWidget(filterEdit_, 1);
  root->addLayout(top);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName("BackupsTree");
  tree_->setColumnCount(kColumns);
  tree_->setHeaderLabels({QStringLiteral("Read"), QStringLiteral("System name"),
                          QStringLiteral("Firmware"), QStringLiteral("Size"),
                          QStringLiteral("Files")});
  tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tree_->setUniformRowHeights(true);
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(tree_, &QTreeWidget::itemSelectionChanged, this, &TBackupsForm::UpdateButtons);
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { OpenBtnClick(); });
  root->addWidget(tree_, 1);
  countLabel_ = new QLabel(this);
  countLabel_->setObjectName("CountLabel");
  countLabel_->setWordWrap(true);
  root->addWidget(countLabel_);

  auto* keep = new QHBoxLayout;
  auto* keepLabel = new QLabel(QStringLiteral("&Keep the newest reads of each controller:"), this);
  keepSpin_ = new QSpinBox(this);
  keepSpin_->setObjectName("KeepSpin");
  keepSpin_->setRange(0, 9999);
  keepSpin_->setSpecialValueText(QStringLiteral("all"));
  keepLabel->setBuddy(keepSpin_);
  if (const auto store = env_.OpenSettingsStore())
    keepSpin_->setValue(KeptReadsPerController(*store));
  connect(keepSpin_, &QSpinBox::valueChanged, this, &TBackupsForm::KeepSpinChange);
  keep->addWidget(keepLabel);
  keep->addWidget(keepSpin_);
  keep->addStretch(1);
  root->addLayout(keep);

  auto* buttons = new QHBoxLayout;
  const auto button = [this, buttons](const QString& caption, const char* name, auto handler) {
    return AddButton(buttons, this, caption, name, handler);
  };
  openBtn_ = button(QStringLiteral("&Open"), "OpenBtn", &TBackupsForm::OpenBtnClick);
  compareBtn_ = button(QStringLiteral("&Compare"), "CompareBtn", &TBackupsForm::CompareBtnClick);
  deleteBtn_ = button(QStringLiteral("&Delete..."), "DeleteBtn", &TBackupsForm::DeleteBtnClick);
  buttons->addStretch(1);
  button(QStringLiteral("&Refresh"), "RefreshBtn", &TBackupsForm::Refresh);
  button(QStringLiteral("Close"), "CloseBtn", [this] { close(); });
  root->addLayout(buttons);
  resize(820, 560);
  UpdateButtons();
}

TBackupsForm::~TBackupsForm() {
  StopListing();
}

void TBackupsForm::StopListing() {
  if (!lister_) return;
  stop_->store(true);
  lister_->wait();
  lister_.reset();
}

void TBackupsForm::Refresh() {
  StopListing();
  entries_.clear();
  tree_->clear();
  countLabel_->setText(QStringLiteral("Listing %1 ...").arg(QDir::toNativeSeparators(folder_)));
  stop_ = std::make_shared<std::atomic<bool>>(false);
  // The lister hands each batch and the sorted whole to this window's thread.
  QPointer<TBackupsForm> self(this);
  lister_.reset(QThread::create([self, folder = folder_, stop = stop_] {
    std::vector<BackupEntry> sorted = ListBackups(
        folder,
        [self](std::vector<BackupEntry> batch) {
          QMetaObject::invokeMethod(
              self,
              [self, batch = std::move(batch)] {
                if (self) self->Arrived(batch);
              },
              Qt::QueuedConnection);
        },
        stop.get());
    if (stop->load()) return;
    QMetaObject::invokeMethod(
        self,
        [self, sorted = std::move(sorted)]() mutable {
          if (self) self->Finished(std::move(sorted));
        },
        Qt::QueuedConnection);
  }));
  lister_->start();
  UpdateButtons();
}

void TBackupsForm::Arrived(const std::vector<BackupEntry>& batch) {
  for (const BackupEntry& entry : batch) {
    entries_.push_back(entry);
    AddItem(entry, entries_.size() - 1);
  }
  countLabel_->setText(QStringLiteral("Listing %1: %2 so far")
                           .arg(QDir::toNativeSeparators(folder_))
                           .arg(entries_.size()));
}

void TBackupsForm::Finished(std::vector<BackupEntry> sorted) {
  if (lister_) {
    lister_->wait();
    lister_.reset();
  }
  entries_ = std::move(sorted);
  Show(entries_);
  size_t damaged = 0;
  for (const BackupEntry& entry : entries_) damaged += entry.damaged.empty() ? 0 : 1;
  countLabel_->setText(
      QStringLiteral("%1 %2 in %3%4")
          .arg(entries_.size())
          .arg(entries_.size() == 1 ? QStringLiteral("backup") : QStringLiteral("backups"))
          .arg(QDir::toNativeSeparators(folder_))
          .arg(damaged ? QStringLiteral(", %1 damaged").arg(damaged) : QString()));
  UpdateButtons();
  emit Listed();
}

QTreeWidgetItem* TBackupsForm::AddItem(const BackupEntry& entry, size_t index) {
  QTreeWidgetItem* group = nullptr;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    if (tree_->topLevelItem(i)->data(kRead, kEntryRole).toUInt() == entry.name.serial) {
      group = tree_->topLevelItem(i);
      break;
    }
  }
  if (!group) {
    group = new QTreeWidgetItem(tree_);
    group->setData(kRead, kEntryRole, entry.name.serial);
    group->setFlags(Qt::ItemIsEnabled);
    group->setExpanded(true);
  }
  auto* item = new QTreeWidgetItem(group);
  item->setData(kFiles, kEntryRole, static_cast<qulonglong>(index));
  item->setText(kRead, QString::fromStdString(BackupTimeText(entry.name.at)));
  item->setText(kSystemName, Ansi::toQString(entry.systemName));
  item->setText(kFirmware,
                entry.damaged.empty()
                    ? QStringLiteral("%1.%2").arg(entry.firmwareMajor).arg(entry.firmwareMinor)
                    : QStringLiteral("damaged: %1").arg(QString::fromStdString(entry.damaged)));
  item->setText(kSize, QString::number(entry.size));
  item->setText(kFiles, QString::fromStdString(entry.baseName));
  group->setText(kRead, GroupCaption(entry.name.serial, group->childCount()));
  return item;
}

void TBackupsForm::Show(const std::vector<BackupEntry>& entries) {
  tree_->setUpdatesEnabled(false);
  tree_->clear();
  for (size_t i = 0; i < entries.size(); ++i) AddItem(entries[i], i);
  FilterEditChange();
  tree_->setUpdatesEnabled(true);
}

void TBackupsForm::FilterEditChange() {
  const QString filter = filterEdit_->text().trimmed();
  for (int g = 0; g < tree_->topLevelItemCount(); ++g) {
    QTreeWidgetItem* group = tree_->topLevelItem(g);
    bool any = false;
    for (int c = 0; c < group->childCount(); ++c) {
      QTreeWidgetItem* item = group->child(c);
      bool match = filter.isEmpty() || group->text(kRead).contains(filter, Qt::CaseInsensitive);
      for (int column = 0; column < kColumns && !match; ++column)
        match = item->text(column).contains(filter, Qt::CaseInsensitive);
      item->setHidden(!match);
      any |= match;
    }
    group->setHidden(!any);
  }
}

std::vector<const BackupEntry*> TBackupsForm::Selected() const {
  std::vector<const BackupEntry*> selected;
  for (const QTreeWidgetItem* item : tree_->selectedItems()) {
    if (!item->parent()) continue;
    const size_t index = item->data(kFiles, kEntryRole).toULongLong();
    if (index < entries_.size()) selected.push_back(&entries_[index]);
  }
  return selected;
}

void TBackupsForm::UpdateButtons() {
  const std::vector<const BackupEntry*> selected =
      lister_ ? std::vector<const BackupEntry*>{} : Selected();
  openBtn_->setEnabled(selected.size() == 1);
  compareBtn_->setEnabled(selected.size() == 1 || selected.size() == 2);
  deleteBtn_->setEnabled(!selected.empty());
}

void TBackupsForm::OpenBtnClick() {
  const std::vector<const BackupEntry*> selected = Selected();
  if (selected.size() != 1) return;
  if (!selected[0]->damaged.empty()) {
    env_.ShowLoggedMessage(this,
                           QStringLiteral("The backup %1 cannot be opened: %2")
                               .arg(QString::fromStdString(selected[0]->baseName),
                                    QString::fromStdString(selected[0]->damaged)),
                           MsgType::Error, kMsgOk);
    return;
  }
  if (open_) open_(BackupImagePath(folder_, *selected[0]));
}

void TBackupsForm::CompareBtnClick() {
  const std::vector<const BackupEntry*> selected = Selected();
  if (selected.empty() || selected.size() > 2) return;
  // The older of two on the left; one backup is set against the editors.
  std::vector<const BackupEntry*> pair = selected;
  std::sort(pair.begin(), pair.end(),
            [](const BackupEntry* a, const BackupEntry* b) { return ReadEarlier(*a, *b); });
  std::vector<std::unique_ptr<Session>> loaded;
  for (const BackupEntry* entry : pair) {
    QString why;
    loaded.push_back(LoadedBackup(BackupImagePath(folder_, *entry), env_.Now(), why));
    if (!loaded.back()) {
      env_.ShowLoggedMessage(this,
                             QStringLiteral("The backup %1 cannot be compared:\n%2")
                                 .arg(QString::fromStdString(entry->baseName), why),
                             MsgType::Error, kMsgOk);
      return;
    }
  }
  const QString first = QString::fromStdString(BackupTimeText(pair[0]->name.at));
  if (pair.size() == 1) {
    ShowDifferences(this,
                    CompareWithController(session_.Configuration(), session_.Image().image,
                                          loaded[0]->Image().image),
                    {QStringLiteral("Compare with the backup"),
                     QStringLiteral("The editors hold what the backup of %1 holds.").arg(first),
                     QStringLiteral("1 difference from the backup of %1.").arg(first),
                     QStringLiteral("%1 differences from the backup of %2.").arg("%1", first),
                     {QStringLiteral("Place"), QStringLiteral("In the editors"),
                      QStringLiteral("In the backup of %1").arg(first)}});
    return;
  }
  const QString second = QString::fromStdString(BackupTimeText(pair[1]->name.at));
  ShowDifferences(this,
                  CompareConfigurations(loaded[0]->Configuration(), loaded[0]->Image().image,
                                        loaded[1]->Configuration(), loaded[1]->Image().image),
                  {QStringLiteral("Compare two backups"),
                   QStringLiteral("The backups of %1 and %2 hold the same.").arg(first, second),
                   QStringLiteral("1 difference between the two backups."),
                   QStringLiteral("%1 differences between the two backups."),
                   {QStringLiteral("Place"), QStringLiteral("In %1").arg(first),
                    QStringLiteral("In %1").arg(second)}});
}

void TBackupsForm::DeleteBtnClick() {
  const std::vector<const BackupEntry*> selected = Selected();
  if (selected.empty()) return;
  const QString question =
      selected.size() == 1
          ? QStringLiteral("Move the backup %1 to the trash?")
                .arg(QString::fromStdString(selected[0]->baseName))
          : QStringLiteral("Move these %1 backups to the trash?").arg(selected.size());
  if (env_.ShowLoggedMessage(this, question, MsgType::Confirmation, kMsgYes | kMsgNo, kMsgNo) !=
      kMsgYes)
    return;
  QStringList failed;
  for (const BackupEntry* entry : selected) {
    if (const Outcome deleted = DeleteBackup(folder_, *entry); !deleted)
      failed << QString::fromStdString(deleted.reason);
  }
  if (!failed.isEmpty()) {
    env_.ShowLoggedMessage(this,
                           QStringLiteral("Not moved to the trash:\n%1").arg(failed.join('\n')),
                           MsgType::Error, kMsgOk);
  }
  Refresh();
}

void TBackupsForm::KeepSpinChange(int keep) {
  if (const auto store = env_.OpenSettingsStore()) SetKeptReadsPerController(*store, keep);
  if (keep <= 0 || lister_) return;
  const size_t beyond = BackupsBeyond(entries_, keep).size();
  if (beyond == 0) return;
  if (env_.ShowLoggedMessage(
          this,
          QStringLiteral("%1 older reads are beyond the newest %2 of their controller. Move them "
                         "to the trash now?")
              .arg(beyond)
              .arg(keep),
          MsgType::Confirmation, kMsgYes | kMsgNo, kMsgNo) != kMsgYes)
    return;
  KeepNewestBackups(folder_, keep);
  Refresh();
}

void TBackupsForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) Refresh();
}

void TBackupsForm::closeEvent(QCloseEvent* event) {
  StopListing();
  QWidget::closeEvent(event);
}

void TBackupsForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vorel
