#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of one start. The program's only options are
// --service-base, --help and --version; the service's address may also come from
// the environment variable HIBARI_SERVICE_BASE.
struct CommandLine {
    enum class Action { Run, Help, Version, Fail };
    Action action = Action::Run;
    QString ServiceBase; // Run: the checked address, without a trailing "/"
    QString text;        // Help, Version: what to print; Fail: the message for the user
};

// A service address as given: ok with the address without trailing "/", or the
// reason it cannot be used. Usable: an absolute http:// or https:// URL with a host,
// without a query or fragment.
struct ServiceBaseCheck {
    bool ok = false;
    QString value;
    QString errorText;
};
ServiceBaseCheck CheckServiceBase(const QString &text);

// arguments: the program's arguments, the program's name first; environmentBase:
// the value of HIBARI_SERVICE_BASE (empty when unset or empty); builtInBase: the
// address the build was made with. The option wins over the variable, the variable
// over the build's address.
CommandLine ParseCommandLine(const QStringList &arguments, const QString &environmentBase, const QString &builtInBase);
