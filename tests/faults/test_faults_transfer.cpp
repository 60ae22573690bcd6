#include <memory>

#include "FaultFixture.h"
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>

#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

// Transfers that break: a connection reset in the middle of a body, a server that
// stops answering, a connection closed at once, a 500 answer. The user sees one
// message, what was saved before stays whole, and the window goes on working.
class TestFaultsTransfer : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void documentTransferFails_data();
    void documentTransferFails();
    void pageTransferFails_data();
    void pageTransferFails();
    void userStopsTransfer_data();
    void userStopsTransfer();
};

namespace {

// Short, so a stalled answer ends the test soon; long enough for a loaded machine
// to answer every page that does come.
constexpr int TimeoutMs = 1500;

PracticeResponse Broken(const QString &mode, const QByteArray &body)
{
    PracticeResponse response;
    response.contentType = "application/pdf";
    response.body = body;
    if (mode == u"reset"_s) {
        response.mode = PracticeResponse::Mode::ResetMidBody;
    } else if (mode == u"stall"_s) {
        response.mode = PracticeResponse::Mode::NeverAnswer;
    } else if (mode == u"close"_s) {
        response.mode = PracticeResponse::Mode::CloseAtOnce;
    } else {
        response.status = 500;
        response.reason = "Internal Server Error";
        response.contentType = "text/html; charset=EUC-JP";
        response.body = ToEuc(u"<html><body>サーバーエラー</body></html>"_s);
    }
    return response;
}

// The user's answer to "通信中": as soon as it shows `fetching`, "中止" or Esc.
class TransferStopper {
public:
    TransferStopper(QString fetching, bool escape)
    {
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this, fetching, escape] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                auto *label = window->findChild<QLabel *>(u"Label1"_s);
                if (window->objectName() != u"frmTransfer"_s || !window->isVisible() || !label
                    || label->text() != fetching)
                    continue;
                m_poll.stop();
                modality = window->windowModality();
                owner = window->parentWidget() ? window->parentWidget()->windowTitle() : QString();
                if (escape)
                    QTest::keyClick(window, Qt::Key_Escape);
                else
                    QTest::mouseClick(window->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
                stopped = true;
            }
        });
        m_poll.start(5);
    }

    bool stopped = false;
    Qt::WindowModality modality = Qt::NonModal;
    QString owner; // the title of the window it is modal to

private:
    QTimer m_poll;
};

void Search(QWidget *form, const QString &text)
{
    retype(child<QLineEdit>(form, "Text1"), text);
    click(form, u"Command1"_s);
}

} // namespace

void TestFaultsTransfer::documentTransferFails_data()
{
    QTest::addColumn<QString>("window"); // Form1 (文書表示), Form6 (改訂指示履歴), Form3 (文書表示)
    addColumns<QString, int>("search", "row");
    QTest::addColumn<QByteArray>("failing");      // the document's path on the service
    QTest::addColumn<QString>("failingFile");     // where it goes in the library
    QTest::addColumn<QStringList>("savedBefore"); // fetched before it in the same command
    QTest::addColumn<QString>("mode");

    for (const QString &mode : {u"reset"_s, u"stall"_s, u"close"_s, u"500"_s}) {
        // the guide comes first, then the insert, which fails
        QTest::addRow("prescription insert, %s", qPrintable(mode))
            << u"Form1"_s << u"ハイバリン"_s << 1 << QByteArray("/downfiles/ph/PDF/2.pdf")
            << u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s
            << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s} << mode;
        QTest::addRow("revision entry, %s", qPrintable(mode))
            << u"Form6"_s << u"トリノキサン"_s << 0 << QByteArray("/revision/6/1.pdf")
            << u"医薬品情報/［改訂指示］/トリノキサン錠：2023年04月　改訂.pdf"_s << QStringList() << mode;
        QTest::addRow("OTC document, %s", qPrintable(mode))
            << u"Form3"_s << u"ハルカゼ顆粒"_s << 0 << QByteArray("/downfiles/otc/PDF/o0001.pdf")
            << u"医薬品情報/［一般用］/ハルカゼ顆粒青葉製薬.pdf"_s << QStringList() << mode;
    }
}

void TestFaultsTransfer::documentTransferFails()
{
    QFETCH(QString, window);
    QFETCH(QString, search);
    QFETCH(int, row);
    QFETCH(QByteArray, failing);
    QFETCH(QString, failingFile);
    QFETCH(QStringList, savedBefore);
    QFETCH(QString, mode);
    FaultFixture f;
    f.state.TransferTimeoutMs = TimeoutMs;
    auto faulty = std::make_shared<bool>(true);
    f.server.Route(failing, [faulty, mode](const PracticeRequest &) {
        const QByteArray pdf = PracticePdf(u"新しい版"_s, 30000);
        return *faulty ? Broken(mode, pdf) : PracticeResponse{200, "OK", "application/pdf", {}, pdf};
    });
    const QByteArray earlier = PracticePdf(u"earlier copy"_s, 100);
    QVERIFY(writeBytes(f.inLibrary(failingFile), earlier));
    QVERIFY(writeBytes(f.state.AppPath + u"/医療用医薬品情報.txt"_s, "earlier memo\r\n"));

    std::unique_ptr<QWidget> form = openSearchWindow(f, window == u"Form3"_s ? window : u"Form1"_s);
    Search(form.get(), search);
    auto *list = child<QListWidget>(*form, "List1");
    QTRY_VERIFY(list->count() > row);
    clickRow(list, row);

    const auto download = [&] { startDownload(f, form.get(), window); };
    QMap<QString, QByteArray> before = f.files();
    download();
    if (window != u"Form3"_s)
        QTRY_COMPARE(f.dialogsSeen, 1);

    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"通信エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QVERIFY(!f.desktop.messages.first().waitCursor);
    QVERIFY(!f.desktop.messages.first().text.isEmpty());
    QStringList opened;
    for (const QString &file : savedBefore)
        opened.append(f.inLibrary(file));
    QCOMPARE(f.desktop.opened, opened);
    // Only what was saved before the failure is new; everything else keeps its bytes.
    QMap<QString, QByteArray> after = f.files();
    for (const QString &file : savedBefore) {
        const QByteArray saved = after.take(QDir(f.root.path()).relativeFilePath(f.inLibrary(file)));
        QVERIFY2(saved.startsWith("%PDF-") && saved.endsWith("%%EOF\n"), qPrintable(file));
        before.remove(QDir(f.root.path()).relativeFilePath(f.inLibrary(file)));
    }
    QCOMPARE(after, before);
    QCOMPARE(readBytes(f.inLibrary(failingFile)), earlier);

    // The service mended, the same command brings the document.
    *faulty = false;
    f.desktop.opened.clear();
    f.dialogsSeen = 0;
    download();
    QTRY_VERIFY(f.desktop.opened.contains(f.inLibrary(failingFile)));
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(readBytes(f.inLibrary(failingFile)), PracticePdf(u"新しい版"_s, 30000));
}

void TestFaultsTransfer::pageTransferFails_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("command"); // Command1 (a new search) or Command2 (文書表示)
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("title"); // what the user is told
    QTest::addColumn<QString>("text");  // empty: the transfer's own description
    QTest::addColumn<bool>("listKept");

    for (const QString &mode : {u"reset"_s, u"stall"_s, u"close"_s}) {
        QTest::addRow("prescription search, %s", qPrintable(mode))
            << u"Form1"_s << u"Command1"_s << mode << u"通信エラー"_s << QString() << true;
        QTest::addRow("prescription hit page, %s", qPrintable(mode))
            << u"Form1"_s << u"Command2"_s << mode << u"通信エラー"_s << QString() << true;
        QTest::addRow("OTC search, %s", qPrintable(mode))
            << u"Form3"_s << u"Command1"_s << mode << u"通信エラー"_s << QString() << true;
    }
    // A server's error page is no result page: the service failed, the drug is not missing.
    const QString failed = u"サーバーがエラーを返しました（HTTP 500）。サーバー内部でエラーが起きました。"_s;
    QTest::newRow("prescription search, 500")
        << u"Form1"_s << u"Command1"_s << u"500"_s << u"通信エラー"_s << failed << true;
    QTest::newRow("prescription hit page, 500")
        << u"Form1"_s << u"Command2"_s << u"500"_s << u"通信エラー"_s << failed << true;
    QTest::newRow("OTC search, 500") << u"Form3"_s << u"Command1"_s << u"500"_s << u"通信エラー"_s << failed << true;
}

void TestFaultsTransfer::pageTransferFails()
{
    QFETCH(QString, window);
    QFETCH(QString, command);
    QFETCH(QString, mode);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, listKept);
    FaultFixture f;
    f.state.TransferTimeoutMs = TimeoutMs;
    PracticeServer broken; // every address of it fails the same way
    broken.RoutePrefix("/", [mode](const PracticeRequest &) { return Broken(mode, PracticePdf(u"x"_s, 4000)); });
    QVERIFY(broken.Listen());
    QVERIFY(writeBytes(f.inLibrary(u"医薬品情報/［医療用］/ハイバリン錠10mg.pdf"_s), PracticePdf(u"earlier"_s, 10)));

    std::unique_ptr<QWidget> form = openSearchWindow(f, window);
    auto *list = child<QListWidget>(*form, "List1");
    Search(form.get(), window == u"Form3"_s ? u"ハルカゼ"_s : u"ハイバリン"_s);
    QTRY_VERIFY(list->count() > 0);
    clickRow(list, 0);
    const QStringList shown = texts(list);
    const QMap<QString, QByteArray> before = f.files();
    const QByteArray scratch = readBytes(f.state.WorkPath + u"/Temp.txt"_s);

    f.state.ServiceBase = broken.BaseUrl();
    click(form.get(), command);

    // A connection closed before any answer is asked once more by the HTTP client, as
    // for a dropped kept-alive connection; nothing else is asked.
    QCOMPARE(broken.Requests().size(), mode == u"close"_s ? 2 : 1);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, title);
    QVERIFY(!f.desktop.messages.first().waitCursor);
    if (title == u"通信エラー"_s) {
        QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
        QVERIFY(!f.desktop.messages.first().text.isEmpty());
        QCOMPARE(readBytes(f.state.WorkPath + u"/Temp.txt"_s), scratch); // nothing arrived to keep
    }
    if (!text.isEmpty())
        QCOMPARE(f.desktop.messages.first().text, text);
    QCOMPARE(texts(list), listKept ? shown : QStringList());
    QCOMPARE(f.desktop.opened, QStringList());
    QCOMPARE(f.files(), before);

    // The service back, the window answers as before.
    f.state.ServiceBase = f.server.BaseUrl();
    f.desktop.messages.clear();
    Search(form.get(), window == u"Form3"_s ? u"ハルカゼ"_s : u"ハイバリン"_s);
    QTRY_COMPARE(texts(list), shown);
    QCOMPARE(f.desktop.messages.size(), 0);
}

void TestFaultsTransfer::userStopsTransfer_data()
{
    QTest::addColumn<QString>("window"); // as in documentTransferFails; "Form1 search"/"Form3 search" search again
    addColumns<QString, int>("search", "row");
    QTest::addColumn<QByteArray>("stalled"); // the document that never comes
    addColumns<QString, QStringList>("stalledFile", "savedBefore");
    QTest::addColumn<QString>("fetching"); // what "通信中" says
    QTest::addColumn<bool>("escape");      // Esc, else "中止"

    QTest::newRow("prescription search, 中止") << u"Form1 search"_s << u"ハイバリン"_s << 0 << QByteArray() << QString()
                                               << QStringList() << u"検索しています"_s << false;
    QTest::newRow("OTC search, Esc") << u"Form3 search"_s << u"ハルカゼ"_s << 0 << QByteArray() << QString()
                                     << QStringList() << u"検索しています"_s << true;
    QTest::newRow("prescription insert, 中止")
        << u"Form1"_s << u"ハイバリン"_s << 1 << QByteArray("/downfiles/ph/PDF/2.pdf")
        << u"医薬品情報/［医療用］/ハイバリン錠20mg.pdf"_s
        << QStringList{u"医薬品情報/［患者向け］/ハイバリン錠20mg.pdf"_s}
        << u"添付文書を取得しています：ハイバリン錠20mg"_s << false;
    QTest::newRow("revision entry, Esc") << u"Form6"_s << u"トリノキサン"_s << 0 << QByteArray("/revision/6/1.pdf")
                                         << u"医薬品情報/［改訂指示］/トリノキサン錠：2023年04月　改訂.pdf"_s
                                         << QStringList()
                                         << u"改訂指示の文書を取得しています：トリノキサン錠：2023年04月　改訂"_s
                                         << true;
    QTest::newRow("OTC document, 中止") << u"Form3"_s << u"ハルカゼ顆粒"_s << 0
                                        << QByteArray("/downfiles/otc/PDF/o0001.pdf")
                                        << u"医薬品情報/［一般用］/ハルカゼ顆粒青葉製薬.pdf"_s << QStringList()
                                        << u"添付文書を取得しています：ハルカゼ顆粒青葉製薬"_s << false;
}

// A stalled transfer stopped by the user ends the command as a failure would, but
// without a message, and long before the time-out.
void TestFaultsTransfer::userStopsTransfer()
{
    QFETCH(QString, window);
    QFETCH(QString, search);
    QFETCH(int, row);
    QFETCH(QByteArray, stalled);
    QFETCH(QString, stalledFile);
    QFETCH(QStringList, savedBefore);
    QFETCH(QString, fetching);
    QFETCH(bool, escape);
    FaultFixture f;
    f.state.ProgressDelayMs = 0; // up at once, however fast the machine
    auto stalling = std::make_shared<bool>(true);
    const auto stall = [stalling](const QByteArray &pdf) {
        return *stalling ? Broken(u"stall"_s, pdf) : PracticeResponse{200, "OK", "application/pdf", {}, pdf};
    };
    if (!stalled.isEmpty())
        f.server.Route(stalled, [stall](const PracticeRequest &) { return stall(PracticePdf(u"新しい版"_s, 3000)); });
    PracticeServer broken; // every search of it stalls
    broken.RoutePrefix("/", [stall](const PracticeRequest &) { return stall({}); });
    QVERIFY(broken.Listen());
    const QByteArray earlier = PracticePdf(u"earlier copy"_s, 100);
    if (!stalledFile.isEmpty())
        QVERIFY(writeBytes(f.inLibrary(stalledFile), earlier));

    std::unique_ptr<QWidget> form = openSearchWindow(f, window.left(5));
    Search(form.get(), search);
    auto *list = form->findChild<QListWidget *>(u"List1"_s);
    QTRY_VERIFY(list->count() > row);
    clickRow(list, row);
    const QStringList shown = texts(list);

    QElapsedTimer took;
    took.start();
    const QMap<QString, QByteArray> before = f.files();
    TransferStopper stopper(fetching, escape);
    if (window.endsWith(u"search"_s)) {
        f.state.ServiceBase = broken.BaseUrl();
        click(form.get(), u"Command1"_s);
    } else {
        startDownload(f, form.get(), window);
    }
    QTRY_VERIFY(stopper.stopped);
    if (window != u"Form3"_s && !window.endsWith(u"search"_s))
        QTRY_COMPARE(f.dialogsSeen, 1);
    QVERIFY(took.elapsed() < f.state.TransferTimeoutMs);
    QCOMPARE(stopper.modality, Qt::WindowModal);
    QCOMPARE(stopper.owner, window == u"Form6"_s ? u"改訂指示反映履歴"_s : form->windowTitle());

    QCOMPARE(f.desktop.messages.size(), 0);
    QStringList opened;
    for (const QString &file : savedBefore)
        opened.append(f.inLibrary(file));
    QCOMPARE(f.desktop.opened, opened);
    QMap<QString, QByteArray> after = f.files();
    for (const QString &file : savedBefore)
        after.remove(QDir(f.root.path()).relativeFilePath(f.inLibrary(file)));
    QCOMPARE(after, before); // nothing partial, the earlier copy whole
    QCOMPARE(texts(list), shown);
    QVERIFY(!static_cast<WorkingWindow *>(form.get())->guard().busy());
    for (QWidget *top : QApplication::topLevelWidgets())
        QVERIFY(top->objectName() != u"frmTransfer"_s || !top->isVisible());

    // The service answering again, the same command goes through.
    *stalling = false;
    f.desktop.opened.clear();
    f.dialogsSeen = 0;
    if (window.endsWith(u"search"_s)) {
        f.state.ServiceBase = f.server.BaseUrl();
        Search(form.get(), search);
        QTRY_COMPARE(texts(list), shown);
    } else if (window == u"Form3"_s) {
        click(form.get(), u"Command4"_s);
        QTRY_VERIFY(f.desktop.opened.contains(f.inLibrary(stalledFile)));
    }
    QCOMPARE(f.desktop.messages.size(), 0);
}

QTEST_MAIN(TestFaultsTransfer)
#include "test_faults_transfer.moc"
