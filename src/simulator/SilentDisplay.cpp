#include "simulator/SilentDisplay.h"

namespace korvane {

bool SilentDisplay::AnimateMove(uint8_t toPly) {
    if (moveCap != 0 && ++flights > moveCap && rules != nullptr && !capped) {
        capped = true;
        rules->EndGame();
    }
    return toPly != Target::None;
}

void SilentDisplay::AskPlayers() {
    GameInfo& G = g_.Game;
    G.PlayerCount = players;
    G.Player.assign(players, PlayerInfo{});
    for (uint8_t i = 0; i < players; ++i) {
        G.Player[i].SetName("Seat " + std::to_string(i + 1));
        G.Player[i].Computer = true;
    }
    G.GameState = State::Dealt;
}

bool SilentDisplay::AskPlayAgain(const std::string&) {
    const GameInfo& G = g_.Game;
    finished = true;
    if (G.Player[G.CurrentPlayer].HoldsCards())
        loser = G.CurrentPlayer;
    return false;
}

} // namespace korvane
