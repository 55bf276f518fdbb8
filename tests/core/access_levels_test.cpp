// The access words read from the command line and the main window's caption they
// lead to.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/app/AccessLevels.h"

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

TEST(AccessWords, AWordInTheWrongCaseIsNamed) {
  for (const char* meant : {"rb316entry", "RB316ENTRY", "chiefaccess", "Chiefaccess"})
    EXPECT_TRUE(MistypedAccessWordHint(meant)) << meant;
  for (const char* other : {"RB316entry", "ChiefAccess", "site.xml", "rb316entry.xml", ""})
    EXPECT_FALSE(MistypedAccessWordHint(other)) << other;
}

TEST(Caption, SetupAndRemoteSystem) {
  EXPECT_EQ(BuildCaption(false, std::nullopt), "Vorel, Version: 3.21, Miele pulse");
  EXPECT_EQ(BuildCaption(true, std::nullopt), "Vorel, Version: 3.21, Miele pulse,  TL4200 setup");
  EXPECT_EQ(BuildCaption(true, RemoteSystemName{"Hotel Nord", "1234"}),
            "Vorel, Version: 3.21, Miele pulse,  TL4200 setup        System: Hotel Nord (1234).");
}

}  // namespace
}  // namespace vorel
