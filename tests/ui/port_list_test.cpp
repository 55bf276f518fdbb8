// The communication window's port list from the port search: a pseudo-terminal that
// a scripted source presents as an FTDI adapter appears after "None", keeps the
// technician's text, and opens to a live link with vorel-sim.
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "io/QtPortSource.h"
#include "ui/link/TCommunicationForm.h"

using namespace vorel;

namespace {

struct PtySource : PortSource {
  std::string device;
  std::vector<PortCandidate> Candidates() override {
    return {{device, "FT232R USB UART", "A9X1", ports::kFtdiVendorId, 0x6001, false},
            {"/dev/ttyS0", "ttyS0", "", std::nullopt, std::nullopt, false}};
  }
  bool Probe(const std::string& name) override { return QtPortSource().Probe(name); }
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
    test::TestUi().SetPortSource(nullptr);
    sim.kill();
    sim.waitForFinished();
  }
};

QTEST_MAIN(PortListTest)
#include "port_list_test.moc"
