// Writes the conversion table "E2S.param": one "EUC,SJIS" record per line, both in
// upper-case hexadecimal, from the platform's EUC-JP and cp932 codecs.
//
//   gen-e2s <output file>
//
// What the table covers, in the conventions of Windows-compatible EUC-JP (eucJP-ms),
// so that a page converts to the text a cp932 reader shows:
// - 01-7F: ASCII, to itself.
// - 8EA1-8EDF: half-width katakana, to A1-DF.
// - two-byte A1A1-FEFE as the EUC-JP codec reads them: JIS X 0208 with the Windows
//   characters (A1C1 is U+FF5E, cp932 8160), the NEC special characters of row 13
//   (ADA1 = cp932 8740 ...), and rows 89-92 (F9A1-FCFE) read as the NEC-selected IBM
//   extensions (cp932 ED40-EEFC). eucJP-ms itself calls rows 85-94 user-defined; the
//   rows 89-92 reading is what Windows-style EUC-JP writers produce, and accepting it
//   costs nothing because the user-defined area is left out of the table.
// - three-byte 8FA1A1-8FF2FE: JIS X 0212 as the codec reads it, except 8FA2C3, which
//   eucJP-ms gives the full-width broken bar U+FFE4 (cp932 FA55): cp932 has no U+00A6.
// - three-byte 8FF3F3-8FF4FE: the IBM extensions of cp932 (FA40-FC4B) that have no
//   other EUC-JP code, taken in cp932 order: every kanji that JIS X 0212 lacks, and
//   every non-kanji except those JIS X 0208 holds (FA54 ¬, FA5B ∵) and the broken bar
//   (FA55 ￤ = 8FA2C3). The row-13 duplicates Ⅰ-Ⅹ, №, ℡, ㈱ are in the block too.
//   That gives exactly 106 codes, 8FF3F3 to 8FF4FE. The codec of the platform does not
//   know this block; it follows from the eucJP-ms definition.
// The user-defined areas (private-use characters) are left out.
//
// Every SJIS field is the code that the cp932 encoder gives for the character, so
// each character has one cp932 code in the table. Where several EUC-JP codes hold
// one character, the reverse table (cp932 -> EUC-JP, used for query strings) must
// get the eucJP-ms one; the loader keeps the last record, so the records are written
// in two blocks: first the alternative codes, then the preferred codes, each block in
// EUC-JP code order. Preferred is, in this order: JIS X 0208, NEC row 13, JIS X 0212,
// the IBM block 8FF3F3-8FF4FE; rows 89-92 are never preferred. So ～ (8160) goes back
// to A1C1 and 纊 (FA5C) to its JIS X 0212 code 8FD4E3, never to F9A1.

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

enum Rank { SingleByte, Jis0208, NecRow13, Jis0212, IbmBlock, IbmRows89To92 };

struct Pair {
    quint32 euc;
    quint16 sjis;
    Rank rank;
};

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

// The one character that `bytes` stand for in `codec`, or a null QChar.
QChar decodeOne(const char *codec, const QByteArray &bytes)
{
    QStringDecoder decoder(codec, QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError() || text.size() != 1 || text[0] == QChar::ReplacementCharacter)
        return {};
    const char16_t u = text[0].unicode();
    if (u >= 0xE000 && u <= 0xF8FF) // user-defined area
        return {};
    return text[0];
}

// The cp932 code of `c`, or 0 when cp932 has no exact code for it (no fallbacks).
quint16 cp932Of(QChar c)
{
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder(QString(c));
    if (encoder.hasError() || bytes.isEmpty() || bytes.size() > 2 || decodeOne("windows-31j", bytes) != c)
        return 0;
    return bytes.size() == 1 ? quint8(bytes[0]) : quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
}

bool isKanji(QChar c)
{
    return c.script() == QChar::Script_Han;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen-e2s <output file>\n");
        return 2;
    }

    std::vector<Pair> pairs;
    std::map<char16_t, Rank> jisRank; // characters with a JIS X 0208 / 0212 code
    auto add = [&](quint32 euc, QChar c, Rank rank) {
        const quint16 sjis = cp932Of(c);
        if (sjis)
            pairs.push_back({euc, sjis, rank});
        if ((rank == Jis0208 || rank == Jis0212) && !jisRank.contains(c.unicode()))
            jisRank[c.unicode()] = rank;
    };

    for (quint32 b = 0x01; b <= 0x7F; ++b)
        pairs.push_back({b, quint16(b), SingleByte});
    for (quint32 b = 0xA1; b <= 0xDF; ++b)
        pairs.push_back({0x8E00 | b, quint16(b), SingleByte});

    for (quint32 row = 0xA1; row <= 0xFE; ++row) {
        for (quint32 cell = 0xA1; cell <= 0xFE; ++cell) {
            const quint32 euc = row << 8 | cell;
            const QChar c = decodeOne("EUC-JP", bytesOf(euc));
            if (c.isNull())
                continue;
            const Rank rank = row == 0xAD ? NecRow13 : (row >= 0xF9 && row <= 0xFC) ? IbmRows89To92 : Jis0208;
            add(euc, c, rank);
        }
    }
    for (quint32 row = 0xA1; row <= 0xF2; ++row) {
        for (quint32 cell = 0xA1; cell <= 0xFE; ++cell) {
            const quint32 euc = 0x8F0000 | row << 8 | cell;
            const QChar c = euc == 0x8FA2C3 ? QChar(0xFFE4) : decodeOne("EUC-JP", bytesOf(euc));
            if (!c.isNull())
                add(euc, c, Jis0212);
        }
    }

    // The IBM block, in cp932 order.
    quint32 next = 0x8FF3F3;
    for (quint32 lead = 0xFA; lead <= 0xFC; ++lead) {
        for (quint32 trail = 0x40; trail <= 0xFC; ++trail) {
            const quint32 sjis = lead << 8 | trail;
            if (trail == 0x7F || sjis > 0xFC4B)
                continue;
            const QChar c = decodeOne("windows-31j", bytesOf(sjis));
            if (c.isNull())
                continue;
            const auto known = jisRank.find(c.unicode());
            if (known != jisRank.end() && (known->second == Jis0208 || isKanji(c) || c == QChar(0xFFE4)))
                continue;
            add(next, c, IbmBlock);
            next = (next & 0xFF) == 0xFE ? (next & 0xFFFF00) + 0x100 + 0xA1 : next + 1;
        }
    }
    if (next != 0x8FF5A1) {
        std::fprintf(stderr, "gen-e2s: the IBM block does not end at 8FF4FE (next %06X)\n", next);
        return 1;
    }

    // The preferred EUC-JP code of each cp932 code: lowest rank, then lowest code.
    std::map<quint16, const Pair *> preferred;
    for (const Pair &pair : pairs) {
        auto &best = preferred[pair.sjis];
        if (!best || pair.rank < best->rank || (pair.rank == best->rank && pair.euc < best->euc))
            best = &pair;
    }
    std::vector<Pair> alternatives, chosen;
    for (const Pair &pair : pairs)
        (preferred[pair.sjis] == &pair ? chosen : alternatives).push_back(pair);
    auto byEuc = [](const Pair &a, const Pair &b) { return a.euc < b.euc; };
    std::sort(alternatives.begin(), alternatives.end(), byEuc);
    std::sort(chosen.begin(), chosen.end(), byEuc);

    QByteArray out;
    auto write = [&](const Pair &pair) {
        const int eucDigits = pair.euc > 0xFFFF ? 6 : pair.euc > 0xFF ? 4 : 2;
        const int sjisDigits = pair.sjis > 0xFF ? 4 : 2;
        out += QByteArray::number(pair.euc, 16).toUpper().rightJustified(eucDigits, '0') + ','
               + QByteArray::number(pair.sjis, 16).toUpper().rightJustified(sjisDigits, '0') + '\n';
    };
    std::for_each(alternatives.begin(), alternatives.end(), write);
    std::for_each(chosen.begin(), chosen.end(), write);

    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        std::fprintf(stderr, "gen-e2s: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%zu pairs (%zu alternative codes, %zu cp932 codes)\n", pairs.size(), alternatives.size(),
                chosen.size());
    return 0;
}
