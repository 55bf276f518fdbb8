// Keeping windows on the screen.
#include "ui/common/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <optional>

#include "core/app/WindowPlacement.h"
#include "ui/common/Accessibility.h"

namespace vorel {

namespace {

// Before the window manager has framed a window its frame is not known; these
// margins stand in for a usual title bar and border.
constexpr QMargins kAssumedFrame(4, 30, 4, 4);

// The frame around a window, where the window manager has drawn one.
std::optional<QMargins> KnownFrame(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect inner = window->geometry();
  if (frame == inner) return std::nullopt;
  return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                  frame.right() - inner.right(), frame.bottom() - inner.bottom());
}

// A window not framed yet will be framed as the program's other windows are.
QMargins FrameMargins(const QWidget* window) {
  if (const auto known = KnownFrame(window)) return *known;
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other == window || !other->isVisible() || other->windowType() != Qt::Window) continue;
    if (const auto known = KnownFrame(other)) return *known;
  }
  return kAssumedFrame;
}

bool Fitted(const QWidget* widget) {
  if (!widget->isWindow()) return false;
  const Qt::WindowType type = widget->windowType();
  return type == Qt::Window || type == Qt::Dialog;
}

}  // namespace

void FitOnScreen(QWidget* window) {
  const QMargins margins = FrameMargins(window);
  const QRect frame = window->geometry().marginsAdded(margins);
  const QScreen* screen = QGuiApplication::screenAt(frame.center());
  if (!screen) screen = QGuiApplication::screenAt(frame.topLeft());
  if (!screen) screen = window->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const WindowRect fitted = FitInto({frame.left(), frame.top(), frame.width(), frame.height()},
                                    {area.left(), area.top(), area.width(), area.height()});
  if (fitted.width != frame.width() || fitted.height != frame.height()) {
    window->resize(fitted.width - margins.left() - margins.right(),
                   fitted.height - margins.top() - margins.bottom());
  }
  if (fitted.left != frame.left() || fitted.top != frame.top()) {
    // A window's position is its frame's.
    window->move(fitted.left, fitted.top);
  }
}

QSize OpeningFrameSize(QWidget* window) {
  if (!window->testAttribute(Qt::WA_WState_ExplicitShowHide) &&
      !window->testAttribute(Qt::WA_Resized)) {
    window->ensurePolished();
    window->adjustSize();
  }
  return window->geometry().marginsAdded(FrameMargins(window)).size();
}

bool OpeningWindows::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (Fitted(widget)) {
      PrepareKeyboardAccess(widget);
      FitOnScreen(widget);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vorel
