// The validator of every number edit: it asks the core's rule of that edit, so
// only what the field behind the edit can hold can be typed.
#pragma once

#include <QLineEdit>
#include <QValidator>
#include <span>

#include "core/config/NumberEdits.h"

namespace vorel {

class NumberEditValidator : public QValidator {
 public:
  NumberEditValidator(const NumberEditRule& rule, QObject* parent);
  State validate(QString& input, int& position) const override;

 private:
  const NumberEditRule& rule_;
};

// Gives each edit named in `rules` that lives under `window` its validator.
void SetNumberEditValidators(QWidget* window, std::span<const NumberEditRule> rules);

}  // namespace vorel
