#include "movement/FlightPath.h"

#include <QTest>
#include <cmath>
#include <utility>
#include <vector>

using namespace korvane;

namespace {

using Calls = std::vector<std::pair<int32_t, int32_t>>;

// Answers from a script (then Low) and remembers what it was asked.
RandomSource Scripted(std::vector<int32_t> answers, Calls& asked) {
    return [answers = std::move(answers), &asked](int32_t lo, int32_t hi) {
        asked.emplace_back(lo, hi);
        return asked.size() <= answers.size() ? answers[asked.size() - 1] : lo;
    };
}

FlightOptions Options(int32_t step, bool straight = true, int32_t pathPoints = 2) {
    return FlightOptions{step, 1, straight, pathPoints};
}

} // namespace

class TestFlightPath : public QObject {
    Q_OBJECT
private slots:
    void straightFlights() {
        Calls asked;
        // Every position lies on a half: each goes up, below zero too.
        FlightPlan plan =
            PlanFlight(-30.5f, -1.5f, 69.5f, -1.5f, Options(15), 800, 600, Scripted({}, asked));
        const std::vector<FlightPoint> expected{{-30, -1}, {-15, -1}, {0, -1},  {15, -1},
                                                {30, -1},  {45, -1},  {60, -1}, {69.5f, -1.5f}};
        QCOMPARE(plan.points, expected);
        QVERIFY(plan.controls.empty() && asked.empty());
        // Shorter than one step: the start, then the destination. No distance: nothing.
        plan = PlanFlight(10, 10, 16, 18, Options(15), 800, 600, {});
        QCOMPARE(plan.points, (std::vector<FlightPoint>{{10, 10}, {16, 18}}));
        QVERIFY(PlanFlight(100, 100, 100, 100, Options(15), 800, 600, {}).points.empty());
        // A step below 1 (a damaged saved game) counts as 1.
        for (int32_t step : {0, -7}) {
            plan = PlanFlight(0, 0, 30, 40, Options(step), 800, 600, {});
            QCOMPARE(plan.points.size(), std::size_t{52}); // 0..50, then the destination
            QCOMPARE(plan.points[1], (FlightPoint{1, 1})); // (0.6, 0.8) rounded
        }
    }

    void curvedFlights() {
        Calls asked;
        const FlightPlan plan = PlanFlight(100, 300, 400, 700, Options(15, false), 800, 600,
                                           Scripted({700, 20, 5, 590}, asked));
        QCOMPARE(asked, (Calls{{0, 800}, {0, 600}, {0, 800}, {0, 600}}));
        QCOMPARE(plan.controls,
                 (std::vector<FlightPoint>{{100, 300}, {700, 20}, {5, 590}, {400, 700}}));
        // As many steps as a straight flight over (sqrt 2 + 1) times the distance (500).
        const float length = (std::sqrt(2.0f) + 1.0f) * 500.0f;
        QCOMPARE(plan.points.size(),
                 PlanFlight(0, 0, length, 0, Options(15), 0, 0, {}).points.size());
        QCOMPARE(plan.points.front(), (FlightPoint{100, 300}));
        QCOMPARE(plan.points.back(), (FlightPoint{400, 700}));
        // A Bezier curve stays in the box of its control points; it is not rounded.
        bool fractional = false;
        for (const FlightPoint& p : plan.points) {
            QVERIFY(p.x >= 5 && p.x <= 700 && p.y >= 20 && p.y <= 700);
            fractional = fractional || p.x != std::floor(p.x);
        }
        QVERIFY(fractional);

        float x = 0;
        float y = 0;
        CurvePoint(x, y, 0.5f, {0, 0, 10, 10}, {0, 10, 10, 0}, BinomialCoefficients(3));
        QCOMPARE(x, 5.0f);
        QCOMPARE(y, 7.5f);

        // PathPoints 0 flies straight even with curves chosen.
        asked.clear();
        QCOMPARE(
            PlanFlight(3, 4, 250, 90, Options(15, false, 0), 800, 600, Scripted({}, asked)).points,
            PlanFlight(3, 4, 250, 90, Options(15), 800, 600, {}).points);
        QVERIFY(asked.empty());
    }

    void findEndPoint() {
        int32_t mX = 0;
        int32_t mY = 0;
        FindEndPoint(300, 200, 0.5f, mX, mY, 71, 96);
        QCOMPARE(std::make_pair(mX, mY), std::make_pair(308, 154));
        FindEndPoint(-50, -400, 2.0f, mX, mY, 71, 96);
        QCOMPARE(std::make_pair(mX, mY), std::make_pair(-129, -258));
        // Halves go to the even neighbour: 0.25 * 18 = 4.5, 0.75 * 18 = 13.5.
        FindEndPoint(10, 100, 0.25f, mX, mY, 71, 96);
        QCOMPARE(mY, 4);
        FindEndPoint(10, 100, 0.75f, mX, mY, 71, 96);
        QCOMPARE(mY, 14);
        // Steep: the horizontal edge first. Level: the side edge.
        FindEndPoint(300, 100, 4.0f, mX, mY, 71, 96);
        QCOMPARE(std::make_pair(mX, mY), std::make_pair(27, 108));
        FindEndPoint(-20, 50, 0.0f, mX, mY, 71, 96);
        QCOMPARE(std::make_pair(mX, mY), std::make_pair(-99, 0));
    }

    void cardShowEndPoint() {
        Calls asked;
        // Same x, then same y, then a usable point: slope 0.5 towards the lower right.
        const FlightPoint end = CardShowEndPoint(100, 200, 800, 600, 71, 96,
                                                 Scripted({100, 50, 300, 200, 300, 300}, asked));
        QCOMPARE(asked.size(), std::size_t{6});
        QCOMPARE(end, (FlightPoint{808, 554}));
        // A table of no size offers no other point: no endless drawing.
        asked.clear();
        const FlightPoint off = CardShowEndPoint(0, 0, 0, 0, 71, 96, Scripted({}, asked));
        QVERIFY(asked.empty() && off.x >= 8);
    }

    void settingsFollowTheMover() {
        GameInfo g;
        g.PlayerCount = 3;
        g.Player.resize(3);
        g.GameState = State::Playing;
        g.MoveStep = {15, 40};
        g.MoveSpeed = {1, 9};
        g.CurrentPlayer = 1;
        QCOMPARE(FlightSettingsIndex(g), 0);
        g.Player[1].Computer = true;
        QCOMPARE(FlightOptionsFor(g).step, 40);
        QCOMPARE(FlightOptionsFor(g).wait, 9);
        g.GameState = State::Penalty; // penalty cards fly at the human pace
        QCOMPARE(FlightSettingsIndex(g), 0);
        g.Player.clear(); // no players at all
        QCOMPARE(FlightSettingsIndex(g), 0);
    }
};

QTEST_APPLESS_MAIN(TestFlightPath)
#include "tst_FlightPath.moc"
