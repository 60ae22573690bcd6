#include "fulltext/TextFold.h"

#include <algorithm>

#include <QHash>

namespace {

bool isJapanese(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF)    // radicals, CJK symbols, kana, CJK ideographs
           || (c >= 0xF900 && c <= 0xFAFF) // compatibility ideographs
           || (c >= 0xFE30 && c <= 0xFE4F) // CJK compatibility forms
           || (c >= 0xFF61 && c <= 0xFF9F) // half-width kana
           || (c >= 0x20000 && c <= 0x3FFFF);
}

bool isSpace(char32_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0xA0
           || c == 0x2028 || c == 0x2029 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F;
}

// Characters that leave no trace: soft hyphen, zero-width spaces and joiners, BOM.
bool isInvisible(char32_t c)
{
    return c == 0xAD || (c >= 0x200B && c <= 0x200D) || c == 0x2060 || c == 0xFEFF;
}

// One character folded alone; most characters fold to themselves, so the answers
// are kept per thread.
const QString &foldOne(char32_t c)
{
    thread_local QHash<char32_t, QString> cache;
    auto it = cache.constFind(c);
    if (it != cache.constEnd())
        return *it;
    const QString alone = QString::fromUcs4(&c, 1);
    return *cache.insert(c, alone.normalized(QString::NormalizationForm_KC).toCaseFolded());
}

// Folds text; with source, also where each unit came from (searching needs only the text).
void fold(QStringView text, QString &out, QList<qsizetype> *source)
{
    out.reserve(text.size());
    if (source)
        source->reserve(text.size());
    // Appends to the text and, when kept, to the source: a unit from the character at at.
    const auto put = [&out, source](const auto &piece, qsizetype at) {
        out.append(piece);
        if (source)
            source->resize(out.size(), at);
    };
    bool pendingSpace = false;
    char32_t last = 0; // the last character written, 0 at the start
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype at = i;
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        ++i;
        if (c < 0x80) { // the common case, without a table
            if (isSpace(c)) {
                pendingSpace = true;
                continue;
            }
            if (c < 0x20 || c == 0x7F)
                continue;
            if (c >= u'A' && c <= u'Z')
                c += u'a' - u'A';
            if (pendingSpace && last != 0 && !isJapanese(last))
                put(QChar(u' '), at);
            pendingSpace = false;
            put(QChar(char16_t(c)), at);
            last = c;
            continue;
        }
        if (isSpace(c)) {
            pendingSpace = true;
            continue;
        }
        if (isInvisible(c) || QChar::category(c) == QChar::Other_Control)
            continue;
        const QString &piece = foldOne(c);
        if (piece.isEmpty())
            continue;
        const char32_t first = piece.at(0).isHighSurrogate() && piece.size() > 1
                                   ? QChar::surrogateToUcs4(piece.at(0), piece.at(1))
                                   : piece.at(0).unicode();
        if (isSpace(first)) { // a compatibility space, e.g. from a full-width one
            pendingSpace = true;
            continue;
        }
        if (QChar::isMark(first) && last != 0) {
            // A combining mark (half-width voiced sound marks fold to one) joins the
            // character before it, as the whole text normalized at once would.
            qsizetype start = out.size() - 1;
            if (start > 0 && out.at(start).isLowSurrogate())
                --start;
            const QString joined
                = QString(QStringView(out).mid(start) + piece).normalized(QString::NormalizationForm_KC);
            const qsizetype origin = source ? source->at(start) : 0;
            out.truncate(start);
            if (source)
                source->resize(start);
            put(joined, origin);
            const QChar tail = out.back();
            last = tail.isLowSurrogate() && out.size() > 1 ? QChar::surrogateToUcs4(out.at(out.size() - 2), tail)
                                                           : tail.unicode();
            pendingSpace = false;
            continue;
        }
        if (pendingSpace && last != 0 && !isJapanese(last) && !isJapanese(first))
            put(QChar(u' '), at);
        pendingSpace = false;
        put(piece, at);
        const QChar tail = piece.back();
        last = tail.isLowSurrogate() && piece.size() > 1 ? QChar::surrogateToUcs4(piece.at(piece.size() - 2), tail)
                                                         : tail.unicode();
    }
}

} // namespace

FoldedText FoldWithSource(QStringView text)
{
    FoldedText folded;
    fold(text, folded.text, &folded.source);
    return folded;
}

QString FoldText(QStringView text)
{
    QString folded;
    fold(text, folded, nullptr);
    return folded;
}

QStringList SearchTerms(QStringView typed)
{
    QStringList terms;
    qsizetype i = 0;
    while (i < typed.size()) {
        while (i < typed.size() && isSpace(typed[i].unicode()))
            ++i;
        qsizetype end = i;
        while (end < typed.size() && !isSpace(typed[end].unicode()))
            ++end;
        if (end > i) {
            const QString term = FoldText(typed.mid(i, end - i));
            if (!term.isEmpty() && !terms.contains(term))
                terms.append(term);
        }
        i = end;
    }
    return terms;
}

QList<TextSpan> FindTerms(QStringView folded, const QStringList &terms)
{
    QList<TextSpan> spans;
    for (const QString &term : terms) {
        if (term.isEmpty())
            continue;
        for (qsizetype at = folded.indexOf(term); at >= 0; at = folded.indexOf(term, at + 1))
            spans.append({at, term.size()});
    }
    std::sort(spans.begin(), spans.end(), [](const TextSpan &a, const TextSpan &b) { return a.start < b.start; });
    return spans;
}
