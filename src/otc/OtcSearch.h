#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "retrieval/ServicePage.h"

class EucTable;

// The search conditions of the OTC window as they stand when a button is pressed:
// the seven free texts (still unencoded) and the query values of the three lists.
struct OtcQuery {
    QString saleName;       // Text1
    QString makerName;      // Text2
    QString ingredient;     // Text3
    QString ingredientEx;   // Text4
    QString additive;       // Text5
    QString additiveEx;     // Text6
    QString symptom;        // Text7
    QString dosageFormCode; // Form3::m_dosageFormCodes of Combo3's item
    QString effectCode;     // Form3::m_otcEffectCodes of Combo1's item
    QString countValue;     // Form3::m_countValues of Combo2's item
};

// The search URL. Every key is always sent; free texts go through EncodeQuery, list
// values as they stand in the parameter files. "&count=" only when withCount is set.
QString OtcSearchUrl(const QString &serviceBase, const EucTable &tables, const OtcQuery &conditions, qint16 start,
                     bool withCount);

// One press of the window's paging: the start to send, and whether "&count=" goes
// with it, which this service is sent only when going back a page.
struct OtcRequest {
    qint16 start;   // "&start="
    bool withCount; // "&count=" is sent
};

// Moves the window's paging (MovePaging) for one press, before the request goes out.
OtcRequest MoveOtcCounters(Paging &paging, PageMove button, int pageSize);

struct OtcHit {
    QString anchor;  // the anchor element as in the page, "<a href=" through "</a>"
    QString display; // the bare name followed by the maker text
};

struct OtcScan {
    QList<OtcHit> hits;
    bool hasPrevious = false; // the tail after the last anchor names "前へ"
    bool hasNext = false;     // ... "次へ"
};

// Reads the hits of a result page in order; onHit (when given) sees each one as it
// is found. Linear in the page length.
OtcScan ScanOtcResults(QStringView page, const std::function<void(const OtcHit &)> &onHit = {});

// The document path inside a stored anchor element ("/downfiles/otc/PDF/..."); empty
// when the element holds no "<a href=".
QString OtcDocumentLink(QStringView anchor);

// Where the document of a hit is saved: the "［一般用］" folder under the name shown
// in Text8, made safe for the file system and cut to its 255-byte limit.
QString OtcDocumentPath(const QString &documentsPath, const QString &selectedText);

// What the memo of the window shows of the conditions: the texts as shown, the
// lists by their visible item texts.
struct OtcMemoFields {
    QString saleName, makerName, dosageFormText, ingredient, ingredientEx, additive, additiveEx, effectText, symptom;
};

// Nine condition lines, a line holding one space, then every hit text.
QStringList OtcMemoLines(const OtcMemoFields &fields, const QStringList &hits);
