// vorelctl as a technician meets it at its edges: check and its exit codes, the
// size limit, files kept as the user set them up, Unicode files, usage errors.
#include <sys/stat.h>

#include "support/VorelctlRunner.h"

namespace vorel::test {
namespace {

constexpr size_t kImageSize = 32768;

std::string Machine1(const std::string& inside) {
  return "<TL4200system><MachineData><Machine1>" + inside +
         "</Machine1></MachineData></TL4200system>";
}

TEST_F(VorelctlTest, CheckListsWhatDoesNotReachTheControllerAndSaysSoByItsExit) {
  WriteFile(folder_ / "golden.xml", Golden());
  WriteFile(folder_ / "values.xml",
            Machine1("<ProgramTimeout>256</ProgramTimeout><Trigger><Type>Steam</Type></Trigger>"
                     "<Program><L><I>Spin</I><D>ZZ</D></L></Program>"
                     "<Calibration2>300</Calibration2>"));
  WriteFile(folder_ / "broken.xml", "<TL4200system><MainSetup></TL4200system>");
  const std::string m1 = "TL4200system/MachineData/Machine1/";
  struct Case {
    const char* file;
    int exitCode;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"golden.xml", 0, {}},
      {"values.xml",
       3,
       {m1 + "ProgramTimeout: \"256\" reaches the controller as \"0\"",
        m1 + "Trigger/Type: \"Steam\" reaches the controller as \"Parallel Trigger box\"",
        m1 + "Program(1)/L(1)/I: \"Spin\" reaches the controller as \"?15\"",
        m1 + "Program(1)/L(1)/D: \"ZZ\" reaches the controller as \"00 00 00 00 00\"",
        m1 + "Calibration2: \"300\" reaches the controller as \"250\""}},
      {"broken.xml", 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const RunResult result = Run({"check", folder_ / c.file});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    std::string want;
    for (const auto& line : c.lines) want += line + "\n";
    EXPECT_EQ(result.out, want);
    EXPECT_EQ(result.err.empty(), c.exitCode != 1) << result.err;
  }

  // convert says the same on stderr and still writes.
  const RunResult converted = Run({"convert", folder_ / "values.xml", folder_ / "out.xml"});
  EXPECT_EQ(converted.exitCode, 0);
  EXPECT_EQ(LineCount(converted.err), 5u) << converted.err;
  EXPECT_EQ(converted.err.rfind("vorelctl: warning: " + m1 + "ProgramTimeout", 0), 0u);
  EXPECT_TRUE(fs::exists(folder_ / "out.xml"));
}

TEST_F(VorelctlTest, TooLargeAndNonFilesAreRefusedAtOnce) {
  WriteFile(folder_ / "big.xml", "<TL4200system>" + std::string(17 * 1024 * 1024, ' '));
  const std::string notOne = "not a system file or a 32768-byte memory image";
  struct Case {
    fs::path input;
    std::string errPart;
  };
  std::string noImage(kImageSize, '\x11');
  WriteFile(folder_ / "noimage.bin", noImage);
  WriteFile(folder_ / "short.bin", std::string("MQ350\x01\x01", 7) + std::string(100, '\0'));
  const Case cases[] = {
      {folder_ / "big.xml", "larger than 16 MiB"},
      {"/dev/zero", "is not a regular file"},
      {folder_, "is a folder"},
      {folder_ / "noimage.bin", notOne},
      {folder_ / "short.bin", notOne},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.string());
    for (const char* verb : {"show", "check"}) {
      const RunResult result = Run({verb, c.input});
      EXPECT_EQ(result.exitCode, 1);
      EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
      EXPECT_EQ(LineCount(result.err), 1u);
    }
  }
}

TEST_F(VorelctlTest, ReplacedFilesKeepTheirPermissionsAndLinks) {
  WriteFile(folder_ / "in.xml", Golden());
  const fs::path target = folder_ / "site.xml";
  WriteFile(target, "earlier");
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(Run({"convert", folder_ / "in.xml", target}).exitCode, 0);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  const fs::path link = folder_ / "link.xml";
  fs::create_symlink(target, link);
  WriteFile(target, "earlier");
  ASSERT_EQ(Run({"convert", folder_ / "in.xml", link}).exitCode, 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), Golden());

  ::chmod(target.c_str(), 0444);
  const RunResult readOnly = Run({"convert", folder_ / "in.xml", target});
  EXPECT_EQ(readOnly.exitCode, 1);
  EXPECT_NE(readOnly.err.find("is read-only"), std::string::npos) << readOnly.err;
  ::chmod(target.c_str(), 0644);
}

TEST_F(VorelctlTest, OutputThatCannotBeWrittenFails) {
  WriteFile(folder_ / "in.xml", Golden());
  const std::string command = ShellQuoted(VORELCTL_PATH) + " show " +
                              ShellQuoted(folder_ / "in.xml") + " >/dev/full 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST_F(VorelctlTest, UnicodeFilesAreSavedAsWindows1252) {
  const std::string body =
      "<TL4200system><MainSetup><SystemName>W\xC3\xA4sche \xE6\xB0\xB4"
      "</SystemName></MainSetup></TL4200system>";
  std::string utf16 = "\xFF\xFE";
  for (char16_t unit : std::u16string(u"<TL4200system><MainSetup><SystemName>Wäsche 水"
                                      u"</SystemName></MainSetup></TL4200system>")) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  const std::pair<const char*, std::string> files[] = {
      {"declared.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body},
      {"marked.xml", "\xEF\xBB\xBF" + body},
      {"utf16.xml", utf16},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    WriteFile(folder_ / name, bytes);
    const RunResult result = Run({"convert", folder_ / name, folder_ / "out.xml"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(ReadFile(folder_ / "out.xml").find("<SystemName>W\xE4sche ?</SystemName>"),
              std::string::npos);
    // The character the code page lacks is listed.
    EXPECT_NE(result.err.find("MainSetup/SystemName"), std::string::npos) << result.err;
  }
}

TEST_F(VorelctlTest, UsageErrorsSayWhatIsWrong) {
  WriteFile(folder_ / "in.xml", Golden());
  const std::string in = folder_ / "in.xml";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    const char* errPart;
  };
  const Case cases[] = {
      {"unknown option", {"show", in, "--bogus"}, 2, "unknown option --bogus"},
      {"surplus argument", {"show", in, "extra"}, 2, "surplus argument 'extra'"},
      {"repeated option",
       {"show", in, "--machine", "1", "--machine", "2", "--program", "1"},
       2,
       "--machine given twice"},
      {"option without value", {"show", in, "--machine"}, 2, "--machine needs a value"},
      {"option with =", {"show", in, "--machine=1", "--program=2"}, 0, nullptr},
      {"upper-case XML", {"convert", in, folder_ / "OUT.XML"}, 0, nullptr},
      {"upper-case BIN", {"convert", in, folder_ / "OUT.BIN"}, 0, nullptr},
      {"master code with XML",
       {"convert", in, folder_ / "o.xml", "--master-code", "A"},
       2,
       "image OUTPUT"},
      {"master code of 8 umlauts",
       {"convert", in, folder_ / "m.bin", "--master-code",
        "\xC3\x84\xC3\x84\xC3\x84\xC3\x84"
        "\xC3\x84\xC3\x84\xC3\x84\xC3\x84"},
       0,
       nullptr},
      {"master code of 9",
       {"convert", in, folder_ / "o.bin", "--master-code", "123456789"},
       2,
       "at most 8"},
      {"clock before 2000",
       {"convert", in, folder_ / "o.bin", "--clock", "1999-12-31 23:59:59"},
       2,
       "2000..2255"},
      {"clock of 2255",
       {"convert", in, folder_ / "o.bin", "--clock=2255-06-01 12:00:00"},
       0,
       nullptr},
      {"check without file", {"check"}, 2, "check needs FILE"},
      {"read into a missing folder",
       {"read", "--port", "/dev/null", folder_ / "no" / "x.bin"},
       1,
       "does not exist"},
      // write checks its options as convert does.
      {"write clock of 2300",
       {"write", "--port", "/dev/null", in, "--clock", "2300-01-01 00:00:00"},
       2,
       "2000..2255"},
      {"write master code of 9 umlauts",
       {"write", "--port", "/dev/null", in, "--master-code",
        "\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84"},
       2,
       "at most 8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult result = Run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    if (c.errPart) {
      EXPECT_EQ(result.err.rfind("vorelctl: ", 0), 0u) << result.err;
      EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
    } else {
      EXPECT_EQ(result.err, "");
    }
  }
  const std::string image = ReadFile(folder_ / "m.bin");
  ASSERT_EQ(image.size(), kImageSize);
  EXPECT_EQ(image.substr(550, 8), std::string(8, '\xC4'));  // Ä in Windows-1252
}

// Help where people look for it: every command's own usage, and the window program's
// help and version without any display.
TEST_F(VorelctlTest, EveryCommandExplainsItself) {
  for (const char* verb : {"convert", "check", "info", "read", "write", "flash", "hex", "ports",
                           "systems", "show", "consumption", "alarms"}) {
    SCOPED_TRACE(verb);
    const RunResult help = Run({verb, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind(std::string("Usage: vorelctl ") + verb, 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
  }
  const std::string window =
      "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + ShellQuoted(VOREL_PATH) + " ";
  const fs::path out = folder_ / "out.txt";
  for (const char* option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    const int status = std::system((window + option + " >" + ShellQuoted(out) + " 2>&1").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFile(out);
    EXPECT_EQ(ReadFile(out).rfind(std::string(option) == "--help" ? "Usage: vorel" : "3.21\n", 0),
              0u)
        << ReadFile(out);
  }
}

}  // namespace
}  // namespace vorel::test
