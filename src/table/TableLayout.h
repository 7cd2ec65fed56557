// Where the table's panels, piles and labels go. Plain arithmetic over sizes, kept apart from
// the widgets so that every figure can be checked without a window.
#pragma once

#include "engine/GameRecord.h"
#include "engine/mdlGlobal.h"

#include <array>

namespace korvane::layout {

// The gap between piles, between panels and to the window's edges, at zoom 1. Every function
// below takes the gap of the zoom in use; it grows with the cards.
inline constexpr int Spacing = mdlGlobal::CardSpacing;
inline constexpr int MaxSeats = MaxPlayers;
inline constexpr int SuitPiles = korvane::SuitPiles;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int w = 0;
    int h = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int Right() const { return x + w; }
    int Bottom() const { return y + h; }
    Point TopLeft() const { return {x, y}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// One seat's panel: positions are inside the panel.
struct PanelLayout {
    Rect closed;
    Rect open;
    Rect label;
    Size panel;
};

// A seat's panel. Top-row panels carry their label above the piles and bottom-row panels below
// them, so that every label faces the nearer window edge. pile is one card picture's size.
PanelLayout SizeFrames(bool OnTop, Size pile, int labelHeight, int spacing = Spacing);

// The band of suit piles: one card high plus a gap above and below.
int SuitBandHeight(Size pile, int spacing = Spacing);

// Seats on the top row and on the bottom row; the odd seat goes on top.
constexpr int TopSeats(int n) {
    return n - n / 2;
}
constexpr int BottomSeats(int n) {
    return n / 2;
}
constexpr bool SeatOnTop(int seat, int n) {
    return seat < TopSeats(n);
}

// The smallest client area that holds n seats with panels of size panel.
Size MinimumClient(int n, Size panel, int bandHeight, int spacing = Spacing);

// What a resize has to do with the window.
struct ResizeDecision {
    bool tooSmall = false; // maximised and still below the minimum: the table cannot be shown
    Size client;           // the client size to lay the table out in (grown to the minimum)
};
ResizeDecision DecideResize(Size client, Size minimum, bool maximised);

// Every position on the table for n seats in a client area of size client.
struct TablePlacement {
    std::array<Point, MaxSeats> panel{};
    Rect band;
    std::array<int, SuitPiles> suitLeft{}; // inside the band
    int suitTop = Spacing;                 // inside the band
};
TablePlacement PlaceTable(int n, Size client, Size panel, int bandHeight, int pileWidth,
                          int spacing = Spacing);

} // namespace korvane::layout
