#include "engine/GameRecord.h"

#include <algorithm>

namespace korvane {

void ClearDeck(CardDeck& Deck) {
    Deck.Card.fill(EmptySlot);
    Deck.Count = 0;
}

void MoveTopCard(CardDeck& Source, CardDeck& Target) {
    Target.Card[Target.Count] = Source.Card[Source.Count - 1];
    ++Target.Count;
    --Source.Count;
    Source.Card[Source.Count] = EmptySlot;
}

void MoveFirstCard(CardDeck& Source, CardDeck& Target) {
    Target.Card[Target.Count] = Source.Card[0];
    ++Target.Count;
    // Slot Count of the source holds EmptySlot (or is the last slot), so shifting it down
    // leaves the freed slot empty.
    std::copy(Source.Card.begin() + 1, Source.Card.begin() + Source.Count + 1, Source.Card.begin());
    --Source.Count;
    Source.Card[Source.Count] = EmptySlot;
}

void MoveWholeDeck(CardDeck& Source, CardDeck& Target) {
    Target = Source;
    ClearDeck(Source);
}

void PlayerInfo::SetName(const std::string& latin1) {
    Name = latin1.substr(0, NameLength);
    Name.resize(NameLength, ' ');
}

std::string PlayerInfo::TrimmedName() const {
    const auto first = Name.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = Name.find_last_not_of(' ');
    return Name.substr(first, last - first + 1);
}

uint8_t GameInfo::CardInHand() const {
    if (CurrentPlayer >= Player.size())
        return NoCard;
    const PlayerInfo& p = Player[CurrentPlayer];
    if (GameState == State::Turned)
        return p.CloseDeck.Empty() ? NoCard : p.CloseDeck.Card[0];
    return p.OpenDeck.Empty() ? NoCard : p.OpenDeck.Top();
}

void ResetGame(GameInfo& Game) {
    for (std::size_t i = 0; i < Game.PlayerCount && i < Game.Player.size(); ++i) {
        PlayerInfo& p = Game.Player[i];
        ClearDeck(p.CloseDeck);
        ClearDeck(p.OpenDeck);
        p.Lost = 0;
        p.CanTake = false;
    }
    for (CardDeck& s : Game.SuitDeck)
        ClearDeck(s);
    Game.MoveAvailable = false;
    Game.MistakeMade = false;
    Game.CurrentPlayer = 0;
    Game.PlayerCount = 0;
    Game.GameState = State::NoGame;
}

} // namespace korvane
