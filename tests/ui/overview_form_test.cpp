// The system overview following a controller: over the serial link (the simulated
// controller on a stepped clock) and over the gateway (scripted reports), greyed out
// when the connection goes; its trace exported and saved, and a saved one opened.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "core/config/InstructionSet.h"
#include "core/link/Gateway.h"
#include "io/FileAccess.h"
#include "io/SimulatedPort.h"
#include "support/ScriptedGateway.h"
#include "ui/supervision/TOverviewForm.h"
#include "ui/supervision/TraceChart.h"

using namespace vorel;

namespace {

ControllerImage Memory() {
  Session packer;
  packer.NewSystem(test::TestUi().Now());
  return packer.Image().image;
}

// Machines 1 and 3 in the editors, machine 3 with a named program 2 whose line 3
// pumps.
void TwoMachines(Session& session) {
  session.EditConfiguration([](SystemConfiguration& config) {
    config.MachineData[0].Enabled = true;
    config.MachineData[2].Enabled = true;
    config.MachineData[2].Comment = "Washer";
    config.MachineData[2].Programs[1].Name = "Whites 60";
    config.MachineData[2].Programs[1].Lines[2].SetCode(instruction::kPump);
  });
}

QString Cell(TOverviewForm* form, int row, int column) {
  const QTableWidgetItem* item = test::Find<QTableWidget>(form, "MachinesGrid")->item(row, column);
  return item ? item->text() : QString();
}

bool On(TOverviewForm* form, const char* label) {
  return test::Find<QLabel>(form, label)->property("on").toBool();
}

}  // namespace

class OverviewFormTest : public QObject {
  Q_OBJECT

 private slots:
  void followsTheSerialLinkAndGreysOutWhenItGoes() {
    test::SteppedMain stepped(Memory());
    Session& session = stepped.main->CurrentSession();
    TwoMachines(session);
    stepped->OverviewBtnClick();
    TOverviewForm* form = stepped->OverviewWindow();
    QVERIFY(form->isVisible());
    QCOMPARE(test::Find<QTableWidget>(form, "MachinesGrid")->rowCount(), 2);
    QCOMPARE(Cell(form, 1, 0), QString("3  Washer"));
    QVERIFY(test::Find<QLabel>(form, "ConnectionLabel")->text().startsWith("Serial link"));

    // Pump 3 and machine 3 switched on by hand: the controller reports them.
    session.SetPumpControl(3, true);
    session.PressPump(3, true);
    session.SetMachineControl(3, true);
    session.PressMachine(3, true);
    QVERIFY(stepped.Until([&] { return On(form, "PumpLabel3"); }, 30));
    QVERIFY(!On(form, "PumpLabel2"));
    QVERIFY(stepped.Until([&] { return Cell(form, 1, 5) == "On"; }, 30));
    QCOMPARE(Cell(form, 0, 5), QString("Off"));
    const LaundryTrace& trace = session.Trace();
    QVERIFY(trace.Latest().Get(2) == 1);
    QVERIFY(trace.Latest().Machine(2, laundry::kOutput) == 1);
    // The chart draws the pump's lane high at the end.
    stepped.Ticks(6);
    const auto& lanes = form->Chart()->LanePoints();
    QVERIFY(!lanes[2].isEmpty());
    QCOMPARE(lanes[2].last().y(), double(lanes.size() - 3) + 0.85);  // pump 3 high
    test::SaveScreenshot(form, "overview");

    // The controller falls silent: the overview says so and greys out.
    stepped.Line().SetQuiet(true);
    QVERIFY(stepped.Until([&] { return !session.LinkReady(); }, 100));
    QVERIFY(test::Find<QLabel>(form, "ConnectionLabel")->text().startsWith("No connection"));
    QVERIFY(!test::Find<QTableWidget>(form, "MachinesGrid")->isEnabled());
    QVERIFY(!On(form, "PumpLabel3"));
    QCOMPARE(session.Trace().Latest().Get(laundry::kConnected), 0);
  }

  void followsTheGateway() {
    test::MainUnderTest main;
    {
      test::TestUiScope scope;
      test::TestUi().SetSteppedTicks(true);
      main = test::StartedMain();
    }
    Session& session = main->CurrentSession();
    TwoMachines(session);
    main->OverviewBtnClick();
    TOverviewForm* form = main->OverviewWindow();
    test::ScriptedGateway gateway;
    gateway.LogIn(session, 'A');
    QVERIFY(test::Find<QLabel>(form, "ConnectionLabel")->text().startsWith("Gateway: L"));
    // While it is open the gateway is asked for the controller's state.
    for (int tick = 0; tick < 12; ++tick) main->MainTimer100ms();
    QVERIFY(std::count(gateway.sent.begin(), gateway.sent.end(), GatewayStatusPollMessage()) >= 1);

    // Pump 1 and flush water on; machine 3 runs program 2 at line 3, online, inputs 2.
    std::vector<uint8_t> report(16 + 10 * 10, 0);
    report[0] = 'C';
    report[1] = 'X';
    report[2] = 0x01;
    report[5] = 0x04;
    report[16 + 20] = 3;
    report[16 + 20 + 1] = 2;
    report[16 + 20 + 2] = 0x01;
    report[16 + 20 + 3] = 0x02;
    gateway.Feed(report);
    QVERIFY(On(form, "PumpLabel1"));
    QVERIFY(On(form, "FlushWaterLabel"));
    QVERIFY2(!On(form, "AlarmOutputLabel"), "the gateway does not relay it");
    QCOMPARE(Cell(form, 1, 1), QString("2  Whites 60"));
    QCOMPARE(Cell(form, 1, 2), QString("3  Pump"));
    QCOMPARE(Cell(form, 1, 3), QString("Online, inputs 2"));
    QCOMPARE(Cell(form, 0, 1), QString("-"));

    session.SelectMode(false);  // the gateway connection ends
    QVERIFY(test::Find<QLabel>(form, "ConnectionLabel")->text().startsWith("No connection"));
    QCOMPARE(Cell(form, 1, 1), QString("-"));
  }

  void theTraceIsExportedSavedAndOpenedAgain() {
    QTemporaryDir folder;
    auto main = test::StartedMain();
    Session& session = main->CurrentSession();
    main->OverviewBtnClick();
    TOverviewForm* form = main->OverviewWindow();
    test::ScriptedGateway gateway;
    gateway.LogIn(session, 'A');
    std::vector<uint8_t> report(16 + 10 * 10, 0);
    report[0] = 'C';
    report[1] = 'X';
    report[2] = 0x04;  // pump 3
    gateway.Feed(report);

    test::ScriptedDialogs dialogs;
    dialogs.fileNames = {folder.filePath("t.csv"), folder.filePath("t.vtrace"),
                         folder.filePath("t.vtrace")};
    test::Find<QPushButton>(form, "ExportCsvBtn")->click();
    const Loaded<std::string> csv = ReadWholeFile(folder.filePath("t.csv"), 1 << 20);
    QVERIFY(csv && csv->find("pump 3,1\n") != std::string::npos);
    test::Find<QPushButton>(form, "SaveTraceBtn")->click();
    session.StartTrace(test::TestUi().Now());  // the live trace starts again, empty
    test::Find<QPushButton>(form, "LoadTraceBtn")->click();
    QVERIFY(dialogs.asked.isEmpty());
    QVERIFY(test::Find<QLabel>(form, "SourceLabel")->text().startsWith("Trace file"));
    QCOMPARE(TraceCsv(form->ShownTrace()), *csv);
    QVERIFY(test::Find<QPushButton>(form, "LiveBtn")->isEnabled());
    test::Find<QPushButton>(form, "LiveBtn")->click();
    QCOMPARE(form->ShownTrace().Size(), session.Trace().Size());

    // A damaged file is refused whole, with a reason.
    QFile damaged(folder.filePath("bad.vtrace"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("VORELTRC");
    damaged.close();
    dialogs.fileNames = {folder.filePath("bad.vtrace")};
    test::Find<QPushButton>(form, "LoadTraceBtn")->click();
    QCOMPARE(dialogs.asked.size(), 1);
    QVERIFY(dialogs.asked[0].text.startsWith("Could not open the trace"));
    QVERIFY(test::Find<QLabel>(form, "SourceLabel")->text().startsWith("Live"));
  }

  // Only with VOREL_SCREENSHOT_DIR: the overview after twenty seconds of the
  // demonstration's laundry, its system in the editors as after a read.
  void screenshotOfARunningDemo() {
    if (qEnvironmentVariableIsEmpty("VOREL_SCREENSHOT_DIR")) QSKIP("no VOREL_SCREENSHOT_DIR");
    auto main = test::StartedDemoMain();
    Session& session = main->CurrentSession();
    const ControllerImage demo = SimulatedPort::DemoMemory();
    QVERIFY(session.TakeImage(demo.bytes).taken);
    main->OverviewBtnClick();
    QTest::qWait(20000);
    test::SaveScreenshot(main->OverviewWindow(), "overview_demo");
  }
};

QTEST_MAIN(OverviewFormTest)
#include "overview_form_test.moc"
