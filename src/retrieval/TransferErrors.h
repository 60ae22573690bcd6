#pragma once

#include <QNetworkReply>
#include <QSslError>
#include <QString>

// The transfer's failures in words: what the user is told for a network error, an
// HTTP status and a certificate problem. The texts are in the message table.
namespace TransferErrors {

// Errors that Qt derives from an HTTP error status once the whole body has arrived;
// the body is then the server's answer, not a broken transfer.
bool IsStatusError(QNetworkReply::NetworkError error);

// What a network error means to the user; empty for one without words of its own.
QString NetworkErrorText(int errorNumber);

// What an HTTP error status means to the user; empty for a status without one.
QString HttpStatusText(int status);

// Through an HTTP proxy Qt reports the proxy's own failures as if the server had
// failed; the user needs to know which of the two to look at.
QNetworkReply::NetworkError AsProxyError(QNetworkReply::NetworkError error);

// What a certificate problem means to the user.
QString CertificateErrorText(QSslError::SslError error);

} // namespace TransferErrors
