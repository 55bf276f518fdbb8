// The local side of the communication window without its widgets: the start-up
// delay before the first open, what opening the port resets, the link status the
// label shows and the counter texts of the status bar.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/link/LinkEngine.h"

namespace vorel {

enum class LinkStatus {
  kHidden,      // after an open or a mode change, until the first frame
  kReady,       // frames to the PC arrive: "Ready" on green
  kPortOpen,    // open, but 2 s without a frame to the PC: "Port open" on yellow
  kPortClosed,  // local mode with the port closed: "Port closed" on yellow
  kClosed,      // "Close" pressed, until the next tick
};

struct LinkStatusLook {
  const char* text;
  uint32_t rgb;  // 0: the window's button face
};
// The status labels' colours.
inline constexpr uint32_t kStatusGreen = 0x00FF00;
inline constexpr uint32_t kStatusYellow = 0xFFFF00;
LinkStatusLook LookOf(LinkStatus status);

// Rx, Tx, Sync, Retransmit, Checksum error: the five panels; the last three stay
// empty while their counter is 0.
std::array<std::string, 5> CounterTexts(const LinkEngine::Counters& counters);

class LocalLink {
 public:
  static constexpr int kStartupDelayTicks = 10;
  static constexpr const char* kNoPort = "None";

  explicit LocalLink(LinkEngine& link) : link_(link) {}

  // Opening the port: the link starts again; true when the port may be opened now
  // (not during the start-up delay, not for "None").
  bool PrepareOpen(std::string_view listText);
  // Every 100 ms. True when the start-up delay has just run out in local mode: the
  // port is to be opened now.
  bool Tick(bool localMode, bool portOpen);
  // "Close" pressed.
  void Closed() { status_ = LinkStatus::kClosed; }
  // A mode was chosen: the link starts again and the label hides.
  void ModeChanged();

  // A command line opens its port at once.
  void SkipStartupDelay() { startupDelay_ = 0; }
  LinkStatus Status() const { return status_; }
  int StartupDelay() const { return startupDelay_; }

 private:
  LinkEngine& link_;
  int startupDelay_ = kStartupDelayTicks;
  LinkStatus status_ = LinkStatus::kHidden;
};

}  // namespace vorel
