// The long damage sweep of the system file loader: a thousand cut copies of the golden
// small system and thousands of damaged ones, each checked as the short sweep in ctest
// checks it. Usage: system_file_sweep [mutations]; exits 1 at the first copy that fails.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/XmlMutations.h"

int main(int argc, char** argv) {
  using namespace vorel;
  constexpr int kTruncations = 1000;
  int mutations = 3000;
  if (argc > 2 || (argc == 2 && (mutations = std::atoi(argv[1])) <= 0)) {
    std::fprintf(stderr, "usage: %s [mutations]\n", argv[0]);
    return 2;
  }
  const std::string path = std::string(VOREL_TEST_DATA) + "/golden_small.xml";
  std::ifstream in(path, std::ios::binary);
  const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (golden.empty()) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 2;
  }

  const auto start = std::chrono::steady_clock::now();
  const test::SweepOutcome outcome = test::SweepDamagedCopies(golden, kTruncations, mutations);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d truncations and %d mutations of %zu bytes in %.1f s\n", outcome.truncationsRun,
              outcome.mutationsRun, golden.size(), seconds);
  if (!outcome.fault.empty()) {
    std::fprintf(stderr, "%s\n", outcome.fault.c_str());
    return 1;
  }
  return 0;
}
