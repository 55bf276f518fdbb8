// The simulated controller's side of the bus.
#include "core/simulation/ControllerSimulator.h"

#include <algorithm>

#include "core/base/Bytes.h"
#include "core/link/LiveMessages.h"
#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"
#include "core/supervision/SystemSetup.h"

namespace vorel::sim {

using namespace frame;

namespace {
constexpr int kTriggerEvery = 10;  // turns between two trigger unit frames
constexpr uint8_t kNoMonitorReport = 0x00;
constexpr uint8_t kPumpBits = 0x7F;
constexpr uint16_t kSwitchedBits = 0x0FFF;  // machines and both valves, in both words

// What the controller drives: its own, except where the PC holds an output under
// control, which then is what the PC switched.
template <typename Bits>
Bits Driven(Bits own, Bits on, Bits control) {
  return static_cast<Bits>((own & ~control) | (on & control));
}

// EnterBootLoader to the controller carries 01 00.
constexpr std::array<uint8_t, 2> kEnterOwnBootLoader = {0x01, 0x00};
}  // namespace

void SetIdentity(ControllerImage& memory, const ControllerIdentity& identity,
                 const LocalDateTime& clock) {
  using namespace image;
  memory.bytes[kHardwareVersion] = identity.hardwareVersion;
  memory.bytes[kFirmwareMajor] = identity.firmwareMajor;
  memory.bytes[kFirmwareMinor] = identity.firmwareMinor;
  memory.SetU32(kSerialNumber, identity.serialNumber);
  const auto byte = [](int value) { return static_cast<uint8_t>(value); };
  memory.bytes[kControllerClock + kClockSeconds] = byte(clock.second);
  memory.bytes[kControllerClock + kClockMinutes] = byte(clock.minute);
  memory.bytes[kControllerClock + kClockHours] = byte(clock.hour);
  memory.bytes[kControllerClock + kClockDay] = byte(clock.day);
  memory.bytes[kControllerClock + kClockMonth] = byte(clock.month);
  memory.bytes[kControllerClock + kClockYear] = byte(clock.year - kClockYearBase);
}

ControllerSimulator::ControllerSimulator(const ControllerImage& memory, Faults faults,
                                         BootFaults bootFaults, LaundryPace pace)
    : memory_(memory), faults_(faults), pace_(pace), bootFaults_(bootFaults), random_(faults.seed) {
  if (bootFaults.waiting) StartBootLoader(sim::boot::kControllerPageSize);
}

void ControllerSimulator::Receive(std::span<const uint8_t> bytes) {
  // Byte by byte: the bytes after a frame that starts a boot loader are its own.
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bootActive_) {
      CollectBootAnswers(bootLoader_->Receive(bytes.subspan(i)));
      return;
    }
    receiver_.Receive(bytes.subspan(i, 1), *this);
  }
}

void ControllerSimulator::StartBootLoader(uint16_t pageSize) {
  bootLoader_ = std::make_unique<BootLoaderSimulator>(pageSize, bootFaults_);
  bootActive_ = true;
  awaitingAnswer_ = false;
  reply_.reset();
  CollectBootAnswers(bootLoader_->Enter());
}

void ControllerSimulator::CollectBootAnswers(std::vector<uint8_t> answers) {
  bootAnswers_.insert(bootAnswers_.end(), answers.begin(), answers.end());
  for (std::string& step : bootLoader_->TakeSteps()) bootSteps_.push_back(std::move(step));
  // The run is over: the controller starts again and polls, from an empty receiver.
  if (bootLoader_->Finished()) {
    bootActive_ = false;
    receiver_.Reset();
  }
}

std::vector<uint8_t> ControllerSimulator::BootAnswer() {
  std::vector<uint8_t> answers;
  answers.swap(bootAnswers_);
  return answers;
}

std::vector<std::string> ControllerSimulator::TakeBootSteps() {
  std::vector<std::string> steps;
  steps.swap(bootSteps_);
  return steps;
}

void ControllerSimulator::FrameReceived(std::span<const uint8_t> frame) {
  if (CheckFrame(frame) != FrameCheck::kMessage) return;
  // The PC's call to all trigger units, overheard: their boot loaders take the line.
  if (frame[kCommand] == message::kEnterBootLoader && frame[kDestination] == kAllTriggerUnits &&
      frame[kSequence] == 0 && frame[kSource] == kPc && frame.size() == kHeaderSize) {
    StartBootLoader(sim::boot::kTriggerUnitPageSize);
    return;
  }
  if (frame[kDestination] != kController || frame[kSource] != kPc) return;
  awaitingAnswer_ = false;
  if (frame[kCommand] == message::kSyncRequest) {
    sequence_ = 1;
    return;
  }
  // The PC numbered its frame; the next one it expects is the one after.
  sequence_ = static_cast<uint8_t>(frame[kSequence] + 1);
  if (sequence_ == 0) sequence_ = 1;
  Serve(frame);
}

std::vector<uint8_t> ControllerSimulator::Message(uint8_t command,
                                                  std::span<const uint8_t> payload) const {
  std::vector<uint8_t> message(kHeaderSize + payload.size(), 0);
  message[kCommand] = command;
  message[kDestination] = kPc;
  message[kSource] = kController;
  std::copy(payload.begin(), payload.end(), message.begin() + kHeaderSize);
  return message;
}

void ControllerSimulator::Serve(std::span<const uint8_t> message) {
  using namespace message;
  const std::span<const uint8_t> payload = message.subspan(kHeaderSize);
  switch (message[kCommand]) {
    case kEnterBootLoader:
      if (std::ranges::equal(payload, kEnterOwnBootLoader)) {
        StartBootLoader(sim::boot::kControllerPageSize);
      }
      break;
    case kMemoryReadRequest:
    case kMemoryWriteRequest: {
      const bool write = message[kCommand] == kMemoryWriteRequest;
      const std::optional<MemoryRequest> request = DecodeMemoryRequest(payload, write);
      if (!request || request->address + request->count > memory_.bytes.size()) return;
      std::vector<uint8_t> reply = EncodeMemoryReadRequest(request->address, request->count);
      if (write) {
        std::copy(request->data.begin(), request->data.end(),
                  memory_.bytes.begin() + request->address);
        ++memoryWrites_;
        reply_ = Message(kMemoryWriteReply, reply);
      } else {
        reply.insert(reply.end(), memory_.bytes.begin() + request->address,
                     memory_.bytes.begin() + request->address + request->count);
        reply_ = Message(kMemoryReadReply, reply);
      }
      ++requestsServed_;
      break;
    }
    case kManualControl: {
      const std::optional<ManualControlState> state = DecodeManualControl(payload);
      if (!state) return;
      manual_ = *state;
      if ((manual_.pumpOn & manual_.pumpControl) != 0 ||
          (manual_.onWord & manual_.controlWord) != 0)
        ++outputsSwitchedOn_;
      reply_ = StatusReport();
      break;
    }
    case kControlCommand:
      if (!payload.empty()) {
        lastControlCommand_ = payload[0];
        ++controlCommands_;
        if (payload[0] & kResetFlag) {
          const uint8_t machine = payload[0] & kResetArgumentMask;
          if (machine == kAllMachines) {
            laundry_.ResetAll();
          } else {
            laundry_.ResetMachine(machine);
          }
        }
      }
      break;
    case kResetConsumptionLog:
      ClearConsumptionLog(memory_);
      reply_ = Message(kConsumptionLogReset, {});
      break;
    case kClearAlarmLog:
      // The controller's own choice: the active alarms go with the history.
      std::fill_n(memory_.bytes.begin() + AlarmLogOffset(memory_), image::kAlarmLogSize, 0);
      reply_ = Message(kAlarmLogCleared, {});
      break;
    case kEthernetMonitorRequest: {
      std::vector<uint8_t> report(kMonitorReportSize - kHeaderSize, 0);
      report[0] = kNoMonitorReport;
      reply_ = Message(kEthernetMonitorReport, report);
      break;
    }
    default:
      break;
  }
}

std::vector<uint8_t> ControllerSimulator::StatusReport() const {
  using namespace manual;
  std::vector<uint8_t> payload(wire::kLongReportLength - kHeaderSize, 0);
  payload[wire::kReportPumps - kHeaderSize] = Driven<uint8_t>(
      laundry_.Pumps(), manual_.pumpOn & kPumpBits, manual_.pumpControl & kPumpBits);
  uint16_t outputs = Driven<uint16_t>(laundry_.Outputs(), manual_.onWord & kSwitchedBits,
                                      manual_.controlWord & kSwitchedBits);
  // The alarm output's on bit comes in the control word, beside its control bit.
  if ((manual_.controlWord & kAlarmControlBit) && (manual_.controlWord & kAlarmOnBit))
    outputs |= kReportAlarmBit;
  bytes::StoreLe16(payload, wire::kReportOutputs - kHeaderSize, outputs);
  for (size_t m = 0; m < wire::kReportMachines; ++m) {
    const size_t at = wire::kMachineRecords - kHeaderSize + wire::kLongRecordSize * m;
    const std::span<uint8_t> record(payload.data() + at, wire::kLongRecordSize);
    laundry_.StoreRecord(m, record);
    record[wire::kRecordLoad] = laundry_.Report(m).load;
  }
  return Message(message::kStatusReport, payload);
}

void ControllerSimulator::AppendWithFaults(std::vector<uint8_t>& out,
                                           std::span<const uint8_t> message) {
  std::vector<uint8_t> sealed(message.begin(), message.end());
  SealMessage(sealed);
  if (faults_.percent > 0 && static_cast<int>(random_() % 100) < faults_.percent) {
    if (random_() % 2 == 0) return;             // lost on the line
    sealed[random_() % sealed.size()] ^= 0x5A;  // damaged on the line
  }
  AppendFrame(out, sealed);
}

std::vector<uint8_t> ControllerSimulator::NextTurn() {
  // Boot answers not yet taken go first; while a boot loader has the line, alone.
  if (bootActive_) CollectBootAnswers(bootLoader_->Turn());
  std::vector<uint8_t> out = BootAnswer();
  if (bootActive_) return out;
  // The laundry runs on by the turn's time (none when it stands still).
  laundry_.Advance(memory_, pace_.turnMs * pace_.speed);
  std::vector<uint8_t> message = reply_ ? *reply_ : Message(message::kPoll, {});
  reply_.reset();
  message[kSequence] = sequence_;
  // A poll is always answered; a reply only when the PC has a request waiting.
  awaitingAnswer_ = message[kCommand] == message::kPoll;
  AppendWithFaults(out, message);

  // Now and then the trigger unit of an enabled machine speaks to the controller, with
  // the inputs its washing machine gives.
  if (++turn_ % kTriggerEvery == 0) {
    const uint16_t enabled = memory_.U16(image::kEnableMask);
    const int machine = static_cast<int>((turn_ / kTriggerEvery) % image::kMachineBlockCount);
    if (enabled & (1u << machine)) {
      std::vector<uint8_t> trigger = {wire::kTriggerFrameCode,
                                      0,
                                      0,
                                      kController,
                                      static_cast<uint8_t>(kFirstTriggerUnit + machine),
                                      0,
                                      laundry_.Report(static_cast<size_t>(machine)).inputs,
                                      0,
                                      0};
      AppendWithFaults(out, trigger);
    }
  }
  return out;
}

}  // namespace vorel::sim
