// The application-wide set-up.
#include "ui/main/Application.h"

#include <QApplication>
#include <QFont>

namespace vorel {

void ConfigureApplication() {
  QApplication::setApplicationName(QStringLiteral("Vorel"));
  QApplication::setOrganizationName(QStringLiteral("Vantrell"));
  // The installed desktop entry, for the window's icon and name on the desktop.
  QGuiApplication::setDesktopFileName(QStringLiteral("vorel"));
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(QApplication::font().pointSize());
  QApplication::setFont(font);
}

}  // namespace vorel
