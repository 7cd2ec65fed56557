// Flying the drag picture (the card in hand) along a planned path.
//
// Typical use in the table window:
//
//     bool arrived = MoveDragPic(*picDrag, x0, y0, X, Y, game, clientSize,
//                                [&](int32_t lo, int32_t hi) { return global.RandomInt(lo, hi); },
//                                [&] { return rules.RunningMoveAbandoned(); });
//     // events ran during the flight: the rules look at the game again afterwards.
#pragma once

#include "engine/GameRecord.h"
#include "movement/FlightPath.h"
#include "movement/Pause.h"

#include <QSize>
#include <cstdint>
#include <functional>

class QWidget;

namespace korvane {

// Shows the card at a position of the plan (float table pixels).
using PlaceFn = std::function<void(FlightPoint)>;
// Waits after a step; false stops the flight (see Pause).
using PauseFn = std::function<bool(int32_t ms)>;

// Walks a plan: for every point, place the card there, then pause `wait` ms. The busy pointer
// (Qt::WaitCursor as the application's override cursor) shows for the flight and is restored
// however it ends; an empty plan changes nothing, not even the pointer. The flight stops at
// once, without further placing, when `abort` turns true or a pause returns false.
// Returns true when the card reached the plan's last point (or the plan was empty).
// This is also the test hook: pass a recorder as `place` and a fake as `pause`.
bool FlyPlan(const FlightPlan& plan, int32_t wait, const PlaceFn& place, const PauseFn& pause,
             const AbortCheck& abort = {});

// Moves `pic`'s top-left corner (in its parent's coordinates, which the table window makes
// its client area) to a flight position, rounding to whole pixels.
void PlaceWidget(QWidget& pic, FlightPoint p);

// Flies the drag picture from (cX, cY) to (dx, dy) with the settings the game record chooses
// (FlightOptionsFor). Every step is drawn at once and then lasts a frame of the picture's screen
// plus the step's pause (see FramePacing.h), waiting with Pause by `ticks`, which tests replace
// to fly without waiting. clientSize is the table's client area,
// where curved paths draw their random points. Stops as described for FlyPlan, and also when
// the widget is destroyed during the flight. Returns true when the card arrived.
// stepScale multiplies the record's step: a table drawn z times as large flies z times as far
// per step, so that a flight takes as many steps, and as long, at any zoom.
bool MoveDragPic(QWidget& pic, float cX, float cY, float dx, float dy, const GameInfo& game,
                 QSize clientSize, const RandomSource& random, const AbortCheck& abort = {},
                 const TickSource& ticks = SystemTicks, double stepScale = 1.0);

} // namespace korvane
