#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "retrieval/ESConv.h"
#include "retrieval/frmE2SD.h"
#include "shell/Appearance.h"

using namespace Qt::Literals::StringLiterals;

class TestFrmE2SD : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void statusText_data();
    void statusText();
    void boxNeverShrinks();
    void shownWhileConverting();
};

void TestFrmE2SD::initTestCase() { ApplyAppearance(*qApp); }

void TestFrmE2SD::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("Label1") << u"Label1"_s << QRect(0, 0, 345, 21) << u"Label1"_s;
    QTest::newRow("Picture1") << u"Picture1"_s << QRect(0, 21, 345, 21) << QString();
    QTest::newRow("Text1") << u"Text1"_s << QRect(240, 104, 77, 21) << u"Text1"_s;
    QTest::newRow("Label2") << u"Label2"_s << QRect(44, 104, 77, 21) << u"0"_s;
    QTest::newRow("Label4") << u"Label4"_s << QRect(144, 108, 77, 13) << u"0"_s;
}

void TestFrmE2SD::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    frmE2SD window;
    QCOMPARE(window.size(), QSize(345, 42));
    QCOMPARE(window.windowTitle(), QString());
    QWidget *control = window.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), text);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        QCOMPARE(edit->text(), text);
    if (name == u"Label1"_s) {
        QCOMPARE(control->font().italic(), true);
        QCOMPARE(control->font().pointSizeF(), 9.75);
    }
}

void TestFrmE2SD::statusText_data()
{
    QTest::addColumn<qsizetype>("lastIndex");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("boxWidth");

    QTest::newRow("start") << qsizetype(10000) << qsizetype(-1) << 0 << u"      Convert Process    0 Bytes    (0 % )"_s << 0;
    QTest::newRow("half of 10,001 bytes") << qsizetype(10000) << qsizetype(5000) << 50
                                          << u"      Convert Process    5000 Bytes    (50 % )"_s << 172;
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
    window.Begin(lastIndex);
    if (position >= 0)
        window.ShowProgress(position, percent);
    QCOMPARE(window.findChild<QLabel *>(u"Label1"_s)->text(), status);
    QCOMPARE(window.findChild<QLabel *>(u"Label4"_s)->text(), QString::number(lastIndex));
    QCOMPARE(window.BoxWidth(), boxWidth);

    // The box is drawn in cyan from the left, the rest of Picture1 is left alone.
    const QImage picture = window.findChild<QWidget *>(u"Picture1"_s)->grab().toImage();
    if (boxWidth > 0)
        QCOMPARE(picture.pixelColor(boxWidth - 1, 10), QColor(0, 255, 255));
    if (boxWidth < 345)
        QVERIFY(picture.pixelColor(boxWidth, 10) != QColor(0, 255, 255));
}

void TestFrmE2SD::boxNeverShrinks()
{
    frmE2SD window;
    window.Begin(200);
    window.ShowProgress(120, 60);
    window.ShowProgress(60, 30);
    QCOMPARE(window.BoxWidth(), 207);
    QCOMPARE(window.findChild<QLabel *>(u"Label1"_s)->text(), u"      Convert Process    60 Bytes    (30 % )"_s);
    window.Begin(200);
    QCOMPARE(window.BoxWidth(), 0);
}

void TestFrmE2SD::shownWhileConverting()
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/E2S.param"_s;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("41,41\nA4A2,82A0\n");
    file.close();
    EucTable table;
    QVERIFY(LoadEucTable(table, path));

    // A pending event runs once at the start, with the window already up.
    bool seen = false;
    QString lastIndex;
    QTimer::singleShot(0, this, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<frmE2SD *>(widget); window && window->isVisible()) {
                seen = true;
                lastIndex = window->findChild<QLabel *>(u"Label4"_s)->text();
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
