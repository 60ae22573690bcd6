#include <QTest>

#include "prescription/FootPage.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

using Manuals = QList<std::pair<QString, QString>>; // title, address

class TestFootPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hitPageAddress_data();
    void hitPageAddress();
    void footPageAddress_data();
    void footPageAddress();
    void scanFootPage_data();
    void scanFootPage();
    void historyEntries_data();
    void historyEntries();
    void historyDisplayText_data();
    void historyDisplayText();
    void historyDocument_data();
    void historyDocument();
    void manualFiles_data();
    void manualFiles();
};

namespace {

const QString base = u"http://svc.test"_s;
const QString docs = u"/home/u/Documents/"_s;

} // namespace

void TestFootPage::hitPageAddress_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("expected"); // empty: no address

    QTest::newRow("result row") << u"<TR><TD><A href=\"/sorano/hit/12/\" target=\"_new\">名前</A></TD></TR>"_s
                                << u"http://svc.test/sorano/hit/12/"_s;
    QTest::newRow("lower case link") << u"<tr><td><a href=\"/sorano/hit/3/\">x</a>"_s
                                     << u"http://svc.test/sorano/hit/3/"_s;
    QTest::newRow("first link counts") << u"<A href=\"/sorano/hit/1/\">a</A><A href=\"/sorano/hit/2/\">b</A>"_s
                                       << u"http://svc.test/sorano/hit/1/"_s;
    QTest::newRow("no link") << u"<TR><TD>名前だけ</TD></TR>"_s << QString();
    QTest::newRow("link never closed") << u"<A href=\"/sorano/hit/12/ target=_new>"_s << QString();
    QTest::newRow("empty row") << QString() << QString();
}

void TestFootPage::hitPageAddress()
{
    QCOMPARE(HitPageAddress(base, fetch<QString>("row")).value_or(QString()), fetch<QString>("expected"));
}

void TestFootPage::footPageAddress_data()
{
    addColumns<QString, QString>("page", "expected");

    const QString hit = u"<frameset><frame name=\"head\" src=\"/head.html\">"_s;
    QTest::newRow("foot frame") << hit + u"<frame name=\"foot\" src=\"/foot.html\"></frameset>"_s
                                << u"http://svc.test/sorano/hit/4/foot.html"_s;
    QTest::newRow("upper case markup") << u"<FRAME NAME=\"FOOT\" SRC=\"/sub/foot.html\">"_s
                                       << u"http://svc.test/sorano/hit/4/sub/foot.html"_s;
    QTest::newRow("no foot frame") << hit + u"</frameset>"_s << QString();
    QTest::newRow("frame source never closed") << u"<frame name=\"foot\" src=\"/foot.html"_s << QString();
    QTest::newRow("quote without >") << u"<frame name=\"foot\" src=\"/foot.html\" >"_s << QString();
}

void TestFootPage::footPageAddress()
{
    QCOMPARE(FootPageAddress(u"http://svc.test/sorano/hit/4/"_s, fetch<QString>("page")).value_or(QString()),
             fetch<QString>("expected"));
}

void TestFootPage::scanFootPage_data()
{
    addColumns<QString, QString, QString, Manuals>("page", "insert", "guide", "manuals");

    const QString pdf = u"<a href=\"/downfiles/ph/PDF/7.pdf\" target=\"_blank\">添付</a>"_s;
    const QString gui = u"<a href=\"/downfiles/ph/GUI/7.pdf\">ガイド</a>"_s;
    const auto manual = [](const QString &n, const QString &title) -> QString {
        return u"<a href=\"http://svc.test/juutoku/file/"_s + n + u".pdf\">"_s + title + u"</a>"_s;
    };

    QTest::newRow("nothing") << u"<html><body>なし</body></html>"_s << QString() << QString() << Manuals{};
    QTest::newRow("insert and guide") << gui + pdf << u"http://svc.test/downfiles/ph/PDF/7.pdf"_s
                                      << u"http://svc.test/downfiles/ph/GUI/7.pdf"_s << Manuals{};
    QTest::newRow("second insert ignored") << pdf + u"<A HREF=\"/downfiles/ph/PDF/7_old.pdf\">旧</A>"_s
                                           << u"http://svc.test/downfiles/ph/PDF/7.pdf"_s << QString() << Manuals{};
    QTest::newRow("marker in other case") << u"<a href=\"/DOWNFILES/PH/gui/x.pdf\">g</a>"_s << QString()
                                          << u"http://svc.test/DOWNFILES/PH/gui/x.pdf"_s << Manuals{};
    QTest::newRow("manuals in page order") << manual(u"2"_s, u"横紋筋融解症"_s) + gui + manual(u"1"_s, u"間質性肺炎"_s)
                                           << QString() << u"http://svc.test/downfiles/ph/GUI/7.pdf"_s
                                           << Manuals{{u"横紋筋融解症"_s, u"http://svc.test/juutoku/file/2.pdf"_s},
                                                      {u"間質性肺炎"_s, u"http://svc.test/juutoku/file/1.pdf"_s}};
    QTest::newRow("title kept as sent") << manual(u"3"_s, u"../../a/b"_s) << QString() << QString()
                                        << Manuals{{u"../../a/b"_s, u"http://svc.test/juutoku/file/3.pdf"_s}};
    QTest::newRow("https manual link counts too")
        << u"<a href=\"HTTPS://svc.test/juutoku/file/4.pdf\">四</a>"_s + manual(u"5"_s, u"五"_s) << QString()
        << QString()
        << Manuals{{u"四"_s, u"HTTPS://svc.test/juutoku/file/4.pdf"_s},
                   {u"五"_s, u"http://svc.test/juutoku/file/5.pdf"_s}};
    QTest::newRow("manual of another host ignored")
        << u"<a href=\"http://other.test/juutoku/file/1.pdf\">x</a>"_s << QString() << QString() << Manuals{};
    QTest::newRow("unclosed manual link ends the scan")
        << manual(u"1"_s, u"一"_s) + u"<a href=\"http://svc.test/juutoku/file/2.pdf"_s << QString() << QString()
        << Manuals{{u"一"_s, u"http://svc.test/juutoku/file/1.pdf"_s}};
    QTest::newRow("insert link never closed")
        << u"<a href=\"/downfiles/ph/PDF/7.pdf"_s << QString() << QString() << Manuals{};
}

void TestFootPage::scanFootPage()
{
    QFETCH(QString, page);
    QFETCH(QString, insert);
    QFETCH(QString, guide);
    QFETCH(Manuals, manuals);
    const FootDocuments found = ScanFootPage(base, page);
    QCOMPARE(found.insertAddress, insert);
    QCOMPARE(found.guideAddress, guide);
    Manuals got;
    for (const ManualLink &m : found.manuals)
        got.append({m.title, m.address});
    QCOMPARE(got, manuals);
}

void TestFootPage::historyEntries_data()
{
    addColumns<QString, QStringList>("page", "entries");

    const QString a = u"href=\"http://svc.test/revision/1.pdf\">一&nbsp;版</a>"_s;
    const QString b = u"HREF=\"http://svc.test/revision/2.pdf\" target=\"_blank\">二版</A>"_s;
    const QString c = u"href=\"/revision/3.pdf\">三版</a>"_s;
    const QString head = u"<a href=\"/top.html\">戻る</a><table><tr><th>改訂指示反映履歴</th></tr>"_s;

    QTest::newRow("three entries in order")
        << head + u"<tr><td><a "_s + a + u"</td></tr><tr><td><a "_s + b + u"</td></tr><tr><td><a "_s + c
               + u"</td></tr></table><a href=\"/after.html\">後</a>"_s
        << QStringList{a, b, c};
    QTest::newRow("no heading") << u"<table><tr><td><a "_s + a + u"</td></tr></table>"_s << QStringList{};
    QTest::newRow("heading without table end") << head + u"<tr><td><a "_s + a << QStringList{};
    QTest::newRow("heading without links") << head + u"<tr><td>まだありません</td></tr></table>"_s << QStringList{};
    QTest::newRow("link without end stops the scan")
        << head + u"<a "_s + a + u"<a href=\"x.pdf\">開いたまま</table>"_s << QStringList{a};
}

void TestFootPage::historyEntries()
{
    QCOMPARE(HistoryEntries(fetch<QString>("page")), fetch<QStringList>("entries"));
}

void TestFootPage::historyDisplayText_data()
{
    addColumns<QString, QString>("entry", "text");

    QTest::newRow("one nbsp") << u"href=\"http://h/1.pdf\">2023年04月&nbsp;改訂</a>"_s << u"2023年04月　改訂"_s;
    QTest::newRow("two nbsp") << u"href=\"http://h/1.pdf\">A&nbsp;&nbsp;B</a>"_s << u"A　　B"_s;
    QTest::newRow("plain") << u"href=\"http://h/1.pdf\" target=\"_blank\">第2版/追補:1</a>"_s << u"第2版/追補:1"_s;
    QTest::newRow("other markup kept") << u"href=\"http://h/1.pdf\"><b>新</b>&amp;版</a>"_s << u"<b>新</b>&amp;版"_s;
    QTest::newRow("no tag end") << u"href=\"http://h/1.pdf\""_s << QString();
}

void TestFootPage::historyDisplayText()
{
    QCOMPARE(HistoryDisplayText(fetch<QString>("entry")), fetch<QString>("text"));
}

void TestFootPage::historyDocument_data()
{
    addColumns<QString, QString, QString, QString>("entry", "drug", "address", "path");

    QTest::newRow("absolute link")
        << u"href=\"http://svc.test/revision/6/1.pdf\" target=\"_blank\">2023年04月&nbsp;改訂</a>"_s
        << u"トリノキサン錠"_s << u"http://svc.test/revision/6/1.pdf"_s
        << docs + u"医薬品情報/［改訂指示］/トリノキサン錠：2023年04月　改訂.pdf"_s;
    QTest::newRow("slash and colon in both names")
        << u"href=\"http://svc.test/r.pdf\">第2版/追補:1</a>"_s << u"A/B配合錠:試験用"_s << u"http://svc.test/r.pdf"_s
        << docs + u"医薬品情報/［改訂指示］/A／B配合錠：試験用：第2版／追補：1.pdf"_s;
    QTest::newRow("https link before an http one")
        << u"href=\"https://svc.test/r.pdf\" title=\"http://old.test/r.pdf\">版</a>"_s << u"錠"_s
        << u"https://svc.test/r.pdf"_s << docs + u"医薬品情報/［改訂指示］/錠：版.pdf"_s;
    QTest::newRow("relative to the page")
        << u"href=\"../revision/8/4.pdf\">旧様式</a>"_s << u"錠"_s << u"http://svc.test/ph/revision/8/4.pdf"_s
        << docs + u"医薬品情報/［改訂指示］/錠：旧様式.pdf"_s;
    QTest::newRow("relative to the host, single quotes, &amp;")
        << u"href='/revision/get?id=8&amp;k=4'>旧</a>"_s << u"錠"_s << u"http://svc.test/revision/get?id=8&k=4"_s
        << docs + u"医薬品情報/［改訂指示］/錠：旧.pdf"_s;
    QTest::newRow("relative name beside the page")
        << u"href=\"old 4.pdf\">旧</a>"_s << u"錠"_s << u"http://svc.test/ph/drug/old%204.pdf"_s
        << docs + u"医薬品情報/［改訂指示］/錠：旧.pdf"_s;
    QTest::newRow("another host by //") << u"href=\"//other.test/r.pdf\">版</a>"_s << u"錠"_s << QString()
                                        << docs + u"医薬品情報/［改訂指示］/錠：版.pdf"_s;
    QTest::newRow("another port") << u"href=\"//svc.test:8080/r.pdf\">版</a>"_s << u"錠"_s << QString()
                                  << docs + u"医薬品情報/［改訂指示］/錠：版.pdf"_s;
    QTest::newRow("scheme without host") << u"href=\"http:r.pdf\">版</a>"_s << u"錠"_s << QString()
                                         << docs + u"医薬品情報/［改訂指示］/錠：版.pdf"_s;
    QTest::newRow("other scheme") << u"href=\"mailto:a@svc.test\">版</a>"_s << u"錠"_s << QString()
                                  << docs + u"医薬品情報/［改訂指示］/錠：版.pdf"_s;
    QTest::newRow("javascript") << u"href=\"javascript:open('/r.pdf')\">版</a>"_s << u"錠"_s << QString()
                                << docs + u"医薬品情報/［改訂指示］/錠：版.pdf"_s;
    QTest::newRow("unquoted or empty link")
        << u"href=/r.pdf>版</a>"_s << u"錠"_s << QString() << docs + u"医薬品情報/［改訂指示］/錠：版.pdf"_s;
    // Past 255 bytes the drug's name, which every entry of the drug shares, is cut and
    // marked ("…*": "…" and eight digits of the whole name); the entry stays whole.
    QTest::newRow("long drug name cut, entry kept")
        << u"href=\"/r.pdf\">2023年04月&nbsp;改訂</a>"_s << QString(100, u'錠') << u"http://svc.test/r.pdf"_s
        << docs + u"医薬品情報/［改訂指示］/"_s + QString(72, u'錠') + u"…*：2023年04月　改訂.pdf"_s;
    // An entry too long even alone is cut after the start of the drug's name.
    QTest::newRow("long entry cut after the drug's name")
        << u"href=\"/r.pdf\">"_s + QString(90, u'改') + u"</a>"_s << QString(10, u'錠') << u"http://svc.test/r.pdf"_s
        << docs + u"医薬品情報/［改訂指示］/"_s + QString(10, u'錠') + u"："_s + QString(69, u'改') + u"…*.pdf"_s;
}

void TestFootPage::historyDocument()
{
    QFETCH(QString, entry);
    QFETCH(QString, drug);
    QFETCH(QString, address);
    QFETCH(QString, path);
    const QString page = u"http://svc.test/ph/drug/foot.html"_s; // the foot page
    QCOMPARE(HistoryDocumentAddress(entry, page, u"http://svc.test"_s).value_or(QString()), address);
    const QString saved = HistoryDocumentPath(docs, drug, HistoryDisplayText(entry));
    QVERIFY2(matchesCut(saved, path), qPrintable(saved));
}

void TestFootPage::manualFiles_data()
{
    QTest::addColumn<Manuals>("manuals");
    QTest::addColumn<QStringList>("files"); // in the library root, in download order
    QTest::newRow("titles differ") << Manuals{{u"間質性肺炎"_s, u"http://s/1.pdf"_s}, {u"皮膚"_s, u"http://s/2.pdf"_s}}
                                   << QStringList{u"間質性肺炎.pdf"_s, u"皮膚.pdf"_s};
    QTest::newRow("one title, three manuals: numbered")
        << Manuals{{u"肝障害"_s, u"http://s/1.pdf"_s},
                   {u"肝障害"_s, u"http://s/2.pdf"_s},
                   {u"肝障害"_s, u"http://s/3.pdf"_s}}
        << QStringList{u"肝障害.pdf"_s, u"肝障害（2）.pdf"_s, u"肝障害（3）.pdf"_s};
    QTest::newRow("one manual linked twice: one file")
        << Manuals{{u"肝障害"_s, u"http://s/1.pdf"_s}, {u"肝障害"_s, u"http://s/1.pdf"_s}}
        << QStringList{u"肝障害.pdf"_s, u"肝障害.pdf"_s};
}

// Within one download, two different manuals never go to one file.
void TestFootPage::manualFiles()
{
    QFETCH(Manuals, manuals);
    QFETCH(QStringList, files);
    FootDocuments documents;
    for (const auto &[title, address] : manuals)
        documents.manuals.append({title, address});
    QStringList planned;
    for (const DocumentDownload &download :
         DownloadPlan(documents, docs, u"薬"_s, true, true, QList<bool>(manuals.size(), true)))
        planned.append(download.path.mid(docs.size() + QStringLiteral(u"医薬品情報/").size()));
    QCOMPARE(planned, files);
}

QTEST_APPLESS_MAIN(TestFootPage)
#include "test_footpage.moc"
