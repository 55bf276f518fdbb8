// Message boxes and file dialogs, behind one replaceable routine so that tests can
// answer them from a script. Every question or warning the tool shows goes
// through ShowLoggedMessage, which also writes it to the diagnostic log.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/app/DiagnosticLog.h"
#include "core/app/StoredSettings.h"
#include "core/image/ImagePacking.h"
#include "core/link/PortDiscovery.h"
#include "core/link/SerialPort.h"
#include "core/session/Session.h"

namespace vorel {

enum class MsgType { Warning, Error, Information, Confirmation };

enum MsgButton : unsigned {
  kMsgYes = 1 << 0,
  kMsgNo = 1 << 1,
  kMsgOk = 1 << 2,
  kMsgCancel = 1 << 3,
  kMsgAbort = 1 << 4,
  kMsgRetry = 1 << 5,
};

// What the technician hears at the end of a long run, from across the laundry.
enum class Cue { kSuccess, kFailure };

struct FileDialogRequest {
  QString title;
  QString filter;  // "XML-file (*.xml)|*.xml|Any file (*.*)|*.*"
  QString defaultExtension;
  QString fileName;  // offered name, may be empty
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal; returns the button pressed (one of MsgButton). `defaultButton`: the
  // button Enter presses (0: the box's own choice).
  virtual MsgButton Message(QWidget* parent, const QString& text, MsgType type, unsigned buttons,
                            unsigned defaultButton) = 0;
  // The chosen file name, empty when the operator cancelled.
  virtual QString OpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual QString SaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
  // A success is one beep, a failure a run of three.
  virtual void Signal(Cue cue) = 0;
};

// The operating system's message boxes and file dialogs.
class QtDialogs final : public Dialogs {
 public:
  MsgButton Message(QWidget* parent, const QString& text, MsgType type, unsigned buttons,
                    unsigned defaultButton) override;
  QString OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
  QString SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
  void Signal(Cue cue) override;
};

// What the windows need of the desktop, made once by the composition root and
// handed to every window: the dialogs, the diagnostic log that records every
// question, the operator's settings store and the clock.
class UiEnvironment {
 public:
  using SettingsStoreFactory = std::function<std::unique_ptr<SettingsStore>()>;
  using Clock = std::function<LocalDateTime()>;

  UiEnvironment(Dialogs& dialogs, DiagnosticLog* log, SettingsStoreFactory settingsStore,
                Clock clock)
      : dialogs_(&dialogs),
        log_(log),
        settingsStore_(std::move(settingsStore)),
        clock_(std::move(clock)) {}

  Dialogs& CurrentDialogs() { return *dialogs_; }
  // Tests answer from a script.
  void SetDialogs(Dialogs& dialogs) { dialogs_ = &dialogs; }

  // Writes "MsgDialog: <text>" to the diagnostic log, then asks.
  MsgButton ShowLoggedMessage(QWidget* parent, const QString& text, MsgType type, unsigned buttons,
                              unsigned defaultButton = 0);

  void SetSettingsStore(SettingsStoreFactory settingsStore) {
    settingsStore_ = std::move(settingsStore);
  }
  // The serial port the communication window opens: the real one, or in the
  // demonstration a simulated controller.
  using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;
  void SetSerialPorts(SerialPortFactory factory, bool demonstration) {
    serialPorts_ = std::move(factory);
    demonstration_ = demonstration;
  }
  std::unique_ptr<SerialPort> NewSerialPort() const {
    return serialPorts_ ? serialPorts_() : nullptr;
  }
  bool Demonstration() const { return demonstration_; }
  // Where the serial ports are found (none: this PC's ports).
  void SetPortSource(std::shared_ptr<PortSource> source) { portSource_ = std::move(source); }
  std::shared_ptr<PortSource> Ports() const { return portSource_; }
  // Where completed reads are kept (none: they are not kept).
  void SetReadBackup(ReadBackup* backup) { backup_ = backup; }
  ReadBackup* Backup() const { return backup_; }

  // The main window's timer stays off and whoever built the windows calls its tick:
  // the window tests step the 100 ms ticks instead of waiting for them.
  void SetSteppedTicks(bool stepped) { steppedTicks_ = stepped; }
  bool SteppedTicks() const { return steppedTicks_; }

  std::unique_ptr<SettingsStore> OpenSettingsStore() const {
    return settingsStore_ ? settingsStore_() : nullptr;
  }
  LocalDateTime Now() const { return clock_(); }

 private:
  Dialogs* dialogs_;
  DiagnosticLog* log_;
  SettingsStoreFactory settingsStore_;
  Clock clock_;
  SerialPortFactory serialPorts_;
  bool demonstration_ = false;
  bool steppedTicks_ = false;
  ReadBackup* backup_ = nullptr;
  std::shared_ptr<PortSource> portSource_;
};

}  // namespace vorel
