// Whole all-computer games with the silent display, one core: games and card moves per second.
#include "engine/GameRules.h"
#include "simulator/SilentDisplay.h"

#include <benchmark/benchmark.h>

using namespace korvane;

static void AllComputerGames(benchmark::State& state) {
    mdlGlobal g(SeedSequence(12345));
    g.SetDefaults();
    SilentDisplay view(g);
    view.players = static_cast<uint8_t>(state.range(0));
    GameRules rules(g, view);
    uint64_t moves = 0;
    for (auto _ : state) {
        rules.Stats().Clear();
        rules.mnGameNew_Click();
        moves += rules.Stats().moves;
    }
    state.counters["games/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["moves/s"] =
        benchmark::Counter(static_cast<double>(moves), benchmark::Counter::kIsRate);
    state.counters["moves/game"] =
        static_cast<double>(moves) / static_cast<double>(state.iterations());
}
BENCHMARK(AllComputerGames)->Arg(3)->Arg(5)->Arg(8)->Unit(benchmark::kMicrosecond);

static void DealOnly(benchmark::State& state) {
    mdlGlobal g(SeedSequence(1));
    GameInfo& G = g.Game;
    G.Player.resize(8);
    G.PlayerCount = 8;
    for (auto _ : state) {
        g.NewRound();
        benchmark::DoNotOptimize(G.Player[0].CloseDeck.Card[0]);
    }
}
BENCHMARK(DealOnly);

BENCHMARK_MAIN();
