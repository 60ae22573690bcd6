#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "library/Form5.h"
#include "shell/Appearance.h"
#include "support/RecordingDesktop.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

class TestForm5 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ApplyAppearance(*qApp); }
    void layout_data();
    void layout();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
};

namespace {

struct Fixture {
    QTemporaryDir folder;
    RecordingDesktop desktop;
    ProgramState state;
    AppContext context { state, desktop };
    Form5 dialog { context, folder.path(), u"重篤副作用疾患別対応マニュアル（長い名前の文書）.pdf"_s,
        u"重篤副作用疾患別対応マニュアル（長い名前の文書）"_s };
};

} // namespace

void TestForm5::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("colour");

    const QString cyan = u"rgb(192,255,255)"_s;
    QTest::newRow("Label2") << u"Label2"_s << u"現在の名前"_s << QRect(60, 120, 1785, 300) << cyan;
    QTest::newRow("Label1") << u"Label1"_s << u"重篤副作用疾患別対応マニュアル（長い名前の文書）.pdf"_s
                            << QRect(60, 420, 8295, 720) << QString();
    QTest::newRow("Label3") << u"Label3"_s << u"変更後の名前"_s << QRect(60, 1260, 1785, 300) << cyan;
    QTest::newRow("Text1") << u"Text1"_s << u"重篤副作用疾患別対応マニュアル（長い名前の文書）"_s
                           << QRect(60, 1560, 8295, 720) << QString();
    QTest::newRow("Command1") << u"Command1"_s << u"変更する"_s << QRect(4200, 2460, 1695, 375)
                              << u"rgb(255,255,128)"_s;
    QTest::newRow("Command2") << u"Command2"_s << u"変更しない"_s << QRect(6300, 2460, 1695, 375) << QString();
}

void TestForm5::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(QString, colour);
    Fixture f;
    QCOMPARE(f.dialog.windowTitle(), u"ファイル名の変更"_s);
    QCOMPARE(f.dialog.size(), QSize(8430 / 15, 2940 / 15));
    auto *widget = f.dialog.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QVERIFY(widget->styleSheet().contains(colour));
    QString text;
    if (auto *label = qobject_cast<QLabel *>(widget))
        text = label->text();
    else if (auto *button = qobject_cast<QPushButton *>(widget))
        text = button->text();
    else
        text = qobject_cast<QLineEdit *>(widget)->text();
    QCOMPARE(text, caption);
    QVERIFY2(widget->fontMetrics().horizontalAdvance(text) + 8 <= widget->width(), "caption clipped");
    QVERIFY2(widget->fontMetrics().height() <= widget->height(), "caption clipped");
}

void TestForm5::cancelChangesNothing_data()
{
    QTest::addColumn<bool>("closeBox");

    QTest::newRow("変更しない") << false;
    QTest::newRow("close box") << true;
}

void TestForm5::cancelChangesNothing()
{
    QFETCH(bool, closeBox);
    Fixture f;
    const QString path = f.folder.filePath(u"重篤副作用疾患別対応マニュアル（長い名前の文書）.pdf"_s);
    QVERIFY(WriteBytes(path, "%PDF"));
    f.dialog.show();
    auto *text = f.dialog.findChild<QLineEdit *>(u"Text1"_s);
    text->setText(u"B"_s);
    if (closeBox)
        f.dialog.close();
    else
        QTest::mouseClick(f.dialog.findChild<QPushButton *>(u"Command2"_s), Qt::LeftButton);
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(ReadBytes(path), QByteArray("%PDF"));
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files).size(), 1);
    QVERIFY(f.desktop.messages.isEmpty());
}

QTEST_MAIN(TestForm5)
#include "test_Form5.moc"
