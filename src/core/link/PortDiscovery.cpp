// Choosing the adapters to offer.
#include "core/link/PortDiscovery.h"

#include <algorithm>
#include <cctype>

namespace vorel {

int PortNumber(const std::string& name) {
  size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  if (digits == name.size() || name.size() - digits > 6) return -1;
  return std::stoi(name.substr(digits));
}

namespace {

// "/dev/ttyUSB0" and "ttyUSB0" name the same device.
std::string_view Bare(std::string_view name) {
  constexpr std::string_view kDevices = "/dev/";
  return name.starts_with(kDevices) ? name.substr(kDevices.size()) : name;
}

void SortByNumber(std::vector<PortCandidate>& ports) {
  std::stable_sort(ports.begin(), ports.end(), [](const PortCandidate& a, const PortCandidate& b) {
    const int left = PortNumber(a.name);
    const int right = PortNumber(b.name);
    if (left != right) return left < right;
    return a.name < b.name;
  });
}

// The FTDI adapters that are not hidden, each once, at most 50; `keep` decides the rest.
template <typename Keep>
std::vector<PortCandidate> Adapters(PortSource& source, Keep keep) {
  std::vector<PortCandidate> found;
  for (PortCandidate& candidate : source.Candidates()) {
    if (found.size() >= ports::kMaxPorts) break;
    if (candidate.vendorId != ports::kFtdiVendorId || candidate.hidden) continue;
    const bool known = std::any_of(found.begin(), found.end(), [&](const PortCandidate& port) {
      return port.name == candidate.name;
    });
    if (known || !keep(candidate)) continue;
    found.push_back(std::move(candidate));
  }
  SortByNumber(found);
  return found;
}

}  // namespace

std::vector<PortCandidate> FindAdapters(PortSource& source) {
  // A port held open by any program, this one included, is not offered.
  return Adapters(source, [&source](const PortCandidate& port) { return source.Probe(port.name); });
}

std::vector<PortCandidate> PortFinder::Search(PortSource& source, const std::string& held) {
  return Offer(source, held, true);
}

std::vector<PortCandidate> PortFinder::Rescan(PortSource& source, const std::string& held) {
  return Offer(source, held, false);
}

std::vector<PortCandidate> PortFinder::Offer(PortSource& source, const std::string& held,
                                             bool probe) {
  const auto isHeld = [&held](const std::string& name) {
    return !held.empty() && Bare(name) == Bare(held);
  };
  std::set<std::string> present;
  std::set<std::string> busyNow;
  std::vector<PortCandidate> found = Adapters(source, [&](const PortCandidate& port) {
    present.insert(port.name);
    if (isHeld(port.name)) return true;
    if (!probe) return !busy_.contains(port.name);
    if (source.Probe(port.name)) return true;
    busyNow.insert(port.name);
    return false;
  });
  if (probe) {
    busy_ = std::move(busyNow);
  } else {
    // An adapter unplugged and plugged in again is offered anew.
    std::erase_if(busy_, [&present](const std::string& name) { return !present.contains(name); });
  }
  // The port in use stays in the list even where the system does not report it.
  if (!held.empty() && std::none_of(found.begin(), found.end(),
                                    [&](const PortCandidate& port) { return isHeld(port.name); })) {
    PortCandidate port;
    port.name = held;
    found.push_back(std::move(port));
    SortByNumber(found);
  }
  return found;
}

}  // namespace vorel
