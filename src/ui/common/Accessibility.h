// A window that can be worked from the keyboard and read by a screen reader: every
// control has a name of its own in the window (its text, its label's, or else the
// words of its object name), and every push button a mnemonic, unless it has one
// already or its caption changes while the window is open (`PlainCaption`).
#pragma once

#include <QWidget>

namespace vorel {

void PrepareKeyboardAccess(QWidget* window);

// Marks a button whose caption the program rewrites (a program's name, Connect and
// Disconnect): it gets no mnemonic, and its text is shown as it stands.
void PlainCaption(QWidget* button);

// Text shown on a button as it stands: an ampersand is doubled so that it is not
// taken for a mnemonic ("Wash & Dry").
QString LiteralCaption(const QString& text);

// The controls a technician works (buttons, edits, lists, tables), not the labels.
bool IsControl(const QWidget* widget);

}  // namespace vorel
