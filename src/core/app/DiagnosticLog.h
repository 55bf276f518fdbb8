// The diagnostic log: one line at start-up, one per question or message box
// shown to the operator, one at exit. Its first line can switch it off
// ("NoDebugLog"), and it is rotated at start-up once it passes 200000 bytes.
// File access and the clock come through LogEnvironment.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorel {

struct LogTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class LogEnvironment {
 public:
  virtual ~LogEnvironment() = default;
  // Opens the file for appending, creating it when missing; one file at a time.
  virtual bool OpenAppend(const std::string& path) = 0;
  virtual bool IsOpen() const = 0;
  // The first line of the file (without its line break, at most maxLength
  // characters), nothing when the file is empty or unreadable.
  virtual std::optional<std::string> ReadFirstLine(const std::string& path, size_t maxLength) = 0;
  virtual int64_t FileSize(const std::string& path) = 0;
  virtual bool Write(std::string_view text) = 0;
  virtual void Flush() = 0;
  virtual void Close() = 0;
  virtual bool CopyReplace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual int64_t MillisecondsSinceStart() = 0;
  virtual LogTime Now() = 0;
};

struct LogPaths {
  std::string log;     // <folder>/Log.<program>.txt
  std::string backup;  // <folder>/Log.<program>1.txt
};
LogPaths MakeLogPaths(const std::string& folder, const std::string& programBaseName);

// "2026-12-08  9:05:03.470> ": hour padded with a blank, hundredths then a 0.
std::string FormatLogTimeStamp(const LogTime& time);

// "Dec  8 2026 02:34:27", the build's date and time as the compiler gives them.
std::string BuildStamp();

class DiagnosticLog {
 public:
  static constexpr int64_t kRotateAbove = 200000;
  static constexpr int64_t kFlushIntervalMs = 5000;
  static constexpr size_t kFirstLineMax = 99;
  static constexpr const char* kMarker = "noDebugLog ";
  static constexpr const char* kSwitchOff = "NoDebugLog";

  DiagnosticLog(LogEnvironment& environment, LogPaths paths);

  // Decides whether logging is on for this run, rotates the file and writes the
  // start-up line. Returns whether logging is enabled.
  bool StartLog(int major, int minor, const std::string& programBaseName,
                const std::string& programExtension, const std::string& buildStamp);

  // A new time-stamped line. Nothing while logging is off or while the routine is
  // already running (a message box can re-enter through the event loop).
  void LogLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Continues the current line.
  void LogAppend(const char* format, ...) __attribute__((format(printf, 2, 3)));

  bool Enabled() const { return enabled_; }
  const LogPaths& Paths() const { return paths_; }

 private:
  void Write(bool newLine, const char* format, va_list arguments);

  LogEnvironment& env_;
  LogPaths paths_;
  bool enabled_ = false;
  int lineGuard_ = 0;
  int appendGuard_ = 0;
  int64_t lastFlushMs_ = 0;
};

}  // namespace vorel
