// The module that owns the game record and the procedures that need no window: the deal,
// random numbers and the move finder.
#pragma once

#include "engine/GameRecord.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>

namespace korvane {

// Where the generator's seed comes from whenever the game reseeds "from the clock". The
// program uses the clock; tests and the simulator pass a fixed sequence so that games replay.
using SeedSource = std::function<uint32_t()>;
SeedSource ClockSeed();
SeedSource FixedSeed(uint32_t seed);     // the same seed every time it is asked
SeedSource SeedSequence(uint32_t first); // a new seed each time, the same sequence every run

class mdlGlobal {
public:
    explicit mdlGlobal(SeedSource seeds = ClockSeed());

    GameInfo Game;

    // Window-wide values, not saved with a game.
    int32_t CardWidth = 71;
    int32_t CardHeight = 96;
    std::string FileName;
    std::string FileTitle;
    static constexpr int16_t CardSpacing = 8;

    // Every default the program starts with, the card back drawn at random.
    void SetDefaults();
    // Back to no game: piles cleared, tallies cleared, no players. Names and modes stay.
    void ResetGame();

    void Seed(uint32_t seed);
    void SeedFromClock();
    // A uniformly drawn integer in Low..High, both included.
    int32_t RandomInt(int32_t Low, int32_t High);

    void ShuffleAndDeal();
    void NewRound();
    // Marks where the card in hand may go: SuitCanTake, each player's CanTake, MoveAvailable.
    void FindMoves();

private:
    SeedSource seeds_;
    std::mt19937 rng_;
};

} // namespace korvane
