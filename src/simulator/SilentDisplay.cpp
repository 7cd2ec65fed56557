#include "simulator/SilentDisplay.h"

namespace korvane {

Seating SilentDisplay::AskPlayers() {
    Seating s;
    s.choice = Seating::Choice::Play;
    s.players.assign(players, PlayerInfo{});
    for (uint8_t i = 0; i < players; ++i) {
        s.players[i].SetName("Seat " + std::to_string(i + 1));
        s.players[i].Computer = true;
    }
    return s;
}

bool SilentDisplay::AskPlayAgain(const std::string&) {
    const GameInfo& G = g_.Game;
    finished = true;
    if (G.Player[G.CurrentPlayer].HoldsCards())
        loser = G.CurrentPlayer;
    return false;
}

} // namespace korvane
