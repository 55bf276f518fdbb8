// The simulated gateway's side of the TCP connection.
#include "core/simulation/GatewaySimulator.h"

#include <algorithm>

#include "core/base/Bytes.h"

namespace vorel::sim {

using namespace gateway;

namespace {

// The messages of four bytes: the type and two bytes.
constexpr size_t kShortMessageSize = 4;
constexpr size_t kPollValue = 2;
constexpr size_t kResetMachineIndex = 2;
// Image write: address (16-bit), count (one byte), the bytes.
constexpr size_t kWriteAddress = kTypeSize;
constexpr size_t kWriteCount = kTypeSize + 2;
constexpr size_t kWriteData = kTypeSize + 3;
// An image read streams the memory in blocks of this size.
constexpr size_t kReadBlockSize = 512;
// A message that fills the receive buffer may have been cut short there.
constexpr size_t kLongestWholeMessage = kReceiveBuffer - 2;
constexpr size_t kChecksumSize = kChecksumValue + 2;  // the type and the 16-bit sum

std::vector<uint8_t> Typed(const std::array<uint8_t, 2>& type) {
  return std::vector<uint8_t>(type.begin(), type.end());
}

void AppendText(std::vector<uint8_t>& message, std::string_view text) {
  message.insert(message.end(), text.begin(), text.end());
  message.push_back(0);
}

// The text at `offset` up to its zero, `offset` then past the zero; nothing when the
// message ends before a zero.
std::optional<std::string> TextAt(std::span<const uint8_t> message, size_t& offset) {
  const auto start = message.begin() + static_cast<std::ptrdiff_t>(offset);
  const auto zero = std::find(start, message.end(), uint8_t{0});
  if (zero == message.end()) return std::nullopt;
  offset = static_cast<size_t>(zero - message.begin()) + 1;
  return std::string(start, zero);
}

std::string Hex16(uint16_t value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) text.push_back(kDigits[(value >> shift) & 0x0F]);
  return text;
}

// A text from the PC as a log line may hold it: control characters become '?'.
std::string Printable(std::string text) {
  constexpr unsigned char kDelete = 0x7F;
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < ' ' || byte == kDelete) c = '?';
  }
  return text;
}

bool IsShortMessage(std::span<const uint8_t> message, const std::array<uint8_t, 2>& type) {
  return IsGatewayType(message, type) && message.size() == kShortMessageSize;
}

}  // namespace

void GatewayWorld::AddSystem(GatewaySystem listing, const ControllerImage& memory) {
  GatewayController system;
  system.listing = std::move(listing);
  system.memory = memory;
  systems_.push_back(std::move(system));
}

void GatewayWorld::Advance(uint32_t milliseconds) {
  for (GatewayController& system : systems_) system.laundry.Advance(system.memory, milliseconds);
}

const GatewayUser* GatewayWorld::FindUser(std::string_view name) const {
  const auto user = std::find_if(users_.begin(), users_.end(),
                                 [name](const GatewayUser& u) { return u.name == name; });
  return user == users_.end() ? nullptr : &*user;
}

std::optional<size_t> GatewayWorld::FindSystem(std::string_view serial) const {
  for (size_t i = 0; i < systems_.size(); ++i) {
    if (systems_[i].listing.serial == serial) return i;
  }
  return std::nullopt;
}

std::vector<uint8_t> GatewayConnection::Receive(std::span<const uint8_t> bytes) {
  std::vector<uint8_t> out;
  receiver_.Receive(bytes, [this, &out](std::span<const uint8_t> message) {
    if (message.size() <= kLongestWholeMessage) Serve(message, out);
  });
  return out;
}

std::vector<std::string> GatewayConnection::TakeServed() {
  return std::exchange(served_, {});
}

void GatewayConnection::Serve(std::span<const uint8_t> message, std::vector<uint8_t>& out) {
  if (IsGatewayType(message, kLogin)) {
    Login(message, out);
  } else if (!user_) {
    return;
  } else if (IsGatewayType(message, kSelectSystem)) {
    Select(message, out);
  } else if (selected_) {
    GatewayController& system = world_.System(*selected_);
    // The gateway cannot reach an offline controller, so nothing comes back.
    if (system.listing.address != kOffline) ServeController(system, message, out);
  }
}

void GatewayConnection::Login(std::span<const uint8_t> message, std::vector<uint8_t>& out) {
  size_t offset = kTypeSize;
  const std::optional<std::string> name = TextAt(message, offset);
  const std::optional<std::string> password = name ? TextAt(message, offset) : std::nullopt;
  if (!password || offset != message.size()) return;
  // A new login starts over, whatever it ends in.
  user_.reset();
  selected_.reset();
  written_.reset();
  const GatewayUser* user = world_.FindUser(*name);
  if (!user || user->password != *password) {
    AppendGatewayFrame(out, Typed(kLoginRejected));
    Served("login rejected");
    return;
  }
  user_ = *user;
  for (const GatewayController& system : world_.Systems()) {
    std::vector<uint8_t> entry = Typed(kSystemEntry);
    for (const std::string* text : {&system.listing.serial, &system.listing.name,
                                    &system.listing.inUse, &system.listing.address})
      AppendText(entry, *text);
    AppendGatewayFrame(out, entry);
  }
  std::vector<uint8_t> end = Typed(kSystemEntry);
  end.push_back(0);
  AppendGatewayFrame(out, end);
  Served("login " + Printable(*name) + " accepted");
}

void GatewayConnection::Select(std::span<const uint8_t> message, std::vector<uint8_t>& out) {
  size_t offset = kTypeSize;
  const std::optional<std::string> serial = TextAt(message, offset);
  if (!serial || offset != message.size()) return;
  selected_.reset();
  written_.reset();
  std::vector<uint8_t> answer = Typed(kSelectResult);
  const std::optional<size_t> index = world_.FindSystem(*serial);
  if (!index) {
    answer.push_back(kSelectNotFound);
    AppendGatewayFrame(out, answer);
    Served("select " + Printable(*serial) + " not found");
    return;
  }
  const GatewaySystem& listing = world_.Systems()[*index].listing;
  if (listing.inUse != kFree) {
    answer.push_back(kSelectInUse);
    AppendGatewayFrame(out, answer);
    Served("select " + Printable(*serial) + " in use");
    return;
  }
  selected_ = index;
  world_.NoteSelected(*serial);
  answer.push_back(kSelectAccepted);
  AppendText(answer, listing.serial);
  AppendText(answer, user_->access);
  AppendGatewayFrame(out, answer);
  std::vector<uint8_t> address = Typed(kSystemAddress);
  AppendText(address, listing.address);
  AppendGatewayFrame(out, address);
  Served("select " + Printable(*serial));
}

void GatewayConnection::ServeController(GatewayController& system, std::span<const uint8_t> message,
                                        std::vector<uint8_t>& out) {
  if (IsGatewayType(message, kImageRead) && message.size() == kTypeSize) {
    ReadImage(system, out);
  } else if (IsGatewayType(message, kImageWrite)) {
    WriteImage(system, message);
  } else if (IsShortMessage(message, kImageChecksumRequest)) {
    Checksum(system, out);
  } else if (IsShortMessage(message, kStatusPoll) &&
             bytes::LoadLe16(message, kPollValue) == kStatusPollValue) {
    StatusPoll(system, out);
  } else if (IsShortMessage(message, kResetMachine) &&
             message[kResetMachineIndex] < kStatusMachines) {
    const size_t machine = message[kResetMachineIndex];
    system.laundry.ResetMachine(machine);
    ++system.counts.machineResets;
    AppendGatewayFrame(out, Typed(kMachineResetDone));
    Served("machine reset " + std::to_string(machine + 1));
  } else if (IsShortMessage(message, kResetAllMachines)) {
    system.laundry.ResetAll();
    ++system.counts.allMachinesResets;
    AppendGatewayFrame(out, Typed(kAllMachinesResetDone));
    Served("all machines reset");
  } else if (IsShortMessage(message, kResetConsumptionLog)) {
    std::fill_n(system.memory.bytes.begin() + image::kDataLog, image::kDataLogSize, 0);
    ++system.counts.consumptionLogResets;
    AppendGatewayFrame(out, Typed(kConsumptionLogReset));
    Served("consumption log reset");
  } else if (IsShortMessage(message, kClearAlarmLog)) {
    std::fill_n(system.memory.bytes.begin() + image::kAlarmLog, image::kAlarmLogSize, 0);
    ++system.counts.alarmLogClears;
    AppendGatewayFrame(out, Typed(kAlarmLogCleared));
    Served("alarm log cleared");
  }
}

void GatewayConnection::ReadImage(const GatewayController& system, std::vector<uint8_t>& out) {
  const auto& memory = system.memory.bytes;
  for (size_t address = 0; address < memory.size(); address += kReadBlockSize) {
    std::vector<uint8_t> block(kBlockData + kReadBlockSize);
    block[0] = kImageBlock[0];
    block[1] = kImageBlock[1];
    bytes::StoreLe16(block, kBlockAddress, static_cast<uint16_t>(address));
    bytes::StoreLe16(block, kBlockCount, static_cast<uint16_t>(kReadBlockSize));
    std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(address), kReadBlockSize,
                block.begin() + kBlockData);
    AppendGatewayFrame(out, block);
  }
  Served("image read");
}

void GatewayConnection::WriteImage(GatewayController& system, std::span<const uint8_t> message) {
  if (message.size() <= kWriteData || user_->access != kFullAccess) return;
  const size_t address = bytes::LoadLe16(message, kWriteAddress);
  const size_t count = message[kWriteCount];
  if (count > kImageWriteMax || message.size() - kWriteData != count ||
      address + count > system.memory.bytes.size())
    return;
  std::copy_n(message.begin() + kWriteData, count,
              system.memory.bytes.begin() + static_cast<std::ptrdiff_t>(address));
  written_ = written_ ? std::pair(std::min(written_->first, address),
                                  std::max(written_->second, address + count))
                      : std::pair(address, address + count);
  Served("image write " + std::to_string(count) + " at " + Hex16(static_cast<uint16_t>(address)));
}

void GatewayConnection::Checksum(const GatewayController& system, std::vector<uint8_t>& out) {
  uint16_t sum = 0;
  if (written_) {
    for (size_t i = written_->first; i < written_->second; ++i)
      sum = static_cast<uint16_t>(sum + system.memory.bytes[i]);
  }
  written_.reset();
  std::vector<uint8_t> answer = Typed(kImageChecksum);
  answer.resize(kChecksumSize);
  bytes::StoreLe16(answer, kChecksumValue, sum);
  AppendGatewayFrame(out, answer);
  Served("checksum " + Hex16(sum));
}

void GatewayConnection::StatusPoll(GatewayController& system, std::vector<uint8_t>& out) {
  ++system.counts.statusPolls;
  std::vector<uint8_t> report(kStatusReportSize, 0);
  report[0] = kStatusReport[0];
  report[1] = kStatusReport[1];
  report[kStatusPumps] = system.laundry.Pumps();
  bytes::StoreLe16(report, kStatusOutputs, system.laundry.Outputs());
  for (size_t machine = 0; machine < kStatusMachines; ++machine) {
    system.laundry.StoreRecord(
        machine,
        std::span(report).subspan(kStatusRecords + kStatusRecordSize * machine, kStatusRecordSize));
  }
  AppendGatewayFrame(out, report);
  Served("status poll");
}

}  // namespace vorel::sim
