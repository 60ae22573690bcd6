// Runs on the X11 platform under its own Xvfb server (see CMakeLists.txt): there a
// window can be drawn only after the server has exposed it, which the offscreen
// platform does not show.
#include <algorithm>
#include <functional>

#include <QGuiApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "conversion/ESConv.h"
#include "retrieval/frmE2SD.h"
#include "shell/Appearance.h"
#include "app/MainModule.h"
#include "app/frmMain.h"
#include "support/RecordingDesktop.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Every paint of a window's Label1: its text then, and whether the window was on the
// screen to receive it.
class LabelPaints final : public QObject {
public:
    struct Paint {
        QString text;
        bool exposed;
    };
    QList<Paint> seen;

    explicit LabelPaints(const char *windowClass) : m_windowClass(windowClass) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = qobject_cast<QLabel *>(watched);
        if (event->type() == QEvent::Paint && label && label->objectName() == u"Label1"_s
            && label->window()->inherits(m_windowClass)) {
            const QWindow *handle = label->window()->windowHandle();
            seen.append({label->text(), handle && handle->isExposed()});
        }
        return false;
    }

private:
    const char *m_windowClass;
};

bool PaintedOnScreen(const LabelPaints &paints, const std::function<bool(const QString &)> &text)
{
    return std::any_of(paints.seen.begin(), paints.seen.end(),
                       [&](const LabelPaints::Paint &p) { return p.exposed && text(p.text); });
}

} // namespace

class TestPaintedX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        ApplyAppearance(*qApp);
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
    }

    void startingStatusPaintedBeforeStartUpGoesOn()
    {
        QTemporaryDir app, documents;
        RecordingDesktop desktop;
        ProgramState state;
        AppContext context{state, desktop};
        frmMain menu(context, {});
        LabelPaints paints("frmMain");
        Main(menu, state, SettlePaths(app.path(), app.path(), documents.path()));
        // Main clears the status before it returns: a paint showing it came before.
        QVERIFY(PaintedOnScreen(paints, [](const QString &t) { return t == u"起　動　中　．．．"_s; }));
    }

    void progressWindowPaintedInEveryConversion()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.path() + u"/E2S.param"_s, "41,41\n"));
        EucTable table;
        QVERIFY(LoadEucTable(table, dir.path() + u"/E2S.param"_s));
        for (int i = 0; i < 3; ++i) {
            LabelPaints paints("frmE2SD");
            QCOMPARE(EucToSjisShown(table, QByteArray(1000, 'A')), QString(1000, u'A'));
            QVERIFY2(PaintedOnScreen(paints, [](const QString &t) { return t.contains(u"Convert Process"_s); }),
                     qPrintable(QString::number(i + 1)));
        }
    }
};

QTEST_MAIN(TestPaintedX11)
#include "test_painted_x11.moc"
