#include <QStringDecoder>

#include "PracticeCatalogue.h"
#include "PracticeServer.h"

using namespace Qt::Literals::StringLiterals;

// The prescription search "/sorano/PackinsSearch", played over the invented
// catalogue:
//
// - "dragname" (EUC-JP, percent-encoded) is matched as a part of the drug's name;
//   an empty name matches every drug. No other condition narrows the search.
// - "count" is the page size (20 when missing or not a positive number), "start"
//   the 1-based rank of the first hit shown (1 when missing or below 1).
// - Each hit is two table rows: the link row with the name, then the row with the
//   "<DD>" description line. A header without table rows comes before the hits;
//   "前へ" and "次へ" follow the last row when there is such a page.
// - Pages after the first (start above 1) are written with lower-case tags.
// - dragname "*" answers that more than 1000 drugs were found.
// - dragname "メンテナンス" answers with a notice in a table row that is never closed.
// - dragname "障害" answers 503 with the service's maintenance page.
// - A keyword ("keyword1".."keyword3") sent while its item ("item1".."item3") is
//   empty is refused with "入力された条件が正しくありません。".
// - No matching drug gives a page without any table row.

namespace {

// The query as sent, key by key, values still percent-encoded.
using Query = QList<std::pair<QByteArray, QByteArray>>;

Query parse(const QByteArray &text)
{
    Query query;
    for (const QByteArray &part : text.split('&')) {
        const qsizetype equals = part.indexOf('=');
        if (equals > 0)
            query.append({part.left(equals), part.mid(equals + 1)});
        else if (!part.isEmpty())
            query.append({part, QByteArray()});
    }
    return query;
}

QByteArray raw(const Query &query, const QByteArray &key)
{
    for (const auto &[name, value] : query) {
        if (name == key)
            return value;
    }
    return {};
}

QString decoded(const Query &query, const QByteArray &key)
{
    QStringDecoder decoder("EUC-JP");
    return decoder(QByteArray::fromPercentEncoding(raw(query, key)));
}

int positiveNumber(const Query &query, const QByteArray &key, int fallback)
{
    bool ok = false;
    const int value = raw(query, key).toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

QString page(const QString &body)
{
    return u"<HTML><HEAD><TITLE>医療用医薬品 検索結果</TITLE></HEAD><BODY>\r\n"_s + body + u"</BODY></HTML>\r\n"_s;
}

PracticeResponse answer(const QString &html)
{
    PracticeResponse response;
    response.body = ToEuc(html);
    return response;
}

QString pageLink(const Query &query, int start, const QString &text)
{
    QByteArrayList parts;
    for (const auto &[name, value] : query) {
        if (name != "start")
            parts.append(name + '=' + value);
    }
    parts.append("start=" + QByteArray::number(start));
    return u"<A href=\"/sorano/PackinsSearch?"_s + QString::fromLatin1(parts.join('&')) + u"\">"_s + text + u"</A>"_s;
}

QString hitRows(const PracticeDrug &drug)
{
    return u"<TR><TD><A href=\"/sorano/hit/%1/\" target=\"_new\">%2</A></TD></TR>\r\n"
           "<TR><TD><DL><DD>%3\r\n</DL></TD></TR>\r\n"_s.arg(drug.id)
               .arg(drug.name, drug.description);
}

// Only the markup changes case, never the names or the addresses.
QString lowerTags(QString html)
{
    for (const auto &[upper, lower] : {std::pair{u"<TR>"_s, u"<tr>"_s},
                                       {u"</TR>"_s, u"</tr>"_s},
                                       {u"<TD>"_s, u"<td>"_s},
                                       {u"</TD>"_s, u"</td>"_s},
                                       {u"<A href="_s, u"<a href="_s},
                                       {u"</A>"_s, u"</a>"_s},
                                       {u"<DL>"_s, u"<dl>"_s},
                                       {u"</DL>"_s, u"</dl>"_s},
                                       {u"<DD>"_s, u"<dd>"_s},
                                       {u"<TABLE"_s, u"<table"_s},
                                       {u"</TABLE>"_s, u"</table>"_s},
                                       {u"<P>"_s, u"<p>"_s},
                                       {u"</P>"_s, u"</p>"_s}})
        html.replace(upper, lower);
    return html;
}

PracticeResponse search(const PracticeRequest &request)
{
    const Query query = parse(request.query);
    const QString name = decoded(query, "dragname");

    for (int n = 1; n <= 3; ++n) {
        const QByteArray number = QByteArray::number(n);
        if (!raw(query, "keyword" + number).isEmpty() && raw(query, "item" + number).isEmpty())
            return answer(page(u"<P>入力された条件が正しくありません。</P>\r\n"_s));
    }
    if (name == u"*"_s)
        return answer(page(u"<P>検索結果の上限は1000件です。</P>\r\n"_s));
    if (name == u"障害"_s) {
        PracticeResponse response = answer(page(u"<P>ただいまメンテナンス中です</P>\r\n"_s));
        response.status = 503;
        response.reason = "Service Unavailable";
        return response;
    }
    if (name == u"メンテナンス"_s) // a notice in a table row that is never closed
        return answer(page(u"<TABLE border=\"1\">\r\n<TR><TD>メンテナンスのお知らせ</TD></TR>\r\n"_s));

    QList<PracticeDrug> found;
    for (const PracticeDrug &drug : PracticeDrugs()) {
        if (drug.name.contains(name))
            found.append(drug);
    }
    if (found.isEmpty())
        return answer(
            page(u"<P>医療用医薬品の検索結果：0件</P>\r\n<P>条件に合う医薬品は見つかりませんでした。</P>\r\n"_s));

    const int count = positiveNumber(query, "count", 20);
    const int start = positiveNumber(query, "start", 1);
    const int last = qMin<int>(start + count - 1, found.size());

    QString body = u"<P>医療用医薬品の検索結果：%1件（%2～%3件目）</P>\r\n<TABLE border=\"1\">\r\n"_s.arg(found.size())
                       .arg(start)
                       .arg(last);
    for (int rank = start; rank <= last; ++rank)
        body += hitRows(found[rank - 1]);
    body += u"</TABLE>\r\n<P>"_s;
    if (start > 1)
        body += pageLink(query, qMax(1, start - count), u"前へ"_s) + u"　"_s;
    if (last < found.size())
        body += pageLink(query, last + 1, u"次へ"_s);
    body += u"</P>\r\n"_s;

    const QString html = page(body);
    return answer(start > 1 ? lowerTags(html) : html);
}

} // namespace

void AddPrescriptionRoutes(PracticeServer &server)
{
    server.Route("/sorano/PackinsSearch", search);
}
