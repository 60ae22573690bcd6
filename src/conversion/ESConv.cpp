#include "conversion/ESConv.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>

#include <QStringDecoder>
#include <QStringEncoder>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

bool isEucTrail(uchar b)
{
    return b >= 0xA1 && b <= 0xFE;
}

// The length of the well-formed EUC-JP sequence at `p` (8F + two bytes A1-FE, 8E + one,
// two bytes A1-FE), 0 when there is none.
qsizetype wellFormedLength(const uchar *p, qsizetype available)
{
    if (available >= 3 && p[0] == 0x8F && isEucTrail(p[1]) && isEucTrail(p[2]))
        return 3;
    if (available >= 2 && (p[0] == 0x8E || isEucTrail(p[0])) && isEucTrail(p[1]))
        return 2;
    return 0;
}

// Writes the platform decoder's character for one sequence (never more units than
// the sequence has bytes, so the output cannot overtake the input); a sequence that
// the decoder does not know, or reads as a control or private-use code, writes nothing.
char16_t *appendDecoded(QStringDecoder &decoder, const uchar *p, qsizetype length, char16_t *out)
{
    // The decoder's error flag outlives resetState(), so the replacement character
    // is what tells an unknown sequence.
    decoder.resetState();
    const QString text = decoder.decode(QByteArrayView(p, length));
    if (text.isEmpty() || text.size() > length)
        return out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == QChar::ReplacementCharacter || u < 0x20 || (u >= 0x7F && u < 0xA0) || (u >= 0xE000 && u <= 0xF8FF))
            return out;
    }
    for (const QChar c : text)
        *out++ = c.unicode();
    return out;
}

} // namespace

QString EucToSjis(const EucTable &table, const QByteArray &bytes, const ConvertProgress &progress)
{
    const qsizetype size = bytes.size();
    if (size == 0)
        return {};
    const EucTable::Data &data = table.data();
    const char16_t *const one = data.char2.data();
    const uchar *const in = reinterpret_cast<const uchar *>(bytes.constData());

    // Every character takes at least one byte, so the text is at most `size` long.
    QString result(size, Qt::Uninitialized);
    char16_t *const outBegin = reinterpret_cast<char16_t *>(result.data());
    char16_t *out = outBegin;

    // The percentage counts against the last index, as the progress window shows it.
    const qsizetype last = size - 1;
    constexpr qsizetype Never = std::numeric_limits<qsizetype>::max();
    int shownPercent = 0;
    qsizetype nextMark = progress && last > 0 ? (last + 99) / 100 : Never;
    auto report = [&](qsizetype i) {
        // The scan ends one past the last index: that is still 100 %.
        const qsizetype at = std::min(i, last);
        const int percent = int(at * 100 / last);
        if (percent != shownPercent) {
            shownPercent = percent;
            progress(at, percent);
        }
        nextMark = (qsizetype(percent + 1) * last + 99) / 100;
    };

    std::optional<QStringDecoder> decoder; // made on the first sequence without an entry
    qsizetype i = 0;
    while (i < size) {
        const uint b0 = in[i];
        if (data.asciiIdentity && b0 - 1 < 0x7F) {
            // A run of ASCII: widened as it is, sixteen bytes at a time.
            const qsizetype runEnd = nextMark < size ? nextMark : size;
#if defined(__SSE2__)
            const __m128i zero = _mm_setzero_si128();
            while (i + 16 <= runEnd) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
                const uint stop = uint(_mm_movemask_epi8(v)) | uint(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
                // `out` never runs ahead of `i`, so sixteen characters fit.
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(v, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(v, zero));
                if (stop) {
                    const int n = std::countr_zero(stop);
                    i += n;
                    out += n;
                    break;
                }
                i += 16;
                out += 16;
            }
#endif
            while (i < runEnd && in[i] - 1u < 0x7Fu)
                *out++ = in[i++];
        } else if (data.noHighSingles && b0 >= 0x80 && i + 1 < size && one[b0 << 8 | in[i + 1]]) {
            // A run of two-byte codes, the bulk of Japanese text: with no one-byte entry
            // above 7F, a high byte and the next one are looked up as a pair straight away.
            const qsizetype runEnd = std::min(nextMark, size - 1);
            do {
                *out++ = one[uint(in[i]) << 8 | in[i + 1]];
                i += 2;
            } while (i < runEnd && in[i] >= 0x80 && one[uint(in[i]) << 8 | in[i + 1]]);
        } else {
            char16_t c = one[b0];
            if (c) {
                i += 1;
            } else if (i + 1 < size && (c = one[b0 << 8 | in[i + 1]])) {
                i += 2;
            } else {
                if (i + 2 < size) {
                    // A three-byte code with first byte 0 is the two-byte code of the others.
                    const uint rest = uint(in[i + 1]) << 8 | in[i + 2];
                    const char16_t *block = b0 ? data.char3[b0].get() : one;
                    c = block ? block[rest] : 0;
                }
                if (c) {
                    i += 3;
                } else {
                    // No entry: a well-formed sequence is read whole, anything else
                    // (or a sequence cut by the end) drops its first byte alone.
                    const qsizetype length = wellFormedLength(in + i, size - i);
                    if (length > 0) {
                        if (!decoder)
                            decoder.emplace("EUC-JP", QStringConverter::Flag::Stateless);
                        out = appendDecoded(*decoder, in + i, length, out);
                    }
                    i += length > 0 ? length : 1;
                }
            }
            if (c)
                *out++ = c;
        }
        if (i >= nextMark)
            report(i);
    }
    result.resize(out - outBegin);
    return result;
}

namespace {

char16_t foldedToCp932(char16_t c)
{
    switch (c) {
    case 0x301C: return 0xFF5E; // 〜 -> ～
    case 0x2212: return 0xFF0D; // − -> －
    case 0x2016: return 0x2225; // ‖ -> ∥
    case 0x2014: return 0x2015; // — -> ―
    case 0x00A2: return 0xFFE0; // ¢ -> ￠
    case 0x00A3: return 0xFFE1; // £ -> ￡
    case 0x00AC: return 0xFFE2; // ¬ -> ￢
    default: return c;
    }
}

// The EUC-JP code of one character (one UTF-16 unit, or a surrogate pair), 0 when
// the table or cp932 has none.
quint32 eucCodeOf(const EucTable &table, QStringView character, QStringEncoder &encoder, QStringDecoder &decoder)
{
    if (character.size() != 1)
        return 0;
    const char16_t u = foldedToCp932(character[0].unicode());
    if (u < 0x80)
        return table.eucFor(u);
    if (QChar::isSurrogate(u))
        return 0;
    const QChar folded(u);
    encoder.resetState();
    const QByteArray sjis = encoder.encode(QStringView(&folded, 1));
    decoder.resetState();
    if ((sjis.size() != 1 && sjis.size() != 2) || QString(decoder.decode(sjis)) != QStringView(&folded, 1))
        return 0;
    const quint16 code = sjis.size() == 1 ? quint8(sjis[0]) : quint16(quint8(sjis[0]) << 8 | quint8(sjis[1]));
    return table.eucFor(code);
}

// Calls `each` with every character of `text` and its EUC-JP code; stops when it
// returns false.
template <typename Each> void forEachCode(const EucTable &table, const QString &text, Each each)
{
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length
            = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        i += length - 1;
        if (!each(character, eucCodeOf(table, character, encoder, decoder)))
            return;
    }
}

} // namespace

QString FoldToCp932(QStringView text)
{
    QString folded = text.toString();
    for (QChar &c : folded)
        c = QChar(foldedToCp932(c.unicode()));
    return folded;
}

QString EncodeQuery(const EucTable &table, const QString &text)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    QString encoded;
    encoded.reserve(text.size() * 6);
    forEachCode(table, text, [&](QStringView, quint32 value) {
        // Two hex digits per byte, the first byte padded; no code or longer than
        // three bytes: nothing (a NUL must never reach the service).
        int hexDigits = 1;
        while (hexDigits < 8 && (value >> (4 * hexDigits)))
            ++hexDigits;
        if (value == 0 || hexDigits > 6)
            return true;
        const int byteCount = (hexDigits + 1) / 2;
        for (int b = byteCount - 1; b >= 0; --b) {
            const uint byte = value >> (8 * b) & 0xFF;
            encoded += u'%';
            encoded += QLatin1Char(Digits[byte >> 4]);
            encoded += QLatin1Char(Digits[byte & 0xF]);
        }
        return true;
    });
    return encoded;
}

QString UnusableQueryCharacter(const EucTable &table, const QString &text)
{
    QString unusable;
    forEachCode(table, text, [&](QStringView character, quint32 value) {
        if (value != 0 && value <= 0xFFFFFF)
            return true;
        unusable = character.toString();
        return false;
    });
    return unusable;
}

QString UnusableQueryMessage(const EucTable &table, const QList<QueryField> &fields)
{
    for (const QueryField &field : fields) {
        const QString character = UnusableQueryCharacter(table, field.text);
        if (!character.isEmpty())
            return Messages::UnusableCharacter.arg(character, field.label);
    }
    return {};
}
