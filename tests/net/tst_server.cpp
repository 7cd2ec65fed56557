// The table server over real sockets on the loopback interface: what the network adds to the
// rules (seats, turns, refusals, hidden cards, drops, TLS). Every wait is for a condition; the
// timeouts only matter when something is broken.
#include "net/EpollDispatcher.h"
#include "net/Server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QSslKey>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <array>
#include <map>
#include <set>

using namespace korvane;
using namespace korvane::net;

namespace {

constexpr int Wait = 20000;

// Runs the event loop until `done` holds; false after `ms`. Unlike QTest::qWaitFor it never
// sleeps, so the server and its clients in this one thread keep their pace.
bool WaitUntil(const std::function<bool()>& done, int ms = Wait) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(1);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// What the server's tap saw: the view after each change, and the cards face down at its seq.
struct Witness {
    std::map<int64_t, TableView> views;
    std::map<int64_t, std::set<int>> hidden;
    int turned = -1;
};

// A player: a socket, everything it received, and its view kept by the events.
struct Client {
    QWebSocket ws;
    std::vector<QJsonObject> got;
    TableView view;
    int seat = -1;
    std::vector<int> seats; // every seat this connection holds
    QString code;
    QString token;
    int64_t seq = 0;
    bool waiting = false; // sent an action, no change seen since
    int viewChecks = 0;
    std::map<QString, Witness>* witness = nullptr;
    std::function<void(Client&)> onChange;

    Client() {
        QObject::connect(&ws, &QWebSocket::textMessageReceived, &ws,
                         [this](const QString& text) { Receive(text); });
    }
    void Receive(const QString& text) {
        const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
        got.push_back(m);
        CheckHidden(m);
        const QString type = m["type"].toString();
        if (type == QLatin1String("welcome")) {
            view = *ViewFromJson(m["view"].toObject());
            seat = m["seat"].toInt();
            seats.clear();
            for (const QJsonValue& s : m["seats"].toArray())
                seats.push_back(s.toInt());
            code = m["code"].toString();
            token = m["token"].toString();
            seq = m["seq"].toInteger();
        } else if (m.contains("seq")) {
            QCOMPARE(m["seq"].toInteger(), seq + 1); // every event, in order
            seq = m["seq"].toInteger();
            QVERIFY2(ApplyEvent(view, m), qPrintable(text));
            // After every change the rules showed, the view is the server's.
            if (witness) {
                const auto& views = (*witness)[code].views;
                if (const auto at = views.find(seq); at != views.end()) {
                    QVERIFY2(view == at->second, qPrintable(text));
                    ++viewChecks;
                }
            }
            if (m["more"].toBool())
                return;
            waiting = false;
        } else {
            return;
        }
        if (onChange)
            onChange(*this);
    }
    // Every card number anywhere in a message must be face up at the moment it was sent, and
    // numbers appear only under the keys the protocol names.
    void CheckHidden(const QJsonObject& m) {
        if (!witness || code.isEmpty() || !m.contains("seq"))
            return;
        const auto& hidden = (*witness)[code].hidden;
        const auto at = hidden.find(m["seq"].toInteger());
        const std::set<int> none;
        Scan(m, at == hidden.end() ? none : at->second);
    }
    static void Scan(const QJsonValue& m, const std::set<int>& hidden) {
        static const QStringList countKeys{"seq",          "seat",  "index", "count",   "closed",
                                           "open",         "lost",  "cards", "creator", "current",
                                           "totalKorvane", "loser", "seats"};
        ForEachNumber(m, [&](const QString& key, int n) {
            if (IsCardKey(key))
                QVERIFY2(!hidden.count(n), qPrintable(key + " " + QString::number(n)));
            else
                QVERIFY2(countKeys.contains(key), qPrintable("number under " + key));
        });
    }

    void Open(quint16 port, const QString& scheme = QStringLiteral("ws")) {
        ws.open(QUrl(QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port)));
    }
    void Send(const QJsonObject& o) { ws.sendTextMessage(QString::fromUtf8(Encode(o))); }
    // Sends and waits for the reply: the next message that is not a table event.
    QJsonObject Ask(const QJsonObject& o) { return AskRaw(Encode(o)); }
    QJsonObject AskRaw(const QByteArray& bytes) {
        const std::size_t before = got.size();
        ws.sendTextMessage(QString::fromUtf8(bytes));
        std::size_t i = before;
        const bool replied = WaitUntil(
            [&] {
                for (; i < got.size(); ++i)
                    if (!got[i].contains("seq") || got[i]["type"] == "welcome")
                        return true;
                return false;
            },
            Wait);
        return replied ? got[i] : QJsonObject();
    }
    bool Connect(quint16 port) {
        Open(port);
        return WaitUntil([&] { return ws.state() == QAbstractSocket::ConnectedState; }, Wait) &&
               Ask({{"type", "hello"}, {"version", ProtocolVersion}})["type"] == "hello";
    }
    bool MyTurn() const {
        return view.phase == QLatin1String("playing") &&
               std::find(seats.begin(), seats.end(), view.current) != seats.end() &&
               !view.seats[static_cast<std::size_t>(view.current)].computer;
    }
};

// The seats of a table: person, person, the computer, person.
QJsonObject CreateMessage(const QString& name, bool perTurn = false, int korvane = 1) {
    return {{"type", "create"},
            {"name", name},
            {"seats", QJsonArray{QJsonObject{{"kind", "person"}}, QJsonObject{{"kind", "person"}},
                                 QJsonObject{{"kind", "computer"}, {"name", "Robot"}},
                                 QJsonObject{{"kind", "person"}}}},
            {"totalKorvane", korvane},
            {"korvanePerTurn", perTurn}};
}

int InHand(const TableView& v) {
    return v.state == QLatin1String("turned")
               ? v.turned
               : v.seats[static_cast<std::size_t>(v.current)].openTop;
}

// A pile other than his own that takes the card in hand, as the view shows it.
std::optional<QJsonObject> Target(const TableView& v, int card) {
    const Pile to = TakingPile(v, card);
    return to.IsNone() ? std::nullopt : std::optional<QJsonObject>(PileToJson(to));
}

// Plays like the computer, except for one deliberate mistake: the first time its open pile's
// top could be played, it turns up a card instead.
void PlayMyTurn(Client& c, bool& mistakeDue) {
    if (!c.MyTurn() || c.waiting)
        return;
    const TableView& v = c.view;
    const int card = InHand(v);
    const std::optional<QJsonObject> to = Target(v, card);
    QJsonObject action{{"seat", v.current}};
    if (v.state == QLatin1String("turned")) {
        action["type"] = "lay";
        action["pile"] = to ? *to : QJsonObject{{"kind", "open"}, {"index", v.current}};
    } else if (to && !mistakeDue) {
        action["type"] = "lay";
        action["pile"] = *to;
    } else {
        mistakeDue = mistakeDue && !to;
        action["type"] = "turn_up";
    }
    c.waiting = true;
    c.Send(action);
}

struct TestServer {
    std::map<QString, Witness> witness;
    QStringList log;
    std::unique_ptr<Server> server;

    explicit TestServer(ServerSettings s = {}) {
        s.port = 0;
        s.seed = s.seed.value_or(7);
        // A test that drives the clock owns the flood limit; the others play at machine pace.
        if (!s.clockMs)
            s.burst = 100000;
        s.log = [this](const QString& line) { log << line; };
        server = std::make_unique<Server>(s);
        server->SetTap([this](int64_t seq, const QJsonObject&, bool last, const TableView& view,
                              const GameInfo& record) {
            Witness& w = witness[CodeOf(record)];
            // The turned card is the first closed card as the player turns it up (the rules
            // show it before they note the state); it stays in the pile until laid, and
            // whatever is first there after that is face down.
            if (record.GameState != State::Turned && record.GameState != State::Penalty)
                w.turned =
                    view.turned >= 0 ? record.Player[record.CurrentPlayer].CloseDeck.Card[0] : -1;
            std::set<int>& hidden = w.hidden[seq];
            for (const PlayerInfo& p : record.Player)
                for (int i = 0; i < p.CloseDeck.Count; ++i)
                    if (p.CloseDeck.Card[static_cast<std::size_t>(i)] != w.turned)
                        hidden.insert(p.CloseDeck.Card[static_cast<std::size_t>(i)]);
            if (last)
                w.views[seq] = view;
        });
        QString error;
        if (!server->Listen(&error))
            qFatal("listen: %s", qPrintable(error));
    }
    // The tap names tables by record; tests here run one table per server at a time.
    QString CodeOf(const GameInfo&) const { return current; }
    QString current;
};

} // namespace

class TestServerNet : public QObject {
    Q_OBJECT
private slots:
    void threePeoplePlaySeededGamesToTheEnd_data();
    void threePeoplePlaySeededGamesToTheEnd();
    void refusesWhatIsNotAllowed();
    void droppedSeatIsPlayedAndGivenBack();
    void oneConnectionPlaysSeveralSeats();
    void saveKeepsAwayPeopleAtTheirSeats();
    void closingTellsSeatedPeople();
    void servesTls();
    void floodIsRefusedThenCutOff();
    void silentPeerIsDropped();
};

void TestServerNet::threePeoplePlaySeededGamesToTheEnd_data() {
    QTest::addColumn<uint>("seed");
    QTest::addColumn<bool>("perTurn");
    QTest::addColumn<int>("korvane");
    QTest::newRow("per mistake") << 7u << false << 1;
    QTest::newRow("per turn") << 11u << true << 2;
    QTest::newRow("three each") << 23u << false << 3;
}

// Also the hidden-cards property: every client scans every message it receives.
void TestServerNet::threePeoplePlaySeededGamesToTheEnd() {
    QFETCH(uint, seed);
    QFETCH(bool, perTurn);
    QFETCH(int, korvane);
    ServerSettings settings;
    settings.seed = seed;
    TestServer ts(settings);
    std::array<Client, 3> c;
    std::array<bool, 3> mistakeDue{true, true, true};
    for (std::size_t i = 0; i < c.size(); ++i) {
        QVERIFY(c[i].Connect(ts.server->Port()));
        c[i].witness = &ts.witness;
        c[i].onChange = [&mistakeDue, i](Client& me) { PlayMyTurn(me, mistakeDue[i]); };
    }
    const QJsonObject welcome = c[0].Ask(CreateMessage(" Ann ", perTurn, korvane));
    QCOMPARE(welcome["type"], "welcome");
    ts.current = c[0].code;
    QCOMPARE(c[0].view.seats[0].name, "Ann");
    QCOMPARE(c[1].Ask({{"type", "join"}, {"code", c[0].code}, {"name", "ann"}})["code"],
             "name_taken");
    QCOMPARE(c[1].Ask({{"type", "join"}, {"code", c[0].code.toLower()}, {"name", "Bob"}})["seat"],
             1);
    QCOMPARE(c[2].Ask({{"type", "join"}, {"code", c[0].code}, {"name", "Cy"}})["seat"], 3);
    QCOMPARE(c[1].Ask({{"type", "start"}})["code"], "not_creator");
    c[0].Send({{"type", "start"}});

    QVERIFY(WaitUntil(
        [&] {
            return std::all_of(c.begin(), c.end(),
                               [](const Client& x) { return x.view.phase == "over"; });
        },
        120000));
    // A penalty, explained to all with what the local explanation shows.
    int penalties = 0;
    for (const QJsonObject& m : c[1].got) {
        if (m["type"] == "penalty") {
            ++penalties;
            QVERIFY(m["deed"] == "turned_card" || m["deed"] == "unknown");
            QVERIFY(m["places"].toArray().size() >= (m["deed"] == "unknown" ? 0 : 1));
            QVERIFY(m.contains("cards"));
        }
    }
    QVERIFY(penalties >= 1);
    const QJsonObject over = c[2].got.back();
    QCOMPARE(over["type"], "game_over");
    const int loser = over["loser"].toInt(-1);
    QCOMPARE(over["message"].toString(),
             loser < 0
                 ? QStringLiteral("Nobody lost this game!!!")
                 : c[2].view.seats[static_cast<std::size_t>(loser)].name + " lost this game.");
    for (const Client& x : c) {
        QVERIFY(x.viewChecks > 20);
        QCOMPARE(x.view, ts.server->FindTable(ts.current)->View());
    }
    // The creator decides for the table.
    QCOMPARE(c[1].Ask({{"type", "play_again"}})["code"], "not_creator");
    for (Client& x : c)
        x.onChange = nullptr;
    c[0].Send({{"type", "play_again"}});
    QVERIFY(WaitUntil([&] { return c[2].view.phase == "playing"; }, Wait));
    QCOMPARE(c[2].view.seats[static_cast<std::size_t>(std::max(loser, 0))].lost, loser < 0 ? 0 : 1);
}

void TestServerNet::refusesWhatIsNotAllowed() {
    TestServer ts;
    Client a, b, odd;
    QVERIFY(a.Connect(ts.server->Port()) && b.Connect(ts.server->Port()));
    a.witness = b.witness = &ts.witness;

    // Another protocol version is refused and the connection closed.
    odd.Open(ts.server->Port());
    QVERIFY(WaitUntil([&] { return odd.ws.state() == QAbstractSocket::ConnectedState; }, Wait));
    QCOMPARE(odd.Ask({{"type", "hello"}, {"version", 2}})["code"], "version");
    QTRY_COMPARE_WITH_TIMEOUT(odd.ws.state(), QAbstractSocket::UnconnectedState, Wait);

    QCOMPARE(b.Ask({{"type", "join"}, {"code", "AAAAAAAAAAAA"}, {"name", "Bob"}})["code"],
             "no_table");
    a.Ask({{"type", "create"},
           {"name", "Ann"},
           {"seats", QJsonArray{QJsonObject{{"kind", "person"}}, QJsonObject{{"kind", "person"}},
                                QJsonObject{{"kind", "computer"}, {"name", "Robot"}}}}});
    ts.current = a.code;
    QCOMPARE(b.Ask({{"type", "join"}, {"code", a.code}, {"name", QString(256, 'x')}})["code"],
             "bad_name");
    QCOMPARE(b.Ask({{"type", "join"}, {"code", a.code}, {"name", "B\u0001b"}})["code"], "bad_name");
    QCOMPARE(b.Ask({{"type", "join"}, {"code", a.code}, {"name", "Bob"}})["type"], "welcome");
    a.Send({{"type", "start"}});
    QVERIFY(WaitUntil([&] { return a.MyTurn() || b.MyTurn(); }, Wait));
    QVERIFY(WaitUntil([&] { return a.seq == b.seq; }, Wait));
    Client& mover = a.MyTurn() ? a : b;
    Client& other = a.MyTurn() ? b : a;
    const Table& table = *ts.server->FindTable(a.code);
    const TableView before = table.View();
    const GameInfo record = table.Record();
    const std::size_t otherGot = other.got.size();

    const auto refused = [&](Client& who, const QJsonObject& m) {
        return who.Ask(m)["code"].toString();
    };
    QCOMPARE(refused(other, {{"type", "turn_up"}, {"seat", other.seat}}), "not_your_turn");
    QCOMPARE(refused(other, {{"type", "turn_up"}, {"seat", mover.seat}}), "not_your_seat");
    QCOMPARE(refused(mover, {{"type", "turn_up"}, {"seat", other.seat}}), "not_your_seat");
    // A pile that cannot take the card in hand: a suit pile its card does not follow.
    const int card = InHand(mover.view);
    const int wrongSuit = (Suit(static_cast<uint8_t>(card)) + 1) % 4;
    QCOMPARE(refused(mover, {{"type", "lay"},
                             {"seat", mover.seat},
                             {"pile", QJsonObject{{"kind", "suit"}, {"index", wrongSuit}}}}),
             "pile_refuses");
    QCOMPARE(refused(mover, {{"type", "lay"},
                             {"seat", mover.seat},
                             {"pile", QJsonObject{{"kind", "closed"}, {"index", 0}}}}),
             "bad_message");
    QCOMPARE(mover.AskRaw("{\"type\": \"lay\", "),
             QJsonObject(ErrorMessage("malformed", "A message must be one JSON object.")));
    QCOMPARE(refused(mover, {{"type", "shuffle"}}), "unknown_type");
    QCOMPARE(refused(mover, {{"type", "turn_up"}, {"seat", "0"}}), "bad_message");
    QCOMPARE(mover.AskRaw("{\"type\":\"turn_up\",\"seat\":1e39}")["code"], "bad_message");
    QCOMPARE(mover.AskRaw(QByteArray(70 * 1024, ' '))["code"], "too_large");
    QCOMPARE(refused(mover, {{"type", "start"}}), mover.seat == 0 ? "wrong_phase" : "not_creator");

    QCOMPARE(table.View(), before);
    const GameInfo& now = table.Record();
    QCOMPARE(now.GameState, record.GameState);
    for (std::size_t p = 0; p < record.Player.size(); ++p)
        QVERIFY(now.Player[p].CloseDeck == record.Player[p].CloseDeck &&
                now.Player[p].OpenDeck == record.Player[p].OpenDeck);
    // The other player heard nothing but his own refusals.
    for (std::size_t i = otherGot; i < other.got.size(); ++i)
        QCOMPARE(other.got[i]["type"], "error");

    // Repeated abuse closes that one connection; the table plays on.
    for (int i = 0; i < 10 && mover.ws.state() == QAbstractSocket::ConnectedState; ++i)
        mover.ws.sendTextMessage(QStringLiteral("nonsense"));
    QTRY_COMPARE_WITH_TIMEOUT(mover.ws.state(), QAbstractSocket::UnconnectedState, Wait);
    QCOMPARE(other.ws.state(), QAbstractSocket::ConnectedState);
    QTRY_VERIFY_WITH_TIMEOUT(other.view.seats[static_cast<std::size_t>(mover.seat)].computer, Wait);
}

void TestServerNet::droppedSeatIsPlayedAndGivenBack() {
    ServerSettings settings;
    settings.graceMs = 1;
    TestServer ts(settings);
    Client a, b;
    QVERIFY(a.Connect(ts.server->Port()) && b.Connect(ts.server->Port()));
    a.witness = b.witness = &ts.witness;
    a.Ask({{"type", "create"},
           {"name", "Ann"},
           {"seats", QJsonArray{QJsonObject{{"kind", "person"}}, QJsonObject{{"kind", "person"}},
                                QJsonObject{{"kind", "computer"}, {"name", "Robot"}}}}});
    ts.current = a.code;
    b.Ask({{"type", "join"}, {"code", a.code}, {"name", "Bob"}});
    a.Send({{"type", "start"}});
    QVERIFY(WaitUntil([&] { return a.MyTurn() || b.MyTurn(); }, Wait));
    QVERIFY(WaitUntil([&] { return a.seq == b.seq; }, Wait));
    Client& gone = a.MyTurn() ? a : b;
    Client& stays = a.MyTurn() ? b : a;
    const int seat = gone.seat;
    const QString token = gone.token;
    // Mid-turn: a card turned up, then the connection breaks.
    gone.Send({{"type", "turn_up"}, {"seat", seat}});
    QVERIFY(WaitUntil([&] { return gone.view.state == "turned"; }, Wait));
    gone.ws.abort();

    // The computer finishes his turn; play comes round to the one still here.
    QTRY_VERIFY_WITH_TIMEOUT(stays.MyTurn() || stays.view.phase == "over", Wait);
    const SeatView& seen = stays.view.seats[static_cast<std::size_t>(seat)];
    QVERIFY(seen.computer && !seen.connected);
    QVERIFY(ts.log.filter(QStringLiteral(" left by ")).size() == 1);

    Client back;
    QVERIFY(back.Connect(ts.server->Port()));
    back.witness = &ts.witness;
    QCOMPARE(back.Ask({{"type", "rejoin"}, {"code", a.code}, {"token", "0" + token}})["code"],
             "no_seat");
    QCOMPARE(back.Ask({{"type", "rejoin"}, {"code", a.code}, {"token", token}})["seat"], seat);
    QVERIFY(!back.view.seats[static_cast<std::size_t>(seat)].computer);
    QTRY_VERIFY_WITH_TIMEOUT(!stays.view.seats[static_cast<std::size_t>(seat)].computer, Wait);

    // Everybody gone: the table ends after the grace period.
    back.ws.abort();
    stays.ws.abort();
    QTRY_COMPARE_WITH_TIMEOUT(ts.server->TableCount(), 0, Wait);
    QCOMPARE(ts.log.filter(QStringLiteral(" ended")).size(), 1);
}

static bool Refused(const Client& c) {
    return std::any_of(c.got.begin(), c.got.end(),
                       [](const QJsonObject& m) { return m["type"] == "error"; });
}

// People sharing the host's computer: one connection holds two seats, plays both, and gets both
// back with its one token after a drop.
void TestServerNet::oneConnectionPlaysSeveralSeats() {
    TestServer ts;
    Client host, bob, back;
    QVERIFY(host.Connect(ts.server->Port()) && bob.Connect(ts.server->Port()) &&
            back.Connect(ts.server->Port()));
    std::array<bool, 3> mistakeDue{true, true, true};
    std::set<int> hostPlayed;
    host.onChange = [&](Client& me) {
        const bool idle = !me.waiting;
        PlayMyTurn(me, mistakeDue[0]);
        if (idle && me.waiting)
            hostPlayed.insert(me.view.current);
    };
    bob.onChange = [&](Client& me) { PlayMyTurn(me, mistakeDue[1]); };
    back.onChange = [&](Client& me) { PlayMyTurn(me, mistakeDue[2]); };
    host.witness = bob.witness = back.witness = &ts.witness;
    host.Ask({{"type", "create"},
              {"name", "Ann"},
              {"seats", QJsonArray{QJsonObject{{"kind", "person"}, {"here", true}},
                                   QJsonObject{{"kind", "computer"}, {"name", "Robot"}},
                                   QJsonObject{{"kind", "person"}, {"here", true}, {"name", "Bea"}},
                                   QJsonObject{{"kind", "person"}}}}});
    ts.current = host.code;
    QCOMPARE(host.seats, std::vector<int>({0, 2}));
    QCOMPARE(host.view.seats[2].name, "Bea");
    QCOMPARE(bob.Ask({{"type", "join"}, {"code", host.code}, {"name", "Bob"}})["seat"], 3);
    host.Send({{"type", "start"}});
    QVERIFY(WaitUntil([&] { return (hostPlayed.size() == 2 && !host.waiting) || Refused(host); }));
    QVERIFY(!Refused(host));
    QCOMPARE(back.Ask({{"type", "rejoin"}, {"code", host.code}, {"token", host.token}})["code"],
             "seat_in_use");

    host.ws.abort();
    QVERIFY(WaitUntil([&] {
        const auto& s = bob.view.seats;
        return s[0].computer && !s[0].connected && s[2].computer && !s[2].connected;
    }));
    QCOMPARE(bob.view.creator, 3);
    back.got.clear();
    QCOMPARE(back.Ask({{"type", "rejoin"}, {"code", host.code}, {"token", host.token}})["seats"],
             QJsonValue(QJsonArray{0, 2}));
    QVERIFY(WaitUntil(
        [&] { return (bob.view.phase == "over" && back.view.phase == "over") || Refused(back); }));
    QVERIFY(!Refused(back));
    QVERIFY(!bob.view.seats[0].computer && !bob.view.seats[2].computer);
    QCOMPARE(back.view, ts.server->FindTable(ts.current)->View());
}

// The host saves a network game: whoever is only away stays a person, so opening the file gives
// a local game with every person at his seat.
void TestServerNet::saveKeepsAwayPeopleAtTheirSeats() {
    TestServer ts;
    Client ann, bob, cy;
    QVERIFY(ann.Connect(ts.server->Port()) && bob.Connect(ts.server->Port()) &&
            cy.Connect(ts.server->Port()));
    const QJsonObject person{{"kind", "person"}};
    ann.Ask({{"type", "create"},
             {"name", "Ann"},
             {"seats", QJsonArray{person, person, person, person,
                                  QJsonObject{{"kind", "computer"}, {"name", "Robot"}}}}});
    ts.current = ann.code;
    bob.Ask({{"type", "join"}, {"code", ann.code}, {"name", "Bob"}});
    cy.Ask({{"type", "join"}, {"code", ann.code}, {"name", "Cy"}});
    cy.Send({{"type", "leave"}});
    ann.Send({{"type", "start"}});
    QVERIFY(WaitUntil([&] { return ann.view.phase == "playing"; }));
    bob.ws.abort();
    QVERIFY(WaitUntil([&] { return ann.view.seats[1].computer; }));

    const Table& table = *ts.server->FindTable(ann.code);
    const auto computers = [](const GameInfo& g) {
        std::vector<bool> c;
        for (const PlayerInfo& p : g.Player)
            c.push_back(p.Computer);
        return c;
    };
    QCOMPARE(computers(table.Record()), std::vector<bool>({false, true, true, true, true}));
    QCOMPARE(computers(table.SaveableRecord()),
             std::vector<bool>({false, false, false, true, true}));

    // Handed over by its person, a seat is saved as the computer's; after the game, the save
    // holds the series.
    ann.Send({{"type", "hand_over"}, {"seat", 0}, {"computer", true}});
    QVERIFY(WaitUntil([&] { return ann.view.phase == "over"; }));
    const GameInfo saved = table.SaveableRecord();
    QCOMPARE(computers(saved), std::vector<bool>({true, false, false, true, true}));
    int lost = 0;
    for (std::size_t i = 0; i < saved.Player.size(); ++i) {
        QCOMPARE(saved.Player[i].Lost, ann.view.seats[i].lost);
        lost += saved.Player[i].Lost;
    }
    QCOMPARE(lost, 1);
}

void TestServerNet::closingTellsSeatedPeople() {
    TestServer ts;
    Client seated, greeted;
    QVERIFY(seated.Connect(ts.server->Port()) && greeted.Connect(ts.server->Port()));
    QCOMPARE(seated.Ask(CreateMessage("Ann"))["type"], "welcome");
    ts.server.reset();
    QVERIFY(WaitUntil([&] { return seated.ws.state() == QAbstractSocket::UnconnectedState; }));
    QCOMPARE(seated.got.back()["type"], "table_ended");
    QCOMPARE(greeted.got.size(), std::size_t(1));
}

void TestServerNet::servesTls() {
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        QSKIP("openssl is not installed");
    QTemporaryDir dir;
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    QProcess make;
    make.start(openssl,
               {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                "-days", "1", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    QVERIFY(make.waitForFinished(Wait) && make.exitCode() == 0);
    QFile cf(cert), kf(key);
    QVERIFY(cf.open(QIODevice::ReadOnly) && kf.open(QIODevice::ReadOnly));
    const QSslCertificate certificate(cf.readAll(), QSsl::Pem);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(QSslKey(kf.readAll(), QSsl::Rsa, QSsl::Pem));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    ServerSettings settings;
    settings.tls = tls;
    TestServer ts(settings);

    Client c;
    QSslConfiguration trust = QSslConfiguration::defaultConfiguration();
    trust.setCaCertificates({certificate});
    c.ws.setSslConfiguration(trust);
    c.Open(ts.server->Port(), QStringLiteral("wss"));
    QVERIFY(WaitUntil([&] { return c.ws.state() == QAbstractSocket::ConnectedState; }, Wait));
    QCOMPARE(c.Ask({{"type", "hello"}, {"version", ProtocolVersion}})["type"], "hello");
    QCOMPARE(c.Ask(CreateMessage("Ann"))["type"], "welcome");
    // Plain ws:// gets no table from it.
    Client plain;
    plain.Open(ts.server->Port());
    QTRY_VERIFY_WITH_TIMEOUT(plain.ws.state() == QAbstractSocket::UnconnectedState ||
                                 plain.ws.error() != QAbstractSocket::UnknownSocketError,
                             Wait);
    QVERIFY(plain.got.empty());
}

// Settings whose clock stands still unless the test moves `now`.
ServerSettings StoppedClock(qint64& now) {
    ServerSettings settings;
    settings.clockMs = [&now] { return now; };
    return settings;
}

// The server's clock stands still unless the test moves it, so the tokens a connection has
// are known exactly.
void TestServerNet::floodIsRefusedThenCutOff() {
    qint64 now = 0;
    ServerSettings settings = StoppedClock(now);
    settings.burst = 3;
    settings.perSecond = 2;
    settings.abuseLimit = 3;
    TestServer ts(settings);
    Client a, b;
    QVERIFY(a.Connect(ts.server->Port()) && b.Connect(ts.server->Port()));
    QCOMPARE(a.Ask(CreateMessage("Ann"))["type"], "welcome");
    ts.current = a.code;
    QCOMPARE(a.Ask({{"type", "hello"}, {"version", 1}})["code"], "greeted");
    QCOMPARE(a.Ask({{"type", "leave"}})["code"], "flood");
    // Half a second later, one more message is read.
    now += 500;
    QCOMPARE(a.Ask({{"type", "hello"}, {"version", 1}})["code"], "greeted");
    QCOMPARE(a.Ask({{"type", "hello"}, {"version", 1}})["code"], "flood");
    QCOMPARE(a.Ask({{"type", "hello"}, {"version", 1}})["code"], "flood");
    QTRY_COMPARE_WITH_TIMEOUT(a.ws.state(), QAbstractSocket::UnconnectedState, Wait);
    // Another connection has its own allowance.
    QCOMPARE(b.Ask({{"type", "join"}, {"code", a.code}, {"name", "Bob"}})["type"], "welcome");
    QVERIFY(WaitUntil([&] { return !b.view.seats[0].connected; }));
    QCOMPARE(b.ws.state(), QAbstractSocket::ConnectedState);
}

namespace {

// A WebSocket frame from a client: masked, with a mask of zeros so the payload stays readable.
QByteArray ClientFrame(const QByteArray& text) {
    QByteArray frame(1, '\x81');
    if (text.size() < 126) {
        frame += static_cast<char>(0x80 | text.size());
    } else {
        frame += static_cast<char>(0x80 | 126);
        frame += static_cast<char>(text.size() >> 8);
        frame += static_cast<char>(text.size() & 0xFF);
    }
    return frame + QByteArray(4, '\0') + text;
}

} // namespace

// A peer that never answers a ping: a bare TCP socket that speaks just enough WebSocket to sit
// down. The clock moves in two steps, so the player who answers is heard in between.
void TestServerNet::silentPeerIsDropped() {
    qint64 now = 0;
    ServerSettings settings = StoppedClock(now);
    settings.pingIntervalMs = 5;
    settings.pingTimeoutMs = 1000;
    TestServer ts(settings);
    Client a;
    QVERIFY(a.Connect(ts.server->Port()));
    QCOMPARE(a.Ask(CreateMessage("Ann"))["type"], "welcome");
    ts.current = a.code;

    QTcpSocket silent;
    silent.connectToHost(QHostAddress::LocalHost, ts.server->Port());
    QVERIFY(silent.waitForConnected(Wait));
    silent.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                 "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                 "Sec-WebSocket-Version: 13\r\n\r\n");
    QByteArray heard;
    QVERIFY(WaitUntil([&] {
        heard += silent.readAll();
        return heard.contains("\r\n\r\n");
    }));
    QVERIFY(heard.startsWith("HTTP/1.1 101"));
    silent.write(ClientFrame(Encode({{"type", "hello"}, {"version", ProtocolVersion}})));
    silent.write(ClientFrame(Encode({{"type", "join"}, {"code", a.code}, {"name", "Sid"}})));
    QVERIFY(WaitUntil([&] { return a.view.seats[1].connected; }));

    now = 600;
    QCOMPARE(a.Ask({{"type", "hello"}, {"version", 1}})["code"], "greeted");
    now = 1001;
    QVERIFY(WaitUntil([&] { return !a.view.seats[1].connected; }));
    QVERIFY(WaitUntil([&] { return silent.state() == QAbstractSocket::UnconnectedState; }));
    QCOMPARE(a.ws.state(), QAbstractSocket::ConnectedState);
    QCOMPARE(ts.log.filter(QStringLiteral(" left by Sid")).size(), 1);
}

// The server's own event dispatcher, as korvane-server runs it.
int main(int argc, char* argv[]) {
    QCoreApplication::setEventDispatcher(new EpollDispatcher);
    QCoreApplication app(argc, argv);
    TestServerNet test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_server.moc"
