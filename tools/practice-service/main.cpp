// The practice service as a program of its own:
// practice-service [--port N] [--port-file F] [--tls-cert PEM --tls-key PEM] [--proxy-login USER:PASSWORD]
//                  [--latency MS]   (every chunk MS late in each direction: a round trip of 2 × MS)
//                  [--print-requests]   (each request's line on standard output, as it comes)
//                  [--inserts FOLDER]
//                  [--no-validators]   (documents without ETag and Last-Modified, never 304)
//                  [--revise PATH]   (the document at PATH in a newer version; "all": every document)
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "PracticeServer.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QLatin1String("--help"))) {
        QTextStream(stdout)
            << "practice-service [--port N] [--port-file F] [--tls-cert PEM --tls-key PEM] [--proxy-login "
               "USER:PASSWORD]\n"
               "  [--latency MS]      every chunk MS late in each direction\n"
               "  [--print-requests]  each request's line on standard output\n"
               "  [--inserts FOLDER]  the PDFs of FOLDER as the prescription documents\n"
               "  [--no-validators]   documents without ETag and Last-Modified, never 304\n"
               "  [--revise PATH]     the document at PATH in a newer version (\"all\": every document)\n";
        return 0;
    }
    quint16 port = 0;
    QString portFile;
    QString tlsCert;
    QString tlsKey;
    QString proxyLogin;
    int latencyMs = 0;
    QList<QByteArray> revise;
    const bool printRequests = args.contains(QLatin1String("--print-requests"));
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--port"))
            port = quint16(args[i + 1].toUInt());
        else if (args[i] == QLatin1String("--port-file"))
            portFile = args[i + 1];
        else if (args[i] == QLatin1String("--tls-cert"))
            tlsCert = args[i + 1];
        else if (args[i] == QLatin1String("--tls-key"))
            tlsKey = args[i + 1];
        else if (args[i] == QLatin1String("--proxy-login"))
            proxyLogin = args[i + 1];
        else if (args[i] == QLatin1String("--latency"))
            latencyMs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--inserts"))
            UsePracticeInserts(args[i + 1]);
        else if (args[i] == QLatin1String("--revise"))
            revise.append(args[i + 1] == QLatin1String("all") ? QByteArray() : args[i + 1].toUtf8());
    }
    PracticeServer server;
    AddFixedRoutes(server);
    AddPrescriptionRoutes(server);
    AddPrescriptionDocumentRoutes(server);
    AddOtcRoutes(server);
    if (!tlsCert.isEmpty() && !server.UseTls(tlsCert, tlsKey)) {
        QTextStream(stderr) << "practice-service: cannot use the TLS certificate or key\n";
        return 1;
    }
    if (!proxyLogin.isEmpty())
        server.RequireProxyLogin(proxyLogin.section(u':', 0, 0).toUtf8(), proxyLogin.section(u':', 1).toUtf8());
    server.SetLatency(latencyMs);
    server.SetValidators(!args.contains(QLatin1String("--no-validators")));
    for (const QByteArray &path : revise)
        server.Revise(path);
    if (printRequests) {
        QObject::connect(&server, &PracticeServer::Requested, &server, [](const PracticeRequest &request) {
            QTextStream(stdout) << "request " << request.method << ' ' << request.target << Qt::endl;
        });
    }
    if (!server.Listen(port)) {
        QTextStream(stderr) << "practice-service: cannot listen\n";
        return 1;
    }
    QTextStream(stdout) << "practice service on " << server.BaseUrl() << Qt::endl;
    if (!portFile.isEmpty()) {
        QFile file(portFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray::number(server.Port()));
    }
    return app.exec();
}
