// A player's connection to a table server, where the network fails in the ways that close no
// socket: a server that never answers counts as lost, and says so.
#include "net/Client.h"

#include <QtNetwork>
#include <QtTest>

using namespace korvane;

class TestClient : public QObject {
    Q_OBJECT
private slots:
    // Accepted and then silent, as a host gone to sleep or a cable pulled mid-handshake.
    void silenceCountsAsLost() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        net::Client client;
        client.SetSilenceLimit(20, 300);
        QSignalSpy lost(&client, &net::Client::lost);
        client.Open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(silent.serverPort())),
                    {{"type", "join"}});
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(lost.first().first().toString().contains(QStringLiteral("Nothing was heard")));
        QVERIFY(!client.Greeted());
    }
};

QTEST_GUILESS_MAIN(TestClient)
#include "tst_client.moc"
