#include "table/StatusText.h"

#include <array>

namespace korvane::status {

std::string RankName(int rank) {
    static constexpr std::array<const char*, 13> names{
        "Ace", "2", "3", "4", "5", "6", "7", "8", "9", "10", "Jack", "Queen", "King"};
    return names.at(static_cast<std::size_t>(rank));
}

std::string SuitName(int suit) {
    static constexpr std::array<const char*, 4> names{"clubs", "diamonds", "hearts", "spades"};
    return names.at(static_cast<std::size_t>(suit));
}

namespace {

std::string Name(const GameInfo& g, uint8_t seat) {
    return seat < g.Player.size() ? g.Player[seat].TrimmedName() : std::string();
}

std::string PlaceName(const GameInfo& g, const PenaltyNote::Place& p) {
    if (p.pile.IsSuit())
        return p.top == NoCard ? "an empty suit pile" : "the " + SuitName(p.pile.index) + " pile";
    return Name(g, p.pile.index) + "'s " + CardName(p.top);
}

// "A", "A or B", "A, B or C".
std::string Places(const GameInfo& g, const std::vector<PenaltyNote::Place>& places) {
    std::string out;
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (i > 0)
            out += i + 1 == places.size() ? " or " : ", ";
        out += PlaceName(g, places[i]);
    }
    return out;
}

// Where a card may go, as a newcomer needs to hear it.
std::string WhereItMayGo(uint8_t card) {
    if (Rank(card) == 0)
        return "onto an empty suit pile";
    return "onto its suit pile or onto another player's " + RankName(Rank(card) - 1);
}

} // namespace

std::string CardName(uint8_t card) {
    if (card >= CardsInPack)
        return "card";
    return RankName(Rank(card)) + " of " + SuitName(Suit(card));
}

std::string TurnLine(const GameInfo& g, const std::string& lastResult) {
    if (!g.InProgress() || g.CurrentPlayer >= g.Player.size()) {
        if (!lastResult.empty())
            return "Game over: " + lastResult + " Start another with Game > New Game (F2).";
        return "No game on the table. Start one with Game > New Game (F2).";
    }
    const PlayerInfo& p = g.Player[g.CurrentPlayer];
    const std::string who = p.TrimmedName() + "'s turn";
    if (p.Computer)
        return who + " (computer).";
    if (g.GameState == State::Penalty)
        return who + ": penalty cards are being handed over.";
    const uint8_t card = g.CardInHand();
    if (g.GameState == State::Turned && card != NoCard)
        return who + ": you turned up the " + CardName(card) + ". Drag it " + WhereItMayGo(card) +
               "; if it fits nowhere, onto your own open pile.";
    const std::string turn = p.CloseDeck.Empty() ? "click the circle to turn your open pile over"
                                                 : "click your face-down pile to turn up a card";
    if (card == NoCard)
        return who + ": " + turn + ".";
    return who + ": drag the " + CardName(card) + " " + WhereItMayGo(card) + ", or " + turn + ".";
}

std::string PenaltyText(const GameInfo& g, const PenaltyNote& note) {
    std::string text = "Penalty for " + Name(g, note.seat) + ": ";
    const std::string card = CardName(note.card);
    const std::string where = Places(g, note.places);
    switch (note.deed) {
    case PenaltyNote::Deed::TurnedCard:
        text += "you turned up a card, but the " + card +
                " on your open pile could have gone onto " + where + ".";
        break;
    case PenaltyNote::Deed::TurnedPileOver:
        text += "you turned your open pile over, but its " + card + " could have gone onto " +
                where + ".";
        break;
    case PenaltyNote::Deed::LaidOnOwnPile:
        text += "you laid the " + card + " on your own pile, but it could have gone onto " + where +
                ".";
        break;
    case PenaltyNote::Deed::Unknown:
        text += "earlier in this turn you turned up a card while another could be played.";
        break;
    }
    if (note.cards == 0)
        text += " Nobody had a card left to give you.";
    else if (note.cards == 1)
        text += " 1 card was handed over to you.";
    else
        text += " " + std::to_string(note.cards) + " cards were handed over to you.";
    return text;
}

std::string LabelTip() {
    return "(n): the cards this player holds\n[n]: the games this player has lost";
}

} // namespace korvane::status
