#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "prescription/Form1.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// The whole road of the prescription window: search, pick a hit, ask for its
// documents or its revision history, and find the files in the library.
class TestForm1Documents : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void searchSelectAndDownload_data();
    void searchSelectAndDownload();
};

void TestForm1Documents::searchSelectAndDownload_data()
{
    addColumns<QString, int, QString>("typed", "row",
                                      "command"); // command: a button, or "double-click" / "Enter" on the hit
    QTest::addColumn<QStringList>("files");       // opened, in order
    QTest::addColumn<bool>("tls");                // the service over https

    for (const bool tls : {false, true}) {
        const char *over = tls ? " over https" : "";
        QTest::addRow("文書表示: guide, then insert%s", over)
            << u"ハイバリン"_s << 1 << u"Command2"_s
            << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s,
                           u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s}
            << tls;
        QTest::addRow("改訂指示履歴: first entry%s", over)
            << u"トリノキサン"_s << 0 << u"Command6"_s
            << QStringList{u"医薬品情報/［改訂指示］/トリノキサン錠：2023年04月　改訂.pdf"_s} << tls;
    }
    QTest::newRow("double-click on the hit does 文書表示")
        << u"ハイバリン"_s << 1 << u"double-click"_s
        << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s,
                       u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s}
        << false;
    QTest::newRow("Enter on the hit does 文書表示") << u"ハイバリン"_s << 1 << u"Enter"_s
                                                    << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s,
                                                                   u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s}
                                                    << false;
}

void TestForm1Documents::searchSelectAndDownload()
{
    QFETCH(QString, typed);
    QFETCH(int, row);
    QFETCH(QString, command);
    QFETCH(QStringList, files);
    QFETCH(bool, tls);
    ProgramFixture f;
    qunsetenv("SSL_CERT_FILE");
    if (tls) {
        QVERIFY(f.server.UseTls(testTlsFile("server.pem"), testTlsFile("server.key")));
        qputenv("SSL_CERT_FILE", testTlsFile("ca.pem").toLocal8Bit());
        f.state.ServiceBase = f.server.BaseUrl();
    }
    Form1 window(f.context);
    QVERIFY(exposed(window));
    typeText(child<QLineEdit>(window, "Text1"), typed);
    click(window, "Command1");
    auto *list = child<QListWidget>(window, "List1");
    QTRY_VERIFY(list->count() > row);
    clickRow(list, row);

    f.onModal([&](QDialog *dialog) {
        if (command == u"Command6"_s) {
            clickRow(child<QListWidget>(dialog, "List1"), 0);
            click(dialog, "Command2");
        }
        click(dialog, "Command1");
    });
    if (command == u"double-click"_s)
        doubleClickRow(list, row);
    else if (command == u"Enter"_s)
        QTest::keyClick(list, Qt::Key_Return);
    else
        click(window, command);

    QTRY_COMPARE(f.dialogsSeen, 1);
    QStringList opened;
    for (const QString &file : files)
        opened.append(f.inLibrary(file));
    QTRY_COMPARE(f.desktop.opened, opened);
    for (const QString &path : opened) {
        const QByteArray bytes = readBytes(path);
        QVERIFY2(bytes.startsWith("%PDF-") && bytes.endsWith("%%EOF\n"), qPrintable(path));
    }
    QCOMPARE(f.desktop.messages.size(), 0);
    for (const PracticeRequest &request : f.server.Requests())
        QCOMPARE(request.secure, tls);
}

QTEST_MAIN(TestForm1Documents)
#include "test_form1_documents.moc"
