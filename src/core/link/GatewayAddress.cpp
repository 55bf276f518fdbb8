// Reading a gateway address.
#include "core/link/GatewayAddress.h"

#include <algorithm>

#include "core/base/Numbers.h"

namespace vorel {

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<uint16_t> Port(std::string_view text) {
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const auto number = ParseInt32(text);
  if (!number || *number < 1 || *number > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(*number);
}

}  // namespace

std::optional<GatewayAddress> ParseGatewayAddress(std::string_view text) {
  text = Trimmed(text);
  GatewayAddress address;
  if (text.starts_with('[')) {
    const size_t close = text.find(']');
    if (close == std::string_view::npos || close == 1) return std::nullopt;
    address.host = std::string(text.substr(1, close - 1));
    const std::string_view rest = text.substr(close + 1);
    if (rest.empty()) return address;
    if (!rest.starts_with(':')) return std::nullopt;
    const auto port = Port(rest.substr(1));
    if (!port) return std::nullopt;
    address.port = *port;
    return address;
  }
  const size_t colons = static_cast<size_t>(std::count(text.begin(), text.end(), ':'));
  if (colons >= 2) {  // a bare IPv6 address: no port can follow it unbracketed
    address.host = std::string(text);
    return address;
  }
  const size_t colon = text.find(':');
  address.host = std::string(text.substr(0, colon));
  if (address.host.empty()) return std::nullopt;
  if (colon == std::string_view::npos) return address;
  const auto port = Port(text.substr(colon + 1));
  if (!port) return std::nullopt;
  address.port = *port;
  return address;
}

}  // namespace vorel
