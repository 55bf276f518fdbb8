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

// Runs a PortFinder on a thread of its own and calls `done` on the thread that
// started it: a search (probing) or a rescan (the system's list only). One still
// running when the next is asked for is not started twice.
class PortSearch : public QObject {
  Q_OBJECT

 public:
  using Done = std::function<void(std::vector<PortCandidate>)>;
  enum class Kind { kSearch, kRescan };
  explicit PortSearch(std::shared_ptr<PortSource> source, QObject* parent = nullptr);
  ~PortSearch() override;
  // `held`: the port this program holds open, listed and never probed.
  void Start(Kind kind, std::string held, Done done);
  bool Running() const { return running_; }

 private:
  std::shared_ptr<PortSource> source_;
  std::shared_ptr<PortFinder> finder_ = std::make_shared<PortFinder>();
  bool running_ = false;
  QThread* thread_ = nullptr;
};

// Why a port could not be opened, for the technician: on Linux a missing permission
// names the group that owns the device and how to join it; empty otherwise.
QString PermissionAdvice(const QString& device);

}  // namespace vorel
