#include "movement/FramePacing.h"

#include <QCoreApplication>
#include <QEvent>
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
    // Moving the card only marks what changed (the strip it uncovered; the card's own pixels
    // are moved, not redrawn) and posts the window an update request. Delivering that request
    // now paints exactly those changes and flushes the window, so the position is out before
    // the pause starts. repaint() would also redraw the whole card on every step.
    screen.present = [guard] {
        if (!guard.isNull()) {
            QCoreApplication::sendPostedEvents(guard->window(), QEvent::UpdateRequest);
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
