#include "retrieval/ESConv.h"

#include <algorithm>
#include <bit>
#include <limits>

#include <QStringDecoder>
#include <QStringEncoder>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

QString EucToSjis(const EucTable &table, const QByteArray &bytes, const ConvertProgress &progress)
{
    const qsizetype size = bytes.size();
    if (size == 0)
        return {};
    const EucTable::Data &data = *table.d;
    const char16_t *const one = data.char2.data();
    const uchar *const in = reinterpret_cast<const uchar *>(bytes.constData());

    // Every character takes at least one byte, so the text is at most `size` long.
    QString result(size, Qt::Uninitialized);
    char16_t *const outBegin = reinterpret_cast<char16_t *>(result.data());
    char16_t *out = outBegin;

    // The percentage counts against the last index, as the progress window shows it.
    const qsizetype last = size - 1;
    constexpr qsizetype never = std::numeric_limits<qsizetype>::max();
    int shownPercent = 0;
    qsizetype nextMark = progress && last > 0 ? (last + 99) / 100 : never;
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
        } else {
            char16_t c = one[b0];
            if (c) {
                i += 1;
            } else if (i + 1 < size && (c = one[b0 << 8 | in[i + 1]])) {
                i += 2;
            } else if (i + 2 < size) {
                // A three-byte code with first byte 0 is the two-byte code of the others.
                const uint rest = uint(in[i + 1]) << 8 | in[i + 2];
                const char16_t *block = b0 ? data.char3[b0].get() : one;
                c = block ? block[rest] : 0;
                i += c ? 3 : 1;
            } else {
                i += 1; // unmapped, or the sequence would need bytes beyond the end
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

QString EncodeQuery(const EucTable &table, const QString &text)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    QString encoded;
    encoded.reserve(text.size() * 6);
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        i += length - 1;

        // The character's cp932 code; one that cp932 cannot hold exactly gets none.
        quint32 value = 0;
        const char16_t u = character[0].unicode();
        if (length == 1 && u < 0x80) {
            value = table.eucFor(u);
        } else if (length == 1 && !character[0].isSurrogate()) {
            encoder.resetState();
            const QByteArray sjis = encoder.encode(character);
            decoder.resetState();
            if ((sjis.size() == 1 || sjis.size() == 2) && QString(decoder.decode(sjis)) == character) {
                const quint16 code = sjis.size() == 1 ? quint8(sjis[0]) : quint16(quint8(sjis[0]) << 8 | quint8(sjis[1]));
                value = table.eucFor(code);
            }
        }

        // Two hex digits per byte, the first byte padded; longer than three bytes: nothing.
        int hexDigits = 1;
        while (hexDigits < 8 && (value >> (4 * hexDigits)))
            ++hexDigits;
        if (hexDigits > 6)
            continue;
        const int byteCount = (hexDigits + 1) / 2;
        for (int b = byteCount - 1; b >= 0; --b) {
            const uint byte = value >> (8 * b) & 0xFF;
            encoded += u'%';
            encoded += QLatin1Char(digits[byte >> 4]);
            encoded += QLatin1Char(digits[byte & 0xF]);
        }
    }
    return encoded;
}
