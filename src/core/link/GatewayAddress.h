// Where a gateway server is reached, as the technician writes it: "host",
// "host:port", "[IPv6]:port", or a bare IPv6 address such as "::1" on the usual port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/link/Gateway.h"

namespace vorel {

struct GatewayAddress {
  std::string host;
  uint16_t port = gateway::kPort;
  friend bool operator==(const GatewayAddress&, const GatewayAddress&) = default;
};

// Nothing for an empty host, a port that is not a number of 1..65535, or an address
// that is neither of the forms above. Blanks around the text do not count.
std::optional<GatewayAddress> ParseGatewayAddress(std::string_view text);

inline constexpr const char* kGatewayAddressForms =
    "HOST, HOST:PORT, an IPv6 address, or [IPv6]:PORT (PORT 1..65535)";

}  // namespace vorel
