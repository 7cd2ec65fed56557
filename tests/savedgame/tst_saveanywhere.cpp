// A save at any moment reopens into a game the rules can finish: the property of
// tests/support/SaveAnywhere.h, at a budget of about 500 saves across every kind of moment.
#include "SaveAnywhere.h"

#include <QTest>

#include <numeric>
#include <set>

using namespace korvane;
using namespace korvane::saveanywhere;

class TestSaveAnywhere : public QObject {
    Q_OBJECT
private slots:
    void everySaveReopensIntoAGameTheRulesFinish() {
        // One flight, drop, tip or card-show call in 25 and one penalty flight in 4 are saved,
        // and every question: about 40 saves a game.
        Figures total;
        std::set<int> seats, sizes, perTurn, lastChance;
        for (uint32_t seed = 1; seed <= 12; ++seed) {
            const Options o = DrawOptions(seed, 25, 4);
            seats.insert(o.players);
            sizes.insert(o.totalKorvane);
            perTurn.insert(o.perTurn);
            lastChance.insert(o.lastChance);
            Run(o, total);
        }
        total.failures.resize(std::min<std::size_t>(total.failures.size(), 10));
        QString failures;
        for (const std::string& why : total.failures)
            failures += QString::fromStdString(why) + "\n";
        QVERIFY2(total.failures.empty(), qPrintable(failures));

        // Across the options, at every kind of moment, most files holding a game to play on.
        const uint64_t saves = std::accumulate(total.saves.begin(), total.saves.end(), 0ull);
        QVERIFY2(saves >= 400 && saves <= 700, qPrintable(QString::number(saves)));
        QVERIFY(total.playedToEnd > saves / 2);
        QVERIFY(seats.size() == 6 && sizes.size() == 3 && perTurn.size() == 2 &&
                lastChance.size() == 2);
        for (std::size_t m = 0; m < MomentCount; ++m)
            QVERIFY2(total.saves[m] > 0, MomentName(Moment(m)));
    }
};

QTEST_APPLESS_MAIN(TestSaveAnywhere)
#include "tst_saveanywhere.moc"
