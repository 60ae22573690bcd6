#pragma once

#include <QList>
#include <QString>

// The invented prescription drugs of the practice service.
struct PracticeDrug {
    int id;              // hit page: /sorano/hit/<id>/
    QString name;        // brand name shown in the result list
    QString description; // the "<DD>" line of its result row
    // What the drug's foot page offers: 'I' package insert, 'G' patient guide,
    // a digit n: n serious side-effect manuals, 'H' a revision history,
    // 'h' a history heading without links, 'F' a hit page without the foot frame.
    QString documents;
};

const QList<PracticeDrug> &PracticeDrugs();

// The longest names the practice service serves, longer than a file name can hold
// (255 bytes of UTF-8 are 85 kanji): a prescription drug outside the catalogue (found
// by no search, reached by its hit row "/sorano/hit/93/") offering an insert, a guide,
// two manuals whose long titles differ only at their ends, and a revision history;
// and two OTC products whose names differ only at their ends, listed only by a search
// for "長名".
inline constexpr int PracticeLongNameLength = 120;
inline constexpr int PracticeLongDrugId = 93;
QString PracticeLongDrugName();
QString PracticeLongManualTitle(int k); // k = 1, 2
QString PracticeLongOtcName(int k);     // k = 1, 2
