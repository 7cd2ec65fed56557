// What the rules need from whatever shows the table. The game window implements it over
// widgets; tests record the calls; the simulator shows nothing.
//
// Contract: these operations change no field of the game record; they read it as it is. An
// operation returns when its drawing or its card flight is complete. Flights, the move tip and
// the questions may run the event loop, so the user can act while they run; painting does not.
// The rules therefore leave the record consistent before every flight and every question, and
// look again afterwards (see GameRules: a game replaced meanwhile stops the running move).
#pragma once

#include <cstdint>
#include <string>

namespace korvane {

class TableDisplay {
public:
    virtual ~TableDisplay() = default;

    // Painting (from the game record).
    virtual void PaintCloseDeck(uint8_t I) = 0;
    virtual void PaintOpenDeck(uint8_t I, bool Inverse) = 0;
    virtual void PrintLabel(uint8_t I) = 0;
    virtual void PaintSuit(uint8_t I, bool Inverse) = 0;
    // Every pile and label; ends by putting the current player's card in hand (unless a turned
    // card is in hand).
    virtual void PaintForm() = 0;

    // The drag picture, the card in hand.
    enum class Pile : uint8_t { Closed, Open };
    // Shows drawing code dspCard (a card, or a back while penalty cards fly) over a pile of
    // player Index.
    virtual void SetDragPic(int16_t Index, Pile pic, uint8_t dspCard) = 0;
    virtual void HideDragPic() = 0;
    // Puts the current player's top open card in hand and draws what lies beneath it.
    virtual void SetCurrentPlayer(bool SetDrag, bool Inverse) = 0;

    // Flights. AnimateMove flies the drag picture to the pile named by a target code (255: back
    // to where it came from) and returns false only for 255.
    virtual bool AnimateMove(uint8_t toPly) = 0;
    // Shows a human player every pile the marks of the move finder allow.
    virtual void GiveTip() = 0;
    // The end-of-game show: hides every player's panel.
    virtual void HidePlayerFrames() = 0;
    // The end-of-game show: card `card`, just taken off suit pile `suit`, flies off the table.
    virtual void CardShowFlight(uint8_t suit, uint8_t card) = 0;

    // Caption and layout.
    virtual void SetCaption(bool ShowTable) = 0;
    virtual void Form_Resize() = 0;
    virtual void SetBusyPointer(bool busy) = 0;

    // Questions the rules ask.
    // The players dialog; writes the players into the game record itself (GameState 254 on OK).
    virtual void AskPlayers() = 0;
    // "... lost this game." and the offer of another game; true for Yes.
    virtual bool AskPlayAgain(const std::string& message) = 0;
    enum class Answer : uint8_t { Yes, No, Cancel };
    // Switch seat `Index` to computer play (toComputer) or to a person.
    virtual Answer AskSwitchMode(uint8_t Index, bool toComputer) = 0;
};

} // namespace korvane
