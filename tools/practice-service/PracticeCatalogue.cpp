#include "PracticeCatalogue.h"

using namespace Qt::Literals::StringLiterals;

const QList<PracticeDrug> &PracticeDrugs()
{
    static const QList<PracticeDrug> drugs = [] {
        QList<PracticeDrug> list = {
            {1, u"ハイバリン錠10mg"_s, u"ひばり製薬　血圧降下剤"_s, u"I"_s},
            {2, u"ハイバリン錠20mg"_s, u"ひばり製薬　血圧降下剤"_s, u"IG"_s},
            {3, u"ソラノマイシン注射用"_s, u"そらの薬品　抗生物質製剤"_s, u"G3"_s},
            {4, u"ヒバリステロン軟膏"_s, u"ひばり製薬　外皮用剤"_s, u"2"_s},
            {5, u"ナシノール散"_s, u"なし薬品　消化器官用薬"_s, QString()},
            {6, u"トリノキサン錠"_s, u"とり化学　解熱鎮痛消炎剤"_s, u"IGH"_s},
            {7, u"A/B配合錠:試験用"_s, u"試験薬品　配合剤"_s, u"I"_s},
            {8, u"ヒバリゾン錠5mg"_s, u"ひばり製薬　糖尿病用剤"_s, u"IG4H"_s},
            {9, u"クモリン点眼液"_s, u"くもり製薬　眼科用剤"_s, u"Ih"_s},
            {10, u"カゼナシ顆粒"_s, u"かぜ薬品　総合感冒剤"_s, u"IF"_s},
        };
        for (int id = 11; id <= 55; ++id)
            list.append({id, u"ヒバリ薬%1錠"_s.arg(id), u"ひばり製薬　その他"_s, u"I"_s});
        return list;
    }();
    return drugs;
}

namespace {

// `length` characters: `start`, then "配合錠" over and over.
QString LongName(const QString &start, int length)
{
    QString name = start;
    while (name.size() < length)
        name += u"配合錠"_s;
    return name.left(length);
}

} // namespace

QString PracticeLongDrugName()
{
    return LongName(u"長名試験用ヒバリ"_s, PracticeLongNameLength);
}

QString PracticeLongManualTitle(int k)
{
    return LongName(u"長名重篤副作用マニュアル"_s, PracticeLongNameLength - 3) + u"（%1）"_s.arg(k);
}

QString PracticeLongOtcName(int k)
{
    return LongName(u"長名ソラノ"_s, PracticeLongNameLength - 1) + QString::number(k);
}
