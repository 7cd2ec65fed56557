// A save at any moment reopens into a game the rules can finish: the property of
// tests/support/SaveAnywhere.h, at a budget of about 500 saves across every kind of moment.
#include "SaveAnywhere.h"

#include <QTest>

#include <numeric>

using namespace korvane;
using namespace korvane::saveanywhere;

class TestSaveAnywhere : public QObject {
    Q_OBJECT
private slots:
    void everySaveReopensIntoAGameTheRulesFinish() {
        // One flight, drop, tip or card-show call in 25 and one penalty flight in 4 are saved,
        // and every question: about 40 saves a game.
        Figures total;
        for (uint32_t seed = 1; seed <= 12; ++seed)
            Run(DrawOptions(seed, 25, 4), total);
        QVERIFY2(total.failures.empty(), total.failures.empty() ? "" : total.failures[0].c_str());

        // At every kind of moment, most files holding a game to play on.
        const uint64_t saves = std::accumulate(total.saves.begin(), total.saves.end(), 0ull);
        QVERIFY2(saves >= 400 && saves <= 700, qPrintable(QString::number(saves)));
        QVERIFY(total.playedToEnd > saves / 2);
        for (std::size_t m = 0; m < MomentCount; ++m)
            QVERIFY2(total.saves[m] > 0, MomentName(Moment(m)));
    }
};

QTEST_APPLESS_MAIN(TestSaveAnywhere)
#include "tst_saveanywhere.moc"
