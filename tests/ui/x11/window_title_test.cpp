// Under a real X server: the title bar the window system shows is exactly the
// caption each window sets, with nothing appended.
#include <QProcess>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/machine/TMachineForm.h"
#include "ui/main/Application.h"
#include "ui/trigger/TTriggerForm.h"

using namespace vorel;

namespace {

// The window's name as the window manager reads it (_NET_WM_NAME).
QString ShownTitle(QWidget* window) {
  QProcess xprop;
  xprop.start("xprop", {"-id", QString::number(window->winId()), "_NET_WM_NAME"});
  if (!xprop.waitForFinished(5000)) return "<xprop did not answer>";
  const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
  const qsizetype first = line.indexOf('"');
  const qsizetype last = line.lastIndexOf('"');
  if (first < 0 || last <= first) return "<" + line + ">";
  return line.mid(first + 1, last - first - 1);
}

}  // namespace

class WindowTitleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server (xvfb-run)");
    ConfigureApplication();
  }

  void titleBarShowsTheCaption() {
    auto main = test::StartedMain();
    TMachineForm* machine = main->MachineWindow(0);
    machine->show();
    machine->TriggerSetupBtnClick();
    const QList<QWidget*> windows = {static_cast<QWidget*>(main.get()), machine,
                                     machine->TriggerForm()};
    for (QWidget* window : windows) QVERIFY(QTest::qWaitForWindowExposed(window));
    for (QWidget* window : windows) {
      QVERIFY(!window->windowTitle().isEmpty());
      QCOMPARE(ShownTitle(window), window->windowTitle());
    }
    QCOMPARE(ShownTitle(main.get()), QString("Vorel, Version: 3.21, Miele pulse"));
    QCOMPARE(ShownTitle(machine), QString("Machine 1"));
  }
};

QTEST_MAIN(WindowTitleTest)
#include "window_title_test.moc"
