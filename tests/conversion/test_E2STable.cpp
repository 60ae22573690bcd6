// Checks the shipped conversion table against the C library's codecs, which are
// independent of the codec that generated it.

#include <iconv.h>

#include <QFile>
#include <QStringDecoder>
#include <QTest>

#include "conversion/ESConv.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString tablePath()
{
    return QStringLiteral(HIBARI_SOURCE_DIR) + u"/data/E2S.param"_s;
}

QByteArray bytesOf(quint32 code)
{
    QByteArray bytes;
    if (code > 0xFFFF)
        bytes.append(char(code >> 16));
    if (code > 0xFF)
        bytes.append(char(code >> 8 & 0xFF));
    bytes.append(char(code & 0xFF));
    return bytes;
}

// Converts with iconv; an empty result when the input is not one whole character.
QByteArray convert(const char *to, const char *from, QByteArray input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return {};
    char out[16];
    char *inPtr = input.data();
    size_t inLeft = size_t(input.size());
    char *outPtr = out;
    size_t outLeft = sizeof out;
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1) || inLeft)
        return {};
    return QByteArray(out, qsizetype(sizeof out - outLeft));
}

QString decodeWithLibc(const char *codec, const QByteArray &bytes)
{
    const QByteArray utf8 = convert("UTF-8", codec, bytes);
    return utf8.isEmpty() ? QString() : QString::fromUtf8(utf8);
}

QByteArray encodeWithLibc(const char *codec, const QString &text)
{
    return convert(codec, "UTF-8", text.toUtf8());
}

struct Pair {
    quint32 euc;
    quint16 sjis;
};

QList<Pair> readPairs()
{
    QList<Pair> pairs;
    QFile file(tablePath());
    if (!file.open(QIODevice::ReadOnly))
        return pairs;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() == 2)
            pairs.append({fields[0].toUInt(nullptr, 16), quint16(fields[1].toUInt(nullptr, 16))});
    }
    return pairs;
}

bool isPrivateUse(const QString &text)
{
    return text.size() == 1 && text[0].unicode() >= 0xE000 && text[0].unicode() <= 0xF8FF;
}

} // namespace

class TestE2STable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pairsMatchTheCodecs_data();
    void pairsMatchTheCodecs();
    void everyRecordInAKnownRange();
    void reverseRoundTrips_data();
    void reverseRoundTrips();
    void everyCodeAsLibcReadsIt_data();
    void everyCodeAsLibcReadsIt();
    void nameWithJisX0212Character();

private:
    QList<Pair> m_pairs;
    EucTable m_table;
};

void TestE2STable::initTestCase()
{
    m_pairs = readPairs();
    QVERIFY(LoadEucTable(m_table, tablePath()));
    qInfo("%lld pairs in the table", qlonglong(m_pairs.size()));
}

void TestE2STable::pairsMatchTheCodecs_data()
{
    addColumns<quint32, quint32, bool, int>("from", "to", "rows89To92", "expectedCount");

    QTest::newRow("ASCII") << 0x01u << 0x7Fu << false << 127;
    QTest::newRow("half-width katakana") << 0x8EA1u << 0x8EDFu << false << 63;
    QTest::newRow("JIS X 0208 rows 1-12") << 0xA1A1u << 0xACFEu << false << 524;
    QTest::newRow("NEC row 13") << 0xADA1u << 0xADFEu << false << 83;
    QTest::newRow("JIS X 0208 rows 14-84") << 0xAEA1u << 0xF4FEu << false << 6355;
    // eucJP-ms calls rows 89-92 user-defined; Windows-style writers put the
    // NEC-selected IBM extensions there, and the platform codec reads them so.
    QTest::newRow("rows 89-92") << 0xF9A1u << 0xFCFEu << true << 374;
    QTest::newRow("JIS X 0212") << 0x8FA1A1u << 0x8FF2FEu << false << 282;
    QTest::newRow("IBM extensions") << 0x8FF3F3u << 0x8FF4FEu << false << 106;
}

void TestE2STable::pairsMatchTheCodecs()
{
    QFETCH(quint32, from);
    QFETCH(quint32, to);
    QFETCH(bool, rows89To92);
    QFETCH(int, expectedCount);

    int count = 0;
    for (const Pair &pair : std::as_const(m_pairs)) {
        if (pair.euc < from || pair.euc > to)
            continue;
        ++count;
        const QByteArray euc = bytesOf(pair.euc);
        QString expected;
        if (rows89To92) {
            QStringDecoder decoder("EUC-JP", QStringConverter::Flag::Stateless);
            expected = decoder(euc);
        } else {
            expected = decodeWithLibc("EUC-JP-MS", euc);
        }
        const QString shown = decodeWithLibc("CP932", bytesOf(pair.sjis));
        if (shown != expected || expected.size() != 1)
            QFAIL(qPrintable(
                u"%1,%2 shows %3 instead of %4"_s.arg(pair.euc, 0, 16).arg(pair.sjis, 0, 16).arg(shown, expected)));
        QCOMPARE(m_table.sjisFor(pair.euc), pair.sjis);
    }
    QCOMPARE(count, expectedCount);
}

void TestE2STable::everyRecordInAKnownRange()
{
    const QList<std::pair<quint32, quint32>> ranges
        = {{0x01, 0x7F}, {0x8EA1, 0x8EDF}, {0xA1A1, 0xFCFE}, {0x8FA1A1, 0x8FF4FE}};
    for (const Pair &pair : std::as_const(m_pairs)) {
        const bool known = std::any_of(ranges.begin(), ranges.end(),
                                       [&](const auto &r) { return pair.euc >= r.first && pair.euc <= r.second; });
        if (!known || (pair.euc & 0xFF) < (pair.euc > 0xFF ? 0xA1u : 0x01u))
            QFAIL(qPrintable(u"record %1 outside the EUC-JP ranges"_s.arg(pair.euc, 0, 16)));
    }
    QCOMPARE(m_table.size(), 7914);
}

void TestE2STable::reverseRoundTrips_data()
{
    addColumns<int, int>("firstLead", "lastLead");

    QTest::newRow("single bytes") << 0 << 0;
    QTest::newRow("symbols and kana (81-84)") << 0x81 << 0x84;
    QTest::newRow("NEC row 13 (87)") << 0x87 << 0x87;
    QTest::newRow("kanji (88-9F)") << 0x88 << 0x9F;
    QTest::newRow("kanji (E0-EA)") << 0xE0 << 0xEA;
    QTest::newRow("NEC-selected IBM extensions (ED-EE)") << 0xED << 0xEE;
    QTest::newRow("IBM extensions (FA-FC)") << 0xFA << 0xFC;
}

// Every cp932 character that has an EUC-JP code goes out as the eucJP-ms bytes and
// comes back through the table as the same character.
void TestE2STable::reverseRoundTrips()
{
    QFETCH(int, firstLead);
    QFETCH(int, lastLead);

    QList<QByteArray> codes;
    if (firstLead == 0) {
        for (int b = 0x01; b <= 0xFF; ++b)
            codes.append(bytesOf(quint32(b)));
    } else {
        for (int lead = firstLead; lead <= lastLead; ++lead)
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                codes.append(bytesOf(quint32(lead << 8 | trail)));
    }
    int checked = 0;
    for (const QByteArray &code : std::as_const(codes)) {
        const QString character = decodeWithLibc("CP932", code);
        if (character.size() != 1 || isPrivateUse(character))
            continue;
        const QByteArray euc = encodeWithLibc("EUC-JP-MS", character);
        if (euc.isEmpty() || isPrivateUse(decodeWithLibc("EUC-JP-MS", euc)))
            continue;
        ++checked;
        QString expected;
        for (const char byte : euc)
            expected += u'%' + QString::number(quint8(byte), 16).toUpper().rightJustified(2, u'0');
        const QString encoded = EncodeQuery(m_table, character);
        if (encoded != expected)
            QFAIL(qPrintable(u"cp932 %1 (%2) encodes as %3, not %4"_s.arg(QString::fromLatin1(code.toHex()), character,
                                                                          encoded, expected)));
        const QString back = EucToSjis(m_table, euc);
        if (back != character)
            QFAIL(qPrintable(
                u"cp932 %1 (%2) comes back as %3"_s.arg(QString::fromLatin1(code.toHex()), character, back)));
    }
    QVERIFY(checked > 0);
}

void TestE2STable::everyCodeAsLibcReadsIt_data()
{
    QTest::addColumn<int>("lead"); // 0 for two bytes A1-FE

    QTest::newRow("two bytes A1-FE") << 0;
    QTest::newRow("8E and one byte") << 0x8E;
    QTest::newRow("8F and two bytes") << 0x8F;
}

// Every well-formed code is read whole: as glibc's eucJP-ms reads it where that holds
// the character (its user-defined rows aside), else as one character or none; the
// text after it is never touched.
void TestE2STable::everyCodeAsLibcReadsIt()
{
    QFETCH(int, lead);
    QStringDecoder platform("EUC-JP", QStringConverter::Flag::Stateless);
    int agreed = 0;
    for (int first = 0xA1; first <= 0xFE; ++first) {
        for (int second = lead == 0x8E ? first : 0xA1; second <= (lead == 0x8E ? first : 0xFE); ++second) {
            QByteArray code;
            if (lead)
                code.append(char(lead));
            code.append(char(first));
            if (lead != 0x8E)
                code.append(char(second));
            const quint32 value = quint32(lead) << (8 * (code.size() - 1)) | quint32(first) << (lead == 0x8E ? 0 : 8)
                                  | quint32(lead == 0x8E ? 0 : second);
            const QString got = EucToSjis(m_table, code + "A");
            const QString libc = decodeWithLibc("EUC-JP-MS", code);
            const bool libcHolds = libc.size() == 1 && !isPrivateUse(libc);
            QString expected;
            if (libcHolds) {
                expected = libc;
            } else if (m_table.sjisFor(value)) {
                expected = got.chopped(1); // the table's user-defined rows: checked with the pairs
            } else {
                platform.resetState();
                const QString known = platform.decode(code);
                // Unknown: U+FFFD, or ICU's substitute control code SUB.
                if (known.size() == 1 && known[0] != QChar::ReplacementCharacter && known[0] >= u' '
                    && !isPrivateUse(known))
                    expected = known;
            }
            if (got != expected + u'A')
                QFAIL(qPrintable(
                    u"%1 reads as %2, not %3"_s.arg(QString::fromLatin1(code.toHex()), got, expected + u'A')));
            agreed += libcHolds;
        }
    }
    QVERIFY(agreed > 0);
}

void TestE2STable::nameWithJisX0212Character()
{
    const QString name = u"テスト丂錠１０ｍｇ「ソラ¡」"_s;
    QByteArray euc;
    for (const QChar c : name)
        euc += encodeWithLibc("EUC-JP-MS", c);
    QCOMPARE(EucToSjis(m_table, euc), name);
}

QTEST_GUILESS_MAIN(TestE2STable)
#include "test_E2STable.moc"
