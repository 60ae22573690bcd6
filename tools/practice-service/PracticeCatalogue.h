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
