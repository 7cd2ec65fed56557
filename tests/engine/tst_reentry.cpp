// Input that arrives while a move is under way: a flight, a tip or a question runs the event
// loop, and the user may click, start a new game, open one or close the window meanwhile.
#include "Table.h"

#include <QTest>

using namespace korvane;
using namespace korvane::test;

class TestReentry : public QObject {
    Q_OBJECT
private slots:
    void newGameFromInsideAComputerFlightStopsTheOldGame() {
        Table t(3, {}, 21);
        auto& [g, view, rules] = t;

        int flights = 0;
        std::size_t newGameEnded = 0;
        view.onCall = [&](const Call& c) {
            if (c.op != "AnimateMove" || ++flights != 5)
                return;
            // The user chooses New Game while the fifth card is in the air.
            view.players = [](GameInfo& G) { SeatPlayers(G, 4, {0, 1, 2, 3}); };
            rules.mnGameNew_Click();
            newGameEnded = view.log.size();
        };
        rules.mnGameNew_Click();

        QVERIFY(newGameEnded > 0);
        // Nothing of the old game was shown after the new one had opened.
        QCOMPARE(view.log.size(), newGameEnded);
        QCOMPARE(view.log.back().op, std::string("GiveTip"));
        // The new game is untouched: dealt, nobody has played, all seats human.
        QCOMPARE(g.Game.PlayerCount, 4);
        QCOMPARE(g.Game.GameState, State::Playing);
        int closed = 0;
        for (const auto& p : g.Game.Player) {
            closed += p.CloseDeck.Count;
            QVERIFY(p.OpenDeck.Empty());
        }
        QCOMPARE(closed, 52);
        QVERIFY(!rules.MoveInProgress());
    }

    void openFromInsideAFlightReplacesTheGame() {
        Table t(3, {}, 23);
        auto& [g, view, rules] = t;

        GameInfo saved = MidGame(3); // three people
        saved.CurrentPlayer = 2;

        bool opened = false;
        view.onCall = [&](const Call& c) {
            if (c.op == "AnimateMove" && !opened) {
                opened = true;
                rules.OpenGame(saved);
            }
        };
        rules.mnGameNew_Click();
        QVERIFY(opened);
        QCOMPARE(g.Game.CurrentPlayer, 2);
        QCOMPARE(g.Game.PlayerCount, 3);
        for (std::size_t p = 0; p < 3; ++p)
            QCOMPARE(g.Game.Player[p].CloseDeck, saved.Player[p].CloseDeck);
        QCOMPARE(view.log.back().op, std::string("GiveTip"));
    }

    void closingTheWindowInAFlightStopsEverything() {
        Table t(3, {}, 24);
        auto& [g, view, rules] = t;
        std::size_t closedAt = 0;
        view.onCall = [&](const Call& c) {
            if (c.op == "AnimateMove" && closedAt == 0) {
                rules.Shutdown();
                closedAt = view.log.size();
            }
        };
        rules.mnGameNew_Click();
        QCOMPARE(view.log.size(), closedAt);
        // Nothing starts after the window has closed.
        rules.mnGameNew_Click();
        rules.picTurn_GotFocus();
        QCOMPARE(view.log.size(), closedAt);
    }

    void clicksAndDropsDuringATipAreIgnored() {
        Table t;
        Put(t.P(0).OpenDeck, {Card(0, 0)});
        Put(t.P(0).CloseDeck, {Card(7, 1), Card(8, 1)});
        Put(t.P(1).CloseDeck, {Card(9, 1)});
        bool tried = false;
        t.view.onCall = [&](const Call& c) {
            if (c.op == "GiveTip" && !tried) {
                tried = true;
                QVERIFY(t.rules.MoveInProgress());
                t.rules.picCloseDeck_Click(0);
            }
        };
        t.rules.picTurn_GotFocus();
        QVERIFY(tried);
        QCOMPARE(t.G().GameState, State::Playing);
        QCOMPARE(t.view.Count("SetDragPic"), 0);
        QVERIFY(!t.rules.MoveInProgress());

        // Afterwards the same click works.
        t.view.onCall = nullptr;
        t.rules.picCloseDeck_Click(0);
        QCOMPARE(t.G().GameState, State::Turned);
    }

    // From the moment a game ends, through the question and the card show, a save holds no
    // game, never a table half cleared.
    void aSaveAtTheEndOfAGameHoldsNoHalfClearedGame() {
        Table t;
        Put(t.G().SuitDeck[0], {Card(0, 0), Card(1, 0)});
        Put(t.P(1).OpenDeck, {Card(5, 2)});
        t.G().LastChance = false;
        std::vector<GameInfo> saves;
        t.view.onCall = [&](const Call& c) {
            if (c.op == "CardShowFlight" || c.op == "AskPlayAgain")
                saves.push_back(t.rules.SaveableRecord());
        };
        t.rules.NextPlayer(10);
        QCOMPARE(saves.size(), std::size_t(3)); // at the question, then at each of two flights
        for (const GameInfo& s : saves)
            QVERIFY(s.GameState == State::NoGame && s.PlayerCount == 0 && s.SuitDeck[0].Empty());
    }

    void aNewGameDuringADropsFlightAbandonsTheDrop() {
        Table t;
        Put(t.P(0).OpenDeck, {Card(0, 0)});
        const uint64_t before = t.rules.Epoch();
        t.view.players = [](GameInfo& G) { SeatPlayers(G, 5, {0, 1, 2, 3, 4}); };
        bool chosen = false;
        t.view.onCall = [&](const Call& c) {
            if (c.op == "AnimateMove" && !chosen) {
                chosen = true;
                QVERIFY(t.rules.MoveInProgress());
                t.rules.mnGameNew_Click(); // chosen while the card was flying
            }
        };
        t.rules.HumanDrop(Pile::Suit(0));
        QVERIFY(chosen);
        QVERIFY(t.rules.Epoch() != before);
        QVERIFY(!t.rules.MoveInProgress());
        QCOMPARE(t.G().PlayerCount, 5);
        // The new game's driver showed the tip last: nothing of the old drop followed it.
        QCOMPARE(t.view.log.back().op, std::string("GiveTip"));
        QCOMPARE(t.rules.Stats().moves, 0u);
    }
};

QTEST_APPLESS_MAIN(TestReentry)
#include "tst_reentry.moc"
