// Cards, piles and seats as the tests lay them out by hand.
#pragma once

#include "engine/GameRecord.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace korvane::test {

// Code of a card: rank 0 (Ace) .. 12 (King), suit 0..3.
constexpr uint8_t Card(int rank, int suit) {
    return static_cast<uint8_t>(rank * 4 + suit);
}

// Lays `cards` on a pile that held nothing before, first listed first (Card(0)).
inline void Put(CardDeck& deck, std::initializer_list<int> cards) {
    ClearDeck(deck);
    for (int c : cards)
        deck.Card[deck.Count++] = static_cast<uint8_t>(c);
}

// What the players dialog's OK writes: `n` players named "Player 1".., those in `humans` played
// by a person, the others by the computer.
inline void SeatPlayers(GameInfo& G, int n, std::vector<int> humans = {}) {
    if (G.PlayerCount != n || G.Player.size() != static_cast<std::size_t>(n)) {
        G.Player.assign(static_cast<std::size_t>(n), PlayerInfo{});
        G.PlayerCount = static_cast<uint8_t>(n);
    }
    for (int i = 0; i < n; ++i) {
        auto& p = G.Player[static_cast<std::size_t>(i)];
        p.SetName("Player " + std::to_string(i + 1));
        p.Computer = std::find(humans.begin(), humans.end(), i) == humans.end();
    }
    G.GameState = State::Dealt;
}

// A game in progress: the Ace and Two of suit 1 on their pile, the other cards dealt round the
// table onto the closed piles, and each player's first two cards turned onto his open pile.
inline GameInfo MidGame(uint8_t players) {
    GameInfo g;
    SeatPlayers(g, players, {0, 1, 2, 3, 4, 5, 6, 7});
    g.GameState = State::Playing;
    g.DeckBack = 60;
    Put(g.SuitDeck[1], {1, 5});
    for (uint8_t c = 0, seat = 0; c < CardsInPack; ++c)
        if (c != 1 && c != 5) {
            CardDeck& d = g.Player[seat++ % players].CloseDeck;
            d.Card[d.Count++] = c;
        }
    for (PlayerInfo& p : g.Player)
        for (int i = 0; i < 2; ++i)
            MoveFirstCard(p.CloseDeck, p.OpenDeck);
    return g;
}

} // namespace korvane::test
