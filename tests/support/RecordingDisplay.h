// A display for tests: it logs every call with its arguments and answers the rules' questions
// as the test has set it up.
#pragma once

#include "Cards.h"
#include "engine/GameRules.h"
#include "engine/TableDisplay.h"
#include "engine/mdlGlobal.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace korvane::test {

struct Call {
    std::string op;
    std::vector<int> args;
    bool operator==(const Call&) const = default;
};

class RecordingDisplay : public TableDisplay {
public:
    explicit RecordingDisplay(mdlGlobal& global) : g_(global) {}

    std::vector<Call> log;
    // Runs after each call has been logged: a test can act "in the middle" of a display call.
    std::function<void(const Call&)> onCall;
    // What the players dialog does to the record; by default it seats `players` computers.
    std::function<void(GameInfo&)> players;
    int defaultPlayers = 3;
    // Answers to "play again?", in order; false once they run out.
    std::deque<bool> playAgain;
    std::vector<std::string> messages;
    // Every penalty explained, as shown when its cards start to fly.
    std::vector<PenaltyNote> penalties;
    Answer switchAnswer = Answer::Yes;

    // The calls named `op`, in order.
    std::vector<Call> Calls(const std::string& op) const;
    int Count(const std::string& op) const { return static_cast<int>(Calls(op).size()); }
    void Clear() { log.clear(); }

    void PaintCloseDeck(uint8_t I) override { Record("PaintCloseDeck", {I}); }
    void PaintOpenDeck(uint8_t I, bool Inverse) override {
        Record("PaintOpenDeck", {I, Inverse ? 1 : 0});
    }
    void PrintLabel(uint8_t I) override { Record("PrintLabel", {I}); }
    void PaintSuit(uint8_t I, bool Inverse) override { Record("PaintSuit", {I, Inverse ? 1 : 0}); }
    void PaintForm() override { Record("PaintForm", {}); }
    void SetDragPic(Pile pile, uint8_t dspCard) override {
        Record("SetDragPic", {pile.Code(), dspCard});
    }
    void HideDragPic() override { Record("HideDragPic", {}); }
    void SetCurrentPlayer(bool SetDrag, bool Inverse) override {
        Record("SetCurrentPlayer", {SetDrag ? 1 : 0, Inverse ? 1 : 0});
    }
    void SwapSuitPlaces(uint8_t a, uint8_t b) override { Record("SwapSuitPlaces", {a, b}); }
    bool AnimateMove(uint8_t toPly) override;
    void GiveTip() override { Record("GiveTip", {}); }
    void HidePlayerFrames() override { Record("HidePlayerFrames", {}); }
    void ShowPenalty(const PenaltyNote& note, bool cardsFlying) override {
        if (cardsFlying)
            penalties.push_back(note);
        Record("ShowPenalty", {note.seat, cardsFlying ? 1 : 0});
    }
    void CardShowFlight(uint8_t suit, uint8_t card) override {
        Record("CardShowFlight", {suit, card});
    }
    void SetCaption(bool ShowTable) override { Record("SetCaption", {ShowTable ? 1 : 0}); }
    void UpdateCaption() override { Record("UpdateCaption", {}); }
    void Form_Resize() override { Record("Form_Resize", {}); }
    void SetBusyPointer(bool busy) override { Record("SetBusyPointer", {busy ? 1 : 0}); }
    Seating AskPlayers() override;
    bool AskPlayAgain(const std::string& message) override;
    Answer AskSwitchMode(uint8_t Index, bool toComputer) override;

private:
    void Record(std::string op, std::vector<int> args);
    mdlGlobal& g_;
};

} // namespace korvane::test
