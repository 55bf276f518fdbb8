// The read/write window: reads the controller's memory image into the editors,
// writes the editors to the controller, sets a controller's serial number, reads a
// write back and shows what a write would change. The transfer itself runs in the
// session; the window starts it and shows how it goes.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "core/session/Session.h"
#include "ui/common/Dialogs.h"

namespace vorel {

class TEEPROMForm : public QWidget, private SessionObserver, private TransferPrompts {
  Q_OBJECT

 public:
  // What the window needs of the main window.
  struct MainWindowLinks {
    // The code typed in the login window.
    std::function<std::string()> loginCode;
    // "The system data has been changed. Save it before going on?": false ends a read.
    std::function<bool()> askSaveChangedSystem;
    // "Unsaved program data, update before save?": false ends a write.
    std::function<bool()> askUnsavedEdits;
  };

  TEEPROMForm(Session& session, UiEnvironment& env, MainWindowLinks links,
              QWidget* parent = nullptr);
  ~TEEPROMForm() override;

  // Handlers.
  void ReadBtnClick();
  void WriteBtnClick();
  void WriteSerialNumberBtnClick();
  void VerifyBtnClick();
  void CompareBtnClick();
  void StopBtnClick();
  void CloseBtnClick();
  void UpdateButtons();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // What the session tells.
  void TransferChanged() override;
  void LinkStateChanged() override { UpdateButtons(); }
  // The questions of a read or a write.
  bool AskUnsavedEdits() override;
  bool AskWriteDroppingTexts(
      const std::vector<std::pair<std::string, std::string>>& texts) override;
  void ShowTransferError(const std::string& text, bool abort) override;

  Session::WriteRequest WriteRequestFor(uint32_t serialNumber) const;
  void ShowTransfer();
  void ShowReadController();
  void ShowBackup();

  Session& session_;
  Attachment observing_;
  Attachment promptsAttachment_;
  UiEnvironment& env_;
  MainWindowLinks links_;
  // How the last operation ended, as last shown: a read or a write is taken in once.
  TransferEnd shownEnd_ = TransferEnd::kNone;
  // Showing the window empties the action panel until the transfer moves on; the
  // text it then held.
  bool actionHidden_ = false;
  std::string hiddenAction_;
  bool writeCompleted_ = false;

  QLabel* stateInfoLabel_ = nullptr;
  QLabel* progressLabel_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* backupLabel_ = nullptr;
  QLabel* serialNumberLabel_ = nullptr;
  QLineEdit* serialNumberEdit_ = nullptr;
  QPushButton* writeSerialNumberBtn_ = nullptr;
  QLabel* loginCodeLabel_ = nullptr;
  QLineEdit* loginCodeEdit_ = nullptr;
  QPushButton* readBtn_ = nullptr;
  QPushButton* writeBtn_ = nullptr;
  QPushButton* verifyBtn_ = nullptr;
  QPushButton* compareBtn_ = nullptr;
  QPushButton* stopBtn_ = nullptr;
  QPushButton* closeBtn_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::array<QLabel*, 3> panels_{};
};

}  // namespace vorel
