// Access words, caption, stored settings rules, tick order and the diagnostic log.
#include <gtest/gtest.h>

#include <map>
#include <variant>

#include "core/app/AccessLevels.h"
#include "core/app/DiagnosticLog.h"
#include "core/app/MainTick.h"
#include "core/app/StoredSettings.h"
#include "support/MemorySettingsStore.h"

namespace vorel {
namespace {

TEST(AccessWords, MatchedExactlyAsWholeArguments) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool setup, master;
  } cases[] = {
      {"none", {}, false, false},
      {"setup", {"RB316entry"}, true, false},
      {"master", {"ChiefAccess"}, false, true},
      {"both any order", {"ChiefAccess", "x", "RB316entry"}, true, true},
      {"lower case", {"rb316entry", "chiefaccess"}, false, false},
      {"part of an argument", {"RB316entry2", "-ChiefAccess", "RB316"}, false, false},
      {"blank around", {" RB316entry"}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const AccessFlags flags = ParseAccessWords(c.args);
    EXPECT_EQ(flags.setup, c.setup);
    EXPECT_EQ(flags.master, c.master);
  }
}

TEST(Caption, SetupAndRemoteSystem) {
  EXPECT_EQ(BuildCaption(false, std::nullopt), "Vorel, Version: 3.21, Miele pulse");
  EXPECT_EQ(BuildCaption(true, std::nullopt), "Vorel, Version: 3.21, Miele pulse,  TL4200 setup");
  EXPECT_EQ(BuildCaption(true, RemoteSystemName{"Hotel Nord", "1234"}),
            "Vorel, Version: 3.21, Miele pulse,  TL4200 setup        System: Hotel Nord (1234).");
}

using test::MemorySettingsStore;
using MemoryStore = MemorySettingsStore;

OperatorSettings WindowDefaults() {
  OperatorSettings s;
  s.width = 937;
  s.height = 84;
  s.gatewayServer = "gateway.example";
  return s;
}

TEST(StoredSettings, SizeFloorsAndPosition) {
  struct Case {
    const char* name;
    std::map<std::string, std::variant<int32_t, std::string>> stored;
    int width, height;
    bool positioned;
  } cases[] = {
      {"nothing stored", {}, 937, 84, false},
      {"small size raised", {{"Width", 500}, {"Height", 20}}, 800, 50, false},
      {"size kept", {{"Width", 1200}, {"Height", 90}}, 1200, 90, false},
      {"left without top", {{"Left", 40}}, 937, 84, false},
      {"top without left", {{"Top", 40}}, 937, 84, false},
      {"left and top", {{"Left", 40}, {"Top", -5}}, 937, 84, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStore store;
    store.values = c.stored;
    OperatorSettings s = WindowDefaults();
    RestoreSettings(store, s);
    EXPECT_EQ(s.width, c.width);
    EXPECT_EQ(s.height, c.height);
    EXPECT_EQ(s.positionRestored, c.positioned);
    if (c.positioned) {
      EXPECT_EQ(s.left, 40);
      EXPECT_EQ(s.top, -5);
    }
  }
}

TEST(StoredSettings, FiveValuesOnlyWithLastSystemFileName) {
  MemoryStore store;
  store.values = {{"ComPort", std::string("COM3")},
                  {"CommLocal", 1},
                  {"LoginCode", std::string("abc")},
                  {"LastFirmwareFile1", std::string("f.hex")},
                  {"GatewayServer", std::string("gw")}};
  OperatorSettings s = WindowDefaults();
  RestoreSettings(store, s);
  EXPECT_EQ(s.comPort, "None");
  EXPECT_FALSE(s.commLocal);
  EXPECT_EQ(s.loginCode, kDesignLoginCode);
  EXPECT_EQ(s.lastFirmwareFile1, "");
  EXPECT_EQ(s.gatewayServer, "") << "the gateway text is emptied before the file name is looked at";

  store.values["LastSystemFileName"] = std::string("/data/hotel.xml");
  store.values["GatewayServer"] = std::string("  gw.example  ");
  s = WindowDefaults();
  RestoreSettings(store, s);
  EXPECT_EQ(s.lastSystemFileName, "/data/hotel.xml");
  EXPECT_EQ(s.comPort, "COM3");
  EXPECT_TRUE(s.commLocal);
  EXPECT_EQ(s.loginCode, "abc");
  EXPECT_EQ(s.lastFirmwareFile1, "f.hex");
  EXPECT_EQ(s.gatewayServer, "gw.example");
}

TEST(StoredSettings, ReadErrorKeepsWhatWasReadBefore) {
  MemoryStore full;
  full.values = {{"Width", 1000},
                 {"Height", 60},
                 {"Left", 10},
                 {"Top", 20},
                 {"LastSystemFileName", std::string("a.xml")},
                 {"ComPort", std::string("COM2")},
                 {"CommLocal", 1},
                 {"LastFirmwareFile1", std::string("fw.hex")},
                 {"LoginCode", std::string("secret")},
                 {"GatewayServer", std::string("gw")}};
  struct Case {
    const char* failOn;
    int width;
    bool positioned;
    std::string file, port, login, gateway;
  } cases[] = {
      {"Width", 937, false, "", "None", kDesignLoginCode, "gateway.example"},
      {"Top", 1000, false, "", "None", kDesignLoginCode, "gateway.example"},
      {"LastSystemFileName", 1000, true, "", "None", kDesignLoginCode, ""},
      {"CommLocal", 1000, true, "a.xml", "COM2", kDesignLoginCode, ""},
      {"GatewayServer", 1000, true, "a.xml", "COM2", "secret", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failOn);
    MemoryStore store = full;
    store.failOn = c.failOn;
    OperatorSettings s = WindowDefaults();
    RestoreSettings(store, s);
    EXPECT_EQ(s.width, c.width);
    EXPECT_EQ(s.positionRestored, c.positioned);
    EXPECT_EQ(s.lastSystemFileName, c.file);
    EXPECT_EQ(s.comPort, c.port);
    EXPECT_EQ(s.loginCode, c.login);
    EXPECT_EQ(s.gatewayServer, c.gateway);
  }
}

TEST(StoredSettings, WriteOrderAndStopAtError) {
  OperatorSettings s = WindowDefaults();
  s.commLocal = true;
  MemoryStore store;
  StoreSettings(store, s);
  const std::vector<std::string> order = {"LastSystemFileName",
                                          "CommLocal",
                                          "ComPort",
                                          "LastFirmwareFile1",
                                          "LoginCode",
                                          "Width",
                                          "Height",
                                          "Left",
                                          "Top",
                                          "GatewayServer"};
  EXPECT_EQ(store.written, order);
  EXPECT_EQ(std::get<int32_t>(store.values["CommLocal"]), 1);

  MemoryStore failing;
  failing.failOn = "Width";
  StoreSettings(failing, s);
  EXPECT_EQ(failing.written, std::vector<std::string>(order.begin(), order.begin() + 5));
}

class RecordingSteps : public TickSteps {
 public:
  std::vector<std::string> calls;
  bool calibrationRunning = false;
  bool firmwareVisible = false;
  void UpdateCounters() override { calls.push_back("counters"); }
  void LinkTick() override { calls.push_back("link"); }
  bool CalibrationRunning() override { return calibrationRunning; }
  void CalibrationTick() override { calls.push_back("calibration"); }
  bool FirmwareWindowVisible() override { return firmwareVisible; }
  void FirmwareTick() override { calls.push_back("firmware"); }
  void TransferTick() override { calls.push_back("transfer"); }
  void VisibleMachineTicks() override { calls.push_back("machines"); }
};

TEST(MainTick, CountersOnEveryTenthTick) {
  MainTick tick;
  RecordingSteps steps;
  std::vector<int> counterTicks;
  for (int n = 1; n <= 30; ++n) {
    steps.calls.clear();
    tick.Tick(steps);
    if (!steps.calls.empty() && steps.calls.front() == "counters") counterTicks.push_back(n);
  }
  EXPECT_EQ(counterTicks, (std::vector<int>{10, 20, 30}));
}

TEST(MainTick, StepOrder) {
  MainTick tick;
  RecordingSteps steps;
  for (int n = 0; n < 9; ++n) tick.Tick(steps);
  steps.calls.clear();
  steps.calibrationRunning = true;
  steps.firmwareVisible = true;
  tick.Tick(steps);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"counters", "link", "calibration", "firmware",
                                                   "transfer", "machines"}));
  steps.calls.clear();
  steps.calibrationRunning = false;
  steps.firmwareVisible = false;
  tick.Tick(steps);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"link", "transfer", "machines"}));
}

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
