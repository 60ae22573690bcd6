#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "app/CommandLine.h"
#include "shell/Library.h"
#include "shell/ParamFile.h"
#include "shell/ProgramState.h"
#include "app/StartUp.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

class TestStartUp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settlePaths_data();
    void settlePaths();
    void installedOrInPlace_data();
    void installedOrInPlace();
    void commandLine_data();
    void commandLine();
    void serviceBaseFromFiles_data();
    void serviceBaseFromFiles();
    void libraryCreatedOnceAndKept();
    void earlierLibraryMoved_data();
    void earlierLibraryMoved();
    void missingTableStillPrepares();
    void paramRecords_data();
    void paramRecords();
    void paramCapacityAndMissingFile();
};

void TestStartUp::settlePaths_data()
{
    addColumns<QString, bool, QString>("appDir", "documentsExist", "expectedApp");

    QTest::newRow("all known") << u"/opt/hibari"_s << true << u"/opt/hibari"_s;
    QTest::newRow("executable folder unknown") << QString() << true << u"<cwd>"_s;
    QTest::newRow("documents folder missing: made at start") << u"/opt/hibari/"_s << false << u"/opt/hibari"_s;
}

void TestStartUp::settlePaths()
{
    QFETCH(QString, appDir);
    QFETCH(bool, documentsExist);
    QFETCH(QString, expectedApp);

    QTemporaryDir current, documents;
    const QString documentsDir = documentsExist ? documents.path() : documents.path() + u"/gone"_s;
    const StartPaths paths = SettlePaths(appDir, current.path(), documentsDir);

    QCOMPARE(paths.AppPath, expectedApp == u"<cwd>"_s ? current.path() : expectedApp);
    QCOMPARE(paths.WorkPath, current.path());
    QCOMPARE(paths.DocumentsPath, documentsDir + u'/');
    ProgramState state;
    QCOMPARE(PrepareProgram(state, paths), QString());
    QVERIFY(QDir(documentsDir + u'/' + Library::Medical()).exists());
    QVERIFY(!QDir(current.path() + u'/' + Library::Root()).exists());
}

void TestStartUp::installedOrInPlace_data()
{
    addColumns<bool, bool, bool, bool>("paramsBeside", "dataFolder", "userKnown", "installed");

    QTest::newRow("installed") << false << true << true << true;
    QTest::newRow("installed, no per-user folder known") << false << true << false << true;
    QTest::newRow("in place: parameter files beside") << true << true << true << false;
    QTest::newRow("in place: no installed data") << false << false << true << false;
}

// <root>/bin holds the executable; installed, the data is in <root>/share/hibari.
void TestStartUp::installedOrInPlace()
{
    QFETCH(bool, paramsBeside);
    QFETCH(bool, dataFolder);
    QFETCH(bool, userKnown);
    QFETCH(bool, installed);

    QTemporaryDir root, current, documents;
    const QString bin = root.filePath(u"bin"_s), data = root.filePath(u"share/hibari"_s);
    const QString user = root.filePath(u"user/hibari"_s);
    QVERIFY(QDir().mkpath(bin));
    if (dataFolder)
        QVERIFY(QDir().mkpath(data));
    if (paramsBeside) {
        QFile table(bin + u"/E2S.param"_s);
        QVERIFY(table.open(QIODevice::WriteOnly));
    }
    const StartPaths paths = SettlePaths(bin, current.path(), documents.path(), userKnown ? user : QString());
    QCOMPARE(paths.Installed, installed);
    QCOMPARE(paths.AppPath, installed ? data : bin);
    const QString writes = installed && userKnown ? user : current.path();
    QCOMPARE(paths.WorkPath, writes);
    QCOMPARE(paths.MemoPath, installed ? writes : bin);

    ProgramState state;
    PrepareProgram(state, paths);
    QCOMPARE(state.MemoPath, paths.MemoPath);
    QCOMPARE(QDir(user).exists(), installed && userKnown); // created only when used
}

void TestStartUp::commandLine_data()
{
    addColumns<QStringList, QString, QString, int>("arguments", "variable", "builtIn", "action");
    QTest::addColumn<QString>("expected"); // Run: the address; otherwise a piece of the text

    const QString built = u"http://drug-info.example"_s;
    const int run = int(CommandLine::Action::Run), fail = int(CommandLine::Action::Fail);
    const auto option = [](const QString &value) { return QStringList{u"hibari"_s, u"--service-base"_s, value}; };
    const QStringList none{u"hibari"_s};

    QTest::newRow("build's address") << none << QString() << built << run << built;
    QTest::newRow("variable over build") << none << u"https://svc.example.jp/"_s << built << run
                                         << u"https://svc.example.jp"_s;
    QTest::newRow("option over variable")
        << option(u"http://127.0.0.1:8080"_s) << u"https://x.example"_s << built << run << u"http://127.0.0.1:8080"_s;
    QTest::newRow("option with =, path kept") << QStringList{u"hibari"_s, u"--service-base=HTTPS://h.example/pi//"_s}
                                              << QString() << built << run << u"HTTPS://h.example/pi"_s;
    QTest::newRow("help") << QStringList{u"hibari"_s, u"--help"_s} << u"ftp://bad"_s << built
                          << int(CommandLine::Action::Help) << u"--service-base <URL>"_s;
    QTest::newRow("version") << QStringList{u"hibari"_s, u"--version"_s} << QString() << built
                             << int(CommandLine::Action::Version) << u"hibari 1.0.0\n"_s;
    QTest::newRow("other scheme") << option(u"ftp://h.example"_s) << QString() << built << fail
                                  << u"「ftp://h.example」（--service-base）は使えません。http://"_s;
    QTest::newRow("no scheme") << option(u"h.example"_s) << QString() << built << fail << u"ホスト名"_s;
    QTest::newRow("no host") << option(u"http://"_s) << QString() << built << fail << u"ホスト名"_s;
    QTest::newRow("empty option") << option(QString()) << QString() << built << fail << u"ホスト名"_s;
    QTest::newRow("blank inside") << option(u"http://h example"_s) << QString() << built << fail << u"ホスト名"_s;
    QTest::newRow("query") << option(u"http://h.example/?a=1"_s) << QString() << built << fail << u"「?」"_s;
    QTest::newRow("empty fragment") << option(u"http://h.example#"_s) << QString() << built << fail << u"「#」"_s;
    QTest::newRow("bad variable") << none << u"mailto:a@b"_s << built << fail << u"環境変数 HIBARI_SERVICE_BASE"_s;
    QTest::newRow("bad build address") << none << QString() << u"drug-info"_s << fail << u"ビルド時の設定"_s;
    QTest::newRow("unknown option") << QStringList{u"hibari"_s, u"--proxy"_s} << QString() << built << fail
                                    << u"proxy"_s;
    QTest::newRow("option without value")
        << QStringList{u"hibari"_s, u"--service-base"_s} << QString() << built << fail << u"service-base"_s;
    QTest::newRow("stray argument") << QStringList{u"hibari"_s, u"file.pdf"_s} << QString() << built << fail
                                    << u"file.pdf"_s;
}

void TestStartUp::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, variable);
    QFETCH(QString, builtIn);
    QFETCH(int, action);
    QFETCH(QString, expected);
    const CommandLine line = ParseCommandLine(arguments, variable, builtIn);
    QCOMPARE(int(line.action), action);
    if (line.action == CommandLine::Action::Run) {
        QCOMPARE(line.ServiceBase, expected);
        QVERIFY(line.text.isEmpty());
    } else {
        QVERIFY2(line.text.contains(expected), qPrintable(line.text));
        QVERIFY(line.ServiceBase.isEmpty());
    }
}

void TestStartUp::serviceBaseFromFiles_data()
{
    // user, site: the file's text; "-": no file; "<dir>": a folder in its place
    addColumns<QString, QString, QString, QString>("option", "variable", "user", "site");
    addColumns<bool, QString, QString>("runs", "expected", "source"); // expected: the address, or a piece of the text

    const QString user = u"ServiceBase=https://user.example/pi/\n"_s, site = u"ServiceBase=http://site.example\n"_s;
    QTest::newRow("user's file over site's")
        << QString() << QString() << user << site << true << u"https://user.example/pi"_s << u"<user>"_s;
    QTest::newRow("site's file, with a section")
        << QString() << QString() << u"-"_s << u"[General]\nServiceBase = http://site.example:8080\n"_s << true
        << u"http://site.example:8080"_s << u"<site>"_s;
    QTest::newRow("user's file without the key")
        << QString() << QString() << u"Other=1\n"_s << site << true << u"http://site.example"_s << u"<site>"_s;
    QTest::newRow("empty key counts as unset") << QString() << QString() << u"ServiceBase=\n"_s << u"-"_s << true
                                               << u"http://built.example"_s << u"ビルド時の設定"_s;
    QTest::newRow("variable over files") << QString() << u"http://variable.example"_s << user << site << true
                                         << u"http://variable.example"_s << u"環境変数 HIBARI_SERVICE_BASE"_s;
    QTest::newRow("option over files") << u"http://option.example"_s << QString() << user << site << true
                                       << u"http://option.example"_s << u"--service-base"_s;
    QTest::newRow("bad address in the user's file, checked as the option")
        << QString() << QString() << u"ServiceBase=ftp://user.example\n"_s << site << false
        << u"「ftp://user.example」（設定ファイル <user>）は使えません。"_s << QString();
    QTest::newRow("query in the site's file")
        << QString() << QString() << u"-"_s << u"ServiceBase=http://site.example/?a=1\n"_s << false << u"「?」"_s
        << QString();
    QTest::newRow("comma in the address") << QString() << QString() << u"ServiceBase=http://a.example,b\n"_s << site
                                          << false << u"http://a.example, b"_s << QString();
    QTest::newRow("a folder where the user's file is")
        << QString() << QString() << u"<dir>"_s << site << false << u"<user> を読み取れません"_s << QString();
}

void TestStartUp::serviceBaseFromFiles()
{
    QFETCH(QString, option);
    QFETCH(QString, variable);
    QFETCH(QString, user);
    QFETCH(QString, site);
    QFETCH(bool, runs);
    QFETCH(QString, expected);
    QFETCH(QString, source);
    QTemporaryDir dir;
    const QStringList files{dir.filePath(u"config/hibari/hibari.conf"_s), dir.filePath(u"xdg/hibari/hibari.conf"_s)};
    const QStringList texts{user, site};
    for (int i = 0; i < 2; ++i) {
        QVERIFY(QDir().mkpath(QFileInfo(files[i]).path()));
        if (texts[i] == u"<dir>"_s)
            QVERIFY(QDir().mkpath(files[i]));
        else if (texts[i] != u"-"_s)
            QVERIFY(writeBytes(files[i], texts[i].toUtf8()));
    }
    const auto named = [&](QString text) { return text.replace(u"<user>"_s, files[0]).replace(u"<site>"_s, files[1]); };
    QStringList arguments{u"hibari"_s};
    if (!option.isEmpty())
        arguments << u"--service-base"_s << option;
    const CommandLine line
        = ParseCommandLine(arguments, variable, u"http://built.example"_s, ReadConfiguredBases(files));
    QCOMPARE(line.action == CommandLine::Action::Run, runs);
    if (runs) {
        QCOMPARE(line.ServiceBase, expected);
        QCOMPARE(line.ServiceBaseSource.endsWith(named(source)), true);
    } else {
        QVERIFY2(line.text.contains(named(expected)), qPrintable(line.text));
    }
}

void TestStartUp::libraryCreatedOnceAndKept()
{
    QTemporaryDir documents;
    const QString base = documents.path() + u'/';
    Library::CreateFolders(base);
    for (const QString &folder : Library::Folders())
        QVERIFY2(QDir(base + folder).exists(), qPrintable(folder));
    QVERIFY(QDir(base + u"医薬品情報/［医療用］"_s).exists());

    const QString kept = base + Library::Medical() + u"/A.pdf"_s;
    QVERIFY(writeBytes(kept, "kept"));
    Library::CreateFolders(base); // second start changes nothing
    QCOMPARE(readBytes(kept), QByteArray("kept"));
}

void TestStartUp::earlierLibraryMoved_data()
{
    // earlier: files under the earlier library's base (<cwd> run in place, the per-user
    // folder installed), each holding its own name; present: files already in the
    // documents folder, holding "present"
    addColumns<bool, QStringList, QStringList, QStringList>("installed", "earlier", "present", "expected");
    QTest::addColumn<QStringList>("told"); // pieces of the one message; none: no message

    const QString medical = Library::Medical() + u'/', otc = Library::Otc() + u'/', root = Library::Root() + u'/';
    const QStringList three{medical + u"A.pdf"_s, otc + u"B.pdf"_s, root + u"重篤.pdf"_s};
    QTest::newRow("run in place, no documents folder before")
        << false << three << QStringList{} << three << QStringList{u"3 個"_s, u"<cwd>/医薬品情報"_s};
    QTest::newRow("installed: the hidden per-user folder")
        << true << three << QStringList{} << three << QStringList{u"3 個"_s, u"<data>/医薬品情報"_s};
    QTest::newRow("a clash keeps both, numbered")
        << false << QStringList{medical + u"A.pdf"_s, medical + u"A (2).pdf"_s, medical + u"README"_s}
        << QStringList{medical + u"A.pdf"_s, medical + u"README"_s}
        << QStringList{medical + u"A (2).pdf"_s, medical + u"A (3).pdf"_s, medical + u"A.pdf"_s, medical + u"README"_s,
                       medical + u"README (2)"_s}
        << QStringList{u"3 個"_s, u"2 個は"_s, u"番号"_s};
    QTest::newRow("unknown files and folders go along")
        << false << QStringList{root + u"自分のメモ/memo.txt"_s, medical + u".hidden"_s} << QStringList{}
        << QStringList{medical + u".hidden"_s, root + u"自分のメモ/memo.txt"_s} << QStringList{u"2 個"_s};
    QTest::newRow("nothing earlier") << false << QStringList{} << QStringList{medical + u"A.pdf"_s}
                                     << QStringList{medical + u"A.pdf"_s} << QStringList{};
}

// Through start-up as the program runs it, in place or installed.
void TestStartUp::earlierLibraryMoved()
{
    QFETCH(bool, installed);
    QFETCH(QStringList, earlier);
    QFETCH(QStringList, present);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, told);

    QTemporaryDir top;
    const QString bin = top.filePath(u"bin"_s), cwd = top.filePath(u"cwd"_s), data = top.filePath(u"data/hibari"_s);
    const QString documents = top.filePath(u"home/Documents"_s);
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(cwd) && QDir().mkpath(data));
    if (installed)
        QVERIFY(QDir().mkpath(top.filePath(u"share/hibari"_s)));
    else
        QVERIFY(writeBytes(bin + u"/E2S.param"_s, ""));
    const QString base = installed ? data : cwd;
    const auto put = [](const QString &path, const QByteArray &bytes) {
        return QDir().mkpath(QFileInfo(path).path()) && writeBytes(path, bytes);
    };
    for (const QString &file : earlier)
        QVERIFY(put(base + u'/' + file, file.toUtf8()));
    for (const QString &file : present)
        QVERIFY(put(documents + u'/' + file, "present"));

    const StartPaths paths = SettlePaths(bin, cwd, documents, data);
    QCOMPARE(paths.Installed, installed);
    ProgramState state;
    const QString message = PrepareProgram(state, paths);

    QStringList found;
    QDirIterator walk(documents, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (walk.hasNext())
        found << QDir(documents).relativeFilePath(walk.next());
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    for (const QString &file : present) // never overwritten
        QCOMPARE(readBytes(documents + u'/' + file), QByteArray("present"));
    QList<QByteArray> contents; // every earlier file is somewhere, whole
    for (const QString &file : found)
        contents << readBytes(documents + u'/' + file);
    for (const QString &file : earlier)
        QVERIFY2(contents.contains(file.toUtf8()), qPrintable(file));
    QVERIFY(!QFileInfo::exists(base + u'/' + Library::Root()));
    QVERIFY(!QFileInfo::exists(cwd + u'/' + Library::Root()));
    if (told.isEmpty())
        QCOMPARE(message, QString());
    for (const QString &piece : told)
        QVERIFY2(message.contains(QString(piece).replace(u"<cwd>"_s, cwd).replace(u"<data>"_s, data)),
                 qPrintable(message));

    // once: the next start moves nothing and says nothing
    ProgramState again;
    QCOMPARE(PrepareProgram(again, SettlePaths(bin, cwd, documents, data)), QString());
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
    addColumns<QString, QStringList, QStringList>("text", "values", "texts");

    QTest::newRow("plain") << u"114,解熱鎮痛消炎剤\r\n214,血圧降下剤\r\n"_s << QStringList{u"114"_s, u"214"_s}
                           << QStringList{u"解熱鎮痛消炎剤"_s, u"血圧降下剤"_s};
    QTest::newRow("quoted comma") << u"\"a,b\",\"x, y\"\n"_s << QStringList{u"a,b"_s} << QStringList{u"x, y"_s};
    QTest::newRow("leading blanks, no line end") << u"  20 ,  20件"_s << QStringList{u"20"_s} << QStringList{u"20件"_s};
    QTest::newRow("empty value, blank line")
        << u",すべて\n\n1,一\n"_s << QStringList{QString(), u"1"_s} << QStringList{u"すべて"_s, u"一"_s};
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
