// What the table window costs: a full repaint of 8 seats with every image kept, and the way from
// an uninitialised card library to the first complete 8-seat table.
//
// With --rss-table or --rss-bare it instead prints its resident memory (kB) after dealing 8
// seats into the table window, or after showing a bare window with a menu bar, and exits; see
// scripts/measure-memory.
#include "Cards.h"
#include "Resident.h"
#include "cards/mdlCardAPI.h"
#include "engine/mdlGlobal.h"
#include "table/frmKorvane.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

using namespace korvane;
using bench::ResidentKb;

namespace {

void SeatAndDeal(mdlGlobal& g, int n) {
    test::SeatPlayers(g.Game, n, {0, 1, 2, 3, 4, 5, 6, 7});
    g.NewRound();
    // A card on every open pile, so that faces as well as backs are drawn.
    for (auto& p : g.Game.Player)
        MoveFirstCard(p.CloseDeck, p.OpenDeck);
    g.Game.GameState = State::Playing;
}

void ShowTable(frmKorvane& w) {
    w.SetCaption(true);
    w.Form_Resize();
    w.PaintForm();
}

// Eight seats dealt and shown in the table window, every image kept.
struct Table8 {
    mdlGlobal g{FixedSeed(3)};
    CardLibrary cards;
    std::unique_ptr<frmKorvane> w;
    Table8() {
        g.SetDefaults();
        cards.cdtInit(g.CardWidth, g.CardHeight);
        w = std::make_unique<frmKorvane>(g, cards);
        SeatAndDeal(g, 8);
        w->show();
        ShowTable(*w);
        QApplication::processEvents();
    }
};

// Range: the zoom * 100. At zoom 2 the cards have four times the pixels, kept all the same.
void BM_WarmPaintForm8(benchmark::State& state) {
    Table8 t;
    if (state.range(0) != 100) {
        t.w->SetZoom(static_cast<double>(state.range(0)) / 100);
        t.w->PaintForm();
        QApplication::processEvents();
    }
    for (auto _ : state)
        t.w->PaintForm();
    state.counters["rendered"] = t.cards.RenderCount();
}
BENCHMARK(BM_WarmPaintForm8)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

// A change of zoom until the table is painted again: to a size never drawn before (every
// card rendered from the drawing), and back and forth between two kept sizes.
void BM_ZoomChange8(benchmark::State& state) {
    const bool fresh = state.range(0) != 0;
    Table8 t;
    int k = 0;
    for (auto _ : state) {
        // Fresh: 1.50, 1.51, ... 2.49, each new to the library (it keeps the last two).
        const double z = fresh ? 1.5 + (k % 100) / 100.0 : (k % 2 == 0 ? 2.0 : 1.0);
        ++k;
        t.w->SetZoom(z);
        QApplication::processEvents();
    }
    state.counters["rendered"] = t.cards.RenderCount();
}
BENCHMARK(BM_ZoomChange8)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A new card library each time: every deck read and every image rendered afresh.
void BM_ColdInitToTable8(benchmark::State& state) {
    for (auto _ : state)
        Table8 t;
}
BENCHMARK(BM_ColdInitToTable8)->Unit(benchmark::kMillisecond);

int PrintResident(bool table) {
    mdlGlobal g(FixedSeed(3));
    g.SetDefaults();
    CardLibrary cards;
    std::unique_ptr<QMainWindow> w;
    if (table) {
        cards.cdtInit(g.CardWidth, g.CardHeight);
        auto t = std::make_unique<frmKorvane>(g, cards);
        SeatAndDeal(g, 8);
        t->show();
        ShowTable(*t);
        w = std::move(t);
    } else {
        w = std::make_unique<QMainWindow>();
        w->menuBar()->addMenu(QStringLiteral("&Game"))->addAction(QStringLiteral("&New Game"));
        w->menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About"));
        w->resize(794, 450);
        w->show();
    }
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    std::printf("%ld\n", ResidentKb());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rss-table") == 0)
            return PrintResident(true);
        if (std::strcmp(argv[i], "--rss-bare") == 0)
            return PrintResident(false);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
