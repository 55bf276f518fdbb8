// Start-up of Vorel, the composition root: the application, the diagnostic log,
// the dialogs, the settings store and the clock; the session with the serial port,
// the gateway socket and the read backups attached; the main window on them; then
// the message loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string_view>

#include "core/app/AccessLevels.h"
#include "io/ApplicationLog.h"
#include "io/BackupLibrary.h"
#include "io/FileAccess.h"
#include "io/GatewaySocketAdapter.h"
#include "io/QtSettingsStore.h"
#include "io/ReadBackupFolder.h"
#include "io/SerialPortAdapter.h"
#include "io/SimulatedPort.h"
#include "ui/common/Dialogs.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/main/Application.h"
#include "ui/main/TMainForm.h"

namespace {

constexpr const char* kUsage =
    "Usage: vorel [--demo] [FILE]\n"
    "       vorel --help | --version\n"
    "\n"
    "The service and configuration tool of the MQ350 dispenser system, in a window.\n"
    "FILE: a system file (.xml) or a 32768-byte memory image (.bin), loaded at start as\n"
    "Load System... loads it. --demo: a simulated controller inside the tool instead of\n"
    "a serial port. The access words of the setup and master modes are taken from the\n"
    "command line too. vorelctl does the same work without a window.\n";

// --help and --version print and end before any window is made (no display needed).
std::optional<int> AnsweredWithoutWindow(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("%d.%d\n", vorel::kVersionMajor, vorel::kVersionMinor);
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const auto answered = AnsweredWithoutWindow(argc, argv)) return *answered;
  QApplication application(argc, argv);
  vorel::ConfigureApplication();

  vorel::ApplicationLog log(vorel::kVersionMajor, vorel::kVersionMinor);
  vorel::QtDialogs dialogs;
  vorel::UiEnvironment environment(
      dialogs, &log.Log(), [] { return std::make_unique<vorel::QtSettingsStore>(); },
      vorel::LocalNow);

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

  std::vector<std::string> words;
  for (const QString& argument : arguments) words.push_back(argument.toStdString());
  vorel::Session session(vorel::ParseAccessWords(words));
  const std::unique_ptr<vorel::SerialPort> port = environment.NewSerialPort();
  vorel::GatewaySocketAdapter socket;
  vorel::ReadBackupFolder backups({}, {}, [] {
    vorel::QtSettingsStore store;
    return vorel::KeptReadsPerController(store);
  });
  const vorel::Attachment portAttached = session.AttachSerialPort(*port);
  const vorel::Attachment socketAttached = session.AttachGatewaySocket(socket);
  const vorel::Attachment backupsAttached = session.AttachReadBackup(backups);

  vorel::TMainForm mainForm(session, arguments, environment);
  socket.SetErrorReporter([form = QPointer<vorel::TMainForm>(&mainForm)](const QString& text) {
    if (form) form->CommunicationWindow()->ShowSocketError(text);
  });

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
