#include "engine/GameRules.h"

#include <algorithm>

namespace korvane {

namespace {

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

// What the current player overlooked, from the move finder's marks for the card in hand.
PenaltyNote Overlooked(const GameInfo& G, PenaltyNote::Deed deed) {
    PenaltyNote note;
    note.seat = G.CurrentPlayer;
    note.deed = deed;
    note.card = G.CardInHand();
    for (uint8_t s = 0; s < SuitPiles; ++s)
        if (G.SuitCanTake[s])
            note.places.push_back(
                {Pile::Suit(s), G.SuitDeck[s].Empty() ? NoCard : G.SuitDeck[s].Top()});
    for (uint8_t p = 0; p < G.PlayerCount; ++p)
        if (p != G.CurrentPlayer && G.Player[p].CanTake)
            note.places.push_back({Pile::Open(p), G.Player[p].OpenDeck.Top()});
    return note;
}

enum class MoveEnd : uint8_t { GoesOn, TurnPassed, GameOver };

// The record's part of ending a move whose card went to pile `to`; NextPlayer shows it. The
// mover goes on (a turned card now played: state 2) unless he laid the card on his own open pile
// or holds no cards any more. Otherwise the turn passes to the next seat that holds cards, and
// the game is over when it comes back to the mover or, without the last chance, fewer than two
// players hold cards.
MoveEnd EndMove(GameInfo& G, Pile to) {
    const uint8_t start = G.CurrentPlayer;
    if (to != Pile::Open(start) && G.Player[start].HoldsCards()) {
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

// The record's part of the end of a game: the player to move when it ended lost it if he still
// holds cards. True when somebody lost.
bool CountLoss(GameInfo& G) {
    PlayerInfo& last = G.Player[G.CurrentPlayer];
    if (!last.HoldsCards())
        return false;
    ++last.Lost;
    return true;
}

// An ended game as a save holds it: the table cleared and nobody seated, while the players stay
// behind with their names, modes and tallies for the next game of the series.
void KeepPlayersOnly(GameInfo& G) {
    std::vector<int32_t> lost;
    for (const PlayerInfo& p : G.Player)
        lost.push_back(p.Lost);
    ResetGame(G);
    for (std::size_t i = 0; i < lost.size(); ++i)
        G.Player[i].Lost = lost[i];
}

} // namespace

bool PileTakes(const GameInfo& game, Pile to) {
    const uint8_t card = game.CardInHand();
    if (card >= CardsInPack)
        return false;
    if (to.IsSuit())
        return to.index < SuitPiles && PlaceTakes(game, to.index, card);
    if (!to.IsOpen() || to.index >= game.PlayerCount || to.index >= game.Player.size())
        return false;
    return to.index == game.CurrentPlayer || OpenPileTakes(game.Player[to.index].OpenDeck, card);
}

PlaceKinds KindsTaking(const GameInfo& game, uint8_t card) {
    PlaceKinds kinds;
    if (card >= CardsInPack)
        return kinds;
    for (uint8_t s = 0; s < SuitPiles; ++s)
        kinds.suitPile = kinds.suitPile || PlaceTakes(game, s, card);
    const std::size_t seats = std::min<std::size_t>(game.PlayerCount, game.Player.size());
    for (std::size_t p = 0; p < seats; ++p)
        kinds.otherOpenPile = kinds.otherOpenPile || (p != game.CurrentPlayer &&
                                                      OpenPileTakes(game.Player[p].OpenDeck, card));
    return kinds;
}

GameRules::GameRules(mdlGlobal& global, TableDisplay& display)
    : g_(global), view_(display), ask_(display, *this) {
    stats_.penaltiesBySeat.assign(MaxPlayers, 0);
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
    ++entryDepth_;
    try {
        body();
    } catch (const Unwind&) {
        // The game this entry point worked for was replaced; nothing of it may go on.
    }
    // Back in an entry point that works for the game it started with, which may have been
    // replaced meanwhile; once none runs, nothing is abandoned.
    activeEpoch_ = --entryDepth_ > 0 ? outer : epoch_;
}

void GameRules::Checkpoint() const {
    if (RunningMoveAbandoned())
        throw Unwind{};
}

bool GameRules::Asking::AnimateMove(Pile to) {
    const bool flown = d_.AnimateMove(to.Code());
    rules_.Checkpoint();
    return flown;
}

void GameRules::Asking::GiveTip() {
    d_.GiveTip();
    rules_.Checkpoint();
}

void GameRules::Asking::CardShowFlight(uint8_t suit, uint8_t card) {
    d_.CardShowFlight(suit, card);
    rules_.Checkpoint();
}

Seating GameRules::Asking::AskPlayers() {
    Seating seating = d_.AskPlayers();
    rules_.Checkpoint();
    return seating;
}

bool GameRules::Asking::AskPlayAgain(const std::string& message) {
    const bool again = d_.AskPlayAgain(message);
    rules_.Checkpoint();
    return again;
}

TableDisplay::Answer GameRules::Asking::AskSwitchMode(uint8_t Index, bool toComputer) {
    const TableDisplay::Answer answer = d_.AskSwitchMode(Index, toComputer);
    rules_.Checkpoint();
    return answer;
}

void GameRules::ReplaceGame() {
    ++epoch_;
    notedMistake_.reset();
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
    //    - When finishing the move ends the game: the loser is counted as FinishGame counts
    //      him, and the save holds the ended game as below.
    //  * From the moment a game ends, through the question and the card show, the table is on
    //    its way to empty: no game is in progress, but the players stay with their tallies (the
    //    loser's included), so that opening the file offers the next game of the series. No
    //    half-cleared table is ever saved.
    GameInfo copy = g_.Game;
    bool over = false;
    if (copy.GameState == State::Penalty) {
        PlayerInfo& offender = copy.Player[copy.CurrentPlayer];
        for (std::size_t i = penaltyGiven_; i < penaltyGivers_.size(); ++i)
            MoveTopCard(copy.Player[penaltyGivers_[i]].CloseDeck, offender.CloseDeck);
        copy.GameState = stateBeforePenalty_;
        if (!penaltyMoveTo_.IsNone() && EndMove(copy, penaltyMoveTo_) == MoveEnd::GameOver) {
            CountLoss(copy);
            over = true;
        }
    }
    if (over || finishing_ || (copy.GameState == State::NoGame && copy.PlayerCount > 0))
        KeepPlayersOnly(copy);
    return copy;
}

// ---- Entry points ----

void GameRules::mnGameNew_Click() {
    Entry([this] {
        GameInfo& G = Game();
        g_.SeedFromClock();
        ApplySeating(ask_.AskPlayers());
        if (G.PlayerCount == 0) {
            ReplaceGame();
            view_.SetCaption(false);
            G.GameState = State::NoGame;
        } else if (G.GameState == State::Dealt) {
            ReplaceGame();
            // A new game belongs to no file yet: a Save must ask for a name rather than write
            // over the file of the game before.
            g_.FileName.clear();
            g_.FileTitle.clear();
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

void GameRules::ApplySeating(const Seating& seating) {
    GameInfo& G = Game();
    switch (seating.choice) {
    case Seating::Choice::Play:
        G.Player = seating.players;
        G.PlayerCount = static_cast<uint8_t>(seating.players.size());
        G.GameState = State::Dealt;
        break;
    case Seating::Choice::ClearTable:
        ResetGame(G);
        break;
    case Seating::Choice::KeepGame:
        break;
    }
}

bool GameRules::PersonMayAct() const {
    const GameInfo& G = Game();
    const bool playing = G.GameState == State::Playing || G.GameState == State::Turned ||
                         G.GameState == State::PlayedOn;
    return !MoveInProgress() && playing && G.PlayerCount > 0 && G.CurrentPlayer < G.Player.size() &&
           !G.Player[G.CurrentPlayer].Computer;
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

void GameRules::lblPlayer_DblClick(int Index) {
    Entry([this, Index] {
        GameInfo& G = Game();
        // The seat whose turn it is cannot be switched.
        if (Index < 0 || Index >= G.PlayerCount || Index == G.CurrentPlayer)
            return;
        const bool computer = G.Player[static_cast<std::size_t>(Index)].Computer;
        const auto answer = ask_.AskSwitchMode(static_cast<uint8_t>(Index), !computer);
        if (answer == TableDisplay::Answer::Yes)
            G.Player[static_cast<std::size_t>(Index)].Computer = !computer;
    });
}

void GameRules::HumanDrop(Pile to) {
    if (MoveInProgress())
        return;
    Entry([this, to] { Drop(to); });
}

void GameRules::HumanChoose(Pile to) {
    if (MoveInProgress())
        return;
    Entry([this, to] {
        const GameInfo& G = Game();
        if (PileTakes(G, to)) {
            Drop(to);
            return;
        }
        if (G.PlayerCount == 0 || G.GameState == State::Dealt || G.GameState == State::NoGame ||
            G.CardInHand() >= CardsInPack || !(to.IsSuit() || to.IsOpen()))
            return;
        MoveGuard guard(*this);
        // There and back: the piles stay as they were, and the mistake, if any, is the user's
        // to notice.
        ask_.AnimateMove(to);
        ask_.AnimateMove(Pile::None());
        DropAfterFlight(Pile::None(), false);
    });
}

void GameRules::Drop(Pile to) {
    const GameInfo& G = Game();
    if (G.PlayerCount == 0 || G.GameState == State::Dealt || G.GameState == State::NoGame)
        return;
    MoveGuard guard(*this);
    // Only a card can be laid, and only on a suit pile or an open pile.
    const uint8_t card = G.CardInHand();
    Pile target = card < CardsInPack && (to.IsSuit() || to.IsOpen()) ? to : Pile::None();
    const bool flew = ask_.AnimateMove(target);
    // An Ace laid on the empty pile of another suit: the two piles change places, so that
    // it lands where it was dropped while pile i keeps holding suit i.
    if (flew && target.IsSuit() && Suit(card) != target.index) {
        const auto suit = static_cast<uint8_t>(Suit(card));
        view_.SwapSuitPlaces(target.index, suit);
        target = Pile::Suit(suit);
    }
    DropAfterFlight(target, flew);
}

void GameRules::DropAfterFlight(Pile to, bool flewToTarget) {
    GameInfo& G = Game();
    if (!flewToTarget) {
        if (G.GameState == State::Turned)
            view_.PaintCloseDeck(G.CurrentPlayer);
        else
            view_.SetCurrentPlayer(true, false);
    } else {
        if (TransferCard(to.Code())) {
            NextPlayer(to.Code());
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
        GameInfo& G = Game();
        G = loaded;
        const bool ended = !G.InProgress() && G.Player.size() >= MinPlayers;
        // A file saved with no game opens to an empty table; one saved once a game had ended
        // still holds its players, who are offered the next game.
        if (ended)
            ResetGame(G);
        view_.SetCaption(G.InProgress());
        view_.Form_Resize();
        view_.PaintForm();
        if (ended && ask_.AskPlayAgain("The game saved in this file is over.")) {
            G.PlayerCount = static_cast<uint8_t>(G.Player.size());
            StartNextGame();
        }
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
    // Read before the click changes what is in hand.
    std::optional<PenaltyNote> why;
    if (G.MoveAvailable)
        why = Overlooked(G, G.Player[c].CloseDeck.Empty() ? PenaltyNote::Deed::TurnedPileOver
                                                          : PenaltyNote::Deed::TurnedCard);

    if (!G.Player[c].CloseDeck.Empty()) {
        view_.SetDragPic(Pile::Closed(c), G.Player[c].CloseDeck.Card[0]);
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
    if (why) {
        if (!G.KorvanePerTurn) {
            GiveKorvane(Pile::None(), why);
        } else if (!G.MistakeMade) {
            // The first mistake of the turn is the one charged and explained.
            G.MistakeMade = true;
            notedMistake_ = why;
        }
    }

    if (!G.Player[c].Computer) {
        g_.FindMoves();
        if (G.MoveAvailable)
            ask_.GiveTip();
    }
    view_.SetCurrentPlayer(true, false);
}

bool GameRules::TransferCard(uint8_t toPly) {
    GameInfo& G = Game();
    if (G.GameState == State::NoGame)
        return false;
    const Pile to = Pile::FromCode(toPly, G.PlayerCount);
    // While penalty cards are handed over, the code names the pile a card is taken from.
    if (G.GameState == State::Penalty)
        return to.IsClosed() && HandOverPenaltyCard(to.index);

    g_.FindMoves();
    const uint8_t c = G.CurrentPlayer;
    const bool turned = G.GameState == State::Turned;
    bool result = false;
    std::optional<PenaltyNote> charge;
    if (to.IsSuit() || to.IsOpen()) {
        CardDeck& target = to.IsSuit() ? G.SuitDeck[to.index] : G.Player[to.index].OpenDeck;
        CardDeck& source = turned ? G.Player[c].CloseDeck : G.Player[c].OpenDeck;
        if (!source.Empty()) {
            if (turned) {
                // Mistake 2 (the turned card laid on the own pile though it could go
                // elsewhere), and a mistake 1 noted earlier in this turn, cost one penalty
                // together; the noted one is explained, as it came first. Read while the card
                // is still in hand.
                if (G.MistakeMade && to.IsOpen())
                    charge = NotedMistake();
                else if (to == Pile::Open(c) && G.MoveAvailable)
                    charge = Overlooked(G, PenaltyNote::Deed::LaidOnOwnPile);
                MoveFirstCard(source, target);
                // The turned card has left the hand: from here on the closed pile's first card
                // is face down again, whatever the table shows or says before the turn ends.
                G.GameState = State::PlayedOn;
                view_.PaintCloseDeck(c);
                result = true;
            } else {
                MoveTopCard(source, target);
                view_.PaintOpenDeck(c, false);
                // Back onto the pile it came from: nothing changed.
                result = to != Pile::Open(c);
            }
            stats_.moves += result ? 1 : 0;
        }
        // The card shows where it landed before any penalty cards fly, and the pile loses the
        // highlight of the drop.
        if (to.IsSuit()) {
            view_.PaintSuit(to.index, false);
        } else {
            view_.PaintOpenDeck(to.index, false);
            view_.PrintLabel(to.index);
        }
    }
    if (charge) {
        G.MistakeMade = false;
        notedMistake_.reset();
        GiveKorvane(to, charge);
    }
    view_.PrintLabel(c);
    view_.HideDragPic();
    return result;
}

bool GameRules::HandOverPenaltyCard(uint8_t giver) {
    GameInfo& G = Game();
    const uint8_t o = G.CurrentPlayer;
    if (giver >= G.PlayerCount || giver == o || G.Player[giver].CloseDeck.Empty())
        return false;
    MoveTopCard(G.Player[giver].CloseDeck, G.Player[o].CloseDeck);
    // Both closed piles show what they now hold: the giver's may just have been used up, and
    // the offender's must never show a used-up marker while cards arrive on it.
    for (const uint8_t p : {giver, o}) {
        view_.PaintCloseDeck(p);
        view_.PrintLabel(p);
    }
    view_.HideDragPic();
    return true;
}

bool GameRules::NextPlayer(uint8_t toPly) {
    GameInfo& G = Game();
    if (G.GameState == State::NoGame)
        return false;
    const uint8_t start = G.CurrentPlayer;
    const MoveEnd end = EndMove(G, Pile::FromCode(toPly, G.PlayerCount));
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

PenaltyNote GameRules::NotedMistake() const {
    const GameInfo& G = Game();
    if (notedMistake_ && notedMistake_->seat == G.CurrentPlayer)
        return *notedMistake_;
    PenaltyNote unknown;
    unknown.seat = G.CurrentPlayer;
    return unknown;
}

void GameRules::GiveKorvane(Pile onTransferTo, const std::optional<PenaltyNote>& why) {
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

    std::optional<PenaltyNote> told;
    if (why && !G.Player[o].Computer) {
        told = why;
        told->seat = o;
        told->cards = static_cast<int>(givers.size());
    }

    view_.PaintCloseDeck(o);
    view_.HideDragPic();
    if (told)
        view_.ShowPenalty(*told, true);
    for (const uint8_t p : givers) {
        view_.SetDragPic(Pile::Closed(p), G.DeckBack);
        ask_.AnimateMove(Pile::Closed(o));
        HandOverPenaltyCard(p);
        ++penaltyGiven_;
    }
    G.GameState = remembered;
    view_.SetCurrentPlayer(true, false);
    if (G.GameState == State::Turned)
        view_.SetDragPic(Pile::Closed(o), G.Player[o].CloseDeck.Card[0]);
    view_.PrintLabel(o);
    if (told)
        view_.ShowPenalty(*told, false);
}

void GameRules::StartNextGame() {
    g_.SeedFromClock();
    g_.NewRound();
    view_.SetCaption(true);
    view_.Form_Resize();
    view_.PaintForm();
    Game().GameState = State::Playing;
}

void GameRules::FinishGame() {
    GameInfo& G = Game();
    const uint8_t c = G.CurrentPlayer;
    G.GameState = State::NoGame;
    view_.PaintOpenDeck(c, false);
    view_.PaintCloseDeck(c);
    view_.HideDragPic();

    const std::string message =
        CountLoss(G) ? G.Player[c].TrimmedName() + " lost this game." : "Nobody lost this game!!!";
    if (ask_.AskPlayAgain(message)) {
        StartNextGame();
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
            s = static_cast<std::size_t>(g_.RandomInt(0, SuitPiles - 1));
        } while (G.SuitDeck[s].Empty());
        CardDeck& pile = G.SuitDeck[s];
        const uint8_t card = pile.Top();
        --pile.Count;
        pile.Card[pile.Count] = EmptySlot;
        view_.PaintSuit(static_cast<uint8_t>(s), false);
        ask_.CardShowFlight(static_cast<uint8_t>(s), card);
        --n;
    }
    finishing_ = false;
    view_.SetCaption(false);
    g_.ResetGame();
}

} // namespace korvane
