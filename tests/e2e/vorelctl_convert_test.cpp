// vorelctl as a technician runs it: convert, its failures and exit codes, the
// usage, and that a failed run never leaves a damaged or partial OUTPUT.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/VorelctlRunner.h"

namespace {

using namespace vorel::test;
namespace fs = std::filesystem;

TEST_F(VorelctlTest, ConvertWritesTheSystemFileAsTheToolSavesIt) {
  const fs::path input = folder_ / "in.xml";
  const fs::path output = folder_ / "out.xml";
  WriteFile(input, Golden());
  const RunResult result = Run({"convert", input, output});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadFile(output), Golden());
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"in.xml", "out.xml"}));
}

TEST_F(VorelctlTest, ConvertReplacesAnEarlierOutputAndNormalisesTheLayout) {
  const fs::path input = folder_ / "in.xml";
  const fs::path output = folder_ / "out.xml";
  WriteFile(input,
            "<TL4200system><MainSetup><SystemName>A &#38; B</SystemName></MainSetup>"
            "<MachineData><Machine1><Trigger><Type>TL4210, Miele Logic</Type></Trigger>"
            "</Machine1></MachineData></TL4200system>");
  WriteFile(output, "earlier contents");
  const RunResult result = Run({"convert", input, output});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string written = ReadFile(output);
  EXPECT_EQ(written.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n", 0), 0u);
  EXPECT_NE(written.find("    <SystemName>A &amp; B</SystemName>\r\n"), std::string::npos);
  EXPECT_NE(written.find("        <Type>Miele Logic</Type>\r\n"), std::string::npos);
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"in.xml", "out.xml"}));
}

TEST_F(VorelctlTest, FailedLoadReportsOneLineAndWritesNothing) {
  struct Case {
    const char* name;
    std::string input;  // empty: the input file does not exist
    std::vector<std::string> errParts;
  } cases[] = {
      {"unreadable strict boolean",
       "<TL4200system><Alarm><Group0><Level>0</Level></Group0></Alarm></TL4200system>",
       {"in.xml", "TL4200system/Alarm/Group0/Level", "\"0\" is neither True nor False"}},
      {"machine enabled",
       "<TL4200system><MachineData><Machine10><Enabled>?</Enabled></Machine10></MachineData>"
       "</TL4200system>",
       {"in.xml", "TL4200system/MachineData/Machine10/Enabled"}},
      {"short log block",
       "<TL4200system><AlarmLog>00FF</AlarmLog></TL4200system>",
       {"in.xml", "TL4200system/AlarmLog", "4 hexadecimal digits where 512 are needed"}},
      {"another root", "<System/>", {"in.xml", "System", "root element is not TL4200system"}},
      {"malformed XML",
       "<TL4200system>\r\n<MainSetup>\r\n</TL4200system>",
       {"in.xml", "malformed XML at line 3"}},
      {"missing input", "", {"in.xml", "no such file"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path input = folder_ / "in.xml";
    const fs::path output = folder_ / "out.xml";
    fs::remove(input);
    if (!c.input.empty()) WriteFile(input, c.input);

    fs::remove(output);
    RunResult result = Run({"convert", input, output});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(LineCount(result.err), 1u) << result.err;
    EXPECT_EQ(result.err.rfind("vorelctl: ", 0), 0u) << result.err;
    for (const auto& part : c.errParts) {
      EXPECT_NE(result.err.find(part), std::string::npos) << part << " in " << result.err;
    }
    EXPECT_FALSE(fs::exists(output));

    WriteFile(output, "earlier contents");
    result = Run({"convert", input, output});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(ReadFile(output), "earlier contents");
  }
}

TEST_F(VorelctlTest, FailedWriteLeavesNoPartialFile) {
  const fs::path input = folder_ / "in.xml";
  WriteFile(input, Golden());
  const fs::path existingFolder = folder_ / "taken.xml";
  fs::create_directory(existingFolder);
  WriteFile(existingFolder / "inside.txt", "kept");

  struct Case {
    const char* name;
    fs::path output;
    const char* errPart;
  } cases[] = {
      {"output is a folder", existingFolder, "is a folder"},
      {"folder of the output missing", folder_ / "missing" / "out.xml", "does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult result = Run({"convert", input, c.output});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(LineCount(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find(c.output.string()), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(existingFolder / "inside.txt"), "kept");
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"in.xml", "taken.xml"}));
  }
}

TEST_F(VorelctlTest, CommandLineAndExitCodes) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string out;      // exact, when `outPart` is empty
    const char* outPart;  // part of stdout
    const char* errPart;  // part of stderr; nullptr: stderr empty
  } cases[] = {
      {"version", {"--version"}, 0, "3.21\n", "", nullptr},
      {"help", {"--help"}, 0, "", "Usage: vorelctl", nullptr},
      {"help lists convert", {"--help"}, 0, "", "convert INPUT OUTPUT", nullptr},
      {"help lists show", {"--help"}, 0, "", "show INPUT --machine N --program K", nullptr},
      {"nothing", {}, 2, "", "", "Usage: vorelctl"},
      {"unknown verb", {"explode"}, 2, "", "", "unknown command 'explode'"},
      {"convert without arguments", {"convert"}, 2, "", "", "Usage: vorelctl"},
      {"convert with one argument", {"convert", "a.xml"}, 2, "", "", "convert needs"},
      {"convert to another kind of file", {"convert", "a.xml", "b.txt"}, 2, "", "", ".xml or .bin"},
      {"convert with a bad clock",
       {"convert", "a.xml", "b.bin", "--clock", "2026-02-30 10:00:00"},
       2,
       "",
       "",
       "--clock"},
      {"convert with a long master code",
       {"convert", "a.xml", "b.bin", "--master-code", "123456789"},
       2,
       "",
       "",
       "at most 8"},
      {"show without input", {"show"}, 2, "", "", "show needs INPUT"},
      {"show machine 11",
       {"show", "a.xml", "--machine", "11", "--program", "1"},
       2,
       "",
       "",
       "1..10"},
      {"show program 0", {"show", "a.xml", "--machine", "1", "--program", "0"}, 2, "", "", "1..6"},
      {"show machine without program",
       {"show", "a.xml", "--machine", "1"},
       2,
       "",
       "",
       "go together"},
      {"convert with three arguments",
       {"convert", "a.xml", "b.xml", "c.xml"},
       2,
       "",
       "",
       "surplus argument 'c.xml'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult result = Run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    if (std::string(c.outPart).empty()) {
      EXPECT_EQ(result.out, c.out);
    } else {
      EXPECT_NE(result.out.find(c.outPart), std::string::npos) << result.out;
    }
    if (c.errPart == nullptr) {
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
    }
  }
}

}  // namespace
