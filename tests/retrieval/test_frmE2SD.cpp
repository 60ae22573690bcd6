#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "conversion/ESConv.h"
#include "retrieval/frmE2SD.h"
#include "support/ProgramFixture.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

class TestFrmE2SD : public WindowTest {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void statusText_data();
    void statusText();
    void boxNeverShrinks();
    void shownWhileConverting();
};

void TestFrmE2SD::layout_data()
{
    layoutRows({
        {u"Label1", u"Label1", {0, 0, 5175, 315}},
        {u"Picture1", u"", {0, 315, 5175, 315}},
        {u"Text1", u"Text1", {3600, 1560, 1155, 315}},
        {u"Label2", u"0", {660, 1560, 1155, 315}},
        {u"Label4", u"0", {2160, 1620, 1155, 195}},
    });
}

void TestFrmE2SD::layout()
{
    frmE2SD window;
    checkLayout(window, QString(), {5175, 630});
    QFETCH(QString, name);
    if (name == u"Label1"_s) {
        QCOMPARE(child(window, name)->font().italic(), true);
        QCOMPARE(child(window, name)->font().pointSizeF(), 9.75);
    }
}

void TestFrmE2SD::statusText_data()
{
    addColumns<qsizetype, qsizetype, int, QString, int>("lastIndex", "position", "percent", "status", "boxWidth");

    QTest::newRow("start") << qsizetype(10000) << qsizetype(-1) << 0 << u"      Convert Process    0 Bytes    (0 % )"_s
                           << 0;
    QTest::newRow("half of 10,001 bytes")
        << qsizetype(10000) << qsizetype(5000) << 50 << u"      Convert Process    5000 Bytes    (50 % )"_s << 172;
    QTest::newRow("past the last index") << qsizetype(10000) << qsizetype(10001) << 100
                                         << u"      Convert Process    10001 Bytes    (100 % )"_s << 345;
}

void TestFrmE2SD::statusText()
{
    QFETCH(qsizetype, lastIndex);
    QFETCH(qsizetype, position);
    QFETCH(int, percent);
    QFETCH(QString, status);
    QFETCH(int, boxWidth);
    frmE2SD window;
    window.show();
    window.begin(lastIndex);
    if (position >= 0)
        window.showProgress(position, percent);
    QCOMPARE(child<QLabel>(window, "Label1")->text(), status);
    QCOMPARE(child<QLabel>(window, "Label4")->text(), QString::number(lastIndex));
    QCOMPARE(window.boxWidth(), boxWidth);

    // The box is drawn in cyan from the left, the rest of Picture1 is left alone.
    const QImage picture = child<QWidget>(window, "Picture1")->grab().toImage();
    if (boxWidth > 0)
        QCOMPARE(picture.pixelColor(boxWidth - 1, 10), QColor(0, 255, 255));
    if (boxWidth < 345)
        QVERIFY(picture.pixelColor(boxWidth, 10) != QColor(0, 255, 255));
}

void TestFrmE2SD::boxNeverShrinks()
{
    frmE2SD window;
    window.begin(200);
    window.showProgress(120, 60);
    window.showProgress(60, 30);
    QCOMPARE(window.boxWidth(), 207);
    QCOMPARE(child<QLabel>(window, "Label1")->text(), u"      Convert Process    60 Bytes    (30 % )"_s);
    window.begin(200);
    QCOMPARE(window.boxWidth(), 0);
}

void TestFrmE2SD::shownWhileConverting()
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/E2S.param"_s;
    QVERIFY(writeBytes(path, "41,41\nA4A2,82A0\n"));
    EucTable table;
    QVERIFY(LoadEucTable(table, path));

    // A pending event runs once at the start, with the window already up.
    bool seen = false;
    QString lastIndex;
    QTimer::singleShot(0, this, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<frmE2SD *>(widget); window && window->isVisible()) {
                seen = true;
                lastIndex = child<QLabel>(window, "Label4")->text();
            }
        }
    });
    const QByteArray page = QByteArray(300, 'A') + QByteArray::fromHex("a4a2");
    QCOMPARE(EucToSjisShown(table, page), QString(300, u'A') + u"あ"_s);
    QVERIFY(seen);
    QCOMPARE(lastIndex, u"301"_s);
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<frmE2SD *>(widget));
}

QTEST_MAIN(TestFrmE2SD)
#include "test_frmE2SD.moc"
