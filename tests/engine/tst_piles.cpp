#include "engine/GameRecord.h"

#include <QTest>

using namespace korvane;

namespace {
bool Invariant(const CardDeck& d) {
    for (int i = 0; i < 53; ++i) {
        const bool card = d.Card[static_cast<std::size_t>(i)] < 52;
        if (card != (i < d.Count))
            return false;
    }
    return true;
}
CardDeck Of(std::initializer_list<int> cards) {
    CardDeck d;
    for (int c : cards)
        d.Card[d.Count++] = static_cast<uint8_t>(c);
    return d;
}
} // namespace

class TestPiles : public QObject {
    Q_OBJECT
private slots:
    void pileOperationsKeepTheInvariant() {
        CardDeck a = Of({5, 9, 13});
        CardDeck b = Of({40});
        MoveTopCard(a, b); // the last card leaves, appended to the target
        QCOMPARE(a, Of({5, 9}));
        QCOMPARE(b, Of({40, 13}));
        MoveFirstCard(a, b); // the first card leaves, the rest shift down
        QCOMPARE(a, Of({9}));
        QCOMPARE(b, Of({40, 13, 5}));
        MoveFirstCard(a, b);
        QCOMPARE(a.Count, 0);
        QCOMPARE(a.Card[0], EmptySlot);
        MoveWholeDeck(b, a); // turned over in the same order
        QCOMPARE(a, Of({40, 13, 5, 9}));
        QCOMPARE(b.Count, 0);
        ClearDeck(a);
        QVERIFY(Invariant(a) && Invariant(b) && a.Card[0] == EmptySlot);
    }

    void moveFirstCardFromAFullPack() {
        CardDeck full;
        for (int i = 0; i < 52; ++i)
            full.Card[full.Count++] = static_cast<uint8_t>(i);
        CardDeck b;
        MoveFirstCard(full, b);
        QVERIFY(full.Count == 51 && full.Card[0] == 1 && full.Card[50] == 51 && Invariant(full));
    }

    // Cut and padded names are checked through the file and the players dialog; a name of
    // blanks alone is the edge left here.
    void aBlankNameIsShownEmpty() {
        PlayerInfo p;
        p.SetName("");
        QCOMPARE(p.TrimmedName(), std::string());
    }

    // That names, modes and tallies come through a reset is pinned where the players dialog is
    // left without OK.
    void resetGameEmptiesTheTableAndKeepsTheSeats() {
        GameInfo g;
        g.PlayerCount = 3;
        g.Player.resize(3);
        g.Player[1].OpenDeck = Of({12});
        g.SuitDeck[2] = Of({2});
        g.CurrentPlayer = 2;
        g.GameState = State::Playing;
        g.MistakeMade = true;
        ResetGame(g);
        QCOMPARE(g.PlayerCount, 0);
        QCOMPARE(g.CurrentPlayer, 0);
        QCOMPARE(g.GameState, State::NoGame);
        QVERIFY(!g.MistakeMade);
        QCOMPARE(g.Player.size(), std::size_t(3));
        QVERIFY(g.Player[1].OpenDeck.Empty() && g.SuitDeck[2].Empty());
    }
};

QTEST_APPLESS_MAIN(TestPiles)
#include "tst_piles.moc"
