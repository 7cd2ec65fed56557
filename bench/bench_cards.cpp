// What a card costs to draw: the first time after start-up, when its deck is read and the image
// rendered, and afterwards, when DrawCard copies a kept image into a card picture.
#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include <benchmark/benchmark.h>

using namespace korvane;

namespace {

// Start-up: the face deck is read; nothing is rendered yet.
void BM_ColdInit(benchmark::State& state) {
    for (auto _ : state) {
        CardLibrary lib;
        int32_t w = 0;
        int32_t h = 0;
        benchmark::DoNotOptimize(lib.cdtInit(w, h));
    }
}
BENCHMARK(BM_ColdInit)->Unit(benchmark::kMillisecond);

// Start-up and the first face drawn.
void BM_ColdInitFirstFace(benchmark::State& state) {
    QPixmap target(CardLibrary::CardWidth, CardLibrary::CardHeight);
    for (auto _ : state) {
        CardLibrary lib;
        int32_t w = 0;
        int32_t h = 0;
        lib.cdtInit(w, h);
        QPainter p(&target);
        lib.cdtDraw(p, 0, 0, 49, DrawMode::Face, Qt::white);
    }
}
BENCHMARK(BM_ColdInitFirstFace)->Unit(benchmark::kMillisecond);

// Start-up and the first back drawn, for each back design: a back other than the classic
// deck's reads its own deck file.
void BM_ColdInitFirstBack(benchmark::State& state) {
    const int code = DrawCode::FirstBack + static_cast<int>(state.range(0));
    QPixmap target(CardLibrary::CardWidth, CardLibrary::CardHeight);
    for (auto _ : state) {
        CardLibrary lib;
        int32_t w = 0;
        int32_t h = 0;
        lib.cdtInit(w, h);
        QPainter p(&target);
        lib.cdtDraw(p, 0, 0, code, DrawMode::Back, Qt::white);
    }
}
BENCHMARK(BM_ColdInitFirstBack)
    ->DenseRange(0, DrawCode::BackCount - 1)
    ->Unit(benchmark::kMillisecond);

// Play: every image already kept; DrawCard clears the picture and copies one image into it.
void BM_WarmDrawCard(benchmark::State& state) {
    CardLibrary lib;
    int32_t w = 0;
    int32_t h = 0;
    lib.cdtInit(w, h);
    PictureBox box;
    box.resize(w, h);
    box.setBackground(QColor(0, 128, 0));
    const uint8_t codes[] = {0, 17, 38, 51, 53, 54, 67, 68};
    for (uint8_t code : codes) {
        DrawCard(lib, &box, 0, 0, code, false);
    }
    size_t i = 0;
    for (auto _ : state) {
        DrawCard(lib, &box, 0, 0, codes[i++ % std::size(codes)], false);
    }
    state.counters["rendered"] = lib.RenderCount();
}
BENCHMARK(BM_WarmDrawCard)->Unit(benchmark::kMicrosecond);

// cdtDraw alone into a card-sized pixmap at scales 1, 1.5 and 2 (range is the scale * 100).
void BM_WarmDrawScaled(benchmark::State& state) {
    const qreal dpr = static_cast<qreal>(state.range(0)) / 100.0;
    CardLibrary lib;
    int32_t w = 0;
    int32_t h = 0;
    lib.cdtInit(w, h);
    QPixmap target(static_cast<int>(w * dpr + 0.5), static_cast<int>(h * dpr + 0.5));
    target.setDevicePixelRatio(dpr);
    size_t i = 0;
    for (auto _ : state) {
        target.fill(QColor(0, 128, 0));
        QPainter p(&target);
        lib.cdtDraw(p, 0, 0, static_cast<int>(i++ % 52), DrawMode::Face, Qt::white);
    }
    state.counters["rendered"] = lib.RenderCount();
}
BENCHMARK(BM_WarmDrawScaled)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
