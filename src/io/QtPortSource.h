// The serial ports of this PC on QSerialPortInfo, probed by opening them, and the
// search run off the GUI thread with its result handed back to it.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "core/link/PortDiscovery.h"

namespace vorel {

class QtPortSource final : public PortSource {
 public:
  std::vector<PortCandidate> Candidates() override;
  bool Probe(const std::string& name) override;
};

// Runs FindAdapters on a thread of its own and calls `done` on the thread that
// started it. A search still running when the next is asked for is not started twice.
class PortSearch : public QObject {
  Q_OBJECT

 public:
  using Done = std::function<void(std::vector<PortCandidate>)>;
  explicit PortSearch(std::shared_ptr<PortSource> source, QObject* parent = nullptr);
  ~PortSearch() override;
  void Start(Done done);
  bool Running() const { return running_; }

 private:
  std::shared_ptr<PortSource> source_;
  bool running_ = false;
  QThread* thread_ = nullptr;
};

// Why a port could not be opened, for the technician: on Linux a missing permission
// names the group that owns the device and how to join it; empty otherwise.
QString PermissionAdvice(const QString& device);

}  // namespace vorel
