// A table for rule tests: a game record, a recording display and the rules over them, with
// positions laid out by hand. Play is open, with player 0 to move and every pile empty.
#pragma once

#include "RecordingDisplay.h"

namespace korvane::test {

struct Table {
    explicit Table(int players = 3, std::vector<int> humans = {0, 1, 2, 3, 4, 5, 6, 7},
                   uint32_t seed = 1)
        : g(SeedSequence(seed)), view(g), rules(g, view) {
        g.SetDefaults();
        SeatPlayers(g.Game, players, humans);
        G().GameState = State::Playing;
    }
    GameInfo& G() { return g.Game; }
    PlayerInfo& P(int i) { return g.Game.Player[static_cast<std::size_t>(i)]; }

    mdlGlobal g;
    RecordingDisplay view;
    GameRules rules;
};

} // namespace korvane::test
