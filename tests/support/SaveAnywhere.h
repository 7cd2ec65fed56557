// "A save at any moment reopens into a game the rules can finish", as a property to run.
//
// Seeded games with human seats, played by a scripted player who now and then makes mistake 1
// and mistake 2, are saved as the Save command saves at the display calls that may run the event
// loop (all of them, or one in n of each kind), and each file is opened into a fresh game played
// to its end, the table checked after every move. A save made during a penalty holds the game
// once the running move is complete (GameRules::SaveableRecord), which the rules mark with
// SetCurrentPlayer or the end-of-game question; any other save, the game as it stands.
//
// Header only: bench/bench_saveanywhere.cpp builds without the tests' support library.
#pragma once

#include "TableCheck.h"
#include "engine/GameRules.h"
#include "savedgame/SavedGameFile.h"
#include "simulator/SilentDisplay.h"

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace korvane::saveanywhere {

using namespace korvane::test; // Check, CheckTable, Difference

// The moment a save is made at: the display call running, and what the game was doing.
enum class Moment : uint8_t {
    ComputerFlight,
    HumanDrop, // the window's flight of a human drop, before HumanDrop returns
    Tip,
    PenaltyMistake1, // "Korvane per Mistake"
    PenaltyMistake2,
    PenaltyCharge, // "Korvane per Turn": charged on a transfer
    EndQuestion,
    CardShow,
    PlayersQuestion,
    SwitchQuestion,
    Count
};
inline constexpr std::size_t MomentCount = static_cast<std::size_t>(Moment::Count);

inline const char* MomentName(Moment m) {
    static constexpr std::array<const char*, MomentCount> names{"flight of a computer move",
                                                                "human drop's flight",
                                                                "tip",
                                                                "penalty after mistake 1",
                                                                "penalty after mistake 2",
                                                                "per-turn charge",
                                                                "end-of-game question",
                                                                "card show",
                                                                "players question",
                                                                "seat switch question"};
    return names[static_cast<std::size_t>(m)];
}

// ---- The display ----

// Shows nothing; tells the harness about every call that may run the event loop, as the moment
// it is. Every flight is told as a computer's: only the harness knows a drop's or a penalty's.
class ScriptDisplay : public SilentDisplay {
public:
    using SilentDisplay::SilentDisplay;

    // Runs inside each call that may run the event loop, as a menu command would; always set.
    std::function<void(Moment)> onLoopCall;
    // Runs when the rules put the card in hand for the player to move: a move has ended, or a
    // penalty has been handed over.
    std::function<void()> onSetCurrentPlayer;
    std::array<bool, MaxSavedPlayers> human{}; // the seats the players dialog gives a person
    int playAgain = 0;                         // "play again" is answered Yes this many times

    void SetCurrentPlayer(bool, bool) override {
        if (onSetCurrentPlayer)
            onSetCurrentPlayer();
    }
    bool AnimateMove(uint8_t toPly) override {
        onLoopCall(Moment::ComputerFlight);
        return toPly != Target::None;
    }
    void GiveTip() override { onLoopCall(Moment::Tip); }
    void CardShowFlight(uint8_t, uint8_t) override { onLoopCall(Moment::CardShow); }
    Seating AskPlayers() override {
        onLoopCall(Moment::PlayersQuestion);
        Seating s = SilentDisplay::AskPlayers();
        for (std::size_t p = 0; p < s.players.size(); ++p)
            s.players[p].Computer = !human[p];
        return s;
    }
    bool AskPlayAgain(const std::string& message) override {
        SilentDisplay::AskPlayAgain(message);
        onLoopCall(Moment::EndQuestion);
        return playAgain-- > 0;
    }
    Answer AskSwitchMode(uint8_t, bool) override {
        onLoopCall(Moment::SwitchQuestion);
        return Answer::No; // the seats stay as they are
    }
};

// ---- The scripted player ----

// Plays the human seats as the window lets a person play them: drops the card in hand on a pile
// that takes it, or clicks his closed pile, and double-clicks another seat's label now and then.
class ScriptedPlayer {
public:
    enum class Action : uint8_t { None, Click, Drop, Switch };

    explicit ScriptedPlayer(uint32_t seed) : rng_(seed) {}

    Action last = Action::None; // while it runs and after
    bool flying = false;        // the window's flight of a drop is under way

    // One action of the human whose turn it is. In percent: a double click on another seat's
    // label; mistake 1 and mistake 2 of their chances; a drop where no pile takes the card; the
    // open pile's top dropped back onto it.
    void Act(GameRules& rules) {
        constexpr int DblClick = 1, Mistake1 = 12, Mistake2 = 20, Nowhere = 3, SamePlace = 3;
        const GameInfo& G = rules.Game();
        const uint8_t c = G.CurrentPlayer;
        if (Chance(DblClick)) {
            last = Action::Switch;
            rules.lblPlayer_DblClick(
                static_cast<uint8_t>((c + 1 + Pick(G.PlayerCount - 1)) % G.PlayerCount));
            return;
        }
        // The piles other than his own that take the card in hand.
        std::vector<Pile> targets;
        for (uint8_t s = 0; s < SuitPiles; ++s)
            if (PileTakes(G, Pile::Suit(s)))
                targets.push_back(Pile::Suit(s));
        for (uint8_t p = 0; p < G.PlayerCount; ++p)
            if (p != c && PileTakes(G, Pile::Open(p)))
                targets.push_back(Pile::Open(p));
        const bool holding = G.CardInHand() != NoCard;
        if (G.GameState == State::Turned) {
            Pile t = Pile::Open(c);
            if (!targets.empty() && !Chance(Mistake2))
                t = targets[Pick(targets.size())];
            return Drop(rules, Chance(Nowhere) ? Pile::None() : t);
        }
        if (holding && Chance(SamePlace))
            return Drop(rules, Pile::Open(c));
        if (holding && !targets.empty() && !Chance(Mistake1))
            return Drop(rules, Chance(Nowhere) ? Pile::None() : targets[Pick(targets.size())]);
        last = Action::Click; // nothing to play, or mistake 1
        rules.picCloseDeck_Click(c);
    }

private:
    // What the window does when a card is let go. The first flight that follows is the drop's
    // own (the harness clears `flying` when it sees it).
    void Drop(GameRules& rules, Pile to) {
        last = Action::Drop;
        flying = true;
        rules.HumanDrop(to);
        flying = false;
    }
    bool Chance(int percent) { return static_cast<int>(rng_() % 100) < percent; }
    std::size_t Pick(std::size_t n) { return n <= 1 ? 0 : rng_() % n; }

    std::mt19937 rng_;
};

// ---- The run ----

struct Options {
    uint32_t seed = 1;
    uint8_t players = 4;
    std::array<bool, MaxSavedPlayers> human{}; // per seat; at least one true
    uint8_t totalKorvane = 1;
    bool perTurn = false;
    bool lastChance = true;
    int extraRounds = 0;      // "play again" answered Yes this many times
    uint64_t moveCap = 50000; // cards moved, and actions, a game may take
    // Saves at one in `every` calls of the frequent moments (flights of moves and drops, tips,
    // the card show) and at one in `everyPenalty` penalty flights, from a phase drawn from the
    // seed, and at every question. A small budget still reaches every kind of moment.
    uint32_t every = 1;
    uint32_t everyPenalty = 1;
};

// A seeded choice of options: 3..8 seats, mixed human and computer seats, both penalty types,
// 1..3 penalty cards, the last chance on or off.
inline Options DrawOptions(uint32_t seed, uint32_t every = 1, uint32_t everyPenalty = 1) {
    std::mt19937 r(seed * 2654435761u + 17u);
    Options o;
    o.seed = seed;
    o.players = static_cast<uint8_t>(MinPlayers + r() % (MaxPlayers - MinPlayers + 1));
    for (std::size_t p = 0; p < o.players; ++p)
        o.human[p] = r() % 2 == 0;
    o.human[r() % o.players] = true;
    o.totalKorvane = static_cast<uint8_t>(MinPenaltyCards + r() % MaxPenaltyCards);
    o.perTurn = r() % 2 == 0;
    o.lastChance = r() % 3 != 0;
    o.extraRounds = r() % 4 == 0 ? 1 : 0;
    o.every = every;
    o.everyPenalty = everyPenalty;
    return o;
}

// What runs add up to; `failures` says what went wrong, each in a line of its own.
struct Figures {
    std::array<uint64_t, MomentCount> saves{};
    uint64_t reopenedEmpty = 0; // files that held no game
    uint64_t playedToEnd = 0;   // files that held a game, played to its end
    uint64_t reopenedMoves = 0; // cards moved in reopened games
    std::vector<std::string> failures;
};

namespace detail {

inline Check LevelAt(Moment m, const GameInfo& G) {
    if (m == Moment::CardShow)
        return Check::None;
    if (m == Moment::EndQuestion || m == Moment::PlayersQuestion)
        return Check::Cards;
    return G.GameState == State::Penalty ? Check::Cards : Check::Between;
}

// Plays the human turns until the game is over; false when `cap` actions were not enough.
inline bool PlayOut(GameRules& rules, ScriptedPlayer& player, uint64_t cap,
                    const std::function<void()>& afterAction) {
    const GameInfo& G = rules.Game();
    for (uint64_t actions = 0; G.InProgress(); ++actions) {
        if (actions >= cap)
            return false;
        if (G.Player[G.CurrentPlayer].Computer)
            rules.picTurn_GotFocus(); // only if a driver stopped early; it never should
        else
            player.Act(rules);
        afterAction();
    }
    return true;
}

// Opens `saved` into a fresh game and plays it to the end, checking after every move.
inline void Reopen(const GameInfo& saved, const Options& o, uint32_t seed, const std::string& where,
                   Figures& f) {
    if (!saved.InProgress()) {
        ++f.reopenedEmpty;
        return;
    }
    mdlGlobal g(SeedSequence(seed));
    g.SetDefaults();
    ScriptDisplay view(g);
    GameRules rules(g, view);
    ScriptedPlayer player(seed ^ 0x5bd1e995u);
    std::string failed;
    auto check = [&](const GameInfo& G, Check level, const char* at) {
        if (std::string why = CheckTable(G, level); failed.empty() && !why.empty())
            failed = "reopened from " + where + ", at " + at + ": " + why;
    };
    view.onLoopCall = [&](Moment m) { check(g.Game, LevelAt(m, g.Game), "a display call"); };
    rules.SetMoveLimit(o.moveCap);
    rules.OpenGame(saved);
    const bool ended = PlayOut(rules, player, o.moveCap, [&] {
        check(g.Game, g.Game.InProgress() ? Check::Between : Check::None, "a move");
    });
    f.reopenedMoves += rules.Stats().moves;
    if (!ended || !view.finished || g.Game.InProgress())
        f.failures.push_back("reopened from " + where + ": play did not reach an end");
    else if (!failed.empty())
        f.failures.push_back(failed);
    else
        ++f.playedToEnd;
}

} // namespace detail

// Plays one seeded game (and its extra rounds), saving at the display calls that may run the
// event loop, and reopens every save; adds what it found to `f`.
inline void Run(const Options& o, Figures& f) {
    mdlGlobal g(SeedSequence(o.seed));
    g.SetDefaults();
    g.Game.TotalKorvane = o.totalKorvane;
    g.Game.KorvanePerTurn = o.perTurn;
    g.Game.LastChance = o.lastChance;
    ScriptDisplay view(g);
    view.players = o.players;
    view.human = o.human;
    view.playAgain = o.extraRounds;
    GameRules rules(g, view);
    ScriptedPlayer player(o.seed);
    const std::string game = "seed " + std::to_string(o.seed);
    auto fail = [&](const std::string& why) { f.failures.push_back(game + why); };

    auto check = [&](Check level, const std::string& at) {
        if (std::string why = CheckTable(g.Game, level); !why.empty())
            fail(", at " + at + ": " + why);
    };
    // A save between moves holds the record; once the game has ended, an empty table with the
    // players and their tallies, the loser's new one included.
    auto compare = [&](const GameInfo& saved, Moment m) {
        const GameInfo now = g.Game.GameState == State::NoGame ? PlayersKept(g.Game) : g.Game;
        if (std::string why = Difference(saved, now); !why.empty())
            fail(", a save at " + std::string(MomentName(m)) + " holds another game: " + why);
    };

    // Saves made during a penalty, waiting for the running move to complete.
    struct Pending {
        GameInfo saved;
        Moment moment;
        bool onTransfer; // charged as a turned card was laid on an open pile
        uint64_t turns;  // turns passed when it was made
        uint64_t shown;  // turns shown (SetCurrentPlayer) when it was made
    };
    uint64_t shown = 0;
    std::vector<Pending> pending;
    // At the rules' marks of a completed move (and at every point that must come after one).
    auto settle = [&](bool mustBeDone) {
        const GameInfo& G = g.Game;
        if (G.GameState == State::Penalty)
            return;
        std::erase_if(pending, [&](const Pending& p) {
            // The penalty shows the turn once itself, before the move it interrupted goes on.
            const bool done = !p.onTransfer || rules.Stats().turns > p.turns ||
                              (G.GameState == State::PlayedOn && shown > p.shown + 1) ||
                              G.GameState == State::NoGame;
            if (done)
                compare(p.saved, p.moment);
            else if (mustBeDone)
                fail(", a save at " + std::string(MomentName(p.moment)) +
                     ": the move under way had not completed by the next point between moves");
            return done || mustBeDone;
        });
    };
    view.onSetCurrentPlayer = [&] {
        ++shown;
        settle(false);
    };

    std::array<uint64_t, MomentCount> seen{};
    uint32_t reopenSeed = o.seed * 7919u;
    view.onLoopCall = [&](Moment m) {
        const GameInfo& G = g.Game;
        const bool penalty = G.GameState == State::Penalty;
        const bool frequent =
            m == Moment::ComputerFlight || m == Moment::Tip || m == Moment::CardShow;
        if (m == Moment::ComputerFlight) { // which flight it is
            m = !penalty ? (player.flying ? Moment::HumanDrop : Moment::ComputerFlight)
                : player.last == ScriptedPlayer::Action::Click ? Moment::PenaltyMistake1
                : G.KorvanePerTurn                             ? Moment::PenaltyCharge
                                                               : Moment::PenaltyMistake2;
            player.flying = false;
        }
        check(detail::LevelAt(m, G), MomentName(m));
        settle(true);
        const auto mi = static_cast<std::size_t>(m);
        const uint32_t every = penalty ? o.everyPenalty : frequent ? o.every : 1;
        if ((seen[mi]++ + o.seed) % every != 0)
            return;

        // The Save command, then Open in a fresh game.
        ++f.saves[mi];
        const LoadResult loaded = DecodeGame(EncodeGame(rules.SaveableRecord()));
        if (!loaded)
            return fail(", a save at " + std::string(MomentName(m)) +
                        " was refused: " + loaded.reason);
        if (penalty)
            pending.push_back({*loaded.game, m, player.last == ScriptedPlayer::Action::Drop,
                               rules.Stats().turns, shown});
        else
            compare(*loaded.game, m);
        detail::Reopen(*loaded.game, o, reopenSeed++, game + ", " + MomentName(m), f);
    };

    rules.mnGameNew_Click();
    const bool ended = detail::PlayOut(rules, player, o.moveCap, [&] {
        if (g.Game.InProgress())
            check(Check::Between, "the end of an action");
        settle(true);
    });
    if (!ended || !view.finished)
        fail(": the game saved from did not reach an end");
}

} // namespace korvane::saveanywhere
