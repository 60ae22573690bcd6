#pragma once

#include <QString>

// The texts and titles of the program's messages, each written once. A message
// that carries a value (a path, a cause) is composed where it is shown, from these.
namespace Messages {

inline const QString InputErrorTitle = QStringLiteral(u"入力エラー");
inline const QString NoData = QStringLiteral(u"該当するデータはありません。");

inline const QString SelectionErrorTitle = QStringLiteral(u"選択エラー");
inline const QString SelectDrug = QStringLiteral(u"医薬品を選択してください");
inline const QString SelectHistory = QStringLiteral(u"改訂指示反映履歴を選択してください");

inline const QString NoDocumentTitle = QStringLiteral(u"文書情報無し");
inline const QString NoDocument = QStringLiteral(u"指定の医薬品には説明文書がありません");

inline const QString NoHistoryTitle = QStringLiteral(u"データなし");
inline const QString NoHistory = QStringLiteral(u"改訂指示反映履歴はありません");

inline const QString TransferErrorTitle = QStringLiteral(u"通信エラー");
inline const QString RenameErrorTitle = QStringLiteral(u"ファイル名変更エラー");
inline const QString MemoErrorTitle = QStringLiteral(u"メモ保存エラー");
inline const QString DocumentSaveErrorTitle = QStringLiteral(u"文書保存エラー");
inline const QString DocumentNotSaved = QStringLiteral(u"文書を保存できませんでした。");
inline const QString DocumentNotOpenedTitle = QStringLiteral(u"文書を開けません");
inline const QString StartErrorTitle = QStringLiteral(u"起動エラー");

// The full-text search window "文書内容検索".
inline const QString Indexing = QStringLiteral(u"索引作成中 %1 / %2");
inline const QString TextUnreadable = QStringLiteral(u"本文を読めません");
inline const QString SearchCounts = QStringLiteral(u"文書 %1 件　ページ %2 件");
inline const QString PageOfPages = QStringLiteral(u"%1 ページ（%3 / %2）");
inline const QString EnterSearchText = QStringLiteral(u"検索する語を入力してください");

} // namespace Messages
