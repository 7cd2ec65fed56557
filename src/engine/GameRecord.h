// The game record: every piece of a game's state, laid out field for field as a saved game
// holds it. Widths and encodings here are binding for the KVN file format.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// A 16-bit Boolean as saved games store it: True is -1 (all bits set), False is 0, and any
// non-zero value reads as True.
class Bool16 {
public:
    static constexpr int16_t True = -1;
    static constexpr int16_t False = 0;

    constexpr Bool16() = default;
    constexpr Bool16(bool b) : raw_(b ? True : False) {} // NOLINT: reads like a bool on purpose

    static constexpr Bool16 FromRaw(int16_t raw) {
        Bool16 b;
        b.raw_ = raw;
        return b;
    }
    constexpr int16_t Raw() const { return raw_; }
    constexpr operator bool() const { return raw_ != 0; } // NOLINT

private:
    int16_t raw_ = False;
};

// Card codes: rank * 4 + suit, rank 0 the Ace .. 12 the King.
inline constexpr uint8_t EmptySlot = 52;   // an unused slot of a pile
inline constexpr uint8_t NoCard = 255;     // nothing in hand
inline constexpr uint8_t CardsInPack = 52; // a pile can never hold more
inline constexpr uint8_t SuitPiles = 4;
// Seats at the table: the players dialog offers MinPlayers..MaxPlayers, and a saved game never
// holds more.
inline constexpr uint8_t MinPlayers = 3;
inline constexpr uint8_t MaxPlayers = 8;
// Cards each other player hands over per penalty (TotalKorvane): the options dialog offers
// MinPenaltyCards..MaxPenaltyCards, and a saved game holds no other count.
inline constexpr uint8_t MinPenaltyCards = 1;
inline constexpr uint8_t MaxPenaltyCards = 3;
constexpr int Rank(uint8_t code) {
    return code >> 2;
}
constexpr int Suit(uint8_t code) {
    return code % 4;
}

// A pile. Card(0)..Card(Count-1) are cards; every other slot holds EmptySlot.
// Open piles and suit piles are stacks (top is Card(Count-1)); a closed pile is a queue whose
// next card to turn is Card(0).
struct CardDeck {
    std::array<uint8_t, 53> Card;
    uint8_t Count = 0;

    CardDeck() { Card.fill(EmptySlot); }
    bool Empty() const { return Count == 0; }
    uint8_t Top() const { return Card[Count - 1]; }
    friend bool operator==(const CardDeck&, const CardDeck&) = default;
};

// What a pile may take: the move finder marks these places, and a dropped card goes only there.
// A suit pile takes its suit's Ace when empty, then each next rank of that suit.
inline bool SuitPileTakes(const CardDeck& pile, uint8_t suit, uint8_t card) {
    return pile.Empty() ? card == suit : card == pile.Top() + 4;
}
// Another player's open pile takes a card one rank above its top card, of any suit.
inline bool OpenPileTakes(const CardDeck& pile, uint8_t card) {
    return !pile.Empty() && Rank(pile.Top()) == Rank(card) - 1;
}

// Pile operations. Callers keep the preconditions (a non-empty source, a target below 53).
void ClearDeck(CardDeck& Deck);
void MoveTopCard(CardDeck& Source, CardDeck& Target);
void MoveFirstCard(CardDeck& Source, CardDeck& Target);
void MoveWholeDeck(CardDeck& Source, CardDeck& Target);

inline constexpr std::size_t NameLength = 255;

// One seat. Name holds single-byte (Latin-1) characters, padded with blanks to NameLength.
struct PlayerInfo {
    std::string Name = std::string(NameLength, ' ');
    CardDeck CloseDeck;
    CardDeck OpenDeck;
    int32_t Lost = 0;
    Bool16 Computer;
    Bool16 CanTake;

    // Stores a name in the fixed field: cut at NameLength, padded with blanks.
    void SetName(const std::string& latin1);
    // The name as it is shown: without leading or trailing blanks.
    std::string TrimmedName() const;
    int CardsHeld() const { return CloseDeck.Count + OpenDeck.Count; }
    bool HoldsCards() const { return CloseDeck.Count > 0 || OpenDeck.Count > 0; }
};

// GameState values.
namespace State {
inline constexpr uint8_t Playing = 0;   // a turn in progress, the open pile's top in hand
inline constexpr uint8_t Turned = 1;    // a card of the closed pile is in hand
inline constexpr uint8_t PlayedOn = 2;  // the turned card went away; behaves like Playing
inline constexpr uint8_t Penalty = 128; // penalty cards are being handed over
inline constexpr uint8_t Dealt = 254;   // players chosen, play not yet open
inline constexpr uint8_t NoGame = 255;  // nothing to play
} // namespace State

// The game record. Field order and widths follow the saved-game layout.
struct GameInfo {
    std::array<CardDeck, SuitPiles> SuitDeck;
    uint8_t PlayerCount = 0;
    uint8_t CurrentPlayer = 0;
    uint8_t DeckBack = 54;
    std::array<int16_t, 2> MoveStep{15, 15}; // [0] human flights, [1] computer flights
    std::array<int16_t, 2> MoveSpeed{1, 1};  // pause after each step, in milliseconds
    uint8_t GameState = State::NoGame;
    std::array<Bool16, SuitPiles> SuitCanTake{};
    Bool16 MoveAvailable;
    uint8_t TotalKorvane = 1;
    Bool16 KorvanePerTurn = false;
    Bool16 MistakeMade = false;
    Bool16 OutlineDrag = true;
    Bool16 ShowTip = true;
    Bool16 LastChance = true;
    Bool16 StraightPath = true;
    uint8_t PathPoints = 2;
    std::vector<PlayerInfo> Player;

    // A game is on the table and may be played or is being dealt.
    bool InProgress() const { return GameState != State::NoGame && PlayerCount > 0; }
    // The card the current player holds: the turned card in state 1, else his open pile's top;
    // NoCard when there is none.
    uint8_t CardInHand() const;
};

// Back to no game: piles and tallies cleared, no players. Names and modes stay.
void ResetGame(GameInfo& Game);

// An empty suit place takes any Ace: the Ace's own pile then moves to that place.
inline bool PlaceTakes(const GameInfo& game, uint8_t place, uint8_t card) {
    const CardDeck& pile = game.SuitDeck[place];
    return pile.Empty() ? card < CardsInPack && Rank(card) == 0 : SuitPileTakes(pile, place, card);
}

// Card-back designs offered to the player.
inline constexpr uint8_t FirstBack = 54;
inline constexpr uint8_t LastBack = 65;

// What the card library draws besides the card faces 0..51 (suits clubs, diamonds, hearts,
// spades, in the order of the card codes).
namespace DrawCode {
inline constexpr uint8_t Nothing = 52;    // an empty widget
inline constexpr uint8_t EmptyPlace = 53; // a hatched place, in the colour given
inline constexpr uint8_t FirstBack = korvane::FirstBack;
inline constexpr uint8_t LastBack = korvane::LastBack;
inline constexpr int BackCount = LastBack - FirstBack + 1;
inline constexpr uint8_t Cross = 67;  // a seat with no cards left at all
inline constexpr uint8_t Circle = 68; // a closed pile used up while the open pile holds cards
} // namespace DrawCode

// Target codes naming a pile (see Pile, which converts them).
namespace Target {
inline constexpr uint8_t FirstOpen = 10;   // 10 + p: player p's open pile
inline constexpr uint8_t FirstClosed = 20; // 20 + p: player p's closed pile (penalty cards)
inline constexpr uint8_t None = 255;
} // namespace Target

// The program's version, shown in the caption and the about box.
inline constexpr int VersionMajor = 1;
inline constexpr int VersionMinor = 0;
inline constexpr const char* AppTitle = "Korvane - Palveri Solitaire";

} // namespace korvane
