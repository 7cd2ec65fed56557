// Network play from the game window, over loopback: a host and two friends, each in a window of
// his own, play one seeded game to its end with a mistake on the way; a friend's connection
// drops and comes back; the host leaves. Every window must show the table the server holds.
#include "TestWindow.h"
#include "dialogs/HostPanel.h"
#include "dialogs/JoinDialog.h"
#include "engine/GameRules.h"
#include "lan/TableFinder.h"
#include "net/RemoteGame.h"
#include "net/Server.h"
#include "net/Table.h"
#include "savedgame/SavedGameFile.h"
#include "table/NetworkPlay.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

using namespace korvane;
using namespace korvane::test;

namespace {

// The local network as the test has it: the host's advertisement is what the friends find.
struct Lan {
    std::optional<lan::AdvertisedTable> published;
};

class FakeFinder final : public lan::TableFinder {
public:
    void Start() override {}
};

class FakeAdvertiser final : public lan::TableAdvertiser {
public:
    explicit FakeAdvertiser(Lan& lan) : lan_(lan) {}
    bool Publish(const QString& service, quint16 port, const QString& code, QString*) override {
        lan_.published = lan::AdvertisedTable{service, QStringLiteral("127.0.0.1"), port, code,
                                              net::ProtocolVersion};
        return true;
    }
    void Withdraw() override { lan_.published.reset(); }

private:
    Lan& lan_;
};

struct Player : Rig {
    Player(Lan& lan, uint32_t seed) : Rig(seed) {
        g.Game.MoveSpeed = {0, 0};
        w->SetFlightClock([now = uint32_t{0}]() mutable { return now += 1000; });
        NetworkPlay::Services s;
        s.finder = [] { return std::make_unique<FakeFinder>(); };
        s.advertiser = [&lan] { return std::make_unique<FakeAdvertiser>(lan); };
        s.listen = QHostAddress(QHostAddress::LocalHost);
        s.port = 0;
        s.seed = 11;
        s.confirm = [](const QString&) { return true; };
        s.retryPauses = {10, 10, 10};
        w->Network().SetServices(std::move(s));
    }
    NetworkPlay& Net() { return w->Network(); }
    net::RemoteGame* Remote() { return Net().Remote(); }
    QString Status() const { return w->lblStatus()->text(); }
};

GameInfo Seats(const std::vector<std::pair<std::string, bool>>& seats) {
    GameInfo g;
    for (const auto& [name, computer] : seats) {
        PlayerInfo p;
        p.SetName(name);
        p.Computer = computer;
        g.Player.push_back(p);
    }
    g.PlayerCount = static_cast<uint8_t>(seats.size());
    g.GameState = State::Dealt;
    return g;
}

// Joins through the Join dialog, choosing the table the host advertised on the (test's) network.
bool JoinFromList(Player& p, const Lan& lan, const QString& name) {
    FakeFinder finder;
    JoinDialog dialog(finder, name, p.w.get());
    QObject::connect(&dialog, &JoinDialog::Attempt, &p.Net(),
                     [&p, &dialog](const JoinRequest& r) { p.Net().Join(r, &dialog); });
    dialog.show();
    emit finder.Found(*lan.published);
    dialog.lstTables()->setCurrentRow(0);
    dialog.cmdJoin()->click();
    return QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted; }, 10000);
}

} // namespace

class TestNetwork : public QObject {
    Q_OBJECT

    Lan lan_;
    std::unique_ptr<Player> host_, bob_, cy_;

    std::vector<Player*> All() { return {host_.get(), bob_.get(), cy_.get()}; }
    net::Table* Served() { return host_->Net().HostServer()->FindTable(host_->Remote()->Code()); }

    // The host and two friends seated, a computer at the fourth seat, the first game dealt.
    void SitDown() {
        for (auto* p : {&host_, &bob_, &cy_})
            *p = std::make_unique<Player>(lan_, 3);
        QVERIFY(host_->Net().Host(
            Seats({{"Ann", false}, {"Bob", false}, {"Cy", false}, {"Robot", true}}),
            {false, true, true, false}));
        QTRY_VERIFY(host_->Remote()->Seated());
        QVERIFY(lan_.published);
        QCOMPARE(lan_.published->code, host_->Remote()->Code());
        // The friends' seats wait for them, marked as such.
        QCOMPARE(host_->w->lblPlayer(1)->text(), QStringLiteral("Waiting for a player"));
        QVERIFY(JoinFromList(*bob_, lan_, QStringLiteral("Bob")));
        QVERIFY(JoinFromList(*cy_, lan_, QStringLiteral("Cy")));
        QTRY_VERIFY(host_->Net().Panel()->lblSeats()->text().contains(QStringLiteral("Cy")));
        host_->Net().StartGame();
        QTRY_VERIFY(Served()->View().phase == QLatin1String("playing") && Settled());
        // Nobody new can sit down now: the table has left the network's list.
        QVERIFY(!lan_.published);
        QCOMPARE(bob_->Remote()->OwnSeats(), std::vector<int>{1});
        QVERIFY(bob_->w->lblPlayer(1)->text().startsWith(QStringLiteral("Bob (you)")));
    }

    // Every window has shown all it was sent, and shows the server's table.
    bool Settled() {
        for (Player* p : All())
            if (!p->Remote() || !p->Remote()->CaughtUp())
                return false;
        const net::TableView served = Served()->View();
        for (Player* p : All())
            if (!(p->Remote()->View() == served))
                return false;
        return true;
    }

    // The window whose person is to move, once every window is settled.
    Player* ToAct() {
        if (!Settled())
            return nullptr;
        for (Player* p : All())
            if (p->w->Actions()->PersonMayAct())
                return p;
        return nullptr;
    }

    // What each window draws on every pile is the same, and is the served table's top.
    void SameTableEverywhere() {
        const net::TableView v = Served()->View();
        for (Player* p : All()) {
            for (uint8_t s = 0; s < SuitPiles; ++s)
                QCOMPARE(int(p->w->DrawnCode(p->w->picSuit(s))),
                         v.suits[s].count ? v.suits[s].top : int(DrawCode::EmptyPlace));
            for (uint8_t i = 0; i < v.seats.size(); ++i) {
                QCOMPARE(p->w->lblPlayer(i)->text().section(QLatin1Char(' '), -1),
                         host_->w->lblPlayer(i)->text().section(QLatin1Char(' '), -1));
                QCOMPARE(p->w->DrawnCode(p->w->picCloseDeck(i)),
                         host_->w->DrawnCode(host_->w->picCloseDeck(i)));
                if (i != v.current && v.seats[i].open > 0)
                    QCOMPARE(int(p->w->DrawnCode(p->w->picOpenDeck(i))), v.seats[i].openTop);
            }
        }
    }

    // The person to move plays as a careful player would, unless `blunder`: then he turns up a
    // card though his open pile's top could be played. False when nobody here may act.
    static bool Act(Player& p, bool blunder) {
        PlayerActions* a = p.w->Actions();
        if (!a->PersonMayAct())
            return false;
        const GameInfo& G = p.G();
        const uint8_t c = G.CurrentPlayer;
        Pile target;
        for (uint8_t s = 0; s < SuitPiles && target.IsNone(); ++s)
            if (PileTakes(G, Pile::Suit(s)))
                target = Pile::Suit(s);
        for (uint8_t i = 0; i < G.PlayerCount && target.IsNone(); ++i)
            if (i != c && PileTakes(G, Pile::Open(i)))
                target = Pile::Open(i);
        if (G.GameState == State::Turned)
            a->HumanChoose(target.IsNone() ? Pile::Open(c) : target);
        else if (!target.IsNone() && !blunder)
            a->HumanChoose(target);
        else
            a->picCloseDeck_Click(c);
        return true;
    }

private slots:
    void cleanup() {
        cy_.reset();
        bob_.reset();
        host_.reset();
    }

    // A whole game: the same table in every window after every move, a penalty explained, and
    // the question of another game for the host alone.
    void aWholeGame() {
        SitDown();
        if (QTest::currentTestFailed())
            return;
        QString question;
        host_->w->playAgain = [&](const std::string& m) {
            question = QString::fromStdString(m);
            return false;
        };
        for (Player* p : {bob_.get(), cy_.get()})
            p->w->playAgain = [](const std::string&) {
                qFatal("only the host is asked to play again");
                return false;
            };
        bool blundered = false;
        bool refusedOnce = false;
        for (int moves = 0; moves < 3000 && question.isEmpty(); ++moves) {
            QTRY_VERIFY_WITH_TIMEOUT(!question.isEmpty() || ToAct(), 10000);
            if (!question.isEmpty())
                break;
            SameTableEverywhere();
            if (QTest::currentTestFailed())
                return;
            for (Player* p : All()) {
                const GameInfo& G = p->G();
                uint8_t refusing = 0;
                while (refusing < SuitPiles && PileTakes(G, Pile::Suit(refusing)))
                    ++refusing;
                if (!refusedOnce && p->w->Actions()->PersonMayAct() &&
                    G.GameState == State::Turned && refusing < SuitPiles) {
                    // A pile that does not take the card: it flies there and back, and nothing
                    // is sent.
                    refusedOnce = true;
                    const net::TableView before = Served()->View();
                    p->w->Actions()->HumanChoose(Pile::Suit(refusing));
                    QTRY_VERIFY(p->Remote()->CaughtUp() && p->w->Actions()->PersonMayAct());
                    QVERIFY(Served()->View() == before);
                    QVERIFY(!p->Status().contains(QStringLiteral("does not take")));
                }
                const bool topPlays = G.GameState == State::Playing && G.CardInHand() != NoCard &&
                                      KindsTaking(G, G.CardInHand()).Any();
                // Bob's mistake: the others are told what he overlooked.
                const bool blunder = p == bob_.get() && !blundered && topPlays;
                if (Act(*p, blunder)) {
                    if (blunder) {
                        blundered = true;
                        // Told to him, and said of him to the others.
                        QTRY_VERIFY(bob_->Status().contains(
                            QStringLiteral("Penalty for Bob: you turned up a card")));
                        QTRY_VERIFY(cy_->Status().contains(
                            QStringLiteral("Penalty for Bob: Bob turned up a card")));
                    }
                    break;
                }
            }
        }
        QVERIFY(blundered);
        QVERIFY(refusedOnce);
        QVERIFY2(question.endsWith(QStringLiteral("lost this game.")) ||
                     question == QStringLiteral("Nobody lost this game!!!"),
                 qPrintable(question));
        // The host said No: the table ends for everyone, and every window is empty again.
        for (Player* p : All()) {
            QTRY_VERIFY(!p->Net().Active());
            QCOMPARE(int(p->G().PlayerCount), 0);
        }
        QTRY_VERIFY(bob_->Status().contains(QStringLiteral("The table has ended")));
        QVERIFY(!host_->Net().Hosting());
        QVERIFY(!lan_.published);
    }

    // A friend's connection drops mid-game: the computer plays for him, everybody is told, and
    // once he is back his window shows the table as it is.
    void aFriendDropsAndComesBack() {
        SitDown();
        if (QTest::currentTestFailed())
            return;
        for (int moves = 0; moves < 6; ++moves) {
            Player* next = nullptr;
            QTRY_VERIFY((next = ToAct()) != nullptr);
            if (next)
                Act(*next, false);
        }
        QTRY_VERIFY(Settled());
        bob_->Remote()->DropConnection();
        QVERIFY(bob_->Status().contains(QStringLiteral("connection to the table was lost")));
        // While he is away his window shows the computer at his seat, as the server has it.
        QVERIFY(bob_->G().Player[1].Computer);
        QTRY_VERIFY(host_->Status().contains(QStringLiteral("Bob has left the table")) ||
                    host_->Status().contains(QStringLiteral("Bob is back")));
        QTRY_VERIFY(bob_->Remote()->Seated());
        QTRY_VERIFY(host_->Status().contains(QStringLiteral("Bob is back at the table")));
        QTRY_VERIFY(Settled());
        SameTableEverywhere();
        QVERIFY(!bob_->G().Player[1].Computer);
    }

    // The host closes his game: his friends are told, their windows are empty, and neither a
    // table nor a socket is left.
    void theHostLeaves() {
        SitDown();
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY(Settled());
        const quint16 port = host_->Net().HostServer()->Port();
        host_->Net().Stop({});
        for (Player* p : {bob_.get(), cy_.get()}) {
            QTRY_VERIFY(!p->Net().Active());
            QVERIFY(p->Status().contains(QStringLiteral("The table has ended")));
            QCOMPARE(int(p->G().PlayerCount), 0);
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!probe.waitForConnected(2000));
    }

    // A joined player cannot save, and is told why; the host's save holds the friends' seats as
    // people's seats.
    void onlyTheHostSaves() {
        SitDown();
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY(Settled());
        QVERIFY(!bob_->w->findChild<QAction*>(QStringLiteral("mnGameSave"))->isEnabled());
        QVERIFY(!bob_->w->findChild<QAction*>(QStringLiteral("mnGameSave"))->toolTip().isEmpty());
        QVERIFY(host_->w->findChild<QAction*>(QStringLiteral("mnGameSave"))->isEnabled());
        // Bob stays away while the host saves.
        bob_->Remote()->SetRetryPauses({60 * 60 * 1000});
        bob_->Remote()->DropConnection();
        QTRY_VERIFY(Served()->View().seats[1].computer);
        const std::optional<GameInfo> saved = host_->Net().SaveableRecord();
        QVERIFY(saved);
        QCOMPARE(int(saved->PlayerCount), 4);
        QVERIFY(!saved->Player[1].Computer);
        QVERIFY(saved->Player[3].Computer);
        // A file the game can open again, as a game at one computer.
        QCOMPARE(QString::fromStdString(CheckGame(*saved)), QString());
    }
};

QTEST_MAIN(TestNetwork)
#include "tst_network.moc"
