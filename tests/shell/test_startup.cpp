#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "shell/Library.h"
#include "shell/ParamFile.h"
#include "shell/ProgramState.h"
#include "shell/StartUp.h"

using namespace Qt::Literals::StringLiterals;

class TestStartUp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settlePaths_data();
    void settlePaths();
    void libraryCreatedOnceAndKept();
    void missingTableStillPrepares();
    void paramRecords_data();
    void paramRecords();
    void paramCapacityAndMissingFile();
};

void TestStartUp::settlePaths_data()
{
    QTest::addColumn<QString>("appDir");
    QTest::addColumn<bool>("documentsExist");
    QTest::addColumn<QString>("expectedApp");
    QTest::addColumn<bool>("documentsInCurrent");

    QTest::newRow("all known") << u"/opt/hibari"_s << true << u"/opt/hibari"_s << false;
    QTest::newRow("executable folder unknown") << QString() << true << u"<cwd>"_s << false;
    QTest::newRow("documents folder missing") << u"/opt/hibari/"_s << false << u"/opt/hibari"_s << true;
}

void TestStartUp::settlePaths()
{
    QFETCH(QString, appDir);
    QFETCH(bool, documentsExist);
    QFETCH(QString, expectedApp);
    QFETCH(bool, documentsInCurrent);

    QTemporaryDir current, documents;
    const QString documentsDir = documentsExist ? documents.path() : documents.path() + u"/gone"_s;
    const StartPaths paths = SettlePaths(appDir, current.path(), documentsDir);

    QCOMPARE(paths.AppPath, expectedApp == u"<cwd>"_s ? current.path() : expectedApp);
    QCOMPARE(paths.WorkPath, current.path());
    QCOMPARE(paths.DocumentsPath, (documentsInCurrent ? current.path() : documents.path()) + u'/');
}

void TestStartUp::libraryCreatedOnceAndKept()
{
    QTemporaryDir documents;
    const QString base = documents.path() + u'/';
    Library::CreateFolders(base);
    for (const QString &folder : Library::Folders())
        QVERIFY2(QDir(base + folder).exists(), qPrintable(folder));
    QVERIFY(QDir(base + u"医薬品情報/［医療用］"_s).exists());

    QFile keep(base + Library::Medical() + u"/A.pdf"_s);
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.write("kept");
    keep.close();
    Library::CreateFolders(base); // second start changes nothing
    QVERIFY(keep.open(QIODevice::ReadOnly));
    QCOMPARE(keep.readAll(), QByteArray("kept"));
}

void TestStartUp::missingTableStillPrepares()
{
    QTemporaryDir app, documents;
    ProgramState state;
    state.FetchInsert = false;
    PrepareProgram(state, SettlePaths(app.path(), app.path(), documents.path()));
    QCOMPARE(state.Tables.size(), 0);
    QVERIFY(state.FetchInsert);
    QVERIFY(state.FetchGuide);
    QVERIFY(QDir(documents.path() + u'/' + Library::Revision()).exists());
}

void TestStartUp::paramRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("plain") << u"114,解熱鎮痛消炎剤\r\n214,血圧降下剤\r\n"_s << QStringList{u"114"_s, u"214"_s}
                           << QStringList{u"解熱鎮痛消炎剤"_s, u"血圧降下剤"_s};
    QTest::newRow("quoted comma") << u"\"a,b\",\"x, y\"\n"_s << QStringList{u"a,b"_s} << QStringList{u"x, y"_s};
    QTest::newRow("leading blanks, no line end") << u"  20 ,  20件"_s << QStringList{u"20"_s} << QStringList{u"20件"_s};
    QTest::newRow("empty value, blank line") << u",すべて\n\n1,一\n"_s << QStringList{QString(), u"1"_s}
                                             << QStringList{u"すべて"_s, u"一"_s};
    QTest::newRow("one field only") << u"5\n"_s << QStringList{u"5"_s} << QStringList{QString()};
}

void TestStartUp::paramRecords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, values);
    QFETCH(QStringList, texts);
    const QList<ParamRecord> records = ParseParamText(text, 100);
    QStringList gotValues, gotTexts;
    for (const ParamRecord &record : records) {
        gotValues << record.value;
        gotTexts << record.text;
    }
    QCOMPARE(gotValues, values);
    QCOMPARE(gotTexts, texts);
}

void TestStartUp::paramCapacityAndMissingFile()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(u"count.param"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 1; i <= 15; ++i)
        file.write(QByteArray::number(i) + ",\x8c\x8f\r\n"); // "件" in Shift-JIS
    file.close();
    const QList<ParamRecord> records = ReadParamFile(file.fileName(), 11);
    QCOMPARE(records.size(), 11);
    QCOMPARE(records.last().value, u"11"_s);
    QCOMPARE(records.first().text, u"件"_s);
    QVERIFY(ReadParamFile(dir.filePath(u"missing.param"_s), 11).isEmpty());
}

QTEST_GUILESS_MAIN(TestStartUp)
#include "test_startup.moc"
