// The local link's status and start-up rules.
#include "core/link/LocalLink.h"

#include <cstdio>

namespace vorel {

LinkStatusLook LookOf(LinkStatus status) {
  switch (status) {
    case LinkStatus::kReady:
      return {"Ready", kStatusGreen};
    case LinkStatus::kPortOpen:
      return {"Port open", kStatusYellow};
    case LinkStatus::kPortClosed:
      return {"Port closed", kStatusYellow};
    case LinkStatus::kClosed:
      return {"Closed", 0};
    case LinkStatus::kHidden:
      break;
  }
  return {"", 0};
}

std::array<std::string, 5> CounterTexts(const LinkEngine::Counters& counters) {
  char rx[32];
  char tx[32];
  std::snprintf(rx, sizeof rx, "Rx: %6u", counters.rxBytes);
  std::snprintf(tx, sizeof tx, "Tx: %6u", counters.txBytes);
  const auto optional = [](const char* caption, uint32_t count) {
    return count == 0 ? std::string() : caption + std::to_string(count);
  };
  return {rx, tx, optional("Sync: ", counters.syncs),
          optional("Retransmit: ", counters.retransmits),
          optional("Checksum error: ", counters.checksumErrors)};
}

bool LocalLink::PrepareOpen(std::string_view listText) {
  link_.Restart();
  status_ = LinkStatus::kHidden;
  return startupDelay_ <= 0 && listText != kNoPort;
}

void LocalLink::ModeChanged() {
  link_.Restart();
  status_ = LinkStatus::kHidden;
}

bool LocalLink::Tick(bool localMode, bool portOpen) {
  bool openNow = false;
  if (startupDelay_ > 0 && --startupDelay_ == 0) openNow = localMode;
  if (!localMode) return openNow;
  const bool wasReady = link_.LinkReady();
  link_.Tick(portOpen);
  if (!portOpen) {
    status_ = LinkStatus::kPortClosed;
  } else if (link_.LinkReady()) {
    status_ = LinkStatus::kReady;
  } else if (wasReady || status_ == LinkStatus::kReady) {
    status_ = LinkStatus::kPortOpen;
  }
  return openNow;
}

}  // namespace vorel
