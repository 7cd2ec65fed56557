#include "movement/Pause.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace korvane {

namespace {

// The longest single sleep: an abort is noticed at the latest this long after it happened.
// Each wake-up costs CPU, so a flight's step (a 60 Hz frame plus the default pause) is one.
constexpr uint32_t SliceMs = 20;

} // namespace

uint32_t SystemTicks() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms)); // keeps the low 32 bits
}

bool Pause(int32_t ms, const AbortCheck& abort, const TickSource& ticks) {
    const TickSource& clock = ticks ? ticks : TickSource(SystemTicks);
    const uint32_t start = clock();
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    for (;;) {
        if (abort && abort()) {
            return false;
        }
        if (app != nullptr && QCoreApplication::closingDown()) {
            return false;
        }
        if (ms <= 0) {
            return true;
        }
        // Unsigned subtraction: right across the counter's wrap.
        const uint32_t elapsed = clock() - start;
        const auto wanted = static_cast<uint32_t>(ms);
        if (elapsed >= wanted) {
            return true;
        }
        const uint32_t slice = std::min(wanted - elapsed, SliceMs);
        if (app == nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
            continue;
        }
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        bool timedOut = false;
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        timer.start(static_cast<int>(slice));
        loop.exec();
        // The loop ended before our timer: the application asked every event loop to exit.
        if (!timedOut) {
            return false;
        }
    }
}

} // namespace korvane
