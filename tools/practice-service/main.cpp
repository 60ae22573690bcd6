// The practice service as a program of its own: practice-service [--port N] [--port-file F]
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "PracticeServer.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    quint16 port = 0;
    QString portFile;
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--port"))
            port = quint16(args[i + 1].toUInt());
        else if (args[i] == QLatin1String("--port-file"))
            portFile = args[i + 1];
    }
    PracticeServer server;
    AddFixedRoutes(server);
    AddPrescriptionRoutes(server);
    AddPrescriptionDocumentRoutes(server);
    AddOtcRoutes(server);
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
