// Message boxes and file dialogs, behind one replaceable routine so that tests can
// answer them from a script. Every question or warning the tool shows goes
// through ShowLoggedMessage, which also writes it to the diagnostic log.
#pragma once

#include <QString>
#include <QWidget>

namespace vorel {

enum class MsgType { Warning, Error, Information, Confirmation };

enum MsgButton : unsigned {
  kMsgYes = 1 << 0,
  kMsgNo = 1 << 1,
  kMsgOk = 1 << 2,
  kMsgCancel = 1 << 3,
  kMsgAbort = 1 << 4,
  kMsgRetry = 1 << 5,
};

struct FileDialogRequest {
  QString title;
  QString filter;  // "XML-file (*.xml)|*.xml|Any file (*.*)|*.*"
  QString defaultExtension;
  QString fileName;  // offered name, may be empty
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal; returns the button pressed (one of MsgButton).
  virtual MsgButton Message(QWidget* parent, const QString& text, MsgType type,
                            unsigned buttons) = 0;
  // The chosen file name, empty when the operator cancelled.
  virtual QString OpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual QString SaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The dialogs in use: the Qt ones unless a test installed its own.
Dialogs& CurrentDialogs();
void SetDialogs(Dialogs* dialogs);  // nullptr restores the Qt dialogs

// Writes "MsgDialog: <text>" to the diagnostic log, then asks.
MsgButton ShowLoggedMessage(QWidget* parent, const QString& text, MsgType type, unsigned buttons);

}  // namespace vorel
