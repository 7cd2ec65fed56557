#include "movement/DragFlight.h"

#include "engine/Rounding.h"
#include "movement/FramePacing.h"

#include <QGuiApplication>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// Shows the busy pointer for its lifetime, so that an interrupted flight restores it too.
class BusyPointer {
public:
    BusyPointer() : active_(QGuiApplication::instance() != nullptr) {
        if (active_) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    ~BusyPointer() {
        if (active_ && QGuiApplication::instance() != nullptr) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    bool active_;
};

int ToPixel(float v) {
    return RoundHalfEven(std::isfinite(v) ? std::clamp(static_cast<double>(v), -1.0e9, 1.0e9)
                                          : 0.0);
}

} // namespace

bool FlyPlan(const FlightPlan& plan, int32_t wait, const PlaceFn& place, const PauseFn& pause,
             const AbortCheck& abort) {
    if (plan.points.empty()) {
        return true;
    }
    const BusyPointer busy;
    const std::size_t last = plan.points.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        if (abort && abort()) {
            return false;
        }
        if (place) {
            place(plan.points[i]);
        }
        if (pause && !pause(wait)) {
            return false;
        }
    }
    if (abort && abort()) {
        return false;
    }
    if (place) {
        place(plan.points[last]);
    }
    return true;
}

void PlaceWidget(QWidget& pic, FlightPoint p) {
    pic.move(QPoint(ToPixel(p.x), ToPixel(p.y)));
}

bool MoveDragPic(QWidget& pic, float cX, float cY, float dx, float dy, const GameInfo& game,
                 QSize clientSize, const RandomSource& random, const AbortCheck& abort,
                 const TickSource& ticks, double stepScale) {
    FlightOptions options = FlightOptionsFor(game);
    if (stepScale > 0 && std::isfinite(stepScale) && stepScale != 1.0) {
        options.step =
            static_cast<int32_t>(std::lround(std::clamp(options.step * stepScale, 1.0, 1.0e9)));
    }
    const FlightPlan plan =
        PlanFlight(cX, cY, dx, dy, options, clientSize.width(), clientSize.height(), random);
    // The pauses run the event loop, where the window (and the picture with it) may be closed.
    const QPointer<QWidget> guard(&pic);
    const AbortCheck stop = [&] { return guard.isNull() || (abort && abort()); };
    return FlyPlan(
        plan, options.wait,
        [&](FlightPoint p) {
            if (!guard.isNull()) {
                PlaceWidget(*guard, p);
            }
        },
        PacedPause(ScreenOf(pic), [&](int32_t ms) { return Pause(ms, stop, ticks); }), stop);
}

} // namespace korvane
