// The table window with its questions answered by the test and hooks into its flights, for the
// window's tests.
#pragma once

#include "engine/GameRules.h"
#include "table/frmKorvane.h"

#include <functional>
#include <string>
#include <vector>

namespace korvane::test {

// The window with the players dialog answered by the test.
class TestWindow : public frmKorvane {
public:
    using frmKorvane::frmKorvane;
    std::function<void(GameInfo&)> players;
    std::function<bool(const std::string&)> playAgain;
    std::function<void()> duringTip;
    std::function<void()> duringFlight;
    int notEnoughResolution = 0;
    // Every flight's destination, in order.
    std::vector<Pile> flights;

    bool AnimateMove(uint8_t toPly) override {
        flights.push_back(Pile::FromCode(toPly, MaxPlayers));
        if (duringFlight)
            duringFlight();
        return frmKorvane::AnimateMove(toPly);
    }

    void GiveTip() override {
        if (duringTip)
            duringTip();
        frmKorvane::GiveTip();
    }
    Seating AskPlayers() override {
        GameInfo chosen = Global().Game;
        if (players)
            players(chosen);
        return Seating::FromDialog(chosen, chosen.GameState == State::Dealt);
    }
    mdlGlobal& Global() { return Rules()->Global(); }

protected:
    bool PlayAgainBox(const std::string& message) override {
        return playAgain ? playAgain(message) : false;
    }
    void NotEnoughResolution() override { ++notEnoughResolution; }
};

} // namespace korvane::test
