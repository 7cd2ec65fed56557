#include "movement/DragFlight.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <vector>

using namespace korvane;

namespace {

bool BusyPointerShown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c != nullptr && c->shape() == Qt::WaitCursor;
}

} // namespace

class TestDragFlight : public QObject {
    Q_OBJECT
private slots:
    void pauses() {
        // A counter read just before its wrap, moving on by 3 at every reading.
        uint32_t now = 0xFFFFFFF0u;
        int reads = 0;
        QVERIFY(Pause(40, {}, [&] { return ++reads, now += 3, now - 3; }));
        const uint32_t lastRead = now - 3;
        QVERIFY(lastRead < 0xFFFFFFF0u);                  // the counter did wrap
        QVERIFY(uint32_t(lastRead - 0xFFFFFFF0u) >= 40u); // and the full time passed
        QVERIFY(reads <= 40 / 3 + 2);                     // without extra rounds

        // Pending events run even when there is no time to wait.
        for (int32_t ms : {0, -5}) {
            bool ran = false;
            QTimer::singleShot(0, this, [&] { ran = true; });
            QVERIFY(Pause(ms) && ran);
        }

        // A replaced game ends the pause at once (else a minute and true).
        bool replaced = false;
        QTimer::singleShot(5, this, [&] { replaced = true; });
        QVERIFY(!Pause(60000, [&] { return replaced; }));
    }

    void flightSteps() {
        const FlightPlan plan = PlanFlight(0, 0, 300, 0, FlightOptions{}, 800, 600, {});
        std::vector<FlightPoint> shown;
        std::vector<int32_t> waits;
        bool busy = true;
        const auto record = [&](FlightPoint p) {
            shown.push_back(p);
            busy = busy && BusyPointerShown();
        };
        QVERIFY(FlyPlan(plan, 7, record, [&](int32_t ms) { return waits.push_back(ms), true; }));
        QCOMPARE(shown, plan.points);
        QCOMPARE(waits, std::vector<int32_t>(plan.points.size() - 1, 7)); // none after arrival
        QVERIFY(busy);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // Replaced after the third step: no further placing, the pointer restored.
        shown.clear();
        int pauses = 0;
        QVERIFY(!FlyPlan(
            plan, 1, record, [&](int32_t) { return ++pauses, true; }, [&] { return pauses == 3; }));
        QCOMPARE(shown.size(), std::size_t{3});
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void widgetFlights() {
        QWidget table;
        table.resize(800, 600);
        QPointer<QWidget> pic = new QWidget(&table);
        pic->setGeometry(100, 100, 71, 96);
        GameInfo game;
        game.MoveSpeed = {0, 0};

        // Nowhere to go: nothing moves, the pointer is left alone.
        QVERIFY(MoveDragPic(*pic, 100, 100, 100, 100, game, table.size(), {}));
        QCOMPARE(pic->pos(), QPoint(100, 100));

        game.StraightPath = false;
        int draws = 0;
        const auto random = [&](int32_t lo, int32_t) { return ++draws, lo; };
        QVERIFY(MoveDragPic(*pic, 100, 100, 520.4f, 330.6f, game, table.size(), random));
        QCOMPARE(pic->pos(), QPoint(520, 331));
        QCOMPARE(draws, 4);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // The picture destroyed by an event during the flight ends it safely.
        QTimer::singleShot(0, pic, [&] { delete pic.data(); });
        QVERIFY(!MoveDragPic(*pic, 0, 0, 600, 0, game, table.size(), {}));
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
