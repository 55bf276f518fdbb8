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

std::vector<PortCandidate> FindAdapters(PortSource& source) {
  std::vector<PortCandidate> found;
  for (PortCandidate& candidate : source.Candidates()) {
    if (found.size() >= ports::kMaxPorts) break;
    if (candidate.vendorId != ports::kFtdiVendorId || candidate.hidden) continue;
    const bool known = std::any_of(found.begin(), found.end(), [&](const PortCandidate& port) {
      return port.name == candidate.name;
    });
    // A port held open by any program, this one included, is not offered.
    if (known || !source.Probe(candidate.name)) continue;
    found.push_back(std::move(candidate));
  }
  std::stable_sort(found.begin(), found.end(), [](const PortCandidate& a, const PortCandidate& b) {
    const int left = PortNumber(a.name);
    const int right = PortNumber(b.name);
    if (left != right) return left < right;
    return a.name < b.name;
  });
  return found;
}

}  // namespace vorel
