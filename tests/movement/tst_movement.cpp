// Where a dropped card lands and how a card flies there.
#include "Table.h"
#include "movement/DragFlight.h"
#include "movement/DropTarget.h"
#include "movement/FramePacing.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

using namespace korvane;
using test::Card;
using test::Put;

namespace {

constexpr int W = 71, H = 96;

// Four players, player 0 to move; suit piles in a row at the top, open piles in a row below.
struct DropTable : test::Table {
    DropLayout layout;
    GameInfo& game = G();
    DropTable() : Table(4) {
        for (int i = 0; i < 4; ++i) {
            layout.suitPiles[static_cast<std::size_t>(i)] = QRect(100 + i * 160, 10, W, H);
            layout.openPiles.push_back(QRect(100 + i * 160, 400, W, H));
        }
    }
    // The pile a drop lands on.
    Pile Drop(uint8_t c, QRect drag) {
        layout.drag = drag;
        return OverLap(layout, c, game);
    }
};

using Calls = std::vector<std::pair<int32_t, int32_t>>;
using Points = std::vector<FlightPoint>;

// Answers from a script (then Low) and remembers what it was asked.
RandomSource Scripted(std::vector<int32_t> answers, Calls& asked) {
    return [answers = std::move(answers), &asked](int32_t lo, int32_t hi) {
        asked.emplace_back(lo, hi);
        return asked.size() <= answers.size() ? answers[asked.size() - 1] : lo;
    };
}

// Where the card was each time the table was drawn (its old place is drawn over).
struct PaintSpy : QObject {
    PaintSpy(QWidget& table, QWidget& pic) : pic_(pic) { table.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            at = pic_.pos();
        return false;
    }
    QPoint at{-1, -1};
    QWidget& pic_;
};

} // namespace

class TestMovement : public QObject {
    Q_OBJECT
private slots:
    void suitAndPlayersPiles() {
        DropTable t;
        const QRect pile = t.layout.suitPiles[0];
        QCOMPARE(OverlapArea(pile, QRect(171, 10, W, H)), 0.0f);               // touching edges
        QCOMPARE(OverlapArea(pile, QRect(99, 9, W + 2, H + 2)), float(W * H)); // larger, around
        // 3 x 10 = 30 square pixels of suit pile 0, 7 x 10 = 70 of suit pile 1.
        t.layout.suitPiles[1] = QRect(232, 10, W, H);
        const QRect between(168, 96, W, H);
        Put(t.game.SuitDeck[1], {Card(0, 1), Card(1, 1)});
        QCOMPARE(t.Drop(Card(2, 1), between), Pile::Suit(1));
        QCOMPARE(t.Drop(Card(3, 1), between), Pile::None()); // not the next rank
        Put(t.game.SuitDeck[0], {Card(0, 0)}); // only the less covered pile would take it
        QCOMPARE(t.Drop(Card(1, 0), between), Pile::None());

        // Any ace on an empty suit pile (the window swaps the pile pictures), nothing else.
        const QRect onPile2 = t.layout.suitPiles[2];
        QCOMPARE(t.Drop(Card(0, 3), onPile2), Pile::Suit(2));
        QCOMPARE(t.Drop(Card(1, 2), onPile2), Pile::None());
        QCOMPARE(t.Drop(54, onPile2), Pile::None()); // a card back while penalty cards fly
        QCOMPARE(t.Drop(Card(0, 3), QRect(20, 250, W, H)), Pile::None()); // over nothing

        DropTable p; // players' piles
        const QRect onOpen2 = p.layout.openPiles[2];
        const uint8_t seven = Card(6, 3);
        QCOMPARE(p.Drop(seven, onOpen2), Pile::None()); // empty pile
        Put(p.game.Player[2].OpenDeck, {Card(5, 0)});
        for (const auto& [top, expected] :
             {std::pair{5, Pile::Open(2)}, {4, Pile::None()}, {7, Pile::None()}}) {
            p.game.Player[2].OpenDeck.Card[0] = Card(top, 3);
            QCOMPARE(p.Drop(seven, onOpen2), expected);
        }

        // Player 1's pile barely covered, player 3's almost fully: only player 1 counts.
        p.layout.openPiles[3] = QRect(331, 400, W, H);
        const QRect across(321, 400, W, H);
        Put(p.game.Player[3].OpenDeck, {Card(3, 0)});
        QCOMPARE(p.Drop(Card(4, 1), across), Pile::None());
        Put(p.game.Player[1].OpenDeck, {Card(3, 2)});
        QCOMPARE(p.Drop(Card(4, 1), across), Pile::Open(1));
    }

    // A turned card goes to the own pile only when no suit pile takes it; a tie goes to the
    // player holding fewer cards.
    void turnedCardAndTies() {
        DropTable t;
        t.game.GameState = State::Turned;
        t.layout.openPiles[0] = QRect(580, 120, W, H); // under suit pile 3, covered more
        const QRect drag(580, 80, W, H);
        Put(t.game.Player[0].OpenDeck, {Card(11, 1)}); // no rank rule on the own pile
        QCOMPARE(t.Drop(Card(0, 1), drag), Pile::Suit(3));
        Put(t.game.SuitDeck[3], {Card(0, 3)});
        QCOMPARE(t.Drop(Card(2, 1), drag), Pile::Open(0));

        DropTable s; // suit pile 0 and player 1's pile stacked; the card covers 41 rows of each
        s.layout.openPiles[1] = QRect(100, 120, W, H);
        Put(s.game.SuitDeck[0], {Card(0, 0)});
        Put(s.game.Player[1].OpenDeck, {Card(0, 3)});
        Put(s.game.Player[0].CloseDeck, {48, 49, 50, 51, 47});
        Put(s.game.Player[1].CloseDeck, {44, 45, 46});
        QCOMPARE(s.Drop(Card(1, 0), QRect(100, 65, W, H)), Pile::Open(1)); // 4 cards against 5
        Put(s.game.Player[1].CloseDeck, {44, 45, 46, 43});
        QCOMPARE(s.Drop(Card(1, 0), QRect(100, 65, W, H)), Pile::Suit(0)); // 5 against 5
    }

    void tipVisitsSuitPilesThenSeats() {
        DropTable t;
        t.game.SuitCanTake[2] = t.game.Player[3].CanTake = t.game.Player[0].CanTake = true;
        QCOMPARE(TipTargets(t.game),
                 (std::vector<Pile>{Pile::Suit(2), Pile::Open(0), Pile::Open(3)}));
        t.game.ShowTip = false;
        QVERIFY(TipTargets(t.game).empty());
    }

    void straightFlights() {
        // Every position lies on a half: each goes up, below zero too. No random draws.
        FlightPlan plan = PlanFlight(-30.5f, -1.5f, 69.5f, -1.5f, FlightOptions{15}, 800, 600, {});
        QCOMPARE(plan.points.size(), std::size_t{8});
        for (std::size_t i = 0; i < 7; ++i)
            QCOMPARE(plan.points[i], (FlightPoint{-30.0f + 15.0f * float(i), -1}));
        QCOMPARE(plan.points[7], (FlightPoint{69.5f, -1.5f}));
        QVERIFY(plan.controls.empty());
        QCOMPARE(PlanFlight(10, 10, 16, 18, FlightOptions{15}, 800, 600, {}).points,
                 (Points{{10, 10}, {16, 18}}));
        QVERIFY(PlanFlight(100, 100, 100, 100, FlightOptions{15}, 800, 600, {}).points.empty());
        // A step below 1 counts as 1.
        plan = PlanFlight(0, 0, 30, 40, FlightOptions{0}, 800, 600, {});
        QCOMPARE(plan.points.size(), std::size_t{52});
        QCOMPARE(plan.points[1], (FlightPoint{1, 1}));
    }

    void curvedFlights() {
        Calls asked;
        const FlightPlan plan = PlanFlight(100, 300, 400, 700, FlightOptions{15, 1, false}, 800,
                                           600, Scripted({700, 20, 5, 590}, asked));
        QCOMPARE(asked, (Calls{{0, 800}, {0, 600}, {0, 800}, {0, 600}}));
        QCOMPARE(plan.controls, (Points{{100, 300}, {700, 20}, {5, 590}, {400, 700}}));
        // The start, 80 steps of 15 along a path of (sqrt(2) + 1) x 500 pixels, the end.
        QCOMPARE(plan.points.size(), std::size_t{82});
        QCOMPARE(plan.points.back(), (FlightPoint{400, 700}));
        for (const FlightPoint& p : plan.points)
            QVERIFY(p.x >= 5 && p.x <= 700 && p.y >= 20 && p.y <= 700);
        float x = 0, y = 0;
        CurvePoint(x, y, 0.5f, {0, 0, 10, 10}, {0, 10, 10, 0}, BinomialCoefficients(3));
        QCOMPARE(std::make_pair(x, y), std::make_pair(5.0f, 7.5f));

        // PathPoints 0 flies straight even with curves chosen, and draws nothing.
        QCOMPARE(PlanFlight(3, 4, 250, 90, FlightOptions{15, 1, false, 0}, 800, 600, {}).points,
                 PlanFlight(3, 4, 250, 90, FlightOptions{15}, 800, 600, {}).points);
    }

    void endPoints() {
        // Halves go to the even neighbour (4.5, 13.5); steep meets the horizontal edge first.
        const struct {
            int32_t X, Y;
            float m;
            int32_t mX, mY;
        } cases[] = {{300, 200, 0.5f, 308, 154}, {-50, -400, 2.0f, -129, -258},
                     {10, 100, 0.25f, 18, 4},    {10, 100, 0.75f, 18, 14},
                     {300, 100, 4.0f, 27, 108},  {-20, 50, 0.0f, -99, 0}};
        for (const auto& c : cases) {
            int32_t mX = 0, mY = 0;
            FindEndPoint(c.X, c.Y, c.m, mX, mY, 71, 96);
            QCOMPARE(std::make_pair(mX, mY), std::make_pair(c.mX, c.mY));
        }
        // Same x, then same y, then a usable point: slope 0.5 towards the lower right.
        Calls asked;
        QCOMPARE(CardShowEndPoint(100, 200, 800, 600, 71, 96,
                                  Scripted({100, 50, 300, 200, 300, 300}, asked)),
                 (FlightPoint{808, 554}));
        QCOMPARE(asked.size(), std::size_t{6});
        // A table of no size offers no other point: no endless drawing, no drawing at all.
        QVERIFY(CardShowEndPoint(0, 0, 0, 0, 71, 96, {}).x >= 8);
    }

    void settingsFollowTheMover() {
        GameInfo g;
        g.PlayerCount = 3;
        g.Player.resize(3);
        g.MoveStep = {15, 40};
        g.MoveSpeed = {1, 9};
        g.CurrentPlayer = 1;
        g.Player[1].Computer = true;
        const FlightOptions o = FlightOptionsFor(g);
        QCOMPARE(std::make_pair(o.step, o.wait), std::make_pair(40, 9));
        g.GameState = State::Penalty; // penalty cards fly at the human pace
        QCOMPARE(FlightSettingsIndex(g), 0);
        g.GameState = State::Playing;
        g.Player.resize(1); // the mover's seat gone
        QCOMPARE(FlightSettingsIndex(g), 0);
    }

    void pauses() {
        // A counter read just before its wrap, moving on by 3 at every reading.
        uint32_t now = 0xFFFFFFF0u;
        int checks = 0; // a pause that missed the wrap would wait for ever: give up instead
        QVERIFY(Pause(
            40, [&] { return ++checks > 1000; }, [&] { return now += 3, now - 3; }));
        QVERIFY(now - 3 < 0xFFFFFFF0u && uint32_t(now - 3 - 0xFFFFFFF0u) >= 40u); // and no more:
        QVERIFY(uint32_t(now - 6 - 0xFFFFFFF0u) < 40u);

        bool ran = false; // pending events run even with no time to wait
        QTimer::singleShot(0, this, [&] { ran = true; });
        QVERIFY(Pause(0) && ran);
        bool replaced = false; // a replaced game ends the pause at once
        QTimer::singleShot(5, this, [&] { replaced = true; });
        QVERIFY(!Pause(60000, [&] { return replaced; }));
    }

    void flightSteps() {
        const FlightPlan plan = PlanFlight(0, 0, 300, 0, FlightOptions{}, 800, 600, {});
        std::vector<FlightPoint> shown;
        bool busy = true;
        const auto record = [&](FlightPoint p) {
            shown.push_back(p);
            const QCursor* c = QGuiApplication::overrideCursor();
            busy = busy && c && c->shape() == Qt::WaitCursor;
        };
        QVERIFY(FlyPlan(plan, 7, record, [](int32_t) { return true; }));
        QCOMPARE(shown, plan.points);
        QVERIFY(busy && !QGuiApplication::overrideCursor());

        // Replaced after the third step: no further placing, the pointer restored.
        shown.clear();
        int pauses = 0;
        QVERIFY(!FlyPlan(
            plan, 1, record, [&](int32_t) { return ++pauses, true; }, [&] { return pauses == 3; }));
        QCOMPARE(shown.size(), std::size_t{3});
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void pacedSteps() {
        // A fake screen, and a clock that only the pauses move on.
        const FlightPlan plan = PlanFlight(0, 0, 600, 0, FlightOptions{}, 800, 600, {});
        const auto fly = [&plan](int32_t wait, double hz) {
            uint32_t now = 0;
            FlightPoint placed, shown{-1, -1};
            int presents = 0, unseen = 0;
            const FlightScreen screen{[&] { shown = placed, ++presents; }, hz};
            const PauseFn pause = [&](int32_t ms) {
                unseen += shown == placed ? 0 : 1;
                return now += uint32_t(ms), true;
            };
            const bool arrived = FlyPlan(
                plan, wait, [&](FlightPoint p) { placed = p; }, PacedPause(screen, pause));
            return std::make_tuple(arrived, presents, unseen, now);
        };
        // Each of the plan's 41 steps is shown, then lasts a frame and the step's own pause.
        QCOMPARE(fly(9, 50), std::make_tuple(true, 41, 0, 41u * (20 + 9)));
        QCOMPARE(fly(1, 0), std::make_tuple(true, 41, 0, 41u * (17 + 1))); // unknown: 60 Hz
        QCOMPARE(std::make_tuple(FrameMs(144), FrameMs(std::nan("")), FrameMs(2)),
                 std::make_tuple(7, 17, 50));
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
        uint32_t now = 0; // every wait over at once
        QVERIFY(MoveDragPic(*pic, 100, 100, 520.4f, 330.6f, game, table.size(), random, {},
                            [&] { return now += 1000; }));
        QCOMPARE(pic->pos(), QPoint(520, 331));
        QCOMPARE(draws, 4);

        // On a real screen every position is drawn before its pause first reads the clock. The
        // first is where the card already was: drawn when the window was shown.
        {
            PaintSpy drawn(table, *pic);
            table.show();
            QVERIFY(QTest::qWaitForWindowExposed(&table));
            int reads = 0, unseen = 0;
            const TickSource clock = [&] {
                unseen += drawn.at == pic->pos() ? 0 : 1;
                return uint32_t(++reads * 1000);
            };
            QVERIFY(MoveDragPic(*pic, 520, 331, 0, 331, game, table.size(), {}, {}, clock));
            QCOMPARE(pic->pos(), QPoint(0, 331));
            QCOMPARE(unseen, 0);
            QVERIFY(reads >= 2 * 35);
        }

        // The picture destroyed by an event during the flight ends it safely.
        QTimer::singleShot(0, pic, [&] { delete pic.data(); });
        QVERIFY(!MoveDragPic(*pic, 0, 0, 600, 0, game, table.size(), {}));
        QVERIFY(pic.isNull() && !QGuiApplication::overrideCursor());
    }

    // Last: once the application is told to exit, no event loop of this process runs again.
    void pauseReturnsWhenTheApplicationExits() {
        QTimer::singleShot(5, qApp, [] { QCoreApplication::exit(0); });
        QVERIFY(!Pause(60000));
    }
};

QTEST_MAIN(TestMovement)
#include "tst_movement.moc"
