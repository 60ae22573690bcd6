#include <csignal>

#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "shell/Desktop.h"
#include "shell/UserAttention.h"
#include "support/TestData.h"
#include "support/UserActions.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// The program's own desktop seam, with a stand-in xdg-open first on PATH.
class TestDesktop : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void openDocument_data();
    void openDocument();
    void viewerOutlivesTheProgram();
    void failuresToldOnceAfterTheCommand_data();
    void failuresToldOnceAfterTheCommand();
};

namespace {

// Puts a stand-in xdg-open into `bin` that notes its argument, then runs `lastLine`.
bool installOpener(const QTemporaryDir &bin, const QString &lastLine)
{
    const QString script = bin.path() + u"/xdg-open"_s;
    return writeBytes(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.arg\"\n" + lastLine.toUtf8() + '\n')
           && QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

void TestDesktop::openDocument_data()
{
    QTest::addColumn<QString>("opener"); // the stand-in's last line; empty: no xdg-open at all
    QTest::addColumn<bool>("told");

    QTest::newRow("opened: nothing shown") << u"exit 0"_s << false;
    QTest::newRow("no application for the file") << u"exit 3"_s << true;
    QTest::newRow("opener killed") << u"kill -9 $$"_s << true;
    QTest::newRow("no opener installed") << QString() << true;
}

void TestDesktop::openDocument()
{
    QFETCH(QString, opener);
    QFETCH(bool, told);
    QTemporaryDir bin, documents;
    const QString document = documents.path() + u"/ハイバリン錠10mg.pdf"_s;
    QVERIFY(writeBytes(document, "%PDF-1.4\n%%EOF\n"));
    if (!opener.isEmpty())
        QVERIFY(installOpener(bin, opener));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));

    QtDesktop desktop;
    ModalDriver driver;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextInteractionFlags flags;
    driver.onModal([&](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        flags = box->textInteractionFlags();
        box->accept();
    });
    desktop.openDocument(nullptr, document);
    qputenv("PATH", path);
    QTRY_VERIFY(qApp->findChildren<QProcess *>().isEmpty());

    QTRY_COMPARE(driver.dialogsSeen, told ? 1 : 0);
    if (told) {
        QCOMPARE(title, u"文書を開けません"_s);
        QCOMPARE(icon, QMessageBox::Warning);
        QVERIFY2(text.endsWith(u'\n' + document), qPrintable(text));
        QVERIFY(flags & Qt::TextSelectableByMouse); // the path can be copied
        // said alike of a download and of the manual, which nobody saved
        QVERIFY2(!text.contains(u"保存"_s), qPrintable(text));
    }
    if (!opener.isEmpty())
        QCOMPARE(QString::fromUtf8(readBytes(bin.path() + u"/xdg-open.arg"_s)), document);
    QVERIFY(QFile::exists(document));
}

// Where xdg-open keeps the viewer in the foreground, the viewer stays open when the
// program ends.
void TestDesktop::viewerOutlivesTheProgram()
{
    QTemporaryDir bin;
    QVERIFY(installOpener(bin, u"echo $$ > \"$0.pid\"; exec sleep 60"_s));
    const QString pidFile = bin.path() + u"/xdg-open.pid"_s;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin"); // the stand-in needs sleep
    {
        QtDesktop desktop;
        desktop.openDocument(nullptr, bin.path() + u"/文書.pdf"_s);
        QTRY_VERIFY(readBytes(pidFile).endsWith('\n'));
    }
    qputenv("PATH", path);
    // what the application's end does to the objects it still owns
    qDeleteAll(qApp->findChildren<QProcess *>(Qt::FindDirectChildrenOnly));

    const pid_t viewer = pid_t(readBytes(pidFile).trimmed().toInt());
    QVERIFY(viewer > 0);
    QCOMPARE(::kill(viewer, 0), 0); // still running
    ::kill(viewer, SIGTERM);
}

void TestDesktop::failuresToldOnceAfterTheCommand_data()
{
    QTest::addColumn<QString>("opener"); // the stand-in's last line
    QTest::addColumn<int>("failing");    // how many of the three documents it cannot open
    QTest::newRow("all three fail") << u"exit 3"_s << 3;
    QTest::newRow("the second fails") << u"case \"$1\" in *2.pdf) exit 3;; esac; exit 0"_s << 1;
    QTest::newRow("none fails") << u"exit 0"_s << 0;
}

// The documents of a command are handed to the desktop one after another; the ones it
// cannot open are told in one box, with their full paths, once the command has ended.
void TestDesktop::failuresToldOnceAfterTheCommand()
{
    QFETCH(QString, opener);
    QFETCH(int, failing);
    QTemporaryDir bin, documents;
    QVERIFY(installOpener(bin, opener));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin");

    QtDesktop desktop;
    ModalDriver driver;
    QString title, text;
    driver.onModal([&](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    QStringList files;
    {
        const UserAttention::Command command;
        for (int i = 1; i <= 3; ++i) {
            files.append(documents.path() + u"/添付文書%1.pdf"_s.arg(i));
            desktop.openDocument(nullptr, files.last());
        }
        QTRY_VERIFY(qApp->findChildren<QProcess *>().isEmpty()); // every opener has ended
        QTest::qWait(20);
        QCOMPARE(driver.dialogsSeen, 0); // nothing while the command is at work
    }
    qputenv("PATH", path);
    if (failing == 0) {
        QTest::qWait(50);
        QCOMPARE(driver.dialogsSeen, 0);
        return;
    }
    QTRY_COMPARE(driver.dialogsSeen, 1);
    QCOMPARE(title, u"文書を開けません"_s);
    // the paths close the text, one a line, in the order the openers failed
    const QStringList unopened = failing == 3 ? files : QStringList{files[1]};
    QStringList told = text.split(u'\n').mid(text.count(u'\n') + 1 - unopened.size());
    told.sort();
    QCOMPARE(told, unopened);
    QTest::qWait(50);
    QCOMPARE(driver.dialogsSeen, 1);
}

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
