#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "retrieval/Fetch.h"
#include "shell/WorkingWindow.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// A window runs one command at a time: input that arrives while its fetch runs is
// dropped, never run once the command is over.
class TestFetchGuard : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void secondClickDuringFetch_data();
    void secondClickDuringFetch();
};

namespace {

enum class Step { PageWithYield, PageWithoutYield, Document };
enum class Input {
    KeysDuringTransfer,  // queued while the server thinks
    ClickDuringTransfer, // delivered at once while the server thinks
    KeysPendingAtEnd,    // still queued when the command's last step is over
};

// A working window whose one command fetches the way the search windows do.
class FetchingWindow : public WorkingWindow {
public:
    FetchingWindow(AppContext &context, QString url, Step step)
        : m_context(context), m_url(std::move(url)), m_step(step), Command1(new QPushButton(u"検索"_s, this))
    {
        Command1->setObjectName(u"Command1"_s);
        Command1->setGeometry(10, 10, 80, 30);
        resize(200, 60);
        connect(Command1, &QPushButton::clicked, this, &FetchingWindow::Command1_Click);
    }

    void Command1_Click()
    {
        const auto running = guard().enter();
        if (!running)
            return;
        ++runs;
        if (m_step == Step::Document)
            FetchBytes(m_context, this, m_inet, m_url);
        else
            FetchPage(m_context, this, m_inet, m_url, m_step == Step::PageWithYield ? Yield::Yes : Yield::No);
        if (afterFetch)
            afterFetch();
    }

    int runs = 0;
    std::function<void()> afterFetch;

private:
    AppContext &m_context;
    QString m_url;
    Step m_step;
    Inet1 m_inet;

public:
    QPushButton *Command1;
};

// Counts the key releases that reach the window at all, whoever drops them later.
class KeyCounter : public QObject {
public:
    explicit KeyCounter(QWindow *window) : m_window(window) { qApp->installEventFilter(this); }
    ~KeyCounter() override { qApp->removeEventFilter(this); }
    int released = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::KeyRelease)
            ++released;
        return false;
    }

private:
    QWindow *m_window;
};

// Space on the focused button, queued for the window like a key press from the
// window system.
void queueSpace(QWindow *window)
{
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_s));
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, u" "_s));
}

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Input)

void TestFetchGuard::secondClickDuringFetch_data()
{
    addColumns<Step, Input>("step", "input");

    QTest::newRow("page, keys during transfer") << Step::PageWithYield << Input::KeysDuringTransfer;
    QTest::newRow("page, click during transfer") << Step::PageWithYield << Input::ClickDuringTransfer;
    QTest::newRow("page, keys pending at end") << Step::PageWithYield << Input::KeysPendingAtEnd;
    QTest::newRow("page without yield, keys during transfer") << Step::PageWithoutYield << Input::KeysDuringTransfer;
    QTest::newRow("page without yield, keys pending at end") << Step::PageWithoutYield << Input::KeysPendingAtEnd;
    QTest::newRow("document, keys during transfer") << Step::Document << Input::KeysDuringTransfer;
    QTest::newRow("document, click during transfer") << Step::Document << Input::ClickDuringTransfer;
    QTest::newRow("document, keys pending at end") << Step::Document << Input::KeysPendingAtEnd;
}

void TestFetchGuard::secondClickDuringFetch()
{
    QFETCH(Step, step);
    QFETCH(Input, input);

    ProgramFixture f(ProgramFixture::Routes | ProgramFixture::ParameterFiles);
    FetchingWindow window(f.context, f.server.BaseUrl() + u"/search"_s, step);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.Command1->setFocus();
    QWindow *handle = window.windowHandle();
    KeyCounter keys(handle);

    // The second press comes while the server is still thinking.
    f.server.Route("/search", [&](const PracticeRequest &) {
        if (input == Input::KeysDuringTransfer)
            queueSpace(handle);
        else if (input == Input::ClickDuringTransfer)
            QTest::mouseClick(window.Command1, Qt::LeftButton);
        PracticeResponse response;
        response.body = "<html></html>";
        response.delayMs = 50;
        return response;
    });
    window.afterFetch = [&] {
        if (input == Input::KeysPendingAtEnd)
            queueSpace(handle);
    };

    QTest::mouseClick(window.Command1, Qt::LeftButton);

    QCOMPARE(window.runs, 1);
    if (input != Input::ClickDuringTransfer)
        QTRY_COMPARE(keys.released, 1); // the press did reach the window...
    QCoreApplication::processEvents();
    QCOMPARE(window.runs, 1); // ...and was dropped, not run afterwards
    QCOMPARE(f.server.Requests().size(), 1);
    QVERIFY(!window.guard().busy());

    // Once the command is over, the same input runs a command again.
    window.afterFetch = nullptr;
    f.server.Route("/search", [](const PracticeRequest &) { return PracticeResponse(); });
    queueSpace(handle);
    QTRY_COMPARE(window.runs, 2);
    QCOMPARE(f.server.Requests().size(), 2);
}

QTEST_MAIN(TestFetchGuard)
#include "test_fetch_guard.moc"
