// Hundreds of seeded all-computer games, with the table's invariants checked after every move.
#include "Table.h"
#include "TableCheck.h"

#include <QTest>

using namespace korvane;
using namespace korvane::test;

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void manySeededGamesKeepEveryInvariant() {
        for (uint32_t seed = 1; seed <= 540; ++seed) {
            Table t(3, {}, seed);
            t.G().TotalKorvane = static_cast<uint8_t>(1 + seed % 3);
            t.G().KorvanePerTurn = seed % 2 == 0;
            t.G().LastChance = seed % 5 != 0;
            t.view.defaultPlayers = static_cast<int>(3 + seed % 6);
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
};

QTEST_APPLESS_MAIN(TestSoak)
#include "tst_soak.moc"
