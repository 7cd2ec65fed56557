#include "movement/FlightPath.h"

#include <QTest>
#include <cmath>
#include <utility>
#include <vector>

using namespace korvane;

namespace {

// A random source that answers from a script and remembers what it was asked.
struct ScriptedRandom {
    std::vector<int32_t> answers;
    std::vector<std::pair<int32_t, int32_t>> asked;
    std::size_t next = 0;
    ScriptedRandom() = default;
    explicit ScriptedRandom(std::vector<int32_t> script) : answers(std::move(script)) {}
    RandomSource Source() {
        return [this](int32_t lo, int32_t hi) {
            asked.emplace_back(lo, hi);
            return next < answers.size() ? answers[next++] : lo;
        };
    }
};

FlightOptions Straight(int32_t step) {
    FlightOptions o;
    o.step = step;
    return o;
}

GameInfo GameWithPlayers(int count) {
    GameInfo g;
    g.PlayerCount = static_cast<uint8_t>(count);
    g.Player.resize(static_cast<std::size_t>(count));
    g.GameState = State::Playing;
    return g;
}

} // namespace

class TestFlightPath : public QObject {
    Q_OBJECT
private slots:
    void straightFlightsStepAndRoundHalfUp() {
        ScriptedRandom rnd;
        // Every position lies on a half, so each shows the rounding: up, also below zero.
        FlightPlan plan =
            PlanFlight(-30.5f, -1.5f, 69.5f, -1.5f, Straight(15), 800, 600, rnd.Source());
        const std::vector<FlightPoint> expected{{-30, -1}, {-15, -1}, {0, -1},  {15, -1},
                                                {30, -1},  {45, -1},  {60, -1}, {69.5f, -1.5f}};
        QCOMPARE(plan.points, expected);
        QVERIFY(plan.controls.empty());
        QVERIFY(rnd.asked.empty());

        // Shorter than one step: the start, then the destination.
        plan = PlanFlight(10, 10, 16, 18, Straight(15), 800, 600, rnd.Source());
        QCOMPARE(plan.points, (std::vector<FlightPoint>{{10, 10}, {16, 18}}));

        // No distance, no flight.
        plan = PlanFlight(100, 100, 100, 100, Straight(15), 800, 600, rnd.Source());
        QVERIFY(plan.points.empty());
    }

    void damagedStepCountsAsOne() {
        for (int32_t step : {0, -7}) {
            const FlightPlan plan = PlanFlight(0, 0, 30, 40, Straight(step), 800, 600, {});
            QCOMPARE(plan.points.size(), std::size_t{52}); // 0..50, then the destination
            QCOMPARE(plan.points[1], (FlightPoint{1, 1})); // (0.6, 0.8) rounded
            QCOMPARE(plan.points.back(), (FlightPoint{30, 40}));
        }
    }

    void curvedFlightBendsThroughRandomPoints() {
        ScriptedRandom rnd({700, 20, 5, 590});
        FlightOptions o = Straight(15);
        o.straightPath = false;
        o.pathPoints = 2;
        const FlightPlan plan = PlanFlight(100, 300, 400, 700, o, 800, 600, rnd.Source());

        const std::vector<std::pair<int32_t, int32_t>> asked{
            {0, 800}, {0, 600}, {0, 800}, {0, 600}};
        QCOMPARE(rnd.asked, asked);
        const std::vector<FlightPoint> controls{{100, 300}, {700, 20}, {5, 590}, {400, 700}};
        QCOMPARE(plan.controls, controls);

        // As many steps as a straight flight over (sqrt 2 + 1) times the distance (500).
        const float length = (std::sqrt(2.0f) + 1.0f) * 500.0f;
        const FlightPlan straight = PlanFlight(0, 0, length, 0, Straight(15), 800, 600, {});
        QCOMPARE(plan.points.size(), straight.points.size());
        QCOMPARE(plan.points.front(), (FlightPoint{100, 300}));
        QCOMPARE(plan.points.back(), (FlightPoint{400, 700}));
        // A Bezier curve never leaves the box of its control points, and it is not rounded.
        bool fractional = false;
        for (const FlightPoint& p : plan.points) {
            QVERIFY(p.x >= 5 && p.x <= 700 && p.y >= 20 && p.y <= 700);
            fractional = fractional || p.x != std::floor(p.x);
        }
        QVERIFY(fractional);
    }

    void pathPointsZeroFliesStraight() {
        ScriptedRandom rnd;
        FlightOptions o = Straight(15);
        o.straightPath = false;
        o.pathPoints = 0;
        const FlightPlan curved = PlanFlight(3, 4, 250, 90, o, 800, 600, rnd.Source());
        QCOMPARE(curved.points, PlanFlight(3, 4, 250, 90, Straight(15), 800, 600, {}).points);
        QVERIFY(rnd.asked.empty());
    }

    void curvePointAndCoefficients() {
        QCOMPARE(BinomialCoefficients(4), (std::vector<double>{1, 4, 6, 4, 1}));
        const std::vector<double> wide = BinomialCoefficients(100); // PathPoints 99
        double sum = 0;
        for (double c : wide) {
            sum += c;
        }
        QCOMPARE(sum, std::ldexp(1.0, 100));

        const std::vector<float> px{0, 0, 10, 10};
        const std::vector<float> py{0, 10, 10, 0};
        const std::vector<double> coef = BinomialCoefficients(3);
        float x = -1;
        float y = -1;
        CurvePoint(x, y, 0.5f, px, py, coef);
        QCOMPARE(x, 5.0f);
        QCOMPARE(y, 7.5f);
        CurvePoint(x, y, 1.0f, px, py, coef);
        QCOMPARE(x, 10.0f);
        QCOMPARE(y, 0.0f);
    }

    void findEndPointLeavesTheTable() {
        int32_t mX = 0;
        int32_t mY = 0;
        FindEndPoint(300, 200, 0.5f, mX, mY, 71, 96);
        QCOMPARE(mX, 308);
        QCOMPARE(mY, 154);
        FindEndPoint(-50, -400, 2.0f, mX, mY, 71, 96);
        QCOMPARE(mX, -129);
        QCOMPARE(mY, -258);
        // Halves go to the even neighbour: 0.25 * 18 = 4.5, 0.75 * 18 = 13.5.
        FindEndPoint(10, 100, 0.25f, mX, mY, 71, 96);
        QCOMPARE(mY, 4);
        FindEndPoint(10, 100, 0.75f, mX, mY, 71, 96);
        QCOMPARE(mY, 14);
        // Steep: the horizontal edge first.
        FindEndPoint(300, 100, 4.0f, mX, mY, 71, 96);
        QCOMPARE(mX, 27); // 108 / 4
        QCOMPARE(mY, 108);
        // A level flight (slope 0) ends beyond the side edge.
        FindEndPoint(-20, 50, 0.0f, mX, mY, 71, 96);
        QCOMPARE(mX, -99);
        QCOMPARE(mY, 0);
    }

    void cardShowRedrawsUntilBothCoordinatesDiffer() {
        // Same x, then same y, then a usable point: slope 0.5 towards the lower right.
        ScriptedRandom rnd({100, 50, 300, 200, 300, 300});
        const FlightPoint end = CardShowEndPoint(100, 200, 800, 600, 71, 96, rnd.Source());
        QCOMPARE(rnd.asked.size(), std::size_t{6});
        QCOMPARE(end, (FlightPoint{808, 554}));

        // No other point exists on a table of no size: no endless drawing.
        ScriptedRandom none;
        const FlightPoint off = CardShowEndPoint(0, 0, 0, 0, 71, 96, none.Source());
        QVERIFY(none.asked.empty());
        QVERIFY(off.x >= 8 || off.y >= 8);
    }

    void settingsFollowTheMover() {
        GameInfo g = GameWithPlayers(3);
        g.MoveStep = {15, 40};
        g.MoveSpeed = {1, 9};
        g.CurrentPlayer = 1;
        QCOMPARE(FlightSettingsIndex(g), 0);
        g.Player[1].Computer = true;
        QCOMPARE(FlightSettingsIndex(g), 1);
        QCOMPARE(FlightOptionsFor(g).step, 40);
        QCOMPARE(FlightOptionsFor(g).wait, 9);
        g.GameState = State::Penalty; // penalty cards fly at the human pace
        QCOMPARE(FlightOptionsFor(g).step, 15);
        QCOMPARE(FlightOptionsFor(g).wait, 1);
        g.GameState = State::Playing;
        g.StraightPath = false;
        g.PathPoints = 7;
        QVERIFY(!FlightOptionsFor(g).straightPath);
        QCOMPARE(FlightOptionsFor(g).pathPoints, 7);
        // No players at all: human settings, no crash.
        g.PlayerCount = 0;
        g.Player.clear();
        QCOMPARE(FlightSettingsIndex(g), 0);
    }
};

QTEST_APPLESS_MAIN(TestFlightPath)
#include "tst_FlightPath.moc"
