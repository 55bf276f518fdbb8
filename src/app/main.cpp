// Start-up of Vorel, the composition root: the application, the diagnostic log,
// the dialogs, the settings store and the clock, handed to the main window; then
// the message loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <memory>

#include "core/app/AccessLevels.h"
#include "io/ApplicationLog.h"
#include "io/FileAccess.h"
#include "io/QtSettingsStore.h"
#include "io/ReadBackupFolder.h"
#include "io/SerialPortAdapter.h"
#include "ui/common/Dialogs.h"
#include "ui/link/SimulatedPort.h"
#include "ui/main/Application.h"
#include "ui/main/TMainForm.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  vorel::ConfigureApplication();

  vorel::ApplicationLog log(vorel::kVersionMajor, vorel::kVersionMinor);
  vorel::QtDialogs dialogs;
  vorel::UiEnvironment environment(
      dialogs, &log.Log(), [] { return std::make_unique<vorel::QtSettingsStore>(); },
      vorel::LocalNow);

  vorel::ReadBackupFolder backups;
  environment.SetReadBackup(&backups);

  QStringList arguments = QApplication::arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();
  // --demo: a simulated controller inside the tool instead of a serial port.
  const bool demonstration = arguments.removeAll(QStringLiteral("--demo")) > 0;
  if (demonstration) {
    environment.SetSerialPorts(
        [] { return std::make_unique<vorel::SimulatedPort>(vorel::SimulatedPort::DemoMemory()); },
        true);
  } else {
    environment.SetSerialPorts([] { return std::make_unique<vorel::SerialPortAdapter>(); }, false);
  }
  vorel::TMainForm mainForm(arguments, environment);

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
