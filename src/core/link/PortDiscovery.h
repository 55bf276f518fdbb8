// Which serial ports the communication window offers: the FTDI adapters the
// controller's bus is reached through, not hidden and free to open, each once,
// sorted by their number (COM3, COM4, COM12; ttyUSB0, ttyUSB1, ttyUSB10), at most 50.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorel {

namespace ports {
inline constexpr uint16_t kFtdiVendorId = 0x0403;
inline constexpr size_t kMaxPorts = 50;
}  // namespace ports

// A serial port as the operating system lists it.
struct PortCandidate {
  std::string name;  // the list text: "COM3", "/dev/ttyUSB0"
  std::string description;
  std::string serialNumber;
  std::optional<uint16_t> vendorId;
  std::optional<uint16_t> productId;
  bool hidden = false;
};

// Where the candidates come from, and whether a port opens now. The real one is in
// the io layer; tests give their own.
class PortSource {
 public:
  virtual ~PortSource() = default;
  virtual std::vector<PortCandidate> Candidates() = 0;
  // Opens the port and closes it at once; false when it is in use, gone or refused.
  virtual bool Probe(const std::string& name) = 0;
};

// The number a port's name ends in ("COM12" 12, "/dev/ttyUSB10" 10); -1 without one.
int PortNumber(const std::string& name);

// The adapters to offer, in order: each one opened and closed as a probe.
std::vector<PortCandidate> FindAdapters(PortSource& source);

// The communication window's list, kept current while it is shown. A search, asked
// for by the technician, probes every adapter this program does not hold and
// remembers the busy ones; the rescan every few seconds only reads the system's list
// and leaves out what the last search found busy while it stays plugged in. The port
// this program holds open is always listed and never probed.
class PortFinder {
 public:
  std::vector<PortCandidate> Search(PortSource& source, const std::string& held);
  std::vector<PortCandidate> Rescan(PortSource& source, const std::string& held);

 private:
  std::vector<PortCandidate> Offer(PortSource& source, const std::string& held, bool probe);
  std::set<std::string> busy_;
};

}  // namespace vorel
