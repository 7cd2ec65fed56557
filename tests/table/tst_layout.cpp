// The table's layout and the choice of what each pile shows, without widgets.
#include "Cards.h"
#include "table/TableLayout.h"
#include "table/TablePaint.h"

#include <QTest>

using namespace korvane;
using namespace korvane::layout;
using test::Put;

namespace {

constexpr Size Card{71, 96};
constexpr int L = 38; // any label height: the figures below follow it
constexpr Size Panel{166, 120 + L};

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    // Top row: label above the piles; bottom row: below them.
    void panelFigures() {
        const PanelLayout top = SizeFrames(true, Card, L);
        QCOMPARE(top.label, (Rect{8, 8, 2 * 71 + 8, L}));
        QCOMPARE(top.closed, (Rect{8, 8 + L + 8, 71, 96}));
        QCOMPARE(top.open, (Rect{8 + 71 + 8, 8 + L + 8, 71, 96}));
        QCOMPARE(top.panel, Panel);
        const PanelLayout bottom = SizeFrames(false, Card, L);
        QCOMPARE(bottom.closed, (Rect{8, 8, 71, 96}));
        QCOMPARE(bottom.open, (Rect{8 + 71 + 8, 8, 71, 96}));
        QCOMPARE(bottom.label, (Rect{8, 8 + 96 + 8, 2 * 71 + 8, L}));
        QCOMPARE(bottom.panel, Panel);
        QCOMPARE(SuitBandHeight(Card), 112);
    }

    void seatSplit_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("minWidth");
        const int rows[][3] = {{0, 0, 8},   {2, 1, 182}, {3, 2, 356}, {4, 2, 356},
                               {5, 3, 530}, {6, 3, 530}, {7, 4, 704}, {8, 4, 704}};
        for (const auto& [n, top, w] : rows)
            QTest::addRow("%d", n) << n << top << w;
    }
    void seatSplit() {
        QFETCH(int, n);
        QFETCH(int, top);
        QFETCH(int, minWidth);
        QCOMPARE(TopSeats(n), top);
        QCOMPARE(BottomSeats(n), n - top);
        QCOMPARE(MinimumClient(n, Panel, 112), (Size{minWidth, 384 + 2 * L}));
        for (int seat = 0; seat < n; ++seat)
            QCOMPARE(SeatOnTop(seat, n), seat < top);
    }

    // Every row spreads with equal gaps at both ends and between panels; the band sits midway.
    void rowsAndBand_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("W");
        QTest::addColumn<int>("H");
        for (int n = MinPlayers; n <= MaxPlayers; ++n) {
            QTest::addRow("%d players, 794x470", n) << n << 794 << 470;
            QTest::addRow("%d players, 1200x800", n) << n << 1200 << 800;
            QTest::addRow("%d players, exact", n) << n << 4 * 166 + 5 * 38 << 600;
            QTest::addRow("%d players, minimum", n)
                << n << MinimumClient(n, Panel, 112).w << 384 + 2 * L;
        }
    }
    void rowsAndBand() {
        QFETCH(int, n);
        QFETCH(int, W);
        QFETCH(int, H);
        const TablePlacement t = PlaceTable(n, {W, H}, Panel, 112, 71);
        auto checkRow = [&](int first, int count, int top) {
            const int gap = t.panel[first].x;
            QVERIFY(gap >= Spacing || count * Panel.w + (count + 1) * Spacing > W);
            for (int k = 0; k < count; ++k) {
                QCOMPARE(t.panel[first + k].y, top);
                if (k > 0)
                    QCOMPARE(t.panel[first + k].x - (t.panel[first + k - 1].x + Panel.w), gap);
            }
            // Pixels that cannot be split evenly go to the right end, at most one per gap.
            const int right = W - (t.panel[first + count - 1].x + Panel.w);
            QVERIFY2(right >= gap && right <= gap + count, qPrintable(QString::number(right)));
        };
        checkRow(0, TopSeats(n), Spacing);
        checkRow(TopSeats(n), BottomSeats(n), H - Panel.h - Spacing);
        const int above = t.band.y - (Spacing + Panel.h);
        const int below = (H - Panel.h - Spacing) - t.band.Bottom();
        QVERIFY(above >= Spacing && std::abs(above - below) <= 1);
        QCOMPARE(t.band.x, 0);
        QCOMPARE(t.band.w, W);
        // Four suit piles with five equal gaps.
        const int g = t.suitLeft[0];
        for (int i = 1; i < 4; ++i)
            QCOMPARE(t.suitLeft[i] - t.suitLeft[i - 1] - 71, g);
        QVERIFY(W - (t.suitLeft[3] + 71) - g <= 4);
        QCOMPARE(t.suitTop, Spacing);
    }

    // A normal window grows back to the minimum, per dimension, below its status line. A
    // maximised one cannot grow: the status line gives up its room first, and only a table that
    // does not fit even then is too small.
    void resizeDecision() {
        const Size minimum{704, 460};
        const int line = 60;
        ResizeDecision d = DecideResize({500, 300 + line}, line, minimum, false);
        QVERIFY(d.statusShown && !d.tooSmall);
        QCOMPARE(d.client, minimum);
        QCOMPARE(d.grow, (Size{204, 160}));
        // Coming back from maximised with the line hidden: the window grows to show it again.
        d = DecideResize({900, 470}, line, minimum, false);
        QVERIFY(d.statusShown);
        QCOMPARE(d.client, (Size{900, 460}));
        QCOMPARE(d.grow, (Size{0, 50}));

        d = DecideResize({800, 460 + line}, line, minimum, true);
        QVERIFY(d.statusShown && !d.tooSmall);
        QCOMPARE(d.client, (Size{800, 460}));
        QCOMPARE(d.grow, Size{});
        for (const int h : {460 + line - 1, 460}) {
            d = DecideResize({704, h}, line, minimum, true);
            QVERIFY(!d.statusShown && !d.tooSmall);
            QCOMPARE(d.client, (Size{704, h}));
            QCOMPARE(d.grow, Size{});
        }
        QVERIFY(DecideResize({800, 459}, line, minimum, true).tooSmall);
        QVERIFY(DecideResize({703, 900}, line, minimum, true).tooSmall);
    }

    // Zoom In stops where the next step's table would pass the screen's edge, Zoom Out at the
    // smallest step; the labels' font follows the zoom down to its floor, and the minimum with it.
    void zoomAtItsEdges() {
        const auto minimumAt = [](double z) {
            return MinimumClientAt(8, Card, Zoomed(3 * LabelPointsAt(z), 1), z);
        };
        const Size next = minimumAt(1.25);
        QCOMPARE(ReachFrom(1, next, minimumAt), (ZoomReach{true, true}));
        QCOMPARE(ReachFrom(1, {next.w - 1, next.h}, minimumAt), (ZoomReach{false, true}));
        QCOMPARE(ReachFrom(1, {next.w, next.h - 1}, minimumAt), (ZoomReach{false, true}));
        // A fitted zoom between steps reaches the step above it.
        QCOMPARE(ReachFrom(1.1, next, minimumAt), (ZoomReach{true, true}));
        QCOMPARE(ReachFrom(MinZoom, next, minimumAt), (ZoomReach{true, false}));
        QCOMPARE(ReachFrom(MaxZoom, {100000, 100000}, minimumAt), (ZoomReach{false, true}));

        QCOMPARE(LabelPointsAt(2), 24.0);
        QCOMPARE(LabelPointsAt(0.75), 9.0);
        QCOMPARE(LabelPointsAt(MinZoom), MinLabelPoints);
        QCOMPARE(minimumAt(MinZoom).h, 3 * 48 + 12 * 4 + 2 * 24);
    }

    void pileLooks() {
        using paint::Look;
        GameInfo g;
        test::SeatPlayers(g, 4);
        g.DeckBack = 57;
        const paint::DragState none;
        QCOMPARE(paint::CloseDeckCode(g, 1, none), DrawCode::Cross);
        QCOMPARE(paint::OpenDeckLook(g, 1, true), (Look{DrawCode::Cross, false}));
        Put(g.Player[1].OpenDeck, {5});
        QCOMPARE(paint::CloseDeckCode(g, 1, none), DrawCode::Circle);
        Put(g.Player[1].CloseDeck, {9, 13});
        QCOMPARE(paint::CloseDeckCode(g, 1, none), uint8_t{57});
        Put(g.Player[0].CloseDeck, {1});
        QCOMPARE(paint::OpenDeckLook(g, 0, false), (Look{DrawCode::EmptyPlace, false}));
        QCOMPARE(paint::OpenDeckLook(g, 0, true), (Look{DrawCode::EmptyPlace, true}));
        Put(g.Player[0].OpenDeck, {40, 44});
        QCOMPARE(paint::OpenDeckLook(g, 0, true), (Look{44, true}));
        g.OutlineDrag = false;
        QCOMPARE(paint::OpenDeckLook(g, 0, true), (Look{44, false}));
        // While the top card is in hand the card beneath shows; the highlight ignores the option.
        QCOMPARE(paint::BeneathTopLook(g, 0, true), (Look{40, true}));
        QCOMPARE(paint::BeneathTopLook(g, 1, false), (Look{DrawCode::EmptyPlace, false}));
        QCOMPARE(paint::SuitLook(g, 2, true), (Look{DrawCode::EmptyPlace, true}));
        Put(g.SuitDeck[2], {2, 6, 10});
        QCOMPARE(paint::SuitLook(g, 2, false), (Look{10, false}));
        QCOMPARE(paint::SuitLook(g, 2, true), (Look{10, true}));

        // The last closed card in the current player's hand: the pile looks empty, only then.
        g.CurrentPlayer = 2;
        Put(g.Player[2].CloseDeck, {22});
        const paint::DragState holding{true, 22};
        QCOMPARE(paint::CloseDeckCode(g, 2, holding), DrawCode::Circle);
        for (paint::DragState other : {paint::DragState{false, 22}, paint::DragState{true, 23},
                                       paint::DragState{true, std::nullopt}})
            QCOMPARE(paint::CloseDeckCode(g, 2, other), uint8_t{57});
        g.CurrentPlayer = 1;
        QCOMPARE(paint::CloseDeckCode(g, 2, holding), uint8_t{57});
        g.CurrentPlayer = 2;
        Put(g.Player[2].CloseDeck, {22, 30});
        QCOMPARE(paint::CloseDeckCode(g, 2, holding), uint8_t{57});
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
