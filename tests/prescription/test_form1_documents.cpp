#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "DocumentsFixture.h"
#include "prescription/Form1.h"
#include "shell/Appearance.h"
#include "support/TestData.h"

// The whole road of the prescription window: search, pick a hit, ask for its
// documents or its revision history, and find the files in the library.
class TestForm1Documents : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ApplyAppearance(*qApp); }
    void searchSelectAndDownload_data();
    void searchSelectAndDownload();
};

void TestForm1Documents::searchSelectAndDownload_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("command"); // a button, or "double-click" / "Enter" on the hit
    QTest::addColumn<QStringList>("files"); // opened, in order

    QTest::newRow("文書表示: guide, then insert")
        << u"ハイバリン"_s << 1 << u"Command2"_s
        << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s, u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s};
    QTest::newRow("double-click on the hit does 文書表示")
        << u"ハイバリン"_s << 1 << u"double-click"_s
        << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s, u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s};
    QTest::newRow("Enter on the hit does 文書表示")
        << u"ハイバリン"_s << 1 << u"Enter"_s
        << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s, u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s};
    QTest::newRow("改訂指示履歴: first entry")
        << u"トリノキサン"_s << 0 << u"Command6"_s
        << QStringList{u"医薬品情報/［改訂指示］/トリノキサン錠：2023年04月　改訂.pdf"_s};
}

void TestForm1Documents::searchSelectAndDownload()
{
    QFETCH(QString, typed);
    QFETCH(int, row);
    QFETCH(QString, command);
    QFETCH(QStringList, files);
    DocumentsFixture f;
    AddPrescriptionRoutes(f.server);
    QDir(f.root.path()).mkpath(u"app"_s);
    f.state.AppPath = f.root.path() + u"/app"_s;
    for (const char *name : {"effect.param", "item.param", "count.param"})
        QFile::copy(QStringLiteral(HIBARI_SOURCE_DIR "/data/") + QLatin1StringView(name),
                    f.state.AppPath + u'/' + QLatin1StringView(name));

    Form1 window(f.context);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *text1 = window.findChild<QLineEdit *>(u"Text1"_s);
    text1->setFocus();
    QInputMethodEvent typing; // Japanese comes committed from the input method
    typing.setCommitString(typed);
    QCoreApplication::sendEvent(text1, &typing);
    QTest::mouseClick(window.findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
    auto *list = window.findChild<QListWidget *>(u"List1"_s);
    QTRY_VERIFY(list->count() > row);
    ClickRow(list, row);

    f.OnModal([&](QDialog *dialog) {
        if (command == u"Command6"_s) {
            ClickRow(dialog->findChild<QListWidget *>(u"List1"_s), 0);
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command2"_s), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
        } else {
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
        }
    });
    if (command == u"double-click"_s)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    else if (command == u"Enter"_s)
        QTest::keyClick(list, Qt::Key_Return);
    else
        QTest::mouseClick(window.findChild<QPushButton *>(command), Qt::LeftButton);

    QTRY_COMPARE(f.dialogsSeen, 1);
    QStringList opened;
    for (const QString &file : files)
        opened.append(f.InLibrary(file));
    QTRY_COMPARE(f.desktop.opened, opened);
    for (const QString &path : opened) {
        const QByteArray bytes = ReadBytes(path);
        QVERIFY2(bytes.startsWith("%PDF-") && bytes.endsWith("%%EOF\n"), qPrintable(path));
    }
    QCOMPARE(f.desktop.messages.size(), 0);
}

QTEST_MAIN(TestForm1Documents)
#include "test_form1_documents.moc"
