// Every window opens with all its controls and its title bar on the screen: the
// placement a window asks for is kept where it fits, otherwise the window is moved,
// and if need be shrunk, into the screen's available area.
#pragma once

#include <QObject>
#include <QSize>
#include <QWidget>

namespace vorel {

// Brings the window's frame inside the available area of the screen it is mostly on.
void FitOnScreen(QWidget* window);

// The frame size a window will open with: a window never shown takes its layout's
// size first, as showing it would, so that placing it beside another is right the
// first time too.
QSize OpeningFrameSize(QWidget* window);

// Installed on the application once: each window is fitted as it is shown, and made
// ready for the keyboard when it is first shown.
class OpeningWindows : public QObject {
 public:
  explicit OpeningWindows(QObject* parent) : QObject(parent) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vorel
