// The read/write window by its controls: which buttons the link allows, what the
// access words show, a read and a write against the demonstration's controller, the
// question before texts are dropped, and Escape and Close during a transfer.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "core/image/ImagePacking.h"
#include "io/ReadBackupFolder.h"
#include "io/SimulatedPort.h"
#include "support/ScriptedGateway.h"
#include "ui/image/TEEPROMForm.h"

using namespace vorel;

namespace {

// A gateway that lets "tech" into its one online system with the given access.

// A main window on the demonstration's controller with stepped ticks, its link
// ready, and the read/write window shown through the menu.
std::unique_ptr<test::SteppedMain> DemoMain() {
  auto stepped = std::make_unique<test::SteppedMain>(SimulatedPort::DemoMemory());
  (*stepped)->findChild<QAction*>("ReadWriteSystemDataBtn")->trigger();
  return stepped;
}

bool Enabled(TEEPROMForm* form, const char* name) {
  return test::Find<QPushButton>(form, name)->isEnabled();
}

QString Action(TEEPROMForm* form) {
  return test::Find<QLabel>(form, "StatusPanel2")->text();
}

}  // namespace

class EEPROMFormTest : public QObject {
  Q_OBJECT

  QTemporaryDir backups_;
  std::unique_ptr<ReadBackupFolder> backup_;

 private slots:
  void initTestCase() {
    QVERIFY(backups_.isValid());
    backup_ = std::make_unique<ReadBackupFolder>(backups_.path());
    test::TestUi().SetReadBackup(backup_.get());
  }
  void cleanupTestCase() { test::TestUi().SetReadBackup(nullptr); }

  void buttonsFollowTheLink() {
    const struct {
      const char* name;
      char access;  // 0: no link at all
      bool read, write;
    } cases[] = {
        {"no link", 0, false, false},
        {"gateway, read only", 'B', true, false},
        {"gateway, full access", 'A', true, true},
    };
    for (const auto& c : cases) {
      test::ScriptedGateway gateway;
      auto main = test::StartedMain();
      TEEPROMForm* form = main->ReadWriteWindow();
      form->show();
      if (c.access) gateway.LogIn(main->CurrentSession(), c.access);
      QVERIFY2(Enabled(form, "ReadBtn") == c.read, c.name);
      QVERIFY2(Enabled(form, "WriteBtn") == c.write, c.name);
      QVERIFY2(!Enabled(form, "StopBtn"), c.name);
      QVERIFY2(!Enabled(form, "CompareBtn"), c.name);
    }
  }

  void accessWordsShowTheirControls() {
    const struct {
      QStringList arguments;
      bool setup, master;
    } cases[] = {{{}, false, false}, {{"RB316entry"}, true, false}, {{"ChiefAccess"}, false, true}};
    for (const auto& c : cases) {
      auto main = test::StartedMain(c.arguments);
      main->findChild<QAction*>("ReadWriteSystemDataBtn")->trigger();
      TEEPROMForm* form = main->ReadWriteWindow();
      QVERIFY(form->isVisible());
      QCOMPARE(form->windowTitle(), QString("Read / write"));
      QCOMPARE(test::Find<QPushButton>(form, "WriteSerialNumberBtn")->isVisible(), c.setup);
      QCOMPARE(test::Find<QLineEdit>(form, "SerialNumberEdit")->isEnabled(), c.setup);
      QCOMPARE(test::Find<QLabel>(form, "LoginCodeLabel")->isVisible(), c.master);
      auto* code = test::Find<QLineEdit>(form, "LoginCodeEdit");
      QCOMPARE(code->isVisible(), c.master);
      code->setText("Sesam");
      form->close();
      form->show();
      QVERIFY(code->text().isEmpty());
    }
  }

  void readAndWriteAgainstTheDemonstration() {
    auto stepped = DemoMain();
    test::SteppedMain& main = *stepped;
    Session& session = main->CurrentSession();
    TEEPROMForm* form = main->ReadWriteWindow();
    QVERIFY(Enabled(form, "ReadBtn"));
    QVERIFY(Enabled(form, "WriteBtn"));
    QVERIFY(!Enabled(form, "VerifyBtn"));

    test::Find<QPushButton>(form, "ReadBtn")->click();
    QVERIFY(!Enabled(form, "ReadBtn") && !Enabled(form, "WriteBtn") && Enabled(form, "StopBtn"));
    QVERIFY(main.Until([&] { return Action(form) == "Read completed"; }, 400));
    QCOMPARE(session.Configuration().MainSetup.SystemName, std::string("Demonstration laundry"));
    QCOMPARE(test::Find<QLineEdit>(form, "SerialNumberEdit")->text(), QString("4200"));
    QVERIFY(test::Find<QLabel>(form, "StatusPanel0")->text().startsWith("Date: "));
    QCOMPARE(test::Find<QProgressBar>(form, "ProgressBar")->value(), 100);
    // The read is kept in the backup folder, and the window says where.
    auto* backup = test::Find<QLabel>(form, "BackupLabel");
    QVERIFY(backup->isVisible());
    QVERIFY(backup->text().startsWith("Kept as "));
    QCOMPARE(QDir(backups_.path()).entryList({"4200_*.bin"}).size(), 1);
    QCOMPARE(backup->toolTip(), QString::fromStdString(*session.LastBackup()));
    test::SaveScreenshot(form, "eeprom_read");

    // A changed name is what a write would change.
    session.EditConfiguration(
        [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Harbour laundry"; });
    QTimer::singleShot(0, form, [form] {
      auto* dialog = form->findChild<QDialog*>("CompareDialog");
      QVERIFY(dialog);
      auto* table = test::Find<QTableWidget>(dialog, "CompareTable");
      QCOMPARE(table->rowCount(), 1);
      QCOMPARE(test::Find<QLabel>(dialog, "CompareSummaryLabel")->text(),
               QString("1 difference from what was last read from the controller."));
      QCOMPARE(table->item(0, 0)->text(), QString("System name"));
      QCOMPARE(table->item(0, 1)->text(), QString("\"Harbour laundry\""));
      QCOMPARE(table->item(0, 2)->text(), QString("\"Demonstration laundry\""));
      test::SaveScreenshot(dialog, "eeprom_compare");
      dialog->reject();
    });
    test::Find<QPushButton>(form, "CompareBtn")->click();

    test::Find<QPushButton>(form, "WriteBtn")->click();
    QVERIFY(main.Until([&] { return Action(form) == "Write completed"; }, 400));
    QVERIFY(!backup->isVisible());
    test::SaveScreenshot(form, "eeprom_write");
    QVERIFY(Enabled(form, "VerifyBtn"));
    test::Find<QPushButton>(form, "VerifyBtn")->click();
    auto* progress = test::Find<QLabel>(form, "ProgessLabel");
    QVERIFY(main.Until([&] { return progress->text() == "Verify OK"; }, 400));
    QCOMPARE(progress->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));
  }

  void anUntouchedNewSystemIsWrittenOnlyWhenConfirmed() {
    auto stepped = DemoMain();
    test::SteppedMain& main = *stepped;
    TEEPROMForm* form = main->ReadWriteWindow();
    for (const bool confirm : {false, true}) {
      test::ScriptedDialogs dialogs;
      dialogs.answers = {confirm ? kMsgYes : kMsgNo};
      test::Find<QPushButton>(form, "WriteBtn")->click();
      QCOMPARE(dialogs.asked.size(), 1);
      QCOMPARE(dialogs.asked[0].text,
               QString("The editors hold a new, empty system. Writing it replaces the "
                       "controller's whole configuration. Write it anyway?"));
      QCOMPARE(dialogs.asked[0].defaultButton, unsigned(kMsgNo));
      QCOMPARE(main->CurrentSession().Transfer().Busy(), confirm);
      main.Until([&] { return !main->CurrentSession().Transfer().Busy(); }, 400);
      QCOMPARE(main.first.MemoryWrites() > 0, confirm);
    }
  }

  void masterCodeGoesIntoTheImageAndDroppedTextsAreAsked() {
    // Master mode asks the controller nothing before packing, so no link is needed.
    auto main = test::StartedMain({"ChiefAccess"});
    Session& session = main->CurrentSession();
    session.EditConfiguration([](SystemConfiguration& config) {  // as the editors' Save does
      for (MachineSettings& machine : config.MachineData)
        for (ProgramRecord& program : machine.Programs)
          for (std::string& comment : program.LineComments) comment = std::string(40, 'x');
    });
    TEEPROMForm* form = main->ReadWriteWindow();
    form->show();
    test::Find<QLineEdit>(form, "LoginCodeEdit")->setText(QString::fromUtf8("Sesam\u00E9"));
    test::ScriptedDialogs dialogs;  // answers No
    form->WriteBtnClick();
    for (int tick = 0; tick < 3; ++tick) main->MainTimer100ms();

    QCOMPARE(LoginCodeText(session.Image().image), std::string("Sesam\xE9"));
    QCOMPARE(dialogs.asked.size(), 1);
    const test::AskedMessage& asked = dialogs.asked[0];
    const size_t dropped = session.Image().droppedTexts.size();
    QVERIFY(dropped > 20);
    QVERIFY(asked.text.startsWith(
        QString("%1 texts do not fit the controller's text area and will not be written:\n")
            .arg(dropped)));
    QVERIFY(asked.text.endsWith(QString("\n... and %1 more\n\nWrite anyway?").arg(dropped - 20)));
    QCOMPARE(asked.text.count("TL4200system/"), 20);
    QCOMPARE(asked.buttons, unsigned(kMsgYes | kMsgNo));
    QCOMPARE(asked.defaultButton, unsigned(kMsgNo));
    QCOMPARE(session.Transfer().LastEnd(), TransferEnd::kCancelled);
  }

  void escapeWaitsAndCloseStops() {
    auto stepped = DemoMain();
    test::SteppedMain& main = *stepped;
    Session& session = main->CurrentSession();
    TEEPROMForm* form = main->ReadWriteWindow();
    QVERIFY(Enabled(form, "ReadBtn"));
    for (const bool byButton : {false, true}) {
      test::Find<QPushButton>(form, "ReadBtn")->click();
      QVERIFY(
          main.Until([&] { return session.Transfer().State() == TransferState::kSerialRead; }, 20));
      // Also after showing the window again, where the same text was emptied.
      QCOMPARE(Action(form), QString("Reading 32768 bytes."));
      QTest::keyClick(form, Qt::Key_Escape);
      QVERIFY(form->isVisible());
      QVERIFY(session.Transfer().Busy());
      if (byButton) {
        test::Find<QPushButton>(form, "CloseBtn")->click();
      } else {
        form->close();  // the title bar's close
      }
      QVERIFY(!form->isVisible());
      QVERIFY(!session.Transfer().Busy());
      QCOMPARE(session.Transfer().LastEnd(), TransferEnd::kStopped);
      form->show();
      QVERIFY(test::Find<QLabel>(form, "StateInfoLabel")->isHidden());
      QVERIFY(Action(form).isEmpty());
    }
    QTest::keyClick(form, Qt::Key_Escape);
    QVERIFY(!form->isVisible());
  }
};

QTEST_MAIN(EEPROMFormTest)
#include "eeprom_form_test.moc"
