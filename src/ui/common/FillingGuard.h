// The one way a window marks that it is filling its controls from the
// configuration: while a guard lives, the controls' change handlers write nothing
// back. Guards nest; each puts back what it found.
#pragma once

namespace vorel {

class FillingGuard {
 public:
  explicit FillingGuard(bool& filling) : filling_(filling), before_(filling) { filling_ = true; }
  ~FillingGuard() { filling_ = before_; }
  FillingGuard(const FillingGuard&) = delete;
  FillingGuard& operator=(const FillingGuard&) = delete;

 private:
  bool& filling_;
  bool before_;
};

}  // namespace vorel
