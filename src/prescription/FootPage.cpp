#include "prescription/FootPage.h"

#include <algorithm>
#include <QUrl>

#include "retrieval/Module1.h"
#include "shell/Library.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The text from `from` up to the next double quote, or nothing when no quote follows.
std::optional<QString> upToQuote(const QString &text, qsizetype from)
{
    const qsizetype quote = text.indexOf(u'"', from);
    if (quote < 0)
        return std::nullopt;
    return text.mid(from, quote - from);
}

QString pdfName(const QString &name)
{
    return FitFileName(SafeFileName(name), {}, u".pdf");
}

// The first absolute web address in `text` at or after `from`, "http://" or "https://".
qsizetype findWebAddress(const QString &text, qsizetype from = 0)
{
    const qsizetype plain = Find(text, u"http://", from);
    const qsizetype secure = Find(text, u"https://", from);
    if (plain < 0 || secure < 0)
        return qMax(plain, secure);
    return qMin(plain, secure);
}

// The service's manual links are absolute, with either scheme whatever ours is: the
// next "http://" or "https://" followed by the service's host and "/juutoku/file".
qsizetype findManualLink(const QString &page, const QString &serviceBase, qsizetype from = 0)
{
    const qsizetype slashes = serviceBase.indexOf(u"//");
    const QString rest = (slashes < 0 ? serviceBase : serviceBase.mid(slashes + 2)) + u"/juutoku/file"_s;
    for (qsizetype at = findWebAddress(page, from); at >= 0; at = findWebAddress(page, at + 1)) {
        const qsizetype host = page.indexOf(u"//", at) + 2;
        if (QStringView(page).mid(host).startsWith(rest, Qt::CaseInsensitive))
            return at;
    }
    return -1;
}

} // namespace

std::optional<QString> HitPageAddress(const QString &serviceBase, const QString &hitRow)
{
    const qsizetype link = Find(hitRow, u"<A href=");
    if (link < 0)
        return std::nullopt;
    // The path starts past the attribute's opening quote; its closing quote is looked
    // for a few characters on, as the service's paths are never that short.
    const qsizetype quote = hitRow.indexOf(u'"', link + 15);
    if (quote < 0)
        return std::nullopt;
    return serviceBase + hitRow.mid(link + 9, quote - (link + 9));
}

std::optional<QString> FootPageAddress(const QString &hitAddress, const QString &hitPage)
{
    static const QString marker = u"<frame name=\"foot\" src=\""_s;
    const qsizetype frame = Find(hitPage, marker);
    if (frame < 0)
        return std::nullopt;
    const qsizetype start = frame + marker.size() + 1;
    const qsizetype end = Find(hitPage, u"\">", start);
    if (end < 0)
        return std::nullopt;
    return hitAddress + hitPage.mid(start, end - start);
}

FootDocuments ScanFootPage(const QString &serviceBase, const QString &footPage)
{
    FootDocuments documents;
    const auto single = [&](QStringView marker) -> QString {
        const qsizetype at = Find(footPage, marker);
        if (at < 0)
            return {};
        const auto path = upToQuote(footPage, at);
        return path ? serviceBase + *path : QString();
    };
    documents.insertAddress = single(u"/downfiles/ph/PDF/");
    documents.guideAddress = single(u"/downfiles/ph/GUI/");

    qsizetype at = findManualLink(footPage, serviceBase);
    while (at >= 0) {
        const qsizetype quote = footPage.indexOf(u'"', at);
        if (quote < 0)
            break;
        const qsizetype close = Find(footPage, u"</a>", quote);
        if (close < 0)
            break;
        // The title starts past the quote and the ">" that ends the start tag.
        const qsizetype titleStart = qMin(quote + 2, close);
        documents.manuals.append({footPage.mid(titleStart, close - titleStart), footPage.mid(at, quote - at)});
        at = findManualLink(footPage, serviceBase, quote);
    }
    return documents;
}

DocumentChoice ChooseDocuments(const FootDocuments &documents)
{
    if (!documents.manuals.isEmpty())
        return DocumentChoice::Dialog;
    if (documents.hasInsert() && documents.hasGuide())
        return DocumentChoice::Dialog;
    if (documents.hasInsert() || documents.hasGuide())
        return DocumentChoice::Single;
    return DocumentChoice::None;
}

QStringList SavedDocumentPaths(const QString &documentsPath, const QString &drugName)
{
    return {documentsPath + Library::Medical() + u'/' + pdfName(drugName),
            documentsPath + Library::Patient() + u'/' + pdfName(drugName)};
}

QList<DocumentDownload> DownloadPlan(const FootDocuments &documents, const QString &documentsPath,
                                     const QString &drugName, bool fetchInsert, bool fetchGuide,
                                     const QList<bool> &manualMarks)
{
    QList<DocumentDownload> plan;
    if (documents.hasGuide() && fetchGuide)
        plan.append({documents.guideAddress, documentsPath + Library::Patient() + u'/' + pdfName(drugName)});
    if (documents.hasInsert() && fetchInsert)
        plan.append({documents.insertAddress, documentsPath + Library::Medical() + u'/' + pdfName(drugName)});
    for (qsizetype i = 0; i < documents.manuals.size() && i < manualMarks.size(); ++i) {
        if (!manualMarks[i])
            continue;
        // Two manuals of one title would be saved over each other: the later ones are
        // numbered. The same manual linked twice keeps its one file.
        const ManualLink &manual = documents.manuals[i];
        const QString folder = documentsPath + Library::Root() + u'/';
        QString path = folder + pdfName(manual.title);
        for (int n = 2;; ++n) {
            const auto taken = std::find_if(plan.cbegin(), plan.cend(),
                                            [&path](const DocumentDownload &earlier) { return earlier.path == path; });
            if (taken == plan.cend() || taken->address == manual.address)
                break;
            path = folder + FitFileName(SafeFileName(manual.title), u"（%1）"_s.arg(n), u".pdf");
        }
        plan.append({manual.address, path});
    }
    return plan;
}

QStringList HistoryEntries(const QString &footPage)
{
    const qsizetype heading = Find(footPage, u"改訂指示反映履歴");
    if (heading < 0)
        return {};
    const qsizetype tableEnd = Find(footPage, u"</table>", heading);
    if (tableEnd < 0)
        return {};
    const QString section = footPage.mid(heading, tableEnd - heading);

    QStringList entries;
    qsizetype at = Find(section, u"href=");
    while (at >= 0) {
        const qsizetype close = Find(section, u"</a>", at);
        if (close < 0)
            break;
        entries.append(section.mid(at, close - at + 4));
        at = Find(section, u"href=", close);
    }
    return entries;
}

QString HistoryDisplayText(const QString &entry)
{
    const qsizetype tagEnd = entry.indexOf(u'>');
    if (tagEnd < 0)
        return {};
    const qsizetype close = Find(entry, u"</a>", tagEnd + 1);
    if (close < 0)
        return {};
    QString text = entry.mid(tagEnd + 1, close - tagEnd - 1);
    text.replace(u"&nbsp;"_s, u"　"_s, Qt::CaseInsensitive);
    return text;
}

std::optional<QString> HistoryDocumentAddress(const QString &entry, const QString &pageAddress,
                                              const QString &serviceBase)
{
    const qsizetype at = findWebAddress(entry);
    if (at >= 0)
        return upToQuote(entry, at);

    // The service links some older documents relative to the page: href="..." or '...'.
    qsizetype start = Find(entry, u"href=");
    if (start < 0)
        return std::nullopt;
    start += 5;
    const QChar quote = start < entry.size() ? entry.at(start) : QChar();
    if (quote != u'"' && quote != u'\'')
        return std::nullopt;
    const qsizetype end = entry.indexOf(quote, start + 1);
    if (end < 0)
        return std::nullopt;
    const QString link = entry.mid(start + 1, end - start - 1).trimmed().replace(u"&amp;"_s, u"&"_s);
    if (link.isEmpty())
        return std::nullopt;
    const QUrl service(serviceBase);
    const QUrl resolved = QUrl(pageAddress).resolved(QUrl(link));
    const QString scheme = resolved.scheme().toLower();
    if (!resolved.isValid() || (scheme != u"http"_s && scheme != u"https"_s) || resolved.host().isEmpty()
        || resolved.host().compare(service.host(), Qt::CaseInsensitive) != 0
        || resolved.port(scheme == u"https"_s ? 443 : 80)
               != service.port(service.scheme().toLower() == u"https"_s ? 443 : 80))
        return std::nullopt;
    return resolved.toString(QUrl::FullyEncoded);
}

QString HistoryDocumentPath(const QString &documentsPath, const QString &drugName, const QString &displayText)
{
    // The entry's text tells one revision document of the drug from the others: a
    // name too long loses the end of the drug's name first.
    return documentsPath + Library::Revision() + u'/'
           + FitFileName(SafeFileName(drugName), QString(u"："_s + SafeFileName(displayText)), u".pdf");
}
