#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

struct AppContext;
class Inet1;
class QWidget;

// What a fetched body is for: a result page, converted, or a document, kept as bytes.
// Either way an answer with an HTTP error status (400 and above) is a failure told
// with its Japanese status text, so that a server's error page neither replaces a
// saved document nor reads as a search without hits.
enum class BodyUse { Page, Document };

// The transfer with its hourglass, its progress window "通信中" (which says what is
// fetched: `what`, or that the service is being asked) and its one failure report: on
// failure the "通信エラー" message (exclamation icon, the error's description) has
// been shown and the caller ends its command without any further step. A transfer the
// user stopped with "中止" ends the same way, without a message.
// A proxy that wants credentials gets those of ProgramState::ProxyLogin, or asks the
// user through the desktop ("プロキシ認証"); a cancelled question is a failure like
// any other.
std::optional<QByteArray> FetchBytes(AppContext &context, QWidget *owner, Inet1 &inet, const QString &url,
                                     BodyUse use = BodyUse::Document, const QString &what = QString());

enum class Yield { Yes, No };

// FetchBytes, then the raw body to WorkPath/Temp.txt (a write failure is ignored),
// conversion with EucToSjis and its progress window, and (unless Yield::No) one pass
// of the event loop. Same failure rule as FetchBytes.
std::optional<QString> FetchPage(AppContext &context, QWidget *owner, Inet1 &inet, const QString &url,
                                 Yield yield = Yield::Yes, const QString &what = QString());

// What the progress window says for the common fetches.
// "Host not found" for `url`: the host named and, where it is the service's own,
// where the service's address is set (`source`).
QString HostNotFoundText(const QString &url, const QString &serviceBase, const QString &source);

QString SearchingText();                       // a result page
QString DrugPageText(const QString &drugName); // a hit's page or its foot page
QString DocumentText(const QString &path);     // a document: its kind (from its folder) and name
