#include "prescription/PrescriptionSearch.h"

#include <algorithm>
#include <limits>

#include "conversion/ESConv.h"
#include "retrieval/Module1.h"
#include "retrieval/ServicePage.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString entry(const QStringList &table, int index)
{
    return QueryValue(index >= 0 && index < table.size() ? table[index] : QString());
}

QStringView ruleValue(int line)
{
    switch (line) {
    case 0: return u"and";
    case 1: return u"not";
    case 2: return u"or";
    default: return {};
    }
}

// The second and third item lists start with a blank line that names no item.
QString optionalItem(const QStringList &itemCodes, int line)
{
    return line > 0 ? entry(itemCodes, line - 1) : QString();
}

constexpr QStringView RowStart = u"<TR>";
constexpr QStringView RowEnd = u"</TR>";
constexpr QStringView LinkMarker = u"target=\"_new\">";
constexpr QStringView LinkEnd = u"</A>";

} // namespace

EncodedTerms EncodeTerms(const EucTable &table, const PrescriptionQuery &form)
{
    return {EncodeQuery(table, form.name), EncodeQuery(table, form.keyword1), EncodeQuery(table, form.keyword2),
            EncodeQuery(table, form.keyword3)};
}

QString PrescriptionSearchUrl(const QString &serviceBase, const PrescriptionQuery &form, const EncodedTerms &terms,
                              qint16 start)
{
    QString url = serviceBase + u"/sorano/PackinsSearch"_s;
    url += u"?dragname="_s + terms.dragname;
    url += u"&effect="_s + entry(form.effectCodes, form.effectLine);
    url += u"&item1="_s + entry(form.itemCodes, form.item1Line);
    url += u"&keyword1="_s + terms.keyword1;
    if (!ruleValue(form.rule1Line).isEmpty())
        url += u"&type1="_s + ruleValue(form.rule1Line);
    url += u"&item2="_s + optionalItem(form.itemCodes, form.item2Line);
    url += u"&keyword2="_s + terms.keyword2;
    if (!ruleValue(form.rule2Line).isEmpty())
        url += u"&type2="_s + ruleValue(form.rule2Line);
    url += u"&item3="_s + optionalItem(form.itemCodes, form.item3Line);
    url += u"&keyword3="_s + terms.keyword3;
    if (!ruleValue(form.rule3Line).isEmpty())
        url += u"&type3="_s + ruleValue(form.rule3Line);
    if (form.warn)
        url += u"&is_warn=1"_s;
    if (form.contraindication)
        url += u"&is_contraindication=1"_s;
    if (form.interaction)
        url += u"&is_interaction=1"_s;
    if (form.cautious)
        url += u"&is_cautious=1"_s;
    url += u"&count="_s + entry(form.countValues, form.countLine);
    url += u"&start="_s + QString::number(start);
    return url;
}

QList<int> KeywordsWithoutItem(const PrescriptionQuery &form)
{
    const QString items[] = {entry(form.itemCodes, form.item1Line), optionalItem(form.itemCodes, form.item2Line),
                             optionalItem(form.itemCodes, form.item3Line)};
    const QString keywords[] = {form.keyword1, form.keyword2, form.keyword3};
    QList<int> rows;
    for (int row = 0; row < 3; ++row) {
        if (!keywords[row].isEmpty() && items[row].isEmpty())
            rows.append(row);
    }
    return rows;
}

namespace {

// Cuts the hit blocks off the page one at a time.
class ResultScanner {
public:
    explicit ResultScanner(QStringView page);

    std::optional<PrescriptionHit> next();

    // After the scan: the text after the last block (the whole page without one).
    QStringView tail() const { return m_page.mid(m_rest); }
    bool hasNextLink() const;
    bool hasPreviousLink() const;

private:
    QStringView m_page;
    qsizetype m_rest = 0; // start of the text not yet cut off
    bool m_done = false;
};

ResultScanner::ResultScanner(QStringView page) : m_page(page) {}

std::optional<PrescriptionHit> ResultScanner::next()
{
    if (m_done)
        return std::nullopt;
    const qsizetype pos = Find(m_page, RowStart, m_rest);
    if (pos < 0) {
        m_done = true;
        return std::nullopt;
    }
    // One pass over the block finds its second "</TR>" and, on the way, the first
    // link marker and the first "</A>" in it.
    const char16_t *data = m_page.utf16();
    const qsizetype size = m_page.size();
    auto at = [&](qsizetype i, QStringView what) {
        if (i + what.size() > size)
            return false;
        for (qsizetype k = 1; k < what.size(); ++k) {
            if (AsciiLower(data[i + k]) != AsciiLower(what[k].unicode()))
                return false;
        }
        return true;
    };
    int rowEnds = 0;
    qsizetype secondEnd = -1, marker = -1, linkEnd = -1;
    for (qsizetype i = pos + RowStart.size(); i < size; ++i) {
        const char16_t c = data[i];
        if (c == u'<') {
            if (at(i, RowEnd)) {
                if (++rowEnds == 2) {
                    secondEnd = i;
                    break;
                }
            } else if (linkEnd < 0 && at(i, LinkEnd)) {
                linkEnd = i;
            }
        } else if ((c | 0x20) == u't' && marker < 0 && at(i, LinkMarker)) {
            marker = i;
        }
    }
    if (secondEnd < 0) {
        // An unfinished block (a notice in a row that is never closed) is no hit; the
        // scan ends here, and its text is what the paging links are read from.
        m_rest = pos;
        m_done = true;
        return std::nullopt;
    }
    const QStringView row = m_page.mid(pos, secondEnd - pos + RowEnd.size());
    // The next search starts at the row's closing "</TR>", which holds no "<TR>".
    m_rest = secondEnd;
    QString name;
    if (marker >= 0 && linkEnd >= marker + LinkMarker.size())
        name = m_page.mid(marker + LinkMarker.size(), linkEnd - marker - LinkMarker.size()).toString();
    return PrescriptionHit{name, row.toString()};
}

bool ResultScanner::hasNextLink() const
{
    return tail().contains(u"次へ");
}
bool ResultScanner::hasPreviousLink() const
{
    return tail().contains(u"前へ");
}

} // namespace

PrescriptionScan ScanPrescriptionResults(QStringView page, const std::function<void(const PrescriptionHit &)> &onHit)
{
    PrescriptionScan scan;
    ResultScanner scanner(page);
    while (std::optional<PrescriptionHit> hit = scanner.next()) {
        if (onHit)
            onHit(*hit);
        scan.hits.append(std::move(*hit));
    }
    scan.hasNext = scanner.hasNextLink();
    scan.hasPrevious = scanner.hasPreviousLink();
    return scan;
}

QString HitCountText(qsizetype count)
{
    return count == 0 ? Messages::NoHits : Messages::HitCount.arg(count);
}

QString HitDescription(QStringView row)
{
    const qsizetype a = Find(row, u"<DD>");
    if (a < 0)
        return {};
    const qsizetype b = row.indexOf(u'\r', a);
    if (b < 0)
        return {};
    return row.mid(a + 4, b - a - 4).toString();
}

QStringList HitCopyLines(const QStringList &names, const QStringList &rows)
{
    QStringList lines;
    lines.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        lines.append(names[i] + u'\t' + HitDescription(i < rows.size() ? QStringView(rows[i]) : QStringView()));
    return lines;
}

QStringList PrescriptionMemoLines(const PrescriptionMemoFields &c, const QStringList &names, const QStringList &rows)
{
    constexpr QStringView Colon = u"：";
    QStringList lines = {
        c.nameCaption + Colon + c.name,   c.effectCaption + Colon + c.effect, c.item1Caption + Colon + c.item1,
        u'\t' + c.keyword1 + c.rule1,     c.item2Caption + Colon + c.item2,   u'\t' + c.keyword2 + c.rule2,
        c.item3Caption + Colon + c.item3, u'\t' + c.keyword3 + c.rule3,       c.filterCaption,
    };
    for (const QString &filter : c.tickedFilters)
        lines.append(u'\t' + filter);
    lines.append(u"\t"_s);
    lines += HitCopyLines(names, rows);
    return lines;
}
