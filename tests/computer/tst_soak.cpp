// Hundreds of seeded all-computer games, with the table's invariants checked after every move.
#include "TableCheck.h"
#include "engine/GameRules.h"
#include "simulator/SilentDisplay.h"

#include <QTest>

using namespace korvane;

namespace {

// Checks the table whenever a card has just changed piles (each transfer ends by hiding the
// drag picture) and before every flight.
class CheckingDisplay : public SilentDisplay {
public:
    using SilentDisplay::SilentDisplay;
    const GameInfo* game = nullptr;
    std::string failure;

    void HideDragPic() override { Check(); }
    bool AnimateMove(uint8_t toPly) override {
        Check();
        return SilentDisplay::AnimateMove(toPly);
    }

private:
    void Check() {
        if (failure.empty())
            failure = test::CheckTable(*game, test::Check::Cards);
    }
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void manySeededGamesKeepEveryInvariant() {
        for (uint32_t seed = 1; seed <= 540; ++seed) {
            mdlGlobal g(SeedSequence(seed));
            g.SetDefaults();
            g.Game.TotalKorvane = static_cast<uint8_t>(1 + seed % 3);
            g.Game.KorvanePerTurn = seed % 2 == 0;
            g.Game.LastChance = seed % 5 != 0;
            CheckingDisplay view(g);
            view.game = &g.Game;
            view.players = static_cast<uint8_t>(3 + seed % 6);
            GameRules rules(g, view);
            rules.SetMoveLimit(100000);

            rules.mnGameNew_Click();
            QVERIFY2(view.failure.empty(),
                     qPrintable(QString("seed %1: %2").arg(seed).arg(view.failure.c_str())));
            QVERIFY2(view.finished, qPrintable(QString("seed %1 did not finish").arg(seed)));
            // The computer never overlooks a move, so it is never penalised.
            QCOMPARE(rules.Stats().penalties, 0u);
            QCOMPARE(g.Game.GameState, State::NoGame);
        }
    }
};

QTEST_APPLESS_MAIN(TestSoak)
#include "tst_soak.moc"
