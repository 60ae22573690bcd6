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

// A transfer that failed: the network's failures, the HTTP statuses the user is told
// in words, and the server certificate's problems (retrieval/TransferErrors.cpp).
inline const QString ConnectionRefused = QStringLiteral(u"サーバーに接続できませんでした。接続を拒否されました。");
inline const QString RemoteHostClosed = QStringLiteral(u"サーバーが通信の途中で接続を閉じました。");
inline const QString HostUnknown = QStringLiteral(u"サーバーが見つかりません。ネットワークの接続を確認してください。");
inline const QString TransferTimedOut = QStringLiteral(u"サーバーから時間内に応答がありませんでした。");
inline const QString SslHandshakeFailed = QStringLiteral(u"安全な接続を確立できませんでした。");
inline const QString NetworkUnreachable = QStringLiteral(u"ネットワークに接続できません。");
inline const QString TooManyRedirects = QStringLiteral(u"転送先の指定が多すぎます。");
inline const QString InsecureRedirect = QStringLiteral(u"安全でない転送先が指定されました。");
inline const QString ProxyConnectionRefused
    = QStringLiteral(u"プロキシサーバーに接続できませんでした。接続を拒否されました。");
inline const QString ProxyConnectionClosed = QStringLiteral(u"プロキシサーバーが通信の途中で接続を閉じました。");
inline const QString ProxyNotFound = QStringLiteral(u"プロキシサーバーが見つかりません。");
inline const QString ProxyTimedOut = QStringLiteral(u"プロキシサーバーから時間内に応答がありませんでした。");
inline const QString ProxyAuthenticationRequired = QStringLiteral(u"プロキシサーバーの認証が必要です。");
inline const QString ProxyFailed = QStringLiteral(u"プロキシサーバーとの通信に失敗しました。");
inline const QString SchemeUnsupported = QStringLiteral(u"この形式のアドレスには対応していません。");
inline const QString ReplyUnreadable = QStringLiteral(u"サーバーの応答を読み取れませんでした。");
inline const QString TransferFailed = QStringLiteral(u"通信に失敗しました。");
inline const QString AddressInvalid = QStringLiteral(u"アドレスが正しくありません。");
// HTTP statuses: the status (%1) and what it means (%2); one without words: the
// technical text (%1).
inline const QString ServerErrorStatus = QStringLiteral(u"サーバーがエラーを返しました（HTTP %1）。%2");
inline const QString ServerError = QStringLiteral(u"サーバーがエラーを返しました。");
inline const QString Status400 = QStringLiteral(u"要求の形式が正しくありません。");
inline const QString Status401 = QStringLiteral(u"認証が必要です。");
inline const QString Status403 = QStringLiteral(u"アクセスが拒否されました。");
inline const QString Status404 = QStringLiteral(u"ページが見つかりません。");
inline const QString Status408 = QStringLiteral(u"サーバーが要求を待ちきれませんでした。");
inline const QString Status410 = QStringLiteral(u"ページは削除されました。");
inline const QString Status429 = QStringLiteral(u"要求が多すぎます。しばらく待ってからやり直してください。");
inline const QString Status500 = QStringLiteral(u"サーバー内部でエラーが起きました。");
inline const QString Status502 = QStringLiteral(u"中継サーバーが正しい応答を受け取れませんでした。");
inline const QString Status503
    = QStringLiteral(u"サービスは一時的に利用できません。しばらく待ってからやり直してください。");
inline const QString Status504 = QStringLiteral(u"中継サーバーから時間内に応答がありませんでした。");
inline const QString CertificateExpired = QStringLiteral(u"サーバーの証明書の有効期限が切れています。");
inline const QString CertificateNotYetValid = QStringLiteral(u"サーバーの証明書はまだ有効ではありません。");
inline const QString CertificateNameMismatch = QStringLiteral(u"サーバーの証明書が接続先の名前と一致しません。");
inline const QString CertificateRevoked = QStringLiteral(u"サーバーの証明書は失効しています。");
inline const QString CertificateUntrusted = QStringLiteral(u"サーバーの証明書を信頼できません。");
inline const QString CertificateProblem = QStringLiteral(u"サーバーの証明書に問題があります。");

// Texts of the core and the windows that were written where they are used.
// A name that "ファイル名の変更" cannot use, or a rename that failed; %1 is the name.
inline const QString RenameVanished = QStringLiteral(
    u"変更するファイル「%1」が見つかりません。\n別のプログラムで移動または削除された可能性があります。");
inline const QString RenameExists
    = QStringLiteral(u"同じ名前のファイル「%1」が既にあります。\n別の名前を指定してください。");
inline const QString SlashInName = QStringLiteral(
    u"ファイル名に「/」は使えません。\n「/」を含む名前にすると、文書がこのフォルダーから別の場所へ移ってしまいます。");
inline const QString NameTooLong = QStringLiteral(u"ファイル名が長すぎます。もっと短い名前を指定してください。");
inline const QString RenameNotPermitted = QStringLiteral(u"このフォルダーのファイル名を変更する権限がありません。");
inline const QString RenameFailed = QStringLiteral(u"ファイル名を変更できませんでした。");
// A memo file that cannot be written: the path and the cause follow.
inline const QString MemoNotWritten = QStringLiteral(u"メモファイルに書き込めません: ");
// What "通信中" says is being done.
inline const QString Searching = QStringLiteral(u"検索しています");
inline const QString FetchingDrug = QStringLiteral(u"医薬品の情報を取得しています：");
inline const QString Communicating = QStringLiteral(u"サーバーと通信しています");
// The bytes received (%1), or of how many (%2).
inline const QString BytesReceived = QStringLiteral(u"%1 バイト受信");
inline const QString BytesOfReceived = QStringLiteral(u"%1 / %2 バイト受信");
// Why a file could not be written.
inline const QString DiskFull = QStringLiteral(u"ディスクの空き容量が足りません。");
inline const QString FileTooLarge = QStringLiteral(u"ファイルの大きさが上限を超えました。");
inline const QString WriteNotPermitted = QStringLiteral(u"書き込む権限がありません。");
inline const QString ReadOnlyFileSystem = QStringLiteral(u"読み取り専用のファイルシステムには書き込めません。");
inline const QString FolderOfSameName = QStringLiteral(u"同じ名前のフォルダーがあるため、ファイルを保存できません。");
inline const QString FileInPlaceOfFolder
    = QStringLiteral(u"保存先のフォルダーがある場所に、同じ名前のファイルがあります。");
inline const QString NoTargetFolder = QStringLiteral(u"保存先のフォルダーがありません。");
inline const QString FileNameTooLong = QStringLiteral(u"ファイル名が長すぎます。");
inline const QString DiskIoFailed = QStringLiteral(u"ディスクの読み書きに失敗しました。");
inline const QString FileNotWritten = QStringLiteral(u"ファイルを書き込めませんでした。");
// A character (%1) that the search cannot send, and the field it was typed in (%2).
inline const QString UnusableCharacter = QStringLiteral(u"\"%1\" は検索に使えない文字です。（%2）");
// The main menu while the program starts and ends.
inline const QString Starting = QStringLiteral(u"起　動　中　．．．");
inline const QString Ending = QStringLiteral(u"終　了　中　．．．");
// The question for the proxy's credentials; %1 is the proxy.
inline const QString ProxyLoginRefused = QStringLiteral(
    u"プロキシサーバー %1 がユーザー名またはパスワードを受け付けませんでした。もう一度入力してください。");
inline const QString ProxyLoginNeeded
    = QStringLiteral(u"プロキシサーバー %1 に接続するには、ユーザー名とパスワードが必要です。");
// The rules of an in-item search, as the lists show them.
inline const QString RuleAll = QStringLiteral(u"全てを含む");
inline const QString RuleNone = QStringLiteral(u"いずれも含まない");
inline const QString RuleAny = QStringLiteral(u"いずれかを含む");
// The hit count under the list: none, or the number (%1).
inline const QString NoHits = QStringLiteral(u"0件");
inline const QString HitCount = QStringLiteral(u" %1件");
// The condition lines of the OTC memo, before the texts.
inline const QString OtcMemoSaleName = QStringLiteral(u"販売名：");
inline const QString OtcMemoMaker = QStringLiteral(u"メーカー名（製造販売会社、販売会社）：");
inline const QString OtcMemoDosageForm = QStringLiteral(u"剤形：");
inline const QString OtcMemoIngredient = QStringLiteral(u"成分名：");
inline const QString OtcMemoAdditive = QStringLiteral(u"添加物名：");
inline const QString OtcMemoIncluded = QStringLiteral(u"を含む");
inline const QString OtcMemoExcluded = QStringLiteral(u"を除く");
inline const QString OtcMemoEffect = QStringLiteral(u"薬効分類：");
inline const QString OtcMemoSymptom = QStringLiteral(u"適応症、症状（効能・効果）：");
// The command line and the service's address: --help, and what is wrong with an address.
inline const QString BaseFormHint
    = QStringLiteral(u"http:// または https:// で始まり、ホスト名を含むアドレスを指定してください。");
inline const QString BaseWithQuery = QStringLiteral(u"アドレスに「?」以降や「#」以降を付けることはできません。");
inline const QString ConfigUnreadable = QStringLiteral(u"設定ファイル %1 を読み取れません。");
inline const QString ProgramDescription = QStringLiteral(u"医薬品の添付文書を公開サービスから検索して取り出します。");
inline const QString ServiceBaseOption
    = QStringLiteral(u"サービスのアドレス（http:// または https:// とホスト名）。環境変数 HIBARI_SERVICE_BASE "
                     u"と設定ファイル hibari.conf より優先します。");
inline const QString CommandLineWrong = QStringLiteral(u"コマンドラインの指定が正しくありません（%1）。");
inline const QString CommandLineExtra = QStringLiteral(u"コマンドラインの指定が正しくありません（余分な引数: %1）。");
inline const QString BaseFromVariable = QStringLiteral(u"環境変数 HIBARI_SERVICE_BASE");
inline const QString BaseFromFile = QStringLiteral(u"設定ファイル ");
inline const QString BaseFromBuild = QStringLiteral(u"ビルド時の設定");
inline const QString BaseUnusable = QStringLiteral(u"サービスのアドレス「%1」（%2）は使えません。%3");
// The service's refusals of a search, as its page words them.
inline const QString ConditionsRefused = QStringLiteral(u"入力された条件が正しくありません。");
inline const QString TooManyHits = QStringLiteral(u"検索結果の上限は1000件です。");
inline const QString NarrowDown = QStringLiteral(u"\r\n条件を追加して絞込みを行なってください。");
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
// The answers of a question; Alt+Y and Alt+N choose them.
inline const QString Yes = QStringLiteral(u"はい(&Y)");
inline const QString No = QStringLiteral(u"いいえ(&N)");
inline const QString InLibrary = QStringLiteral(u"保存済み");

} // namespace Messages
