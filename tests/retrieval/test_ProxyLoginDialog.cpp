#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "shell/Desktop.h"
#include "support/UserActions.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

// The real "プロキシ認証" dialog as the program asks it, answered from the keyboard.
class TestProxyLoginDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keyboard_data();
    void keyboard();
};

void TestProxyLoginDialog::keyboard_data()
{
    addColumns<bool, int, bool>("refused", "key", "answered");

    QTest::newRow("Enter confirms") << false << int(Qt::Key_Return) << true;
    QTest::newRow("Enter confirms after a refusal") << true << int(Qt::Key_Enter) << true;
    QTest::newRow("Esc cancels") << false << int(Qt::Key_Escape) << false;
}

// The user name has the focus, the password is hidden, Tab goes from one to the other.
void TestProxyLoginDialog::keyboard()
{
    QFETCH(bool, refused);
    QFETCH(int, key);
    QFETCH(bool, answered);
    QtDesktop desktop;
    QWidget owner;
    ModalDriver driver;
    QString title;
    QString message;
    bool userFocused = false;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    driver.onModal([&](QDialog *dialog) {
        title = dialog->windowTitle();
        message = child<QLabel>(dialog, "labelMessage")->text();
        auto *user = child<QLineEdit>(dialog, "textUser");
        auto *password = child<QLineEdit>(dialog, "textPassword");
        QTRY_VERIFY(dialog->focusWidget());
        userFocused = dialog->focusWidget() == user;
        echo = password->echoMode();
        typeText(user, u"hibari"_s);
        QTest::keyClick(user, Qt::Key_Tab);
        typeText(dialog->focusWidget(), u"s3cret"_s);
        QTest::keyClick(dialog->focusWidget(), Qt::Key(key));
    });

    const std::optional<ProxyCredentials> login = desktop.askProxyCredentials(&owner, u"proxy.example:8080"_s, refused);

    QCOMPARE(driver.dialogsSeen, 1);
    QCOMPARE(title, u"プロキシ認証"_s);
    QVERIFY(message.contains(u"proxy.example:8080"_s));
    QCOMPARE(message.contains(u"受け付けませんでした"_s), refused);
    QVERIFY(userFocused);
    QCOMPARE(echo, QLineEdit::Password);
    QCOMPARE(login.has_value(), answered);
    if (answered) {
        QCOMPARE(login->user, u"hibari"_s);
        QCOMPARE(login->password, u"s3cret"_s);
    }
}

QTEST_MAIN(TestProxyLoginDialog)
#include "test_ProxyLoginDialog.moc"
