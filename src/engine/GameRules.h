// The rules of play and the computer player, over one game record and one display.
//
// Re-entry. Flights and questions run the event loop, so a user's click, a menu command or the
// closing of the window can arrive in the middle of a move. Two mechanisms keep that sound:
//
//  * A move in progress (a flight, a penalty hand-over, a tip, a computer turn, a drop) is
//    counted by MoveGuard. While one runs, clicks on a closed pile and presses on the card in
//    hand are refused (MoveInProgress()).
//  * Every game has an epoch. Replacing or ending the game (New with OK, Open, closing the
//    window) starts a new epoch. The rules reach flights and questions only through Asking,
//    whose every operation checks on return that the game it ran for is still on the table
//    and otherwise unwinds the running entry point at once, touching nothing. A flight in the
//    window stops early by the same test (RunningMoveAbandoned()).
//
// Only the public entry points below are called from event handlers; each one catches the
// unwinding of a replaced game, so it never escapes into the toolkit.
#pragma once

#include "engine/GameRecord.h"
#include "engine/Pile.h"
#include "engine/PlayerActions.h"
#include "engine/TableDisplay.h"
#include "engine/mdlGlobal.h"

#include <cstdint>
#include <functional>
#include <optional>
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

// Whether pile `to` takes the current player's card in hand: a suit place by PlaceTakes, another
// player's open pile by OpenPileTakes, and his own open pile always (a turned card may go there
// as a last resort; the open pile's top goes back where it was).
bool PileTakes(const GameInfo& game, Pile to);

// The kinds of place that take `card` for the current player on this table, by the move
// finder's own tests: a suit place (PlaceTakes), another player's open pile (OpenPileTakes).
struct PlaceKinds {
    bool suitPile = false;
    bool otherOpenPile = false;
    bool Any() const { return suitPile || otherOpenPile; }
};
PlaceKinds KindsTaking(const GameInfo& game, uint8_t card);

class GameRules : public PlayerActions {
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
    void picCloseDeck_Click(int Index) override;
    // The turn driver: plays every computer turn up to the next human one and shows a human the
    // tip. Entered after a drop, after a saved game is opened and whenever play opens.
    void picTurn_GotFocus();
    // A double click on a seat's name label: switch between human and computer play.
    void lblPlayer_DblClick(int Index) override;
    // A person let go of the card in hand over pile `to` (None: over no pile that takes it).
    // The card flies there, or back where it came from; the move is made, the turn passes if it
    // must and the driver runs. Ignored while another move is in progress.
    void HumanDrop(Pile to) override;
    // A person chose pile `to` for the card in hand without carrying it there (the keyboard).
    // The card flies to the pile either way, so the attempt is seen; a pile that takes it gets
    // it as from HumanDrop, any other sends it back and nothing changes. Ignored while another
    // move is in progress.
    void HumanChoose(Pile to) override;
    // Replaces the game with one read from a file (already checked) and lets play go on. A file
    // with no game in progress that keeps at least three players (a game saved once it had
    // ended) offers the next game with them, their modes and their tallies.
    void OpenGame(const GameInfo& loaded);
    // Ends the game on the table without a question (the simulator's move cap): whatever runs
    // for it stops, and the table is empty.
    void EndGame();
    // The driver stops between turns once this many cards have moved in the current game (0:
    // never), leaving the game as it stands; the simulator's guard against endless games.
    void SetMoveLimit(uint64_t moves) { moveLimit_ = moves; }
    // The window is closing: whatever runs stops, and nothing starts again.
    void Shutdown();

    // ---- Re-entry ----

    // Counts the games put on the table: changes whenever the game is replaced or ended.
    uint64_t Epoch() const { return epoch_; }
    // True while the innermost running entry point works for a game that has been replaced:
    // a flight asked for by the rules should stop at once.
    bool RunningMoveAbandoned() const override { return activeEpoch_ != epoch_; }
    bool MoveInProgress() const override { return moveDepth_ > 0; }
    // A person may act now, with the mouse or the keys: a game is being played, no move runs,
    // and the seat to act is a person's.
    bool PersonMayAct() const override;

    // The record as a save made now should hold: the game between moves. During a penalty, the
    // game once the running move is complete (every penalty card handed over, and a move that
    // the penalty interrupted finished as NextPlayer finishes it); from the end of a game
    // through the card show, no game but the players with their tallies. The decision for each
    // moment is written out where it is made.
    GameInfo SaveableRecord() const;

    // ---- Rule operations (public for tests; the entry points above are what the UI calls) ----

    bool TransferCard(uint8_t toPly);
    bool NextPlayer(uint8_t toPly);
    // A penalty for the current player. onTransferTo: the open pile his turned card was just
    // laid on when the penalty is charged on that transfer (NextPlayer(onTransferTo) then ends
    // the move), None after a closed-pile click. A person is told `why`, when it is given.
    void GiveKorvane(Pile onTransferTo = Pile::None(),
                     const std::optional<PenaltyNote>& why = std::nullopt);
    void FinishGame();
    // The closed-pile click as the rules define it, without the in-progress refusal.
    void CloseDeckClick(int Index);

private:
    // Marks a move in progress for its lifetime.
    class MoveGuard {
    public:
        explicit MoveGuard(GameRules& rules);
        ~MoveGuard();
        MoveGuard(const MoveGuard&) = delete;
        MoveGuard& operator=(const MoveGuard&) = delete;

    private:
        GameRules& rules_;
        uint64_t epoch_;
    };

    // The display's flights and questions, the only way the rules reach them: each returns
    // only when the game it was called for is still on the table, and otherwise unwinds the
    // running entry point.
    class Asking {
    public:
        Asking(TableDisplay& display, const GameRules& rules) : d_(display), rules_(rules) {}
        bool AnimateMove(Pile to);
        void GiveTip();
        void CardShowFlight(uint8_t suit, uint8_t card);
        Seating AskPlayers();
        bool AskPlayAgain(const std::string& message);
        TableDisplay::Answer AskSwitchMode(uint8_t Index, bool toComputer);

    private:
        TableDisplay& d_;
        const GameRules& rules_;
    };

    void RunDriver();
    void PlayComputerTurn();
    Pile ChooseTarget();
    // HumanDrop's move, inside its entry point.
    void Drop(Pile to);
    void DropAfterFlight(Pile to, bool flewToTarget);
    void ApplySeating(const Seating& seating);
    // Play again: a new deal for the players seated, their tallies kept.
    void StartNextGame();
    // The mistake the current player is charged for in a transfer when one was noted earlier
    // in his turn: the note, or, for a game opened with the mistake already noted, no details.
    PenaltyNote NotedMistake() const;
    // One penalty card from the end of the giver's closed pile to the end of the offender's.
    bool HandOverPenaltyCard(uint8_t giver);
    // Starts a new epoch: the running move and driver stop.
    void ReplaceGame();
    // Throws Unwind when the game the running entry point works for was replaced meanwhile.
    void Checkpoint() const;
    // Runs an entry point's body for the current game and absorbs its unwinding.
    void Entry(const std::function<void()>& body);

    struct Unwind {};

    mdlGlobal& g_;
    // Painting only: it never runs the event loop, so it needs no check.
    TablePainter& view_;
    Asking ask_;
    PlayStats stats_;
    uint64_t moveLimit_ = 0;
    uint64_t epoch_ = 1;
    // The epoch of the innermost running entry point (entry points nest through the event loop).
    uint64_t activeEpoch_ = 1;
    int entryDepth_ = 0;
    int moveDepth_ = 0;
    // While a penalty is handed over: the state it will return to, the transfer it was charged
    // on (Target::None for none), its givers one per card, and how many cards have gone.
    uint8_t stateBeforePenalty_ = State::Playing;
    Pile penaltyMoveTo_;
    std::vector<uint8_t> penaltyGivers_;
    std::size_t penaltyGiven_ = 0;
    // The details of the mistake noted under "Korvane per Turn" (the record keeps only that one
    // was made), until it is charged; read only while the record's MistakeMade is set.
    std::optional<PenaltyNote> notedMistake_;
    bool finishing_ = false;
    bool shutDown_ = false;
};

} // namespace korvane
