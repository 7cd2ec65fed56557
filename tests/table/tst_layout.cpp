// The table's layout and the choice of what each pile and label shows, without widgets.
#include "table/TableLayout.h"
#include "table/TablePaint.h"

#include <QTest>

using namespace korvane;
using namespace korvane::layout;

namespace {

constexpr Size Card{71, 96};
constexpr int L = 38; // any label height: the figures below follow it

GameInfo Table(int players) {
    GameInfo g;
    g.PlayerCount = static_cast<uint8_t>(players);
    g.Player.resize(8);
    g.GameState = State::Playing;
    return g;
}

void Put(CardDeck& d, std::initializer_list<uint8_t> cards) {
    for (uint8_t c : cards)
        d.Card[d.Count++] = c;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void panelFigures() {
        const PanelLayout top = SizeFrames(true, Card, L);
        const PanelLayout bottom = SizeFrames(false, Card, L);
        QCOMPARE(top.panel, (Size{166, 120 + L}));
        QCOMPARE(bottom.panel, top.panel);
        QCOMPARE(SuitBandHeight(Card), 112);
        // Piles side by side, a gap apart and from the panel's edges.
        QCOMPARE(top.closed.x, 8);
        QCOMPARE(top.open.x, top.closed.Right() + 8);
        QCOMPARE(top.open.Right() + 8, top.panel.w);
        QCOMPARE(top.label.w, 2 * 71 + 8);
        // Top row: label above the piles; bottom row: below them.
        QCOMPARE(top.label.y, 8);
        QCOMPARE(top.closed.y, 8 + L + 8);
        QCOMPARE(top.closed.Bottom() + 8, top.panel.h);
        QCOMPARE(bottom.closed.y, 8);
        QCOMPARE(bottom.open.y, 8);
        QCOMPARE(bottom.label.y, bottom.closed.Bottom() + 8);
        QCOMPARE(bottom.label.Bottom() + 8, bottom.panel.h);
    }

    void seatSplit_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("minWidth");
        QTest::newRow("0") << 0 << 0 << 8;
        QTest::newRow("2") << 2 << 1 << 182;
        QTest::newRow("3") << 3 << 2 << 356;
        QTest::newRow("4") << 4 << 2 << 356;
        QTest::newRow("5") << 5 << 3 << 530;
        QTest::newRow("6") << 6 << 3 << 530;
        QTest::newRow("7") << 7 << 4 << 704;
        QTest::newRow("8") << 8 << 4 << 704;
    }
    void seatSplit() {
        QFETCH(int, n);
        QFETCH(int, top);
        QFETCH(int, minWidth);
        QCOMPARE(TopSeats(n), top);
        QCOMPARE(BottomSeats(n), n - top);
        const Size panel = SizeFrames(true, Card, L).panel;
        const Size m = MinimumClient(n, panel, SuitBandHeight(Card));
        QCOMPARE(m.w, minWidth);
        QCOMPARE(m.h, 384 + 2 * L);
        for (int seat = 0; seat < n; ++seat)
            QCOMPARE(SeatOnTop(seat, n), seat < top);
    }

    // Every row spreads with equal gaps at both ends and between panels; the band sits midway.
    void rowsAndBand_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("W");
        QTest::addColumn<int>("H");
        for (int n = 3; n <= 8; ++n) {
            QTest::addRow("%d players, 794x470", n) << n << 794 << 470;
            QTest::addRow("%d players, 1200x800", n) << n << 1200 << 800;
            QTest::addRow("%d players, minimum", n)
                << n << MinimumClient(n, {166, 120 + L}, 112).w << 384 + 2 * L;
        }
    }
    void rowsAndBand() {
        QFETCH(int, n);
        QFETCH(int, W);
        QFETCH(int, H);
        const Size panel{166, 120 + L};
        const TablePlacement t = PlaceTable(n, {W, H}, panel, 112, 71);
        auto checkRow = [&](int first, int count, int top) {
            const int gap = t.panel[first].x;
            QVERIFY(gap >= Spacing || count * panel.w + (count + 1) * Spacing > W);
            for (int k = 0; k < count; ++k) {
                QCOMPARE(t.panel[first + k].y, top);
                if (k > 0)
                    QCOMPARE(t.panel[first + k].x - (t.panel[first + k - 1].x + panel.w), gap);
            }
            // What whole pixels cannot split evenly is left at the right end, at most a
            // pixel per gap.
            const int right = W - (t.panel[first + count - 1].x + panel.w);
            QVERIFY2(right >= gap && right <= gap + count, qPrintable(QString::number(right)));
        };
        checkRow(0, TopSeats(n), Spacing);
        checkRow(TopSeats(n), BottomSeats(n), H - panel.h - Spacing);
        // The band: as far from the top row as from the bottom row (to a pixel), full width.
        const int above = t.band.y - (Spacing + panel.h);
        const int below = (H - panel.h - Spacing) - t.band.Bottom();
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

    void evenRowsAreExact() {
        // 4 panels of 166 in 704 + 5 * 30: gaps of 38 everywhere.
        const TablePlacement t = PlaceTable(8, {4 * 166 + 5 * 38, 600}, {166, 158}, 112, 71);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(t.panel[k].x, 38 + k * (166 + 38));
            QCOMPARE(t.panel[4 + k].x, t.panel[k].x);
        }
        // Three players: the lone bottom panel is centred.
        const TablePlacement three = PlaceTable(3, {600, 500}, {166, 158}, 112, 71);
        QCOMPARE(three.panel[2].x, (600 - 166) / 2);
    }

    void resizeDecision() {
        const Size minimum{704, 460};
        // A normal window below the minimum grows back to it, per dimension.
        QCOMPARE(DecideResize({500, 300}, minimum, false).client, minimum);
        QCOMPARE(DecideResize({900, 300}, minimum, false).client, (Size{900, 460}));
        QVERIFY(!DecideResize({500, 300}, minimum, false).tooSmall);
        // Maximised: no growing; below the minimum in either dimension the table cannot fit.
        QVERIFY(DecideResize({640, 460}, minimum, true).tooSmall);
        QVERIFY(DecideResize({800, 459}, minimum, true).tooSmall);
        QVERIFY(!DecideResize({704, 460}, minimum, true).tooSmall);
    }

    void closedPileCodes() {
        GameInfo g = Table(4);
        g.DeckBack = 57;
        const paint::DragState none;
        QCOMPARE(paint::CloseDeckCode(g, 1, none), uint8_t{paint::CrossMarker});
        Put(g.Player[1].OpenDeck, {5});
        QCOMPARE(paint::CloseDeckCode(g, 1, none), uint8_t{paint::CircleMarker});
        Put(g.Player[1].CloseDeck, {9, 13});
        QCOMPARE(paint::CloseDeckCode(g, 1, none), uint8_t{57});

        // The last closed card is in hand: the pile already looks empty, but only then.
        g.CurrentPlayer = 2;
        Put(g.Player[2].CloseDeck, {22});
        paint::DragState holding{true, 22};
        QCOMPARE(paint::CloseDeckCode(g, 2, holding), uint8_t{paint::CircleMarker});
        QCOMPARE(paint::CloseDeckCode(g, 2, paint::DragState{false, 22}), uint8_t{57});
        QCOMPARE(paint::CloseDeckCode(g, 2, paint::DragState{true, 23}), uint8_t{57});
        QCOMPARE(paint::CloseDeckCode(g, 2, paint::DragState{true, std::nullopt}), uint8_t{57});
        g.CurrentPlayer = 1;
        QCOMPARE(paint::CloseDeckCode(g, 2, holding), uint8_t{57});
        g.CurrentPlayer = 2;
        Put(g.Player[2].CloseDeck, {30});
        QCOMPARE(paint::CloseDeckCode(g, 2, holding), uint8_t{57});
    }

    void openPileLooks() {
        GameInfo g = Table(3);
        using paint::Look;
        QCOMPARE(paint::OpenDeckLook(g, 0, true), (Look{paint::CrossMarker, false}));
        Put(g.Player[0].CloseDeck, {1});
        QCOMPARE(paint::OpenDeckLook(g, 0, false), (Look{paint::EmptyPlace, false}));
        QCOMPARE(paint::OpenDeckLook(g, 0, true), (Look{paint::EmptyPlace, true}));
        Put(g.Player[0].OpenDeck, {40, 44});
        QCOMPARE(paint::OpenDeckLook(g, 0, true), (Look{44, true}));
        g.OutlineDrag = false;
        QCOMPARE(paint::OpenDeckLook(g, 0, true), (Look{44, false}));

        // While the top card is in hand the card beneath shows; the highlight ignores the option.
        QCOMPARE(paint::BeneathTopLook(g, 0, true), (Look{40, true}));
        g.Player[1].OpenDeck.Card[0] = 7;
        g.Player[1].OpenDeck.Count = 1;
        QCOMPARE(paint::BeneathTopLook(g, 1, false), (Look{paint::EmptyPlace, false}));
    }

    void suitLooks() {
        GameInfo g = Table(3);
        g.OutlineDrag = false;
        QCOMPARE(paint::SuitLook(g, 2, true), (paint::Look{paint::EmptyPlace, true}));
        Put(g.SuitDeck[2], {2, 6, 10});
        QCOMPARE(paint::SuitLook(g, 2, false), (paint::Look{10, false}));
        QCOMPARE(paint::SuitLook(g, 2, true), (paint::Look{10, true}));
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
