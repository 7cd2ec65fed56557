// Which pile a dropped card goes to, and in which order the move tip visits piles. Pure
// functions of rectangles and the game record, for the table window's drag handlers and tip.
#pragma once

#include "engine/GameRecord.h"
#include "engine/Pile.h"

#include <QRect>
#include <array>
#include <cstdint>
#include <vector>

namespace korvane {

// The area in square pixels that `drag` covers of `pile`; 0 when they only touch or are apart.
// A rectangle spans x() .. x() + width() (QRect::right() is one less).
float OverlapArea(const QRect& pile, const QRect& drag);

// Where the piles and the card in hand are, in table pixels.
struct DropLayout {
    std::array<QRect, 4> suitPiles; // suit pile pictures 0..3
    std::vector<QRect> openPiles;   // open pile pictures of players 0..PlayerCount-1
    QRect drag;                     // the drag picture
};

// The pile card c (0..51) would go to if it were dropped now, or None.
// - Only the suit pile covered most is considered (equal areas keep the lower index). It takes
//   the next card of its suit, or any ace when it is empty (the window then swaps the pile
//   pictures so that the ace lands in its own suit's pile where it was dropped).
// - Only the first overlapped open pile in seat order is considered. Another player's pile takes
//   a card one rank above its top card, any suit; the current player's own pile takes the card
//   only when no suit pile is valid.
// - The larger overlap wins; on a tie the other player's pile wins only when he holds fewer
//   cards (open plus closed) than the current player.
Pile OverLap(const DropLayout& layout, uint8_t c, const GameInfo& game);

// The piles the move tip visits, in order: marked suit piles 0..3, then the open piles of the
// players whose CanTake mark is set. Empty when ShowTip is off.
std::vector<Pile> TipTargets(const GameInfo& game);
// How long the tip rests the card on each pile it shows, the pile highlighted as under a dragged
// card: long enough to be noticed before the card flies back.
constexpr int32_t TipHoldMs = 350;

} // namespace korvane
