#include "engine/mdlGlobal.h"

#include <chrono>
#include <cmath>

namespace korvane {

SeedSource ClockSeed() {
    return [] {
        const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
        const auto wide = static_cast<uint64_t>(ticks);
        return static_cast<uint32_t>(wide ^ (wide >> 32));
    };
}

SeedSource FixedSeed(uint32_t seed) {
    return [seed] { return seed; };
}

SeedSource SeedSequence(uint32_t first) {
    return [next = std::mt19937(first)]() mutable { return static_cast<uint32_t>(next()); };
}

mdlGlobal::mdlGlobal(SeedSource seeds) : seeds_(std::move(seeds)) {
    // Seeded once at birth so that the card back drawn with the defaults differs between runs.
    SeedFromClock();
}

void mdlGlobal::SetDefaults() {
    Game = GameInfo{};
    Game.DeckBack = static_cast<uint8_t>(RandomInt(FirstBack, LastBack));
    CardWidth = 71;
    CardHeight = 96;
    FileName.clear();
    FileTitle.clear();
}

void mdlGlobal::ResetGame() {
    korvane::ResetGame(Game);
}

void mdlGlobal::Seed(uint32_t seed) {
    rng_.seed(seed);
}

void mdlGlobal::SeedFromClock() {
    Seed(seeds_());
}

int32_t mdlGlobal::RandomInt(int32_t Low, int32_t High) {
    // A single-precision draw in [0, 1): 24 random bits.
    const float r = static_cast<float>(rng_() >> 8) * (1.0f / 16777216.0f);
    const int64_t n = static_cast<int64_t>(High) - Low + 1;
    const auto v =
        static_cast<int64_t>(std::floor(static_cast<double>(r) * static_cast<double>(n))) + Low;
    if (v < Low)
        return High;
    if (v > High)
        return Low;
    return static_cast<int32_t>(v);
}

void mdlGlobal::ShuffleAndDeal() {
    CardDeck pack;
    for (uint8_t i = 0; i < CardsInPack; ++i)
        pack.Card[i] = i;
    pack.Count = CardsInPack;

    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < CardsInPack; ++i) {
            const auto j = static_cast<std::size_t>(RandomInt(0, CardsInPack - 1));
            std::swap(pack.Card[static_cast<std::size_t>(i)], pack.Card[j]);
        }
    }

    std::size_t p = Game.CurrentPlayer;
    for (int dealt = 0; dealt < CardsInPack; ++dealt) {
        MoveTopCard(pack, Game.Player[p].CloseDeck);
        if (++p >= Game.PlayerCount)
            p = 0;
    }
}

void mdlGlobal::NewRound() {
    for (std::size_t i = 0; i < Game.PlayerCount; ++i) {
        ClearDeck(Game.Player[i].CloseDeck);
        ClearDeck(Game.Player[i].OpenDeck);
        Game.Player[i].CanTake = false;
    }
    for (CardDeck& s : Game.SuitDeck)
        ClearDeck(s);
    Game.MoveAvailable = false;
    Game.MistakeMade = false;
    Game.CurrentPlayer = static_cast<uint8_t>(RandomInt(0, Game.PlayerCount - 1));
    ShuffleAndDeal();
    Game.GameState = State::Dealt;
}

void mdlGlobal::FindMoves() {
    if (Game.GameState == State::NoGame)
        return;
    for (Bool16& s : Game.SuitCanTake)
        s = false;
    for (PlayerInfo& p : Game.Player)
        p.CanTake = false;
    Game.MoveAvailable = false;

    const uint8_t h = Game.CardInHand();
    if (h == NoCard)
        return;

    bool any = false;
    for (uint8_t i = 0; i < SuitPiles; ++i) {
        if (SuitPileTakes(Game.SuitDeck[i], i, h)) {
            Game.SuitCanTake[i] = true;
            any = true;
        }
    }
    for (std::size_t p = 0; p < Game.PlayerCount; ++p) {
        if (p == Game.CurrentPlayer)
            continue;
        if (OpenPileTakes(Game.Player[p].OpenDeck, h)) {
            Game.Player[p].CanTake = true;
            any = true;
        }
    }
    Game.MoveAvailable = any;
}

} // namespace korvane
