#include "simulator/Simulation.h"

#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "simulator/SilentDisplay.h"

#include <algorithm>

namespace korvane {

Distribution Summarise(std::vector<uint64_t> values) {
    Distribution d;
    if (values.empty())
        return d;
    std::sort(values.begin(), values.end());
    d.median = values[values.size() / 2];
    d.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
    d.max = values.back();
    return d;
}

SimReport Simulate(const SimOptions& options) {
    mdlGlobal global(SeedSequence(options.seed));
    global.SetDefaults();
    global.Game.TotalKorvane = options.totalKorvane;
    global.Game.KorvanePerTurn = options.korvanePerTurn;
    global.Game.LastChance = options.lastChance;

    SilentDisplay display(global);
    GameRules rules(global, display);
    display.players = options.players;
    rules.SetMoveLimit(options.moveCap);

    SimReport report;
    report.lossesBySeat.assign(options.players, 0);
    report.penaltiesBySeat.assign(options.players, 0);
    for (uint32_t game = 0; game < options.games; ++game) {
        display.StartGame();
        rules.Stats().Clear();
        rules.Stats().penaltiesBySeat.assign(options.players, 0);
        rules.mnGameNew_Click();
        // The driver stopped at the cap without an end: count the game as endless.
        const bool capped = !display.finished;
        if (capped)
            rules.EndGame();

        const PlayStats& stats = rules.Stats();
        ++report.games;
        report.capped += capped ? 1 : 0;
        if (display.loser)
            ++report.lossesBySeat[static_cast<std::size_t>(*display.loser)];
        else if (display.finished)
            ++report.nobodyLost;
        for (std::size_t p = 0; p < options.players; ++p)
            report.penaltiesBySeat[p] += stats.penaltiesBySeat[p];
        report.movesPerGame.push_back(stats.moves);
        report.turnsPerGame.push_back(stats.turns);
        report.totalMoves += stats.moves;
    }
    return report;
}

} // namespace korvane
