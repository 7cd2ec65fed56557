#include "lan/AvahiPoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <avahi-common/timeval.h>

#include <climits>

// Avahi declares these two and leaves them to the main loop. Each is freed by a call from
// Avahi, often from inside its own callback, so it is only switched off then and deleted once
// the event loop is back.
struct AvahiWatch final : QObject {
    AvahiWatch(QObject* owner, int fd_, AvahiWatchEvent events, AvahiWatchCallback callback_,
               void* userdata_)
        : QObject(owner), fd(fd_), read(fd_, QSocketNotifier::Read),
          write(fd_, QSocketNotifier::Write), callback(callback_), userdata(userdata_) {
        connect(&read, &QSocketNotifier::activated, this, [this] { Fire(AVAHI_WATCH_IN); });
        connect(&write, &QSocketNotifier::activated, this, [this] { Fire(AVAHI_WATCH_OUT); });
        Want(events);
    }

    void Want(AvahiWatchEvent events) {
        // A hang-up or an error wakes the reader, as poll(2) reports them whatever was asked.
        read.setEnabled(callback &&
                        (events & (AVAHI_WATCH_IN | AVAHI_WATCH_HUP | AVAHI_WATCH_ERR)));
        write.setEnabled(callback && (events & AVAHI_WATCH_OUT));
    }

    void Fire(AvahiWatchEvent event) {
        if (!callback)
            return;
        happened = event;
        callback(this, fd, event, userdata);
        happened = AvahiWatchEvent{};
    }

    void Free() {
        callback = nullptr;
        Want(AvahiWatchEvent{});
        deleteLater();
    }

    int fd;
    QSocketNotifier read;
    QSocketNotifier write;
    AvahiWatchCallback callback;
    void* userdata;
    AvahiWatchEvent happened{}; // while the callback runs
};

struct AvahiTimeout final : QObject {
    AvahiTimeout(QObject* owner, const timeval* when, AvahiTimeoutCallback callback_,
                 void* userdata_)
        : QObject(owner), callback(callback_), userdata(userdata_) {
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [this] {
            if (callback)
                callback(this, userdata);
        });
        Set(when);
    }

    void Set(const timeval* when) {
        if (!when) {
            timer.stop();
            return;
        }
        // Avahi gives the moment on its own clock; only the time left to it matters here.
        const AvahiUsec left = -avahi_age(when);
        const AvahiUsec ms = left <= 0 ? 0 : (left + 999) / 1000;
        timer.start(static_cast<int>(std::min<AvahiUsec>(ms, INT_MAX)));
    }

    void Free() {
        callback = nullptr;
        timer.stop();
        deleteLater();
    }

    QTimer timer;
    AvahiTimeoutCallback callback;
    void* userdata;
};

namespace korvane::lan {

namespace {

QObject* Owner(const ::AvahiPoll* api) {
    return static_cast<AvahiPoll*>(api->userdata);
}

} // namespace

AvahiPoll::AvahiPoll() {
    api_.userdata = this;
    api_.watch_new = [](const ::AvahiPoll* api, int fd, AvahiWatchEvent events,
                        AvahiWatchCallback callback, void* userdata) -> AvahiWatch* {
        return new AvahiWatch(Owner(api), fd, events, callback, userdata);
    };
    api_.watch_update = [](AvahiWatch* w, AvahiWatchEvent events) { w->Want(events); };
    api_.watch_get_events = [](AvahiWatch* w) { return w->happened; };
    api_.watch_free = [](AvahiWatch* w) { w->Free(); };
    api_.timeout_new = [](const ::AvahiPoll* api, const timeval* when,
                          AvahiTimeoutCallback callback, void* userdata) -> AvahiTimeout* {
        return new AvahiTimeout(Owner(api), when, callback, userdata);
    };
    api_.timeout_update = [](AvahiTimeout* t, const timeval* when) { t->Set(when); };
    api_.timeout_free = [](AvahiTimeout* t) { t->Free(); };
}

AvahiPoll::~AvahiPoll() = default;

} // namespace korvane::lan
