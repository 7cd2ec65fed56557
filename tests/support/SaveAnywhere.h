// "A save at any moment reopens into a game the rules can finish", as a property to run.
//
// Seeded games with human seats are played by a scripted player who now and then makes
// mistake 1 (turning a card while the card in hand could be played) and mistake 2 (laying the
// turned card on his own open pile though it could go elsewhere). At the display calls that may
// run the event loop (every one, or for a smaller budget one in n of each kind) the game is saved
// as the Save command saves it (SaveableRecord, EncodeGame, DecodeGame, which must accept the
// file), and each file is opened into a fresh game that the same kind of player plays to its
// end, the table checked after every move.
//
// One more check ties a save to the game it was made in. A save made between moves holds the
// game as it stands. A save made during a penalty holds the game as it stands once the running
// move is complete: for a penalty after a closed-pile click, when the hand-over has ended; for
// one charged on the transfer of a turned card, when the turn has passed, the player goes on with
// state 2, or the game is over (then no game). The harness compares the file with the game in
// play at the first of those points, which the rules mark by putting the card in hand for the
// player to move (SetCurrentPlayer) or by the end-of-game question.
//
// Header only, shared by tests/savedgame/tst_saveanywhere.cpp and bench/bench_saveanywhere.cpp:
// the benchmarks build without the tests' support library.
#pragma once

#include "engine/GameRules.h"
#include "engine/TableDisplay.h"
#include "engine/mdlGlobal.h"
#include "savedgame/SavedGameFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace korvane::saveanywhere {

// The moment a save is made at: the display call running, and what the game was doing.
enum class Moment : uint8_t {
    ComputerFlight,  // AnimateMove of a computer's move
    HumanDrop,       // the window's flight of a human drop, before HumanDrop
    Tip,             // GiveTip
    PenaltyMistake1, // a penalty card's flight, "Korvane per Mistake", after mistake 1
    PenaltyMistake2, // the same after mistake 2
    PenaltyCharge,   // the same under "Korvane per Turn": the charge on a transfer
    EndQuestion,     // AskPlayAgain
    CardShow,        // CardShowFlight
    PlayersQuestion, // AskPlayers
    SwitchQuestion,  // AskSwitchMode
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

// ---- The checks ----

// How much of the table is checked at a display call.
enum class Check : uint8_t {
    None,    // the card show: cards are leaving the table
    Cards,   // every card once, suit piles in order (during a penalty, at the question)
    Between, // also a valid state and a player to move who holds cards
};

// Why `G` breaks an invariant, or "" when it keeps them all. A table with no players is empty.
inline std::string CheckTable(const GameInfo& G, Check level) {
    if (level == Check::None || G.PlayerCount == 0)
        return {};
    if (G.Player.size() < G.PlayerCount)
        return "fewer players than PlayerCount";
    std::array<int, CardsInPack> seen{};
    std::string why;
    auto pile = [&](const CardDeck& d, const char* what) {
        for (std::size_t k = 0; k < d.Card.size(); ++k) {
            const uint8_t c = d.Card[k];
            if (k < d.Count) {
                if (c >= CardsInPack)
                    return why = std::string(what) + " holds a slot with no card";
                ++seen[c];
            } else if (c != EmptySlot) {
                return why = std::string(what) + " holds a card beyond its count";
            }
        }
        return why;
    };
    for (std::size_t s = 0; s < 4; ++s) {
        if (!pile(G.SuitDeck[s], "a suit pile").empty())
            return why;
        for (std::size_t k = 0; k < G.SuitDeck[s].Count; ++k)
            if (G.SuitDeck[s].Card[k] != k * 4 + s)
                return "suit pile " + std::to_string(s) + " out of order";
    }
    for (std::size_t p = 0; p < G.PlayerCount; ++p) {
        if (!pile(G.Player[p].CloseDeck, "a closed pile").empty() ||
            !pile(G.Player[p].OpenDeck, "an open pile").empty())
            return why;
    }
    for (std::size_t c = 0; c < CardsInPack; ++c)
        if (seen[c] != 1)
            return "card " + std::to_string(c) + " is on the table " + std::to_string(seen[c]) +
                   " times";
    if (level == Check::Cards)
        return {};

    const uint8_t s = G.GameState;
    if (s != State::Playing && s != State::Turned && s != State::PlayedOn)
        return "state " + std::to_string(s) + " between moves";
    if (G.CurrentPlayer >= G.PlayerCount)
        return "the player to move does not exist";
    const PlayerInfo& mover = G.Player[G.CurrentPlayer];
    if (!mover.HoldsCards())
        return "the player to move holds no cards";
    if (s == State::Turned && mover.CloseDeck.Empty())
        return "a turned card in hand but none on the closed pile";
    return {};
}

// Where the game differs from `expected` in what a player can see or the rules use (the move
// finder's marks are worked out afresh before every use, so they are left out); "" for nowhere.
inline std::string Difference(const GameInfo& got, const GameInfo& expected) {
    if (got.GameState != expected.GameState)
        return "state " + std::to_string(got.GameState) + ", expected " +
               std::to_string(expected.GameState);
    if (got.PlayerCount != expected.PlayerCount)
        return "player count";
    if (got.PlayerCount == 0)
        return {};
    if (got.CurrentPlayer != expected.CurrentPlayer)
        return "player to move " + std::to_string(got.CurrentPlayer) + ", expected " +
               std::to_string(expected.CurrentPlayer);
    if (got.SuitDeck != expected.SuitDeck)
        return "suit piles";
    if (bool(got.MistakeMade) != bool(expected.MistakeMade))
        return "noted mistake";
    for (std::size_t p = 0; p < got.PlayerCount; ++p) {
        const PlayerInfo& a = got.Player[p];
        const PlayerInfo& b = expected.Player[p];
        if (a.CloseDeck != b.CloseDeck)
            return "closed pile of player " + std::to_string(p);
        if (a.OpenDeck != b.OpenDeck)
            return "open pile of player " + std::to_string(p);
        if (bool(a.Computer) != bool(b.Computer) || a.Lost != b.Lost)
            return "seat of player " + std::to_string(p);
    }
    return {};
}

// The game a save made at a point between moves must hold: the record, or no game once the
// game has ended.
inline GameInfo BetweenMoves(const GameInfo& live) {
    GameInfo g = live;
    if (g.GameState == State::NoGame)
        ResetGame(g);
    return g;
}

// ---- The display ----

// Shows nothing; tells the harness about every call that may run the event loop.
class ScriptDisplay : public TableDisplay {
public:
    enum class Op : uint8_t {
        AnimateMove,
        GiveTip,
        CardShowFlight,
        AskPlayers,
        AskPlayAgain,
        AskSwitchMode
    };
    // Runs inside each call that may run the event loop, as a menu command would.
    std::function<void(Op)> onLoopCall;
    // Runs when the rules put the card in hand for the player to move: a move has ended, or a
    // penalty has been handed over.
    std::function<void()> onSetCurrentPlayer;
    // The players dialog: writes the seats into the record (state Dealt).
    std::function<void(GameInfo&)> seatPlayers;
    // "Play again?"
    std::function<bool()> playAgain;
    bool asked = false; // the end-of-game question came

    void PaintCloseDeck(uint8_t) override {}
    void PaintOpenDeck(uint8_t, bool) override {}
    void PrintLabel(uint8_t) override {}
    void PaintSuit(uint8_t, bool) override {}
    void PaintForm() override {}
    void SetDragPic(Pile, uint8_t) override {}
    void SwapSuitPlaces(uint8_t, uint8_t) override {}
    void HideDragPic() override {}
    void SetCurrentPlayer(bool, bool) override {
        if (onSetCurrentPlayer)
            onSetCurrentPlayer();
    }
    bool AnimateMove(uint8_t toPly) override {
        Loop(Op::AnimateMove);
        return toPly != Target::None;
    }
    void GiveTip() override { Loop(Op::GiveTip); }
    void HidePlayerFrames() override {}
    void ShowPenalty(const PenaltyNote&, bool) override {}
    void CardShowFlight(uint8_t, uint8_t) override { Loop(Op::CardShowFlight); }
    void SetCaption(bool) override {}
    void UpdateCaption() override {}
    void Form_Resize() override {}
    void SetBusyPointer(bool) override {}
    Seating AskPlayers() override {
        Loop(Op::AskPlayers);
        GameInfo chosen = *game;
        if (seatPlayers)
            seatPlayers(chosen);
        return Seating::FromDialog(chosen, chosen.GameState == State::Dealt);
    }
    bool AskPlayAgain(const std::string&) override {
        asked = true;
        Loop(Op::AskPlayAgain);
        return playAgain && playAgain();
    }
    Answer AskSwitchMode(uint8_t, bool) override {
        Loop(Op::AskSwitchMode);
        return Answer::No; // the seats stay as they are
    }

    GameInfo* game = nullptr;

private:
    void Loop(Op op) {
        if (onLoopCall)
            onLoopCall(op);
    }
};

// ---- The scripted player ----

// How often the scripted player does what, in percent.
struct Rates {
    int mistake1 = 12; // of chances to play the open pile's top: turns a card instead
    int mistake2 = 20; // of chances to play a turned card elsewhere: lays it on his own pile
    int nowhere = 3;   // of drops: let go where no pile takes the card
    int sameplace = 3; // of actions with the open pile's top in hand: back onto that pile
    int dblclick = 1;  // of actions: a double click on another seat's label
};

// Plays the human seats as the window lets a person play them: drops the card in hand on a pile
// that takes it, or clicks his closed pile, and double-clicks another seat's label now and then.
class ScriptedPlayer {
public:
    enum class Action : uint8_t { None, Click, Drop, Switch };

    explicit ScriptedPlayer(uint32_t seed, Rates rates = {}) : rng_(seed), rates_(rates) {}

    // What the last action was, while it runs and after.
    Action last = Action::None;
    bool flying = false; // the window's flight of a drop is under way

    // The piles that take `card` from the player to move, as the window's drop target allows:
    // suit piles (an Ace its own suit's) and other players' open piles one rank below.
    static std::vector<uint8_t> Targets(const GameInfo& G, uint8_t card) {
        std::vector<uint8_t> t;
        if (card >= CardsInPack)
            return t;
        for (uint8_t s = 0; s < 4; ++s) {
            const CardDeck& d = G.SuitDeck[s];
            if ((d.Empty() && card == s) || (!d.Empty() && card == d.Top() + 4))
                t.push_back(s);
        }
        for (uint8_t p = 0; p < G.PlayerCount; ++p) {
            const CardDeck& open = G.Player[p].OpenDeck;
            if (p != G.CurrentPlayer && !open.Empty() && Rank(open.Top()) == Rank(card) - 1)
                t.push_back(static_cast<uint8_t>(Target::FirstOpen + p));
        }
        return t;
    }

    // One action of the human whose turn it is.
    void Act(GameRules& rules) {
        const GameInfo& G = rules.Game();
        const uint8_t c = G.CurrentPlayer;
        const auto own = static_cast<uint8_t>(Target::FirstOpen + c);
        if (Chance(rates_.dblclick)) {
            const auto other =
                static_cast<uint8_t>((c + 1 + Pick(G.PlayerCount - 1)) % G.PlayerCount);
            last = Action::Switch;
            rules.lblPlayer_DblClick(other);
            return;
        }
        const uint8_t hand = G.CardInHand();
        const std::vector<uint8_t> targets = Targets(G, hand);
        if (G.GameState == State::Turned) {
            uint8_t t = own; // mistake 2 when targets were there
            if (!targets.empty() && !Chance(rates_.mistake2))
                t = targets[Pick(targets.size())];
            if (Chance(rates_.nowhere))
                t = Target::None;
            return Drop(rules, t);
        }
        if (hand != NoCard && Chance(rates_.sameplace))
            return Drop(rules, own);
        if (hand != NoCard && !targets.empty() && !Chance(rates_.mistake1)) {
            const uint8_t t = Chance(rates_.nowhere) ? Target::None : targets[Pick(targets.size())];
            return Drop(rules, t);
        }
        // Nothing to play, or mistake 1: turn a card (or the open pile over).
        last = Action::Click;
        rules.picCloseDeck_Click(c);
    }

private:
    // What the window does when a card is let go. The first flight that follows is the drop's
    // own (the harness clears `flying` when it sees it).
    void Drop(GameRules& rules, uint8_t t) {
        last = Action::Drop;
        flying = true;
        rules.HumanDrop(Pile::FromCode(t, rules.Game().PlayerCount));
        flying = false;
    }

    bool Chance(int percent) { return static_cast<int>(rng_() % 100) < percent; }
    std::size_t Pick(std::size_t n) { return n <= 1 ? 0 : rng_() % n; }

    std::mt19937 rng_;
    Rates rates_;
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
    uint64_t moveCap = 50000; // flights and actions a reopened game may take
    // Saves at one in `every` display calls of the frequent moments (flights of moves and
    // drops, tips, the card show) and at one in `everyPenalty` penalty flights, from a phase
    // drawn from the seed, and at every question; 1 and 1 save at every call. A small budget
    // so still reaches every kind of moment in many games.
    uint32_t every = 1;
    uint32_t everyPenalty = 1;
    Rates rates;
};

// A seeded choice of options: 3..8 seats, mixed human and computer seats, both penalty types,
// 1..3 penalty cards, the last chance on or off.
inline Options DrawOptions(uint32_t seed, uint32_t every = 1, uint32_t everyPenalty = 1) {
    std::mt19937 r(seed * 2654435761u + 17u);
    Options o;
    o.seed = seed;
    o.players = static_cast<uint8_t>(3 + r() % 6);
    for (std::size_t p = 0; p < o.players; ++p)
        o.human[p] = r() % 2 == 0;
    o.human[r() % o.players] = true;
    o.totalKorvane = static_cast<uint8_t>(1 + r() % 3);
    o.perTurn = r() % 2 == 0;
    o.lastChance = r() % 3 != 0;
    o.extraRounds = r() % 4 == 0 ? 1 : 0;
    o.every = every;
    o.everyPenalty = everyPenalty;
    return o;
}

struct Figures {
    std::array<uint64_t, MomentCount> saves{};
    uint64_t refused = 0;              // files DecodeGame would not take
    uint64_t invariantFailures = 0;    // checks failed, in the game saved from or a reopened one
    uint64_t wrongGame = 0;            // saves that do not hold the game the decision names
    uint64_t reopened = 0;             // files opened into a fresh game
    uint64_t reopenedEmpty = 0;        // ... that held no game
    uint64_t playedToEnd = 0;          // ... that held a game and were played to its end
    uint64_t unfinished = 0;           // ... and games saved from, that did not reach an end
    uint64_t games = 0;                // games played to be saved from
    uint64_t reopenedMoves = 0;        // flights and actions in reopened games
    std::vector<std::string> failures; // the first few, for the message

    uint64_t Saves() const {
        uint64_t n = 0;
        for (uint64_t s : saves)
            n += s;
        return n;
    }
    uint64_t Failures() const { return refused + invariantFailures + wrongGame + unfinished; }
    void Add(const Figures& f) {
        for (std::size_t i = 0; i < MomentCount; ++i)
            saves[i] += f.saves[i];
        refused += f.refused;
        invariantFailures += f.invariantFailures;
        wrongGame += f.wrongGame;
        reopened += f.reopened;
        reopenedEmpty += f.reopenedEmpty;
        playedToEnd += f.playedToEnd;
        unfinished += f.unfinished;
        games += f.games;
        reopenedMoves += f.reopenedMoves;
        for (const std::string& s : f.failures)
            Fail(s);
    }
    void Fail(std::string why) {
        if (failures.size() < 10)
            failures.push_back(std::move(why));
    }
};

namespace detail {

inline Check LevelAt(ScriptDisplay::Op op, const GameInfo& G) {
    switch (op) {
    case ScriptDisplay::Op::CardShowFlight:
        return Check::None;
    case ScriptDisplay::Op::AskPlayAgain:
    case ScriptDisplay::Op::AskPlayers:
        return Check::Cards;
    default:
        return G.GameState == State::Penalty ? Check::Cards : Check::Between;
    }
}

// Plays the human turns until the game is over (the table empty again); false when `cap`
// flights and actions were not enough.
inline bool PlayOut(GameRules& rules, ScriptedPlayer& player, uint64_t& moves, uint64_t cap,
                    const std::function<void()>& afterAction) {
    const GameInfo& G = rules.Game();
    while (G.InProgress()) {
        if (moves >= cap)
            return false;
        ++moves;
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
    ++f.reopened;
    if (!saved.InProgress()) {
        ++f.reopenedEmpty;
        return;
    }
    mdlGlobal g(SeedSequence(seed));
    g.SetDefaults();
    ScriptDisplay view;
    view.game = &g.Game;
    view.playAgain = [] { return false; };
    GameRules rules(g, view);
    ScriptedPlayer player(seed ^ 0x5bd1e995u, o.rates);
    uint64_t moves = 0;
    bool capped = false;
    bool failed = false;
    auto check = [&](const GameInfo& G, Check level, const char* at) {
        if (failed)
            return;
        if (std::string why = CheckTable(G, level); !why.empty()) {
            failed = true;
            ++f.invariantFailures;
            f.Fail("reopened from " + where + ", at " + at + ": " + why);
        }
    };
    view.onLoopCall = [&](ScriptDisplay::Op op) {
        check(g.Game, LevelAt(op, g.Game), "a display call");
        if (op == ScriptDisplay::Op::AnimateMove && ++moves > o.moveCap && !capped) {
            capped = true;
            rules.EndGame();
        }
    };
    check(saved, Check::Between, "the opening");
    rules.OpenGame(saved);
    if (!PlayOut(rules, player, moves, o.moveCap, [&] {
            check(g.Game, g.Game.InProgress() ? Check::Between : Check::None, "a move");
        }))
        capped = true;
    f.reopenedMoves += moves;
    if (capped || !view.asked || g.Game.InProgress()) {
        ++f.unfinished;
        f.Fail("reopened from " + where + ": play did not reach an end");
    } else if (!failed) {
        ++f.playedToEnd;
    }
}

} // namespace detail

// Plays one seeded game (and its extra rounds), saving at the display calls that may run the
// event loop, and reopens every save.
inline Figures Run(const Options& o) {
    Figures f;
    ++f.games;
    mdlGlobal g(SeedSequence(o.seed));
    g.SetDefaults();
    g.Game.TotalKorvane = o.totalKorvane;
    g.Game.KorvanePerTurn = o.perTurn;
    g.Game.LastChance = o.lastChance;
    ScriptDisplay view;
    view.game = &g.Game;
    view.seatPlayers = [&o](GameInfo& G) {
        G.PlayerCount = o.players;
        G.Player.assign(o.players, PlayerInfo{});
        for (std::size_t p = 0; p < o.players; ++p) {
            G.Player[p].SetName("Seat " + std::to_string(p + 1));
            G.Player[p].Computer = !o.human[p];
        }
        G.GameState = State::Dealt;
    };
    int rounds = 0;
    view.playAgain = [&] { return rounds++ < o.extraRounds; };
    GameRules rules(g, view);
    ScriptedPlayer player(o.seed, o.rates);
    const std::string game = "seed " + std::to_string(o.seed);

    auto check = [&](Check level, const std::string& at) {
        if (std::string why = CheckTable(g.Game, level); !why.empty()) {
            ++f.invariantFailures;
            f.Fail(game + ", at " + at + ": " + why);
        }
    };
    auto compare = [&](const GameInfo& saved, Moment m) {
        if (std::string why = Difference(saved, BetweenMoves(g.Game)); !why.empty()) {
            ++f.wrongGame;
            f.Fail(game + ", a save at " + MomentName(m) + " holds another game: " + why);
        }
    };

    // Saves made during a penalty, waiting for the running move to complete.
    struct Pending {
        GameInfo saved;
        Moment moment;
        bool onTransfer; // charged as a turned card was laid on an open pile
        uint64_t turns;  // turns passed when it was made
    };
    std::vector<Pending> pending;
    // At the rules' marks of a completed move (and at every point that must come after one).
    auto settle = [&](bool mustBeDone) {
        const GameInfo& G = g.Game;
        if (G.GameState == State::Penalty)
            return;
        std::erase_if(pending, [&](const Pending& p) {
            const bool done = !p.onTransfer || rules.Stats().turns > p.turns ||
                              G.GameState == State::PlayedOn || G.GameState == State::NoGame;
            if (done) {
                compare(p.saved, p.moment);
            } else if (mustBeDone) {
                ++f.wrongGame;
                f.Fail(game + ", a save at " + MomentName(p.moment) +
                       ": the move under way had not completed by the next point between moves");
            }
            return done || mustBeDone;
        });
    };
    view.onSetCurrentPlayer = [&] { settle(false); };

    std::array<uint64_t, MomentCount> seen{};
    uint32_t reopenSeed = o.seed * 7919u;
    view.onLoopCall = [&](ScriptDisplay::Op op) {
        const GameInfo& G = g.Game;
        const bool penalty = G.GameState == State::Penalty;
        Moment m = Moment::ComputerFlight;
        switch (op) {
        case ScriptDisplay::Op::AnimateMove:
            if (penalty)
                m = player.last == ScriptedPlayer::Action::Click ? Moment::PenaltyMistake1
                    : G.KorvanePerTurn                           ? Moment::PenaltyCharge
                                                                 : Moment::PenaltyMistake2;
            else
                m = player.flying ? Moment::HumanDrop : Moment::ComputerFlight;
            player.flying = false;
            break;
        case ScriptDisplay::Op::GiveTip:
            m = Moment::Tip;
            break;
        case ScriptDisplay::Op::CardShowFlight:
            m = Moment::CardShow;
            break;
        case ScriptDisplay::Op::AskPlayers:
            m = Moment::PlayersQuestion;
            break;
        case ScriptDisplay::Op::AskPlayAgain:
            m = Moment::EndQuestion;
            break;
        case ScriptDisplay::Op::AskSwitchMode:
            m = Moment::SwitchQuestion;
            break;
        }
        check(detail::LevelAt(op, G), MomentName(m));
        settle(true);
        const auto mi = static_cast<std::size_t>(m);
        const uint32_t every = penalty ? o.everyPenalty
                               : op == ScriptDisplay::Op::AnimateMove ||
                                       op == ScriptDisplay::Op::GiveTip ||
                                       op == ScriptDisplay::Op::CardShowFlight
                                   ? o.every
                                   : 1;
        if ((seen[mi]++ + o.seed) % every != 0)
            return;

        // The Save command, then Open in a fresh game.
        ++f.saves[mi];
        const std::vector<uint8_t> bytes = EncodeGame(rules.SaveableRecord());
        LoadResult loaded = DecodeGame(bytes);
        if (!loaded) {
            ++f.refused;
            f.Fail(game + ", a save at " + MomentName(m) + " was refused: " + loaded.reason);
            return;
        }
        if (penalty)
            pending.push_back({*loaded.game, m, player.last == ScriptedPlayer::Action::Drop,
                               rules.Stats().turns});
        else
            compare(*loaded.game, m);
        detail::Reopen(*loaded.game, o, reopenSeed++, game + ", " + MomentName(m), f);
    };

    rules.mnGameNew_Click();
    uint64_t moves = 0;
    const bool ended = detail::PlayOut(rules, player, moves, o.moveCap, [&] {
        if (g.Game.InProgress())
            check(Check::Between, "the end of an action");
        settle(true);
    });
    if (!ended || !view.asked) {
        ++f.unfinished;
        f.Fail(game + ": the game saved from did not reach an end");
    }
    return f;
}

} // namespace korvane::saveanywhere
