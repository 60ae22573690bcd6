#include "app/CommandLine.h"

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
        check.errorText = u"http:// または https:// で始まり、ホスト名を含むアドレスを指定してください。"_s;
        return check;
    }
    if (url.hasQuery() || url.hasFragment()) {
        check.errorText = u"アドレスに「?」以降や「#」以降を付けることはできません。"_s;
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
                configured.errorText = u"設定ファイル %1 を読み取れません。"_s.arg(file);
        }
        read.append(configured);
    }
    return read;
}

CommandLine ParseCommandLine(const QStringList &arguments, const QString &environmentBase, const QString &builtInBase,
                             const QList<ConfiguredBase> &configured)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"医薬品の添付文書を公開サービスから検索して取り出します。"_s);
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption baseOption(
        u"service-base"_s,
        u"サービスのアドレス（http:// または https:// とホスト名）。環境変数 HIBARI_SERVICE_BASE と設定ファイル hibari.conf より優先します。"_s,
        u"URL"_s);
    parser.addOption(baseOption);

    CommandLine line;
    const auto fail = [&line](const QString &text) {
        line.action = CommandLine::Action::Fail;
        line.text = text;
        return line;
    };
    if (!parser.parse(arguments))
        return fail(u"コマンドラインの指定が正しくありません（%1）。"_s.arg(parser.errorText()));
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
        return fail(u"コマンドラインの指定が正しくありません（余分な引数: %1）。"_s.arg(
            parser.positionalArguments().join(u' ')));

    QString source = u"--service-base"_s;
    QString given = parser.value(baseOption);
    if (!parser.isSet(baseOption)) {
        source = u"環境変数 HIBARI_SERVICE_BASE"_s;
        given = environmentBase;
    }
    for (const ConfiguredBase &file : configured) {
        if (!given.isEmpty() || parser.isSet(baseOption))
            break;
        if (!file.errorText.isEmpty())
            return fail(file.errorText);
        source = u"設定ファイル "_s + file.file;
        given = file.value;
    }
    if (given.isEmpty() && !parser.isSet(baseOption)) {
        source = u"ビルド時の設定"_s;
        given = builtInBase;
    }
    const ServiceBaseCheck check = CheckServiceBase(given);
    if (!check.ok)
        return fail(u"サービスのアドレス「%1」（%2）は使えません。%3"_s.arg(given, source, check.errorText));
    line.ServiceBase = check.value;
    line.ServiceBaseSource = source;
    return line;
}
