// Shared helpers of the window tests: scripted answers for message boxes and file
// dialogs, and screenshots on request (VOREL_SCREENSHOT_DIR).
#pragma once

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>

#include "ui/common/Dialogs.h"

namespace vorel::test {

struct AskedMessage {
  QString text;
  MsgType type;
  unsigned buttons;
};

// Answers message boxes and file dialogs from queues; records every question.
class ScriptedDialogs : public Dialogs {
 public:
  std::deque<MsgButton> answers;
  std::deque<QString> fileNames;  // an empty name is a cancelled dialog
  QList<AskedMessage> asked;
  QList<FileDialogRequest> fileRequests;

  ScriptedDialogs() { SetDialogs(this); }
  ~ScriptedDialogs() override { SetDialogs(nullptr); }

  MsgButton Message(QWidget*, const QString& text, MsgType type, unsigned buttons) override {
    asked.append({text, type, buttons});
    if (answers.empty()) return (buttons & kMsgCancel) ? kMsgCancel : kMsgNo;
    const MsgButton answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString OpenFileName(QWidget*, const FileDialogRequest& request) override {
    return NextFile(request);
  }
  QString SaveFileName(QWidget*, const FileDialogRequest& request) override {
    return NextFile(request);
  }

 private:
  QString NextFile(const FileDialogRequest& request) {
    fileRequests.append(request);
    if (fileNames.empty()) return {};
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
  }
};

// The control of that name, or the test ends at once.
template <typename T>
T* Find(QWidget* form, const QString& name) {
  T* child = form->findChild<T*>(name);
  if (!child) qFatal("no control %s", qPrintable(name));
  return child;
}

// Saves a picture of the window when VOREL_SCREENSHOT_DIR names a folder.
inline void SaveScreenshot(QWidget* window, const QString& name) {
  const QString folder = qEnvironmentVariable("VOREL_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  window->grab().save(folder + "/" + name + ".png");
}

}  // namespace vorel::test
