#include "Table.h"
#include "TableCheck.h"

#include <QTest>
#include <set>
#include <vector>

Q_DECLARE_METATYPE(std::vector<int>)

using namespace korvane;
using namespace korvane::test;

class TestDeal : public QObject {
    Q_OBJECT
private slots:
    // A new record's card back is drawn from every design alike; a range of one is that one.
    void defaultsDrawEveryCardBack() {
        mdlGlobal g(SeedSequence(3));
        std::set<int> backs;
        for (int i = 0; i < 2000; ++i) {
            g.SetDefaults();
            QVERIFY(g.Game.DeckBack >= FirstBack && g.Game.DeckBack <= LastBack);
            backs.insert(g.Game.DeckBack);
        }
        QCOMPARE(backs.size(), std::size_t(12));
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(g.RandomInt(0, 0), 0);
    }

    void dealStartsWithThePlayerToMove_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<int>("first");
        QTest::addColumn<std::vector<int>>("counts");
        QTest::newRow("3 from seat 1") << 3 << 1 << std::vector<int>{17, 18, 17};
        QTest::newRow("8 from seat 6") << 8 << 6 << std::vector<int>{7, 7, 6, 6, 6, 6, 7, 7};
    }
    void dealStartsWithThePlayerToMove() {
        QFETCH(int, players);
        QFETCH(int, first);
        QFETCH(std::vector<int>, counts);
        mdlGlobal g(FixedSeed(1));
        SeatPlayers(g.Game, players);
        g.Game.CurrentPlayer = static_cast<uint8_t>(first);
        g.ShuffleAndDeal();
        for (int p = 0; p < players; ++p)
            QCOMPARE(int(g.Game.Player[static_cast<std::size_t>(p)].CloseDeck.Count),
                     counts[static_cast<std::size_t>(p)]);
        QCOMPARE(CheckTable(g.Game, Check::Cards), std::string());
    }

    void newRoundKeepsPlayersAndClearsTheTable() {
        mdlGlobal g(FixedSeed(5));
        SeatPlayers(g.Game, 5, {0, 3});
        g.Game.Player[2].Lost = 3;
        Put(g.Game.SuitDeck[1], {1, 5});
        Put(g.Game.Player[4].OpenDeck, {30});
        g.Game.MistakeMade = true;
        g.Game.MoveAvailable = true;
        g.NewRound();
        QCOMPARE(g.Game.GameState, State::Dealt);
        QVERIFY(g.Game.CurrentPlayer < 5);
        QCOMPARE(g.Game.Player[2].Lost, 3);
        QVERIFY(!g.Game.Player[0].Computer && g.Game.Player[1].Computer);
        QCOMPARE(g.Game.Player[3].TrimmedName(), std::string("Player 4"));
        QVERIFY(!g.Game.MistakeMade && !g.Game.MoveAvailable);
        for (const auto& s : g.Game.SuitDeck)
            QVERIFY(s.Empty());
        for (const auto& p : g.Game.Player)
            QVERIFY(p.OpenDeck.Empty() && p.CloseDeck.Count >= 10);
        QCOMPARE(CheckTable(g.Game, Check::Cards), std::string());
    }

    void newGameDealsPaintsThenOpensPlay() {
        Table t(3, {}, 11);
        auto& [g, view, rules] = t;
        view.players = [](GameInfo& G) { SeatPlayers(G, 4, {0, 1, 2, 3}); };
        rules.mnGameNew_Click();

        QCOMPARE(g.Game.GameState, State::Playing);
        QCOMPARE(g.Game.PlayerCount, 4);
        // All seats human: play opens with the tip for the first player.
        QCOMPARE(view.log, (std::vector<Call>{{"AskPlayers", {}},
                                              {"SetCaption", {1}},
                                              {"Form_Resize", {}},
                                              {"PaintForm", {}},
                                              {"GiveTip", {}}}));
    }

    void newGameCancelledWithNoGameLeavesAnEmptyTable() {
        Table t;
        auto& [g, view, rules] = t;
        ResetGame(g.Game);
        view.players = [](GameInfo& G) { ResetGame(G); };
        rules.mnGameNew_Click();
        QCOMPARE(g.Game.PlayerCount, 0);
        QCOMPARE(g.Game.GameState, State::NoGame);
        QCOMPARE(view.log, (std::vector<Call>{{"AskPlayers", {}}, {"SetCaption", {0}}}));
    }

    void newGameCancelledDuringAGameChangesNothing() {
        Table t;
        auto& [g, view, rules] = t;
        g.Game = MidGame(3);
        const uint64_t epoch = rules.Epoch();
        view.players = [](GameInfo&) {}; // the dialog cancelled during play writes nothing
        rules.mnGameNew_Click();
        // The game is left alone: it keeps its epoch, so a move under way would go on.
        QCOMPARE(Difference(g.Game, MidGame(3)), std::string());
        QCOMPARE(rules.Epoch(), epoch);
        QCOMPARE(view.log, (std::vector<Call>{{"AskPlayers", {}}}));
    }
};

QTEST_APPLESS_MAIN(TestDeal)
#include "tst_deal.moc"
