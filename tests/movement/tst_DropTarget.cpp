#include "movement/DropTarget.h"

#include <QTest>

using namespace korvane;

namespace {

constexpr int W = 71;
constexpr int H = 96;

constexpr uint8_t Card(int rank, int suit) {
    return static_cast<uint8_t>(rank * 4 + suit);
}

void Push(CardDeck& deck, uint8_t card) {
    deck.Card[deck.Count++] = card;
}

// Four players, player 0 to move; suit piles in a row at the top, open piles in a row below,
// each a card apart.
struct Table {
    GameInfo game;
    DropLayout layout;
    Table() {
        game.PlayerCount = 4;
        game.Player.resize(4);
        game.GameState = State::Playing;
        for (int s = 0; s < 4; ++s) {
            layout.suitPiles[static_cast<std::size_t>(s)] = QRect(100 + s * 160, 10, W, H);
        }
        for (int p = 0; p < 4; ++p) {
            layout.openPiles.push_back(QRect(100 + p * 160, 400, W, H));
        }
    }
    // The drag picture fully over a rectangle.
    void Over(const QRect& r) { layout.drag = QRect(r.topLeft(), QSize(W, H)); }
    uint8_t Drop(uint8_t c) const { return OverLap(layout, c, game); }
};

} // namespace

class TestDropTarget : public QObject {
    Q_OBJECT
private slots:
    void overlapArea() {
        const QRect pile(100, 10, W, H);
        QCOMPARE(OverlapArea(pile, QRect(100, 10, W, H)), float(W * H));
        QCOMPARE(OverlapArea(pile, QRect(171, 10, W, H)), 0.0f); // touching edges
        QCOMPARE(OverlapArea(pile, QRect(170, 105, W, H)), 1.0f);
        QCOMPARE(OverlapArea(pile, QRect(40, -50, W, H)), float(11 * 36));
        QCOMPARE(OverlapArea(pile, QRect(500, 10, W, H)), 0.0f);
        // A drag picture with a border, larger than the pile and around it, covers the pile.
        QCOMPARE(OverlapArea(pile, QRect(99, 9, W + 2, H + 2)), float(W * H));
    }

    void onlyTheMostCoveredSuitPileCounts() {
        Table t;
        // 3 x 10 = 30 square pixels of suit pile 0, 7 x 10 = 70 of suit pile 1.
        t.layout.suitPiles[1] = QRect(232, 10, W, H);
        t.layout.drag = QRect(168, 96, W, H);
        QCOMPARE(OverlapArea(t.layout.suitPiles[0], t.layout.drag), 30.0f);
        QCOMPARE(OverlapArea(t.layout.suitPiles[1], t.layout.drag), 70.0f);

        Push(t.game.SuitDeck[1], Card(0, 1));
        Push(t.game.SuitDeck[1], Card(1, 1));
        QCOMPARE(t.Drop(Card(2, 1)), uint8_t{1});
        // Only the less covered pile would take it: no suit pile does.
        Push(t.game.SuitDeck[0], Card(0, 0));
        QCOMPARE(t.Drop(Card(1, 0)), Target::None);
        // A card of the right suit but not the next rank.
        QCOMPARE(t.Drop(Card(3, 1)), Target::None);
    }

    void anAceTakesAnyEmptySuitPile() {
        Table t;
        t.Over(t.layout.suitPiles[0]);
        QCOMPARE(t.Drop(Card(0, 2)), uint8_t{0}); // the window swaps piles 0 and 2
        QCOMPARE(t.Drop(Card(1, 0)), Target::None);
        Push(t.game.SuitDeck[0], Card(0, 0));
        QCOMPARE(t.Drop(Card(0, 2)), Target::None);
        QCOMPARE(t.Drop(54), Target::None); // a card back while penalty cards fly
    }

    void otherPlayersTakeOneRankUpAnySuit() {
        Table t;
        t.Over(t.layout.openPiles[2]);
        const uint8_t seven = Card(6, 3);
        QCOMPARE(t.Drop(seven), Target::None); // empty pile
        Push(t.game.Player[2].OpenDeck, Card(5, 0));
        QCOMPARE(t.Drop(seven), uint8_t{12});
        t.game.Player[2].OpenDeck.Card[0] = Card(4, 3);
        QCOMPARE(t.Drop(seven), Target::None);
        t.game.Player[2].OpenDeck.Card[0] = Card(7, 3);
        QCOMPARE(t.Drop(seven), Target::None);
    }

    void onlyTheLowerSeatOfTwoCoveredPilesCounts() {
        Table t;
        // Player 1's pile barely covered (1 column), player 2's almost fully.
        t.layout.openPiles[0] = QRect(900, 400, W, H);
        t.layout.openPiles[1] = QRect(100, 400, W, H);
        t.layout.openPiles[2] = QRect(180, 400, W, H);
        t.layout.drag = QRect(170, 400, W, H);
        Push(t.game.Player[2].OpenDeck, Card(3, 0));
        QCOMPARE(t.Drop(Card(4, 1)), Target::None);
        Push(t.game.Player[1].OpenDeck, Card(3, 2));
        QCOMPARE(t.Drop(Card(4, 1)), uint8_t{11});
    }

    void ownPileOnlyWhenNoSuitPileTakesTheCard() {
        Table t;
        t.game.GameState = State::Turned;
        // Own open pile placed under suit pile 3; the card covers it more than the suit pile.
        t.layout.openPiles[0] = QRect(580, 120, W, H);
        t.layout.drag = QRect(580, 80, W, H);
        QVERIFY(OverlapArea(t.layout.suitPiles[3], t.layout.drag) <
                OverlapArea(t.layout.openPiles[0], t.layout.drag));
        Push(t.game.Player[0].OpenDeck, Card(11, 1)); // no rank rule on the own pile
        QCOMPARE(t.Drop(Card(0, 1)), uint8_t{3});
        Push(t.game.SuitDeck[3], Card(0, 3));
        QCOMPARE(t.Drop(Card(2, 1)), uint8_t{10});
    }

    void aTieGoesToThePlayerHoldingFewerCards() {
        Table t;
        // Suit pile 0 and player 1's pile, stacked; the card covers 41 rows of each.
        t.layout.openPiles[1] = QRect(100, 120, W, H);
        t.layout.drag = QRect(100, 65, W, H);
        Push(t.game.SuitDeck[0], Card(0, 0));
        Push(t.game.Player[1].OpenDeck, Card(0, 3));
        const uint8_t two = Card(1, 0); // both piles take it
        for (int i = 0; i < 5; ++i) {
            Push(t.game.Player[0].CloseDeck, Card(12, 1));
        }
        for (int i = 0; i < 3; ++i) {
            Push(t.game.Player[1].CloseDeck, Card(12, 2));
        }
        QCOMPARE(t.Drop(two), uint8_t{11}); // 4 cards against 5
        Push(t.game.Player[1].CloseDeck, Card(11, 2));
        QCOMPARE(t.Drop(two), uint8_t{0}); // 5 against 5
    }

    void nothingUnderTheCard() {
        Table t;
        t.layout.drag = QRect(20, 250, W, H);
        QCOMPARE(t.Drop(Card(0, 0)), Target::None);
    }

    void tipVisitsSuitPilesThenSeats() {
        Table t;
        QVERIFY(TipTargets(t.game).empty());
        t.game.SuitCanTake[2] = true;
        t.game.Player[3].CanTake = true;
        t.game.Player[0].CanTake = true;
        QCOMPARE(TipTargets(t.game), (std::vector<uint8_t>{2, 10, 13}));
        t.game.ShowTip = false;
        QVERIFY(TipTargets(t.game).empty());
    }
};

QTEST_APPLESS_MAIN(TestDropTarget)
#include "tst_DropTarget.moc"
