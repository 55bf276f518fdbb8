// Every window opens inside the screen's available area, at 1920 x 1080 and at
// 1366 x 768 (VOREL_TEST_SCREEN), and at 150 % and 200 % scaling (VOREL_TEST_SCALE):
// the program editors beside machines 1 and 10, System setup at its first show, the
// modal windows, and the main window with a position stored on a wider screen. No
// text is cut short and no two controls lie on each other. The screen is the
// offscreen platform's, set from a configuration file before the application starts.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <functional>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "support/MemorySettingsStore.h"
#include "ui/firmware/TFirmwareUpdateForm.h"
#include "ui/image/TBackupsForm.h"
#include "ui/image/TEEPROMForm.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/logs/TAlarmLogForm.h"
#include "ui/logs/TLogDataForm.h"
#include "ui/machine/TCalibrationForm.h"
#include "ui/machine/TCopyMachineForm.h"
#include "ui/machine/TMachineForm.h"
#include "ui/main/TLoginForm.h"
#include "ui/program/TProgramForm.h"
#include "ui/supervision/TOverviewForm.h"
#include "ui/supervision/TSystemSetupForm.h"
#include "ui/trigger/TTriggerForm.h"

using namespace vorel;

namespace {

// The screen of this run, read once from the environment: VOREL_TEST_SCREEN (default
// 1920x1080) and VOREL_TEST_SCALE, the desktop's scaling (1.5 for 150 %).
struct TestScreen {
  int width = 1920;
  int height = 1080;
  double scale = 1.0;
  // For the screenshots' names: "1920x1080", "1920x1080_150".
  QString Tag() const {
    const QString size = QString("%1x%2").arg(width).arg(height);
    return scale == 1.0 ? size : size + "_" + QString::number(qRound(scale * 100));
  }
};

const TestScreen& Screen() {
  static const TestScreen screen = [] {
    TestScreen read;
    // A value the run cannot use ends it at once: a test of another screen than the
    // one named would pass for the wrong reason.
    if (!qEnvironmentVariableIsEmpty("VOREL_TEST_SCREEN")) {
      const QList<QByteArray> sides = qgetenv("VOREL_TEST_SCREEN").split('x');
      bool wide = false;
      bool high = false;
      if (sides.size() == 2) {
        read.width = sides[0].toInt(&wide);
        read.height = sides[1].toInt(&high);
      }
      if (!wide || !high || read.width < 640 || read.height < 480)
        qFatal("VOREL_TEST_SCREEN takes WIDTHxHEIGHT of at least 640x480");
    }
    if (!qEnvironmentVariableIsEmpty("VOREL_TEST_SCALE")) {
      bool ok = false;
      read.scale = qgetenv("VOREL_TEST_SCALE").toDouble(&ok);
      if (!ok || read.scale < 1.0 || read.scale > 4.0)
        qFatal("VOREL_TEST_SCALE takes the desktop's scaling, 1 to 4 (1.5 for 150 %%)");
    }
    return read;
  }();
  return screen;
}

QString Inside(QWidget* window) {
  static QMap<QString, int> shots;  // System setup once per page
  const QString name = window->objectName();
  const int shot = ++shots[name];
  test::SaveScreenshot(window, "fit_" + Screen().Tag() + "_" + name +
                                   (shot > 1 ? "_" + QString::number(shot) : QString()));
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

// Text cut short or controls on top of each other, among what the window shows.
QStringList Unreadable(QWidget* window) {
  // As the technician sees it: laid out.
  QCoreApplication::processEvents();
  QStringList faults;
  const auto id = [](const QWidget* widget) {
    if (!widget->objectName().isEmpty()) return widget->objectName();
    const auto* label = qobject_cast<const QLabel*>(widget);
    return QString(widget->metaObject()->className()) + " \"" + (label ? label->text() : "") + "\"";
  };
  QList<QWidget*> shown;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window) || widget->window() != window) continue;
    const auto* label = qobject_cast<const QLabel*>(widget);
    const bool texted =
        (label && !label->text().isEmpty() && !label->wordWrap() && label->pixmap().isNull()) ||
        qobject_cast<const QAbstractButton*>(widget);
    if (!texted) continue;
    shown << widget;
    // A button needs room for its caption; the style's least width is no matter.
    QSize needed = widget->minimumSizeHint();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
      const int caption =
          button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&')));
      const int box = qobject_cast<const QPushButton*>(widget) ? 4 : needed.width() - caption;
      needed.setWidth(caption + std::max(box, 0));
    }
    if (widget->width() < needed.width() || widget->height() < needed.height())
      faults << QString("%1 cut: %2x%3 of %4x%5")
                    .arg(id(widget))
                    .arg(widget->width())
                    .arg(widget->height())
                    .arg(needed.width())
                    .arg(needed.height());
  }
  for (qsizetype i = 0; i < shown.size(); ++i) {
    for (qsizetype j = i + 1; j < shown.size(); ++j) {
      if (shown[i]->parentWidget() != shown[j]->parentWidget()) continue;
      const QRect common = shown[i]->geometry().intersected(shown[j]->geometry());
      if (common.width() > 1 && common.height() > 1)
        faults << id(shown[i]) + " over " + id(shown[j]);
    }
  }
  return faults;
}

#define VERIFY_INSIDE(window)                                          \
  do {                                                                 \
    const QString why = Inside(window);                                \
    QVERIFY2(why.isEmpty(), qPrintable(why));                          \
    const QStringList unreadable = Unreadable(window);                 \
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join("\n"))); \
  } while (false)

// Checks a modal window from inside its own event loop, then closes it.
void WhileModal(QDialog* dialog, QString& why) {
  QTimer::singleShot(0, dialog, [dialog, &why] {
    why = Inside(dialog);
    const QStringList unreadable = Unreadable(dialog);
    if (!unreadable.isEmpty()) why += unreadable.join("; ");
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
    auto* pages = main->SystemSetupWindow()->findChild<QTabWidget*>("PageControl");
    for (int page = 0; page < pages->count(); ++page) {
      pages->setCurrentIndex(page);
      VERIFY_INSIDE(main->SystemSetupWindow());
    }
    pages->setCurrentIndex(0);
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
    main->OverviewBtnClick();
    VERIFY_INSIDE(main->OverviewWindow());
    main->BackupsBtnClick();
    VERIFY_INSIDE(main->BackupsWindow());

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

  // The load dialog of the desktop, in a folder of system files with long names: its
  // size, type and date columns are not cut.
  void theFileDialogShowsItsColumnsWhole() {
    QTemporaryDir folder;
    for (const char* name :
         {"Launderette Suedstadt, all ten machines, December 2026.xml", "Corner laundry.xml"}) {
      QFile file(folder.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("<TL4200system/>");
    }
    QtDialogs dialogs;
    QString faults;
    QTimer::singleShot(0, [&faults] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      auto* details = dialog ? dialog->findChild<QTreeView*>() : nullptr;
      if (!details) {
        faults = "no file dialog";
        return;
      }
      // The folder is read on a thread of its own.
      if (!QTest::qWaitFor(
              [details] { return details->model()->rowCount(details->rootIndex()) > 1; }, 5000)) {
        faults = "the folder was not read";
        dialog->reject();
        return;
      }
      QCoreApplication::processEvents();
      QHeaderView* header = details->header();
      for (int column = 1; column < header->count(); ++column) {
        const int needed =
            std::max(header->sectionSizeHint(column),
                     static_cast<QAbstractItemView*>(details)->sizeHintForColumn(column));
        const int right = header->sectionViewportPosition(column) + header->sectionSize(column);
        if (right > details->viewport()->width())
          faults += QString("column %1 past the view's edge; ").arg(column);
        if (header->sectionSize(column) < needed)
          faults += QString("column %1 cut: %2 of %3; ")
                        .arg(column)
                        .arg(header->sectionSize(column))
                        .arg(needed);
      }
      faults += Inside(dialog);
      dialog->reject();
    });
    dialogs.OpenFileName(nullptr, {"Load System", "XML-file (*.xml)|*.xml", "xml",
                                   folder.filePath("Corner laundry.xml")});
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
  }

  void aPositionFromAWiderScreenIsBroughtBack() {
    // Stored by a 2560 x 1440 screen.
    test::TestUiScope scope;
    test::TestUi().SetSettingsStore([] {
      auto store = std::make_unique<test::MemorySettingsStore>();
      store->values["Left"] = 1900;
      store->values["Top"] = 800;
      return store;
    });
    auto main = test::StartedMain();
    VERIFY_INSIDE(main.get());
  }
};

int main(int argc, char** argv) {
  // A scaled desktop gets a screen with as many more pixels, so that the windows have
  // the room they have at 100 %.
  const TestScreen& screen = Screen();
  if (screen.width <= 0 || screen.height <= 0 || screen.scale <= 0) return 2;
  if (screen.scale != 1.0) qputenv("QT_SCALE_FACTOR", QByteArray::number(screen.scale));
  QTemporaryDir folder;
  const QString config = folder.filePath("screen.json");
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write(QString("{\"screens\": [{\"name\": \"Screen\", \"x\": 0, \"y\": 0, \"width\": %1, "
                     "\"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                 .arg(qRound(screen.width * screen.scale))
                 .arg(qRound(screen.height * screen.scale))
                 .toUtf8());
  file.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
  QApplication application(argc, argv);
  WindowFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_fit_test.moc"
