#include "Table.h"
#include "TableCheck.h"

#include <QTest>
#include <map>

using namespace korvane;
using namespace korvane::test;

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void suitPilesTakeTheirSuitFromTheAce() {
        Table t;
        Put(t.G().SuitDeck[1], {Card(0, 1), Card(1, 1)});
        Put(t.G().SuitDeck[2],
            {Card(0, 2), Card(1, 2), Card(2, 2), Card(3, 2), Card(4, 2), Card(5, 2), Card(6, 2),
             Card(7, 2), Card(8, 2), Card(9, 2), Card(10, 2), Card(11, 2)});
        for (int h = 0; h < 52; ++h) {
            Put(t.P(0).OpenDeck, {h});
            t.g.FindMoves();
            QCOMPARE(bool(t.G().SuitCanTake[0]), h == Card(0, 0));
            QCOMPARE(bool(t.G().SuitCanTake[1]), h == Card(2, 1));
            QCOMPARE(bool(t.G().SuitCanTake[2]), h == 50); // the King on the Queen (46)
            QCOMPARE(bool(t.G().SuitCanTake[3]), h == 3);
        }
    }

    void openPilesTakeOneRankHigherInAnySuit() {
        Table t(4);
        t.G().CurrentPlayer = 1;
        Put(t.P(0).OpenDeck, {Card(6, 2)}); // a Seven
        Put(t.P(2).OpenDeck, {Card(0, 0)}); // an Ace
        Put(t.P(1).OpenDeck, {Card(5, 3)}); // the mover's own pile shows a Six
        for (int suit = 0; suit < 4; ++suit) {
            Put(t.P(1).OpenDeck, {Card(5, 3), Card(7, suit)}); // an Eight in hand
            t.g.FindMoves();
            QVERIFY(t.P(0).CanTake);
            QVERIFY(!t.P(2).CanTake && !t.P(3).CanTake);
            QVERIFY(t.G().MoveAvailable);
        }
        Put(t.P(1).OpenDeck, {Card(7, 0), Card(6, 1)}); // a Seven on a Seven: nothing
        t.g.FindMoves();
        QVERIFY(!t.P(0).CanTake && !t.G().MoveAvailable);
        Put(t.P(1).OpenDeck, {Card(1, 0)}); // a Two goes on the Ace
        t.g.FindMoves();
        QVERIFY(t.P(2).CanTake);
        // The own pile is never a target, even when its rank would fit.
        Put(t.P(1).OpenDeck, {Card(4, 0), Card(5, 0)});
        Put(t.P(0).OpenDeck, {});
        t.g.FindMoves();
        QVERIFY(!t.P(1).CanTake);
    }

    void theTurnedCardIsTheCardInHand() {
        Table t;
        Put(t.P(0).OpenDeck, {Card(9, 0)});
        Put(t.P(0).CloseDeck, {Card(0, 3), Card(4, 0)});
        t.G().GameState = State::Turned;
        t.g.FindMoves();
        QVERIFY(t.G().SuitCanTake[3]);
        t.G().GameState = State::Playing;
        t.g.FindMoves();
        QVERIFY(!t.G().MoveAvailable);
    }

    void nothingInHandNothingMarked() {
        Table t;
        t.G().CurrentPlayer = 2;
        t.G().SuitCanTake[1] = true;
        t.g.FindMoves();
        QVERIFY(!t.G().MoveAvailable && !t.G().SuitCanTake[1]);
        // With no game the marks are left as they are.
        t.G().GameState = State::NoGame;
        t.G().SuitCanTake[1] = true;
        t.g.FindMoves();
        QVERIFY(t.G().SuitCanTake[1]);
    }

    void transferOfTheOpenTop() {
        Table t;
        t.G().CurrentPlayer = 1;
        Put(t.P(1).OpenDeck, {Card(4, 1), Card(0, 2)});
        Put(t.P(1).CloseDeck, {Card(8, 0)});
        QVERIFY(t.rules.TransferCard(Pile::Suit(2).Code()));
        QCOMPARE(t.G().SuitDeck[2].Top(), Card(0, 2));
        QCOMPARE(t.P(1).OpenDeck.Count, 1);
        QCOMPARE(t.view.Calls("PaintSuit").back().args, (std::vector<int>{2, 0}));

        // Onto his own pile: nothing changes and nothing counts as moved.
        QVERIFY(!t.rules.TransferCard(Pile::Open(1).Code()));
        QCOMPARE(t.P(1).OpenDeck.Count, 1);
        QCOMPARE(t.P(1).OpenDeck.Top(), Card(4, 1));

        // A code naming no pile moves nothing.
        QVERIFY(!t.rules.TransferCard(9));
        QVERIFY(!t.rules.TransferCard(Pile::Open(3).Code())); // only three seats
        QCOMPARE(t.P(1).OpenDeck.Count, 1);
        QCOMPARE(t.view.Count("HideDragPic"), 4); // the card in hand goes, moved or not
    }

    // Played away from his own pile, the turned card leaves the mover to go on.
    void transferOfATurnedCardToAnOpponent() {
        Table t;
        Put(t.P(0).CloseDeck, {Card(5, 3), Card(9, 1)});
        Put(t.P(2).OpenDeck, {Card(4, 0)});
        t.G().GameState = State::Turned;
        QVERIFY(t.rules.TransferCard(Pile::Open(2).Code()));
        QCOMPARE(t.P(2).OpenDeck.Top(), Card(5, 3));
        QCOMPARE(t.P(0).CloseDeck.Count, 1);
        QCOMPARE(t.P(0).CloseDeck.Card[0], Card(9, 1));
        QCOMPARE(t.view.Calls("PrintLabel").front().args, std::vector<int>{2});
        QVERIFY(!t.rules.NextPlayer(Pile::Open(2).Code()));
        QCOMPARE(t.G().GameState, State::PlayedOn);
        QCOMPARE(t.G().CurrentPlayer, 0);
    }

    void theTurnedCardOnTheOwnPilePassesTheTurn() {
        Table t;
        t.G().CurrentPlayer = 2;
        Put(t.P(2).CloseDeck, {Card(9, 1), Card(7, 2)});
        Put(t.P(0).CloseDeck, {Card(3, 3)});
        t.G().GameState = State::Turned;
        QVERIFY(t.rules.TransferCard(Pile::Open(2).Code()));
        QVERIFY(t.rules.NextPlayer(Pile::Open(2).Code()));
        QCOMPARE(t.G().CurrentPlayer, 0); // wraps round to the first seat
        QCOMPARE(t.G().GameState, State::Playing);
    }

    // Wherever it went, the mover's last card passes the turn, which skips the players who are
    // out.
    void theLastCardPassesTheTurnToTheNextHolder() {
        Table t(5);
        t.G().CurrentPlayer = 1;
        Put(t.P(1).OpenDeck, {Card(0, 0)});
        Put(t.P(4).OpenDeck, {Card(3, 2)});
        Put(t.P(0).CloseDeck, {Card(5, 1)});
        QVERIFY(t.rules.TransferCard(Pile::Suit(0).Code()));
        QVERIFY(t.rules.NextPlayer(Pile::Suit(0).Code()));
        QCOMPARE(t.G().CurrentPlayer, 4);
    }

    // The last holder of cards gets one more turn with the last chance, and loses when he passes
    // it; without, the game ends at once. Played again: same players, tallies kept and counted,
    // a new deal under way.
    void theEndWithAndWithoutTheLastChance() {
        for (const bool lastChance : {true, false}) {
            Table t;
            t.G().LastChance = lastChance;
            t.G().CurrentPlayer = 1;
            Put(t.P(1).OpenDeck, {Card(0, 0)});
            Put(t.P(2).CloseDeck, {Card(5, 1), Card(8, 2)});
            t.P(2).Lost = 1;
            t.view.playAgain = {true};
            QVERIFY(t.rules.TransferCard(Pile::Suit(0).Code()));
            QVERIFY(t.rules.NextPlayer(Pile::Suit(0).Code()));
            if (lastChance) {
                QCOMPARE(t.G().CurrentPlayer, 2);
                QCOMPARE(t.G().GameState, State::Playing);
                QCOMPARE(t.view.Count("AskPlayAgain"), 0);
                t.G().GameState = State::Turned;
                QVERIFY(t.rules.TransferCard(Pile::Open(2).Code()));
                QVERIFY(t.rules.NextPlayer(Pile::Open(2).Code()));
            }
            QCOMPARE(t.view.messages, std::vector<std::string>{"Player 3 lost this game."});
            QCOMPARE(t.P(2).Lost, 2);
            QCOMPARE(t.G().PlayerCount, 3);
            QCOMPARE(t.G().GameState, State::Playing);
            QCOMPARE(CheckTable(t.G(), Check::Between), std::string());
        }
    }

    void nobodyLostWhenTheLastHolderEmptiesHisHand() {
        Table t;
        Put(t.P(0).OpenDeck, {Card(1, 3)});
        Put(t.G().SuitDeck[3], {Card(0, 3)});
        Put(t.G().SuitDeck[0], {Card(0, 0), Card(1, 0)});
        QVERIFY(t.rules.TransferCard(Pile::Suit(3).Code()));
        QVERIFY(t.rules.NextPlayer(Pile::Suit(3).Code()));
        QCOMPARE(t.view.messages, std::vector<std::string>{"Nobody lost this game!!!"});
        for (int p = 0; p < 3; ++p)
            QCOMPARE(t.P(p).Lost, 0);
        QCOMPARE(t.view.Count("HidePlayerFrames"), 1);
        // "No": the card show flies each card of the suit piles, each pile's top first, then the
        // table is cleared.
        std::map<int, std::vector<int>> flown; // by suit pile
        for (const Call& c : t.view.Calls("CardShowFlight"))
            flown[c.args[0]].push_back(c.args[1]);
        QCOMPARE(flown, (std::map<int, std::vector<int>>{{0, {Card(1, 0), Card(0, 0)}},
                                                         {3, {Card(1, 3), Card(0, 3)}}}));
        QCOMPARE(t.G().PlayerCount, 0);
        QCOMPARE(t.G().GameState, State::NoGame);
        QCOMPARE(t.view.Calls("SetCaption").back().args, std::vector<int>{0});
    }

    void closedPileClickTurnsACard() {
        Table t;
        t.G().CurrentPlayer = 1;
        Put(t.P(1).CloseDeck, {Card(9, 0), Card(3, 1)});
        t.rules.picCloseDeck_Click(1);
        QCOMPARE(t.G().GameState, State::Turned);
        QCOMPARE(t.view.Calls("SetDragPic").back().args,
                 (std::vector<int>{Pile::Closed(1).Code(), Card(9, 0)}));
        QCOMPARE(t.P(1).CloseDeck.Count, 2); // stays in the pile until it is played

        // A second click while a card is turned does nothing.
        t.view.Clear();
        t.rules.picCloseDeck_Click(1);
        QVERIFY(t.view.log.empty());
        // Nor does a click on another player's pile, nor one on a computer's when it is his turn.
        t.G().GameState = State::Playing;
        t.rules.picCloseDeck_Click(2);
        t.P(1).Computer = true;
        t.rules.picCloseDeck_Click(1);
        QVERIFY(t.view.log.empty());
    }

    void closedPileClickOnAnEmptyPileTurnsTheOpenPileOver() {
        Table t;
        Put(t.P(0).OpenDeck, {Card(9, 0), Card(3, 1), Card(12, 2)});
        t.rules.picCloseDeck_Click(0);
        QCOMPARE(t.G().GameState, State::Playing);
        QCOMPARE(t.P(0).OpenDeck.Count, 0);
        QCOMPARE(t.P(0).CloseDeck.Count, 3);
        QCOMPARE(t.P(0).CloseDeck.Card[0], Card(9, 0)); // the first laid is the next to turn
        QCOMPARE(t.view.Calls("SetBusyPointer").back().args, std::vector<int>{0});
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
