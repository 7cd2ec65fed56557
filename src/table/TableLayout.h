// Where the table's panels, piles and labels go. Plain arithmetic over sizes, kept apart from
// the widgets so that every figure can be checked without a window.
#pragma once

#include "engine/GameRecord.h"
#include "engine/mdlGlobal.h"

#include <array>
#include <functional>
#include <optional>

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

// Whether a table of size minimum fits in room.
constexpr bool Fits(Size minimum, Size room) {
    return minimum.w <= room.w && minimum.h <= room.h;
}

// What a resize has to do with the window. room is the area below the menu bar, the status
// line's share included; statusHeight is that share while the line is shown.
struct ResizeDecision {
    bool tooSmall = false;   // maximised, and the table does not fit even without the status line
    bool statusShown = true; // a maximised window gives the status line's room to the table
    Size client;             // the client size to lay the table out in (grown to the minimum)
    Size grow;               // what the window grows by to get it
};
ResizeDecision DecideResize(Size room, int statusHeight, Size minimum, bool maximised);

// Every position on the table for n seats in a client area of size client.
struct TablePlacement {
    std::array<Point, MaxSeats> panel{};
    Rect band;
    std::array<int, SuitPiles> suitLeft{}; // inside the band
    int suitTop = Spacing;                 // inside the band
};
TablePlacement PlaceTable(int n, Size client, Size panel, int bandHeight, int pileWidth,
                          int spacing = Spacing);

// ---- Zoom: cards, gaps and the labels' font are drawn this many times their designed size ----

inline constexpr double MinZoom = 0.5;
inline constexpr double MaxZoom = 4.0;
// The zooms of Zoom In and Zoom Out; Fit to Window takes any zoom between the ends.
inline constexpr std::array<double, 9> ZoomSteps = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0};

// A length of the design at zoom z, to the nearest pixel.
int Zoomed(int v, double z);

// The labels' font size, in points, at zoom z. It follows the zoom down to 8 points and no
// further: the smallest size commonly held legible on a screen, and still two lines within a
// label at MinZoom (the layout measures the labels in this font, so nothing overlaps).
inline constexpr double LabelPoints = 12;
inline constexpr double MinLabelPoints = 8;
double LabelPointsAt(double z);

// The smallest client area for n seats at zoom z: card is a card's size at zoom 1, labelHeight
// the labels' height in the font of zoom z.
Size MinimumClientAt(int n, Size card, int labelHeight, double z);

// The largest zoom, in hundredths, whose table (minimumAt(zoom)) fits a client area of size
// client; MinZoom when none does. The minimum grows with the zoom.
double ZoomToFit(Size client, const std::function<Size(double)>& minimumAt);

// The step after zoom: the next larger for direction > 0, the next smaller for direction < 0,
// and 1 for direction 0. None past either end.
std::optional<double> NextZoom(double zoom, int direction);

// Which of Zoom In and Zoom Out can act at zoom: Zoom In only when the next step's table fits
// room, the largest client area the screen allows.
struct ZoomReach {
    bool in = false;
    bool out = false;
    friend bool operator==(const ZoomReach&, const ZoomReach&) = default;
};
ZoomReach ReachFrom(double zoom, Size room, const std::function<Size(double)>& minimumAt);

} // namespace korvane::layout
