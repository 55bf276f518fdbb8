// The serial port adapter on a pseudo-terminal: opening the port that is already
// open keeps it open (nothing under way is lost), a line whose other end goes away
// closes the port instead of keeping it busy, and a port that does not open says why.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

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

TEST(SerialPortAdapter, TheOpenPortIsNotOpenedAgainForItsOwnName) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  int master = -1;
  int slave = -1;
  char device[256] = {};
  ASSERT_EQ(openpty(&master, &slave, device, nullptr, nullptr), 0);
  close(slave);

  Counting sink;
  LinkEngine engine(sink, sink);
  SerialPortAdapter port;
  port.SetEngine(&engine);
  ASSERT_TRUE(port.Open(device)) << port.LastError();
  const uint8_t bytes[] = {0x41, 0x42, 0x43};
  ASSERT_EQ(write(master, bytes, sizeof bytes), 3);
  // Open, a pick from the list, Local: the same device, given as the technician names it.
  ASSERT_TRUE(port.Open(device));
  ProcessFor(200);
  EXPECT_EQ(port.Openings(), 1) << "closing it would drop DTR and RTS";
  EXPECT_EQ(engine.Count().rxBytes, 3u);

  // The other end goes: the port closes rather than reporting readiness for ever.
  close(master);
  ProcessFor(300);
  EXPECT_FALSE(port.IsOpen());
}

// Why a port did not open, in the technician's words: a port another program holds, a
// plain file given as a port (left as it was), a device that is not there.
TEST(SerialPortAdapter, APortThatDoesNotOpenSaysWhy) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  int master = -1;
  int slave = -1;
  char device[256] = {};
  ASSERT_EQ(openpty(&master, &slave, device, nullptr, nullptr), 0);
  SerialPortAdapter holder;
  ASSERT_TRUE(holder.Open(device)) << holder.LastError();
  SerialPortAdapter second;
  EXPECT_FALSE(second.Open(device));
  EXPECT_EQ(second.LastError(), "The port is in use by another program");

  char file[] = "/tmp/vorel-port-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "keep", 4), 4);
  close(fd);
  EXPECT_FALSE(second.Open(file));
  EXPECT_EQ(second.LastError(), "Not a serial port (a regular file)");
  EXPECT_EQ(QFileInfo(QString::fromLatin1(file)).size(), 4);
  unlink(file);

  EXPECT_FALSE(second.Open("/dev/ttyUSB-vorel-none"));
  EXPECT_EQ(second.LastError(), "No such serial port");
  close(master);
  close(slave);
}

}  // namespace
}  // namespace vorel
