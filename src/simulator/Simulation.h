// Plays many all-computer games with the silent display and gathers what they were like.
#pragma once

#include "engine/GameRecord.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace korvane {

struct SimOptions {
    uint32_t seed = 1;
    uint32_t games = 1000;
    uint8_t players = 8;
    uint8_t totalKorvane = 1;
    bool korvanePerTurn = false;
    bool lastChance = true;
    // Cards moved in one game before it counts as endless and is ended (0: no cap).
    uint64_t moveCap = 200000;
};

struct Distribution {
    uint64_t median = 0;
    uint64_t p99 = 0;
    uint64_t max = 0;
};
Distribution Summarise(std::vector<uint64_t> values);

struct SimReport {
    uint32_t games = 0;
    uint32_t capped = 0;
    uint32_t nobodyLost = 0;
    std::vector<uint32_t> lossesBySeat;
    std::vector<uint32_t> penaltiesBySeat;
    std::vector<uint64_t> movesPerGame;
    std::vector<uint64_t> turnsPerGame;
    uint64_t totalMoves = 0;
};

SimReport Simulate(const SimOptions& options);

} // namespace korvane
