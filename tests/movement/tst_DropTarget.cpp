#include "Cards.h"
#include "movement/DropTarget.h"

#include <QTest>

using namespace korvane;
using test::Card;
using test::Put;

namespace {

constexpr int W = 71, H = 96;

// Four players, player 0 to move; suit piles in a row at the top, open piles in a row below.
struct Table {
    GameInfo game;
    DropLayout layout;
    Table() {
        game.PlayerCount = 4;
        game.Player.resize(4);
        game.GameState = State::Playing;
        for (int i = 0; i < 4; ++i) {
            layout.suitPiles[static_cast<std::size_t>(i)] = QRect(100 + i * 160, 10, W, H);
            layout.openPiles.push_back(QRect(100 + i * 160, 400, W, H));
        }
    }
    // The target code of the pile a drop lands on.
    uint8_t Drop(uint8_t c, QRect drag) {
        layout.drag = drag;
        return OverLap(layout, c, game).Code();
    }
};

} // namespace

class TestDropTarget : public QObject {
    Q_OBJECT
private slots:
    void suitAndPlayersPiles() {
        Table t;
        const QRect pile = t.layout.suitPiles[0];
        QCOMPARE(OverlapArea(pile, QRect(171, 10, W, H)), 0.0f);               // touching edges
        QCOMPARE(OverlapArea(pile, QRect(99, 9, W + 2, H + 2)), float(W * H)); // larger, around
        // 3 x 10 = 30 square pixels of suit pile 0, 7 x 10 = 70 of suit pile 1.
        t.layout.suitPiles[1] = QRect(232, 10, W, H);
        const QRect between(168, 96, W, H);
        Put(t.game.SuitDeck[1], {Card(0, 1), Card(1, 1)});
        QCOMPARE(t.Drop(Card(2, 1), between), uint8_t{1});
        QCOMPARE(t.Drop(Card(3, 1), between), Target::None); // not the next rank
        Put(t.game.SuitDeck[0], {Card(0, 0)}); // only the less covered pile would take it
        QCOMPARE(t.Drop(Card(1, 0), between), Target::None);

        // Any ace on an empty suit pile (the window swaps the pile pictures), nothing else.
        const QRect onPile2 = t.layout.suitPiles[2];
        QCOMPARE(t.Drop(Card(0, 3), onPile2), uint8_t{2});
        QCOMPARE(t.Drop(Card(1, 2), onPile2), Target::None);
        QCOMPARE(t.Drop(54, onPile2), Target::None); // a card back while penalty cards fly
        QCOMPARE(t.Drop(Card(0, 3), QRect(20, 250, W, H)), Target::None); // over nothing

        Table p; // players' piles
        const QRect onOpen2 = p.layout.openPiles[2];
        const uint8_t seven = Card(6, 3);
        QCOMPARE(p.Drop(seven, onOpen2), Target::None); // empty pile
        Put(p.game.Player[2].OpenDeck, {Card(5, 0)});
        for (const auto& [top, expected] :
             {std::pair{5, 12}, {4, Target::None}, {7, Target::None}}) {
            p.game.Player[2].OpenDeck.Card[0] = Card(top, 3);
            QCOMPARE(p.Drop(seven, onOpen2), uint8_t(expected));
        }

        // Player 1's pile barely covered, player 3's almost fully: only player 1 counts.
        p.layout.openPiles[3] = QRect(331, 400, W, H);
        const QRect across(321, 400, W, H);
        Put(p.game.Player[3].OpenDeck, {Card(3, 0)});
        QCOMPARE(p.Drop(Card(4, 1), across), Target::None);
        Put(p.game.Player[1].OpenDeck, {Card(3, 2)});
        QCOMPARE(p.Drop(Card(4, 1), across), uint8_t{11});
    }

    // A turned card goes to the own pile only when no suit pile takes it; a tie goes to the
    // player holding fewer cards.
    void turnedCardAndTies() {
        Table t;
        t.game.GameState = State::Turned;
        t.layout.openPiles[0] = QRect(580, 120, W, H); // under suit pile 3, covered more
        const QRect drag(580, 80, W, H);
        Put(t.game.Player[0].OpenDeck, {Card(11, 1)}); // no rank rule on the own pile
        QCOMPARE(t.Drop(Card(0, 1), drag), uint8_t{3});
        Put(t.game.SuitDeck[3], {Card(0, 3)});
        QCOMPARE(t.Drop(Card(2, 1), drag), uint8_t{10});

        Table s; // suit pile 0 and player 1's pile stacked; the card covers 41 rows of each
        s.layout.openPiles[1] = QRect(100, 120, W, H);
        Put(s.game.SuitDeck[0], {Card(0, 0)});
        Put(s.game.Player[1].OpenDeck, {Card(0, 3)});
        Put(s.game.Player[0].CloseDeck, {48, 49, 50, 51, 47});
        Put(s.game.Player[1].CloseDeck, {44, 45, 46});
        QCOMPARE(s.Drop(Card(1, 0), QRect(100, 65, W, H)), uint8_t{11}); // 4 cards against 5
        Put(s.game.Player[1].CloseDeck, {44, 45, 46, 43});
        QCOMPARE(s.Drop(Card(1, 0), QRect(100, 65, W, H)), uint8_t{0}); // 5 against 5
    }

    void tipVisitsSuitPilesThenSeats() {
        Table t;
        t.game.SuitCanTake[2] = t.game.Player[3].CanTake = t.game.Player[0].CanTake = true;
        QCOMPARE(TipTargets(t.game),
                 (std::vector<Pile>{Pile::Suit(2), Pile::Open(0), Pile::Open(3)}));
        t.game.ShowTip = false;
        QVERIFY(TipTargets(t.game).empty());
    }
};

QTEST_APPLESS_MAIN(TestDropTarget)
#include "tst_DropTarget.moc"
