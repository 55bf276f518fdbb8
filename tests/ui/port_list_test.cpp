// The communication window's port list from the port search: a pseudo-terminal that
// a scripted source presents as an FTDI adapter appears after "None", keeps the
// technician's text, and opens to a live link with vorel-sim; once open it stays in
// the list, a rescan opens no port and Search probes only the free ones.
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <atomic>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "io/QtPortSource.h"
#include "ui/link/TCommunicationForm.h"

using namespace vorel;

namespace {

struct PtySource : PortSource {
  std::string device;
  std::atomic<bool> plugged{false};  // a second adapter, that cannot be opened
  std::atomic<int> probes{0};
  std::vector<PortCandidate> Candidates() override {
    std::vector<PortCandidate> candidates = {
        {device, "FT232R USB UART", "A9X1", ports::kFtdiVendorId, 0x6001, false},
        {"/dev/ttyS0", "ttyS0", "", std::nullopt, std::nullopt, false}};
    if (plugged)
      candidates.push_back(
          {"/dev/vorel-gone", "FT232R", "B2", ports::kFtdiVendorId, 0x6001, false});
    return candidates;
  }
  bool Probe(const std::string& name) override {
    ++probes;
    return QtPortSource().Probe(name);
  }
};

}  // namespace

class PortListTest : public QObject {
  Q_OBJECT

 private slots:
  void adapterAppearsAndOpens() {
    QProcess sim;
    sim.start(VOREL_SIM_PATH, {"--serial", "4711"});
    QVERIFY(sim.waitForReadyRead(5000));
    const QString device =
        QString::fromUtf8(sim.readLine()).trimmed().mid(QString("vorel-sim: serving ").size());
    auto source = std::make_shared<PtySource>();
    source->device = device.toStdString();
    test::TestUiScope scope;
    test::TestUi().SetPortSource(source);

    auto main = test::StartedMain();
    TCommunicationForm* form = main->CommunicationWindow();
    auto* ports = test::Find<QComboBox>(form, "ComPortCombo");
    ports->setCurrentText("typed by hand");
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 2, 3000);
    QCOMPARE(ports->itemText(0), QString("None"));
    QCOMPARE(ports->itemText(1), device);
    QCOMPARE(ports->currentText(), QString("typed by hand"));

    ports->setCurrentText(device);
    form->LocalBtnClick();
    QTRY_COMPARE_WITH_TIMEOUT(test::Find<QLabel>(form, "ComportStatusLabel")->text(),
                              QString("Ready"), 4000);

    // The rescan reads the system's list only: the port in use stays, a new adapter
    // shows up, nothing is opened.
    source->probes = 0;
    source->plugged = true;
    form->SearchPorts(PortSearch::Kind::kRescan);
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 3, 3000);
    QVERIFY(ports->findText(device) > 0);
    QCOMPARE(source->probes.load(), 0);
    // Search tries the free adapters, not the one in use.
    test::Find<QPushButton>(form, "SearchPortsBtn")->click();
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 2, 3000);
    QCOMPARE(ports->itemText(1), device);
    QCOMPARE(source->probes.load(), 1);
    QVERIFY(main->CurrentSession().LinkReady());
    sim.kill();
    sim.waitForFinished();
  }
};

QTEST_MAIN(PortListTest)
#include "port_list_test.moc"
