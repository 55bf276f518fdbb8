// A serial port for the link in tests, always open: keeps the bytes written and the
// messages they frame, unescaped by the tool's receiver.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/link/Frame.h"
#include "core/link/SerialPort.h"

namespace vorel::test {

struct WrittenFrames : SerialPort, FrameReceiver::Sink {
  std::vector<uint8_t> written;
  std::vector<std::vector<uint8_t>> messages;
  FrameReceiver receiver;

  bool Write(std::span<const uint8_t> bytes) override {
    written.insert(written.end(), bytes.begin(), bytes.end());
    receiver.Receive(bytes, *this);
    return true;
  }
  void SetEngine(LinkEngine*) override {}
  bool Open(const std::string&) override { return true; }
  void Close() override {}
  bool IsOpen() const override { return true; }
  std::string LastError() const override { return {}; }
  void FrameReceived(std::span<const uint8_t> frame) override {
    messages.emplace_back(frame.begin(), frame.end());
  }
};

}  // namespace vorel::test
