// Start-up, rotation and line writing of the diagnostic log.
#include "core/app/DiagnosticLog.h"

#include <cstdio>
#include <vector>

namespace vorel {
namespace {

std::string FormatV(const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
  return std::string(buffer.data(), static_cast<size_t>(length));
}

// Holds a re-entry counter up while a routine runs.
class Guard {
 public:
  explicit Guard(int& counter) : counter_(counter) { ++counter_; }
  ~Guard() { --counter_; }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
  bool First() const { return counter_ == 1; }

 private:
  int& counter_;
};

}  // namespace

LogPaths MakeLogPaths(const std::string& folder, const std::string& programBaseName) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += '/';
  return {prefix + "Log." + programBaseName + ".txt", prefix + "Log." + programBaseName + "1.txt"};
}

std::string FormatLogTimeStamp(const LogTime& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %2d:%02d:%02d.%02d0> ", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond / 10);
  return buffer;
}

std::string BuildStamp() {
  return std::string(__DATE__) + " " + __TIME__;
}

DiagnosticLog::DiagnosticLog(LogEnvironment& environment, LogPaths paths)
    : env_(environment), paths_(std::move(paths)) {}

bool DiagnosticLog::StartLog(int major, int minor, const std::string& programBaseName,
                             const std::string& programExtension, const std::string& buildStamp) {
  enabled_ = false;
  env_.Close();
  if (!env_.OpenAppend(paths_.log)) return false;

  enabled_ = true;
  const std::optional<std::string> firstLine = env_.ReadFirstLine(paths_.log, kFirstLineMax);
  if (firstLine) {
    if (firstLine->find(kSwitchOff) != std::string::npos) enabled_ = false;
  } else {
    env_.Write(kMarker);
  }

  if (env_.FileSize(paths_.log) > kRotateAbove) {
    env_.Close();
    if (env_.CopyReplace(paths_.log, paths_.backup)) env_.Remove(paths_.log);
    if (env_.OpenAppend(paths_.log)) {
      env_.Write(firstLine.value_or(kMarker));
    } else {
      enabled_ = false;
    }
  }

  if (env_.IsOpen() && enabled_) {
    LogLine("%s%s loaded, Compile date: %s", programBaseName.c_str(), programExtension.c_str(),
            buildStamp.c_str());
    if (major != -1 || minor != -1) LogAppend(", Version: %d.%02d", major, minor);
  }
  env_.Close();
  return enabled_;
}

void DiagnosticLog::LogLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Write(true, format, arguments);
  va_end(arguments);
}

void DiagnosticLog::LogAppend(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Write(false, format, arguments);
  va_end(arguments);
}

void DiagnosticLog::Write(bool newLine, const char* format, va_list arguments) {
  if (!enabled_) return;
  Guard guard(newLine ? lineGuard_ : appendGuard_);
  if (!guard.First()) return;
  if (!env_.IsOpen() && !env_.OpenAppend(paths_.log)) return;
  std::string text;
  if (newLine) text = "\n" + FormatLogTimeStamp(env_.Now());
  text += FormatV(format, arguments);
  env_.Write(text);
  const int64_t now = env_.MillisecondsSinceStart();
  if (now - lastFlushMs_ > kFlushIntervalMs) {
    env_.Flush();
    lastFlushMs_ = now;
  }
}

}  // namespace vorel
