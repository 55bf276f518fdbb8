// A fuzz target's own checks beyond "no crash": a broken rule stops the run like a
// crash does, and libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void Fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.c_str());
  std::abort();
}

inline void Require(bool holds, const char* what) {
  if (!holds) Fail(what);
}
