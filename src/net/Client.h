// One connection to a table server, as a player's program holds it: the handshake, then the
// messages of one table both ways. What to do when it fails is the owner's to decide.
#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <QUrl>

class QWebSocket;

namespace korvane::net {

class Client : public QObject {
    Q_OBJECT
public:
    explicit Client(QObject* parent = nullptr);
    ~Client() override;

    // Connects to `server` (ws:// or wss://), says hello and then sends `first`: the create,
    // join or rejoin that seats this connection. An open connection is closed first.
    void Open(const QUrl& server, const QJsonObject& first);
    // Sends a message, if the connection is open and greeted.
    void Send(const QJsonObject& message);
    // Closes the connection without a word more; nothing is reported.
    void Close();
    bool Greeted() const { return greeted_; }
    // A cable pulled or a host gone to sleep closes nothing: a connection that has heard
    // nothing for `silentMs` (not even the answer to its own ping, sent every `pingMs`) counts
    // as lost, and so does one whose server never answers at all.
    void SetSilenceLimit(int pingMs, int silentMs);

signals:
    // Every message from the server after its hello.
    void received(const QJsonObject& message);
    // The connection could not be made, or it went: `why` for people.
    void lost(const QString& why);

private:
    void Connected();
    void Text(const QString& text);
    void Closed();
    void Listen();

    QWebSocket* socket_ = nullptr;
    QJsonObject first_;
    bool greeted_ = false;
    QTimer ping_;
    QElapsedTimer heard_;
    int silentMs_ = 30 * 1000;
};

} // namespace korvane::net
