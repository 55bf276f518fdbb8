// Number edit validators.
#include "ui/common/NumberValidators.h"

#include <QRegularExpression>

namespace vorel {

WholeNumberValidator::WholeNumberValidator(int64_t lowest, int64_t highest, QObject* parent)
    : QValidator(parent), lowest_(lowest), highest_(highest) {}

QValidator::State WholeNumberValidator::validate(QString& input, int&) const {
  if (input.isEmpty()) return Acceptable;
  if (input == QLatin1String("-")) return lowest_ < 0 ? Intermediate : Invalid;
  static const QRegularExpression digits(QStringLiteral("^-?[0-9]{1,11}$"));
  if (!digits.match(input).hasMatch()) return Invalid;
  bool ok = false;
  const qlonglong value = input.toLongLong(&ok);
  if (!ok || value < lowest_ || value > highest_) return Invalid;
  return Acceptable;
}

WeightValidator::WeightValidator(double highest, QObject* parent)
    : QValidator(parent), highest_(highest) {}

QValidator::State WeightValidator::validate(QString& input, int&) const {
  if (input.isEmpty()) return Acceptable;
  static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,3}([.,][0-9]?)?$"));
  if (!pattern.match(input).hasMatch()) return Invalid;
  QString withPoint = input;
  withPoint.replace(',', '.');
  if (withPoint.endsWith('.')) withPoint.chop(1);
  return withPoint.toDouble() <= highest_ ? Acceptable : Invalid;
}

}  // namespace vorel
