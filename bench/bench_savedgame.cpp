// The saved-game file: encoding and reading an eight-player record, and Save and Open as the
// menu commands run them, to a real file in a temporary folder (QSaveFile syncs to disk).
#include "Cards.h"
#include "engine/GameRules.h"
#include "savedgame/SavedGameCommands.h"
#include "savedgame/SavedGameFile.h"
#include "simulator/SilentDisplay.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace korvane;

namespace {

// A freshly dealt eight-player game, every seat a person so that opening it plays nothing.
GameInfo EightPlayers(mdlGlobal& g) {
    test::SeatPlayers(g.Game, 8, {0, 1, 2, 3, 4, 5, 6, 7});
    g.NewRound();
    g.Game.GameState = State::Playing;
    return g.Game;
}

} // namespace

static void Encode(benchmark::State& state) {
    mdlGlobal g(FixedSeed(7));
    const GameInfo game = EightPlayers(g);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeGame(game));
}
BENCHMARK(Encode);

static void DecodeAndCheck(benchmark::State& state) {
    mdlGlobal g(FixedSeed(7));
    const std::vector<uint8_t> bytes = EncodeGame(EightPlayers(g));
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeGame(bytes));
}
BENCHMARK(DecodeAndCheck);

static void SaveCommand(benchmark::State& state) {
    QTemporaryDir dir;
    mdlGlobal g(FixedSeed(7));
    EightPlayers(g);
    SilentDisplay view(g);
    GameRules rules(g, view);
    SavedGameCommands commands(nullptr, rules, view, {}, [&](QWidget*, const QString&) {
        state.SkipWithError("the save failed");
    });
    g.FileName = dir.filePath("bench.KVN").toStdString();
    for (auto _ : state)
        commands.mnGameSave_Click();
}
BENCHMARK(SaveCommand)->Unit(benchmark::kMicrosecond);

static void OpenCommand(benchmark::State& state) {
    QTemporaryDir dir;
    mdlGlobal g(FixedSeed(7));
    EightPlayers(g);
    SilentDisplay view(g);
    GameRules rules(g, view);
    const QString path = dir.filePath("bench.KVN");
    SavedGameCommands commands(
        nullptr, rules, view, [&](QWidget*, const FileRequest&) { return path; },
        [&](QWidget*, const QString&) { state.SkipWithError("the open failed"); });
    g.FileName = path.toStdString();
    commands.mnGameSave_Click();
    for (auto _ : state)
        commands.mnGameOpen_Click();
}
BENCHMARK(OpenCommand)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    // GetFilename asks the application for the executable's folder.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
