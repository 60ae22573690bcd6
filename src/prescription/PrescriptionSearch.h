#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "retrieval/ServicePage.h"

class EucTable;

// ---- Query --------------------------------------------------------------------

// The search form's values as the window holds them: the free texts as typed, the
// selected line of every choice list, the four filters. The choice tables are the
// query values read from the parameter files, line for line.
struct PrescriptionQuery {
    QString name;                                    // Text1
    QString keyword1, keyword2, keyword3;            // Text2, Text3, Text4
    int effectLine = 0;                              // Combo1
    int item1Line = 0;                               // Combo2
    int item2Line = 0;                               // Combo3, line 0 is the blank line
    int item3Line = 0;                               // Combo4, line 0 is the blank line
    int rule1Line = 0, rule2Line = 0, rule3Line = 0; // Combo5..7
    int countLine = 0;                               // Combo8
    bool warn = false, contraindication = false, interaction = false, cautious = false;

    QStringList effectCodes; // effect.param
    QStringList itemCodes;   // item.param
    QStringList countValues; // count.param
};

// The four free texts percent-encoded in EUC-JP, as the window keeps them.
struct EncodedTerms {
    QString dragname, keyword1, keyword2, keyword3;
};

EncodedTerms EncodeTerms(const EucTable &table, const PrescriptionQuery &form);

// serviceBase + "/sorano/PackinsSearch" with every key in the service's order. An
// index outside its table sends the key with an empty value.
QString PrescriptionSearchUrl(const QString &serviceBase, const PrescriptionQuery &form, const EncodedTerms &terms,
                              qint16 start);

// The in-item search rows (0 to 2 for "項目内検索1" to "項目内検索3") whose keyword
// is typed while their item sends no value: the service refuses such a search.
QList<int> KeywordsWithoutItem(const PrescriptionQuery &form);

// ---- Result page --------------------------------------------------------------

struct PrescriptionHit {
    QString name; // empty when the block has no usable name
    QString row;  // the whole block, from "<TR>" through its second "</TR>"
};

struct PrescriptionScan {
    QList<PrescriptionHit> hits;
    bool hasPrevious = false; // "前へ" after the last block
    bool hasNext = false;     // "次へ" after the last block
};

// Cuts a result page into hit blocks, front to back, each search starting where
// the previous block ended, so the whole page is read in one pass; onHit (when
// given) sees each one as it is found. A "<TR>" that is not followed by two "</TR>"
// is no hit: it ends the scan, and the paging links are read from the rest of the
// page from it.
PrescriptionScan ScanPrescriptionResults(QStringView page,
                                         const std::function<void(const PrescriptionHit &)> &onHit = {});

// The hit count under the list: "0件", or a space, the number and "件".
QString HitCountText(qsizetype count);

// The text of a hit row behind its first "<DD>" up to the carriage return after it;
// empty when the row has no "<DD>" or no carriage return after it.
QString HitDescription(QStringView row);

// ---- Copy and memo ------------------------------------------------------------

// Name, TAB, description: one line per hit.
QStringList HitCopyLines(const QStringList &names, const QStringList &rows);

// The conditions as the window shows them: captions and the texts of the controls.
struct PrescriptionMemoFields {
    QString nameCaption, name;
    QString effectCaption, effect;
    QString item1Caption, item1, keyword1, rule1;
    QString item2Caption, item2, keyword2, rule2;
    QString item3Caption, item3, keyword3, rule3;
    QString filterCaption;
    QStringList tickedFilters; // captions of the ticked boxes, in the window's order
};

QStringList PrescriptionMemoLines(const PrescriptionMemoFields &conditions, const QStringList &names,
                                  const QStringList &rows);
