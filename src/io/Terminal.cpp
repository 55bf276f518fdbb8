// The console, on POSIX terminals and the Windows console.
#include "io/Terminal.h"

#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>

#include <csignal>
#endif

namespace vorel {

#ifndef _WIN32
namespace {
// What the terminal was before the echo went off, for the signal handler: a program
// stopped at the password prompt leaves the terminal as it found it.
termios echoingTerminal{};

void RestoreTerminalAndLeave(int) {
  tcsetattr(STDIN_FILENO, TCSANOW, &echoingTerminal);
  const char newline = '\n';
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, &newline, 1);
  _exit(128 + SIGINT);
}
}  // namespace
#endif

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

std::optional<std::string> ReadSecretLine(const std::string& prompt) {
  if (!IsTerminal(stdin)) return std::nullopt;
  std::cerr << prompt << std::flush;
#ifdef _WIN32
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  GetConsoleMode(input, &mode);
  SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
#else
  termios saved{};
  tcgetattr(STDIN_FILENO, &saved);
  echoingTerminal = saved;
  struct sigaction restore {};
  restore.sa_handler = RestoreTerminalAndLeave;
  sigemptyset(&restore.sa_mask);
  struct sigaction savedInt {};
  struct sigaction savedTerm {};
  sigaction(SIGINT, &restore, &savedInt);
  sigaction(SIGTERM, &restore, &savedTerm);
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
#endif
  std::string line;
  const bool got = static_cast<bool>(std::getline(std::cin, line));
#ifdef _WIN32
  SetConsoleMode(input, mode);
#else
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  sigaction(SIGINT, &savedInt, nullptr);
  sigaction(SIGTERM, &savedTerm, nullptr);
#endif
  std::cerr << '\n';
  if (!got) return std::nullopt;
  return line;
}

}  // namespace vorel
