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

// Opening a file in its viewer failed; the path follows.
inline const QString OpenFailed
    = QStringLiteral(u"文書を開くアプリケーションが見つからないか、開くときにエラーが起きました。");
inline const QString FileLocation = QStringLiteral(u"ファイルの場所（選択してコピーできます）：");

// What "通信中" says is being fetched: the kind of document, then its name.
inline const QString FetchingGuide = QStringLiteral(u"患者向医薬品ガイドを取得しています：");
inline const QString FetchingInsert = QStringLiteral(u"添付文書を取得しています：");
inline const QString FetchingManual = QStringLiteral(u"マニュアルを取得しています：");
inline const QString FetchingRevision = QStringLiteral(u"改訂指示の文書を取得しています：");

// The service refused a search whose keyword has no item to search in; %1 names the row.
inline const QString KeywordWithoutItem = QStringLiteral(u"「%1」の検索語に対して項目が選ばれていません。");

// A name that "ファイル名の変更" refuses before trying it.
inline const QString BlankName = QStringLiteral(u"名前が空です。文書の名前を入力してください。");
inline const QString DotName = QStringLiteral(
    u"「.」で始まる名前は使えません。\n「.」で始まるファイルは隠しファイルになり、一覧に表示されなくなります。");
inline const QString ControlCharacterName = QStringLiteral(u"名前に改行やタブなどの制御文字は使えません。");

} // namespace Messages
