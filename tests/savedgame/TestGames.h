// Games built by hand for the saved-game tests, so the codec can be tested without the deal.
#pragma once

#include "engine/GameRecord.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace korvane::testing {

// A game in progress: the Ace and Two of suit 1 on their pile, the other cards dealt round the
// table onto the closed piles, and each player's first two cards turned onto his open pile.
inline GameInfo MidGame(uint8_t players) {
    GameInfo g;
    g.PlayerCount = players;
    g.GameState = State::Playing;
    g.DeckBack = 60;
    g.Player.resize(players);
    for (uint8_t p = 0; p < players; ++p)
        g.Player[p].SetName("Player " + std::to_string(p + 1));
    g.SuitDeck[1].Card[0] = 1;
    g.SuitDeck[1].Card[1] = 5;
    g.SuitDeck[1].Count = 2;
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

// Little-endian stores into a file image: consecutive 16-bit words, or one 32-bit word.
inline void Put16(std::vector<uint8_t>& b, std::size_t at, std::initializer_list<int> words) {
    for (int v : words) {
        b[at++] = static_cast<uint8_t>(v);
        b[at++] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    }
}
inline void Put32(std::vector<uint8_t>& b, std::size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

} // namespace korvane::testing
