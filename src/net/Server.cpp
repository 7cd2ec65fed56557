#include "net/Server.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QWebSocket>
#include <QWebSocketServer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>

namespace korvane::net {

namespace {

// Larger messages are not read at all: the connection closes (code 1009). Up to this size a
// message over MaxMessageBytes is refused with an error and the connection stays.
constexpr quint64 HardMessageLimit = 1024 * 1024;

constexpr int PingSlices = 10;

} // namespace

Server::Server(ServerSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings)) {
    if (!settings_.clockMs) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        settings_.clockMs = [timer] { return timer->elapsed(); };
    }
    if (!settings_.log)
        settings_.log = [](const QString& line) {
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        };
    server_ = new QWebSocketServer(
        QStringLiteral("korvane-server"),
        settings_.tls ? QWebSocketServer::SecureMode : QWebSocketServer::NonSecureMode, this);
    if (settings_.tls)
        server_->setSslConfiguration(*settings_.tls);
    server_->setHandshakeTimeout(std::chrono::milliseconds(settings_.pingTimeoutMs));
    connect(server_, &QWebSocketServer::newConnection, this, &Server::Accept);
    connect(&pingTimer_, &QTimer::timeout, this, &Server::Ping);
}

Server::~Server() {
    Close();
}

bool Server::Listen(QString* error) {
    if (!server_->listen(settings_.address, settings_.port)) {
        if (error)
            *error = server_->errorString();
        return false;
    }
    // Frames go out as header and payload in two writes; without TCP_NODELAY, Nagle's
    // algorithm holds a payload until the peer's delayed acknowledgement of its header (40 ms).
    // The WebSocket hides its TCP socket, so the option is set on the listening socket, whose
    // connections inherit it.
    const int one = 1;
    setsockopt(static_cast<int>(server_->socketDescriptor()), IPPROTO_TCP, TCP_NODELAY, &one,
               sizeof one);
    // Pings go out in tenths of the interval, each connection in its own tenth, so that thousands
    // of connections are never pinged in one burst that holds up every table's next move.
    pingTimer_.start(std::max(1, settings_.pingIntervalMs / PingSlices));
    Log(QStringLiteral("listening on %1://%2:%3")
            .arg(settings_.tls ? QStringLiteral("wss") : QStringLiteral("ws"),
                 settings_.address.toString())
            .arg(Port()));
    return true;
}

quint16 Server::Port() const {
    return server_->serverPort();
}

void Server::Close() {
    pingTimer_.stop();
    server_->close();
    // Tables first, so that no table sends to a closing connection.
    while (!tables_.empty()) {
        const QString code = tables_.begin()->first;
        EndIdleTable(code);
    }
    for (auto& [id, c] : connections_) {
        c.socket->disconnect(this);
        // Abort drops what is still buffered: the table_ended just sent, and a close frame
        // that tells the peer the server went away rather than the network.
        c.socket->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("Server stopping."));
        c.socket->flush();
        c.socket->abort();
        c.socket->deleteLater();
    }
    connections_.clear();
}

Table* Server::FindTable(const QString& code) {
    const auto it = tables_.find(code);
    return it == tables_.end() ? nullptr : it->second.get();
}

qint64 Server::Now() const {
    return settings_.clockMs();
}

QString Server::NewCode() const {
    QString code;
    for (int i = 0; i < CodeLength; ++i)
        code += QLatin1Char(
            CodeAlphabet[QRandomGenerator::system()->bounded(int(sizeof CodeAlphabet) - 1)]);
    return code;
}

void Server::Accept() {
    while (QWebSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        socket->setMaxAllowedIncomingFrameSize(HardMessageLimit);
        socket->setMaxAllowedIncomingMessageSize(HardMessageLimit);
        const ClientId id = nextId_++;
        Connection c;
        c.socket = socket;
        c.id = id;
        c.tokens = settings_.burst;
        c.refilled = c.lastHeard = Now();
        c.pinged = c.lastHeard -
                   static_cast<qint64>(id % PingSlices) * settings_.pingIntervalMs / PingSlices;
        connections_[id] = c;
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& text) { Received(id, text.toUtf8()); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, id](const QByteArray&) { Received(id, QByteArrayLiteral("\x01")); });
        connect(socket, &QWebSocket::pong, this, [this, id] {
            if (const auto it = connections_.find(id); it != connections_.end())
                it->second.lastHeard = Now();
        });
        // Queued: a socket may report its end from inside a send, in the middle of a table's
        // move; the table hears of it once the move is done.
        connect(
            socket, &QWebSocket::disconnected, this, [this, id] { Dropped(id); },
            Qt::QueuedConnection);
    }
}

void Server::Received(ClientId id, const QByteArray& bytes) {
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    Connection& c = it->second;
    c.lastHeard = Now();
    if (Flooding(c))
        return;
    auto decoded = Decode(bytes);
    if (const DecodeError* bad = std::get_if<DecodeError>(&decoded)) {
        Strike(c, bad->code, bad->text);
        return;
    }
    Dispatch(c, std::get<Message>(decoded));
}

bool Server::Flooding(Connection& c) {
    const qint64 now = Now();
    c.tokens = std::min<double>(settings_.burst, c.tokens + static_cast<double>(now - c.refilled) *
                                                                settings_.perSecond / 1000.0);
    c.refilled = now;
    if (c.tokens >= 1) {
        c.tokens -= 1;
        return false;
    }
    Strike(c, QStringLiteral("flood"), QStringLiteral("Too many messages; this one was not read."));
    return true;
}

void Server::Strike(Connection& c, const QString& code, const QString& text) {
    Send(c.id, Encode(ErrorMessage(code, text)));
    if (++c.strikes >= settings_.abuseLimit)
        c.socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                        QStringLiteral("Too many bad messages."));
}

void Server::Refuse(Connection& c, const QString& code, const QString& text,
                    const QString& refused) {
    Send(c.id, Encode(ErrorMessage(code, text, refused)));
}

void Server::Dispatch(Connection& c, const Message& m) {
    using T = Message::Type;
    const QString type = TypeName(m.type);
    if (!c.greeted) {
        if (m.type != T::Hello) {
            Strike(c, QStringLiteral("hello_first"),
                   QStringLiteral("The first message must be hello with the protocol version."));
            return;
        }
        if (m.version != ProtocolVersion) {
            Refuse(c, QStringLiteral("version"),
                   QStringLiteral("This server speaks protocol version %1 only; you sent %2.")
                       .arg(ProtocolVersion)
                       .arg(m.version),
                   type);
            c.socket->close(QWebSocketProtocol::CloseCodeNormal,
                            QStringLiteral("Unsupported protocol version."));
            return;
        }
        c.greeted = true;
        Send(c.id, Encode({{"type", "hello"},
                           {"version", ProtocolVersion},
                           {"server", QStringLiteral("korvane-server")}}));
        return;
    }
    if (m.type == T::Hello) {
        Refuse(c, QStringLiteral("greeted"), QStringLiteral("Hello was said already."), type);
        return;
    }

    if (!c.table.isEmpty()) {
        Table* table = FindTable(c.table);
        if (!table)
            return;
        table->Handle(c.id, m);
        if (!table->Seated(c.id)) {
            c.table.clear();
            if (!table->HasPeople())
                TableEmptied(table->Code());
        }
        return;
    }

    switch (m.type) {
    case T::Create: {
        if (TableCount() >= settings_.maxTables) {
            Refuse(c, QStringLiteral("server_full"),
                   QStringLiteral("This server hosts as many tables as it may."), type);
            return;
        }
        QString code;
        do
            code = NewCode();
        while (tables_.count(code) != 0);
        TableSettings ts;
        if (settings_.seed)
            ts.seeds = SeedSequence(*settings_.seed + tablesMade_);
        auto made = Table::Create(code, m, c.id, *this, ts);
        if (const Refusal* no = std::get_if<Refusal>(&made)) {
            Refuse(c, no->code, no->text, type);
            return;
        }
        ++tablesMade_;
        auto& table = std::get<std::unique_ptr<Table>>(made);
        if (tap_)
            table->SetTap(tap_);
        c.table = code;
        Table* t = table.get();
        tables_[code] = std::move(table);
        t->Welcome(c.id);
        return;
    }
    case T::Join:
    case T::Rejoin: {
        Table* table = FindTable(m.code.trimmed().toUpper());
        if (!table) {
            Refuse(c, QStringLiteral("no_table"), QStringLiteral("No table has that code."), type);
            return;
        }
        const std::optional<Refusal> no =
            m.type == T::Join ? table->Join(c.id, m.name) : table->Rejoin(c.id, m.token);
        if (no) {
            Refuse(c, no->code, no->text, type);
            return;
        }
        c.table = table->Code();
        if (QTimer* t = graceTimers_.take(table->Code()))
            delete t;
        return;
    }
    default:
        Refuse(c, QStringLiteral("no_table"), QStringLiteral("Create or join a table first."),
               type);
    }
}

void Server::Dropped(ClientId id) {
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    const QString code = it->second.table;
    it->second.socket->deleteLater();
    connections_.erase(it);
    if (Table* table = FindTable(code)) {
        table->Disconnected(id);
        if (!table->HasPeople())
            TableEmptied(code);
    }
}

void Server::Ping() {
    const qint64 now = Now();
    for (auto& [id, c] : connections_) {
        if (now - c.lastHeard > settings_.pingTimeoutMs) {
            c.socket->abort();
        } else if (now - c.pinged >= settings_.pingIntervalMs) {
            c.socket->ping();
            c.pinged = now;
        }
    }
}

void Server::TableEmptied(const QString& code) {
    if (graceTimers_.contains(code))
        return;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, code] { EndIdleTable(code); });
    graceTimers_.insert(code, timer);
    timer->start(settings_.graceMs);
}

void Server::EndIdleTable(const QString& code) {
    if (QTimer* t = graceTimers_.take(code))
        t->deleteLater();
    const auto it = tables_.find(code);
    if (it == tables_.end())
        return;
    // Anyone still seated (a server closing) is told.
    for (auto& [id, c] : connections_) {
        if (c.table == code) {
            Send(id, Encode({{"type", "table_ended"}}));
            c.table.clear();
        }
    }
    tables_.erase(it);
    Log(QStringLiteral("table %1 ended").arg(code));
}

void Server::Send(ClientId client, const QByteArray& message) {
    const auto it = connections_.find(client);
    if (it != connections_.end())
        it->second.socket->sendTextMessage(QString::fromUtf8(message));
}

void Server::Log(const QString& line) {
    settings_.log(line);
}

void Server::ContinueLater(Table& table) {
    QTimer::singleShot(0, this, [this, code = table.Code()] {
        if (Table* t = FindTable(code))
            t->ContinueComputer();
    });
}

} // namespace korvane::net
