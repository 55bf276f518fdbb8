// A main window as the program composes it (the session with its serial port,
// gateway socket and read backups attached), with its settings in memory, shown
// and past its first activation.
#pragma once

#include <QPointer>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <functional>
#include <memory>

#include "UiTestSupport.h"
#include "core/app/AccessLevels.h"
#include "core/simulation/SimulatedLine.h"
#include "io/GatewaySocketAdapter.h"
#include "io/SerialPortAdapter.h"
#include "io/SimulatedPort.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/main/TMainForm.h"

namespace vorel::test {

class MainUnderTest {
 public:
  MainUnderTest() = default;
  explicit MainUnderTest(const QStringList& arguments) : parts_(std::make_unique<Parts>()) {
    std::vector<std::string> words;
    for (const QString& argument : arguments) words.push_back(argument.toStdString());
    parts_->session = std::make_unique<Session>(ParseAccessWords(words));
    Session& session = *parts_->session;
    parts_->port = TestUi().NewSerialPort();
    if (!parts_->port) parts_->port = std::make_unique<SerialPortAdapter>();
    parts_->portAttached = session.AttachSerialPort(*parts_->port);
    parts_->socketAttached = session.AttachGatewaySocket(parts_->socket);
    if (ReadBackup* backup = TestUi().Backup())
      parts_->backupAttached = session.AttachReadBackup(*backup);
    parts_->form = std::make_unique<TMainForm>(session, arguments, TestUi());
    parts_->socket.SetErrorReporter(
        [form = QPointer<TMainForm>(parts_->form.get())](const QString& text) {
          if (form) form->CommunicationWindow()->ShowSocketError(text);
        });
  }

  TMainForm* get() const { return parts_ ? parts_->form.get() : nullptr; }
  TMainForm* operator->() const { return get(); }
  TMainForm& operator*() const { return *get(); }
  explicit operator bool() const { return get() != nullptr; }
  void reset() { parts_.reset(); }
  Session& CurrentSession() const { return *parts_->session; }
  SerialPort& Port() const { return *parts_->port; }

 private:
  struct Parts {
    std::unique_ptr<Session> session;
    std::unique_ptr<SerialPort> port;
    GatewaySocketAdapter socket;
    Attachment portAttached;
    Attachment socketAttached;
    Attachment backupAttached;
    std::unique_ptr<TMainForm> form;  // goes first, before what it stands on
  };
  std::unique_ptr<Parts> parts_;
};

inline MainUnderTest StartedMain(const QStringList& arguments = {}) {
  MainUnderTest main(arguments);
  QSignalSpy activated(main.get(), &TMainForm::FirstActivationCompleted);
  main->show();
  if (activated.isEmpty() && !activated.wait(2000))
    qFatal("the main window did not finish its first activation");
  return main;
}

// A main window on the demonstration's simulated controller (in real time), the
// link up.
inline MainUnderTest StartedDemoMain() {
  TestUiScope scope;
  TestUi().SetSerialPorts(
      [] { return std::make_unique<SimulatedPort>(SimulatedPort::DemoMemory()); }, true);
  MainUnderTest main = StartedMain();
  for (int wait = 0; wait < 400 && !main->CurrentSession().LinkReady(); ++wait) QTest::qWait(10);
  if (!main->CurrentSession().LinkReady()) qFatal("the demonstration's controller did not answer");
  return main;
}

// A main window whose clock the test moves: its timer off, a simulated controller
// at the end of the serial line (a second one waiting to be plugged in), four of
// the controller's turns before each 100 ms tick. Local mode on port "ttyUSB0",
// the start-up delay over and the link up.
struct SteppedMain {
  sim::ControllerSimulator first;
  sim::ControllerSimulator second;
  MainUnderTest main;

  explicit SteppedMain(const ControllerImage& memory, const QStringList& arguments = {})
      : first(memory, {}), second(memory, {}) {
    {
      TestUiScope scope;
      TestUi().SetSteppedTicks(true);
      TestUi().SetSerialPorts([this] { return std::make_unique<sim::SimulatedLine>(first); },
                              false);
      main = StartedMain(arguments);
    }
    main->CommunicationWindow()->findChild<QComboBox*>("ComPortCombo")->setCurrentText("ttyUSB0");
    main->CommunicationWindow()->LocalBtnClick();
    Ticks(15);
  }
  TMainForm* operator->() const { return main.get(); }
  sim::SimulatedLine& Line() { return static_cast<sim::SimulatedLine&>(main.Port()); }
  void Ticks(int n) {
    for (int t = 0; t < n; ++t) {
      for (int turn = 0; turn < 4; ++turn) Line().Turn();
      main->MainTimer100ms();
    }
  }
  // Steps until `done`, at most `limit` ticks; whether it came.
  bool Until(const std::function<bool()>& done, int limit) {
    for (int t = 0; t < limit; ++t) {
      if (done()) return true;
      Ticks(1);
    }
    return done();
  }
  void PlugInSecond() {
    Line().SetQuiet(false);
    Line().Connect(second);
    Ticks(40);
  }
};

}  // namespace vorel::test
