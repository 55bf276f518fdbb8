// The serial port of the controller's bus on QSerialPort: 115200 baud 8N1, DTR and
// RTS on, no flow control. Arrived bytes are drained into the link engine on the
// thread that owns the port (the GUI thread); frames the engine writes go out at
// once. Port errors are swallowed: the port simply stays or becomes closed.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

#include "core/link/SerialPort.h"

namespace vorel {

class SerialPortAdapter : public QObject, public SerialPort {
  Q_OBJECT

 public:
  explicit SerialPortAdapter(QObject* parent = nullptr);

  // Where arrived bytes go; nothing is read while there is none.
  void SetEngine(LinkEngine* engine) override { engine_ = engine; }

  // Opens the port of that list text; true when it is open afterwards. The reason
  // of a failed open stays in LastError ("Permission denied").
  bool Open(const std::string& listText) override;
  void Close() override;
  bool IsOpen() const override { return port_.isOpen(); }
  std::string LastError() const override { return lastError_.toStdString(); }
  // How often a device was actually opened: picking the open port again opens nothing.
  int Openings() const { return openings_; }

  bool Write(std::span<const uint8_t> bytes) override;

  // The device a list text names: on Windows names of five or more characters get
  // the "\\.\" prefix (COM10 and up); elsewhere the text is the device path.
  static QString DeviceName(const QString& listText);

 private:
  void ReadyRead();
  void ErrorOccurred(QSerialPort::SerialPortError error);

  QSerialPort port_;
  QString device_;
  int openings_ = 0;
  LinkEngine* engine_ = nullptr;
  QString lastError_;
  QSerialPort::SerialPortError lastErrorCode_ = QSerialPort::NoError;
};

}  // namespace vorel
