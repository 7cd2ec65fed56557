// korvane-server: hosts tables for players at their own computers. No window, no display.
#include "net/EpollDispatcher.h"
#include "net/Server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslKey>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

bool ReadTls(const QString& certFile, const QString& keyFile, QSslConfiguration& tls,
             QString& error) {
    QFile cf(certFile);
    QFile kf(keyFile);
    if (!cf.open(QIODevice::ReadOnly) || !kf.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1 or %2").arg(certFile, keyFile);
        return false;
    }
    const QList<QSslCertificate> chain = QSslCertificate::fromData(cf.readAll(), QSsl::Pem);
    const QByteArray keyData = kf.readAll();
    QSslKey key(keyData, QSsl::Rsa, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(keyData, QSsl::Ec, QSsl::Pem);
    if (chain.isEmpty() || key.isNull()) {
        error = QStringLiteral("no PEM certificate in %1 or no RSA/EC key in %2")
                    .arg(certFile, keyFile);
        return false;
    }
    tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // SIGTERM and SIGINT arrive through a descriptor the event loop watches, so the server
    // stops between two messages, never inside one.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    const int stopSignals = signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK);

    // Qt's own event loops poll every connection at each wake-up, a cost that grows with the
    // connections held (bench_server); epoll reports the ready ones alone.
    QCoreApplication::setEventDispatcher(new korvane::net::EpollDispatcher);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvane-server"));
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Hosts Korvane tables for players at their own "
                                                 "computers."));
    cli.addHelpOption();
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Address and port to listen on (default 127.0.0.1:%1).")
            .arg(korvane::net::DefaultPort),
        QStringLiteral("ADDRESS:PORT"));
    const QCommandLineOption cert(QStringLiteral("tls-cert"),
                                  QStringLiteral("PEM certificate (chain): serve wss://."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("tls-key"), QStringLiteral("PEM private key."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption maxTables(QStringLiteral("max-tables"),
                                       QStringLiteral("Tables hosted at most (default 1000)."),
                                       QStringLiteral("N"));
    const QCommandLineOption grace(
        QStringLiteral("grace"),
        QStringLiteral("Seconds a table is kept after its last person left (default 300)."),
        QStringLiteral("SECONDS"));
    cli.addOptions({listen, cert, key, maxTables, grace});
    cli.process(app);

    const auto fail = [](const QString& why) {
        std::fprintf(stderr, "korvane-server: %s\n", qPrintable(why));
        return 2;
    };
    korvane::net::ServerSettings settings;
    if (cli.isSet(listen)) {
        const QString value = cli.value(listen);
        const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
        bool portOk = false;
        const uint port = colon < 0 ? 0 : value.mid(colon + 1).toUInt(&portOk);
        QString host = value.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        const QHostAddress address(host);
        if (colon < 0 || !portOk || port > 65535 || address.isNull())
            return fail(QStringLiteral("--listen wants ADDRESS:PORT, e.g. 0.0.0.0:%1")
                            .arg(korvane::net::DefaultPort));
        settings.address = address;
        settings.port = static_cast<quint16>(port);
    }
    if (cli.isSet(cert) != cli.isSet(key))
        return fail(QStringLiteral("--tls-cert and --tls-key go together"));
    if (cli.isSet(cert)) {
        QSslConfiguration tls;
        QString error;
        if (!ReadTls(cli.value(cert), cli.value(key), tls, error))
            return fail(error);
        settings.tls = tls;
    }
    if (cli.isSet(maxTables)) {
        bool ok = false;
        settings.maxTables = cli.value(maxTables).toInt(&ok);
        if (!ok || settings.maxTables < 1)
            return fail(QStringLiteral("--max-tables wants a positive number"));
    }
    if (cli.isSet(grace)) {
        bool ok = false;
        const int seconds = cli.value(grace).toInt(&ok);
        if (!ok || seconds < 0 || seconds > 24 * 3600)
            return fail(QStringLiteral("--grace wants seconds from 0 to 86400"));
        settings.graceMs = seconds * 1000;
    }

    korvane::net::Server server(settings);
    QString error;
    if (!server.Listen(&error))
        return fail(error);

    QSocketNotifier notifier(stopSignals, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        signalfd_siginfo info{};
        while (read(stopSignals, &info, sizeof info) == sizeof info) {
        }
        std::fprintf(stderr, "stopping\n");
        server.Close();
        QCoreApplication::quit();
    });
    const int rc = QCoreApplication::exec();
    close(stopSignals);
    return rc;
}
