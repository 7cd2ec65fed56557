// A display that shows nothing, for whole games played by the computer at full speed.
#pragma once

#include "engine/GameRules.h"
#include "engine/TableDisplay.h"

#include <cstdint>
#include <optional>

namespace korvane {

class SilentDisplay : public TableDisplay {
public:
    explicit SilentDisplay(mdlGlobal& global) : g_(global) {}

    // What the players dialog answers: this many seats, all played by the computer.
    uint8_t players = 3;
    // Flights allowed in one game before it is ended as endless (0: no cap).
    uint64_t moveCap = 0;
    // Set when a cap is hit; the rules whose game is ended then.
    GameRules* rules = nullptr;

    // Filled in when a game ends.
    std::optional<int> loser; // seat that lost; empty when nobody did
    bool finished = false;    // the end-of-game question was asked
    bool capped = false;      // the game was ended by the cap
    uint64_t flights = 0;     // flights in the current game

    void StartGame() {
        loser.reset();
        finished = capped = false;
        flights = 0;
    }

    void PaintCloseDeck(uint8_t) override {}
    void PaintOpenDeck(uint8_t, bool) override {}
    void PrintLabel(uint8_t) override {}
    void PaintSuit(uint8_t, bool) override {}
    void PaintForm() override {}
    void SetDragPic(int16_t, Pile, uint8_t) override {}
    void HideDragPic() override {}
    void SetCurrentPlayer(bool, bool) override {}
    bool AnimateMove(uint8_t toPly) override;
    void GiveTip() override {}
    void HidePlayerFrames() override {}
    void CardShowFlight(uint8_t, uint8_t) override {}
    void SetCaption(bool) override {}
    void Form_Resize() override {}
    void SetBusyPointer(bool) override {}
    void AskPlayers() override;
    bool AskPlayAgain(const std::string& message) override;
    Answer AskSwitchMode(uint8_t, bool) override { return Answer::Cancel; }

private:
    mdlGlobal& g_;
};

} // namespace korvane
