// "File > Backups...": every read kept in the backup folder, grouped by controller and
// newest first, with a filter. Open loads one into the editors (asking about unsaved
// edits as Load does), Compare sets two side by side (or one against the editors),
// Delete moves them to the desktop's trash, and a setting keeps only the newest reads
// of each controller. The folder is listed on a thread of its own and shown as it
// comes, so thousands of backups never hold the window.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTreeWidget>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "core/image/BackupCatalog.h"
#include "core/session/Session.h"
#include "ui/common/Dialogs.h"

namespace vorel {

class TBackupsForm : public QWidget {
  Q_OBJECT

 public:
  // `open`: the main window's load of a file, after its question about unsaved edits.
  TBackupsForm(Session& session, UiEnvironment& environment, QString folder,
               std::function<void(const QString& path)> open, QWidget* parent = nullptr);
  ~TBackupsForm() override;

  // Lists the folder again, on the lister thread.
  void Refresh();
  bool Listing() const { return lister_ != nullptr; }
  const std::vector<BackupEntry>& Entries() const { return entries_; }

  // Handlers.
  void OpenBtnClick();
  void CompareBtnClick();
  void DeleteBtnClick();
  void FilterEditChange();
  void KeepSpinChange(int keep);

 signals:
  // The listing ended (the window tests wait for it).
  void Listed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Arrived(const std::vector<BackupEntry>& batch);
  void Finished(std::vector<BackupEntry> sorted);
  void StopListing();
  void Show(const std::vector<BackupEntry>& entries);
  QTreeWidgetItem* AddItem(const BackupEntry& entry, size_t index);
  std::vector<const BackupEntry*> Selected() const;
  void UpdateButtons();

  Session& session_;
  UiEnvironment& env_;
  QString folder_;
  std::function<void(const QString&)> open_;
  QLineEdit* filterEdit_;
  QTreeWidget* tree_;
  QLabel* countLabel_;
  QSpinBox* keepSpin_;
  QPushButton* openBtn_;
  QPushButton* compareBtn_;
  QPushButton* deleteBtn_;
  std::vector<BackupEntry> entries_;
  std::unique_ptr<QThread> lister_;
  std::shared_ptr<std::atomic<bool>> stop_;
};

}  // namespace vorel
