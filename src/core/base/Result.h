// The two shapes every operation of the tool answers in:
// - `Outcome`: an operation was done, or the readable reason why not (a save, a
//   load into the editors, an option check, a file written);
// - `Loaded<T>`: a value that was read, parsed or kept, or why there is none (a
//   file's bytes, a firmware image, where a backup went). A refused input yields no
//   value at all, so nothing of it is ever half-used.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace vorel {

struct Outcome {
  bool ok = true;
  std::string reason;  // why not; empty when done

  explicit operator bool() const { return ok; }
  static Outcome Done() { return {}; }
  static Outcome Failed(std::string why) { return {false, std::move(why)}; }
};

// `Why`: the reason's type, a text unless a refusal carries more (the line of a
// firmware file).
template <typename T, typename Why = std::string>
struct Loaded {
  std::optional<T> value;
  Why why{};  // set only when there is no value

  Loaded() = default;
  Loaded(T loaded) : value(std::move(loaded)) {}  // NOLINT: a value converts
  static Loaded Refused(Why reason) {
    Loaded refused;
    refused.why = std::move(reason);
    return refused;
  }

  explicit operator bool() const { return value.has_value(); }
  const T& operator*() const { return *value; }
  T& operator*() { return *value; }
  const T* operator->() const { return &*value; }
};

}  // namespace vorel
