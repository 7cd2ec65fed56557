#include "movement/FramePacing.h"

#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace korvane {

int32_t FrameMs(double hz) {
    constexpr double Unknown = 60.0;
    constexpr double Slowest = 20.0;
    if (!std::isfinite(hz) || hz < 1.0) {
        hz = Unknown;
    }
    hz = std::max(hz, Slowest);
    return std::max<int32_t>(1, static_cast<int32_t>(std::lround(1000.0 / hz)));
}

FlightScreen ScreenOf(QWidget& pic) {
    FlightScreen screen;
    const QPointer<QWidget> guard(&pic);
    // repaint(), unlike update(), paints now: the move's pending changes with it, then the
    // window's backing store is flushed, so the position is out before the pause starts.
    screen.present = [guard] {
        if (!guard.isNull()) {
            guard->repaint();
        }
    };
    if (const QScreen* s = pic.screen()) {
        screen.refreshHz = s->refreshRate();
    }
    return screen;
}

PauseFn PacedPause(const FlightScreen& screen, PauseFn pause) {
    const int32_t frame = FrameMs(screen.refreshHz);
    return [present = screen.present, pause = std::move(pause), frame](int32_t wait) {
        if (present) {
            present();
        }
        return !pause || pause(frame + std::max<int32_t>(wait, 0));
    };
}

} // namespace korvane
