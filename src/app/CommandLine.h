#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the command line asks of one start. The program's only options are
// --service-base, --help and --version; the service's address may also come from
// the environment variable HIBARI_SERVICE_BASE or the key ServiceBase of hibari.conf.
struct CommandLine {
    enum class Action { Run, Help, Version, Fail };
    Action action = Action::Run;
    QString ServiceBase;       // Run: the checked address, without a trailing "/"
    QString ServiceBaseSource; // Run: where it was set, as the user is told it
    QString text;              // Help, Version: what to print; Fail: the message for the user
};

// The key ServiceBase of one configuration file (INI format) as written: value empty
// when the file or the key is missing or empty; errorText when the file cannot be read.
struct ConfiguredBase {
    QString file;
    QString value;
    QString errorText;
};
// The files in the order given, each read once.
QList<ConfiguredBase> ReadConfiguredBases(const QStringList &files);
// Where hibari.conf is looked for: the user's configuration folder first
// (~/.config/hibari/hibari.conf), then the site's (/etc/xdg/hibari/hibari.conf).
QStringList ConfigurationFiles();

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
// address the build was made with; configured: the configuration files read. The
// option wins over the variable, the variable over the first file with a value, the
// files over the build's address. An address from any of them is checked alike.
CommandLine ParseCommandLine(const QStringList &arguments, const QString &environmentBase, const QString &builtInBase,
                             const QList<ConfiguredBase> &configured = {});
