// Card flights in real time: one 600-pixel flight at the default settings (step 15, 1 ms pause:
// 41 steps) through the real pause and a real widget. Each step is drawn and shown for a frame
// of the screen before its pause, so the flight should take about 41 frames plus 41 ms, with
// one frame drawn per step; the CPU share shows that the waits sleep (a spinning wait would use
// all of it). Also the cost of planning flights and of finding a drop target, which run on
// every step and mouse move.
#include "movement/DragFlight.h"
#include "movement/DropTarget.h"
#include "movement/Pause.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
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

// Counts the frames the flight is drawn in: each draws the table where the card was.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Arg 1: paced to the screen, as the table flies. Arg 0: each step shown for its own pause
// alone, as flights were before pacing, for comparison.
void BM_Flight600(benchmark::State& state) {
    const bool paced = state.range(0) != 0;
    QWidget table;
    table.resize(800, 600);
    auto* pic = new QWidget(&table);
    pic->setGeometry(0, 100, 71, 96);
    pic->setAutoFillBackground(true);
    table.show();
    QApplication::processEvents();
    PaintCounter frames;
    table.installEventFilter(&frames);
    PaintCounter cardFrames; // the card's own pixels move with it: it needs no redrawing
    pic->installEventFilter(&cardFrames);
    const GameInfo game; // step 15, pause 1 ms, straight
    const FlightPlan plan = PlanFlight(0, 100, 600, 100, FlightOptionsFor(game), 800, 600, {});
    const double hz = table.screen() != nullptr ? table.screen()->refreshRate() : 0;
    const double frameMs = 1000.0 / (hz > 0 ? hz : 60.0);

    float from = 0;
    double wall = 0;
    double cpu = 0;
    for (auto _ : state) {
        const float to = 600 - from;
        const auto w0 = std::chrono::steady_clock::now();
        const double c0 = ProcessCpuSeconds();
        const bool arrived =
            paced ? MoveDragPic(*pic, from, 100, to, 100, game, table.size(), {})
                  : FlyPlan(
                        PlanFlight(from, 100, to, 100, FlightOptionsFor(game), 800, 600, {}),
                        FlightOptionsFor(game).wait, [&](FlightPoint p) { PlaceWidget(*pic, p); },
                        [](int32_t ms) { return Pause(ms); });
        cpu += ProcessCpuSeconds() - c0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
        benchmark::DoNotOptimize(arrived);
        from = to;
    }
    const auto n = static_cast<double>(state.iterations());
    const double steps = static_cast<double>(plan.points.size() - 1);
    const double perFlightMs = wall * 1000.0 / n;
    state.counters["steps"] = steps;
    state.counters["refresh_hz"] = 1000.0 / frameMs;
    state.counters["frames_ms"] = steps * frameMs; // a frame for every step
    state.counters["flight_ms"] = perFlightMs;
    state.counters["x_frames"] = perFlightMs / (steps * frameMs);
    state.counters["drawn_per_flight"] = frames.paints / n;
    state.counters["drawn_per_step"] = frames.paints / n / steps;
    state.counters["card_drawn_per_flight"] = cardFrames.paints / n;
    state.counters["cpu_ms"] = cpu * 1000.0 / n;
    state.counters["cpu_share"] = wall > 0 ? cpu / wall : 0;
}
BENCHMARK(BM_Flight600)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

// The CPU one pause costs, by its length: what the system charges for waking a sleeping
// program, with nothing drawn. A paced flight sleeps a frame per step, where an unpaced one
// slept a millisecond.
void BM_PauseCpu(benchmark::State& state) {
    const auto ms = static_cast<int32_t>(state.range(0));
    double cpu = 0;
    for (auto _ : state) {
        const double c0 = ProcessCpuSeconds();
        benchmark::DoNotOptimize(Pause(ms));
        cpu += ProcessCpuSeconds() - c0;
    }
    state.counters["cpu_us"] = cpu * 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PauseCpu)
    ->Arg(1)
    ->Arg(18)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(200);

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
