// The serial ports of this PC.
#include "io/QtPortSource.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>
#include <set>
#ifdef _WIN32
#include <QSettings>
#endif

#include "io/SerialPortAdapter.h"

namespace vorel {

namespace {

#ifdef _WIN32
// The serial ports of the FTDI driver that Windows keeps hidden: an instance of the
// ports class whose "Device Parameters" hold a non-zero DeviceHidden.
std::set<QString> HiddenFtdiPorts() {
  const QString kPortsClass = QStringLiteral("{4D36E978-E325-11CE-BFC1-08002BE10318}");
  QSettings bus(QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS"),
                QSettings::NativeFormat);
  std::set<QString> hidden;
  for (const QString& device : bus.childGroups()) {
    bus.beginGroup(device);
    for (const QString& instance : bus.childGroups()) {
      bus.beginGroup(instance);
      const bool port = bus.value(QStringLiteral("ClassGUID")).toString().toUpper() == kPortsClass;
      bus.beginGroup(QStringLiteral("Device Parameters"));
      if (port && bus.value(QStringLiteral("DeviceHidden"), 0).toInt() != 0)
        hidden.insert(bus.value(QStringLiteral("PortName")).toString());
      bus.endGroup();
      bus.endGroup();
    }
    bus.endGroup();
  }
  return hidden;
}
#endif

}  // namespace

std::vector<PortCandidate> QtPortSource::Candidates() {
  std::vector<PortCandidate> candidates;
#ifdef _WIN32
  const std::set<QString> hidden = HiddenFtdiPorts();
#endif
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
#ifdef _WIN32
    candidate.hidden = hidden.contains(info.portName());
#endif
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

void PortSearch::Start(Kind kind, std::string held, Done done) {
  if (running_ || !source_) return;
  running_ = true;
  if (thread_) {
    thread_->wait();
    delete thread_;
  }
  std::shared_ptr<PortSource> source = source_;
  std::shared_ptr<PortFinder> finder = finder_;
  // The destructor waits for the thread, so `this` outlives it; a result queued for a
  // search that is gone by then is dropped by Qt.
  thread_ =
      QThread::create([this, source, finder, kind, held = std::move(held), done = std::move(done)] {
        std::vector<PortCandidate> found =
            kind == Kind::kSearch ? finder->Search(*source, held) : finder->Rescan(*source, held);
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
