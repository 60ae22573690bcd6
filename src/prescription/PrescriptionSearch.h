#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

class EucTable;

// ---- Query --------------------------------------------------------------------

// The search form's values as the window holds them: the free texts as typed, the
// selected line of every choice list, the four filters. The choice tables are the
// query values read from the parameter files, line for line.
struct PrescriptionForm {
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

EncodedTerms EncodeTerms(const EucTable &table, const PrescriptionForm &form);

// serviceBase + "/sorano/PackinsSearch" with every key in the service's order. An
// index outside its table sends the key with an empty value.
QString PrescriptionSearchUrl(const QString &serviceBase, const PrescriptionForm &form, const EncodedTerms &terms,
                              const QString &start);

// The in-item search rows (0 to 2 for "項目内検索1" to "項目内検索3") whose keyword
// is typed while their item sends no value: the service refuses such a search.
QList<int> KeywordsWithoutItem(const PrescriptionForm &form);

// ---- Paging -------------------------------------------------------------------

// The page position: the start last asked for (text) and the start of the page
// after it, a 16-bit number as the service's paging has always been counted.
struct PagingPosition {
    QString CurrentStart = QStringLiteral("1");
    qint16 NextStart = 0;
};

// One paging command: the start value to send and the position after it.
struct PagingStep {
    QString start;
    PagingPosition position;
};

PagingStep NewSearchStep(int pageSize);
PagingStep NextPageStep(const PagingPosition &position, int pageSize);
PagingStep PreviousPageStep(const PagingPosition &position, int pageSize);

// ---- Result page --------------------------------------------------------------

struct ResultHit {
    QString name; // empty when the block has no usable name
    QString row;  // the whole block, from "<TR>" through its second "</TR>"
};

// Cuts a result page into hit blocks, front to back, each search starting where
// the previous block ended, so the whole page is read in one pass. A "<TR>" that
// is not followed by two "</TR>" is no hit: it ends the scan, and the rest of the
// page from it is the tail.
class ResultScanner {
public:
    explicit ResultScanner(QStringView page);

    std::optional<ResultHit> Next();

    // After the scan: the text after the last block (the whole page without one).
    QStringView Tail() const { return m_page.mid(m_rest); }
    bool HasNextLink() const;
    bool HasPreviousLink() const;

private:
    QStringView m_page;
    qsizetype m_rest = 0; // start of the text not yet cut off
    bool m_done = false;
};

struct ResultPage {
    QStringList names;
    QStringList rows;
    bool next = false;     // "次へ" after the last row
    bool previous = false; // "前へ" after the last row
};

ResultPage ReadResultPage(QStringView page);

// The hit count under the list: "0件", or a space, the number and "件".
QString HitCountText(qsizetype count);

// The text of a hit row behind its first "<DD>" up to the carriage return after it;
// empty when the row has no "<DD>" or no carriage return after it.
QString HitDescription(QStringView row);

// ---- Copy and memo ------------------------------------------------------------

// Name, TAB, description: one line per hit.
QStringList HitCopyLines(const QStringList &names, const QStringList &rows);

// The conditions as the window shows them: captions and the texts of the controls.
struct SearchConditions {
    QString nameCaption, name;
    QString effectCaption, effect;
    QString item1Caption, item1, keyword1, rule1;
    QString item2Caption, item2, keyword2, rule2;
    QString item3Caption, item3, keyword3, rule3;
    QString filterCaption;
    QStringList tickedFilters; // captions of the ticked boxes, in the window's order
};

QStringList SearchMemoLines(const SearchConditions &conditions, const QStringList &names, const QStringList &rows);
