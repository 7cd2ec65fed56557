// Hundreds of seeded all-computer games, with the table's invariants checked after every move.
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
    uint64_t checks = 0;
    std::string failure;

    void HideDragPic() override { Check(); }
    bool AnimateMove(uint8_t toPly) override {
        Check();
        return SilentDisplay::AnimateMove(toPly);
    }

private:
    void Fail(const std::string& why) {
        if (failure.empty())
            failure = why;
    }
    void CheckPile(const CardDeck& d, std::array<int, 52>& seen) {
        for (int i = 0; i < 53; ++i) {
            const uint8_t c = d.Card[static_cast<std::size_t>(i)];
            if (i < d.Count) {
                if (c >= 52)
                    return Fail("a slot below Count holds no card");
                ++seen[c];
            } else if (c != EmptySlot) {
                return Fail("an unused slot does not hold 52");
            }
        }
    }
    void Check() {
        const GameInfo& G = *game;
        if (G.PlayerCount == 0)
            return;
        ++checks;
        std::array<int, 52> seen{};
        for (std::size_t s = 0; s < 4; ++s) {
            const CardDeck& pile = G.SuitDeck[s];
            CheckPile(pile, seen);
            for (int i = 0; i < pile.Count; ++i)
                if (pile.Card[static_cast<std::size_t>(i)] != i * 4 + static_cast<int>(s))
                    Fail("a suit pile out of suit or order");
        }
        for (std::size_t p = 0; p < G.PlayerCount; ++p) {
            CheckPile(G.Player[p].CloseDeck, seen);
            CheckPile(G.Player[p].OpenDeck, seen);
        }
        for (int n : seen)
            if (n != 1)
                Fail("a card is missing or twice on the table");
    }
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void manySeededGamesKeepEveryInvariant() {
        uint64_t checks = 0;
        int games = 0;
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
            checks += view.checks;
            ++games;
        }
        QCOMPARE(games, 540);
        QVERIFY(checks > 540u * 52u);
    }
};

QTEST_APPLESS_MAIN(TestSoak)
#include "tst_soak.moc"
