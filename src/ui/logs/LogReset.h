// The log windows' reset: the controller's login code checked first (its answer
// comes from a later tick), then the question, then the request, or the word that
// the system is not connected. Both log windows use it with their own texts.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "core/session/Session.h"
#include "ui/common/Dialogs.h"

namespace vorel {

// What a log window needs of the main window.
struct LogWindowLinks {
  // The code typed in the login window, in the controller's code page.
  std::function<std::string()> loginCode;
};

struct LogResetTexts {
  QString question;      // "Reset all log data\n\nAre you sure?"
  QString notConnected;  // "Unable to reset log data\n\nSystem not connected."
};

inline void ConfirmLogReset(Session& session, UiEnvironment& env, QWidget* window,
                            const LogWindowLinks& links, LogResetTexts texts,
                            std::function<Session::LogReset()> send) {
  // The window may be gone by the time the check answers.
  QPointer<QWidget> alive(window);
  session.CheckLoginCode(
      links.loginCode ? links.loginCode() : std::string(),
      [&env, alive, texts = std::move(texts), send = std::move(send)](bool passed) {
        if (!alive || !passed) return;
        if (env.ShowLoggedMessage(alive, texts.question, MsgType::Warning, kMsgYes | kMsgCancel) !=
            kMsgYes)
          return;
        if (send() == Session::LogReset::kNotConnected)
          env.ShowLoggedMessage(alive, texts.notConnected, MsgType::Error, kMsgOk);
      });
}

}  // namespace vorel
