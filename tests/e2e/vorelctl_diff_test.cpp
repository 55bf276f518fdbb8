// vorelctl diff as a technician runs it: two system files or images in any mix, one
// line per difference in the editors' words, and the exit codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/VorelctlRunner.h"

namespace {

using namespace vorel::test;
namespace fs = std::filesystem;

std::string Demo() {
  return ReadFile(std::string(VOREL_TEST_DATA) + "/../../examples/laundry-demo.xml");
}

// The demonstration with `from` replaced by `to` once.
std::string DemoWith(const std::string& from, const std::string& to) {
  std::string text = Demo();
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(VorelctlTest, DiffListsEachDifferenceInTheEditorsWords) {
  const fs::path demo = folder_ / "demo.xml";
  WriteFile(demo, Demo());
  const fs::path image = folder_ / "demo.bin";
  ASSERT_EQ(Run({"convert", demo, image}).exitCode, 0);

  struct Case {
    const char* name;
    std::string other;  // B's system file; empty: the demonstration's own image
    int exitCode;
    std::string out;
  } cases[] = {
      // Line 2 of "Whites 60" doses 30 ml of pump 1 at every level; B doses 45 ml at Mid.
      {"one program line", DemoWith("<D>01 00 1E 1E 1E</D>", "<D>01 00 1E 2D 1E</D>"), 3,
       "Machine 1, program 1 \"Whites 60\", line 2 (Pump): P1, V=30/30/30 -> P1, V=30/45/30\n"},
      {"the same file", Demo(), 0, ""},
      {"a system file and its own image", "", 0, ""},
      // The file holds Windows-1252 (0xE4 is a-umlaut); the terminal gets UTF-8.
      {"a text",
       DemoWith("<SystemName>Laundry demo, Hall A</SystemName>",
                "<SystemName>W\xE4scherei</SystemName>"),
       3, "System name: \"Laundry demo, Hall A\" -> \"W\xC3\xA4scherei\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path other = image;
    if (!c.other.empty()) {
      other = folder_ / "other.xml";
      WriteFile(other, c.other);
    }
    const RunResult result = Run({"diff", demo, other});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
  }
}

TEST_F(VorelctlTest, DiffRefusesWhatItCannotRead) {
  const fs::path demo = folder_ / "demo.xml";
  WriteFile(demo, Demo());
  WriteFile(folder_ / "notes.txt", "not a configuration");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string errPart;
  } cases[] = {
      {"missing file", {"diff", demo, folder_ / "gone.xml"}, 1, "gone.xml: "},
      {"neither system file nor image",
       {"diff", folder_ / "notes.txt", demo},
       1,
       "notes.txt: not a system file or a 32768-byte memory image"},
      {"one file only", {"diff", demo}, 2, "diff needs A and B"},
      {"three files", {"diff", demo, demo, demo}, 2, "surplus argument"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult result = Run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
  }
}

}  // namespace
