// libFuzzer over the saved-game reader: every input is either refused with a reason, or gives a
// record that is safe to play from and that the writer turns back into the very bytes read.
// The invariants are spelled out again here rather than borrowed from the reader's own checks.
#include "savedgame/SavedGameFile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace korvane;

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void RequirePile(const CardDeck& d, std::array<int, 52>& seen) {
    Require(d.Count <= 52, "pile count above 52");
    for (std::size_t k = 0; k < 53; ++k) {
        if (k < d.Count) {
            Require(d.Card[k] <= 51, "a slot below the count holds no card");
            ++seen[d.Card[k]];
        } else {
            Require(d.Card[k] == 52, "a slot above the count is not empty");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const LoadResult r = DecodeGame(std::span<const uint8_t>(data, size));
    if (!r) {
        Require(!r.reason.empty(), "refused without a reason");
        return 0;
    }
    const GameInfo& g = *r.game;
    const std::size_t n = g.Player.size();
    Require(n <= MaxPlayers, "more than eight players");
    Require(size >= 262 + 371 * n, "accepted a file shorter than its header says");

    const uint8_t s = g.GameState;
    Require(s == 0 || s == 1 || s == 2 || s == 254 || s == 255, "unknown state");
    Require(g.DeckBack >= 54 && g.DeckBack <= 65, "card back");
    Require(g.TotalKorvane >= MinPenaltyCards && g.TotalKorvane <= MaxPenaltyCards, "penalty size");
    Require(g.PathPoints <= 99, "path points");
    for (int i = 0; i < 2; ++i) {
        Require(g.MoveStep[i] >= 1, "step distance");
        Require(g.MoveSpeed[i] >= 0 && g.MoveSpeed[i] <= 109, "pause");
    }

    std::array<int, 52> seen{};
    for (std::size_t i = 0; i < 4; ++i) {
        const CardDeck& d = g.SuitDeck[i];
        RequirePile(d, seen);
        for (std::size_t k = 0; k < d.Count; ++k)
            Require(Suit(d.Card[k]) == static_cast<int>(i) &&
                        Rank(d.Card[k]) == static_cast<int>(k),
                    "suit pile out of order");
    }
    for (const PlayerInfo& p : g.Player) {
        Require(p.Name.size() == NameLength, "name field width");
        RequirePile(p.CloseDeck, seen);
        RequirePile(p.OpenDeck, seen);
    }
    for (int c : seen)
        Require(c <= 1, "a card twice");

    if (s == 255) {
        Require(g.PlayerCount == 0, "players seated with no game");
    } else {
        Require(g.PlayerCount >= MinPlayers && g.PlayerCount <= MaxPlayers, "player count");
        Require(g.PlayerCount == n, "player count against the header");
        Require(g.CurrentPlayer < n, "player to move");
        for (int c : seen)
            Require(c == 1, "a card missing in play");
        if (s == 1)
            Require(!g.Player[g.CurrentPlayer].CloseDeck.Empty(), "turned card missing");
        Require(g.InProgress(), "in progress");
        // The card in hand is a card or nothing, and reading it stays inside the record.
        const uint8_t h = g.CardInHand();
        Require(h <= 51 || h == NoCard, "card in hand");
    }

    const std::vector<uint8_t> again = EncodeGame(g);
    Require(again.size() == 262 + 371 * n, "encoded size");
    Require(std::memcmp(again.data(), data, again.size()) == 0, "re-encoding changed bytes");
    // The same bytes read twice give the same verdict.
    Require(static_cast<bool>(DecodeGame(again)), "re-encoded record refused");
    return 0;
}
