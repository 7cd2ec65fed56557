// What the rules need from whatever shows the table. The game window implements it over
// widgets; tests record the calls; the simulator shows nothing.
//
// Contract: no operation changes a field of the game record; each reads the record as it is
// and returns when its drawing, its card flight or its question is complete.
//
// Painting (TablePainter) never runs the event loop. Flights and questions (TableDisplay) may,
// so the user can act while they run: the rules leave the record consistent before each of
// them, and reach them only through a wrapper that stops the running move when the game was
// replaced meanwhile (see GameRules).
#pragma once

#include "engine/GameRecord.h"
#include "engine/Pile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// Why a person was just charged a penalty, as the rules saw it at the moment of the mistake, so
// that the table can tell a newcomer what he overlooked.
struct PenaltyNote {
    enum class Deed : uint8_t {
        TurnedCard,     // clicked his closed pile while his open pile's top could be played
        TurnedPileOver, // the same with no closed cards left: his open pile was turned over
        LaidOnOwnPile,  // laid his turned card on his own open pile though it fitted elsewhere
        Unknown,        // a mistake noted in a game opened from a file: nothing more is known
    };
    // A pile that could have taken the card, with its top card then (NoCard: it was empty).
    struct Place {
        Pile pile;
        uint8_t top = NoCard;
        friend bool operator==(const Place&, const Place&) = default;
    };
    uint8_t seat = 0;
    Deed deed = Deed::Unknown;
    uint8_t card = NoCard; // the card he could have played
    std::vector<Place> places;
    int cards = 0; // penalty cards handed over to him
};

class TablePainter {
public:
    virtual ~TablePainter() = default;

    // Painting (from the game record).
    virtual void PaintCloseDeck(uint8_t I) = 0;
    virtual void PaintOpenDeck(uint8_t I, bool Inverse) = 0;
    virtual void PrintLabel(uint8_t I) = 0;
    virtual void PaintSuit(uint8_t I, bool Inverse) = 0;
    // Every pile and label, and the card in hand as the record has it: the turned card over
    // the closed pile in state 1, else the open pile's top. Nothing of an earlier game survives.
    virtual void PaintForm() = 0;

    // The drag picture, the card in hand: shows drawing code dspCard (a card, or a back while
    // penalty cards fly) over a player's open or closed pile.
    virtual void SetDragPic(Pile pile, uint8_t dspCard) = 0;
    virtual void HideDragPic() = 0;
    // Puts the current player's top open card in hand and draws what lies beneath it.
    virtual void SetCurrentPlayer(bool SetDrag, bool Inverse) = 0;
    // Suit piles a and b change places on the table: an Ace dropped on the empty pile of
    // another suit lands where it was dropped, while pile i keeps holding suit i.
    virtual void SwapSuitPlaces(uint8_t a, uint8_t b) = 0;

    // Caption and layout.
    virtual void SetCaption(bool ShowTable) = 0;
    // The caption alone, after the file title changed; the table stays as it is.
    virtual void UpdateCaption() = 0;
    virtual void Form_Resize() = 0;
    virtual void SetBusyPointer(bool busy) = 0;
    // The end-of-game show: hides every player's panel.
    virtual void HidePlayerFrames() = 0;
    // A penalty charged to a person: called as its cards start to fly (cardsFlying) and again
    // once they have all been handed over. Computer seats never get one.
    virtual void ShowPenalty(const PenaltyNote& note, bool cardsFlying) = 0;
};

// The players dialog's answer.
struct Seating {
    enum class Choice : uint8_t {
        Play,       // OK: deal to `players`
        ClearTable, // cancelled with no game in progress: no players
        KeepGame,   // cancelled during a game, or closed: nothing changes
    };
    Choice choice = Choice::KeepGame;
    // For Play: every seat with its name and mode, and its lost games (kept while the number
    // of players stays the same).
    std::vector<PlayerInfo> players;

    // The answer of a players dialog that filled in `chosen`, a copy of the record: accepted, it
    // deals to the players chosen; otherwise a table the dialog left with no players is
    // cleared, and anything else stays as it was.
    static Seating FromDialog(const GameInfo& chosen, bool accepted) {
        Seating s;
        if (accepted && chosen.PlayerCount > 0) {
            s.choice = Choice::Play;
            s.players = chosen.Player;
        } else if (!accepted && chosen.PlayerCount == 0) {
            s.choice = Choice::ClearTable;
        }
        return s;
    }
};

class TableDisplay : public TablePainter {
public:
    // Flights. AnimateMove flies the drag picture to the pile named by a target code (255: back
    // to where it came from) and returns false only for 255.
    virtual bool AnimateMove(uint8_t toPly) = 0;
    // Shows a human player every pile the marks of the move finder allow.
    virtual void GiveTip() = 0;
    // The end-of-game show: card `card`, just taken off suit pile `suit`, flies off the table.
    virtual void CardShowFlight(uint8_t suit, uint8_t card) = 0;

    // Questions.
    virtual Seating AskPlayers() = 0;
    // "... lost this game." and the offer of another game; true for Yes.
    virtual bool AskPlayAgain(const std::string& message) = 0;
    enum class Answer : uint8_t { Yes, No, Cancel };
    // Switch seat `Index` to computer play (toComputer) or to a person.
    virtual Answer AskSwitchMode(uint8_t Index, bool toComputer) = 0;
};

} // namespace korvane
