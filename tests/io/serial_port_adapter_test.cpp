// The serial port adapter on a pseudo-terminal: opening the port that is already
// open keeps it open (nothing under way is lost), a line whose other end goes away
// closes the port instead of keeping it busy, and a port that does not open says why.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryFile>

#include "io/SerialPortAdapter.h"

namespace vorel {
namespace {

struct Counting : ByteSink, PollAnswers {
  bool Write(std::span<const uint8_t>) override { return true; }
};

void ProcessFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// An event loop for the port, and a pseudo-terminal: the port's device and the far end.
class PseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(openpty(&master_, &slave_, device_, nullptr, nullptr), 0); }
  void TearDown() override {
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
  }
  int argc_ = 1;
  char name_[5] = "test";
  char* argv_[2] = {name_, nullptr};
  QCoreApplication application_{argc_, argv_};
  int master_ = -1;
  int slave_ = -1;
  char device_[256] = {};
};

TEST_F(PseudoTerminal, TheOpenPortIsNotOpenedAgainForItsOwnName) {
  const char* device = device_;
  close(slave_);
  slave_ = -1;

  Counting sink;
  LinkEngine engine(sink, sink);
  SerialPortAdapter port;
  port.SetEngine(&engine);
  ASSERT_TRUE(port.Open(device)) << port.LastError();
  const uint8_t bytes[] = {0x41, 0x42, 0x43};
  ASSERT_EQ(write(master_, bytes, sizeof bytes), 3);
  // Open, a pick from the list, Local: the same device, given as the technician names it.
  ASSERT_TRUE(port.Open(device));
  ProcessFor(200);
  EXPECT_EQ(port.Openings(), 1) << "closing it would drop DTR and RTS";
  EXPECT_EQ(engine.Count().rxBytes, 3u);

  // The other end goes: the port closes rather than reporting readiness for ever.
  close(master_);
  master_ = -1;
  ProcessFor(300);
  EXPECT_FALSE(port.IsOpen());
}

// Why a port did not open, in the technician's words: a port another program holds, a
// plain file given as a port (left as it was), a device that is not there.
TEST_F(PseudoTerminal, APortThatDoesNotOpenSaysWhy) {
  const char* device = device_;
  SerialPortAdapter holder;
  ASSERT_TRUE(holder.Open(device)) << holder.LastError();
  SerialPortAdapter second;
  EXPECT_FALSE(second.Open(device));
  EXPECT_EQ(second.LastError(), "The port is in use by another program");

  QTemporaryFile file;
  ASSERT_TRUE(file.open());
  ASSERT_EQ(file.write("keep"), 4);
  file.close();
  EXPECT_FALSE(second.Open(file.fileName().toStdString()));
  EXPECT_EQ(second.LastError(), "Not a serial port (a regular file)");
  EXPECT_EQ(QFileInfo(file.fileName()).size(), 4);

  EXPECT_FALSE(second.Open("/dev/ttyUSB-vorel-none"));
  EXPECT_EQ(second.LastError(), "No such serial port");
}

}  // namespace
}  // namespace vorel
