#include "movement/DragFlight.h"

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

using namespace korvane;

namespace {

// A counter that is read near its wrap and moves on by `stride` at every reading.
struct SteppingTicks {
    uint32_t now;
    uint32_t stride;
    int reads = 0;
    TickSource Source() {
        return [this] {
            ++reads;
            const uint32_t t = now;
            now += stride; // wraps
            return t;
        };
    }
};

bool BusyPointerShown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c != nullptr && c->shape() == Qt::WaitCursor;
}

FlightPlan StraightPlan(float cX, float cY, float dx, float dy) {
    return PlanFlight(cX, cY, dx, dy, FlightOptions{}, 800, 600, {});
}

} // namespace

class TestDragFlight : public QObject {
    Q_OBJECT
private slots:
    void pauseCrossesTheCounterWrap() {
        SteppingTicks ticks{0xFFFFFFF0u, 3};
        const uint32_t start = ticks.now;
        QVERIFY(Pause(40, {}, ticks.Source()));
        const uint32_t lastRead = ticks.now - ticks.stride;
        QVERIFY(lastRead < start);                  // the counter did wrap
        QVERIFY(uint32_t(lastRead - start) >= 40u); // and the full time passed
        QVERIFY(ticks.reads <= 40 / 3 + 2);         // without extra rounds
    }

    void pauseRunsPendingEventsEvenForNoTime() {
        for (int32_t ms : {0, -5, 3}) {
            bool ran = false;
            QTimer::singleShot(0, this, [&] { ran = true; });
            QVERIFY(Pause(ms));
            QVERIFY(ran);
        }
    }

    void pauseStopsWhenAborted() {
        bool replaced = false;
        QTimer::singleShot(5, this, [&] { replaced = true; });
        // Without the abort this would wait a minute and report the full time.
        QVERIFY(!Pause(60000, [&] { return replaced; }));
        QVERIFY(replaced);
    }

    void flightShowsEveryStepUnderTheBusyPointer() {
        const FlightPlan plan = StraightPlan(0, 0, 60, 80);
        std::vector<FlightPoint> shown;
        std::vector<int32_t> waits;
        bool busyThroughout = true;
        const bool arrived = FlyPlan(
            plan, 7,
            [&](FlightPoint p) {
                shown.push_back(p);
                busyThroughout = busyThroughout && BusyPointerShown();
            },
            [&](int32_t ms) {
                waits.push_back(ms);
                return true;
            });
        QVERIFY(arrived);
        QCOMPARE(shown, plan.points);
        QCOMPARE(waits, std::vector<int32_t>(plan.points.size() - 1, 7)); // none after arrival
        QVERIFY(busyThroughout);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void abortedFlightStopsWhereItIs() {
        const FlightPlan plan = StraightPlan(0, 0, 300, 0);
        std::vector<FlightPoint> shown;
        int pauses = 0;
        bool replaced = false;
        const bool arrived = FlyPlan(
            plan, 1, [&](FlightPoint p) { shown.push_back(p); },
            [&](int32_t) {
                replaced = ++pauses == 3;
                return true;
            },
            [&] { return replaced; });
        QVERIFY(!arrived);
        QCOMPARE(shown.size(), std::size_t{3});
        QVERIFY(!(shown.back() == plan.points.back()));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void widgetFliesToItsDestination() {
        QWidget table;
        table.resize(800, 600);
        auto* pic = new QWidget(&table);
        pic->setGeometry(100, 100, 71, 96);
        GameInfo game;
        game.MoveSpeed = {0, 0};

        // Nowhere to go: nothing moves, the pointer is left alone.
        QVERIFY(MoveDragPic(*pic, 100, 100, 100, 100, game, table.size(), {}));
        QCOMPARE(pic->pos(), QPoint(100, 100));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        game.StraightPath = false;
        int draws = 0;
        QVERIFY(MoveDragPic(*pic, 100, 100, 520.4f, 330.6f, game, table.size(),
                            [&](int32_t lo, int32_t) {
                                ++draws;
                                return lo;
                            }));
        QCOMPARE(pic->pos(), QPoint(520, 331));
        QCOMPARE(draws, 4);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void flightEndsWhenTheWidgetGoes() {
        QWidget table;
        QPointer<QWidget> pic = new QWidget(&table);
        GameInfo game;
        QTimer::singleShot(0, pic, [&] { delete pic.data(); });
        QVERIFY(!MoveDragPic(*pic, 0, 0, 600, 0, game, QSize(800, 600), {}));
        QVERIFY(pic.isNull());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // Last: once the application is told to exit, no event loop of this process runs again.
    void pauseReturnsWhenTheApplicationExits() {
        QTimer::singleShot(5, qApp, [] { QCoreApplication::exit(0); });
        QVERIFY(!Pause(60000));
    }
};

QTEST_MAIN(TestDragFlight)
#include "tst_DragFlight.moc"
