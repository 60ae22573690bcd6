#include <memory>

#include <QComboBox>
#include <QLabel>

#include "FaultFixture.h"
#include "library/Form4.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "conversion/ESConv.h"
#include "app/MainModule.h"
#include "app/frmMain.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

// Parameter files beside the program that are missing, empty, overlong or garbage,
// and a conversion table broken in the middle: the program still starts, every
// window opens and stays usable, and a search still sends every key of its query.
class TestFaultsParams : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void choiceFiles_data();
    void choiceFiles();
    void tableBrokenInTheMiddle_data();
    void tableBrokenInTheMiddle();
};

namespace {

struct Choice {
    const char *file;
    const char *combo;
    int capacity;
};

const QList<Choice> Form1Choices
    = {{"effect.param", "Combo1", 301}, {"item.param", "Combo2", 101}, {"count.param", "Combo8", 11}};
const QList<Choice> Form3Choices
    = {{"DosageForm.param", "Combo3", 101}, {"txtEffect.param", "Combo1", 1001}, {"count.param", "Combo2", 11}};

// The contents a parameter file is given; nullopt removes it.
std::optional<QByteArray> Contents(const QString &kind)
{
    if (kind == u"missing"_s)
        return std::nullopt;
    if (kind == u"empty"_s)
        return QByteArray();
    if (kind == u"many records"_s) {
        QByteArray bytes;
        for (int i = 1; i <= 5000; ++i)
            bytes += QByteArray::number(i) + ',' + sjisBytes(u"項目"_s) + QByteArray::number(i) + "\r\n";
        return bytes;
    }
    if (kind == u"overlong line"_s)
        return "V1," + QByteArray(2 * 1024 * 1024, 'A') + "\r\n10," + sjisBytes(u"10件"_s) + "\r\n";
    if (kind == u"no line end"_s)
        return "V1,\"" + sjisBytes(u"閉じない引用符"_s);
    return PracticeBinary(64 * 1024); // binary garbage: NULs, lone bytes, invalid Shift-JIS
}

QStringList KeyNames(const QByteArray &query)
{
    QStringList keys;
    for (const QByteArray &pair : query.split('&'))
        keys.append(QString::fromLatin1(pair.left(pair.indexOf('='))));
    return keys;
}

// Searches and returns the key names of the query sent.
QStringList searchKeys(FaultFixture &f, QWidget *form)
{
    f.server.ClearRequests();
    retype(child<QLineEdit>(form, "Text1"), u"ハ"_s);
    click(form, u"Command1"_s);
    const QList<PracticeRequest> requests = f.server.Requests();
    return requests.size() == 1 ? KeyNames(requests.first().query)
                                : QStringList{u"requests: %1"_s.arg(requests.size())};
}

} // namespace

void TestFaultsParams::choiceFiles_data()
{
    addColumns<QString, QString>("window", "kind");
    for (const QString &window : {u"Form1"_s, u"Form3"_s}) {
        for (const QString &kind :
             {u"missing"_s, u"empty"_s, u"many records"_s, u"overlong line"_s, u"no line end"_s, u"binary"_s})
            QTest::addRow("%s, %s", qPrintable(window), qPrintable(kind)) << window << kind;
    }
}

void TestFaultsParams::choiceFiles()
{
    QFETCH(QString, window);
    QFETCH(QString, kind);

    // The keys the window sends with the shipped files.
    QStringList shippedKeys;
    {
        FaultFixture shipped;
        std::unique_ptr<QWidget> form = openSearchWindow(shipped, window);
        shippedKeys = searchKeys(shipped, form.get());
    }

    FaultFixture f;
    const QList<Choice> &choices = window == u"Form1"_s ? Form1Choices : Form3Choices;
    const std::optional<QByteArray> contents = Contents(kind);
    for (const Choice &choice : choices) {
        const QString path = f.state.AppPath + u'/' + QLatin1StringView(choice.file);
        QFile::remove(path);
        if (contents)
            QVERIFY(writeBytes(path, *contents));
    }
    const QMap<QString, QByteArray> before = f.files();

    std::unique_ptr<QWidget> form = openSearchWindow(f, window);
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    for (const Choice &choice : choices) {
        const auto *combo = child<QComboBox>(*form, choice.combo);
        QVERIFY2(combo->count() <= choice.capacity, choice.combo);
        if (kind == u"many records"_s)
            QCOMPARE(combo->count(), choice.capacity);
        if (!contents || contents->isEmpty())
            QCOMPARE(combo->count(), 0);
    }

    QCOMPARE(searchKeys(f, form.get()), shippedKeys);
    for (const RecordingDesktop::Shown &shown : f.desktop.messages)
        QVERIFY2(shown.title == u"入力エラー"_s, qPrintable(shown.title)); // the service's own answer at most
    QCOMPARE(f.files(), before);                                           // nothing beside the program is written

    // Still usable: the memo and copy commands answer, and the window closes.
    click(form.get(), window == u"Form1"_s ? u"Command7"_s : u"Command8"_s);
    QVERIFY(f.desktop.clipboardSet);
    click(form.get(), u"Command5"_s);
    QTRY_VERIFY(!form->isVisible());
}

void TestFaultsParams::tableBrokenInTheMiddle_data()
{
    QTest::addColumn<QByteArray>("badLine"); // put between the hiragana and the katakana
    QTest::newRow("not hexadecimal") << QByteArray("A5G1,8340");
    QTest::newRow("no comma") << QByteArray("A5A18340");
    QTest::newRow("Shift-JIS code of five digits") << QByteArray("A5A1,83401");
    QTest::newRow("EUC-JP code past the table") << QByteArray("1010000,8340");
    QTest::newRow("binary") << PracticeBinary(300);
}

void TestFaultsParams::tableBrokenInTheMiddle()
{
    QFETCH(QByteArray, badLine);
    FaultFixture f;
    QByteArray table = readBytes(QStringLiteral(HIBARI_SOURCE_DIR "/data/E2S.param"));
    const qsizetype katakana = table.indexOf("\nA5A1,");
    QVERIFY(katakana > 0);
    table.insert(katakana + 1, badLine + "\r\n");
    QVERIFY(writeBytes(f.state.AppPath + u"/E2S.param"_s, table));

    frmMain::Windows windows;
    windows.Prescription = [](AppContext &context) { return new Form1(context); };
    windows.Otc = [](AppContext &context) { return new Form3(context); };
    windows.Disk = [](AppContext &context) { return new Form4(context); };
    frmMain menu(f.context, windows);
    Main(menu, f.state, SettlePaths(f.state.AppPath, f.state.WorkPath, f.state.DocumentsPath.chopped(1)));

    // Ready: the three working buttons usable, the start-up text gone, no message.
    for (const char *button : {"Command1", "Command2", "Command3", "Command4", "Command5"})
        QVERIFY2(child<QPushButton>(menu, button)->isEnabled(), button);
    QCOMPARE(child<QLabel>(menu, "Label1")->text(), QString());
    QCOMPARE(f.desktop.messages.size(), 0);

    // What was read before the bad line converts; what follows it is not there.
    QCOMPARE(EucToSjis(f.state.Tables, eucBytes(u"Aあいう。"_s)), u"Aあいう。"_s);
    QCOMPARE(f.state.Tables.sjisFor(0xA5A2), quint16(0));

    // A window opened from the menu searches only with what the table holds.
    click(&menu, u"Command2"_s);
    QTRY_VERIFY(menu.openWindow());
    WorkingWindow *window = menu.openWindow();
    f.server.ClearRequests();
    retype(child<QLineEdit>(window, "Text1"), u"あア"_s);
    click(window, u"Command1"_s);
    QCOMPARE(f.server.Requests().size(), 0);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().text, u"\"ア\" は検索に使えない文字です。（一般名・販売名）"_s);
    window->close();
}

QTEST_MAIN(TestFaultsParams)
#include "test_faults_params.moc"
