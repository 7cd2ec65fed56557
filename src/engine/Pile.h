// A pile on the table, named by its kind and its seat (or, for a suit pile, its suit).
//
// Saved games and the operations that take a target code name piles by one byte: 0..3 a suit
// pile, 10 + p player p's open pile, 20 + p player p's closed pile, 255 none. Code() and
// FromCode() convert at those edges; everything else speaks of piles.
#pragma once

#include "engine/GameRecord.h"

#include <cstdint>

namespace korvane {

struct Pile {
    enum class Kind : uint8_t { None, Suit, Open, Closed };
    Kind kind = Kind::None;
    uint8_t index = 0; // the suit 0..3, or the seat

    static constexpr Pile None() { return {}; }
    static constexpr Pile Suit(uint8_t suit) { return {Kind::Suit, suit}; }
    static constexpr Pile Open(uint8_t seat) { return {Kind::Open, seat}; }
    static constexpr Pile Closed(uint8_t seat) { return {Kind::Closed, seat}; }

    constexpr bool IsNone() const { return kind == Kind::None; }
    constexpr bool IsSuit() const { return kind == Kind::Suit; }
    constexpr bool IsOpen() const { return kind == Kind::Open; }
    constexpr bool IsClosed() const { return kind == Kind::Closed; }

    constexpr uint8_t Code() const {
        switch (kind) {
        case Kind::Suit:
            return index;
        case Kind::Open:
            return static_cast<uint8_t>(Target::FirstOpen + index);
        case Kind::Closed:
            return static_cast<uint8_t>(Target::FirstClosed + index);
        case Kind::None:
            break;
        }
        return Target::None;
    }

    // The pile `code` names at a table of `seats` players; None for any code that names no
    // pile there.
    static constexpr Pile FromCode(uint8_t code, uint8_t seats) {
        if (code < SuitPiles)
            return Suit(code);
        if (code >= Target::FirstOpen && code < Target::FirstOpen + seats)
            return Open(static_cast<uint8_t>(code - Target::FirstOpen));
        if (code >= Target::FirstClosed && code < Target::FirstClosed + seats)
            return Closed(static_cast<uint8_t>(code - Target::FirstClosed));
        return None();
    }

    friend constexpr bool operator==(Pile, Pile) = default;
};

// The pile the current player's card in hand lies on (GameInfo::CardInHand): his closed pile
// while a turned card is in hand, else his open pile; None when no game is on the table or the
// pile is empty.
inline Pile HandPile(const GameInfo& g) {
    if (!g.InProgress() || g.CurrentPlayer >= g.Player.size())
        return Pile::None();
    const PlayerInfo& p = g.Player[g.CurrentPlayer];
    if (g.GameState == State::Turned)
        return p.CloseDeck.Empty() ? Pile::None() : Pile::Closed(g.CurrentPlayer);
    return p.OpenDeck.Empty() ? Pile::None() : Pile::Open(g.CurrentPlayer);
}

} // namespace korvane
