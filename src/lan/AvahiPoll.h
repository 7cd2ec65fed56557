// Avahi's main-loop abstraction on Qt's event loop: a watch is a pair of socket notifiers, a
// timeout a single-shot timer. Avahi's callbacks thus run in the one thread, between events,
// like any slot.
#pragma once

#include <QObject>

#include <avahi-common/watch.h>

namespace korvane::lan {

class AvahiPoll : public QObject {
public:
    AvahiPoll();
    // Avahi frees its watches and timeouts itself; those still here (freed while their own
    // callback ran) go with this object, so the client using it must be freed first.
    ~AvahiPoll() override;
    AvahiPoll(const AvahiPoll&) = delete;
    AvahiPoll& operator=(const AvahiPoll&) = delete;

    const ::AvahiPoll* Api() const { return &api_; }

private:
    ::AvahiPoll api_{};
};

} // namespace korvane::lan
