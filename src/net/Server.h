// The table server: WebSocket connections, the protocol's handshake, the tables by their codes,
// and the defences of a public service (sizes, floods, silent peers, idle tables). It runs in
// any Qt event loop, in korvane-server or inside the game window, and never blocks: every
// message is handled at once and nothing waits for a client.
#pragma once

#include "net/Table.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QWebSocket;
class QWebSocketServer;

namespace korvane::net {

struct ServerSettings {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = DefaultPort;           // 0: any free port
    std::optional<QSslConfiguration> tls; // set: wss:// only
    int maxTables = 1000;
    // A table whose people have all gone ends this long after the last one left.
    int graceMs = 5 * 60 * 1000;
    // Every connection is pinged this often and dropped when silent for pingTimeoutMs.
    int pingIntervalMs = 10 * 1000;
    int pingTimeoutMs = 30 * 1000;
    // Messages a connection may send: a burst, refilled at a steady rate.
    int burst = 40;
    int perSecond = 20;
    // Unreadable messages and floods tolerated before the connection is closed.
    int abuseLimit = 10;
    // The clock the flood limit and the ping timeout read, in milliseconds.
    std::function<qint64()> clockMs;
    // Games dealt from this seed sequence (tests, replays); unset: the clock, as local play.
    std::optional<uint32_t> seed;
    std::function<void(const QString&)> log; // unset: standard error
};

class Server : public QObject, private TableOutput {
    Q_OBJECT
public:
    explicit Server(ServerSettings settings, QObject* parent = nullptr);
    ~Server() override;

    bool Listen(QString* error);
    quint16 Port() const;
    // Closes every connection and stops listening; the tables end.
    void Close();

    int TableCount() const { return static_cast<int>(tables_.size()); }
    Table* FindTable(const QString& code);
    // Installed on every table created from now on.
    void SetTap(Table::Tap tap) { tap_ = std::move(tap); }

private:
    struct Connection {
        QWebSocket* socket = nullptr;
        ClientId id = 0;
        bool greeted = false;
        QString table;
        int strikes = 0;
        double tokens = 0;
        qint64 refilled = 0;
        qint64 lastHeard = 0;
        qint64 pinged = 0;
    };

    void Accept();
    void Received(ClientId id, const QByteArray& bytes);
    void Dispatch(Connection& c, const Message& m);
    void Refuse(Connection& c, const QString& code, const QString& text, const QString& refused);
    void Strike(Connection& c, const QString& code, const QString& text);
    bool Flooding(Connection& c);
    void Dropped(ClientId id);
    void Ping();
    void TableEmptied(const QString& code);
    void EndIdleTable(const QString& code);
    QString NewCode() const;
    qint64 Now() const;

    void Send(ClientId client, const QByteArray& message) override;
    void Log(const QString& line) override;
    void ContinueLater(Table& table) override;

    ServerSettings settings_;
    QWebSocketServer* server_ = nullptr;
    std::map<ClientId, Connection> connections_;
    std::map<QString, std::unique_ptr<Table>> tables_;
    QHash<QString, QTimer*> graceTimers_;
    QTimer pingTimer_;
    ClientId nextId_ = 1;
    uint32_t tablesMade_ = 0;
    Table::Tap tap_;
};

} // namespace korvane::net
