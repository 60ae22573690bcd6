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

// What a screen reader calls a control that has no label of its own beside it.
inline const QString HitListName = QStringLiteral(u"検索結果");
inline const QString SavedDocumentListName = QStringLiteral(u"保存文書");
inline const QString ManualListName = QStringLiteral(u"マニュアル");
inline const QString HistoryListName = QStringLiteral(u"改訂指示反映履歴");
inline const QString HitDescriptionName = QStringLiteral(u"選択中の文書の説明");
inline const QString KeywordOf = QStringLiteral(u"のキーワード"); // after the row's label, "項目内検索1"
inline const QString RuleOf = QStringLiteral(u"の条件");
// An earlier library moved into the documents folder: the number of files (%1), from
// where (%2) to where (%3); how many kept both by a number; what stayed behind.
inline const QString LibraryMovedTitle = QStringLiteral(u"文書フォルダーの移動");
inline const QString LibraryMoved
    = QStringLiteral(u"以前の文書フォルダー「%2」にあった %1 個のファイルを「%3」へ移しました。");
inline const QString LibraryMovedRenamed = QStringLiteral(
    u"\nそのうち %1 個は、移動先に同じ名前のファイルがあったため、名前に番号を付けて両方を残しました。");
inline const QString LibraryMovedLeft
    = QStringLiteral(u"\n次の %1 個のファイルは移せなかったため、元の場所に残っています。\n%2");

// The service's host that cannot be found (%1), and where its address is set (%2:
// the option, the variable, the configuration file or the build).
inline const QString HostNotFound = QStringLiteral(u"サーバー「%1」が見つかりません。");
inline const QString ServiceBaseSetIn
    = QStringLiteral(u"サービスのアドレスは「%1」で設定されています。アドレスとネットワークの接続を確認してください。"
                     u"アドレスは --service-base、環境変数 HIBARI_SERVICE_BASE、設定ファイル "
                     u"~/.config/hibari/hibari.conf の ServiceBase で指定できます。");
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
inline const QString OpenFailedMany
    = QStringLiteral(u"次の文書を開くアプリケーションが見つからないか、開くときにエラーが起きました。");

// The full-text search window "文書内容検索".
inline const QString Indexing = QStringLiteral(u"索引作成中 %1 / %2");
inline const QString TextUnreadable = QStringLiteral(u"本文を読めません");
inline const QString SearchCounts = QStringLiteral(u"文書 %1 件　ページ %2 件");
inline const QString PageOfPages = QStringLiteral(u"%1 ページ（%3 / %2）");
inline const QString SearchTermsName = QStringLiteral(u"検索する語"); // what a screen reader calls the field
inline const QString PageViewName = QStringLiteral(u"文書のページ");
inline const QString EnterSearchText = QStringLiteral(u"検索する語を入力してください");

// Where saved documents came from: "最新版の確認" and "更新を取得" in "文書内容検索", and
// the mark of a hit already in the library.
inline const QString StateCurrent = QStringLiteral(u"最新");
inline const QString StateUpdated = QStringLiteral(u"更新あり");
inline const QString StateNoOrigin = QStringLiteral(u"取得元不明");
inline const QString StateNotFound = QStringLiteral(u"見つかりません");
inline const QString StateFailed = QStringLiteral(u"通信エラー");
inline const QString StateColumn = QStringLiteral(u"確認");
inline const QString CheckSummary
    = QStringLiteral(u"最新 %1  更新あり %2  取得元不明 %3  見つかりません %4  通信エラー %5");
inline const QString CheckingDocuments = QStringLiteral(u"最新版を確認しています");
inline const QString FetchingUpdates = QStringLiteral(u"更新された文書を取得しています");
inline const QString DocumentsDone = QStringLiteral(u"%1 / %2 件");
inline const QString NothingToCheck = QStringLiteral(u"確認する文書がありません。");
inline const QString NoUpdates = QStringLiteral(u"更新ありの文書はありません。先に「最新版の確認」をしてください。");
inline const QString ConfirmFetchUpdates = QStringLiteral(
    u"更新ありの文書 %1 件の最新版を取得して置き換えます。\n置き換えられる古い版はごみ箱に移します。よろしいですか？");
inline const QString FetchUpdatesTitle = QStringLiteral(u"更新を取得");
inline const QString UpdatesNotSaved
    = QStringLiteral(u"次の文書は更新できませんでした。元の版はそのまま残っています。");
inline const QString SavedOn = QStringLiteral(u"保存 %1");
inline const QString LastCheck = QStringLiteral(u"前回の確認：%1（%2）");
inline const QString NotChecked = QStringLiteral(u"前回の確認：未確認");
inline const QString TrashFailed = QStringLiteral(u"古い版をごみ箱に移せませんでした。");
inline const QString InLibrary = QStringLiteral(u"保存済み");

} // namespace Messages
