#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "Inserts.h"
#include "fulltext/PdfText.h"
#include "fulltext/TextFold.h"
#include "support/TestData.h"
#include "support/WindowTest.h"

using namespace Qt::Literals::StringLiterals;

// The helper that reads PDFs: its output read strictly, a real insert read whole,
// and a helper that crashes, hangs, runs out of memory or stops short.
class TestPdfText : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void parsePageTexts_data();
    void parsePageTexts();
    void parseRenderedPage();
    void readsAnInsert();
    void failingHelper_data();
    void failingHelper();
};

void TestPdfText::parsePageTexts_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("pages"); // -1: refused
    const QByteArray head = "HIBARI-PDFTEXT 1\n";
    QTest::newRow("two pages") << head + "P 6\n警告" + "P 0\nE 2\n" << 2;
    QTest::newRow("no pages") << head + "E 0\n" << 0;
    QTest::newRow("cut short") << head + "P 6\n警" << -1;
    QTest::newRow("no end") << head + "P 6\n警告" << -1;
    QTest::newRow("count differs") << head + "P 6\n警告E 2\n" << -1;
    QTest::newRow("bytes after the end") << head + "E 0\nx" << -1;
    QTest::newRow("length past the end") << head + "P 999999999999\nE 1\n" << -1;
    QTest::newRow("negative length") << head + "P -1\nE 1\n" << -1;
    QTest::newRow("two spaces") << head + "P  6\n警告E 1\n" << -1;
    QTest::newRow("another version") << QByteArray("HIBARI-PDFTEXT 2\nE 0\n") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void TestPdfText::parsePageTexts()
{
    QFETCH(QByteArray, output);
    QFETCH(int, pages);
    const std::optional<QStringList> parsed = ParsePageTexts(output);
    QCOMPARE(parsed ? int(parsed->size()) : -1, pages);
    if (pages == 2)
        QCOMPARE(parsed->at(0), u"警告"_s);
}

void TestPdfText::parseRenderedPage()
{
    QByteArray output = "HIBARI-PDFTEXT 1\nS 595.5 842\nI 2 1 8 8\n";
    output += QByteArray(8, '\xff');
    output += "C 10 20 5 6 3\n警C 0 0 0 0 1\n E 2\n";
    const std::optional<RenderedPage> page = ParseRenderedPage(output);
    QVERIFY(page);
    QCOMPARE(QSize(page->width, page->height), QSize(2, 1));
    QCOMPARE(page->pixels.size(), 8);
    QCOMPARE(page->chars.size(), 2);
    QCOMPARE(page->chars.at(0).text, u"警"_s);
    QCOMPARE(page->chars.at(0).box, QRectF(10, 20, 5, 6));
    // A stride too small for the width, and pixels cut short, are refused.
    QVERIFY(!ParseRenderedPage(
        QByteArray(QByteArray("HIBARI-PDFTEXT 1\nS 1 1\nI 4 1 8 8\n") + QByteArray(8, 0) + "E 0\n")));
    QVERIFY(!ParseRenderedPage(QByteArray(QByteArray("HIBARI-PDFTEXT 1\nS 1 1\nI 2 2 8 16\n") + QByteArray(8, 0))));
}

void TestPdfText::readsAnInsert()
{
    const QString helper = PdfTextHelper(QStringLiteral(HIBARI_APP_DIR));
    QVERIFY(!helper.isEmpty());
    QTemporaryDir dir;
    const Insert insert = MakeInsert(3, 3);
    const QString file = dir.filePath(u"insert.pdf"_s);
    QVERIFY(WriteInsertPdf(insert, file));
    const std::optional<QStringList> pages = ReadPdfText(helper, file);
    QVERIFY(pages);
    QVERIFY(pages->size() >= 3);
    // Shared between two helpers or not, the same pages come out.
    QProcess whole;
    whole.start(helper, {u"text"_s, file});
    QVERIFY(whole.waitForFinished(60000));
    QCOMPARE(ParsePageTexts(whole.readAllStandardOutput()), pages);
    const QString text = FoldText(pages->join(u'\n'));
    for (const QString &word : insert.words)
        QVERIFY2(text.contains(FoldText(word)), qPrintable(word));
    // Long sentences are broken across lines by the layout, inside words.
    QVERIFY(text.contains(FoldText(u"治療上の有益性が危険性を上回ると判断される場合にのみ投与すること"_s)));
    QVERIFY(text.contains(u"cyp3a4"_s)); // full-width in the PDF
    // Names printed in half-width forms are found in full width.
    const QStringList partners{u"ワルファリンカリウム"_s, u"シクロスポリン"_s, u"リファンピシン"_s, u"テオフィリン"_s};
    for (const QString &partner : partners) {
        if (insert.html.contains(HalfWidthKatakana(partner)))
            QVERIFY(text.contains(partner));
    }
    QVERIFY(text.contains(FoldText(HalfWidthKatakana(insert.name))));

    QProcess render;
    render.start(helper, RenderArguments(file, 0, 50));
    QVERIFY(render.waitForFinished(60000));
    const std::optional<RenderedPage> page = ParseRenderedPage(render.readAllStandardOutput());
    QVERIFY(page);
    QVERIFY(page->width > 300);
    QVERIFY(page->chars.size() > 100);
}

void TestPdfText::failingHelper_data()
{
    QTest::addColumn<QString>("script"); // empty: the real helper
    QTest::addColumn<int>("timeMs");
    QTest::addColumn<qint64>("memoryBytes");
    const qint64 gib = qint64(1) << 30;
    QTest::newRow("crash") << u"kill -SEGV $$"_s << 20000 << gib;
    QTest::newRow("hang") << u"exec sleep 60"_s << 300 << gib;
    QTest::newRow("cut short") << u"printf 'HIBARI-PDFTEXT 1\\nP 9\\nab'"_s << 20000 << gib;
    QTest::newRow("failure status") << u"printf 'HIBARI-PDFTEXT 1\\nE 0\\n'; exit 3"_s << 20000 << gib;
    QTest::newRow("memory limit") << QString() << 20000 << (qint64(16) << 20);
    QTest::newRow("not a PDF") << QString() << 20000 << gib;
}

void TestPdfText::failingHelper()
{
    QFETCH(QString, script);
    QFETCH(int, timeMs);
    QFETCH(qint64, memoryBytes);
    QTemporaryDir dir;
    QString helper = PdfTextHelper(QStringLiteral(HIBARI_APP_DIR));
    if (!script.isEmpty()) {
        helper = dir.filePath(u"helper"_s);
        QVERIFY(writeBytes(helper, "#!/bin/sh\n" + script.toUtf8() + '\n'));
        QVERIFY(QFile::setPermissions(helper, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QString file = dir.filePath(u"doc.pdf"_s);
    if (QTest::currentDataTag() == QByteArray("not a PDF"))
        QVERIFY(writeBytes(file, "%PDF-1.4\nnot really\n"));
    else
        QVERIFY(WriteInsertPdf(MakeInsert(1, 1), file));
    const HelperLimits limits{timeMs, memoryBytes};
    QVERIFY(!ReadPdfText(helper, file, limits));
}

QTEST_MAIN(TestPdfText)
#include "test_pdftext.moc"
