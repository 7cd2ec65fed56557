#include "movement/DropTarget.h"

#include <algorithm>

namespace korvane {

float OverlapArea(const QRect& pile, const QRect& drag) {
    // 64-bit edges: x() + width() of a huge rectangle must not overflow.
    const int64_t L = pile.x();
    const int64_t R = L + pile.width();
    const int64_t T = pile.y();
    const int64_t B = T + pile.height();
    const int64_t dl = drag.x();
    const int64_t dr = dl + drag.width();
    const int64_t dt = drag.y();
    const int64_t db = dt + drag.height();
    // The common part of the two rectangles. For two card-sized rectangles this is the extent
    // from the covered edge inwards; it stays right when the drag picture is larger than the
    // pile (it carries a border) or lies wholly within it.
    const int64_t w = std::min(R, dr) - std::max(L, dl);
    const int64_t h = std::min(B, db) - std::max(T, dt);
    if (w <= 0 || h <= 0) {
        return 0.0f;
    }
    return static_cast<float>(w) * static_cast<float>(h);
}

Pile OverLap(const DropLayout& layout, uint8_t c, const GameInfo& game) {
    if (c >= CardsInPack) {
        return Pile::None(); // a card back or nothing: not a card that can be played
    }

    uint8_t best = Target::None;
    float bestArea = 0.0f;
    for (uint8_t s = 0; s < SuitPiles; ++s) {
        const float a = OverlapArea(layout.suitPiles[s], layout.drag);
        if (a > bestArea) {
            bestArea = a;
            best = s;
        }
    }

    const std::size_t seats = std::min(
        {static_cast<std::size_t>(game.PlayerCount), game.Player.size(), layout.openPiles.size()});
    std::size_t ply = seats; // none
    float plyArea = 0.0f;
    for (std::size_t p = 0; p < seats; ++p) {
        const float a = OverlapArea(layout.openPiles[p], layout.drag);
        if (a > 0.0f) {
            ply = p;
            plyArea = a;
            break;
        }
    }

    if (best != Target::None && !PlaceTakes(game, best, c)) {
        best = Target::None;
    }
    if (ply < seats) {
        if (ply == game.CurrentPlayer) {
            if (best != Target::None) {
                ply = seats;
            }
        } else if (!OpenPileTakes(game.Player[ply].OpenDeck, c)) {
            ply = seats;
        }
    }
    if (best == Target::None) {
        bestArea = 0.0f;
    }
    if (ply == seats) {
        plyArea = 0.0f;
    }

    const Pile playerPile = Pile::Open(static_cast<uint8_t>(ply));
    if (bestArea > plyArea) {
        return Pile::Suit(best);
    }
    if (plyArea > bestArea) {
        return playerPile;
    }
    if (bestArea == 0.0f) {
        return Pile::None();
    }
    const std::size_t cur = game.CurrentPlayer;
    const int currentHolds = cur < game.Player.size() ? game.Player[cur].CardsHeld() : 0;
    return game.Player[ply].CardsHeld() < currentHolds ? playerPile : Pile::Suit(best);
}

std::vector<Pile> TipTargets(const GameInfo& game) {
    std::vector<Pile> targets;
    if (!game.ShowTip) {
        return targets;
    }
    for (uint8_t s = 0; s < SuitPiles; ++s) {
        if (game.SuitCanTake[s]) {
            targets.push_back(Pile::Suit(s));
        }
    }
    const std::size_t seats = std::min<std::size_t>(game.PlayerCount, game.Player.size());
    for (std::size_t p = 0; p < seats; ++p) {
        if (game.Player[p].CanTake) {
            targets.push_back(Pile::Open(static_cast<uint8_t>(p)));
        }
    }
    return targets;
}

} // namespace korvane
