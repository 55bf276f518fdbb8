// The serial port adapter.
#include "io/SerialPortAdapter.h"

#include <QFileInfo>

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

namespace {

// The technician's words for why a port did not open. Qt reports a port that another
// program holds (its lock file) as a permission error, though the device may be used.
QString OpenFailure(const QString& device, QSerialPort::SerialPortError error,
                    const QString& qtReason) {
  const QFileInfo info(device);
  const bool path = device.startsWith(QLatin1Char('/'));
  if (path && !info.exists()) return QStringLiteral("No such serial port");
  if (error == QSerialPort::PermissionError && path && info.isReadable() && info.isWritable())
    return QStringLiteral("The port is in use by another program");
  return qtReason;
}

}  // namespace

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
  lastErrorCode_ = QSerialPort::NoError;
  // A device path that is a plain file would take the frames as its new contents.
  if (QFileInfo(device).isFile()) {
    lastError_ = QStringLiteral("Not a serial port (a regular file)");
    return false;
  }
  if (!port_.open(QIODevice::ReadWrite)) {
    // The error handler has kept the port's reason already.
    if (lastError_.isEmpty()) {
      lastError_ = port_.errorString();
      lastErrorCode_ = port_.error();
    }
    lastError_ = OpenFailure(device, lastErrorCode_, lastError_);
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
  lastErrorCode_ = error;
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
