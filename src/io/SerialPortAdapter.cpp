// The serial port adapter.
#include "io/SerialPortAdapter.h"

namespace vorel {

namespace {
constexpr int kBaudRate = 115200;
constexpr qsizetype kPrefixFrom = 5;  // "COM10"
}  // namespace

SerialPortAdapter::SerialPortAdapter(QObject* parent) : QObject(parent) {
  connect(&port_, &QSerialPort::readyRead, this, &SerialPortAdapter::ReadyRead);
  connect(&port_, &QSerialPort::errorOccurred, this, &SerialPortAdapter::ErrorOccurred);
}

QString SerialPortAdapter::DeviceName(const QString& listText) {
#ifdef Q_OS_WIN
  if (listText.size() >= kPrefixFrom) return QStringLiteral("\\\\.\\") + listText;
#else
  (void)kPrefixFrom;
#endif
  return listText;
}

bool SerialPortAdapter::Open(const std::string& listText) {
  const QString device = DeviceName(QString::fromStdString(listText));
  // Qt shortens a device path to its port name ("/dev/pts/3" is "pts/3"), so the
  // device opened is remembered as given: the open port is never reopened for it,
  // which would drop DTR and RTS and lose the bytes under way.
  if (port_.isOpen() && device_ != device) port_.close();
  if (port_.isOpen()) return true;
  device_ = device;
  port_.setPortName(device);
  port_.setBaudRate(kBaudRate);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  lastError_.clear();
  if (!port_.open(QIODevice::ReadWrite)) {
    // The error handler has kept the port's reason already.
    if (lastError_.isEmpty()) lastError_ = port_.errorString();
    return false;
  }
  port_.setDataTerminalReady(true);
  port_.setRequestToSend(true);
  ++openings_;
  return true;
}

void SerialPortAdapter::Close() {
  port_.close();
}

bool SerialPortAdapter::Write(std::span<const uint8_t> bytes) {
  if (!port_.isOpen()) return false;
  const auto size = static_cast<qint64>(bytes.size());
  return port_.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

void SerialPortAdapter::ReadyRead() {
  const QByteArray bytes = port_.readAll();
  if (engine_ && !bytes.isEmpty()) {
    engine_->Receive(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                               static_cast<size_t>(bytes.size())));
  }
}

void SerialPortAdapter::ErrorOccurred(QSerialPort::SerialPortError error) {
  if (error == QSerialPort::NoError) return;
  lastError_ = port_.errorString();
  // An adapter pulled out while open (or the line's other end gone): the port
  // closes, the next tick shows it and ends the work on it. Left open, a port whose
  // device vanished reports readiness for ever and keeps a core busy.
  if (error == QSerialPort::ResourceError || error == QSerialPort::PermissionError ||
      error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
      error == QSerialPort::DeviceNotFoundError) {
    if (port_.isOpen()) port_.close();
  }
  port_.clearError();
}

}  // namespace vorel
