// Names and mnemonics for the keyboard and screen readers.
#include "ui/common/Accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTextEdit>

#include "core/app/ControlNames.h"

namespace vorel {

namespace {

constexpr const char* kPlainCaption = "vorelPlainCaption";
constexpr const char* kPrepared = "vorelKeyboardPrepared";

QString WithoutMnemonic(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text.simplified();
}

// The letter after a single ampersand, lower case; none without one.
QChar MnemonicOf(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return text[i + 1].toLower();
  }
  return {};
}

QString ShownText(const QWidget* widget) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
  return {};
}

// What the control says of itself, or what its label says of it.
QString OwnName(const QWidget* control, const QMap<const QWidget*, QString>& buddies) {
  if (qobject_cast<const QAbstractButton*>(control)) {
    const QString text = WithoutMnemonic(ShownText(control));
    if (!text.isEmpty()) return text;
  }
  return buddies.value(control);
}

}  // namespace

bool IsControl(const QWidget* widget) {
  if (qobject_cast<const QHeaderView*>(widget)) return false;  // a table's own part
  return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
         qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
         qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
         qobject_cast<const QAbstractItemView*>(widget);
}

void PlainCaption(QWidget* button) {
  button->setProperty(kPlainCaption, true);
}

QString LiteralCaption(const QString& text) {
  QString literal = text;
  return literal.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void PrepareKeyboardAccess(QWidget* window) {
  if (window->property(kPrepared).toBool()) return;
  window->setProperty(kPrepared, true);
  const QList<QWidget*> widgets = window->findChildren<QWidget*>();

  QMap<const QWidget*, QString> buddies;
  QSet<QChar> taken;
  for (const QWidget* widget : widgets) {
    if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy())
      buddies.insert(label->buddy(), WithoutMnemonic(label->text()));
    const QChar mnemonic = MnemonicOf(ShownText(widget));
    if (!mnemonic.isNull()) taken.insert(mnemonic);
  }

  // Names: the control's own, unless it is missing or another control bears it too.
  // A button's caption names it as it changes; other controls take their label's.
  QList<QWidget*> controls;
  QMap<QWidget*, QString> names;
  QMap<QString, int> uses;
  for (QWidget* widget : widgets) {
    if (!IsControl(widget) || widget->window() != window) continue;
    // A combo box's own edit is named with the combo box.
    if (qobject_cast<QComboBox*>(widget->parentWidget())) continue;
    controls << widget;
    const QString name =
        widget->accessibleName().isEmpty() ? OwnName(widget, buddies) : widget->accessibleName();
    names.insert(widget, name);
    ++uses[name];
  }
  for (QWidget* control : controls) {
    const QString name = names.value(control);
    if (!name.isEmpty() && uses.value(name) == 1) {
      if (!qobject_cast<QAbstractButton*>(control)) control->setAccessibleName(name);
      continue;
    }
    if (control->objectName().isEmpty()) continue;
    control->setAccessibleName(
        QString::fromStdString(WordsOfControlName(control->objectName().toStdString())));
  }

  // Mnemonics: the first letter of the caption that no other control of the window uses.
  for (QWidget* control : controls) {
    auto* button = qobject_cast<QPushButton*>(control);
    if (!button || button->isCheckable() || button->property(kPlainCaption).toBool()) continue;
    const QString text = button->text();
    if (text.contains(QLatin1Char('&'))) continue;
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar letter = text[i].toLower();
      if (!letter.isLetterOrNumber() || taken.contains(letter)) continue;
      taken.insert(letter);
      button->setText(text.left(i) + QLatin1Char('&') + text.mid(i));
      break;
    }
  }
}

}  // namespace vorel
