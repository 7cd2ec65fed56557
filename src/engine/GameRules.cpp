#include "engine/GameRules.h"

#include <algorithm>

namespace korvane {

namespace {
constexpr uint8_t MaxSeats = 8;

// The givers of a penalty's cards, one entry per card in the order the cards go: every other
// player in seat order hands TotalKorvane cards, fewer when his closed pile runs out; a player
// with only an open pile, or who is out, gives nothing. The closed piles at the penalty's start
// decide it all, and nothing else changes them while the cards are handed over.
std::vector<uint8_t> PenaltyGivers(const GameInfo& G) {
    std::vector<uint8_t> givers;
    for (uint8_t p = 0; p < G.PlayerCount; ++p) {
        if (p == G.CurrentPlayer)
            continue;
        const int n = std::min<int>(G.TotalKorvane, G.Player[p].CloseDeck.Count);
        givers.insert(givers.end(), static_cast<std::size_t>(n), p);
    }
    return givers;
}

enum class MoveEnd : uint8_t { GoesOn, TurnPassed, GameOver };

// The record's part of ending a move whose card went to pile toPly; NextPlayer shows it. The
// mover goes on (a turned card now played: state 2) unless he laid the card on his own open pile
// or holds no cards any more. Otherwise the turn passes to the next seat that holds cards, and
// the game is over when it comes back to the mover or, without the last chance, fewer than two
// players hold cards.
MoveEnd EndMove(GameInfo& G, uint8_t toPly) {
    const uint8_t start = G.CurrentPlayer;
    if (toPly != start + Target::FirstOpen && G.Player[start].HoldsCards()) {
        if (G.GameState == State::Turned)
            G.GameState = State::PlayedOn;
        return MoveEnd::GoesOn;
    }

    int holding = 0;
    for (std::size_t p = 0; p < G.PlayerCount; ++p)
        holding += G.Player[p].HoldsCards() ? 1 : 0;

    G.GameState = State::Playing;
    // A mistake noted in a turn is charged in that turn or not at all: it must never fall on
    // the next player who lays a turned card on an open pile.
    G.MistakeMade = false;
    do {
        G.CurrentPlayer =
            static_cast<uint8_t>(G.CurrentPlayer + 1 >= G.PlayerCount ? 0 : G.CurrentPlayer + 1);
    } while (!G.Player[G.CurrentPlayer].HoldsCards() && G.CurrentPlayer != start);

    if (G.CurrentPlayer == start || (holding < 2 && !G.LastChance))
        return MoveEnd::GameOver;
    return MoveEnd::TurnPassed;
}
} // namespace

GameRules::GameRules(mdlGlobal& global, TableDisplay& display) : g_(global), view_(display) {
    stats_.penaltiesBySeat.assign(MaxSeats, 0);
}

// ---- Re-entry ----

GameRules::MoveGuard::MoveGuard(GameRules& rules) : rules_(rules), epoch_(rules.epoch_) {
    ++rules_.moveDepth_;
}

GameRules::MoveGuard::~MoveGuard() {
    // A guard of a replaced game no longer counts: the new game started from zero.
    if (rules_.epoch_ == epoch_)
        --rules_.moveDepth_;
}

void GameRules::Entry(const std::function<void()>& body) {
    if (shutDown_)
        return;
    const uint64_t outer = activeEpoch_;
    activeEpoch_ = epoch_;
    try {
        body();
    } catch (const Unwind&) {
        // The game this entry point worked for was replaced; nothing of it may go on.
    }
    activeEpoch_ = outer;
}

void GameRules::Checkpoint() const {
    if (activeEpoch_ != epoch_)
        throw Unwind{};
}

void GameRules::ReplaceGame() {
    ++epoch_;
    activeEpoch_ = epoch_;
    moveDepth_ = 0;
    finishing_ = false;
}

GameInfo GameRules::SaveableRecord() const {
    // Menus work during flights and questions, so a save can be made at any moment. Which game
    // it holds, decided here:
    //  * Between moves, and so during a computer move's flight, a human drop's flight (the card
    //    is still on the pile it left), the move tip and a question to switch a seat: the game
    //    as it stands.
    //  * During a penalty hand-over: the game as it will stand once the running move is
    //    complete. The penalty cards still to come are handed over as GiveKorvane hands them
    //    (its givers were fixed when it began) and the state before the penalty comes back.
    //    - After mistake 1 (a closed-pile click) that is all: the turned card is still the first
    //      of the closed pile and stays in hand (or the open pile has just been turned over).
    //    - A penalty charged as the turned card was laid on an open pile (mistake 2, or a charge
    //      under "Korvane per Turn") interrupted that move after the card had left the closed
    //      pile, so the move is finished as NextPlayer finishes it: after the own pile (or with
    //      no cards left) the turn passes, after another's the player goes on with state 2.
    //    - When finishing the move ends the game: no game, as below.
    //  * From the moment a game ends, through the question and the card show, the table is on
    //    its way to empty: no game. No half-cleared game is ever saved.
    GameInfo copy = g_.Game;
    bool over = false;
    if (copy.GameState == State::Penalty) {
        PlayerInfo& offender = copy.Player[copy.CurrentPlayer];
        for (std::size_t i = penaltyGiven_; i < penaltyGivers_.size(); ++i)
            MoveTopCard(copy.Player[penaltyGivers_[i]].CloseDeck, offender.CloseDeck);
        copy.GameState = stateBeforePenalty_;
        if (penaltyMoveTo_ != Target::None)
            over = EndMove(copy, penaltyMoveTo_) == MoveEnd::GameOver;
    }
    if (over || finishing_ || (copy.GameState == State::NoGame && copy.PlayerCount > 0))
        ResetGame(copy);
    return copy;
}

// ---- Entry points ----

void GameRules::mnGameNew_Click() {
    Entry([this] {
        GameInfo& G = Game();
        g_.SeedFromClock();
        view_.AskPlayers();
        Checkpoint();
        if (G.PlayerCount == 0) {
            ReplaceGame();
            view_.SetCaption(false);
            G.GameState = State::NoGame;
        } else if (G.GameState == State::Dealt) {
            ReplaceGame();
            g_.NewRound();
            view_.SetCaption(true);
            view_.Form_Resize();
            view_.PaintForm();
            G.GameState = State::Playing;
            RunDriver();
        }
        // Otherwise the dialog was cancelled during a game, which goes on as it was.
    });
}

void GameRules::picCloseDeck_Click(int Index) {
    if (MoveInProgress())
        return;
    const GameInfo& G = Game();
    // A person plays only his own seat; a computer seat turns its cards itself.
    if (Index < 0 || Index >= G.PlayerCount || G.Player[static_cast<std::size_t>(Index)].Computer)
        return;
    Entry([this, Index] {
        MoveGuard guard(*this);
        CloseDeckClick(Index);
    });
}

void GameRules::picTurn_GotFocus() {
    Entry([this] { RunDriver(); });
}

void GameRules::HumanDrop(uint8_t t, bool flewToTarget) {
    Entry([this, t, flewToTarget] {
        const GameInfo& G = Game();
        if (G.PlayerCount == 0 || G.GameState == State::Dealt || G.GameState == State::NoGame)
            return;
        MoveGuard guard(*this);
        DropAfterFlight(t, flewToTarget);
    });
}

void GameRules::DropAfterFlight(uint8_t t, bool flewToTarget) {
    GameInfo& G = Game();
    if (!flewToTarget) {
        if (G.GameState == State::Turned)
            view_.PaintCloseDeck(G.CurrentPlayer);
        else
            view_.SetCurrentPlayer(true, false);
    } else {
        if (TransferCard(t)) {
            NextPlayer(t);
            if (G.GameState == State::NoGame)
                return;
        }
        view_.SetCurrentPlayer(true, false);
    }
    RunDriver();
}

void GameRules::OpenGame(const GameInfo& loaded) {
    Entry([this, &loaded] {
        ReplaceGame();
        g_.SeedFromClock();
        Game() = loaded;
        view_.SetCaption(true);
        view_.Form_Resize();
        view_.PaintForm();
        RunDriver();
    });
}

void GameRules::EndGame() {
    Entry([this] {
        ReplaceGame();
        g_.ResetGame();
        view_.HideDragPic();
        view_.SetCaption(false);
    });
}

void GameRules::Shutdown() {
    Entry([this] { ReplaceGame(); });
    shutDown_ = true;
}

// ---- The rules of a move ----

void GameRules::CloseDeckClick(int Index) {
    GameInfo& G = Game();
    const uint8_t c = G.CurrentPlayer;
    if (Index != c || G.GameState == State::Dealt || G.GameState == State::Turned)
        return;
    // No game, or penalty cards still flying: a click has nothing to act on.
    if (G.GameState == State::NoGame || G.GameState == State::Penalty)
        return;
    if (!G.Player[c].HoldsCards())
        return;

    g_.FindMoves();
    const bool overlooked = G.MoveAvailable;

    if (!G.Player[c].CloseDeck.Empty()) {
        view_.SetDragPic(c, TableDisplay::Pile::Closed, G.Player[c].CloseDeck.Card[0]);
        view_.PaintOpenDeck(c, false);
        view_.PaintCloseDeck(c);
        if (G.GameState == State::NoGame)
            return;
        G.GameState = State::Turned;
    } else {
        view_.SetBusyPointer(true);
        MoveWholeDeck(G.Player[c].OpenDeck, G.Player[c].CloseDeck);
        view_.HideDragPic();
        view_.PaintCloseDeck(c);
        view_.PaintOpenDeck(c, false);
        view_.SetBusyPointer(false);
    }

    // Mistake 1: the open pile's top card could have been played.
    if (overlooked) {
        if (G.KorvanePerTurn)
            G.MistakeMade = true;
        else
            GiveKorvane();
    }

    if (!G.Player[c].Computer) {
        g_.FindMoves();
        if (G.MoveAvailable) {
            view_.GiveTip();
            Checkpoint();
        }
    }
    view_.SetCurrentPlayer(true, false);
}

bool GameRules::TransferCard(uint8_t toPly) {
    GameInfo& G = Game();
    if (G.GameState == State::NoGame)
        return false;
    g_.FindMoves();

    const uint8_t c = G.CurrentPlayer;
    const bool toSuit = toPly < 4;
    const bool toOpen = toPly >= Target::FirstOpen && toPly < Target::FirstOpen + G.PlayerCount;
    const bool fromClosed =
        toPly >= Target::FirstClosed && toPly < Target::FirstClosed + G.PlayerCount;
    bool result = false;

    if (G.GameState == State::Turned) {
        CardDeck& source = G.Player[c].CloseDeck;
        if (!source.Empty() && (toSuit || toOpen)) {
            CardDeck& target =
                toSuit ? G.SuitDeck[toPly] : G.Player[toPly - Target::FirstOpen].OpenDeck;
            MoveFirstCard(source, target);
            view_.PaintCloseDeck(c);
            result = true;
            ++stats_.moves;
            // Mistake 2 (the turned card laid on the own pile though it could go elsewhere),
            // and a mistake 1 noted earlier in this turn, cost one penalty together.
            if (toOpen && ((toPly == c + Target::FirstOpen && G.MoveAvailable) || G.MistakeMade)) {
                G.MistakeMade = false;
                GiveKorvane(toPly);
            }
        }
    } else if (G.GameState == State::Penalty) {
        if (fromClosed && !G.Player[toPly - Target::FirstClosed].CloseDeck.Empty()) {
            MoveTopCard(G.Player[toPly - Target::FirstClosed].CloseDeck, G.Player[c].CloseDeck);
            result = true;
        }
    } else {
        CardDeck& source = G.Player[c].OpenDeck;
        if (!source.Empty() && (toSuit || toOpen)) {
            CardDeck& target =
                toSuit ? G.SuitDeck[toPly] : G.Player[toPly - Target::FirstOpen].OpenDeck;
            MoveTopCard(source, target);
            view_.PaintOpenDeck(c, false);
            // Back onto the pile it came from: nothing changed.
            result = toSuit || toPly != c + Target::FirstOpen;
            if (result)
                ++stats_.moves;
        }
    }

    if (toSuit) {
        view_.PaintSuit(toPly, false);
    } else if (toOpen) {
        view_.PaintOpenDeck(toPly - Target::FirstOpen, false);
        view_.PrintLabel(toPly - Target::FirstOpen);
    } else if (fromClosed) {
        // The giver's closed pile may just have become empty: show it.
        view_.PaintCloseDeck(toPly - Target::FirstClosed);
        view_.PrintLabel(toPly - Target::FirstClosed);
    }
    view_.PrintLabel(c);
    view_.HideDragPic();
    return result;
}

bool GameRules::NextPlayer(uint8_t toPly) {
    GameInfo& G = Game();
    if (G.GameState == State::NoGame)
        return false;
    const uint8_t start = G.CurrentPlayer;
    const MoveEnd end = EndMove(G, toPly);
    if (end == MoveEnd::GoesOn) {
        view_.SetCurrentPlayer(true, false);
        return false;
    }

    // The mover's piles, with no card in hand any more (TransferCard has hidden it).
    view_.PaintCloseDeck(start);
    view_.PaintOpenDeck(start, false);
    ++stats_.turns;
    view_.PrintLabel(start);
    view_.PrintLabel(G.CurrentPlayer);
    if (end == MoveEnd::GameOver)
        FinishGame();
    else
        view_.SetCurrentPlayer(true, false);
    return true;
}

// ---- Penalties and the end of a game ----

void GameRules::GiveKorvane(uint8_t onTransferTo) {
    MoveGuard guard(*this);
    GameInfo& G = Game();
    const uint8_t o = G.CurrentPlayer;
    const uint8_t remembered = G.GameState;
    // What SaveableRecord needs to finish the running move in a copy.
    const std::vector<uint8_t> givers = PenaltyGivers(G);
    stateBeforePenalty_ = remembered;
    penaltyMoveTo_ = onTransferTo;
    penaltyGivers_ = givers;
    penaltyGiven_ = 0;
    G.GameState = State::Penalty;
    ++stats_.penalties;
    if (o < stats_.penaltiesBySeat.size())
        ++stats_.penaltiesBySeat[o];

    view_.PaintCloseDeck(o);
    view_.HideDragPic();
    for (const uint8_t p : givers) {
        view_.SetDragPic(p, TableDisplay::Pile::Closed, G.DeckBack);
        view_.AnimateMove(static_cast<uint8_t>(Target::FirstClosed + o));
        Checkpoint();
        TransferCard(static_cast<uint8_t>(Target::FirstClosed + p));
        ++penaltyGiven_;
    }
    G.GameState = remembered;
    view_.SetCurrentPlayer(true, false);
    if (G.GameState == State::Turned)
        view_.SetDragPic(o, TableDisplay::Pile::Closed, G.Player[o].CloseDeck.Card[0]);
    view_.PrintLabel(o);
}

void GameRules::FinishGame() {
    GameInfo& G = Game();
    const uint8_t c = G.CurrentPlayer;
    G.GameState = State::NoGame;
    view_.PaintOpenDeck(c, false);
    view_.PaintCloseDeck(c);
    view_.HideDragPic();

    std::string message;
    if (G.Player[c].HoldsCards()) {
        message = G.Player[c].TrimmedName() + " lost this game.";
        ++G.Player[c].Lost;
    } else {
        message = "Nobody lost this game!!!";
    }

    const bool again = view_.AskPlayAgain(message);
    Checkpoint();
    if (again) {
        g_.SeedFromClock();
        g_.NewRound();
        view_.SetCaption(true);
        view_.Form_Resize();
        view_.PaintForm();
        G.GameState = State::Playing;
        return;
    }

    // The card show: the suit piles fly off the table one card at a time.
    finishing_ = true;
    view_.HidePlayerFrames();
    int n = 0;
    for (const CardDeck& s : G.SuitDeck)
        n += s.Count;
    while (n > 0) {
        std::size_t s = 0;
        do {
            s = static_cast<std::size_t>(g_.RandomInt(0, 3));
        } while (G.SuitDeck[s].Empty());
        CardDeck& pile = G.SuitDeck[s];
        const uint8_t card = pile.Top();
        --pile.Count;
        pile.Card[pile.Count] = EmptySlot;
        view_.PaintSuit(static_cast<uint8_t>(s), false);
        view_.CardShowFlight(static_cast<uint8_t>(s), card);
        Checkpoint();
        --n;
    }
    finishing_ = false;
    view_.SetCaption(false);
    g_.ResetGame();
}

} // namespace korvane
