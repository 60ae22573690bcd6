#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

// Reading a prescription hit's pages: the hit page is a frame set whose "foot" frame
// carries the links to the drug's documents and its revision-instruction history.
// All searches ignore letter case, as the service's markup is not consistent.

// The hit page's address from the hit's result row: ServiceBase + the link's path.
// Nothing when the row holds no "<A href=" or the link is not closed.
std::optional<QString> HitPageAddress(const QString &serviceBase, const QString &hitRow);

// The foot page's address from the hit page: the hit page's address followed by the
// "foot" frame's source without its first character (the service's sources begin
// with "/", the hit address ends with one). Nothing without the frame.
std::optional<QString> FootPageAddress(const QString &hitAddress, const QString &hitPage);

struct ManualLink {
    QString title;   // as on the page
    QString address; // absolute
};

// What a foot page offers. The two single documents count by their first link only.
struct FootDocuments {
    QString insertAddress;     // package insert, empty when not offered
    QString guideAddress;      // patient guide, empty when not offered
    QList<ManualLink> manuals; // serious side-effect manuals, in page order

    bool hasInsert() const { return !insertAddress.isEmpty(); }
    bool hasGuide() const { return !guideAddress.isEmpty(); }
};

// A manual link is an absolute address on the service's host under "/juutoku/file",
// with "http://" or "https://" whichever scheme ServiceBase has.
FootDocuments ScanFootPage(const QString &serviceBase, const QString &footPage);

// Nothing to fetch; one single document fetched at once; or the user chooses in the
// document-kind dialog (several kinds, or manuals, which are only fetched when marked).
enum class DocumentChoice { None, Single, Dialog };
DocumentChoice ChooseDocuments(const FootDocuments &documents);

struct DocumentDownload {
    QString address;
    QString path; // full path in the document library
};

// The documents to fetch, in the order they are fetched and opened: the patient
// guide, the package insert, then the marked manuals in page order. Every name goes
// through SafeFileName, the manuals' titles too (a title is the service's text, and a
// "/" in it would write outside the library) and FitFileName.
// Where a hit's insert and guide are saved, in the library.
QStringList SavedDocumentPaths(const QString &documentsPath, const QString &drugName);

QList<DocumentDownload> DownloadPlan(const FootDocuments &documents, const QString &documentsPath,
                                     const QString &drugName, bool fetchInsert, bool fetchGuide,
                                     const QList<bool> &manualMarks);

// The revision-instruction history of a foot page: each entry runs from "href="
// through the "</a>" that closes its link. Empty when the page has no history table
// or the table has no link.
QStringList HistoryEntries(const QString &footPage);

// An entry's link text as the list shows it, "&nbsp;" as a full-width space.
QString HistoryDisplayText(const QString &entry);

// The entry's document address: from the first "http://" or "https://" to the next
// double quote; without one, the link's own address resolved against pageAddress (the
// foot page's), taken only where it stays on ServiceBase's host and port. Nothing
// when neither gives an address.
std::optional<QString> HistoryDocumentAddress(const QString &entry, const QString &pageAddress,
                                              const QString &serviceBase);

// Where a history document is saved: the drug's name and the entry's text, joined by
// a full-width colon, in the revision folder. A name past 255 bytes loses the end of
// the drug's name (FitFileName), so every entry keeps a file of its own.
QString HistoryDocumentPath(const QString &documentsPath, const QString &drugName, const QString &displayText);
