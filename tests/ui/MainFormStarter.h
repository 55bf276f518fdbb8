// A main window with its settings in memory, shown and past its first activation.
#pragma once

#include <QSignalSpy>
#include <QStringList>
#include <memory>

#include "UiTestSupport.h"
#include "ui/main/TMainForm.h"

namespace vorel::test {

inline std::unique_ptr<TMainForm> StartedMain(const QStringList& arguments = {}) {
  auto form = std::make_unique<TMainForm>(arguments, TestUi());
  QSignalSpy activated(form.get(), &TMainForm::FirstActivationCompleted);
  form->show();
  if (activated.isEmpty()) activated.wait(2000);
  return form;
}

}  // namespace vorel::test
