// Start-up of Vorel: the application, the main window and the message loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <cstdio>
#include <exception>

#include "ui/main/TMainForm.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vorel"));
  QApplication::setOrganizationName(QStringLiteral("Vantrell"));
  QApplication::setApplicationDisplayName(QStringLiteral("Vorel"));
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(QApplication::font().pointSize());
  QApplication::setFont(font);

  QStringList arguments = QApplication::arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();
  vorel::TMainForm mainForm(arguments);

  // For the start-up measurement (bench/startup.py): report the monotonic clock
  // once the first activation is done, and end without storing settings.
  if (qEnvironmentVariableIsSet("VOREL_STARTUP_PROBE")) {
    QObject::connect(&mainForm, &vorel::TMainForm::FirstActivationCompleted, [] {
      QElapsedTimer now;
      now.start();
      std::printf("first-activation-ms %lld\n", static_cast<long long>(now.msecsSinceReference()));
      std::fflush(stdout);
      QCoreApplication::exit(0);
    });
  }

  mainForm.show();
  try {
    return QApplication::exec();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QStringLiteral("Vorel"), QString::fromLocal8Bit(error.what()));
    return 1;
  }
}
