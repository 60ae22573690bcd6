#pragma once

#include <QString>
#include <QStringList>

// The document library under DocumentsPath: a root and four category folders.
namespace Library {

QString Root();     // "医薬品情報"
QString Otc();      // "医薬品情報/［一般用］"
QString Patient();  // "医薬品情報/［患者向け］"
QString Medical();  // "医薬品情報/［医療用］"
QString Revision(); // "医薬品情報/［改訂指示］"

// The five folders in the order they are created: root first.
QStringList Folders();

// Creates every folder that is missing under documentsPath; failures are ignored
// (a later save into a missing folder fails where it happens).
void CreateFolders(const QString &documentsPath);

// What moving an earlier library into the documents folder did.
struct Moved {
    int files = 0;      // moved, under their own names or, on a clash, numbered ones
    int renamed = 0;    // of those, the ones that kept both by a number: "name (2).pdf"
    QStringList left;   // the files that could not be moved, where they still are
    QStringList places; // the earlier libraries' root folders that held files
};

// Moves the library under oldBase ("<oldBase>/医薬品情報" and everything in it) into
// the one under documentsPath, keeping every file: a name already taken there gets a
// number, so nothing is overwritten. Emptied folders go; whatever could not be moved
// stays where it was. Adds to `moved`.
void MoveLibrary(const QString &oldBase, const QString &documentsPath, Moved &moved);

} // namespace Library
