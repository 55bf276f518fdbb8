// vorelctl in the background, so an end-to-end test can pull the plug under it or
// stop it with a signal, and wait for its end with a limit.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/VorelctlRunner.h"

namespace vorel::test {

using Clock = std::chrono::steady_clock;

class Background {
 public:
  Background(const std::vector<std::string>& args, const fs::path& folder)
      : out_(folder / "bg.out"), err_(folder / "bg.err"), started_(Clock::now()) {
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      std::vector<char*> argv = {const_cast<char*>(VORELCTL_PATH)};
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(VORELCTL_PATH, argv.data());
      _exit(127);
    }
  }
  ~Background() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  void Signal(int signal) { kill(pid_, signal); }
  // Waits at most `limit` for the end; the result and the seconds it took.
  RunResult Wait(std::chrono::seconds limit, double& seconds) {
    RunResult result;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() - started_ > limit) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
    seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = ReadFile(out_);
    result.err = ReadFile(err_);
    return result;
  }

 private:
  fs::path out_, err_;
  Clock::time_point started_;
  pid_t pid_ = -1;
};

inline void Sleep(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace vorel::test
