// A display that shows nothing, for whole games played by the computer at full speed.
#pragma once

#include "engine/TableDisplay.h"
#include "engine/mdlGlobal.h"

#include <cstdint>
#include <optional>

namespace korvane {

class SilentDisplay : public TableDisplay {
public:
    explicit SilentDisplay(mdlGlobal& global) : g_(global) {}

    // What the players dialog answers: this many seats, all played by the computer.
    uint8_t players = 3;

    // Filled in when a game ends.
    std::optional<int> loser; // seat that lost; empty when nobody did
    bool finished = false;    // the end-of-game question was asked

    void StartGame() {
        loser.reset();
        finished = false;
    }

    void PaintCloseDeck(uint8_t) override {}
    void PaintOpenDeck(uint8_t, bool) override {}
    void PrintLabel(uint8_t) override {}
    void PaintSuit(uint8_t, bool) override {}
    void PaintForm() override {}
    void SetDragPic(Pile, uint8_t) override {}
    void HideDragPic() override {}
    void SetCurrentPlayer(bool, bool) override {}
    void SwapSuitPlaces(uint8_t, uint8_t) override {}
    bool AnimateMove(uint8_t toPly) override { return toPly != Target::None; }
    void GiveTip() override {}
    void HidePlayerFrames() override {}
    void ShowPenalty(const PenaltyNote&, bool) override {}
    void CardShowFlight(uint8_t, uint8_t) override {}
    void SetCaption(bool) override {}
    void UpdateCaption() override {}
    void Form_Resize() override {}
    void SetBusyPointer(bool) override {}
    Seating AskPlayers() override;
    bool AskPlayAgain(const std::string& message) override;
    Answer AskSwitchMode(uint8_t, bool) override { return Answer::Cancel; }

private:
    mdlGlobal& g_;
};

} // namespace korvane
