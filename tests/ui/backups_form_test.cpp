// The backups window on a folder of kept reads: listed grouped and newest first,
// filtered, one opened into the editors, two compared, one moved to the trash.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "io/ReadBackupFolder.h"
#include "ui/image/TBackupsForm.h"

using namespace vorel;

namespace {

// A read of controller `serial` holding a system of that name, kept at `minute`.
void KeepRead(const QString& folder, uint32_t serial, int minute, const std::string& name) {
  Session packer;
  packer.NewSystem(test::TestUi().Now());
  packer.EditConfiguration([&](SystemConfiguration& c) { c.MainSetup.SystemName = name; });
  packer.PackImage(test::TestUi().Now());
  ReadBackupFolder backups(folder,
                           [minute] { return LocalDateTime{2026, 12, 9, 8, minute, 0, 2}; });
  QVERIFY(backups.Keep(serial, packer.Image().image.bytes, packer.SystemFileBytes()));
}

// The texts of the compare dialog into `seen`, read while it is open, then closed.
void WhileCompareOpen(QStringList& seen) {
  seen.clear();
  QTimer::singleShot(0, [&seen] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(window);
      if (!dialog || dialog->objectName() != "CompareDialog" || !dialog->isVisible()) continue;
      for (const char* name : {"CompareSummaryLabel", "CompareSameLabel"}) {
        if (auto* label = dialog->findChild<QLabel*>(name)) seen << label->text();
      }
      if (auto* table = dialog->findChild<QTableWidget*>("CompareTable")) {
        for (int row = 0; row < table->rowCount(); ++row)
          seen << table->item(row, 0)->text() + " | " + table->item(row, 1)->text() + " | " +
                      table->item(row, 2)->text();
      }
      dialog->reject();
    }
  });
}

}  // namespace

class BackupsFormTest : public QObject {
  Q_OBJECT

 private slots:
  void openCompareAndDelete() {
    QTemporaryDir folder;
    QTemporaryDir trash;
    qputenv("XDG_DATA_HOME", trash.path().toLocal8Bit());
    qputenv("VOREL_BACKUP_DIR", folder.path().toLocal8Bit());
    KeepRead(folder.path(), 4200, 1, "Hall A");
    KeepRead(folder.path(), 4200, 2, "Hall B");
    KeepRead(folder.path(), 31, 3, "Corner");
    auto main = test::StartedMain();
    qunsetenv("VOREL_BACKUP_DIR");
    TBackupsForm* form = main->BackupsWindow();
    QSignalSpy listed(form, &TBackupsForm::Listed);
    main->findChild<QAction*>("BackupsBtn")->trigger();
    QVERIFY(listed.wait(5000));
    auto* tree = test::Find<QTreeWidget>(form, "BackupsTree");
    QCOMPARE(tree->topLevelItemCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->text(0), QString("Controller 31 (1 read)"));
    QTreeWidgetItem* four = tree->topLevelItem(1);
    QCOMPARE(four->text(0), QString("Controller 4200 (2 reads)"));
    QCOMPARE(four->child(0)->text(1), QString("Hall B"));  // newest first
    QCOMPARE(four->child(1)->text(0), QString("2026-12-09 08:01:00"));
    test::SaveScreenshot(form, "backups");

    test::Find<QLineEdit>(form, "FilterEdit")->setText("hall a");
    QVERIFY(tree->topLevelItem(0)->isHidden());
    QVERIFY(four->child(0)->isHidden());
    QVERIFY(!four->child(1)->isHidden());
    test::Find<QLineEdit>(form, "FilterEdit")->clear();

    // Open: the older read of 4200 into the editors; Save does not offer the backup.
    four->child(1)->setSelected(true);
    test::Find<QPushButton>(form, "OpenBtn")->click();
    QCOMPARE(main->Configuration().MainSetup.SystemName, std::string("Hall A"));
    QVERIFY(!main->LastSystemFileName().contains("4200_"));

    // Compare the two reads of 4200: the system name differs.
    four->child(0)->setSelected(true);
    QStringList seen;
    WhileCompareOpen(seen);
    test::Find<QPushButton>(form, "CompareBtn")->click();
    QVERIFY2(seen.join('\n').contains("Hall A") && seen.join('\n').contains("Hall B"),
             qPrintable(seen.join('\n')));
    // One read against the editors, which hold it: the same.
    tree->clearSelection();
    four->child(1)->setSelected(true);
    WhileCompareOpen(seen);
    test::Find<QPushButton>(form, "CompareBtn")->click();
    QVERIFY2(!seen.isEmpty() && seen.first().startsWith("The editors hold what the backup"),
             qPrintable(seen.join('\n')));

    // Delete the newest of 4200, after the question.
    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgYes};
    tree->clearSelection();
    four->child(0)->setSelected(true);
    test::Find<QPushButton>(form, "DeleteBtn")->click();
    QCOMPARE(dialogs.asked.size(), 1);
    QVERIFY(dialogs.asked[0].text.startsWith("Move the backup 4200_2026-12-09_08-02-00"));
    QVERIFY(listed.wait(5000));
    QCOMPARE(tree->topLevelItem(1)->childCount(), 1);
    QVERIFY(!QFile::exists(QDir(folder.path()).filePath("4200_2026-12-09_08-02-00.bin")));
    QVERIFY(!QFile::exists(QDir(folder.path()).filePath("4200_2026-12-09_08-02-00.xml")));
  }
};

QTEST_MAIN(BackupsFormTest)
#include "backups_form_test.moc"
