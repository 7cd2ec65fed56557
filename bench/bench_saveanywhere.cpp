// Saves at every moment, in bulk: seeded games with human seats played by the scripted player of
// tests/support/SaveAnywhere.h, saved at every display call that may run the event loop, each
// save reopened into a fresh game and played to its end with the table checked after every move.
// A plain program that prints its figures (not a Google Benchmark run):
//
//   bench_saveanywhere [--saves N] [--games G] [--seed S]
//
// plays games from seed S (1) on, every save made, until it has made at least N saves (10000) in
// at least G games (36, so that the options drawn cover 3..8 seats, both penalty types, one to
// three penalty cards and the last chance on and off).
//
// Arguments it does not know are ignored, so that scripts/bench can pass its own to every
// program. Exits with 1 when a file was refused or a check failed.
#include "SaveAnywhere.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>

using namespace korvane::saveanywhere;

int main(int argc, char** argv) {
    uint64_t target = 10000;
    uint64_t minGames = 36;
    uint32_t seed = 1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--saves") == 0)
            target = std::strtoull(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--games") == 0)
            minGames = std::strtoull(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    }

    Figures total;
    std::array<int, 9> seats{};
    std::array<int, 4> sizes{};
    int games = 0, perTurn = 0, lastChance = 0, humans = 0, computers = 0;
    uint64_t saves = 0;
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t s = seed; saves < target || games < static_cast<int>(minGames); ++s, ++games) {
        const Options o = DrawOptions(s);
        ++seats[o.players];
        ++sizes[o.totalKorvane];
        perTurn += o.perTurn ? 1 : 0;
        lastChance += o.lastChance ? 1 : 0;
        for (std::size_t p = 0; p < o.players; ++p)
            (o.human[p] ? humans : computers) += 1;
        Run(o, total);
        saves = std::accumulate(total.saves.begin(), total.saves.end(), uint64_t{0});
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const int g = games;
    const uint64_t reopened = total.playedToEnd + total.reopenedEmpty;
    std::printf("games saved from:            %d (seeds %u..%u)\n", g, seed,
                seed + static_cast<uint32_t>(g) - 1);
    std::printf("  seats 3..8:                %d %d %d %d %d %d\n", seats[3], seats[4], seats[5],
                seats[6], seats[7], seats[8]);
    std::printf("  human / computer seats:    %d / %d\n", humans, computers);
    std::printf("  per turn / per mistake:    %d / %d\n", perTurn, g - perTurn);
    std::printf("  penalty of 1, 2, 3 cards:  %d %d %d\n", sizes[1], sizes[2], sizes[3]);
    std::printf("  last chance on / off:      %d / %d\n", lastChance, g - lastChance);
    std::printf("saves made:                  %llu\n", static_cast<unsigned long long>(saves));
    for (std::size_t m = 0; m < MomentCount; ++m)
        std::printf("  %-27s %llu\n", MomentName(static_cast<Moment>(m)),
                    static_cast<unsigned long long>(total.saves[m]));
    std::printf("failures (refused files, broken invariants, saves holding another game,\n"
                "games that did not end):     %zu\n",
                total.failures.size());
    std::printf("reopened games ending well:  %llu\n", static_cast<unsigned long long>(reopened));
    std::printf("  holding no game:           %llu\n",
                static_cast<unsigned long long>(total.reopenedEmpty));
    std::printf("  played to the end:         %llu\n",
                static_cast<unsigned long long>(total.playedToEnd));
    std::printf("cards moved when reopened:   %llu\n",
                static_cast<unsigned long long>(total.reopenedMoves));
    std::printf("time:                        %.3f s (%.1f us a save, reopened game included)\n",
                seconds, 1e6 * seconds / static_cast<double>(saves));
    for (std::size_t i = 0; i < total.failures.size() && i < 10; ++i)
        std::printf("FAILED: %s\n", total.failures[i].c_str());
    return total.failures.empty() ? 0 : 1;
}
