// The remote login window's OK rules: in list mode only a data row with a whole
// number as serial closes it, by OK, Enter or double-click; showing it forgets the
// pre-selection; in login mode OK always closes, and the password field empties.
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/link/TRemoteLoginForm.h"

using namespace vorel;

class RemoteLoginFormTest : public QObject {
  Q_OBJECT

 private slots:
  void okNeedsARowWithANumber() {
    const struct {
      const char* name;
      int row;
      bool byEnter;
      bool closes;
      const char* serial;
    } cases[] = {
        {"first system", 0, false, true, "4200"},
        {"second system by Enter", 1, true, true, "4201"},
        {"a serial that is not a number", 2, false, false, ""},
        {"no row", -1, false, false, ""},
    };
    for (const auto& c : cases) {
      TRemoteLoginForm form;
      form.ClearSystemList();
      form.AddSystem({"4200", "North", "-", "10.0.0.1"});
      form.AddSystem({"4201", "South", "-", "10.0.0.2"});
      form.AddSystem({"x1", "Odd", "-", "10.0.0.3"});
      QCOMPARE(form.SystemCount(), 3);
      QCOMPARE(form.SelectedSerial(), std::string("4200"));  // pre-selected, until shown
      auto* grid = test::Find<QTableWidget>(&form, "SystemsStringGrid");
      QTimer::singleShot(0, [&] {
        QCOMPARE(form.SelectedSerial(), std::string());
        grid->setCurrentCell(c.row, 0);
        if (c.byEnter) {
          QTest::keyClick(grid, Qt::Key_Return);
        } else {
          test::Find<QPushButton>(&form, "OKbtn")->click();
        }
        if (form.isVisible()) form.CancelBtnClick();
      });
      form.ShowModal(TRemoteLoginForm::Mode::kList);
      QVERIFY2(form.Confirmed() == c.closes, c.name);
      QCOMPARE(form.SelectedSerial(), std::string(c.serial));
    }
  }

  void loginAlwaysClosesAndForgetsThePassword() {
    TRemoteLoginForm form;
    // After the list the login fields take their own size again, not the list's.
    QTimer::singleShot(0, [&] { form.reject(); });
    form.ShowModal(TRemoteLoginForm::Mode::kList);
    QTimer::singleShot(0, [&] {
      QVERIFY(form.height() <= 200);
      QVERIFY(form.width() < 500);
      test::SaveScreenshot(&form, "remote_login");
      QVERIFY(!test::Find<QTableWidget>(&form, "SystemsStringGrid")->isVisible());
      QCOMPARE(test::Find<QLineEdit>(&form, "PasswordEdit")->echoMode(), QLineEdit::Password);
      test::Find<QLineEdit>(&form, "PasswordEdit")->setText("secret");
      test::Find<QPushButton>(&form, "OKbtn")->click();
    });
    form.ShowModal(TRemoteLoginForm::Mode::kLogin);
    QVERIFY(form.Confirmed());
    const std::optional<GatewayLogin> login = form.TakeLogin();
    QVERIFY(login);
    QCOMPARE(login->password, std::string("secret"));
    QVERIFY(test::Find<QLineEdit>(&form, "PasswordEdit")->text().isEmpty());
    QVERIFY(!form.TakeLogin());
  }
};

QTEST_MAIN(RemoteLoginFormTest)
#include "remote_login_form_test.moc"
