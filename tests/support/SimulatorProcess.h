// vorel-sim running in the background for end-to-end tests: the device or gateway
// port it announces on its first line, its stderr kept in a file, stopped (and its
// memory saved when asked with --save) when the test ends or calls Stop.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vorel::test {

class SimulatorProcess {
 public:
  // `errFile`: where its stderr goes (empty: inherited).
  explicit SimulatorProcess(const std::vector<std::string>& args, const std::string& errFile = {}) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      if (!errFile.empty()) {
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, STDERR_FILENO);
      }
      std::vector<char*> argv = {const_cast<char*>(VOREL_SIM_PATH)};
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(VOREL_SIM_PATH, argv.data());
      _exit(127);
    }
    close(out[1]);
    // "vorel-sim: serving /dev/pts/N" or "vorel-sim: gateway on 127.0.0.1:PORT".
    FILE* stream = fdopen(out[0], "r");
    char line[256] = {};
    if (stream && fgets(line, sizeof line, stream)) {
      std::string text = line;
      if (!text.empty() && text.back() == '\n') text.pop_back();
      for (const std::string prefix : {"vorel-sim: serving ", "vorel-sim: gateway on "}) {
        if (text.rfind(prefix, 0) == 0) announced_ = text.substr(prefix.size());
      }
    }
    if (stream) fclose(stream);
  }
  ~SimulatorProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // The serial device, or the gateway's "ADDRESS:PORT".
  const std::string& Announced() const { return announced_; }
  const std::string& Device() const { return announced_; }
  void Pause() { kill(pid_, SIGSTOP); }
  // SIGTERM, and the exit code once it ended (its --save file then written).
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  std::string announced_;
};

}  // namespace vorel::test
