#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "library/Form5.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

class TestForm5 : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void enterRenames_data();
    void enterRenames();
};

namespace {

// The dialog over a document in the otherwise empty working folder.
struct Fixture : ProgramFixture {
    Form5 dialog{context, state.WorkPath, u"重篤副作用疾患別対応マニュアル（長い名前の文書）.pdf"_s,
                 u"重篤副作用疾患別対応マニュアル（長い名前の文書）"_s};
};

} // namespace

void TestForm5::layout_data()
{
    layoutRows({
        {u"Label2", u"現在の名前", {60, 120, 1785, 300}, u"rgb(192,255,255)"},
        {u"Label1", u"重篤副作用疾患別対応マニュアル（長い名前の文書）.pdf", {60, 420, 8295, 720}},
        {u"Label3", u"変更後の名前", {60, 1260, 1785, 300}, u"rgb(192,255,255)"},
        {u"Text1", u"重篤副作用疾患別対応マニュアル（長い名前の文書）", {60, 1560, 8295, 720}},
        {u"Command1", u"変更する", {4200, 2460, 1695, 375}, u"rgb(255,255,128)"},
        {u"Command2", u"変更しない", {6300, 2460, 1695, 375}},
    });
}

void TestForm5::layout()
{
    Fixture f;
    checkLayout(f.dialog, u"ファイル名の変更"_s, {8430, 2940});
}

void TestForm5::cancelChangesNothing_data()
{
    boolRows("closeBox", {{"変更しない", false}, {"close box", true}});
}

void TestForm5::cancelChangesNothing()
{
    QFETCH(bool, closeBox);
    Fixture f;
    const QString path = QDir(f.state.WorkPath).filePath(u"重篤副作用疾患別対応マニュアル（長い名前の文書）.pdf"_s);
    QVERIFY(writeBytes(path, "%PDF"));
    f.dialog.show();
    auto *text = child<QLineEdit>(f.dialog, "Text1");
    text->setText(u"B"_s);
    if (closeBox)
        f.dialog.close();
    else
        click(f.dialog, "Command2");
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(readBytes(path), QByteArray("%PDF"));
    QCOMPARE(QDir(f.state.WorkPath).entryList(QDir::Files).size(), 1);
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestForm5::enterRenames_data()
{
    addColumns<QString, QString>("typed", "refusal"); // refusal: a word of the message; empty: renamed
    QTest::newRow("a new name") << u"B"_s << QString();
    QTest::newRow("empty") << QString() << u"空です"_s;
    QTest::newRow("three spaces") << u"   "_s << u"空です"_s;
    QTest::newRow("hidden") << u".B"_s << u"「.」"_s;
}

// Enter in the name runs "変更する"; a name the list could not show is refused with its
// reason, and the dialog stays open with what was typed.
void TestForm5::enterRenames()
{
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    Fixture f;
    const QString name = u"重篤副作用疾患別対応マニュアル（長い名前の文書）.pdf"_s;
    QVERIFY(writeBytes(QDir(f.state.WorkPath).filePath(name), "%PDF"));
    QVERIFY(exposed(f.dialog));
    auto *text = child<QLineEdit>(f.dialog, "Text1");
    text->setFocus();
    retype(text, typed);
    QTest::keyClick(text, Qt::Key_Return);
    const QStringList files = QDir(f.state.WorkPath).entryList(QDir::Files | QDir::Hidden);
    if (refusal.isEmpty()) {
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(files, QStringList{typed + u".pdf"_s});
        QVERIFY(f.desktop.messages.isEmpty());
        return;
    }
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"ファイル名変更エラー"_s);
    QVERIFY2(f.desktop.messages.first().text.contains(refusal), qPrintable(f.desktop.messages.first().text));
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(text->text(), typed);
    QCOMPARE(files, QStringList{name});

    // Tabbed to, the default button shows that it has the focus.
    auto *command1 = child<QPushButton>(f.dialog, "Command1");
    f.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
    const QImage unfocused = command1->grab().toImage();
    command1->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(command1->hasFocus());
    QVERIFY(command1->grab().toImage() != unfocused);
}

QTEST_MAIN(TestForm5)
#include "test_Form5.moc"
