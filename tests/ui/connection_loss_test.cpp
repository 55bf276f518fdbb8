// The windows when the connection goes, on stepped ticks against a simulated
// controller: Close, Remote and another port in the middle of a write end it with
// how far it came; outputs switched on by hand are off again, their boxes
// unchecked, when the link is lost, and the next controller hears nothing of them.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <functional>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/image/TEEPROMForm.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/supervision/TSystemSetupForm.h"

using namespace vorel;

namespace {

ControllerImage Memory() {
  Session packer;
  packer.EditConfiguration(
      [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Corner laundry"; });
  packer.PackImage(test::TestUi().Now());
  return packer.Image().image;
}

QString Panel(TEEPROMForm* form) {
  return test::Find<QLabel>(form, "StatusPanel2")->text();
}

}  // namespace

class ConnectionLossTest : public QObject {
  Q_OBJECT

 private slots:
  void aWriteEndsWithHowFarItCame() {
    const struct {
      const char* name;
      std::function<void(TCommunicationForm*)> end;
    } cases[] = {
        {"Close", [](TCommunicationForm* c) { c->CloseBtnClick(); }},
        {"Remote", [](TCommunicationForm* c) { c->RemoteBtnClick(); }},
        {"another port",
         [](TCommunicationForm* c) {
           test::Find<QComboBox>(c, "ComPortCombo")->setCurrentText("ttyUSB1");
           c->OpenBtnClick();
         }},
    };
    for (const auto& c : cases) {
      test::SteppedMain stepped(Memory());
      TEEPROMForm* form = stepped.main->ReadWriteWindow();
      form->show();
      QVERIFY2(stepped.main->CurrentSession().LinkReady(), c.name);
      test::ScriptedDialogs dialogs;
      stepped.main->CurrentSession().EditConfiguration(  // a system worth writing
          [](SystemConfiguration& config) { config.MainSetup.SystemName = "Written"; });
      test::Find<QPushButton>(form, "WriteBtn")->click();
      stepped.Ticks(8);
      QVERIFY2(Panel(form).startsWith("Writing "), c.name);
      c.end(stepped.main->CommunicationWindow());
      QVERIFY2(Panel(form).startsWith("Connection lost after "), qPrintable(Panel(form)));
      QVERIFY(Panel(form).contains("partly written configuration"));
      QCOMPARE(test::Find<QLabel>(form, "StateInfoLabel")->text(), QString("Connection lost"));
      QVERIFY(dialogs.asked.isEmpty());  // not inside the button's own event
      stepped.Ticks(1);
      QCOMPARE(dialogs.asked.size(), 1);
      QCOMPARE(dialogs.asked[0].text, Panel(form));
      QVERIFY(!test::Find<QPushButton>(form, "StopBtn")->isEnabled());
      if (std::string(c.name) == "Close") {
        QVERIFY(!test::Find<QPushButton>(form, "ReadBtn")->isEnabled());
        QVERIFY(!test::Find<QPushButton>(form, "WriteBtn")->isEnabled());
      }
      test::SaveScreenshot(form, "eeprom_connection_lost");

      stepped.main->CommunicationWindow()->LocalBtnClick();
      stepped.main->CommunicationWindow()->OpenBtnClick();
      stepped.PlugInSecond();
      QVERIFY(stepped.main->CurrentSession().LinkReady());
      QCOMPARE(stepped.second.MemoryWrites(), 0u);
      QVERIFY(!Panel(form).startsWith("Write completed"));
    }
  }

  void handSwitchedOutputsGoWithTheLink() {
    test::SteppedMain stepped(Memory());
    TSystemSetupForm* setup = stepped.main->SystemSetupWindow();
    setup->show();
    test::Find<QTabWidget>(setup, "PageControl")->setCurrentIndex(3);  // " Test"
    auto* pump = test::Find<QPushButton>(setup, "PumpOn3Btn");
    auto* control = test::Find<QCheckBox>(setup, "PumpControl3Btn");
    pump->click();
    QVERIFY(control->isChecked());
    stepped.Ticks(5);
    QVERIFY(stepped.first.OutputsSwitchedOn() > 0);

    stepped.Line().SetQuiet(true);
    stepped.Ticks(LinkEngine::kLinkAliveTicks + 1);
    QVERIFY(!stepped.main->CurrentSession().LinkReady());
    QVERIFY(!control->isChecked());
    QVERIFY(!pump->isChecked());

    stepped.PlugInSecond();
    QVERIFY(stepped.main->CurrentSession().LinkReady());
    QCOMPARE(stepped.second.OutputsSwitchedOn(), 0u);
    QVERIFY(!control->isChecked());
  }
};

QTEST_MAIN(ConnectionLossTest)
#include "connection_loss_test.moc"
