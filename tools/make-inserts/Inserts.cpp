#include "Inserts.h"

#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList Syllables{u"ア"_s, u"イ"_s, u"カ"_s, u"キ"_s, u"サ"_s, u"シ"_s, u"タ"_s, u"チ"_s, u"ナ"_s,
                            u"ニ"_s, u"マ"_s, u"ミ"_s, u"ラ"_s, u"リ"_s, u"ロ"_s, u"ト"_s, u"ソ"_s, u"ピ"_s,
                            u"ゾ"_s, u"ル"_s, u"ベ"_s, u"ド"_s, u"フ"_s, u"メ"_s, u"ヨ"_s, u"ク"_s, u"ノ"_s};

// A drug name of katakana syllables that only `number` spells so: the digits of the
// number in base 27, after a fixed head.
QString drugName(int number)
{
    QString name = u"ゼ"_s;
    int n = number;
    do {
        name += Syllables.at(n % Syllables.size());
        n /= int(Syllables.size());
    } while (n > 0);
    return name + u"ミドール"_s;
}

} // namespace

QString HalfWidthKatakana(const QString &katakana)
{
    static const QString full
        = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワンーァィゥェォャュョッ"_s;
    static const QString half = u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝｰｧｨｩｪｫｬｭｮｯ"_s;
    static const QString voiced = u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ"_s;
    static const QString voicedBase = u"カキクケコサシスセソタチツテトハヒフヘホ"_s;
    static const QString semi = u"パピプペポ"_s;
    static const QString semiBase = u"ハヒフヘホ"_s;
    QString out;
    for (const QChar c : katakana) {
        if (const qsizetype i = full.indexOf(c); i >= 0)
            out += half.at(i);
        else if (const qsizetype v = voiced.indexOf(c); v >= 0)
            out += half.at(full.indexOf(voicedBase.at(v))) + u"ﾞ"_s;
        else if (const qsizetype s = semi.indexOf(c); s >= 0)
            out += half.at(full.indexOf(semiBase.at(s))) + u"ﾟ"_s;
        else
            out += c;
    }
    return out;
}

namespace {

const QStringList Partners{u"ワルファリンカリウム"_s, u"シクロスポリン"_s, u"リファンピシン"_s, u"イトラコナゾール"_s,
                           u"クラリスロマイシン"_s,   u"ジゴキシン"_s,     u"テオフィリン"_s,   u"カルバマゼピン"_s};
const QStringList Effects{u"間質性肺炎"_s, u"肝機能障害"_s,       u"横紋筋融解症"_s,     u"無顆粒球症"_s,
                          u"血小板減少"_s, u"皮膚粘膜眼症候群"_s, u"アナフィラキシー"_s, u"急性腎障害"_s};
const QStringList Phrases{
    u"本剤の投与にあたっては、患者の状態を十分に観察し、異常が認められた場合には投与を中止するなど適切な処置を行うこと。"_s,
    u"高齢者では一般に生理機能が低下しているので、減量するなど注意すること。"_s,
    u"妊婦又は妊娠している可能性のある女性には、治療上の有益性が危険性を上回ると判断される場合にのみ投与すること。"_s,
    u"授乳中の女性には、治療上の有益性及び母乳栄養の有益性を考慮し、授乳の継続又は中止を検討すること。"_s,
    u"本剤は主として肝代謝酵素ＣＹＰ３Ａ４で代謝されるため、本酵素を阻害する薬剤と併用する場合には注意すること。"_s,
    u"腎機能障害患者では血中濃度が上昇するおそれがあるので、投与量を調節すること。"_s,
    u"小児等を対象とした臨床試験は実施していない。"_s,
    u"過量投与時には、胃洗浄、活性炭投与等の適切な処置を行うこと。"_s};

} // namespace

Insert MakeInsert(int number, int pages)
{
    QRandomGenerator random(quint32(number) * 2654435761u + 7);
    Insert insert;
    insert.name = drugName(number);
    const QString code = u"ＺＭ－%1"_s.arg(number, 4, 10, QLatin1Char(u'0'));
    insert.words = {insert.name, code};
    const QString strength = u"%1ｍｇ"_s.arg(QString::number(5 * (1 + number % 8)).toUpper());
    QString html = u"<html><body>"_s;
    html += u"<p>日本標準商品分類番号 87%1　承認番号 第%2号</p>"_s.arg(2100 + number % 90).arg(10 + number % 40);
    html += u"<h1>%1錠%2</h1>"_s.arg(insert.name, strength);
    html += u"<p>（%1）</p>"_s.arg(HalfWidthKatakana(insert.name));
    const auto paragraph = [&](int sentences) {
        QString p = u"<p>"_s;
        for (int i = 0; i < sentences; ++i) {
            p += Phrases.at(random.bounded(Phrases.size()));
            if (random.bounded(3) == 0)
                p += u"特に%1があらわれることがある。"_s.arg(Effects.at(random.bounded(Effects.size())));
        }
        return QString(p + u"</p>"_s);
    };
    // One page of A4 at 8.3 points holds about 3,000 characters.
    for (int page = 0; page < pages; ++page) {
        if (page == 0) {
            html += u"<h2>1. 警告</h2>"_s + paragraph(2);
            html
                += u"<h2>2. 禁忌（次の患者には投与しないこと）</h2><p>2.1 本剤の成分に対し過敏症の既往歴のある患者</p>"_s;
            html += u"<h2>3. 組成・性状</h2><table border=\"1\" "
                    u"cellpadding=\"2\"><tr><td>販売名</td><td>%1錠%2</td></tr>"
                    "<tr><td>有効成分</td><td>1錠中 %1 %2</td></tr><tr><td>識別コード</td><td>%3</td></tr></table>"_s
                        .arg(insert.name, strength, code);
            html += u"<h2>4. 効能又は効果</h2>"_s + paragraph(1);
            html += u"<h2>6. 用法及び用量</h2><p>通常、成人には%1として1日1回%2を経口投与する。</p>"_s.arg(insert.name,
                                                                                                           strength);
            continue;
        }
        html += u"<h2>%1. 使用上の注意（続き %2）</h2>"_s.arg(8 + page % 3).arg(page);
        html += paragraph(33);
        html += u"<h3>10.2 併用注意（併用に注意すること）</h3><table border=\"1\" cellpadding=\"2\">"
                "<tr><th>薬剤名等</th><th>臨床症状・措置方法</th><th>機序・危険因子</th></tr>"_s;
        for (int row = 0; row < 3; ++row) {
            const QString partner = Partners.at(random.bounded(Partners.size()));
            html += u"<tr><td>%1</td><td>%2の作用が増強されることがある。</td><td>%3の代謝を阻害する。</td></tr>"_s.arg(
                row == 0 ? HalfWidthKatakana(partner) : partner, partner, insert.name);
        }
        html += u"</table>"_s + paragraph(30);
    }
    html += u"</body></html>"_s;
    insert.html = html;
    return insert;
}

bool WriteInsertPdf(const Insert &insert, const QString &path)
{
    QTextDocument document;
    QFont font(u"IPAPGothic"_s);
    font.setPointSizeF(8.3);
    font.setFamilies({u"IPAPGothic"_s, u"IPAGothic"_s, u"Noto Sans CJK JP"_s});
    document.setDefaultFont(font);
    document.setHtml(insert.html);
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    writer.setTitle(insert.name);
    writer.setCreator(u"Hibari"_s);
    writer.setResolution(150);
    document.print(&writer);
    return QFileInfo(path).size() > 0;
}
