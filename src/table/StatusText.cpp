#include "table/StatusText.h"

#include "engine/GameRules.h"

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

// "onto its suit pile or onto another player's 6": the kinds of place that take the card now.
std::string Onto(const GameInfo& g, uint8_t card) {
    const PlaceKinds kinds = KindsTaking(g, card);
    std::string out;
    if (kinds.suitPile)
        out = Rank(card) == 0 ? "onto an empty suit pile" : "onto its suit pile";
    if (kinds.otherOpenPile)
        out += (out.empty() ? "" : " or ") + std::string("onto another player's ") +
               RankName(Rank(card) - 1);
    return out;
}

// The sentence `s` with a capital first letter.
std::string Capital(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z')
        s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

// Every instruction names both ways, the way he last played first. The keys move the frame
// over the piles and act on the framed one.
struct Ways {
    bool keys;
    std::string Either(const std::string& mouseFirst, const std::string& keysFirst) const {
        return keys ? keysFirst : mouseFirst;
    }
    // `what`: "the 7 of clubs" or "it"; `onto`: where to, or "where it fits".
    std::string Play(const std::string& what, const std::string& onto) const {
        return Either("drag " + what + " " + onto +
                          ", or move the frame there with Tab or the arrow keys and press Enter",
                      "play " + what + " " + onto +
                          " by moving the frame there with Tab or the arrow keys and pressing "
                          "Enter, or drag it there");
    }
    std::string TurnUp() const {
        return Either("click your face-down pile or press Enter on it to turn up a card",
                      "press Enter on your face-down pile or click it to turn up a card");
    }
    std::string TurnOver() const {
        return Either("click the circle or press Enter on it to turn your open pile over",
                      "press Enter on the circle or click it to turn your open pile over");
    }
    std::string LayOnOwnPile() const {
        return Either("drag it onto your own open pile, or move the frame there with Tab or the "
                      "arrow keys and press Enter",
                      "move the frame to your own open pile with Tab or the arrow keys and press "
                      "Enter, or drag it there");
    }
};

} // namespace

std::string CardName(uint8_t card) {
    if (card >= CardsInPack)
        return "card";
    return RankName(Rank(card)) + " of " + SuitName(Suit(card));
}

std::string TurnLine(const GameInfo& g, const std::string& lastResult, Input last,
                     const SeatRoles& roles) {
    if (!g.InProgress() || g.CurrentPlayer >= g.Player.size()) {
        // At a network table the next game is the host's to deal: the network's notice says so.
        if (roles.network)
            return lastResult.empty() ? std::string() : "Game over: " + lastResult;
        if (!lastResult.empty())
            return "Game over: " + lastResult + " Start another with Game > New Game (F2).";
        return "No game on the table. Start one with Game > New Game (F2).";
    }
    const PlayerInfo& p = g.Player[g.CurrentPlayer];
    const std::string who = p.TrimmedName() + "'s turn";
    if (p.Computer)
        return who + " (computer).";
    if (roles.Elsewhere(g.CurrentPlayer))
        return g.GameState == State::Penalty ? who + ": penalty cards are being handed over."
                                             : who + " (at another computer).";
    if (g.GameState == State::Penalty)
        return who + ": penalty cards are being handed over.";
    const Ways ways{last == Input::Keys};
    const uint8_t card = g.CardInHand();
    // With the tips off, finding the places is the player's own task: the line names none.
    const std::string onto = g.ShowTip ? Onto(g, card) : "where it fits";
    if (g.GameState == State::Turned && card != NoCard) {
        const std::string turned = who + ": you turned up the " + CardName(card) + ". ";
        if (!g.ShowTip)
            return turned + Capital(ways.Play("it", onto)) +
                   "; if it fits nowhere, lay it on your own open pile the same way.";
        if (onto.empty())
            return turned + "It fits nowhere: " + ways.LayOnOwnPile() + ".";
        return turned + Capital(ways.Play("it", onto)) + ".";
    }
    const std::string turn = p.CloseDeck.Empty() ? ways.TurnOver() : ways.TurnUp();
    if (card == NoCard)
        return who + ": " + turn + ".";
    const std::string inHand = "the " + CardName(card);
    if (!g.ShowTip)
        return who + ": " + ways.Play(inHand, onto) + "; if it fits nowhere, " + turn + ".";
    // Turning up a card while this one could be played would be a mistake.
    if (onto.empty())
        return who + ": " + inHand + " fits nowhere; " + turn + ".";
    return who + ": " + ways.Play(inHand, onto) + ".";
}

std::string PenaltyText(const GameInfo& g, const PenaltyNote& note, bool cardsFlying,
                        const SeatRoles& roles) {
    const std::string name = Name(g, note.seat);
    // Read at another computer, "you" would be the reader: the offender is named instead.
    const bool away = roles.Elsewhere(note.seat);
    const std::string you = away ? name : "you";
    const std::string your = away ? name + "'s" : "your";
    std::string text = "Penalty for " + name + ": ";
    const std::string card = CardName(note.card);
    const std::string where = Places(g, note.places);
    switch (note.deed) {
    case PenaltyNote::Deed::TurnedCard:
        text += you + " turned up a card, but the " + card + " on " + your +
                " open pile could have gone onto " + where + ".";
        break;
    case PenaltyNote::Deed::TurnedPileOver:
        text += you + " turned " + your + " open pile over, but its " + card +
                " could have gone onto " + where + ".";
        break;
    case PenaltyNote::Deed::LaidOnOwnPile:
        text += you + " laid the " + card + " on " + your +
                " own pile, but it could have gone onto " + where + ".";
        break;
    case PenaltyNote::Deed::Unknown:
        text += "earlier in this turn " + you + " turned up a card while another could be played.";
        break;
    }
    if (note.cards == 0)
        text.append(" Nobody had a card left to give ").append(you).append(".");
    else if (note.cards == 1)
        text.append(cardsFlying ? " 1 card is being handed over to "
                                : " 1 card was handed over to ")
            .append(you)
            .append(".");
    else
        text.append(" ")
            .append(std::to_string(note.cards))
            .append(cardsFlying ? " cards are being handed over to "
                                : " cards were handed over to ")
            .append(you)
            .append(".");
    return text;
}

std::string KeyRefusal(const GameInfo& g, Pile focused, bool moving, const SeatRoles& roles) {
    if (!g.InProgress() || g.CurrentPlayer >= g.Player.size() || g.GameState == State::Dealt)
        return "There is no game to play: start one with Game > New Game (F2).";
    const PlayerInfo& p = g.Player[g.CurrentPlayer];
    if (p.Computer)
        return "It is " + p.TrimmedName() + "'s turn: the computer plays it.";
    if (roles.Elsewhere(g.CurrentPlayer))
        return "It is " + p.TrimmedName() + "'s turn: " + p.TrimmedName() +
               " plays at another computer.";
    if (g.GameState == State::Penalty)
        return "Wait until the penalty cards have been handed over.";
    if (moving)
        return "Wait until the card has landed.";
    if (focused.IsNone())
        return "Move the frame onto a pile with Tab or the arrow keys first.";
    if (focused.IsClosed() && focused.index != g.CurrentPlayer)
        return "That is " + Name(g, focused.index) +
               "'s face-down pile: only your own turns up a card for you.";
    if (focused.IsClosed() && g.GameState == State::Turned)
        return "You already hold the " + CardName(g.CardInHand()) +
               ": play it, or lay it on your own open pile, before you turn up another card.";
    if (!focused.IsClosed() && g.CardInHand() == NoCard)
        return "You hold no card: turn one up from your face-down pile first.";
    if (focused == Pile::Open(g.CurrentPlayer) && g.GameState != State::Turned)
        return "The " + CardName(g.CardInHand()) +
               " lies on this pile already: move the frame to where it should go.";
    return {};
}

std::string LabelTip() {
    return "(n): the cards this player holds\n[n]: the games this player has lost";
}

} // namespace korvane::status
