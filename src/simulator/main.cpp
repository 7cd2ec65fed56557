// korvane-sim: plays all-computer games and prints who lost, the penalties and how long games
// last.
#include "simulator/Simulation.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Usage() {
    std::puts("usage: korvane-sim [--games N] [--seed S] [--players 3..8] [--korvane 1..3]\n"
              "                   [--per-turn] [--no-last-chance] [--cap MOVES]");
}

bool ParseNumber(const char* text, long low, long high, long& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high)
        return false;
    out = v;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    korvane::SimOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        long v = 0;
        const bool hasValue = i + 1 < argc;
        if (arg == "--per-turn") {
            o.korvanePerTurn = true;
        } else if (arg == "--no-last-chance") {
            o.lastChance = false;
        } else if (arg == "--games" && hasValue && ParseNumber(argv[++i], 1, 100000000, v)) {
            o.games = static_cast<uint32_t>(v);
        } else if (arg == "--seed" && hasValue && ParseNumber(argv[++i], 0, 4294967295L, v)) {
            o.seed = static_cast<uint32_t>(v);
        } else if (arg == "--players" && hasValue && ParseNumber(argv[++i], 3, 8, v)) {
            o.players = static_cast<uint8_t>(v);
        } else if (arg == "--korvane" && hasValue && ParseNumber(argv[++i], 1, 3, v)) {
            o.totalKorvane = static_cast<uint8_t>(v);
        } else if (arg == "--cap" && hasValue && ParseNumber(argv[++i], 0, 1000000000L, v)) {
            o.moveCap = static_cast<uint64_t>(v);
        } else {
            Usage();
            return arg == "--help" ? 0 : 2;
        }
    }

    const auto started = std::chrono::steady_clock::now();
    const korvane::SimReport r = korvane::Simulate(o);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::printf("games %u, players %u, seed %u, Total Korvane %u, %s, last chance %s\n", r.games,
                o.players, o.seed, o.totalKorvane,
                o.korvanePerTurn ? "Korvane per Turn" : "Korvane per Mistake",
                o.lastChance ? "on" : "off");
    std::printf("%-6s %10s %10s\n", "seat", "losses", "penalties");
    for (std::size_t p = 0; p < o.players; ++p)
        std::printf("%-6zu %10u %10u\n", p + 1, r.lossesBySeat[p], r.penaltiesBySeat[p]);
    std::printf("nobody lost: %u\n", r.nobodyLost);
    const auto moves = korvane::Summarise(r.movesPerGame);
    const auto turns = korvane::Summarise(r.turnsPerGame);
    std::printf("moves per game: median %llu, p99 %llu, max %llu\n",
                static_cast<unsigned long long>(moves.median),
                static_cast<unsigned long long>(moves.p99),
                static_cast<unsigned long long>(moves.max));
    std::printf("turns per game: median %llu, p99 %llu, max %llu\n",
                static_cast<unsigned long long>(turns.median),
                static_cast<unsigned long long>(turns.p99),
                static_cast<unsigned long long>(turns.max));
    std::printf("games that hit the cap of %llu moves: %u\n",
                static_cast<unsigned long long>(o.moveCap), r.capped);
    std::printf("%.3f s, %.0f games/s, %.0f moves/s\n", seconds, r.games / seconds,
                static_cast<double>(r.totalMoves) / seconds);
    return 0;
}
