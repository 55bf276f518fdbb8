// The alarm log window ("Alarm log"): the controller's alarm history or the alarms
// active now, as text from the image, and the history's clearing in the controller.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>
#include <string>

#include "core/session/Session.h"
#include "ui/common/Dialogs.h"
#include "ui/logs/LogReset.h"

namespace vorel {

class TAlarmLogForm : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  using MainWindowLinks = LogWindowLinks;

  TAlarmLogForm(Session& session, UiEnvironment& env, MainWindowLinks links,
                QWidget* parent = nullptr);
  ~TAlarmLogForm() override;

  // Rebuilds the memo from the image; nothing while the window is hidden.
  void RefreshAlarmView();
  // Handlers.
  void AlarmTypeBtnClick() { RefreshAlarmView(); }
  void ClearAlarmLogBtnClick();
  void CloseBtnClick() { close(); }
  void UpdateResetButton();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // What the session tells.
  void ConfigurationCleared() override { RefreshAlarmView(); }
  void ConfigurationReplaced() override { RefreshAlarmView(); }
  void ImageChanged() override { RefreshAlarmView(); }
  void AlarmLogCleared() override;
  void LinkStateChanged() override { UpdateResetButton(); }
  void TransferChanged() override { UpdateResetButton(); }

  // After the login code check passed: the question, then the request.

  Session& session_;
  Attachment observing_;
  UiEnvironment& env_;
  MainWindowLinks links_;

  QPlainTextEdit* memo_ = nullptr;
  QRadioButton* historyBtn_ = nullptr;
  QRadioButton* stateBtn_ = nullptr;
  QPushButton* clearBtn_ = nullptr;
  QLabel* resetDoneLabel_ = nullptr;
  QPushButton* closeBtn_ = nullptr;
};

}  // namespace vorel
