#include "net/EpollDispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

namespace korvane::net {

EpollDispatcher::EpollDispatcher(QObject* parent)
    : QAbstractEventDispatcher(parent), epoll_(epoll_create1(EPOLL_CLOEXEC)),
      wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = wake_;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &ev);
}

EpollDispatcher::~EpollDispatcher() {
    close(wake_);
    close(epoll_);
}

void EpollDispatcher::Rearm(int fd) {
    const auto it = watches_.find(fd);
    if (it == watches_.end())
        return;
    const Watch& w = it->second;
    epoll_event ev{};
    ev.data.fd = fd;
    if (w.read)
        ev.events |= EPOLLIN;
    if (w.write)
        ev.events |= EPOLLOUT;
    if (w.exception)
        ev.events |= EPOLLPRI;
    if (ev.events == 0) {
        epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
        watches_.erase(it);
        return;
    }
    if (epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &ev) != 0 && errno == ENOENT)
        epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev);
}

void EpollDispatcher::registerSocketNotifier(QSocketNotifier* notifier) {
    const int fd = static_cast<int>(notifier->socket());
    const bool fresh = !watches_.count(fd);
    Watch& w = watches_[fd];
    switch (notifier->type()) {
    case QSocketNotifier::Read:
        w.read = notifier;
        break;
    case QSocketNotifier::Write:
        w.write = notifier;
        break;
    case QSocketNotifier::Exception:
        w.exception = notifier;
        break;
    }
    if (fresh) {
        epoll_event ev{};
        ev.data.fd = fd;
        epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev);
    }
    Rearm(fd);
}

void EpollDispatcher::unregisterSocketNotifier(QSocketNotifier* notifier) {
    const int fd = static_cast<int>(notifier->socket());
    const auto it = watches_.find(fd);
    if (it == watches_.end())
        return;
    Watch& w = it->second;
    for (QSocketNotifier** slot : {&w.read, &w.write, &w.exception})
        if (*slot == notifier)
            *slot = nullptr;
    Rearm(fd);
}

void EpollDispatcher::registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                                    QObject* object) {
    timers_[timerId] = {interval, timerType, object,
                        Clock::now() + std::chrono::milliseconds(interval)};
}

bool EpollDispatcher::unregisterTimer(int timerId) {
    return timers_.erase(timerId) > 0;
}

bool EpollDispatcher::unregisterTimers(QObject* object) {
    const auto before = timers_.size();
    std::erase_if(timers_, [object](const auto& t) { return t.second.object == object; });
    return timers_.size() != before;
}

QList<QAbstractEventDispatcher::TimerInfo>
EpollDispatcher::registeredTimers(QObject* object) const {
    QList<TimerInfo> list;
    for (const auto& [id, t] : timers_)
        if (t.object == object)
            list.append(TimerInfo(id, static_cast<int>(t.interval), t.type));
    return list;
}

int EpollDispatcher::remainingTime(int timerId) {
    const auto it = timers_.find(timerId);
    if (it == timers_.end())
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(it->second.due - Clock::now());
    return static_cast<int>(std::max<qint64>(0, left.count()));
}

void EpollDispatcher::wakeUp() {
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wake_, &one, sizeof one);
}

void EpollDispatcher::interrupt() {
    interrupted_ = true;
    wakeUp();
}

int EpollDispatcher::NextTimeout() const {
    if (timers_.empty())
        return -1;
    Clock::time_point next = Clock::time_point::max();
    for (const auto& [id, t] : timers_)
        next = std::min(next, t.due);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
    return static_cast<int>(std::clamp<qint64>(left, 0, 24 * 3600 * 1000));
}

bool EpollDispatcher::FireTimers() {
    const Clock::time_point now = Clock::now();
    std::vector<int> due;
    for (const auto& [id, t] : timers_)
        if (t.due <= now)
            due.push_back(id);
    for (const int id : due) {
        // An earlier timer's handler may have stopped this one.
        const auto it = timers_.find(id);
        if (it == timers_.end())
            continue;
        it->second.due = now + std::chrono::milliseconds(it->second.interval);
        QTimerEvent event(id);
        QCoreApplication::sendEvent(it->second.object, &event);
    }
    return !due.empty();
}

bool EpollDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags) {
    interrupted_ = false;
    emit awake();
    QCoreApplication::sendPostedEvents();
    const bool wait = (flags & QEventLoop::WaitForMoreEvents) && !interrupted_;
    if (wait)
        emit aboutToBlock();
    std::array<epoll_event, 256> ready{};
    const int n =
        epoll_wait(epoll_, ready.data(), static_cast<int>(ready.size()), wait ? NextTimeout() : 0);
    if (n > 0)
        emit awake();
    bool did = false;
    for (int i = 0; i < n; ++i) {
        const int fd = ready[static_cast<std::size_t>(i)].data.fd;
        const uint32_t events = ready[static_cast<std::size_t>(i)].events;
        if (fd == wake_) {
            uint64_t count = 0;
            [[maybe_unused]] const auto read_ = read(wake_, &count, sizeof count);
            continue;
        }
        if (flags & QEventLoop::ExcludeSocketNotifiers)
            continue;
        // Each notifier is looked up afresh: the one before may have closed this socket.
        const auto notify = [&](QSocketNotifier* Watch::*which) {
            const auto it = watches_.find(fd);
            if (it == watches_.end() || !(it->second.*which))
                return;
            QEvent event(QEvent::SockAct);
            QCoreApplication::sendEvent(it->second.*which, &event);
            did = true;
        };
        if (events & (EPOLLIN | EPOLLHUP | EPOLLERR))
            notify(&Watch::read);
        if (events & (EPOLLOUT | EPOLLHUP | EPOLLERR))
            notify(&Watch::write);
        if (events & EPOLLPRI)
            notify(&Watch::exception);
    }
    did = FireTimers() || did;
    QCoreApplication::sendPostedEvents();
    return did;
}

} // namespace korvane::net
