// Shared helpers of the window tests: scripted answers for message boxes and file
// dialogs, and screenshots on request (VOREL_SCREENSHOT_DIR).
#pragma once

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>

#include "support/MemorySettingsStore.h"
#include "ui/common/Dialogs.h"

namespace vorel::test {

struct AskedMessage {
  QString text;
  MsgType type;
  unsigned buttons;
  unsigned defaultButton;
};

UiEnvironment& TestUi();

// Answers message boxes and file dialogs from queues; records every question.
// While one lives, the test environment's windows ask it.
class ScriptedDialogs : public Dialogs {
 public:
  std::deque<MsgButton> answers;
  std::deque<QString> fileNames;  // an empty name is a cancelled dialog
  QList<AskedMessage> asked;
  QList<FileDialogRequest> fileRequests;
  QList<Cue> cues;

  ScriptedDialogs() : previous_(&TestUi().CurrentDialogs()) { TestUi().SetDialogs(*this); }
  ~ScriptedDialogs() override { TestUi().SetDialogs(*previous_); }

  MsgButton Message(QWidget*, const QString& text, MsgType type, unsigned buttons,
                    unsigned defaultButton) override {
    asked.append({text, type, buttons, defaultButton});
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
  void Signal(Cue cue) override { cues.append(cue); }

 private:
  Dialogs* previous_;
  QString NextFile(const FileDialogRequest& request) {
    fileRequests.append(request);
    if (fileNames.empty()) return {};
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
  }
};

// The windows' environment in the tests: no diagnostic log, the operator's settings
// in memory, a fixed clock, and dialogs that answer No or Cancel unless a
// ScriptedDialogs is alive.
inline UiEnvironment& TestUi() {
  static UiEnvironment environment = [] {
    static struct Refusing : Dialogs {
      MsgButton Message(QWidget*, const QString&, MsgType, unsigned buttons, unsigned) override {
        return (buttons & kMsgCancel) ? kMsgCancel : kMsgNo;
      }
      QString OpenFileName(QWidget*, const FileDialogRequest&) override { return {}; }
      QString SaveFileName(QWidget*, const FileDialogRequest&) override { return {}; }
      void Signal(Cue) override {}
    } refusingDialogs;
    return UiEnvironment(
        refusingDialogs, nullptr, [] { return std::make_unique<MemorySettingsStore>(); },
        [] { return LocalDateTime{2026, 12, 8, 9, 30, 0, 1}; });
  }();
  return environment;
}

// What a test changes of the shared environment (serial ports, port source, read
// backups, stepped ticks, settings store) goes back to the defaults when it leaves
// the scope, also when a check fails on the way.
class TestUiScope {
 public:
  TestUiScope() = default;
  TestUiScope(const TestUiScope&) = delete;
  TestUiScope& operator=(const TestUiScope&) = delete;
  ~TestUiScope() {
    UiEnvironment& ui = TestUi();
    ui.SetSerialPorts(nullptr, false);
    ui.SetPortSource(nullptr);
    ui.SetReadBackup(nullptr);
    ui.SetSteppedTicks(false);
    ui.SetSettingsStore([] { return std::make_unique<MemorySettingsStore>(); });
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
