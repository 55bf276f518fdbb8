// The serial ports of this PC.
#include "io/QtPortSource.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>

#include "io/SerialPortAdapter.h"

namespace vorel {

std::vector<PortCandidate> QtPortSource::Candidates() {
  std::vector<PortCandidate> candidates;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    PortCandidate candidate;
    // The list text: "COM3" on Windows, the device path elsewhere.
#ifdef _WIN32
    candidate.name = info.portName().toStdString();
#else
    candidate.name = info.systemLocation().toStdString();
#endif
    candidate.description = info.description().toStdString();
    candidate.serialNumber = info.serialNumber().toStdString();
    if (info.hasVendorIdentifier()) candidate.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) candidate.productId = info.productIdentifier();
    candidates.push_back(std::move(candidate));
  }
  return candidates;
}

bool QtPortSource::Probe(const std::string& name) {
  QSerialPort port(SerialPortAdapter::DeviceName(QString::fromStdString(name)));
  if (!port.open(QIODevice::ReadWrite)) return false;
  port.close();
  return true;
}

PortSearch::PortSearch(std::shared_ptr<PortSource> source, QObject* parent)
    : QObject(parent), source_(std::move(source)) {}

PortSearch::~PortSearch() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
}

void PortSearch::Start(Done done) {
  if (running_ || !source_) return;
  running_ = true;
  if (thread_) {
    thread_->wait();
    delete thread_;
  }
  std::shared_ptr<PortSource> source = source_;
  // The destructor waits for the thread, so `this` outlives it; a result queued for a
  // search that is gone by then is dropped by Qt.
  thread_ = QThread::create([this, source, done = std::move(done)] {
    std::vector<PortCandidate> found = FindAdapters(*source);
    QMetaObject::invokeMethod(
        this,
        [this, done, found = std::move(found)]() mutable {
          running_ = false;
          done(std::move(found));
        },
        Qt::QueuedConnection);
  });
  thread_->start();
}

QString PermissionAdvice(const QString& device) {
#ifdef _WIN32
  Q_UNUSED(device);
  return {};
#else
  const QFileInfo info(SerialPortAdapter::DeviceName(device));
  if (!info.exists() || (info.isReadable() && info.isWritable())) return {};
  const QString group = info.group().isEmpty() ? QStringLiteral("dialout") : info.group();
  return QStringLiteral(
             "You may not use %1: it belongs to the group \"%2\".\n\nAsk the "
             "administrator to add you to it (sudo usermod -aG %2 $USER), then log "
             "out and in again.")
      .arg(device, group);
#endif
}

}  // namespace vorel
