// The rules of play and the computer player, over one game record and one display.
//
// Re-entry. Flights and questions run the event loop, so a user's click, a menu command or the
// closing of the window can arrive in the middle of a move. Two mechanisms keep that sound:
//
//  * A move in progress (a flight, a penalty hand-over, a tip, a computer turn, a drop) is
//    counted by MoveGuard. While one runs, clicks on a closed pile and presses on the card in
//    hand are refused (MoveInProgress()).
//  * Every game has an epoch. Replacing or ending the game (New with OK, Open, closing the
//    window) starts a new epoch. Code that was running for the old epoch notices it the moment
//    its flight or question returns and unwinds at once, touching nothing.
//
// Only the public entry points below are called from event handlers; each one catches the
// unwinding of a replaced game, so it never escapes into the toolkit.
#pragma once

#include "engine/GameRecord.h"
#include "engine/TableDisplay.h"
#include "engine/mdlGlobal.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace korvane {

// Counters kept as games are played, for the simulator, the benchmarks and the tests.
struct PlayStats {
    uint64_t moves = 0;     // cards that changed piles in play (penalty cards not included)
    uint64_t turns = 0;     // turns that passed
    uint64_t penalties = 0; // penalties handed out
    std::vector<uint32_t> penaltiesBySeat;
    void Clear() { *this = PlayStats{}; }
};

class GameRules {
public:
    GameRules(mdlGlobal& global, TableDisplay& display);
    GameRules(const GameRules&) = delete;
    GameRules& operator=(const GameRules&) = delete;

    mdlGlobal& Global() { return g_; }
    GameInfo& Game() { return g_.Game; }
    const GameInfo& Game() const { return g_.Game; }
    PlayStats& Stats() { return stats_; }

    // ---- Entry points for the user's commands and the window's events ----

    // Game > New Game: the players dialog, then the deal, then play opens.
    void mnGameNew_Click();
    // A click on a closed pile. Ignored while a move is in progress.
    void picCloseDeck_Click(int Index);
    // The turn driver: plays every computer turn up to the next human one and shows a human the
    // tip. Entered after a drop, after a saved game is opened and whenever play opens.
    void picTurn_GotFocus();
    // A double click on a seat's name label: switch between human and computer play.
    void lblPlayer_DblClick(int Index);
    // What follows a human drop once its flight has ended: flewToTarget is AnimateMove's result
    // for target t. Makes the move, passes the turn and runs the driver.
    void HumanDrop(uint8_t t, bool flewToTarget);
    // Replaces the game with one read from a file (already checked) and lets play go on.
    void OpenGame(const GameInfo& loaded);
    // Ends the game on the table without a question (the simulator's move cap): whatever runs
    // for it stops, and the table is empty.
    void EndGame();
    // The window is closing: whatever runs stops, and nothing starts again.
    void Shutdown();

    // ---- Re-entry ----

    uint64_t Epoch() const { return epoch_; }
    bool Abandoned(uint64_t epoch) const { return epoch != epoch_; }
    // True while the innermost running entry point works for a game that has been replaced:
    // a flight asked for by the rules should stop at once.
    bool RunningMoveAbandoned() const { return activeEpoch_ != epoch_; }
    bool MoveInProgress() const { return moveDepth_ > 0; }

    // Marks a move in progress for its lifetime. The window holds one around a drop's flight.
    class MoveGuard {
    public:
        explicit MoveGuard(GameRules& rules);
        ~MoveGuard();
        MoveGuard(const MoveGuard&) = delete;
        MoveGuard& operator=(const MoveGuard&) = delete;
        uint64_t Epoch() const { return epoch_; }

    private:
        GameRules& rules_;
        uint64_t epoch_;
    };

    // The record as a save made now should hold: the game between moves. During a penalty, the
    // game once the running move is complete (every penalty card handed over, and a move that
    // the penalty interrupted finished as NextPlayer finishes it); no game from the end of a
    // game through the card show. The decision for each moment is written out where it is made.
    GameInfo SaveableRecord() const;

    // ---- Rule operations (public for tests; the entry points above are what the UI calls) ----

    bool TransferCard(uint8_t toPly);
    bool NextPlayer(uint8_t toPly);
    // A penalty for the current player. onTransferTo: the open pile his turned card was just
    // laid on when the penalty is charged on that transfer (NextPlayer(onTransferTo) then ends
    // the move), Target::None after a closed-pile click.
    void GiveKorvane(uint8_t onTransferTo = Target::None);
    void FinishGame();
    // The closed-pile click as the rules define it, without the in-progress refusal.
    void CloseDeckClick(int Index);

private:
    void RunDriver();
    void PlayComputerTurn();
    uint8_t ChooseTarget();
    void DropAfterFlight(uint8_t t, bool flewToTarget);
    // Starts a new epoch: the running move and driver stop.
    void ReplaceGame();
    // Throws Unwind when the game the running entry point works for was replaced meanwhile.
    // Called after every display operation that may run the event loop.
    void Checkpoint() const;
    // Runs an entry point's body for the current game and absorbs its unwinding.
    void Entry(const std::function<void()>& body);

    struct Unwind {};

    mdlGlobal& g_;
    TableDisplay& view_;
    PlayStats stats_;
    uint64_t epoch_ = 1;
    // The epoch of the innermost running entry point (entry points nest through the event loop).
    uint64_t activeEpoch_ = 1;
    int moveDepth_ = 0;
    // While a penalty is handed over: the state it will return to, the transfer it was charged
    // on (Target::None for none), its givers one per card, and how many cards have gone.
    uint8_t stateBeforePenalty_ = State::Playing;
    uint8_t penaltyMoveTo_ = Target::None;
    std::vector<uint8_t> penaltyGivers_;
    std::size_t penaltyGiven_ = 0;
    bool finishing_ = false;
    bool shutDown_ = false;
};

} // namespace korvane
