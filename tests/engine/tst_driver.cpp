#include "Table.h"
#include "TableCheck.h"

#include <QTest>

using namespace korvane;
using namespace korvane::test;

class TestDriver : public QObject {
    Q_OBJECT
private slots:
    void aHumanDropIsFollowedByTheComputersAndTheTurnComesBack() {
        Table t(3, {0});
        Put(t.P(0).OpenDeck, {Card(0, 0)});
        Put(t.P(0).CloseDeck, {Card(9, 0), Card(11, 1)});
        Put(t.P(1).CloseDeck, {Card(12, 0), Card(12, 1), Card(12, 2)});
        Put(t.P(2).CloseDeck, {Card(7, 0), Card(7, 1), Card(7, 2)});
        // The Ace is dropped on its suit pile; the player goes on, then lays his turned Ten
        // on his own pile.
        t.rules.HumanDrop(Pile::Suit(0));
        QCOMPARE(t.G().SuitDeck[0].Count, 1);
        QCOMPARE(t.G().CurrentPlayer, 0);
        t.rules.picCloseDeck_Click(0);
        t.view.Clear();
        t.rules.HumanDrop(Pile::Open(0));

        // Both computers played their turn; the turn is back with the human.
        QCOMPARE(t.G().CurrentPlayer, 0);
        QCOMPARE(t.rules.Stats().turns, 3u);
        QCOMPARE(t.P(1).OpenDeck.Count, 1);
        QCOMPARE(t.P(2).OpenDeck.Count, 1);
        // The human's card flew to his pile first, then each computer's to its own.
        QCOMPARE(t.view.Calls("AnimateMove"),
                 (std::vector<Call>{{"AnimateMove", {Pile::Open(0).Code()}},
                                    {"AnimateMove", {Pile::Open(1).Code()}},
                                    {"AnimateMove", {Pile::Open(2).Code()}}}));
        // The tip is for the human alone, once his turn has come.
        QCOMPARE(t.view.Count("GiveTip"), 1);
        QCOMPARE(t.view.log.back().op, std::string("GiveTip"));
    }

    void aDropThatFlewBackChangesNothing() {
        Table t(3, {0, 1, 2});
        t.G().CurrentPlayer = 1;
        Put(t.P(1).OpenDeck, {Card(4, 0)});
        Put(t.P(1).CloseDeck, {Card(6, 0)});
        t.rules.HumanDrop(Pile::None());
        QCOMPARE(t.P(1).OpenDeck.Count, 1);
        QCOMPARE(t.G().CurrentPlayer, 1);
        QCOMPARE(t.view.Calls("SetCurrentPlayer").front().args, (std::vector<int>{1, 0}));
        // A turned card flying back repaints the closed pile it returned to.
        t.rules.picCloseDeck_Click(1);
        t.view.Clear();
        t.rules.HumanDrop(Pile::None());
        QCOMPARE(t.view.log.at(0), (Call{"AnimateMove", {Pile::None().Code()}}));
        QCOMPARE(t.view.log.at(1), (Call{"PaintCloseDeck", {1}}));
        QCOMPARE(t.G().GameState, State::Turned);
        QCOMPARE(t.view.Count("GiveTip"), 0); // no tip with a turned card in hand
    }

    void nothingToDoWithoutAGame() {
        Table t(3, {});
        for (uint8_t state : {State::Dealt, State::NoGame}) {
            t.G().GameState = state;
            t.rules.picTurn_GotFocus();
            QVERIFY(t.view.log.empty());
        }
        t.G().GameState = State::Playing;
        t.G().PlayerCount = 0;
        t.rules.picTurn_GotFocus();
        QVERIFY(t.view.log.empty());
    }

    void withNothingToPlayItTurnsItsOpenPileOverThenTurnsACard() {
        Table t(3, {0});
        t.G().CurrentPlayer = 1;
        Put(t.P(1).OpenDeck, {Card(9, 0), Card(8, 1)});
        Put(t.P(0).OpenDeck, {Card(2, 2)});
        Put(t.P(0).CloseDeck, {Card(5, 2)});
        t.rules.picTurn_GotFocus();
        // The open pile became the closed pile, its first card was turned and, fitting
        // nowhere, laid on the open pile; the turn passed.
        QCOMPARE(t.P(1).OpenDeck.Count, 1);
        QCOMPARE(t.P(1).OpenDeck.Top(), Card(9, 0));
        QCOMPARE(t.P(1).CloseDeck.Count, 1);
        QCOMPARE(t.P(1).CloseDeck.Card[0], Card(8, 1));
        QCOMPARE(t.view.Calls("AnimateMove").front().args, std::vector<int>{Pile::Open(1).Code()});
        QCOMPARE(t.rules.Stats().penalties, 0u);
    }

    void itUsesUpTheOpenTopBeforeTurning() {
        Table t(3, {0});
        t.G().CurrentPlayer = 2;
        Put(t.P(2).OpenDeck, {Card(1, 3), Card(0, 3)}); // the Ace, then the Two beneath it
        Put(t.P(2).CloseDeck, {Card(10, 0)});
        Put(t.P(0).CloseDeck, {Card(11, 0)});
        t.rules.picTurn_GotFocus();
        QCOMPARE(t.G().SuitDeck[3].Count, 2);
        // The Ace, then the Two, then the turned Jack to its own pile.
        QCOMPARE(t.view.Calls("AnimateMove"),
                 (std::vector<Call>{{"AnimateMove", {Pile::Suit(3).Code()}},
                                    {"AnimateMove", {Pile::Suit(3).Code()}},
                                    {"AnimateMove", {Pile::Open(2).Code()}}}));
    }

    void itChoosesEveryLegalPlaceAlike() {
        int toSuit = 0, toPlayer = 0;
        for (uint32_t seed = 1; seed <= 400; ++seed) {
            Table t(3, {0}, seed);
            t.G().CurrentPlayer = 1;
            Put(t.P(1).OpenDeck, {Card(1, 2)}); // a Two: its suit pile holds the Ace ...
            Put(t.G().SuitDeck[2], {Card(0, 2)});
            Put(t.P(0).OpenDeck, {Card(0, 1)}); // ... and player 0 shows an Ace
            Put(t.P(0).CloseDeck, {Card(7, 0)});
            Put(t.P(1).CloseDeck, {Card(9, 1)});
            t.rules.picTurn_GotFocus();
            const int first = t.view.Calls("AnimateMove").front().args[0];
            QVERIFY(first == Pile::Suit(2).Code() || first == Pile::Open(0).Code());
            (first == Pile::Suit(2).Code() ? toSuit : toPlayer)++;
        }
        QVERIFY2(
            toSuit > 140 && toPlayer > 140,
            qPrintable(QString("%1 to the suit pile, %2 to the player").arg(toSuit).arg(toPlayer)));
    }

    void aSeededGameReplaysMoveForMove() {
        auto play = [](uint32_t seed) {
            Table t(3, {}, seed);
            t.view.defaultPlayers = 6;
            t.rules.SetMoveLimit(100000); // a game that would never end stops, and fails below
            t.rules.mnGameNew_Click();
            return t.view.log;
        };
        const auto a = play(77);
        QCOMPARE(std::count(a.begin(), a.end(), Call{"AskPlayAgain", {}}), 1);
        QVERIFY(a.size() > 100);
        QVERIFY(a == play(77));
        QVERIFY(a != play(78));
    }

    void switchingASeatsMode() {
        Table t(4, {0, 1});
        t.G().CurrentPlayer = 1;
        // The seat whose turn it is cannot be switched: no question at all.
        t.rules.lblPlayer_DblClick(1);
        QCOMPARE(t.view.Count("AskSwitchMode"), 0);

        using enum TableDisplay::Answer;
        const struct {
            int seat;
            TableDisplay::Answer answer;
            int toComputer; // what the question offers
            bool computer;  // after the answer
        } steps[] = {{0, Yes, 1, true}, {0, No, 0, true}, {2, Cancel, 0, true}, {2, Yes, 0, false}};
        for (const auto& s : steps) {
            t.view.switchAnswer = s.answer;
            t.rules.lblPlayer_DblClick(s.seat);
            QCOMPARE(t.view.Calls("AskSwitchMode").back().args,
                     (std::vector<int>{s.seat, s.toComputer}));
            QCOMPARE(bool(t.P(s.seat).Computer), s.computer);
        }

        t.rules.lblPlayer_DblClick(7); // no such seat
        QCOMPARE(t.view.Count("AskSwitchMode"), 4);
    }

    // Hundreds of seeded all-computer games, with the table's invariants checked after every move.
    void manySeededGamesKeepEveryInvariant() {
        for (uint32_t seed = 1; seed <= 540; ++seed) {
            Table t(3, {}, seed);
            t.G().TotalKorvane = static_cast<uint8_t>(MinPenaltyCards + seed % MaxPenaltyCards);
            t.G().KorvanePerTurn = seed % 2 == 0;
            t.G().LastChance = seed % 5 != 0;
            t.view.defaultPlayers =
                static_cast<int>(MinPlayers + seed % (MaxPlayers - MinPlayers + 1));
            // Checked whenever a card has just changed piles (each transfer ends by hiding the
            // drag picture) and before every flight.
            std::string failure;
            t.view.onCall = [&](const Call& c) {
                if (failure.empty() && (c.op == "HideDragPic" || c.op == "AnimateMove"))
                    failure = CheckTable(t.G(), Check::Cards);
            };
            t.rules.SetMoveLimit(100000);

            t.rules.mnGameNew_Click();
            QVERIFY2(failure.empty(),
                     qPrintable(QString("seed %1: %2").arg(seed).arg(failure.c_str())));
            QVERIFY2(t.view.Count("AskPlayAgain") == 1,
                     qPrintable(QString("seed %1 did not finish").arg(seed)));
            // The computer never overlooks a move, so it is never penalised.
            QCOMPARE(t.rules.Stats().penalties, 0u);
            QCOMPARE(t.G().GameState, State::NoGame);
        }
    }

    void aDamagedPositionDoesNotHangTheDriver() {
        // A computer to move holding no card at all, as only a damaged file could give.
        Table t(3, {0});
        t.G().CurrentPlayer = 1;
        Put(t.P(0).CloseDeck, {Card(3, 0)});
        Put(t.P(2).CloseDeck, {Card(3, 1)});
        t.rules.picTurn_GotFocus();
        QCOMPARE(t.G().CurrentPlayer, 0);
    }
};

QTEST_APPLESS_MAIN(TestDriver)
#include "tst_driver.moc"
