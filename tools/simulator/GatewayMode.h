// vorel-sim's gateway mode: the simulated gateway served on a TCP port, its users and
// dispenser systems read from tab-separated files.
#pragma once

#include <csignal>
#include <cstdint>
#include <optional>
#include <string>

#include "core/image/ControllerImage.h"
#include "core/image/ImagePacking.h"
#include "core/link/Gateway.h"
#include "core/simulation/ControllerSimulator.h"

namespace vorelsim {

struct GatewayOptions {
  std::string listen;  // the address to listen on; empty for loopback only
  int port = vorel::gateway::kPort;
  std::string users;    // lines name, password, access; empty for the one service user
  std::string systems;  // lines serial, name, in-use text, address; empty for one system
  bool verbose = false;
};

struct GatewayOutcome {
  int exitCode = 0;
  // The first system's memory when the gateway was stopped.
  std::optional<vorel::ControllerImage> firstMemory;
};

// Reads the users and systems, listens and serves until `stop` is set. Every
// system's controller starts from `memory` with its own serial number; its laundry
// runs `speed` times faster than the clock (0: still).
// `needsSystem`: a gateway without systems is refused.
GatewayOutcome RunGateway(int& argc, char** argv, const GatewayOptions& options,
                          const vorel::ControllerImage& memory,
                          const vorel::sim::ControllerIdentity& identity,
                          const vorel::LocalDateTime& clock, uint32_t speed, bool needsSystem,
                          const volatile std::sig_atomic_t& stop);

}  // namespace vorelsim
