// Card flights in real time: one 600-pixel flight at the default settings (step 15, 1 ms pause:
// 41 steps, nominally 41 ms) through the real pause and a real widget, and how much of that
// time the process spends on the CPU (a spinning wait would use all of it). Also the cost of
// planning flights and of finding a drop target, which run on every step and mouse move.
#include "movement/DragFlight.h"
#include "movement/DropTarget.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <sys/resource.h>

using namespace korvane;

namespace {

double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto secs = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return secs(u.ru_utime) + secs(u.ru_stime);
}

void BM_Flight600(benchmark::State& state) {
    QWidget table;
    table.resize(800, 600);
    auto* pic = new QWidget(&table);
    pic->setGeometry(0, 100, 71, 96);
    pic->setAutoFillBackground(true);
    table.show();
    const GameInfo game; // step 15, pause 1 ms, straight
    const FlightPlan plan = PlanFlight(0, 100, 600, 100, FlightOptionsFor(game), 800, 600, {});

    float from = 0;
    double wall = 0;
    double cpu = 0;
    for (auto _ : state) {
        const float to = 600 - from;
        const auto w0 = std::chrono::steady_clock::now();
        const double c0 = ProcessCpuSeconds();
        const bool arrived = MoveDragPic(*pic, from, 100, to, 100, game, table.size(), {});
        cpu += ProcessCpuSeconds() - c0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
        benchmark::DoNotOptimize(arrived);
        from = to;
    }
    const double perFlightMs = wall * 1000.0 / static_cast<double>(state.iterations());
    state.counters["steps"] = static_cast<double>(plan.points.size() - 1);
    state.counters["nominal_ms"] = static_cast<double>(plan.points.size() - 1) * game.MoveSpeed[0];
    state.counters["flight_ms"] = perFlightMs;
    state.counters["x_nominal"] = perFlightMs / state.counters["nominal_ms"];
    state.counters["cpu_share"] = wall > 0 ? cpu / wall : 0;
}
BENCHMARK(BM_Flight600)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

void BM_PlanFlight(benchmark::State& state) {
    FlightOptions o;
    o.straightPath = state.range(0) == 0;
    o.pathPoints = static_cast<int32_t>(state.range(0));
    int32_t seed = 1;
    const RandomSource random = [&seed](int32_t lo, int32_t hi) {
        seed = seed * 1103515245 + 12345;
        return lo + static_cast<int32_t>(static_cast<uint32_t>(seed) >> 8) % (hi - lo + 1);
    };
    for (auto _ : state) {
        FlightPlan plan = PlanFlight(10, 20, 610, 420, o, 800, 600, random);
        benchmark::DoNotOptimize(plan.points.data());
    }
}
BENCHMARK(BM_PlanFlight)->Arg(0)->Arg(2)->Arg(99);

void BM_OverLap(benchmark::State& state) {
    GameInfo game;
    game.PlayerCount = 8;
    game.Player.resize(8);
    game.GameState = State::Playing;
    DropLayout layout;
    for (int s = 0; s < 4; ++s) {
        layout.suitPiles[static_cast<std::size_t>(s)] = QRect(200 + s * 80, 250, 71, 96);
    }
    for (int p = 0; p < 8; ++p) {
        layout.openPiles.push_back(QRect(20 + p * 100, p < 4 ? 20 : 480, 71, 96));
    }
    int x = 0;
    for (auto _ : state) {
        layout.drag = QRect(x, 250 + (x % 40), 71, 96);
        benchmark::DoNotOptimize(OverLap(layout, 8, game));
        x = (x + 7) % 800;
    }
}
BENCHMARK(BM_OverLap);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
