// The serial port adapter on a pseudo-terminal: opening the port that is already
// open keeps it open (nothing under way is lost), and a line whose other end goes
// away closes the port instead of keeping it busy.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

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

}  // namespace
}  // namespace vorel
