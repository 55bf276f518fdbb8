// Number edit validators.
#include "ui/common/NumberValidators.h"

namespace vorel {

NumberEditValidator::NumberEditValidator(const NumberEditRule& rule, QObject* parent)
    : QValidator(parent), rule_(rule) {}

QValidator::State NumberEditValidator::validate(QString& input, int&) const {
  // Anything beyond ASCII is no digit; Latin-1 keeps it from passing as one.
  const QByteArray text = input.toLatin1();
  switch (CheckNumberEditText(rule_, std::string_view(text.constData(), text.size()))) {
    case NumberTextState::kAccepted:
      return Acceptable;
    case NumberTextState::kOnTheWay:
      return Intermediate;
    case NumberTextState::kRefused:
      break;
  }
  return Invalid;
}

void SetNumberEditValidators(QWidget* window, std::span<const NumberEditRule> rules) {
  for (const NumberEditRule& rule : rules) {
    const QString name = QString::fromLatin1(rule.controlName.data(),
                                             static_cast<qsizetype>(rule.controlName.size()));
    if (auto* edit = window->findChild<QLineEdit*>(name))
      edit->setValidator(new NumberEditValidator(rule, edit));
  }
}

}  // namespace vorel
