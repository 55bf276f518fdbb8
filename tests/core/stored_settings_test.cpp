// The operator's settings restored from and stored into the per-user store: size floors,
// the values kept only with a last system file, and what a read or write error leaves.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "core/app/StoredSettings.h"
#include "support/MemorySettingsStore.h"

namespace vorel {
namespace {

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

}  // namespace
}  // namespace vorel
