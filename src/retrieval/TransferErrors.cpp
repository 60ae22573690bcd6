#include "retrieval/TransferErrors.h"

#include "shell/Messages.h"

namespace TransferErrors {

bool IsStatusError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentReSendError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError: return true;
    default: return false;
    }
}

QString NetworkErrorText(int errorNumber)
{
    switch (errorNumber) {
    case QNetworkReply::ConnectionRefusedError: return Messages::ConnectionRefused;
    case QNetworkReply::RemoteHostClosedError: return Messages::RemoteHostClosed;
    case QNetworkReply::HostNotFoundError: return Messages::HostUnknown;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer time-out cancels the reply
        return Messages::TransferTimedOut;
    case QNetworkReply::SslHandshakeFailedError: return Messages::SslHandshakeFailed;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError: return Messages::NetworkUnreachable;
    case QNetworkReply::TooManyRedirectsError: return Messages::TooManyRedirects;
    case QNetworkReply::InsecureRedirectError: return Messages::InsecureRedirect;
    case QNetworkReply::ProxyConnectionRefusedError: return Messages::ProxyConnectionRefused;
    case QNetworkReply::ProxyConnectionClosedError: return Messages::ProxyConnectionClosed;
    case QNetworkReply::ProxyNotFoundError: return Messages::ProxyNotFound;
    case QNetworkReply::ProxyTimeoutError: return Messages::ProxyTimedOut;
    case QNetworkReply::ProxyAuthenticationRequiredError: return Messages::ProxyAuthenticationRequired;
    case QNetworkReply::UnknownProxyError: return Messages::ProxyFailed;
    case QNetworkReply::ProtocolUnknownError: return Messages::SchemeUnsupported;
    case QNetworkReply::ProtocolFailure: return Messages::ReplyUnreadable;
    default: return {};
    }
}

QString HttpStatusText(int status)
{
    switch (status) {
    case 400: return Messages::Status400;
    case 401: return Messages::Status401;
    case 403: return Messages::Status403;
    case 404: return Messages::Status404;
    case 407: return Messages::ProxyAuthenticationRequired;
    case 408: return Messages::Status408;
    case 410: return Messages::Status410;
    case 429: return Messages::Status429;
    case 500: return Messages::Status500;
    case 502: return Messages::Status502;
    case 503: return Messages::Status503;
    case 504: return Messages::Status504;
    default: return {};
    }
}

QNetworkReply::NetworkError AsProxyError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError: return QNetworkReply::ProxyConnectionRefusedError;
    case QNetworkReply::HostNotFoundError: return QNetworkReply::ProxyNotFoundError;
    default: return error;
    }
}

// The first problem that the TLS layer reports is the one described.
QString CertificateErrorText(QSslError::SslError error)
{
    switch (error) {
    case QSslError::CertificateExpired: return Messages::CertificateExpired;
    case QSslError::CertificateNotYetValid: return Messages::CertificateNotYetValid;
    case QSslError::HostNameMismatch: return Messages::CertificateNameMismatch;
    case QSslError::CertificateRevoked: return Messages::CertificateRevoked;
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::CertificateRejected: return Messages::CertificateUntrusted;
    default: return Messages::CertificateProblem;
    }
}

} // namespace TransferErrors
