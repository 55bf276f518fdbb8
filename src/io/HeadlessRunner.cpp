// The headless run loop.
#include "io/HeadlessRunner.h"

#include <QTimer>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#endif

namespace vorel {

#ifndef _WIN32
// SIGINT and SIGTERM reach the event loop through a pipe: the handler only writes a
// byte, the loop reads it and stops the work.
class HeadlessRunner::Signals {
 public:
  Signals() {
    if (pipe(fds_) != 0) return;
    for (int fd : fds_) fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(fds_[1], F_SETFL, O_NONBLOCK);
    writeEnd_ = fds_[1];
    struct sigaction action {};
    action.sa_handler = [](int) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t written = write(writeEnd_, &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &savedInt_);
    sigaction(SIGTERM, &action, &savedTerm_);
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      char byte = 0;
      [[maybe_unused]] const ssize_t got = read(fds_[0], &byte, 1);
      arrived_ = true;
      if (onArrival_) onArrival_();
    });
  }
  ~Signals() {
    notifier_.reset();
    sigaction(SIGINT, &savedInt_, nullptr);
    sigaction(SIGTERM, &savedTerm_, nullptr);
    writeEnd_ = -1;
    for (int fd : fds_) {
      if (fd >= 0) close(fd);
    }
  }
  bool Arrived() const { return arrived_; }
  void OnArrival(std::function<void()> run) { onArrival_ = std::move(run); }

 private:
  static inline volatile int writeEnd_ = -1;
  int fds_[2] = {-1, -1};
  struct sigaction savedInt_ {};
  struct sigaction savedTerm_ {};
  std::unique_ptr<QSocketNotifier> notifier_;
  bool arrived_ = false;
  std::function<void()> onArrival_;
};
#else
class HeadlessRunner::Signals {
 public:
  bool Arrived() const { return false; }
  void OnArrival(std::function<void()>) {}
};
#endif

HeadlessRunner::HeadlessRunner(AccessFlags access)
    : session_(access), signals_(std::make_unique<Signals>()) {
  serialAttachment_ = session_.AttachSerialPort(serial_);
  socketAttachment_ = session_.AttachGatewaySocket(socket_);
}

HeadlessRunner::~HeadlessRunner() {
  // The socket and the port close before the session forgets them.
  session_.SelectMode(false);
}

bool HeadlessRunner::OpenSerial(const std::string& device, std::string& why) {
  // The start-up delay is the window's; a command line opens at once.
  session_.SkipStartupDelay();
  session_.SetPortName(device);
  session_.SelectMode(true);
  if (session_.PortOpen()) return true;
  why = serial_.LastError() + ": " + device;
  return false;
}

HeadlessRunner::Outcome HeadlessRunner::ReachController(const std::string& device, int ticks,
                                                        std::string& why) {
  if (!OpenSerial(device, why)) return Outcome::kDeadline;
  if (ticks == 0) return Outcome::kDone;
  const Outcome up = Run([this] { return session_.LinkReady(); }, ticks);
  if (up == Outcome::kDeadline) why = "No answer from the controller";
  return up;
}

HeadlessRunner::Outcome HeadlessRunner::Run(const std::function<bool()>& step, int deadlineTicks,
                                            const std::function<void()>& interrupted) {
  Outcome outcome = Outcome::kDone;
  bool finished = false;
  int ticks = 0;
  const auto finish = [&](Outcome how) {
    if (finished) return;
    finished = true;
    outcome = how;
    application_.quit();
  };
  signals_->OnArrival([&] {
    if (interrupted) interrupted();
    finish(Outcome::kInterrupted);
  });
  if (signals_->Arrived()) return Outcome::kInterrupted;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (finished) return;
    session_.Tick(&hooks_);
    if (step()) {
      finish(Outcome::kDone);
    } else if (++ticks >= deadlineTicks) {
      finish(Outcome::kDeadline);
    }
  });
  timer.start(kTickMs);
  QCoreApplication::exec();
  signals_->OnArrival(nullptr);
  return outcome;
}

}  // namespace vorel
