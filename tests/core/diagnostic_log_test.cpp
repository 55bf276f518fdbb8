// The diagnostic log beside the program: its paths, time stamps, the switch-off marker,
// rotation, flushing and re-entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/app/DiagnosticLog.h"

namespace vorel {
namespace {

// Files in memory, a settable clock.
class MemoryLogEnvironment : public LogEnvironment {
 public:
  std::map<std::string, std::string> files;
  std::string openPath;
  bool failOpen = false;
  int flushes = 0;
  int64_t ms = 0;
  LogTime now{2026, 12, 8, 9, 5, 3, 470};

  bool OpenAppend(const std::string& path) override {
    if (failOpen) return false;
    files[path];
    openPath = path;
    return true;
  }
  bool IsOpen() const override { return !openPath.empty(); }
  std::optional<std::string> ReadFirstLine(const std::string& path, size_t max) override {
    const std::string& text = files[path];
    if (text.empty()) return std::nullopt;
    return text.substr(0, std::min(text.find('\n'), max));
  }
  int64_t FileSize(const std::string& path) override {
    return static_cast<int64_t>(files[path].size());
  }
  bool Write(std::string_view text) override {
    if (openPath.empty()) return false;
    files[openPath] += text;
    return true;
  }
  void Flush() override { ++flushes; }
  void Close() override { openPath.clear(); }
  bool CopyReplace(const std::string& from, const std::string& to) override {
    files[to] = files[from];
    return true;
  }
  bool Remove(const std::string& path) override { return files.erase(path) == 1; }
  int64_t MillisecondsSinceStart() override { return ms; }
  LogTime Now() override { return now; }
};

const LogPaths kPaths = MakeLogPaths("/opt/vorel", "Vorel");

TEST(DiagnosticLog, PathsBesideTheProgram) {
  EXPECT_EQ(kPaths.log, "/opt/vorel/Log.Vorel.txt");
  EXPECT_EQ(kPaths.backup, "/opt/vorel/Log.Vorel1.txt");
}

TEST(DiagnosticLog, TimeStampFormat) {
  struct Case {
    LogTime time;
    const char* text;
  } cases[] = {
      {{2026, 12, 8, 9, 5, 3, 470}, "2026-12-08  9:05:03.470> "},
      {{2026, 1, 31, 23, 59, 59, 999}, "2026-01-31 23:59:59.990> "},
      {{2026, 1, 1, 0, 0, 0, 9}, "2026-01-01  0:00:00.000> "},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatLogTimeStamp(c.time), c.text);
}

TEST(DiagnosticLog, FreshStartWritesMarkerAndStartLine) {
  MemoryLogEnvironment env;
  DiagnosticLog log(env, kPaths);
  EXPECT_TRUE(log.StartLog(3, 21, "Vorel", ".exe", "Dec  8 2026 09:05:03"));
  log.LogLine("MsgDialog: %s", "Program modfied, save?");
  log.LogLine("Bye...");
  EXPECT_EQ(env.files[kPaths.log],
            "noDebugLog \n"
            "2026-12-08  9:05:03.470> Vorel.exe loaded, Compile date: Dec  8 2026 09:05:03, "
            "Version: 3.21\n"
            "2026-12-08  9:05:03.470> MsgDialog: Program modfied, save?\n"
            "2026-12-08  9:05:03.470> Bye...");
}

TEST(DiagnosticLog, VersionLeftOutWhenNotGiven) {
  MemoryLogEnvironment env;
  DiagnosticLog log(env, kPaths);
  log.StartLog(-1, -1, "Vorel", ".exe", "stamp");
  EXPECT_EQ(env.files[kPaths.log].substr(env.files[kPaths.log].find('>') + 2),
            "Vorel.exe loaded, Compile date: stamp");
}

TEST(DiagnosticLog, FirstLineSwitchesLoggingOff) {
  MemoryLogEnvironment env;
  env.files[kPaths.log] = "xx NoDebugLog xx\nold line";
  DiagnosticLog log(env, kPaths);
  EXPECT_FALSE(log.StartLog(3, 21, "Vorel", ".exe", "stamp"));
  log.LogLine("MsgDialog: %s", "x");
  log.LogLine("Bye...");
  EXPECT_EQ(env.files[kPaths.log], "xx NoDebugLog xx\nold line");
}

TEST(DiagnosticLog, MarkerIsCaseSensitive) {
  MemoryLogEnvironment env;
  env.files[kPaths.log] = "nodebuglog";
  DiagnosticLog log(env, kPaths);
  EXPECT_TRUE(log.StartLog(3, 21, "Vorel", ".exe", "stamp"));
}

TEST(DiagnosticLog, RotatesPastTheLimitKeepingTheFirstLine) {
  struct Case {
    size_t size;
    bool rotated;
  } cases[] = {{200000, false}, {200001, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    MemoryLogEnvironment env;
    std::string content = "noDebugLog \n";
    content.resize(c.size, 'x');
    env.files[kPaths.log] = content;
    DiagnosticLog log(env, kPaths);
    log.StartLog(3, 21, "Vorel", ".exe", "stamp");
    if (c.rotated) {
      EXPECT_EQ(env.files[kPaths.backup], content);
      EXPECT_EQ(env.files[kPaths.log].rfind("noDebugLog \n2026-12-08  9:05:03.470> Vorel.exe", 0),
                0u);
    } else {
      EXPECT_EQ(env.files.count(kPaths.backup), 0u);
      EXPECT_EQ(env.files[kPaths.log].size(),
                c.size + 78);  // line break, 25-character stamp, 37 + 15 characters
    }
  }
}

TEST(DiagnosticLog, UnopenableFileDisablesLogging) {
  MemoryLogEnvironment env;
  env.failOpen = true;
  DiagnosticLog log(env, kPaths);
  EXPECT_FALSE(log.StartLog(3, 21, "Vorel", ".exe", "stamp"));
  EXPECT_TRUE(env.files.empty());
}

TEST(DiagnosticLog, FlushesAtMostEveryFiveSeconds) {
  MemoryLogEnvironment env;
  DiagnosticLog log(env, kPaths);
  log.StartLog(3, 21, "Vorel", ".exe", "stamp");
  const int before = env.flushes;
  env.ms = 4000;
  log.LogLine("a");
  EXPECT_EQ(env.flushes, before);
  env.ms = 5001;
  log.LogLine("b");
  EXPECT_EQ(env.flushes, before + 1);
  env.ms = 9000;
  log.LogLine("c");
  EXPECT_EQ(env.flushes, before + 1);
  env.ms = 10002;
  log.LogLine("d");
  EXPECT_EQ(env.flushes, before + 2);
}

// A write that re-enters the log (as a message box can through the event loop)
// writes nothing the second time.
class ReenteringEnvironment : public MemoryLogEnvironment {
 public:
  DiagnosticLog* log = nullptr;
  bool Write(std::string_view text) override {
    if (log && text.find("outer") != std::string_view::npos) log->LogLine("inner");
    return MemoryLogEnvironment::Write(text);
  }
};

TEST(DiagnosticLog, ReentryWritesNothing) {
  ReenteringEnvironment env;
  DiagnosticLog log(env, kPaths);
  log.StartLog(3, 21, "Vorel", ".exe", "stamp");
  env.log = &log;
  log.LogLine("outer");
  const std::string& text = env.files[kPaths.log];
  EXPECT_NE(text.find("outer"), std::string::npos);
  EXPECT_EQ(text.find("inner"), std::string::npos);
  log.LogLine("later");
  EXPECT_NE(text.find("later"), std::string::npos);
}

}  // namespace
}  // namespace vorel
