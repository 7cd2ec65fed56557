#include "net/Client.h"

#include "net/Protocol.h"

#include <QJsonDocument>
#include <QWebSocket>

namespace korvane::net {

Client::Client(QObject* parent) : QObject(parent) {
    ping_.setInterval(10 * 1000);
    connect(&ping_, &QTimer::timeout, this, &Client::Listen);
}

void Client::SetSilenceLimit(int pingMs, int silentMs) {
    ping_.setInterval(pingMs);
    silentMs_ = silentMs;
}

void Client::Listen() {
    if (!socket_)
        return;
    if (heard_.elapsed() > silentMs_) {
        Close();
        emit lost(
            tr("Nothing was heard from the table for %1 seconds.").arg((silentMs_ + 999) / 1000));
        return;
    }
    if (greeted_)
        socket_->ping();
}

Client::~Client() {
    Close();
}

void Client::Open(const QUrl& server, const QJsonObject& first) {
    Close();
    first_ = first;
    socket_ = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    socket_->setMaxAllowedIncomingMessageSize(16 * 1024 * 1024);
    connect(socket_, &QWebSocket::connected, this, &Client::Connected);
    connect(socket_, &QWebSocket::textMessageReceived, this, &Client::Text);
    connect(socket_, &QWebSocket::pong, this, [this] { heard_.restart(); });
    connect(socket_, &QWebSocket::disconnected, this, &Client::Closed);
    // A connection refused or a name not found never connects, so it never disconnects either.
    connect(socket_, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this](QAbstractSocket::SocketError) {
                if (socket_ && socket_->state() != QAbstractSocket::ConnectedState)
                    Closed();
            });
    heard_.start();
    ping_.start();
    socket_->open(server);
}

void Client::Close() {
    greeted_ = false;
    ping_.stop();
    if (!socket_)
        return;
    // Whoever closes on purpose has nothing to be told.
    QWebSocket* s = socket_;
    socket_ = nullptr;
    s->disconnect(this);
    // A last message (leave) goes out before the connection does.
    s->flush();
    s->abort();
    s->deleteLater();
}

void Client::Send(const QJsonObject& message) {
    if (socket_ && greeted_)
        socket_->sendTextMessage(QString::fromUtf8(Encode(message)));
}

void Client::Connected() {
    socket_->sendTextMessage(
        QString::fromUtf8(Encode({{"type", "hello"}, {"version", ProtocolVersion}})));
}

void Client::Text(const QString& text) {
    heard_.restart();
    const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
    if (!greeted_ && m.value("type").toString() == QLatin1String("hello")) {
        greeted_ = true;
        socket_->sendTextMessage(QString::fromUtf8(Encode(first_)));
        return;
    }
    emit received(m);
}

void Client::Closed() {
    if (!socket_)
        return;
    const QString why = socket_->errorString();
    Close();
    emit lost(why);
}

} // namespace korvane::net
