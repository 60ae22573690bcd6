#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The manual in the program folder is a real PDF that holds the manual's text.
class TestManual : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isPdfWithText_data();
    void isPdfWithText();
};

void TestManual::isPdfWithText_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::newRow("title") << u"Hibari 使用説明書"_s;
    QTest::newRow("prescription window") << u"医療用医薬品情報"_s;
    QTest::newRow("document dialog") << u"ファイルの選択"_s;
    QTest::newRow("library folder") << u"医薬品情報/［医療用］"_s;
    QTest::newRow("memo file") << u"医療用医薬品情報.txt"_s;
    QTest::newRow("memo encoding") << u"Shift-JIS"_s;
}

void TestManual::isPdfWithText()
{
    QFETCH(QString, phrase);
    const QString path = QStringLiteral(HIBARI_APP_DIR) + u"/Hibari.pdf"_s;
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.trimmed().endsWith("%%EOF"));

    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, path, u"-"_s});
    QVERIFY2(pdftotext.waitForFinished(60000), "pdftotext did not run (poppler-utils)");
    QCOMPARE(pdftotext.exitCode(), 0);
    // Lines of Japanese text break anywhere: compare without line breaks and blanks.
    QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    text.remove(QRegularExpression(u"\\s"_s));
    phrase.remove(QRegularExpression(u"\\s"_s));
    QVERIFY2(text.contains(phrase), qPrintable(phrase));
}

QTEST_GUILESS_MAIN(TestManual)
#include "test_manual.moc"
