// Runs a fuzz target as a plain program, without libFuzzer: every file in the folders
// (or the files) named on the command line goes once through LLVMFuzzerTestOneInput.
// The normal build's tests use it to replay each target's seeds and past crashes, so
// a crash found once stays fixed. README files beside the inputs are not inputs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool IsInput(const fs::path& path) {
  return fs::is_regular_file(path) && !path.filename().string().starts_with("README");
}

std::vector<fs::path> InputsOf(const fs::path& path) {
  std::vector<fs::path> inputs;
  if (fs::is_directory(path)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
      if (IsInput(entry.path())) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
  } else if (IsInput(path)) {
    inputs.push_back(path);
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER_OR_FILE...\n", argv[0]);
    return 2;
  }
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path given(argv[i]);
    if (!fs::exists(given)) {
      std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
      return 1;
    }
    for (const fs::path& input : InputsOf(given)) {
      std::ifstream in(input, std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
      if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "%s: cannot be read\n", input.c_str());
        return 1;
      }
      // A copy of exactly the file's size, so that a read past its end is caught.
      std::vector<uint8_t> data(bytes.begin(), bytes.end());
      LLVMFuzzerTestOneInput(data.data(), data.size());
      ++replayed;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  // A seed folder that went missing or empty would make the test pass on nothing.
  return replayed > 0 ? 0 : 1;
}
