// A gateway server as the tool meets it over TCP, without the socket: the users and
// dispenser systems it knows, each with its laundry running, and one conversation per
// connected PC (login, system list, selection, then the selected controller's memory,
// status and resets).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/image/ControllerImage.h"
#include "core/link/Gateway.h"
#include "core/simulation/LaundryRun.h"

namespace vorel::sim {

// The access codes a gateway user holds.
inline constexpr std::string_view kFullAccess = "A";
inline constexpr std::string_view kReadOnlyAccess = "B";

struct GatewayUser {
  std::string name;
  std::string password;
  std::string access;  // kFullAccess or kReadOnlyAccess
};

// What the PCs asked of a system's controller, counted.
struct GatewayCounts {
  uint32_t statusPolls = 0;
  uint32_t machineResets = 0;
  uint32_t allMachinesResets = 0;
  uint32_t consumptionLogResets = 0;
  uint32_t alarmLogClears = 0;
};

// A dispenser system behind the gateway: its list entry and its controller.
struct GatewayController {
  GatewaySystem listing;
  ControllerImage memory;
  GatewayCounts counts;
  // The machines at the site, running their programs as the world's time passes.
  LaundryRun laundry;
};

// The users and systems every connection shares. Systems are only ever added, so a
// system keeps its position.
class GatewayWorld {
 public:
  void AddUser(GatewayUser user) { users_.push_back(std::move(user)); }
  void AddSystem(GatewaySystem listing, const ControllerImage& memory);

  const GatewayUser* FindUser(std::string_view name) const;
  std::optional<size_t> FindSystem(std::string_view serial) const;

  const std::vector<GatewayController>& Systems() const { return systems_; }
  GatewayController& System(size_t index) { return systems_[index]; }
  // `milliseconds` of the sites' time pass for every system's laundry.
  void Advance(uint32_t milliseconds);
  // The serial of the last selection any connection had accepted, empty before one.
  const std::string& LastSelected() const { return lastSelected_; }
  void NoteSelected(std::string serial) { lastSelected_ = std::move(serial); }

 private:
  std::vector<GatewayUser> users_;
  std::vector<GatewayController> systems_;
  std::string lastSelected_;
};

// One PC's connection. Nothing but a login is served before a login is accepted,
// and nothing for a controller before a selection is accepted; malformed messages
// are ignored whole.
class GatewayConnection {
 public:
  explicit GatewayConnection(GatewayWorld& world) : world_(world) {}

  // Bytes the PC sent; gives the frames to send back.
  std::vector<uint8_t> Receive(std::span<const uint8_t> bytes);
  // One line per message served since the last call, such as "status poll" or
  // "login service accepted".
  std::vector<std::string> TakeServed();

 private:
  void Serve(std::span<const uint8_t> message, std::vector<uint8_t>& out);
  void Login(std::span<const uint8_t> message, std::vector<uint8_t>& out);
  void Select(std::span<const uint8_t> message, std::vector<uint8_t>& out);
  void ServeController(GatewayController& system, std::span<const uint8_t> message,
                       std::vector<uint8_t>& out);
  void ReadImage(const GatewayController& system, std::vector<uint8_t>& out);
  void WriteImage(GatewayController& system, std::span<const uint8_t> message);
  void Checksum(const GatewayController& system, std::vector<uint8_t>& out);
  void StatusPoll(GatewayController& system, std::vector<uint8_t>& out);
  void Served(std::string line) { served_.push_back(std::move(line)); }

  GatewayWorld& world_;
  GatewayReceiver receiver_;
  std::optional<GatewayUser> user_;
  std::optional<size_t> selected_;
  // The bytes written since the last checksum request: [first, end).
  std::optional<std::pair<size_t, size_t>> written_;
  std::vector<std::string> served_;
};

}  // namespace vorel::sim
