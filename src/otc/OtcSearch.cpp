#include "otc/OtcSearch.h"

#include <algorithm>
#include <limits>

#include "conversion/ESConv.h"
#include "retrieval/Module1.h"
#include "retrieval/ServicePage.h"
#include "shell/Library.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QStringView StartMarker = u"<a href=\"/downfiles/otc/PDF";
constexpr QStringView AnchorEnd = u"</a>";
constexpr QStringView FontStart = u"<font size=";
constexpr QStringView FontEnd = u"</font>";
// The service writes its maker element as <font size="-1">: the text is taken to
// begin that many characters after the tag's "<".
constexpr qsizetype FontTagLength = 16;

// The first occurrence of a marker at or after a position that only ever grows:
// an earlier answer is reused while it still lies ahead, so every part of the page
// is searched at most once however many hits share one far-off element.
class ForwardFinder {
public:
    ForwardFinder(QStringView page, QStringView what) : m_page(page), m_what(what) {}

    qsizetype at(qsizetype from)
    {
        if (!m_searched || (m_found >= 0 && m_found < from)) {
            m_found = Find(m_page, m_what, from);
            m_searched = true;
        }
        return m_found;
    }

private:
    QStringView m_page;
    QStringView m_what;
    bool m_searched = false;
    qsizetype m_found = -1;
};

} // namespace

QString OtcSearchUrl(const QString &serviceBase, const EucTable &tables, const OtcQuery &c, qint16 start,
                     bool withCount)
{
    QString url = serviceBase + u"/osearch/PackinsSearch"_s;
    url += u"?txtSaleName="_s + EncodeQuery(tables, c.saleName);
    url += u"&cboDosageForm="_s + QueryValue(c.dosageFormCode);
    url += u"&txtComName="_s + EncodeQuery(tables, c.makerName);
    url += u"&txtIngredient="_s + EncodeQuery(tables, c.ingredient);
    url += u"&txtIngredient_Ex="_s + EncodeQuery(tables, c.ingredientEx);
    url += u"&txtAdditive="_s + EncodeQuery(tables, c.additive);
    url += u"&txtAdditive_Ex="_s + EncodeQuery(tables, c.additiveEx);
    url += u"&cboEffect="_s + QueryValue(c.effectCode);
    url += u"&txtEffect="_s + EncodeQuery(tables, c.symptom);
    // The service's own button label 検索実行, already in its percent form.
    url += u"&btnSearch=%B8%A1%BA%F7%BC%C2%B9%D4"_s;
    url += u"&cboDisCnt="_s + QueryValue(c.countValue);
    if (withCount)
        url += u"&count="_s + QueryValue(c.countValue);
    url += u"&start="_s + QString::number(start);
    return url;
}

OtcRequest MoveOtcCounters(Paging &paging, PageMove button, int pageSize)
{
    paging = MovePaging(paging, button, pageSize);
    return {paging.CurrentStart, button == PageMove::Previous};
}

OtcScan ScanOtcResults(QStringView page, const std::function<void(const OtcHit &)> &onHit)
{
    OtcScan scan;
    ForwardFinder fonts(page, FontStart);
    ForwardFinder fontEnds(page, FontEnd);
    qsizetype front = 0; // where the unread rest of the page begins
    for (;;) {
        const qsizetype a = Find(page, StartMarker, front);
        if (a < 0)
            break;
        const qsizetype e = Find(page, AnchorEnd, a);
        if (e < 0)
            break; // an anchor that never closes: nothing after it is read as a hit
        const QStringView anchor = page.mid(a, e + AnchorEnd.size() - a);
        // An anchor wrapping a font element is one of the page's decorations, not a hit.
        if (Find(anchor, FontStart) < 0) {
            const qsizetype innerStart = anchor.indexOf(u'>') + 1;
            const qsizetype innerEnd = anchor.size() - AnchorEnd.size();
            const QString name = innerStart < innerEnd
                                     ? StripTags(anchor.mid(innerStart, innerEnd - innerStart).toString())
                                     : QString();
            QStringView maker;
            const qsizetype f = fonts.at(e);
            if (f >= 0) {
                const qsizetype g = fontEnds.at(f);
                if (g >= f + FontTagLength)
                    maker = page.mid(f + FontTagLength, g - f - FontTagLength);
            }
            OtcHit hit{anchor.toString(), name + maker};
            if (onHit)
                onHit(hit);
            scan.hits.append(std::move(hit));
        }
        front = e;
    }
    const QStringView tail = page.mid(front);
    scan.hasNext = Find(tail, u"次へ") >= 0;
    scan.hasPrevious = Find(tail, u"前へ") >= 0;
    return scan;
}

QString OtcDocumentLink(QStringView anchor)
{
    const qsizetype p = Find(anchor, u"<A href=");
    if (p < 0)
        return {};
    const qsizetype begin = p + 9; // behind the quote that opens the value
    qsizetype q = anchor.indexOf(u'"', std::min(p + 15, anchor.size()));
    if (q < 0) {
        // No closing quote: the value ends with the opening tag.
        q = anchor.indexOf(u'>', std::min(begin, anchor.size()));
        if (q < 0)
            q = anchor.size();
    }
    return begin < q ? anchor.mid(begin, q - begin).toString() : QString();
}

QString OtcDocumentPath(const QString &documentsPath, const QString &selectedText)
{
    return documentsPath + Library::Otc() + u'/' + FitFileName(SafeFileName(selectedText), {}, u".pdf");
}

QStringList OtcMemoLines(const OtcMemoFields &f, const QStringList &hits)
{
    QStringList lines = {
        Messages::OtcMemoSaleName + f.saleName,
        Messages::OtcMemoMaker + f.makerName,
        Messages::OtcMemoDosageForm + f.dosageFormText,
        Messages::OtcMemoIngredient + f.ingredient + Messages::OtcMemoIncluded,
        Messages::OtcMemoIngredient + f.ingredientEx + Messages::OtcMemoExcluded,
        Messages::OtcMemoAdditive + f.additive + Messages::OtcMemoIncluded,
        Messages::OtcMemoAdditive + f.additiveEx + Messages::OtcMemoExcluded,
        Messages::OtcMemoEffect + f.effectText,
        Messages::OtcMemoSymptom + f.symptom,
        u" "_s,
    };
    lines += hits;
    return lines;
}
