#include <memory>
#include <optional>

#include <QDir>
#include <QFile>
#include <QHash>

#include "PracticeCatalogue.h"
#include "PracticeServer.h"

using namespace Qt::Literals::StringLiterals;

// A prescription drug's pages and documents. Each hit page "/sorano/hit/<id>/" is a
// frame set whose "foot" frame ("foot.html" beside it) links the documents that the
// catalogue's letters promise. Two drugs outside the catalogue (not found by any
// search, reached by their hit rows) exercise failed transfers: 91 and 92 offer a
// patient guide, a package insert and a manual, and the package insert fails, with
// HTTP 500 (91) or a connection reset halfway through the body (92). A third (93) has
// the longest names the service serves (PracticeCatalogue.h).
//
// Every document answers shorter each time it is asked for again, so a test can tell
// that a replaced file holds nothing of its earlier, longer copy. "/revision/stall.pdf"
// never answers.

namespace {

struct DrugPages {
    int id;
    QString name;
    QString documents;
};

std::optional<DrugPages> FindDrug(int id)
{
    for (const PracticeDrug &drug : PracticeDrugs()) {
        if (drug.id == id)
            return DrugPages{drug.id, drug.name, drug.documents};
    }
    if (id == 91)
        return DrugPages{91, u"フライン錠（試験用）"_s, u"IG1"_s};
    if (id == 92)
        return DrugPages{92, u"リセトン錠（試験用）"_s, u"IG1"_s};
    if (id == PracticeLongDrugId)
        return DrugPages{id, PracticeLongDrugName(), u"IG2H"_s};
    return std::nullopt;
}

int ManualCount(const QString &documents)
{
    for (const QChar c : documents) {
        if (c.isDigit())
            return c.digitValue();
    }
    return 0;
}

// The manuals' titles in page order; the fourth comes as the service may send it, with
// slashes that must not lead out of the document library.
QString ManualTitle(int id, int k)
{
    if (id == PracticeLongDrugId)
        return PracticeLongManualTitle(k);
    static const QStringList titles
        = {u"間質性肺炎"_s, u"横紋筋融解症"_s, u"薬物性肝障害"_s, u"../../重篤副作用/皮膚"_s};
    return titles[(k - 1) % titles.size()];
}

int ManualNumber(int id, int k)
{
    return id * 10 + k;
}

struct HistoryEntry {
    QString linkText;
    bool absolute;
};

// Drug 6 has three entries; other drugs with a history have a fourth whose link is
// relative to the service's host, without "http://" (or "https://"), as the service
// links its older documents.
QList<HistoryEntry> HistoryOf(int id)
{
    QList<HistoryEntry> entries = {
        {u"2023年04月&nbsp;改訂"_s, true},
        {u"2021年10月&nbsp;&nbsp;用法追加"_s, true},
        {u"第2版/追補:1"_s, true},
    };
    if (id != 6)
        entries.append({u"旧様式"_s, false});
    return entries;
}

QString HistoryTitle(int id, int k)
{
    QString text = HistoryOf(id).value(k - 1).linkText;
    return u"改訂指示 "_s + text.replace(u"&nbsp;"_s, u" "_s);
}

PracticeResponse Html(const QString &text)
{
    PracticeResponse response;
    response.body = ToEuc(text);
    return response;
}

PracticeResponse NotFound()
{
    PracticeResponse response;
    response.status = 404;
    response.reason = "Not Found";
    response.body = ToEuc(u"<html><body>ページがありません</body></html>"_s);
    return response;
}

QString HitPage(const DrugPages &drug)
{
    QString page = u"<html><head><title>"_s + drug.name
                   + u"</title></head>\r\n<frameset rows=\"80,*\">\r\n"
                     u"<frame name=\"head\" src=\"/head.html\">\r\n"_s;
    if (!drug.documents.contains(u'F'))
        page += u"<frame name=\"foot\" src=\"/foot.html\">\r\n"_s;
    return page + u"</frameset></html>\r\n"_s;
}

QString FootPage(const DrugPages &drug, const PracticeRequest &request)
{
    const QString id = QString::number(drug.id);
    const QString server = (request.secure ? u"https://"_s : u"http://"_s) + QString::fromLatin1(request.host);
    QString page = u"<html><head><title>"_s + drug.name + u"</title></head><body>\r\n<h2>"_s + drug.name
                   + u"</h2>\r\n<table>\r\n"_s;
    if (drug.documents.contains(u'G'))
        page += u"<tr><td><a href=\"/downfiles/ph/GUI/"_s + id
                + u".pdf\" target=\"_blank\">患者向医薬品ガイド</a></td></tr>\r\n"_s;
    if (drug.documents.contains(u'I')) {
        page += u"<tr><td><a href=\"/downfiles/ph/PDF/"_s + id
                + u".pdf\" target=\"_blank\">医薬品添付文書情報</a></td></tr>\r\n"_s;
        // an earlier edition, linked further down: not the document to fetch
        page += u"<tr><td><A HREF=\"/downfiles/ph/PDF/"_s + id + u"_old.pdf\">旧版</A></td></tr>\r\n"_s;
    }
    page += u"</table>\r\n"_s;
    const int manuals = ManualCount(drug.documents);
    if (manuals > 0) {
        page += u"<h3>重篤副作用疾患別対応マニュアル</h3>\r\n<ul>\r\n"_s;
        for (int k = 1; k <= manuals; ++k)
            page += u"<li><a href=\""_s + server + u"/juutoku/file/"_s + QString::number(ManualNumber(drug.id, k))
                    + u".pdf\">"_s + ManualTitle(drug.id, k) + u"</a></li>\r\n"_s;
        page += u"</ul>\r\n"_s;
    }
    if (drug.documents.contains(u'H')) {
        page += u"<table border=\"1\">\r\n<tr><th>改訂指示反映履歴</th></tr>\r\n"_s;
        const QList<HistoryEntry> entries = HistoryOf(drug.id);
        for (int k = 1; k <= entries.size(); ++k) {
            const QString path = u"/revision/"_s + id + u'/' + QString::number(k) + u".pdf"_s;
            page += u"<tr><td><a href=\""_s + (entries[k - 1].absolute ? server + path : path)
                    + u"\" target=\"_blank\">"_s + entries[k - 1].linkText + u"</a></td></tr>\r\n"_s;
        }
        page += u"</table>\r\n"_s;
    } else if (drug.documents.contains(u'h')) {
        page += u"<table border=\"1\">\r\n<tr><th>改訂指示反映履歴</th></tr>\r\n"
                u"<tr><td>改訂指示はまだありません</td></tr>\r\n</table>\r\n"_s;
    }
    return page + u"<p>お問い合わせ先: 各製造販売業者</p>\r\n</body></html>\r\n"_s;
}

// The number in a last path segment "<n>.pdf" or "<n>_old.pdf", and whether "_old".
std::optional<std::pair<int, bool>> DocumentNumber(const QByteArray &segment)
{
    if (!segment.endsWith(".pdf"))
        return std::nullopt;
    QByteArray stem = segment.chopped(4);
    const bool old = stem.endsWith("_old");
    if (old)
        stem.chop(4);
    bool ok = false;
    const int number = stem.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return std::pair{number, old};
}

QStringList &practiceInserts()
{
    static QStringList files;
    return files;
}

class Documents {
public:
    // A document answers with less padding on every later request of the same path.
    PracticeResponse Pdf(const QByteArray &path, const QString &title)
    {
        int sum = 0;
        for (const char c : path)
            sum += quint8(c);
        const int base = 2000 + (sum % 40) * 25;
        const int times = m_served.value(path, 0);
        m_served.insert(path, times + 1);
        PracticeResponse response;
        response.contentType = "application/pdf";
        response.body = PracticePdf(title, base >> qMin(times, 10));
        return response;
    }

private:
    QHash<QByteArray, int> m_served;
};

PracticeResponse SingleDocument(Documents &documents, const PracticeRequest &request)
{
    const bool guide = request.path.startsWith("/downfiles/ph/GUI/");
    const auto number = DocumentNumber(request.path.mid(request.path.lastIndexOf('/') + 1));
    if (!number)
        return NotFound();
    const auto drug = FindDrug(number->first);
    if (!drug || !drug->documents.contains(guide ? u'G' : u'I') || (guide && number->second))
        return NotFound();
    if (!guide && !number->second && drug->id == 91) {
        PracticeResponse failure = NotFound();
        failure.status = 500;
        failure.reason = "Internal Server Error";
        return failure;
    }
    if (!guide && !number->second && drug->id == 92) {
        PracticeResponse reset = documents.Pdf(request.path, drug->name);
        reset.mode = PracticeResponse::Mode::ResetMidBody;
        return reset;
    }
    const QString kind = guide ? u"患者向医薬品ガイド "_s : number->second ? u"旧版 "_s : u"添付文書 "_s;
    if (!guide && !number->second && !practiceInserts().isEmpty()) {
        QFile insert(practiceInserts().at(drug->id % practiceInserts().size()));
        if (insert.open(QIODevice::ReadOnly)) {
            PracticeResponse response;
            response.contentType = "application/pdf";
            response.body = insert.readAll();
            return response;
        }
    }
    return documents.Pdf(request.path, kind + drug->name);
}

PracticeResponse Manual(Documents &documents, const PracticeRequest &request)
{
    const auto number = DocumentNumber(request.path.mid(request.path.lastIndexOf('/') + 1));
    if (!number || number->second)
        return NotFound();
    const auto drug = FindDrug(number->first / 10);
    const int k = number->first % 10;
    if (!drug || k < 1 || k > ManualCount(drug->documents))
        return NotFound();
    return documents.Pdf(request.path, ManualTitle(drug->id, k));
}

PracticeResponse Revision(Documents &documents, const PracticeRequest &request)
{
    if (request.path == "/revision/stall.pdf") {
        PracticeResponse stall;
        stall.mode = PracticeResponse::Mode::NeverAnswer;
        return stall;
    }
    // "/revision/<id>/<k>.pdf"
    const QList<QByteArray> parts = request.path.split('/');
    if (parts.size() != 4)
        return NotFound();
    bool ok = false;
    const int id = parts[2].toInt(&ok);
    const auto number = DocumentNumber(parts[3]);
    const auto drug = ok ? FindDrug(id) : std::nullopt;
    if (!drug || !number || number->second || !drug->documents.contains(u'H') || number->first < 1
        || number->first > HistoryOf(id).size())
        return NotFound();
    return documents.Pdf(request.path, HistoryTitle(id, number->first));
}

} // namespace

void AddPrescriptionDocumentRoutes(PracticeServer &server)
{
    server.RoutePrefix("/sorano/hit/", [](const PracticeRequest &request) {
        // "/sorano/hit/<id>/" or "/sorano/hit/<id>/foot.html"
        const QByteArray rest = request.path.mid(int(sizeof("/sorano/hit/")) - 1);
        const qsizetype slash = rest.indexOf('/');
        bool ok = false;
        const int id = slash > 0 ? rest.left(slash).toInt(&ok) : 0;
        const auto drug = ok ? FindDrug(id) : std::nullopt;
        if (!drug)
            return NotFound();
        const QByteArray page = rest.mid(slash + 1);
        if (page.isEmpty())
            return Html(HitPage(*drug));
        if (page == "foot.html" && !drug->documents.contains(u'F'))
            return Html(FootPage(*drug, request));
        return NotFound();
    });

    auto documents = std::make_shared<Documents>();
    server.RoutePrefix("/downfiles/ph/",
                       [documents](const PracticeRequest &request) { return SingleDocument(*documents, request); });
    server.RoutePrefix("/juutoku/file/",
                       [documents](const PracticeRequest &request) { return Manual(*documents, request); });
    server.RoutePrefix("/revision/",
                       [documents](const PracticeRequest &request) { return Revision(*documents, request); });
}

void UsePracticeInserts(const QString &folder)
{
    practiceInserts().clear();
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({u"*.pdf"_s}, QDir::Files, QDir::Name))
        practiceInserts().append(dir.filePath(name));
}
