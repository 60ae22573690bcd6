#include <algorithm>
#include <optional>
#include <variant>

#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QThread>

#include "DocumentVersion.h"
#include "FaultFixture.h"
#include "library/Form4.h"
#include "otc/Form3.h"
#include "prescription/Form1.h"
#include "retrieval/DocumentFile.h"
#include "app/StartUp.h"
#include "shell/TemporaryFiles.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

// A document library or program folder that cannot be written, and a write cut short
// by the file-size limit: the user is told, nothing is opened in place of the new
// file, every earlier file keeps its bytes, and the window goes on working once the
// fault is gone.
class TestFaultsStorage : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void documentNotWritten_data();
    void documentNotWritten();
    void memoNotWritten_data();
    void memoNotWritten();
    void renameInUnwritableLibrary_data();
    void renameInUnwritableLibrary();
    void leftoversRemoved_data();
    void leftoversRemoved();
    void killedWhileSaving();
    void secondCopyCleansWhileSaving();
};

namespace {

const QString Otc = u"医薬品情報/［一般用］"_s;
const QString Patient = u"医薬品情報/［患者向け］"_s;
const QString Medical = u"医薬品情報/［医療用］"_s;
const QString Revision = u"医薬品情報/［改訂指示］"_s;

// A fault in place for as long as it lives; `holds` is false when this machine
// cannot set it up (the row is skipped then).
struct AppliedFault {
    std::optional<Fault::Immutable> immutable;
    std::optional<Fault::SizeLimit> limit;
    QString movedFolder, folder; // "is a file": the folder was moved aside
    bool holds = true;

    ~AppliedFault() { lift(); }
    void lift()
    {
        immutable.reset();
        limit.reset();
        if (!movedFolder.isEmpty()) {
            QFile::remove(folder);
            QDir().rename(movedFolder, folder);
            movedFolder.clear();
        }
    }
};

// kind: "is a file" (the folder becomes a regular file), "immutable" (target: the
// folder, or a file in it), "size limit" (writes stop after 8 bytes).
void apply(AppliedFault &fault, const QString &kind, const QString &target)
{
    if (kind == u"is a file"_s) {
        fault.folder = target;
        fault.movedFolder = target + u".moved"_s;
        QVERIFY(QDir().rename(target, fault.movedFolder));
        QVERIFY(writeBytes(target, "a file where the folder was\n"));
    } else if (kind == u"immutable"_s) {
        fault.immutable.emplace(target);
        fault.holds = fault.immutable->Holds();
    } else {
        fault.limit.emplace(8);
    }
}

using Window = std::variant<std::monostate, std::unique_ptr<Form1>, std::unique_ptr<Form3>, std::unique_ptr<Form4>>;

QWidget *Widget(const Window &window)
{
    if (const auto *form1 = std::get_if<std::unique_ptr<Form1>>(&window))
        return form1->get();
    if (const auto *form3 = std::get_if<std::unique_ptr<Form3>>(&window))
        return form3->get();
    return std::get<std::unique_ptr<Form4>>(window).get();
}

QWidget *Open(FaultFixture &f, Window &window, const QString &name)
{
    if (name == u"Form1"_s)
        window = std::make_unique<Form1>(f.context);
    else if (name == u"Form3"_s)
        window = std::make_unique<Form3>(f.context);
    else
        window = std::make_unique<Form4>(f.context);
    QWidget *widget = Widget(window);
    widget->show();
    return widget;
}

// Fills the window's list as a user would: a search, or a category of the library.
void fillList(QWidget *window, const QString &name, const QString &search)
{
    if (name == u"Form4"_s) {
        click(window, "Option3");
    } else {
        retype(child<QLineEdit>(window, "Text1"), search);
        click(window, u"Command1"_s);
    }
    QTRY_VERIFY(child<QListWidget>(window, "List1")->count() > 0);
}

} // namespace

void TestFaultsStorage::documentNotWritten_data()
{
    QTest::addColumn<QString>("window"); // Form1 (文書表示), Form6 (改訂指示履歴), Form3 (文書表示)
    addColumns<QString, int, QString>("search", "row", "fault");
    QTest::addColumn<QString>("folder");       // the folder that cannot be written
    QTest::addColumn<QStringList>("earlier");  // documents from an earlier download
    QTest::addColumn<QString>("notRequested"); // a later document that must not be fetched

    const QStringList form1Earlier = {Patient + u"/ハイバリン錠20mg.pdf"_s, Medical + u"/ハイバリン錠20mg.pdf"_s};
    const QStringList form6Earlier = {Revision + u"/トリノキサン錠：2023年04月　改訂.pdf"_s};
    const QStringList form3Earlier = {Otc + u"/ハルカゼ顆粒.pdf"_s};
    for (const QString &fault : {u"is a file"_s, u"immutable"_s, u"size limit"_s}) {
        // the guide comes first; a failed guide ends the command before the insert
        QTest::addRow("prescription guide, %s", qPrintable(fault))
            << u"Form1"_s << u"ハイバリン"_s << 1 << fault << Patient
            << (fault == u"is a file"_s ? form1Earlier.mid(1) : form1Earlier) << u"/downfiles/ph/PDF/"_s;
        QTest::addRow("revision entry, %s", qPrintable(fault))
            << u"Form6"_s << u"トリノキサン"_s << 0 << fault << Revision
            << (fault == u"is a file"_s ? QStringList() : form6Earlier) << QString();
        QTest::addRow("OTC document, %s", qPrintable(fault))
            << u"Form3"_s << u"ハルカゼ顆粒"_s << 0 << fault << Otc
            << (fault == u"is a file"_s ? QStringList() : form3Earlier) << QString();
    }
}

void TestFaultsStorage::documentNotWritten()
{
    QFETCH(QString, window);
    QFETCH(QString, search);
    QFETCH(int, row);
    QFETCH(QString, fault);
    QFETCH(QString, folder);
    QFETCH(QStringList, earlier);
    QFETCH(QString, notRequested);
    FaultFixture f;
    for (const QString &file : earlier)
        QVERIFY(writeBytes(f.inLibrary(file), PracticePdf(u"earlier copy of "_s + file, 9000)));

    Window holder;
    QWidget *form = Open(f, holder, window == u"Form3"_s ? window : u"Form1"_s);
    fillList(form, window, search);
    clickRow(child<QListWidget>(form, "List1"), row);

    const auto download = [&] { startDownload(f, form, window); };

    // The files are compared while the fault is still in place ("is a file" moves a
    // folder aside), the checks come after it is lifted.
    QMap<QString, QByteArray> before, after;
    {
        AppliedFault applied;
        apply(applied, fault, f.inLibrary(folder));
        if (!applied.holds)
            QSKIP("the file system does not offer the immutable attribute here");
        before = f.files();
        download();
        if (window != u"Form3"_s)
            QTRY_COMPARE(f.dialogsSeen, 1);
        after = f.files();
    }

    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"文書保存エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QVERIFY(!f.desktop.messages.first().waitCursor);
    QCOMPARE(f.desktop.opened, QStringList());
    QCOMPARE(after, before);
    if (!notRequested.isEmpty())
        QCOMPARE(f.requested(notRequested.toLatin1()), QStringList());

    // The fault gone, the same command saves and opens the new copy.
    f.desktop.messages.clear();
    f.dialogsSeen = 0;
    download();
    QTRY_VERIFY(!f.desktop.opened.isEmpty());
    QCOMPARE(f.desktop.messages.size(), 0);
    for (const QString &path : f.desktop.opened) {
        const QByteArray bytes = readBytes(path);
        QVERIFY2(bytes.startsWith("%PDF-") && bytes.endsWith("%%EOF\n") && bytes.size() < 9000, qPrintable(path));
    }
}

void TestFaultsStorage::memoNotWritten_data()
{
    addColumns<QString, QString>("window", "search");
    QTest::addColumn<QString>("memo"); // file name in the program folder
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("onFile"); // the fault is on the earlier memo file, not on the folder

    const QList<std::pair<QString, QString>> windows = {{u"Form1"_s, u"医療用医薬品情報.txt"_s},
                                                        {u"Form3"_s, u"一般用医薬品情報.txt"_s},
                                                        {u"Form4"_s, u"［医療用］.txt"_s}};
    for (const auto &[window, memo] : windows) {
        const QString search = window == u"Form1"_s ? u"ハイバリン"_s : u"ハルカゼ"_s;
        QTest::addRow("%s, program folder is a file", qPrintable(window))
            << window << search << memo << u"is a file"_s << false;
        QTest::addRow("%s, program folder immutable", qPrintable(window))
            << window << search << memo << u"immutable"_s << false;
        QTest::addRow("%s, memo file immutable", qPrintable(window))
            << window << search << memo << u"immutable"_s << true;
        QTest::addRow("%s, size limit", qPrintable(window)) << window << search << memo << u"size limit"_s << false;
    }
}

void TestFaultsStorage::memoNotWritten()
{
    QFETCH(QString, window);
    QFETCH(QString, search);
    QFETCH(QString, memo);
    QFETCH(QString, fault);
    QFETCH(bool, onFile);
    FaultFixture f;
    QVERIFY(writeBytes(f.inLibrary(Medical + u"/ハイバリン錠10mg.pdf"_s), PracticePdf(u"earlier"_s, 100)));
    // an earlier memo, longer than anything the limit lets through
    QVERIFY(writeBytes(f.state.AppPath + u'/' + memo, sjisBytes(u"前回のメモ\r\n"_s.repeated(200))));

    Window holder;
    QWidget *form = Open(f, holder, window);
    fillList(form, window, search);
    const QString memoButton = window == u"Form1"_s   ? u"Command8"_s
                               : window == u"Form3"_s ? u"Command6"_s
                                                      : u"Command5"_s;
    QMap<QString, QByteArray> before, after;
    {
        AppliedFault applied;
        apply(applied, fault, onFile ? f.state.AppPath + u'/' + memo : f.state.AppPath);
        if (!applied.holds)
            QSKIP("the file system does not offer the immutable attribute here");
        before = f.files();
        click(form, memoButton);
        after = f.files();
    }
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"メモ保存エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QVERIFY(f.desktop.messages.first().text.contains(memo));
    QCOMPARE(f.desktop.opened, QStringList());
    QCOMPARE(after, before);

    f.desktop.messages.clear();
    click(form, memoButton);
    QCOMPARE(f.desktop.messages.size(), 0);
    QCOMPARE(f.desktop.opened, QStringList{f.state.AppPath + u'/' + memo});
    QVERIFY(!readBytes(f.state.AppPath + u'/' + memo).contains(sjisBytes(u"前回のメモ"_s)));
}

void TestFaultsStorage::renameInUnwritableLibrary_data()
{
    QTest::addColumn<bool>("onFile"); // the document itself is immutable, not its folder
    QTest::newRow("category folder immutable") << false;
    QTest::newRow("document immutable") << true;
}

void TestFaultsStorage::renameInUnwritableLibrary()
{
    QFETCH(bool, onFile);
    FaultFixture f;
    const QString document = f.inLibrary(Medical + u"/ハイバリン錠10mg.pdf"_s);
    QVERIFY(writeBytes(document, PracticePdf(u"earlier"_s, 100)));
    Window holder;
    QWidget *form = Open(f, holder, u"Form4"_s);
    fillList(form, u"Form4"_s, QString());
    clickRow(child<QListWidget>(form, "List1"), 0);

    Fault::Immutable immutable(onFile ? document : f.inLibrary(Medical));
    if (!immutable.Holds())
        QSKIP("the file system does not offer the immutable attribute here");
    const QMap<QString, QByteArray> before = f.files();
    bool stayedOpen = false;
    f.onModal([&](QDialog *dialog) {
        auto *text = child<QLineEdit>(dialog, "Text1");
        text->selectAll();
        text->insert(u"ハイバリン錠10mg（旧）"_s);
        click(dialog, u"Command1"_s);
        stayedOpen = dialog->isVisible();
        click(dialog, u"Command2"_s);
    });
    click(form, u"Command3"_s);
    QCOMPARE(f.dialogsSeen, 1);
    QVERIFY(stayedOpen);
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.messages.first().title, u"ファイル名変更エラー"_s);
    QCOMPARE(f.desktop.messages.first().icon, Desktop::Icon::Exclamation);
    QCOMPARE(f.files(), before);
    auto *list = child<QListWidget>(form, "List1");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), u"ハイバリン錠10mg"_s);
}

namespace {

// The leftovers of killed writers in a folder.
QStringList temporaries(const QString &folder)
{
    QStringList found;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks))
        if (TemporaryFiles::IsTemporaryName(name))
            found << name;
    return found;
}

// The program starts again on the fixture's folders.
void startAgain(FaultFixture &f)
{
    StartPaths paths;
    paths.AppPath = f.state.AppPath;
    paths.WorkPath = f.state.WorkPath;
    paths.MemoPath = f.state.AppPath;
    paths.DocumentsPath = f.state.DocumentsPath;
    ProgramState state;
    PrepareProgram(state, paths);
}

} // namespace

void TestFaultsStorage::leftoversRemoved_data()
{
    QTest::addColumn<bool>("atStart"); // else: by the first save into the folder
    QTest::newRow("at start-up") << true;
    QTest::newRow("before the first save into the folder") << false;
}

// Only the writer's own pattern, only unheld regular files: another copy of the
// program that is saving holds its file, and a user's look-alike files stay.
void TestFaultsStorage::leftoversRemoved()
{
    QFETCH(bool, atStart);
    FaultFixture f;
    const QString folder = f.inLibrary(Medical);
    const QStringList leftovers{u".hibari-0.tmp"_s, u".hibari-zik0zj.tmp"_s};
    const QStringList kept{u".hibari-ABC.tmp"_s, u".hibari-.tmp"_s,   u".hibari-abc.tmp.pdf"_s,  u".hibari-a_b.tmp"_s,
                           u"hibari-abc.tmp"_s,  u".other-abc.tmp"_s, u".hibari-12345678.tmp"_s, u"文書.pdf"_s};
    for (const QString &name : leftovers + kept)
        QVERIFY(writeBytes(folder + u'/' + name, name.toUtf8()));
    QVERIFY(QDir(folder).mkdir(u".hibari-dir.tmp"_s));
    QVERIFY(QFile::link(folder + u"/文書.pdf"_s, folder + u"/.hibari-link.tmp"_s));
    const QString otherLibrary = f.inLibrary(Otc);
    QVERIFY(writeBytes(otherLibrary + u"/.hibari-1.tmp"_s, "x"));
    const TemporaryFiles::Created held = TemporaryFiles::Create(QFile::encodeName(folder)); // another copy saving
    QVERIFY(held.fd >= 0);
    const QString heldName = QFileInfo(QFile::decodeName(held.path)).fileName();

    if (atStart) {
        startAgain(f);
        QCOMPARE(temporaries(otherLibrary), QStringList());
    } else {
        QCOMPARE(WriteFileAtomically(folder + u"/新しい文書.pdf"_s, "new"), QString());
        QCOMPARE(temporaries(otherLibrary), QStringList{u".hibari-1.tmp"_s}); // not saved into
    }
    QCOMPARE(temporaries(folder), QStringList{heldName});
    for (const QString &name : kept)
        QCOMPARE(readBytes(folder + u'/' + name), name.toUtf8());
    QVERIFY(QFileInfo(folder + u"/.hibari-dir.tmp"_s).isDir());
    QVERIFY(QFileInfo(folder + u"/.hibari-link.tmp"_s).isSymLink());
    QVERIFY(QFileInfo::exists(folder + u"/文書.pdf"_s));

    ::close(held.fd); // that copy was killed: its file goes at the next start
    startAgain(f);
    QCOMPARE(temporaries(folder), QStringList());
}

// A save of a large document cut short by SIGKILL at chosen moments: the document
// is always one whole version, the earlier or a later one, and the next start
// leaves no temporary file behind. The moments come from a fixed seed; what is
// checked holds wherever the kill lands.
void TestFaultsStorage::killedWhileSaving()
{
    FaultFixture f;
    const QString document = f.inLibrary(Medical + u"/ハイバリン錠10mg.pdf"_s);
    constexpr qsizetype Size = 16 << 20;
    QVERIFY(writeBytes(document, DocumentVersion(0, Size)));
    QRandomGenerator random(24);
    qint64 previous = 0;
    int leftBehind = 0;
    for (int round = 1; round <= 12; ++round) {
        const qint64 first = round * 1000;
        const QStringList earlier = temporaries(f.inLibrary(Medical));
        const auto ownTemporary = [&] {
            const QStringList now = temporaries(f.inLibrary(Medical));
            return std::any_of(now.begin(), now.end(), [&](const QString &name) { return !earlier.contains(name); });
        };
        QProcess writer;
        writer.start(QStringLiteral(FAULT_WRITER), {document, QString::number(Size), QString::number(first), u"0"_s});
        QVERIFY(writer.waitForStarted());
        // past zero or one whole save, then somewhere into the next: after a chosen
        // while, or (every third round, and the last) as soon as its temporary file is
        // there, so that the rounds surely leave some behind
        for (qsizetype saved = 0, wanted = random.bounded(2); saved < wanted; saved += writer.readAll().size())
            QVERIFY2(writer.waitForReadyRead(120000), writer.readAllStandardError().constData());
        if (round % 3 == 0) {
            while (!ownTemporary() && writer.state() == QProcess::Running)
                QThread::usleep(200);
        } else {
            QThread::usleep(random.bounded(300000));
        }
        writer.kill();
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        const std::optional<qint64> version = WholeVersion(readBytes(document), Size);
        QVERIFY2(version, qPrintable(u"round %1: the document is torn"_s.arg(round)));
        QVERIFY2(*version == previous || *version >= first,
                 qPrintable(u"round %1: version %2 after %3"_s.arg(round).arg(*version).arg(previous)));
        previous = *version;
        leftBehind += int(temporaries(f.inLibrary(Medical)).size()); // the next writer's first save removes them
    }
    qInfo("temporary files left behind by the 12 kills: %d", leftBehind);
    if (temporaries(f.inLibrary(Medical)).isEmpty())
        qWarning("the last kill came after its save: the next start has nothing to remove");
    startAgain(f);
    QCOMPARE(temporaries(f.inLibrary(Medical)), QStringList());
    QCOMPARE(WholeVersion(readBytes(document), Size).value_or(-1), previous);
}

// Two copies on one library: one saves over and over while the other starts and
// cleans the same folder again and again; every save succeeds and nothing is lost.
void TestFaultsStorage::secondCopyCleansWhileSaving()
{
    FaultFixture f;
    const QString folder = f.inLibrary(Medical);
    const QString document = folder + u"/ハイバリン錠10mg.pdf"_s;
    constexpr qsizetype Size = 64 << 10;
    constexpr int Saves = 100;
    QProcess writer;
    writer.start(QStringLiteral(FAULT_WRITER), {document, QString::number(Size), u"1"_s, QString::number(Saves)});
    QVERIFY(writer.waitForStarted());
    // A file taken between its creation and its lock is one the writer gives up for a new one.
    while (!writer.waitForFinished(1))
        TemporaryFiles::RemoveStale(folder);
    QVERIFY2(writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0,
             writer.readAllStandardError().constData());
    QCOMPARE(writer.readAllStandardOutput().size(), qsizetype(Saves));
    QCOMPARE(WholeVersion(readBytes(document), Size).value_or(-1), qint64(Saves));
    QCOMPARE(temporaries(folder), QStringList());
}

QTEST_MAIN(TestFaultsStorage)
#include "test_faults_storage.moc"
