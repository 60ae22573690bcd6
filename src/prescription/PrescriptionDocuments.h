#pragma once

#include <QString>

struct AppContext;
class Inet1;
class QWidget;

// "文書表示" of the prescription window: reads the selected hit's page and its foot
// page, lets the user choose in "ファイルの選択" when several kinds are offered, and
// saves and opens each chosen document. selectedIndex is -1 without a selection;
// hitRow is the hit's whole result row, drugName the text of Text5.
void ShowPrescriptionDocuments(AppContext &context, QWidget *owner, Inet1 &inet, int selectedIndex,
                               const QString &hitRow, const QString &drugName);

// "改訂指示履歴": lists the selected hit's revision-instruction history in the modal
// window "改訂指示反映履歴", from which its documents are fetched.
void ShowRevisionHistory(AppContext &context, QWidget *owner, Inet1 &inet, int selectedIndex, const QString &hitRow,
                         const QString &drugName);
