// The firmware update window: loads an Intel HEX file, shows what it holds, and
// programs it into the boot loader of the controller or of the trigger units. The
// loader and the programming run are in the core; this window shows them.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "core/firmware/IntelHex.h"
#include "core/session/Session.h"
#include "ui/common/Dialogs.h"

namespace vorel {

class TFirmwareUpdateForm : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  // The last firmware file, kept in the operator's settings as LastFirmwareFile1.
  struct LastFile {
    std::function<QString()> get;
    std::function<void(const QString&)> set;
  };

  TFirmwareUpdateForm(Session& session, UiEnvironment& env, LastFile lastFile,
                      QWidget* parent = nullptr);
  ~TFirmwareUpdateForm() override;

  // The menu entry chose the target; its text becomes the caption.
  void SetTarget(const FirmwareTarget& target, const QString& caption);

  // Handlers.
  bool LoadBtnClick();
  void FileNameBtnClick();
  void StartBtnClick();
  void CloseBtnClick() { close(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FirmwareChanged() override;
  void ShowFileInformation(bool visible);
  // Nothing loaded: the information hidden, Start off until the file name changes.
  void ShowNothingLoaded();
  // The file controls are off while a run sends the loaded image.
  void ShowRunning(bool running);
  void ReportIncompleteFirmware(const QString& state);

  Session& session_;
  Attachment observing_;
  UiEnvironment& env_;
  LastFile lastFile_;
  std::optional<FirmwareTarget> target_;
  std::optional<FirmwareImage> loaded_;
  QComboBox* fileNameCombo_ = nullptr;
  QLabel* stateLabel_ = nullptr;
  QLabel* hintLabel_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QPushButton* startBtn_ = nullptr;
  QPushButton* browseBtn_ = nullptr;
  QPushButton* loadBtn_ = nullptr;
  bool running_ = false;
  std::array<QLabel*, 5> captions_{};
  std::array<QLabel*, 5> values_{};  // date, start, end, used, check sum
};

}  // namespace vorel
