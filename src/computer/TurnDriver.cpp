// The computer player: plays every computer turn that follows, move by move, until a human
// seat is to move or the game is over. It plays only where the move finder allows, uses up the
// open pile's top card before it turns a new one, and lays a turned card on its own pile only
// when it can go nowhere else, so it never makes a penalised mistake.
#include "engine/GameRules.h"

namespace korvane {

void GameRules::RunDriver() {
    GameInfo& G = Game();
    if (G.PlayerCount == 0 || G.GameState == State::Dealt || G.GameState == State::NoGame)
        return;
    MoveGuard guard(*this);

    // Mode is read afresh before every turn: a seat may have been switched meanwhile.
    while (G.Player[G.CurrentPlayer].Computer) {
        PlayComputerTurn();
        if (G.GameState == State::NoGame)
            return;
    }

    if (G.GameState == State::Playing || G.GameState == State::PlayedOn) {
        g_.FindMoves();
        view_.GiveTip();
        Checkpoint();
    }
}

uint8_t GameRules::ChooseTarget() {
    // Every suit pile and every seat is equally likely on each draw; the first marked one
    // drawn is taken. The caller guarantees at least one mark.
    const GameInfo& G = Game();
    for (;;) {
        int r = g_.RandomInt(0, G.PlayerCount + 3);
        if (r > 3)
            r += 6;
        if (r < 4 && G.SuitCanTake[static_cast<std::size_t>(r)])
            return static_cast<uint8_t>(r);
        if (r >= Target::FirstOpen &&
            G.Player[static_cast<std::size_t>(r - Target::FirstOpen)].CanTake)
            return static_cast<uint8_t>(r);
    }
}

// One computer turn: returns once the turn has passed or the game has ended.
void GameRules::PlayComputerTurn() {
    GameInfo& G = Game();
    for (;;) {
        g_.FindMoves();
        while (G.MoveAvailable) {
            const uint8_t r = ChooseTarget();
            view_.AnimateMove(r);
            Checkpoint();
            TransferCard(r);
            if (NextPlayer(r))
                return;
            g_.FindMoves();
        }

        // Nothing to play: turn up a card, turning the open pile over first if need be.
        for (int clicks = 0; G.GameState != State::Turned && G.GameState != State::NoGame;
             ++clicks) {
            if (clicks == 2 || !G.Player[G.CurrentPlayer].HoldsCards()) {
                // Only a damaged saved game can seat a player with nothing to turn: let the
                // turn pass rather than click for ever.
                NextPlayer(static_cast<uint8_t>(Target::FirstOpen + G.CurrentPlayer));
                return;
            }
            CloseDeckClick(G.CurrentPlayer);
        }
        if (G.GameState == State::NoGame)
            return;

        g_.FindMoves();
        if (G.MoveAvailable)
            continue;

        const auto own = static_cast<uint8_t>(Target::FirstOpen + G.CurrentPlayer);
        view_.AnimateMove(own);
        Checkpoint();
        TransferCard(own);
        NextPlayer(own);
        return;
    }
}

void GameRules::lblPlayer_DblClick(int Index) {
    Entry([this, Index] {
        GameInfo& G = Game();
        // The seat whose turn it is cannot be switched.
        if (Index < 0 || Index >= G.PlayerCount || Index == G.CurrentPlayer)
            return;
        const bool computer = G.Player[static_cast<std::size_t>(Index)].Computer;
        const auto answer = view_.AskSwitchMode(static_cast<uint8_t>(Index), !computer);
        Checkpoint();
        if (answer == TableDisplay::Answer::Yes)
            G.Player[static_cast<std::size_t>(Index)].Computer = !computer;
    });
}

} // namespace korvane
