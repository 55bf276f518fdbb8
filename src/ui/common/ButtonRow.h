// A push button added to a row of a window's buttons: named (for the tests and the
// accessible names) and connected to its handler, a member function or a lambda.
#pragma once

#include <QBoxLayout>
#include <QPushButton>
#include <QString>

namespace vorel {

template <typename Window, typename Handler>
QPushButton* AddButton(QBoxLayout* row, Window* window, const QString& caption, const char* name,
                       Handler handler) {
  auto* button = new QPushButton(caption, window);
  button->setObjectName(QString::fromLatin1(name));
  QObject::connect(button, &QPushButton::clicked, window, handler);
  row->addWidget(button);
  return button;
}

}  // namespace vorel
