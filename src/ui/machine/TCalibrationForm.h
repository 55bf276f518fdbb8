// The pump calibration dialog: runs one pump of one machine for the test time and
// takes the volume the technician measured. The test itself lives in the session;
// this window starts it, shows its time and reads the two numbers.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/session/Session.h"

namespace vorel {

class TCalibrationForm : public QDialog, private SessionObserver {
  Q_OBJECT

 public:
  explicit TCalibrationForm(Session& session, QWidget* parent = nullptr);

  // Shows the dialog modally for pump 1..7 of machine index 0..9, placed at the top
  // of `machineWindow` and centred on it. The new ml per 60 s for the calibration
  // edit when the technician accepted; nothing otherwise (and when the dialog is
  // already open or the numbers are out of range).
  std::optional<std::string> Calibrate(int pump, int machineIndex, int currentMlPerMinute,
                                       const QWidget* machineWindow);

  void StartTestBtnClick();
  void OKBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void done(int result) override;

 private:
  // The session's tick while the test runs, and the connection ending under it.
  void CalibrationTicked(bool pumpStopped) override;
  void CalibrationStopped(const std::string& why) override;
  void Say(const QString& text);

  Session& session_;
  Attachment observing_;
  bool accepted_ = false;
  int testSeconds_ = 0;
  int measuredMl_ = 0;
  int mlPerMinute_ = 0;
  QLineEdit* testTimeEdit_ = nullptr;
  QLineEdit* currentEdit_ = nullptr;
  QLineEdit* newEdit_ = nullptr;
  QLabel* runningLabel_ = nullptr;
  QLabel* timerLabel_ = nullptr;
  QLabel* hintLabel_ = nullptr;
  QLabel* stoppedLabel_ = nullptr;
};

}  // namespace vorel
