#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "library/DocumentLibrary.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

class TestDocumentLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listDocuments_data();
    void listDocuments();
    void listMissingFolder();
    void renamedFileName_data();
    void renamedFileName();
    void renameDocument_data();
    void renameDocument();
};

namespace {

// Creates each file (a name ending in "/" is a folder) holding its own name as bytes.
void makeFiles(const QDir &dir, const QStringList &names)
{
    for (const QString &name : names) {
        if (name.endsWith(u'/')) {
            QVERIFY(dir.mkpath(name));
            continue;
        }
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name.toUtf8());
    }
}

QStringList Contents(const QDir &dir)
{
    QStringList found;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        QFile file(dir.filePath(name));
        found.append(name + u'=' + (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : u"?"_s));
    }
    return found;
}

} // namespace

void TestDocumentLibrary::listDocuments_data()
{
    addColumns<QStringList, QStringList>("files", "listed");

    QTest::newRow("extension in any case")
        << QStringList{u"B.PDF"_s, u"A.pdf"_s, u"C.Pdf"_s} << QStringList{u"A.pdf"_s, u"B.PDF"_s, u"C.Pdf"_s};
    QTest::newRow("other files left out")
        << QStringList{u"x.txt"_s, u"y.pdf.txt"_s, u"pdf"_s, u"z.pdf"_s} << QStringList{u"z.pdf"_s};
    QTest::newRow("name without title") << QStringList{u".pdf"_s, u"a.pdf"_s} << QStringList{u".pdf"_s, u"a.pdf"_s};
    QTest::newRow("sorted without regard to case")
        << QStringList{u"b.pdf"_s, u"C.pdf"_s, u"A.pdf"_s} << QStringList{u"A.pdf"_s, u"b.pdf"_s, u"C.pdf"_s};
    QTest::newRow("folders and their files left out")
        << QStringList{u"sub.pdf/"_s, u"sub.pdf/in.pdf"_s, u"［医療用］/d.pdf"_s, u"root.pdf"_s}
        << QStringList{u"root.pdf"_s};
    QTest::newRow("japanese names") << QStringList{u"医薬品Ａ.pdf"_s} << QStringList{u"医薬品Ａ.pdf"_s};
    QTest::newRow("empty folder") << QStringList() << QStringList();
}

void TestDocumentLibrary::listDocuments()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(u"［医療用］"_s);
    makeFiles(QDir(dir.path()), files);
    QCOMPARE(ListDocuments(dir.path()), listed);
}

void TestDocumentLibrary::listMissingFolder()
{
    QTemporaryDir dir;
    QCOMPARE(ListDocuments(dir.filePath(u"gone"_s)), QStringList());
    QCOMPARE(ListDocuments(QString()), QStringList());
}

void TestDocumentLibrary::renamedFileName_data()
{
    addColumns<QString, QString>("typed", "fileName");

    QTest::newRow("plain name") << u"B"_s << u"B.pdf"_s;
    QTest::newRow("upper-case extension") << u"B.PDF"_s << u"B.pdf"_s;
    QTest::newRow("mixed-case extension") << u"B.pDf"_s << u"B.pdf"_s;
    QTest::newRow("other extension kept") << u"B.pdf.txt"_s << u"B.pdf.txt.pdf"_s;
    QTest::newRow("empty") << QString() << u".pdf"_s;
    QTest::newRow("extension only") << u".PDF"_s << u".pdf"_s;
    QTest::newRow("pdf without dot") << u"pdf"_s << u"pdf.pdf"_s;
    QTest::newRow("spaces kept") << u" B "_s << u" B .pdf"_s;
    QTest::newRow("japanese") << u"医薬品　Ｂ"_s << u"医薬品　Ｂ.pdf"_s;
}

void TestDocumentLibrary::renamedFileName()
{
    QCOMPARE(RenamedFileName(fetch<QString>("typed")), fetch<QString>("fileName"));
}

void TestDocumentLibrary::renameDocument_data()
{
    addColumns<QStringList, QString, QString>("files", "oldName", "newName");
    QTest::addColumn<QString>("failure"); // a word of the description; empty: success
    QTest::addColumn<QStringList>("after");

    const QStringList two{u"A.pdf"_s, u"B.pdf"_s};
    QTest::newRow("new name") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u"C.pdf"_s << QString()
                              << QStringList{u"C.pdf=A.pdf"_s};
    QTest::newRow("same name") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u"A.pdf"_s << QString()
                               << QStringList{u"A.pdf=A.pdf"_s};
    QTest::newRow("extension case only") << QStringList{u"A.PDF"_s} << u"A.PDF"_s << u"A.pdf"_s << QString()
                                         << QStringList{u"A.pdf=A.PDF"_s};
    QTest::newRow("onto another document")
        << two << u"A.pdf"_s << u"B.pdf"_s << u"既にあります"_s << QStringList{u"A.pdf=A.pdf"_s, u"B.pdf=B.pdf"_s};
    QTest::newRow("onto a dangling link")
        << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u"L.pdf"_s << u"既にあります"_s << QStringList{u"A.pdf=A.pdf"_s};
    QTest::newRow("slash into parent") << two << u"A.pdf"_s << u"../B.pdf"_s << u"「/」"_s
                                       << QStringList{u"A.pdf=A.pdf"_s, u"B.pdf=B.pdf"_s};
    QTest::newRow("slash into subfolder") << QStringList{u"A.pdf"_s, u"sub/"_s} << u"A.pdf"_s << u"sub/A.pdf"_s
                                          << u"「/」"_s << QStringList{u"A.pdf=A.pdf"_s};
    QTest::newRow("source vanished") << QStringList{u"B.pdf"_s} << u"A.pdf"_s << u"C.pdf"_s << u"見つかりません"_s
                                     << QStringList{u"B.pdf=B.pdf"_s};
    // Names the list could not show: each refused with its reason, the document left as it was.
    const QStringList kept{u"A.pdf=A.pdf"_s};
    QTest::newRow("empty") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u".pdf"_s << u"空です"_s << kept;
    QTest::newRow("only spaces") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u"   .pdf"_s << u"空です"_s << kept;
    QTest::newRow("only full-width spaces")
        << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u"　　.pdf"_s << u"空です"_s << kept;
    QTest::newRow("hidden") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u".A.pdf"_s << u"「.」"_s << kept;
    QTest::newRow("line break") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u"A\nB.pdf"_s << u"制御文字"_s << kept;
    QTest::newRow("tab") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u"A\tB.pdf"_s << u"制御文字"_s << kept;
    QTest::newRow("spaces around a name")
        << QStringList{u"A.pdf"_s} << u"A.pdf"_s << u" B .pdf"_s << QString() << QStringList{u" B .pdf=A.pdf"_s};
    QTest::newRow("name too long") << QStringList{u"A.pdf"_s} << u"A.pdf"_s << QString(90, u'医') + u".pdf"_s
                                   << u"長すぎます"_s << QStringList{u"A.pdf=A.pdf"_s};
}

void TestDocumentLibrary::renameDocument()
{
    QFETCH(QStringList, files);
    QFETCH(QString, oldName);
    QFETCH(QString, newName);
    QFETCH(QString, failure);
    QFETCH(QStringList, after);
    QTemporaryDir dir;
    const QDir folder(dir.filePath(u"［医療用］"_s));
    QVERIFY(folder.mkpath(u"."_s));
    makeFiles(folder, files);
    QVERIFY(QFile::link(u"nowhere.pdf"_s, folder.filePath(u"L.pdf"_s))); // a dangling link

    const QString errorText = RenameDocument(folder.path(), oldName, newName);
    QCOMPARE(errorText.isEmpty(), failure.isEmpty());
    QVERIFY2(errorText.contains(failure), qPrintable(errorText));
    QStringList contents = Contents(folder);
    contents.removeAll(u"L.pdf=?"_s);
    after.removeAll(u"L.pdf=?"_s);
    QCOMPARE(contents, after);
    // nothing moved out of the folder or into a subfolder
    QCOMPARE(Contents(QDir(dir.path())), QStringList());
    QCOMPARE(Contents(QDir(folder.filePath(u"sub"_s))), QStringList());
}

QTEST_GUILESS_MAIN(TestDocumentLibrary)
#include "test_documentlibrary.moc"
