// Input that arrives while a move is under way: a flight, a tip or a question runs the event
// loop, and the user may click, start a new game, open one or close the window meanwhile.
#include "Table.h"
#include "TableCheck.h"

#include <QTest>

using namespace korvane;
using namespace korvane::test;

class TestReentry : public QObject {
    Q_OBJECT
private slots:
    // New Game, Open or the window closing, chosen while a computer's or a person's card is in
    // the air: nothing of the old move is done or shown once the game has been replaced, no move
    // is left running, and what replaced the game is as it was made.
    void replacingTheGameInAFlightStopsTheOldMove() {
        GameInfo saved = MidGame(3); // three people
        saved.CurrentPlayer = 2;
        enum What { New, Open, Close };
        const struct {
            What what;
            bool drop; // a person's drop flies; otherwise the first computer move of a new game
        } cases[] = {{New, false}, {New, true}, {Open, false}, {Close, false}};
        for (const auto& c : cases) {
            Table t(3, {}, 21); // three computers
            Put(t.P(0).OpenDeck, {Card(0, 0)});
            std::size_t replacedAt = 0;
            t.view.onCall = [&](const Call& call) {
                if (call.op != "AnimateMove" || replacedAt > 0)
                    return;
                QVERIFY(t.rules.MoveInProgress());
                t.view.players = [](GameInfo& G) { SeatPlayers(G, 4, {0, 1, 2, 3}); };
                if (c.what == New)
                    t.rules.mnGameNew_Click();
                else if (c.what == Open)
                    t.rules.OpenGame(saved);
                else
                    t.rules.Shutdown();
                replacedAt = t.view.log.size();
            };
            if (c.drop)
                t.rules.HumanDrop(Pile::Suit(0));
            else
                t.rules.mnGameNew_Click();

            QVERIFY(replacedAt > 0);
            QCOMPARE(t.view.log.size(), replacedAt);
            QVERIFY(!t.rules.MoveInProgress());
            QCOMPARE(t.rules.Stats().moves, 0u);
            if (c.what == New) { // dealt to four people
                QCOMPARE(t.G().PlayerCount, 4);
                QCOMPARE(CheckTable(t.G(), Check::Between), std::string());
            } else if (c.what == Open) {
                QCOMPARE(Difference(t.G(), saved), std::string());
            } else { // nothing starts after the window has closed
                t.rules.mnGameNew_Click();
                t.rules.picTurn_GotFocus();
                QCOMPARE(t.view.log.size(), replacedAt);
            }
        }
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
        t.rules.NextPlayer(Pile::Open(0).Code());
        QCOMPARE(saves.size(), std::size_t(3)); // at the question, then at each of two flights
        for (const GameInfo& s : saves)
            QVERIFY(s.GameState == State::NoGame && s.PlayerCount == 0 && s.SuitDeck[0].Empty());
    }
};

QTEST_APPLESS_MAIN(TestReentry)
#include "tst_reentry.moc"
