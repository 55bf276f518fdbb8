// The login window: every opening starts empty, closing trims the code into the
// operator's settings, an untouched window leaves the code empty.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "ui/main/TLoginForm.h"

using namespace vorel;

class LoginFormTest : public QObject {
  Q_OBJECT

 private slots:
  void codeTrimmedIntoTheSettingsAndEmptyWhenUntouched() {
    auto main = test::StartedMain();
    QVERIFY(main->findChild<QAction*>("LoginBtn")->isEnabled());
    QCOMPARE(main->Settings().loginCode, std::string("Password"));  // the design-time code
    TLoginForm* login = main->LoginWindow();
    QCOMPARE(login->windowTitle(), QString("Login"));
    login->show();
    auto* code = test::Find<QLineEdit>(login, "CodeEdit");
    QVERIFY(code->text().isEmpty());
    QTest::keyClicks(code, "  SECRET1 ");
    test::Find<QPushButton>(login, "OKBtn")->click();
    QVERIFY(!login->isVisible());
    QCOMPARE(main->Settings().loginCode, std::string("SECRET1"));

    // Opened again: empty; closed without typing: the code is empty.
    login->show();
    QVERIFY(code->text().isEmpty());
    login->close();
    QCOMPARE(main->Settings().loginCode, std::string());
  }
};

QTEST_MAIN(LoginFormTest)
#include "login_form_test.moc"
