// An event dispatcher for a server of many connections. Qt's own dispatcher polls every socket
// at each wake-up, so its cost grows with the connections a server holds; this one asks the
// kernel (epoll) for the sockets that are ready, and its cost grows with what happens. Linux
// only; install it before the application object is made.
#pragma once

#include <QAbstractEventDispatcher>

#include <chrono>
#include <map>
#include <unordered_map>

namespace korvane::net {

class EpollDispatcher : public QAbstractEventDispatcher {
    Q_OBJECT
public:
    explicit EpollDispatcher(QObject* parent = nullptr);
    ~EpollDispatcher() override;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
    void registerSocketNotifier(QSocketNotifier* notifier) override;
    void unregisterSocketNotifier(QSocketNotifier* notifier) override;
    void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                       QObject* object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject* object) override;
    QList<TimerInfo> registeredTimers(QObject* object) const override;
    int remainingTime(int timerId) override;
    void wakeUp() override;
    void interrupt() override;

private:
    using Clock = std::chrono::steady_clock;
    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
        QSocketNotifier* exception = nullptr;
    };
    struct Timer {
        qint64 interval;
        Qt::TimerType type;
        QObject* object;
        Clock::time_point due;
    };
    // Tells epoll what fd's notifiers wait for now, or forgets fd when none does.
    void Rearm(int fd);
    // Milliseconds until the next timer is due; -1 with no timer.
    int NextTimeout() const;
    // Fires every timer due now, each once; true when any fired.
    bool FireTimers();

    int epoll_;
    int wake_;
    bool interrupted_ = false;
    std::unordered_map<int, Watch> watches_;
    std::map<int, Timer> timers_;
};

} // namespace korvane::net
