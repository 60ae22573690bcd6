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

} // namespace Library
