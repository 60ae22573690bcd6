// The OTC search of the practice service: "/osearch/PackinsSearch" over a small
// invented catalogue, and the documents under "/downfiles/otc/PDF/".
//
// The result page is EUC-JP. Each hit is an anchor to its document followed by a
// maker element whose opening tag is <font size="-1"> (16 characters). The page
// also carries what a reader of it has to cope with:
//   - a header line that mentions "次へ" before the first hit;
//   - one name set in bold inside its anchor (ネツサマシ錠);
//   - one hit written with capital tags (セイチョウ散);
//   - one decoration anchor that wraps a font element (the "改訂" mark after
//     イグスリ胃腸錠), which is not a hit;
//   - "前へ" and "次へ" links after the last hit when an earlier or later page exists.
//
// Query keys read: txtSaleName and txtComName (percent-encoded EUC-JP; a hit's name
// or maker must contain the text, an empty text matches all), start (first rank,
// from 1), count when present, else cboDisCnt (hits per page; 10 when neither
// gives a positive number).
//
// Triggers, by the decoded sale name:
//   - contains "不正": the page says "入力された条件が正しくありません。";
//   - contains "上限": the page says "検索結果の上限は1000件です。";
//   both pages still list every product, so a reader that ignores the refusal shows.
//   - contains "障害": the service answers 503 with its maintenance page, which
//     lists every product too.
//   A name that matches nothing gives a page without hits or paging links.
//
// Documents: PracticePdf(name, padding) with a padding of its own per product, so
// that every document has its own length. メグスリ点眼液's document is 6000 bytes
// longer on its first download than on every later one, and ケッソン錠's document
// is missing (404). Two products with the longest names come only to a search for
// "長名".

#include <memory>

#include <QHash>
#include <QStringDecoder>

#include "PracticeCatalogue.h"
#include "PracticeServer.h"

using namespace Qt::Literals::StringLiterals;

namespace {

struct OtcProduct {
    QByteArray id;
    QString name;
    QString maker;
};

const QList<OtcProduct> &Catalogue()
{
    static const QList<OtcProduct> products = {
        {"o0001", u"ハルカゼ顆粒"_s, u"青葉製薬"_s},         {"o0002", u"ネツサマシ錠"_s, u"ひばり薬品工業"_s},
        {"o0003", u"セキトメシロップ"_s, u"朝凪ファーマ"_s}, {"o0004", u"イグスリ胃腸錠"_s, u"山吹製薬"_s},
        {"o0005", u"セイチョウ散"_s, u"白樺ヘルスケア"_s},   {"o0006", u"ベンツウ錠"_s, u"青葉製薬"_s},
        {"o0007", u"ビエンカプセル"_s, u"ひばり薬品工業"_s}, {"o0008", u"メグスリ点眼液"_s, u"朝凪ファーマ"_s},
        {"o0009", u"シップ貼付剤"_s, u"山吹製薬"_s},         {"o0010", u"ミズムシクリーム"_s, u"白樺ヘルスケア"_s},
        {"o0011", u"ヒフナオシ軟膏"_s, u"青葉製薬"_s},       {"o0012", u"ビタミン錠ＡＢＣ"_s, u"ひばり薬品工業"_s},
        {"o0013", u"ゲンキドリンク"_s, u"朝凪ファーマ"_s},   {"o0014", u"ネムリ錠"_s, u"山吹製薬"_s},
        {"o0015", u"ノリモノ錠"_s, u"白樺ヘルスケア"_s},     {"o0016", u"キンエンガム"_s, u"青葉製薬"_s},
        {"o0017", u"ハルカゼ錠"_s, u"ひばり薬品工業"_s},     {"o0018", u"ハルカゼ液"_s, u"朝凪ファーマ"_s},
        {"o0019", u"セキトメ錠"_s, u"山吹製薬"_s},           {"o0020", u"イグスリ散"_s, u"白樺ヘルスケア"_s},
        {"o0021", u"ケッソン錠"_s, u"青葉製薬"_s},
    };
    return products;
}

// The products with the longest names (PracticeCatalogue.h): listed only when the
// sale name searched for holds "長名", so that no other search changes.
const QList<OtcProduct> &LongProducts()
{
    static const QList<OtcProduct> products = {
        {"o0091", PracticeLongOtcName(1), u"青葉製薬"_s},
        {"o0092", PracticeLongOtcName(2), u"青葉製薬"_s},
    };
    return products;
}

constexpr QByteArrayView BoldId = "o0002";
constexpr QByteArrayView CapitalId = "o0005";
constexpr QByteArrayView DecoratedId = "o0004";
constexpr QByteArrayView ShrinkingId = "o0008";
constexpr QByteArrayView MissingId = "o0021";

QHash<QByteArray, QByteArray> QueryKeys(const QByteArray &query)
{
    QHash<QByteArray, QByteArray> keys;
    for (const QByteArray &pair : query.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0)
            keys.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return keys;
}

QString DecodeEucKey(const QByteArray &value)
{
    QStringDecoder decoder("EUC-JP");
    return decoder(QByteArray::fromPercentEncoding(value));
}

int LeadingNumber(const QByteArray &value)
{
    int number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9' || number > 100000)
            break;
        number = number * 10 + (c - '0');
    }
    return number;
}

QString HitRow(const OtcProduct &product)
{
    const QString link = u"/downfiles/otc/PDF/"_s + QString::fromLatin1(product.id) + u".pdf"_s;
    QString row;
    if (product.id == CapitalId)
        row = u"<TR><TD><A HREF=\""_s + link + u"\">"_s + product.name + u"</A><BR><FONT SIZE=\"-1\">"_s + product.maker
              + u"</FONT></TD></TR>\n"_s;
    else
        row = u"<tr><td><a href=\""_s + link + u"\">"_s
              + (product.id == BoldId ? u"<b>"_s + product.name + u"</b>"_s : product.name)
              + u"</a><br><font size=\"-1\">"_s + product.maker + u"</font>"_s;
    if (product.id == DecoratedId)
        row += u" <a href=\"/downfiles/otc/PDF/"_s + QString::fromLatin1(product.id)
               + u"_r.pdf\"><font size=\"-2\" color=\"red\">改訂</font></a>"_s;
    if (product.id != CapitalId)
        row += u"</td></tr>\n"_s;
    return row;
}

PracticeResponse SearchPage(const PracticeRequest &request)
{
    const QHash<QByteArray, QByteArray> keys = QueryKeys(request.query);
    const QString saleName = DecodeEucKey(keys.value("txtSaleName"));
    const QString maker = DecodeEucKey(keys.value("txtComName"));
    int size = LeadingNumber(keys.contains("count") ? keys.value("count") : keys.value("cboDisCnt"));
    if (size <= 0)
        size = 10;
    const int start = qMax(1, LeadingNumber(keys.value("start")));

    QList<OtcProduct> matches;
    const QList<OtcProduct> searched = saleName.contains(u"長名"_s) ? Catalogue() + LongProducts() : Catalogue();
    for (const OtcProduct &product : searched) {
        if (product.name.contains(saleName) && product.maker.contains(maker))
            matches.append(product);
    }
    const bool badConditions = saleName.contains(u"不正"_s);
    const bool tooMany = saleName.contains(u"上限"_s);
    if (badConditions || tooMany || saleName.contains(u"障害"_s))
        matches = Catalogue();

    QString html = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">"
                   "<title>一般用医薬品 検索結果</title></head><body>\n"_s;
    if (badConditions)
        html += u"<p class=\"error\">入力された条件が正しくありません。</p>\n"_s;
    if (tooMany)
        html += u"<p class=\"error\">検索結果の上限は1000件です。</p>\n"_s;
    const int total = int(matches.size());
    const int last = qMin(total, start + size - 1);
    if (start <= last) {
        html += u"<p>結果が多いときは「次へ」で続きを表示できます。</p>\n"_s;
        html += u"<p>該当件数：%1件（%2～%3件目）</p>\n<table>\n"_s.arg(total).arg(start).arg(last);
        for (int rank = start; rank <= last; ++rank)
            html += HitRow(matches[rank - 1]);
        html += u"</table>\n"_s;
    } else {
        html += u"<p>該当件数：%1件</p>\n"_s.arg(total);
    }
    html += u"<p>"_s;
    if (start > 1 && total > 0)
        html += u"[<a href=\"/osearch/PackinsSearch?start=%1\">前へ</a>] "_s.arg(qMax(1, start - size));
    if (last < total)
        html += u"[<a href=\"/osearch/PackinsSearch?start=%1\">次へ</a>]"_s.arg(last + 1);
    html += u"</p>\n</body></html>\n"_s;

    PracticeResponse response;
    response.body = ToEuc(html);
    if (saleName.contains(u"障害"_s)) {
        response.status = 503;
        response.reason = "Service Unavailable";
    }
    return response;
}

PracticeResponse NotFound()
{
    PracticeResponse response;
    response.status = 404;
    response.reason = "Not Found";
    response.body = ToEuc(u"<html><body>見つかりません</body></html>"_s);
    return response;
}

} // namespace

void AddOtcRoutes(PracticeServer &server)
{
    server.Route("/osearch/PackinsSearch", SearchPage);

    auto downloads = std::make_shared<QHash<QByteArray, int>>();
    server.RoutePrefix("/downfiles/otc/PDF/", [downloads](const PracticeRequest &request) {
        QByteArray id = request.path.mid(qsizetype(sizeof("/downfiles/otc/PDF/") - 1));
        if (!id.endsWith(".pdf"))
            return NotFound();
        id.chop(4);
        const QList<OtcProduct> all = Catalogue() + LongProducts();
        for (qsizetype i = 0; i < all.size(); ++i) {
            const OtcProduct &product = all[i];
            if (product.id != id || id == MissingId)
                continue;
            const int count = ++(*downloads)[id];
            int padding = 200 + 150 * int(i);
            if (id == ShrinkingId && count == 1)
                padding += 6000;
            PracticeResponse response;
            response.contentType = "application/pdf";
            response.body = PracticePdf(product.name, padding);
            return response;
        }
        return NotFound();
    });
}
