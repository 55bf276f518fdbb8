// Every window opens inside the screen's available area, at 1920 x 1080 and at
// 1366 x 768 (VOREL_TEST_SCREEN): the program editors beside machines 1 and 10, System
// setup at its first show, the modal windows, and the main window with a position
// stored on a wider screen. The screen is the offscreen platform's, set from a
// configuration file before the application starts.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "support/MemorySettingsStore.h"
#include "ui/firmware/TFirmwareUpdateForm.h"
#include "ui/image/TEEPROMForm.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/logs/TAlarmLogForm.h"
#include "ui/logs/TLogDataForm.h"
#include "ui/machine/TCalibrationForm.h"
#include "ui/machine/TCopyMachineForm.h"
#include "ui/machine/TMachineForm.h"
#include "ui/main/TLoginForm.h"
#include "ui/program/TProgramForm.h"
#include "ui/supervision/TSystemSetupForm.h"
#include "ui/trigger/TTriggerForm.h"

using namespace vorel;

namespace {

QString Inside(const QWidget* window) {
  const QRect area = window->screen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  if (area.contains(frame)) return {};
  return QString("%1 at %2,%3 %4x%5 is not inside %6x%7")
      .arg(window->objectName())
      .arg(frame.left())
      .arg(frame.top())
      .arg(frame.width())
      .arg(frame.height())
      .arg(area.width())
      .arg(area.height());
}

#define VERIFY_INSIDE(window)                 \
  do {                                        \
    const QString why = Inside(window);       \
    QVERIFY2(why.isEmpty(), qPrintable(why)); \
  } while (false)

// Checks a modal window from inside its own event loop, then closes it.
void WhileModal(QDialog* dialog, QString& why) {
  QTimer::singleShot(0, dialog, [dialog, &why] {
    why = Inside(dialog);
    dialog->reject();
  });
}

}  // namespace

class WindowFitTest : public QObject {
  Q_OBJECT

 private slots:
  void everyWindowOpensOnTheScreen() {
    auto main = test::StartedMain();
    VERIFY_INSIDE(main.get());
    main->Systemsetup1Click();
    VERIFY_INSIDE(main->SystemSetupWindow());
    const int firstLeft = main->SystemSetupWindow()->frameGeometry().left();
    main->SystemSetupWindow()->close();
    main->Systemsetup1Click();
    QCOMPARE(main->SystemSetupWindow()->frameGeometry().left(), firstLeft);

    main->Communication1Click();
    VERIFY_INSIDE(main->CommunicationWindow());
    main->ReadWriteSystemDataBtnClick();
    VERIFY_INSIDE(main->ReadWriteWindow());
    main->LogDataBtnClick();
    VERIFY_INSIDE(main->LogDataWindow());
    main->AlarmLogBtnClick();
    VERIFY_INSIDE(main->AlarmLogWindow());
    main->FirmwareUpdateMQ350BtnClick();
    VERIFY_INSIDE(main->FirmwareWindow());

    for (int machine : {0, 9}) {
      main->MachineBtnClick(machine + 1);
      TMachineForm* window = main->MachineWindow(machine);
      VERIFY_INSIDE(window);
      for (int slot : {1, 6}) {
        window->ProgramBtnClick(slot);
        VERIFY_INSIDE(window->ProgramEditor(slot - 1));
      }
      window->TriggerSetupBtnClick();
      VERIFY_INSIDE(window->TriggerForm());
    }
  }

  void modalWindowsOpenOnTheScreen() {
    test::ScriptedDialogs dialogs;
    auto main = test::StartedMain();
    QString why;
    WhileModal(main->LoginWindow(), why);
    main->LoginBtnClick();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    // The login window sits at the main window's corner + (100, 50) where it fits.
    QCOMPARE(main->LoginWindow()->pos(), main->pos() + QPoint(100, 50));
    WhileModal(main->CopyMachineWindow(), why);
    main->CopyMachine1Click();
    QVERIFY2(why.isEmpty(), qPrintable(why));
  }

  void aPositionFromAWiderScreenIsBroughtBack() {
    // Stored by a 2560 x 1440 screen.
    test::TestUi().SetSettingsStore([] {
      auto store = std::make_unique<test::MemorySettingsStore>();
      store->values["Left"] = 1900;
      store->values["Top"] = 800;
      return store;
    });
    auto main = test::StartedMain();
    test::TestUi().SetSettingsStore([] { return std::make_unique<test::MemorySettingsStore>(); });
    VERIFY_INSIDE(main.get());
  }
};

int main(int argc, char** argv) {
  QByteArray size = qgetenv("VOREL_TEST_SCREEN");
  if (size.isEmpty()) size = "1920x1080";
  const QList<QByteArray> sides = size.split('x');
  QTemporaryDir folder;
  const QString config = folder.filePath("screen.json");
  QFile file(config);
  if (sides.size() != 2 || !file.open(QIODevice::WriteOnly)) return 2;
  file.write("{\"screens\": [{\"name\": \"Screen\", \"x\": 0, \"y\": 0, \"width\": " + sides[0] +
             ", \"height\": " + sides[1] +
             ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}");
  file.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
  QApplication application(argc, argv);
  WindowFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_fit_test.moc"
