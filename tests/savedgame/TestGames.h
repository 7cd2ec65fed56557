// Games built by hand for the saved-game tests, so the codec can be tested without the deal.
#pragma once

#include "engine/GameRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::testing {

// A game in progress with `players` seats: the Ace and Two of hearts (suit 1) on their suit
// pile, every other card dealt round the table onto the closed piles, and each player's first
// two cards turned onto his open pile.
inline GameInfo MidGame(uint8_t players) {
    GameInfo g;
    g.PlayerCount = players;
    g.GameState = State::Playing;
    g.DeckBack = 60;
    g.Player.resize(players);
    for (uint8_t p = 0; p < players; ++p)
        g.Player[p].SetName("Player " + std::to_string(p + 1));
    CardDeck& hearts = g.SuitDeck[1];
    hearts.Card[0] = 1;
    hearts.Card[1] = 5;
    hearts.Count = 2;
    int seat = 0;
    for (uint8_t c = 0; c < CardsInPack; ++c) {
        if (c == 1 || c == 5)
            continue;
        CardDeck& d = g.Player[seat].CloseDeck;
        d.Card[d.Count++] = c;
        seat = (seat + 1) % players;
    }
    for (PlayerInfo& p : g.Player)
        for (int i = 0; i < 2; ++i)
            MoveFirstCard(p.CloseDeck, p.OpenDeck);
    return g;
}

// Little-endian stores into a file image, for files written by the test itself.
inline void Put16(std::vector<uint8_t>& b, std::size_t at, int16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}
inline void Put32(std::vector<uint8_t>& b, std::size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

} // namespace korvane::testing

namespace korvane::testing {

// The first field in which two records differ, or "" when they agree in every field (Booleans
// by raw value, names byte for byte).
inline std::string Difference(const GameInfo& a, const GameInfo& b) {
    auto raw = [](Bool16 v) { return v.Raw(); };
    for (std::size_t i = 0; i < 4; ++i) {
        if (!(a.SuitDeck[i] == b.SuitDeck[i]))
            return "SuitDeck " + std::to_string(i);
        if (raw(a.SuitCanTake[i]) != raw(b.SuitCanTake[i]))
            return "SuitCanTake " + std::to_string(i);
    }
    if (a.PlayerCount != b.PlayerCount)
        return "PlayerCount";
    if (a.CurrentPlayer != b.CurrentPlayer)
        return "CurrentPlayer";
    if (a.DeckBack != b.DeckBack)
        return "DeckBack";
    if (a.MoveStep != b.MoveStep)
        return "MoveStep";
    if (a.MoveSpeed != b.MoveSpeed)
        return "MoveSpeed";
    if (a.GameState != b.GameState)
        return "GameState";
    if (raw(a.MoveAvailable) != raw(b.MoveAvailable))
        return "MoveAvailable";
    if (a.TotalKorvane != b.TotalKorvane)
        return "TotalKorvane";
    if (raw(a.KorvanePerTurn) != raw(b.KorvanePerTurn))
        return "KorvanePerTurn";
    if (raw(a.MistakeMade) != raw(b.MistakeMade))
        return "MistakeMade";
    if (raw(a.OutlineDrag) != raw(b.OutlineDrag))
        return "OutlineDrag";
    if (raw(a.ShowTip) != raw(b.ShowTip))
        return "ShowTip";
    if (raw(a.LastChance) != raw(b.LastChance))
        return "LastChance";
    if (raw(a.StraightPath) != raw(b.StraightPath))
        return "StraightPath";
    if (a.PathPoints != b.PathPoints)
        return "PathPoints";
    if (a.Player.size() != b.Player.size())
        return "number of players";
    for (std::size_t p = 0; p < a.Player.size(); ++p) {
        const PlayerInfo& x = a.Player[p];
        const PlayerInfo& y = b.Player[p];
        const std::string who = " of player " + std::to_string(p);
        if (x.Name != y.Name)
            return "Name" + who;
        if (!(x.CloseDeck == y.CloseDeck))
            return "CloseDeck" + who;
        if (!(x.OpenDeck == y.OpenDeck))
            return "OpenDeck" + who;
        if (x.Lost != y.Lost)
            return "Lost" + who;
        if (raw(x.Computer) != raw(y.Computer))
            return "Computer" + who;
        if (raw(x.CanTake) != raw(y.CanTake))
            return "CanTake" + who;
    }
    return {};
}

} // namespace korvane::testing
