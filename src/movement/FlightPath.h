// The arithmetic of card flights: where the flying card shows at each step, and where a card
// leaving the table ends. Nothing here touches a widget, a clock or the event loop, so every
// result can be checked in isolation.
//
// Coordinates are pixels of the table window's client area, top-left corner (0, 0), y down.
// A flight position is the top-left corner of the flying card.
#pragma once

#include "engine/GameRecord.h"
#include "engine/Rounding.h"
#include "engine/mdlGlobal.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace korvane {

struct FlightPoint {
    float x = 0;
    float y = 0;
    friend bool operator==(const FlightPoint&, const FlightPoint&) = default;
};

// The game's random source, RandomInt(Low, High) with both ends included. The window binds it
// to mdlGlobal::RandomInt so that flights draw from the game's one generator.
using RandomSource = std::function<int32_t(int32_t Low, int32_t High)>;

// The point at fraction t of the way from (x1, y1) to (x2, y2), each coordinate rounded to a
// whole pixel with an exact half going up (towards +infinity). Single precision throughout.
void LinePoint(float x1, float y1, float x2, float y2, float t, float& x, float& y);

// The Bezier curve of degree n = px.size() - 1 at parameter t: the sum of P(i) * coef(i) *
// t^i * (1 - t)^(n - i), with 0^0 = 1. The weights are doubles, the sums singles; the result
// is not rounded. px, py and coef must have the same, non-zero length.
void CurvePoint(float& x, float& y, float t, const std::vector<float>& px,
                const std::vector<float>& py, const std::vector<double>& coef);

// C(n, 0) .. C(n, n) in double precision.
std::vector<double> BinomialCoefficients(int n);

// Where a card flying from its place along slope m leaves the table. X and Y are the signed
// distances from the card to the table edges it flies towards (negative: left / up). The card
// ends fully outside, `spacing` pixels beyond the edge it crosses first. (mX, mY) receive the
// offset from the card's place to that end point.
// m should be finite and non-zero; a slope of 0 flies level and an infinite one vertically.
void FindEndPoint(int32_t X, int32_t Y, float m, int32_t& mX, int32_t& mY, int32_t dragWidth,
                  int32_t dragHeight, int32_t spacing = mdlGlobal::CardSpacing);

// How a flight moves: the settings of one kind of player plus the path option.
struct FlightOptions {
    int32_t step = 15;        // pixels along the path per step; below 1 counts as 1
    int32_t wait = 1;         // milliseconds to pause after every step
    bool straightPath = true; // false: a curve through PathPoints random points
    int32_t pathPoints = 2;   // random points of a curved flight; 0 flies straight
};

// Which settings a flight uses: 0 (the human ones) while penalty cards fly (GameState 128),
// else 1 when the current player is a computer, else 0.
int FlightSettingsIndex(const GameInfo& game);
// The options of the game record for the next flight (MoveStep, MoveSpeed at the index above,
// StraightPath, PathPoints).
FlightOptions FlightOptionsFor(const GameInfo& game);

// The positions of one flight.
struct FlightPlan {
    // Where the card shows, in order. The first is the start, the last is exactly the
    // destination. Empty when start and destination coincide: then nothing moves at all.
    std::vector<FlightPoint> points;
    // The Bezier control points of a curved flight, start and destination included; empty for
    // a straight flight.
    std::vector<FlightPoint> controls;
};

// Plans a flight from (cX, cY) to (dx, dy) over a client area of clientW x clientH pixels.
// Straight: floor(dist / step) + 1 points along the line (rounded, see LinePoint), then the
// destination. Curved (pathPoints >= 1 and not straightPath): pathPoints random control points,
// each drawn x then y as random(0, clientW), random(0, clientH); the path length is taken as
// (sqrt(pathPoints) + 1) * dist and walked the same way, then the destination.
// `random` is called only for curved flights; without one, a flight flies straight.
FlightPlan PlanFlight(float cX, float cY, float dx, float dy, const FlightOptions& options,
                      int32_t clientW, int32_t clientH, const RandomSource& random);

// The end-of-game card show: the point off the table where a card flying off from (x0, y0)
// ends. A target point (x1, y1) is drawn as random(0, clientW), random(0, clientH), again until
// it differs from the start in both coordinates; the card flies along the line through it,
// away past the table edge (see FindEndPoint). Returns the end point (x0 + mX, y0 + mY).
FlightPoint CardShowEndPoint(int32_t x0, int32_t y0, int32_t clientW, int32_t clientH,
                             int32_t dragWidth, int32_t dragHeight, const RandomSource& random,
                             int32_t spacing = mdlGlobal::CardSpacing);

} // namespace korvane
