// The table window with its questions answered by the test and hooks into its flights, and a rig
// that shows it offscreen over the real rules and card library, for the window's tests.
#pragma once

#include "Cards.h"
#include "Wired.h"
#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "engine/mdlGlobal.h"
#include "table/TableMenu.h"

#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
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
    // The screen's room for the window, when the test gives one.
    std::optional<QSize> screenRoom;
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
    QSize ScreenRoom() const override {
        return screenRoom ? *screenRoom : frmKorvane::ScreenRoom();
    }
};

// The record and the card library the window is made over.
struct RigRecord {
    explicit RigRecord(uint32_t seed) : g(FixedSeed(seed)) {
        g.SetDefaults();
        g.Game.DeckBack = FirstBack;
        ready = cards.cdtInit(g.CardWidth, g.CardHeight);
    }
    mdlGlobal g;
    CardLibrary cards;
    bool ready = false;
};

struct Rig : RigRecord, Wired<TestWindow> {
    explicit Rig(uint32_t seed = 7) : RigRecord(seed), Wired(g, cards) {
        w->show();
        exposed = QTest::qWaitForWindowExposed(w.get());
    }

    // A new game through the menu, with flights that do not wait: not even for the screen.
    void NewGame(int n, std::vector<int> computers = {}) {
        std::vector<int> humans;
        for (int i = 0; i < n; ++i)
            if (std::find(computers.begin(), computers.end(), i) == computers.end())
                humans.push_back(i);
        w->players = [n, humans](GameInfo& G) { SeatPlayers(G, n, humans); };
        g.Game.MoveSpeed = {0, 0};
        w->SetFlightClock([now = uint32_t{0}]() mutable { return now += 1000; });
        w->Menu().mnGameNew->trigger();
    }
    // Three people; player 0 to move with `inHand` on top of his open pile over a 3 of spades,
    // the Jack and Queen of spades on his closed pile. Player 1's open pile shows a 6 of
    // diamonds over the King of spades, player 2's a 5 of hearts over the 10 of spades.
    void SetUpThree(uint8_t inHand) {
        NewGame(3);
        G().SuitDeck = {};
        Put(P(0).OpenDeck, {Card(2, 3), inHand});
        Put(P(0).CloseDeck, {Card(10, 3), Card(11, 3)});
        for (int i : {1, 2}) {
            Put(P(i).OpenDeck, {Card(6 - i, i)});
            Put(P(i).CloseDeck, {Card(i == 1 ? 12 : 9, 3)});
        }
        G().CurrentPlayer = 0;
        G().GameState = State::Playing;
        G().ShowTip = false;
        w->PaintForm();
    }
    GameInfo& G() { return g.Game; }
    PlayerInfo& P(int i) { return g.Game.Player[static_cast<std::size_t>(i)]; }
    // Where a pile picture lies on the table.
    QPoint On(QWidget* pic) const { return pic->mapTo(w->Table(), QPoint(0, 0)); }
    QPoint Open(int i) const { return On(w->picOpenDeck(i)); }

    bool exposed = false;
};

} // namespace korvane::test
