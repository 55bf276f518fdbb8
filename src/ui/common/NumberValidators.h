// Validators for the number edits: only what the field behind the edit can hold
// can be typed, so nothing wraps around silently.
#pragma once

#include <QValidator>
#include <cstdint>

namespace vorel {

// Whole decimal numbers lowest..highest; an empty edit is allowed (it reads as the
// field's default). With a negative lowest a lone "-" may be typed on the way.
class WholeNumberValidator : public QValidator {
 public:
  WholeNumberValidator(int64_t lowest, int64_t highest, QObject* parent);
  State validate(QString& input, int& position) const override;

 private:
  int64_t lowest_;
  int64_t highest_;
};

// Kilograms with at most one decimal after a comma or point, up to `highest`.
class WeightValidator : public QValidator {
 public:
  WeightValidator(double highest, QObject* parent);
  State validate(QString& input, int& position) const override;

 private:
  double highest_;
};

}  // namespace vorel
