// Playing at the table with the keyboard alone, offscreen over the real rules.
#include "Cards.h"
#include "TestWindow.h"
#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "table/frmKorvane.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

using namespace korvane;
using test::Card;
using test::Put;
using test::TestWindow;

namespace {

// Three people at the table, flights that do not wait. Player 0 holds `inHand` on his open pile,
// over the 7 of spades and the 8 of spades on his closed pile; player 1 shows a 6 of diamonds,
// player 2 a 5 of hearts.
struct Rig {
    explicit Rig(uint8_t inHand) : g(FixedSeed(3)) {
        g.SetDefaults();
        g.Game.DeckBack = FirstBack;
        cards.cdtInit(g.CardWidth, g.CardHeight);
        w = std::make_unique<TestWindow>(g, cards);
        rules = std::make_unique<GameRules>(g, *w);
        w->SetRules(rules.get());
        w->show();
        exposed = QTest::qWaitForWindowExposed(w.get());
        g.Game.MoveSpeed = {0, 0};
        w->SetFlightClock([now = uint32_t{0}]() mutable { return now += 1000; });
        w->players = [](GameInfo& G) { test::SeatPlayers(G, 3, {0, 1, 2}); };
        w->mnGameNew->trigger();
        GameInfo& G = g.Game;
        G.SuitDeck = {};
        for (int i : {0, 1, 2}) {
            Put(G.Player[i].OpenDeck, {i == 0 ? inHand : Card(6 - i, i)});
            Put(G.Player[i].CloseDeck, {Card(6 + i, 3)});
        }
        Put(G.Player[0].CloseDeck, {Card(6, 3), Card(7, 3)});
        G.CurrentPlayer = 0;
        G.GameState = State::Playing;
        G.ShowTip = false;
        G.KorvanePerTurn = false;
        w->PaintForm();
    }
    ~Rig() { w->SetRules(nullptr); }
    void Key(Qt::Key k) { QTest::keyClick(w->Table(), k); }
    // Tabs round the table to `pile`.
    bool Go(Pile pile) {
        for (int i = 0; i < 20 && w->FocusedPile() != pile; ++i)
            Key(Qt::Key_Tab);
        return w->FocusedPile() == pile;
    }
    PlayerInfo& P(int i) { return g.Game.Player[static_cast<std::size_t>(i)]; }

    mdlGlobal g;
    CardLibrary cards;
    bool exposed = false;
    std::unique_ptr<TestWindow> w;
    std::unique_ptr<GameRules> rules;
};

} // namespace

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    // The turn starts on the card in hand; the frame, unseen by a mouse player, shows from the
    // first key and goes round the piles in seat order and by direction.
    void focusMovesOverThePiles() {
        Rig r(Card(6, 0));
        QVERIFY(r.exposed);
        QCOMPARE(r.w->FocusedPile(), Pile::Open(0));
        QVERIFY(r.w->FocusFrame()->isHidden());
        QSignalSpy moved(r.w.get(), &frmKorvane::FocusMoved);
        r.Key(Qt::Key_Tab);
        QCOMPARE(r.w->FocusedPile(), Pile::Closed(1));
        QVERIFY(r.w->FocusFrame()->isVisible());
        QVERIFY(r.w->FocusFrame()->geometry().contains(
            QRect(r.w->PilePosition(Pile::Closed(1)), r.w->PileSize())));
        r.Key(Qt::Key_Backtab);
        r.Key(Qt::Key_Backtab);
        QCOMPARE(r.w->FocusedPile(), Pile::Closed(0));
        QCOMPARE(moved.count(), 3);
        // A screen reader hears the pile reached, with what lies on it.
        QCOMPARE(
            QAccessible::queryAccessibleInterface(r.w->statusBar())->text(QAccessible::Description),
            QStringLiteral("Player 1's closed pile: 2 cards"));
        // A Linux screen reader follows the focus from picture to picture, and reads what lies
        // on a pile from its description: AT-SPI carries no text value.
        QAccessibleInterface* closed = QAccessible::queryAccessibleInterface(r.w->picCloseDeck(0));
        QVERIFY(closed->state().focused);
        QVERIFY(!QAccessible::queryAccessibleInterface(r.w->picCloseDeck(1))->state().focused);
        QCOMPARE(closed->text(QAccessible::Description), QStringLiteral("2 cards"));
        struct Step {
            Qt::Key key;
            int dx, dy;
        };
        for (const Step& s : {Step{Qt::Key_Right, 1, 0}, Step{Qt::Key_Down, 0, 1},
                              Step{Qt::Key_Left, -1, 0}, Step{Qt::Key_Up, 0, -1}}) {
            const QPoint was = r.w->FocusFrame()->geometry().center();
            r.Key(s.key);
            const QPoint step = r.w->FocusFrame()->geometry().center() - was;
            QVERIFY(step.x() * s.dx + step.y() * s.dy > 0);
        }
        r.Key(Qt::Key_Escape);
        QCOMPARE(r.w->FocusedPile(), Pile::Open(0));
    }

    // Enter drops the card in hand on a pile that takes it; one that cannot sends it back.
    void dropsLegalAndIllegal() {
        Rig r(Card(6, 0));
        QVERIFY(r.Go(Pile::Open(2)));
        r.Key(Qt::Key_Return);
        QCOMPARE(r.w->flights, (std::vector<Pile>{Pile::Open(2), Pile::None()}));
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(6, 0));
        QCOMPARE(r.P(2).OpenDeck.Count, 1);
        QVERIFY(r.Go(Pile::Open(1)));
        r.Key(Qt::Key_Space);
        QCOMPARE(r.P(1).OpenDeck.Top(), Card(6, 0));
        QVERIFY(r.P(0).OpenDeck.Empty());
        QCOMPARE(r.rules->Stats().penalties, 0u);
    }

    // Turning up a card while the 7 of clubs could go onto the 6 of diamonds costs a penalty
    // (a card from each other player), and so does laying the turned 7 of spades on the own
    // pile (nobody has a card left to give).
    void bothMistakesCharged() {
        Rig r(Card(6, 0));
        QVERIFY(r.Go(Pile::Closed(0)));
        r.Key(Qt::Key_Enter);
        QCOMPARE(r.g.Game.GameState, State::Turned);
        QCOMPARE(r.rules->Stats().penalties, 1u);
        QCOMPARE(r.P(0).CloseDeck.Count, 4);
        QVERIFY(r.Go(Pile::Open(0)));
        r.Key(Qt::Key_Return);
        QCOMPARE(r.rules->Stats().penalties, 2u);
        QCOMPARE(r.P(0).CloseDeck.Count, 3);
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(6, 3));
        QCOMPARE(r.g.Game.CurrentPlayer, 1);
    }

    // Keys in the middle of a move are ignored as clicks are: moving the focus to the closed
    // pile and pressing Enter there would have been mistake 1.
    void keysIgnoredDuringFlight() {
        Rig r(Card(6, 0));
        QVERIFY(r.Go(Pile::Open(1)));
        r.w->duringFlight = [&] {
            r.Key(Qt::Key_Escape);
            r.Key(Qt::Key_Backtab);
            r.Key(Qt::Key_Return);
            r.Key(Qt::Key_Space);
        };
        r.Key(Qt::Key_Return);
        QCOMPARE(r.w->flights, (std::vector<Pile>{Pile::Open(1)}));
        QCOMPARE(r.P(1).OpenDeck.Top(), Card(6, 0));
        QCOMPARE(r.rules->Stats().penalties, 0u);
        QCOMPARE(r.P(0).CloseDeck.Count, 2);
    }
};

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
