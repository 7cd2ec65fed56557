// The table's invariants, shared by the whole-game tests: every card once, piles with nothing
// beyond their counts, suit piles in order and, between moves, a player to move who can move;
// and what tells two games apart for a save.
#pragma once

#include "engine/GameRecord.h"

#include <array>
#include <string>
#include <vector>

namespace korvane::test {

// How much of the table is checked.
enum class Check : uint8_t {
    None,    // the card show: cards are leaving the table
    Cards,   // every card once, suit piles in order (during a penalty, at a question)
    Between, // also a valid state and a player to move who holds cards
};

// Why `G` breaks an invariant, or "" when it keeps them all. A table with no players is empty.
inline std::string CheckTable(const GameInfo& G, Check level) {
    if (level == Check::None || G.PlayerCount == 0)
        return {};
    if (G.Player.size() < G.PlayerCount)
        return "fewer players than PlayerCount";
    std::array<int, CardsInPack> seen{};
    auto pile = [&](const CardDeck& d) -> std::string {
        for (std::size_t k = 0; k < d.Card.size(); ++k) {
            const uint8_t c = d.Card[k];
            if (k >= d.Count && c != EmptySlot)
                return "a pile holds a card beyond its count";
            if (k < d.Count && c >= CardsInPack)
                return "a pile holds a slot with no card";
            if (k < d.Count)
                ++seen[c];
        }
        return {};
    };
    for (std::size_t s = 0; s < 4; ++s) {
        if (std::string why = pile(G.SuitDeck[s]); !why.empty())
            return why;
        for (std::size_t k = 0; k < G.SuitDeck[s].Count; ++k)
            if (G.SuitDeck[s].Card[k] != k * 4 + s)
                return "suit pile " + std::to_string(s) + " out of order";
    }
    for (std::size_t p = 0; p < G.PlayerCount; ++p)
        for (const CardDeck* d : {&G.Player[p].CloseDeck, &G.Player[p].OpenDeck})
            if (std::string why = pile(*d); !why.empty())
                return why;
    for (std::size_t c = 0; c < CardsInPack; ++c)
        if (seen[c] != 1)
            return "card " + std::to_string(c) + " is on the table " + std::to_string(seen[c]) +
                   " times";
    if (level == Check::Cards)
        return {};

    const uint8_t s = G.GameState;
    if (s != State::Playing && s != State::Turned && s != State::PlayedOn)
        return "state " + std::to_string(s) + " between moves";
    if (G.CurrentPlayer >= G.PlayerCount || !G.Player[G.CurrentPlayer].HoldsCards())
        return "the player to move does not exist or holds no cards";
    if (s == State::Turned && G.Player[G.CurrentPlayer].CloseDeck.Empty())
        return "a turned card in hand but none on the closed pile";
    return {};
}

// An ended game as a save holds it: nobody seated, the players kept with their tallies.
inline GameInfo PlayersKept(const GameInfo& G) {
    GameInfo kept = G;
    ResetGame(kept);
    for (std::size_t i = 0; i < kept.Player.size(); ++i)
        kept.Player[i].Lost = G.Player[i].Lost;
    return kept;
}

// Where `got` differs from `expected` in what a player can see or the rules use (the move
// finder's marks are worked out afresh before every use, so they are left out); "" for nowhere.
inline std::string Difference(const GameInfo& got, const GameInfo& expected) {
    if (got.GameState != expected.GameState || got.PlayerCount != expected.PlayerCount)
        return "state " + std::to_string(got.GameState) + " or player count";
    if (got.PlayerCount == 0) {
        // No game: only the players kept behind for the next one count.
        if (got.Player.size() != expected.Player.size())
            return "players kept";
        for (std::size_t p = 0; p < got.Player.size(); ++p) {
            const PlayerInfo& a = got.Player[p];
            const PlayerInfo& b = expected.Player[p];
            if (a.Name != b.Name || bool(a.Computer) != bool(b.Computer) || a.Lost != b.Lost)
                return "player kept " + std::to_string(p);
        }
        return {};
    }
    if (got.CurrentPlayer != expected.CurrentPlayer)
        return "player to move";
    if (got.SuitDeck != expected.SuitDeck || bool(got.MistakeMade) != bool(expected.MistakeMade))
        return "suit piles or noted mistake";
    for (std::size_t p = 0; p < got.PlayerCount; ++p) {
        const PlayerInfo& a = got.Player[p];
        const PlayerInfo& b = expected.Player[p];
        if (a.CloseDeck != b.CloseDeck || a.OpenDeck != b.OpenDeck ||
            bool(a.Computer) != bool(b.Computer) || a.Lost != b.Lost)
            return "seat " + std::to_string(p);
    }
    return {};
}

} // namespace korvane::test
