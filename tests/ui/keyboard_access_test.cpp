// The main, communication, system setup, read/write and program windows through the
// accessibility tree: every control is in it with a name no other control of its
// window bears, can take the focus by Tab (in the order the communication window is
// read), and every push button whose caption stays has a mnemonic of its own.
#include <QAbstractButton>
#include <QAccessible>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <functional>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/common/Accessibility.h"
#include "ui/image/TEEPROMForm.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/machine/TMachineForm.h"
#include "ui/program/TProgramForm.h"
#include "ui/supervision/TSystemSetupForm.h"

using namespace vorel;

namespace {

// Every interface under `root`, by name.
void Collect(QAccessibleInterface* root, QMultiMap<QString, QObject*>& named, int depth = 0) {
  if (!root || depth > 40) return;
  named.insert(root->text(QAccessible::Name), root->object());
  for (int i = 0; i < root->childCount(); ++i) Collect(root->child(i), named, depth + 1);
}

// What is wrong with the window's visible controls; empty when nothing is.
QStringList Faults(QWidget* window) {
  QMultiMap<QString, QObject*> named;
  Collect(QAccessible::queryAccessibleInterface(window), named);
  QStringList faults;
  QMap<QChar, QString> mnemonics;
  QMap<QString, QString> names;
  for (QWidget* control : window->findChildren<QWidget*>()) {
    if (!IsControl(control) || !control->isVisibleTo(window) || control->window() != window)
      continue;
    if (qobject_cast<QComboBox*>(control->parentWidget())) continue;
    const QString id = control->objectName().isEmpty() ? control->metaObject()->className()
                                                       : control->objectName();
    QAccessibleInterface* self = QAccessible::queryAccessibleInterface(control);
    // On Linux a combo box's accessible text is its value; its name is its own property.
    const QString name = qobject_cast<QComboBox*>(control) ? control->accessibleName()
                         : self                            ? self->text(QAccessible::Name)
                                                           : QString();
    if (name.isEmpty()) {
      faults << id + ": no name";
    } else if (!named.values().contains(control)) {
      faults << id + ": not in the accessibility tree";
    } else if (names.contains(name)) {
      faults << id + ": \"" + name + "\" also names " + names[name];
    }
    names.insert(name, id);
    if (!(control->focusPolicy() & Qt::TabFocus)) faults << id + ": not reached by Tab";
    auto* button = qobject_cast<QPushButton*>(control);
    if (!button || button->isCheckable() || button->property("vorelPlainCaption").toBool())
      continue;
    const qsizetype at = button->text().indexOf(QLatin1Char('&'));
    if (at < 0 || at + 1 >= button->text().size()) {
      faults << id + ": no mnemonic";
      continue;
    }
    const QChar key = button->text()[at + 1].toLower();
    if (mnemonics.contains(key)) faults << id + ": mnemonic of " + mnemonics[key] + " too";
    mnemonics.insert(key, id);
  }
  return faults;
}

#define VERIFY_KEYBOARD(window)                                \
  do {                                                         \
    const QStringList faults = Faults(window);                 \
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n"))); \
  } while (false)

// The controls Tab visits, from the window's first, in order.
QStringList TabSequence(QWidget* window) {
  QStringList sequence;
  QWidget* widget = window;
  for (int step = 0; step < 2000; ++step) {
    widget = widget->nextInFocusChain();
    if (widget == window) break;
    if (IsControl(widget) && widget->isVisibleTo(window) &&
        (widget->focusPolicy() & Qt::TabFocus) && !qobject_cast<QComboBox*>(widget->parentWidget()))
      sequence << widget->objectName();
  }
  return sequence;
}

}  // namespace

class KeyboardAccessTest : public QObject {
  Q_OBJECT

 private slots:
  void everyControlByItsName() {
    auto main = test::StartedMain({"RB316entry"});
    // The menus by their titles.
    QMultiMap<QString, QObject*> named;
    Collect(QAccessible::queryAccessibleInterface(main->menuBar()), named);
    for (const char* menu : {"File", "System"}) QVERIFY2(named.contains(menu), menu);

    main->Communication1Click();
    VERIFY_KEYBOARD(main->CommunicationWindow());
    QCOMPARE(TabSequence(main->CommunicationWindow()),
             QStringList({"LocalBtn", "ComPortCombo", "OpenBtn", "CloseBtn", "SearchPortsBtn",
                          "ShowChecksumErrorBtn", "RemoteBtn", "GatewayServerAddressCombo",
                          "RemoteConnectBtn"}));
    main->ReadWriteSystemDataBtnClick();
    VERIFY_KEYBOARD(main->ReadWriteWindow());
    main->Systemsetup1Click();
    auto* pages = test::Find<QTabWidget>(main->SystemSetupWindow(), "PageControl");
    for (int page = 0; page < pages->count(); ++page) {
      if (!pages->isTabVisible(page)) continue;
      pages->setCurrentIndex(page);
      VERIFY_KEYBOARD(main->SystemSetupWindow());
    }
    pages->setCurrentIndex(0);
    main->MachineBtnClick(1);
    main->MachineWindow(0)->ProgramBtnClick(1);
    VERIFY_KEYBOARD(main->MachineWindow(0)->ProgramEditor(0));
  }
};

QTEST_MAIN(KeyboardAccessTest)
#include "keyboard_access_test.moc"
