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
        if (moveLimit_ != 0 && stats_.moves >= moveLimit_)
            return;
        PlayComputerTurn();
        if (G.GameState == State::NoGame)
            return;
    }

    if (G.GameState == State::Playing || G.GameState == State::PlayedOn) {
        g_.FindMoves();
        ask_.GiveTip();
    }
}

Pile GameRules::ChooseTarget() {
    // Every suit pile and every seat is equally likely on each draw; the first marked one
    // drawn is taken. The caller guarantees at least one mark.
    const GameInfo& G = Game();
    for (;;) {
        const auto r = static_cast<uint8_t>(g_.RandomInt(0, G.PlayerCount + SuitPiles - 1));
        if (r < SuitPiles) {
            if (G.SuitCanTake[r])
                return Pile::Suit(r);
        } else if (G.Player[r - SuitPiles].CanTake) {
            return Pile::Open(static_cast<uint8_t>(r - SuitPiles));
        }
    }
}

// One computer turn: returns once the turn has passed or the game has ended.
void GameRules::PlayComputerTurn() {
    GameInfo& G = Game();
    for (;;) {
        g_.FindMoves();
        while (G.MoveAvailable) {
            const Pile r = ChooseTarget();
            ask_.AnimateMove(r);
            TransferCard(r.Code());
            if (NextPlayer(r.Code()))
                return;
            g_.FindMoves();
        }

        // Nothing to play: turn up a card, turning the open pile over first if need be.
        for (int clicks = 0; G.GameState != State::Turned && G.GameState != State::NoGame;
             ++clicks) {
            if (clicks == 2 || !G.Player[G.CurrentPlayer].HoldsCards()) {
                // Only a damaged saved game can seat a player with nothing to turn: let the
                // turn pass rather than click for ever.
                NextPlayer(Pile::Open(G.CurrentPlayer).Code());
                return;
            }
            CloseDeckClick(G.CurrentPlayer);
        }
        if (G.GameState == State::NoGame)
            return;

        g_.FindMoves();
        if (G.MoveAvailable)
            continue;

        const Pile own = Pile::Open(G.CurrentPlayer);
        ask_.AnimateMove(own);
        TransferCard(own.Code());
        NextPlayer(own.Code());
        return;
    }
}

} // namespace korvane
