// Runs the built vorelctl in a fresh folder and collects its exit code and output.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorel::test {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

class VorelctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorelctl-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  RunResult Run(const std::vector<std::string>& args) {
    std::string command = ShellQuoted(VORELCTL_PATH);
    for (const auto& arg : args) command += " " + ShellQuoted(arg);
    const fs::path outFile = folder_ / "stdout.txt";
    const fs::path errFile = folder_ / "stderr.txt";
    command += " >" + ShellQuoted(outFile) + " 2>" + ShellQuoted(errFile);
    RunResult result;
    const int status = std::system(command.c_str());
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = ReadFile(outFile);
    result.err = ReadFile(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return result;
  }

  // Files in the work folder, to see that no temporary file is left behind.
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Golden() {
    return ReadFile(std::string(VOREL_TEST_DATA) + "/golden_small.xml");
  }

  fs::path folder_;
};

inline size_t LineCount(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n');
}

}  // namespace vorel::test
