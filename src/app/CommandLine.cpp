#include "app/CommandLine.h"
#include "shell/Messages.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

ServiceBaseCheck CheckServiceBase(const QString &text)
{
    ServiceBaseCheck check;
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != u"http"_s && scheme != u"https"_s) || url.host().isEmpty()) {
        check.errorText = Messages::BaseFormHint;
        return check;
    }
    if (url.hasQuery() || url.hasFragment()) {
        check.errorText = Messages::BaseWithQuery;
        return check;
    }
    check.ok = true;
    check.value = text;
    while (check.value.endsWith(u'/'))
        check.value.chop(1);
    return check;
}

QStringList ConfigurationFiles()
{
    QStringList files;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        files.append(folder + u"/hibari/hibari.conf"_s);
    return files;
}

QList<ConfiguredBase> ReadConfiguredBases(const QStringList &files)
{
    QList<ConfiguredBase> read;
    for (const QString &file : files) {
        ConfiguredBase configured;
        configured.file = file;
        const QFileInfo info(file);
        if (info.exists()) {
            const QSettings settings(file, QSettings::IniFormat);
            const QVariant value = settings.value(u"ServiceBase"_s);
            // An address with a comma reads as a list: it is shown as written, and refused.
            configured.value
                = (value.userType() == QMetaType::QStringList ? value.toStringList().join(u", "_s) : value.toString())
                      .trimmed();
            if (!info.isFile() || !info.isReadable() || settings.status() != QSettings::NoError)
                configured.errorText = Messages::ConfigUnreadable.arg(file);
        }
        read.append(configured);
    }
    return read;
}

CommandLine ParseCommandLine(const QStringList &arguments, const QString &environmentBase, const QString &builtInBase,
                             const QList<ConfiguredBase> &configured)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Messages::ProgramDescription);
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption baseOption(u"service-base"_s, Messages::ServiceBaseOption, u"URL"_s);
    parser.addOption(baseOption);

    CommandLine line;
    const auto fail = [&line](const QString &text) {
        line.action = CommandLine::Action::Fail;
        line.text = text;
        return line;
    };
    if (!parser.parse(arguments))
        return fail(Messages::CommandLineWrong.arg(parser.errorText()));
    if (parser.isSet(helpOption) || parser.isSet(u"help-all"_s)) {
        line.action = CommandLine::Action::Help;
        // Parsed before any application object exists, so Qt cannot name the program itself.
        line.text = parser.helpText().replace(u"<executable_name>"_s, u"hibari"_s);
        return line;
    }
    if (parser.isSet(versionOption)) {
        line.action = CommandLine::Action::Version;
        line.text
            = u"hibari %1.%2.%3\n"_s.arg(HIBARI_VERSION_MAJOR).arg(HIBARI_VERSION_MINOR).arg(HIBARI_VERSION_PATCH);
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(Messages::CommandLineExtra.arg(parser.positionalArguments().join(u' ')));

    QString source = u"--service-base"_s;
    QString given = parser.value(baseOption);
    if (!parser.isSet(baseOption)) {
        source = Messages::BaseFromVariable;
        given = environmentBase;
    }
    for (const ConfiguredBase &file : configured) {
        if (!given.isEmpty() || parser.isSet(baseOption))
            break;
        if (!file.errorText.isEmpty())
            return fail(file.errorText);
        source = Messages::BaseFromFile + file.file;
        given = file.value;
    }
    if (given.isEmpty() && !parser.isSet(baseOption)) {
        source = Messages::BaseFromBuild;
        given = builtInBase;
    }
    const ServiceBaseCheck check = CheckServiceBase(given);
    if (!check.ok)
        return fail(Messages::BaseUnusable.arg(given, source, check.errorText));
    line.ServiceBase = check.value;
    line.ServiceBaseSource = source;
    return line;
}
