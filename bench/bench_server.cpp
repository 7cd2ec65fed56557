// The table server under load: a child process runs the server, and this process connects bot
// clients over loopback that play as people do (a deliberate mistake now and then: a penalty,
// or a pile that refuses the card). A plain program with its own report:
//
//   bench_server [--tables N] [--pace human|fast] [--seconds S] [--warmup S] [--loop epoll|qt]
//
// human: each table acts about once a second (the flood limit as shipped). fast: every table
// acts as soon as the last player has the result of its previous action (the flood limit
// raised, as one bot plays far faster than a person may).
//
// Latency is from an action sent to the last player of its table receiving the result (the
// event that ends the change, or the refusal to the actor), as this process sees it: the bots'
// own work is included. Memory and CPU are the server process's alone: resident memory per
// table (its four connections included) over the server's memory before the first table, and
// CPU (user and system) per action over the measured stretch.
#include "net/EpollDispatcher.h"
#include "net/Server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebSocket>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <queue>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace korvane;
using namespace korvane::net;

namespace {

constexpr int Players = 4;

struct Options {
    int tables = 500;
    bool fast = false;
    int seconds = 20;
    int warmup = 5;
    bool epoll = true; // korvane-server's event dispatcher; false: Qt's own
};

// The event loop korvane-server runs (or Qt's own, to compare), for the server and the bots.
void UseEventLoop(const Options& o) {
    if (o.epoll)
        QCoreApplication::setEventDispatcher(new EpollDispatcher);
    else if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
}

void RaiseFileLimit() {
    rlimit r{};
    getrlimit(RLIMIT_NOFILE, &r);
    r.rlim_cur = r.rlim_max;
    setrlimit(RLIMIT_NOFILE, &r);
}

// The child: the server alone, its port written to `out`.
int RunServer(int argc, char** argv, const Options& o, int out) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    RaiseFileLimit();
    UseEventLoop(o);
    QCoreApplication app(argc, argv);
    ServerSettings s;
    s.port = 0;
    s.maxTables = o.tables + 16;
    s.seed = 1;
    s.log = [](const QString&) {};
    if (o.fast) {
        s.burst = 100000;
        s.perSecond = 100000;
    }
    Server server(s);
    QString error;
    if (!server.Listen(&error)) {
        std::fprintf(stderr, "bench_server: %s\n", qPrintable(error));
        return 1;
    }
    const quint16 port = server.Port();
    if (write(out, &port, sizeof port) != sizeof port)
        return 1;
    close(out);
    return QCoreApplication::exec();
}

// The server's resident kB and CPU seconds, from /proc.
long ChildResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}
double ChildCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all;
    std::getline(stat, all);
    const std::size_t close = all.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}
double OwnCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto s = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return s(u.ru_utime) + s(u.ru_stime);
}

std::optional<QJsonObject> Target(const TableView& v, int card) {
    const Pile to = TakingPile(v, card);
    return to.IsNone() ? std::nullopt : std::optional<QJsonObject>(PileToJson(to));
}

class Load;

struct Bot {
    std::unique_ptr<QWebSocket> ws;
    int table = 0;
    int seat = -1;
    bool greeted = false;
};

struct BenchTable {
    QString code;
    std::array<int, Players> bots{};
    std::array<int, Players> bySeat{}; // joiners take seats in the order the server hears them
    TableView view; // kept from the creator's stream; every player gets the same events
    int welcomed = 0;
    bool started = false;
    qint64 sentAt = -1; // an action waits for its result
    int reached = 0;    // players that have it
    bool refusedOnly = false;
    int64_t seqAtSend = 0;
    int64_t seq = 0;
};

class Load : public QObject {
public:
    Load(const Options& o, quint16 port, pid_t server) : o_(o), port_(port), server_(server) {
        clock_.start();
        tables_.resize(static_cast<std::size_t>(o.tables));
        connect(&tick_, &QTimer::timeout, this, [this] { Tick(); });
    }

    void Run() {
        baseKb_ = ChildResidentKb(server_);
        // Connections in waves, so the server's listen queue never overflows.
        for (int t = 0; t < o_.tables; ++t)
            for (int p = 0; p < Players; ++p) {
                tables_[static_cast<std::size_t>(t)].bots[static_cast<std::size_t>(p)] =
                    static_cast<int>(bots_.size());
                bots_.push_back({});
                bots_.back().table = t;
            }
        OpenMore();
        tick_.start(1);
        QCoreApplication::exec();
    }

private:
    qint64 NowUs() const { return clock_.nsecsElapsed() / 1000; }

    void OpenMore() {
        while (nextOpen_ < bots_.size() && opening_ < 64) {
            const int i = static_cast<int>(nextOpen_++);
            Bot& b = bots_[static_cast<std::size_t>(i)];
            b.ws = std::make_unique<QWebSocket>();
            ++opening_;
            connect(b.ws.get(), &QWebSocket::connected, this, [this, i] {
                --opening_;
                Bot& me = bots_[static_cast<std::size_t>(i)];
                // As the server does: without it Nagle's algorithm holds a frame's payload
                // until the peer's delayed acknowledgement of its header.
                if (auto* tcp = me.ws->findChild<QAbstractSocket*>())
                    tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                me.ws->sendTextMessage(QStringLiteral("{\"type\":\"hello\",\"version\":1}"));
                OpenMore();
            });
            connect(b.ws.get(), &QWebSocket::textMessageReceived, this,
                    [this, i](const QString& text) { Received(i, text); });
            connect(b.ws.get(), &QWebSocket::disconnected, this, [this] { ++dropped_; });
            b.ws->open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port_)));
        }
    }

    void Send(Bot& b, const QJsonObject& m) {
        b.ws->sendTextMessage(QString::fromUtf8(QJsonDocument(m).toJson(QJsonDocument::Compact)));
    }

    void Received(int i, const QString& text) {
        Bot& b = bots_[static_cast<std::size_t>(i)];
        BenchTable& t = tables_[static_cast<std::size_t>(b.table)];
        const bool creator = t.bots[0] == i;
        if (!b.greeted) {
            b.greeted = true;
            if (creator) {
                const QJsonObject person{{"kind", "person"}};
                Send(b, {{"type", "create"},
                         {"name", QStringLiteral("P%1a").arg(b.table)},
                         {"seats", QJsonArray{person, person, person, person}}});
            } else if (!t.code.isEmpty()) {
                Join(i);
            }
            return;
        }
        // Most messages need no reading beyond this: whether the change goes on.
        const bool more = text.contains(QLatin1String("\"more\":true"));
        const bool error = text.startsWith(QLatin1String("{\"code\":")) &&
                           text.contains(QLatin1String("\"type\":\"error\""));
        if (creator || b.seat < 0 || error) {
            const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
            const QString type = m["type"].toString();
            if (type == QLatin1String("welcome")) {
                b.seat = m["seat"].toInt();
                t.bySeat[static_cast<std::size_t>(b.seat % Players)] = i;
                if (creator) {
                    t.code = m["code"].toString();
                    t.view = *ViewFromJson(m["view"].toObject());
                    t.seq = m["seq"].toInteger();
                    for (int p = 1; p < Players; ++p)
                        if (bots_[static_cast<std::size_t>(t.bots[static_cast<std::size_t>(p)])]
                                .greeted)
                            Join(t.bots[static_cast<std::size_t>(p)]);
                }
                if (++t.welcomed == Players) {
                    Send(bots_[static_cast<std::size_t>(t.bots[0])], {{"type", "start"}});
                    t.started = true;
                    t.sentAt = NowUs();
                    t.reached = 0;
                    ++setupDone_;
                }
                return;
            }
            if (type == QLatin1String("error")) {
                ++errors_;
                ++errorCodes_[m["code"].toString().toStdString()];
                if (t.sentAt >= 0 && b.seat == t.view.current) {
                    Done(t, true);
                }
                return;
            }
            if (creator && m.contains("seq")) {
                t.seq = m["seq"].toInteger();
                ApplyEvent(t.view, m);
            }
        }
        if (!more && text.contains(QLatin1String("\"seq\":")) && t.sentAt >= 0 &&
            ++t.reached == Players)
            Done(t, false);
    }

    void Join(int i) {
        Bot& b = bots_[static_cast<std::size_t>(i)];
        const BenchTable& t = tables_[static_cast<std::size_t>(b.table)];
        Send(b, {{"type", "join"},
                 {"code", t.code},
                 {"name", QStringLiteral("P%1%2").arg(b.table).arg(QChar('a' + (i % Players)))}});
    }

    void Done(BenchTable& t, bool refused) {
        const qint64 now = NowUs();
        if (measuring_) {
            latencies_.push_back(now - t.sentAt);
            ++actions_;
            refused_ += refused ? 1 : 0;
        }
        t.sentAt = -1;
        const qint64 due = o_.fast ? now : now + 1000000 - 50000 + (rng_() % 100000);
        queue_.push({due, static_cast<int>(&t - tables_.data())});
    }

    // One action by the player to act, as a person plays: now and then a mistake.
    void Act(BenchTable& t) {
        const TableView& v = t.view;
        Bot& creator = bots_[static_cast<std::size_t>(t.bots[0])];
        t.reached = 0;
        t.sentAt = NowUs();
        if (v.phase == QLatin1String("over")) {
            Send(creator, {{"type", "play_again"}});
            return;
        }
        if (v.phase != QLatin1String("playing") || v.current < 0) {
            t.sentAt = -1;
            return;
        }
        Bot& b = bots_[static_cast<std::size_t>(t.bySeat[static_cast<std::size_t>(v.current)])];
        const bool turned = v.state == QLatin1String("turned");
        const int card = turned ? v.turned : v.seats[static_cast<std::size_t>(v.current)].openTop;
        const std::optional<QJsonObject> to = Target(v, card);
        const unsigned roll = rng_() % 100;
        QJsonObject action{{"seat", v.current}};
        if (roll < 2 && card >= 0) {
            // A pile that refuses the card: a suit pile of another suit.
            action["type"] = "lay";
            action["pile"] = QJsonObject{{"kind", "suit"},
                                         {"index", (Suit(static_cast<uint8_t>(card)) + 1) % 4}};
        } else if (turned) {
            action["type"] = "lay";
            action["pile"] = to ? *to : QJsonObject{{"kind", "open"}, {"index", v.current}};
        } else if (to && roll >= 7) {
            action["type"] = "lay";
            action["pile"] = *to;
        } else {
            // Turning up with a card to play: the penalty.
            action["type"] = "turn_up";
        }
        Send(b, action);
    }

    void Tick() {
        const qint64 now = NowUs();
        if (phase_ == 0 && setupDone_ == o_.tables) {
            phase_ = 1;
            phaseStart_ = now;
            std::fprintf(stderr, "%d tables seated in %.1f s\n", o_.tables,
                         static_cast<double>(now) / 1e6);
        } else if (phase_ == 1 && now - phaseStart_ > o_.warmup * 1000000LL) {
            phase_ = 2;
            phaseStart_ = now;
            measuring_ = true;
            serverCpu_ = ChildCpuSeconds(server_);
            ownCpu_ = OwnCpuSeconds();
            tableKb_ = ChildResidentKb(server_);
        } else if (phase_ == 2 && now - phaseStart_ > o_.seconds * 1000000LL) {
            Report(now - phaseStart_);
            QCoreApplication::quit();
            return;
        }
        while (!queue_.empty() && queue_.top().first <= now) {
            BenchTable& t = tables_[static_cast<std::size_t>(queue_.top().second)];
            queue_.pop();
            Act(t);
        }
    }

    void Report(qint64 elapsedUs) {
        const double seconds = static_cast<double>(elapsedUs) / 1e6;
        const double serverCpu = ChildCpuSeconds(server_) - serverCpu_;
        const double ownCpu = OwnCpuSeconds() - ownCpu_;
        std::sort(latencies_.begin(), latencies_.end());
        const auto at = [&](double q) {
            return latencies_.empty() ? 0.0
                                      : static_cast<double>(latencies_[static_cast<std::size_t>(
                                            q * static_cast<double>(latencies_.size() - 1))]) /
                                            1000.0;
        };
        const long endKb = ChildResidentKb(server_);
        int stalled = 0;
        for (const BenchTable& t : tables_)
            stalled += t.sentAt >= 0 && NowUs() - t.sentAt > 5000000 ? 1 : 0;
        std::printf("pace=%s tables=%d players=%d seconds=%.1f actions=%lld actions_per_s=%.0f "
                    "refused=%lld p50_ms=%.2f p99_ms=%.2f max_ms=%.2f "
                    "server_rss_kb_before=%ld server_rss_kb=%ld kb_per_table=%.1f "
                    "server_cpu_us_per_action=%.1f server_cpu_share=%.2f bots_cpu_share=%.2f "
                    "errors=%lld dropped=%d stalled=%d\n",
                    o_.fast ? "fast" : "human", o_.tables, o_.tables * Players, seconds,
                    static_cast<long long>(actions_), static_cast<double>(actions_) / seconds,
                    static_cast<long long>(refused_), at(0.5), at(0.99), at(1.0), baseKb_, endKb,
                    static_cast<double>(tableKb_ - baseKb_) / o_.tables,
                    actions_ ? serverCpu * 1e6 / static_cast<double>(actions_) : 0.0,
                    serverCpu / seconds, ownCpu / seconds, static_cast<long long>(errors_),
                    dropped_, stalled);
        for (const auto& [code, count] : errorCodes_)
            std::printf("  error %s: %lld\n", code.c_str(), count);
        std::fflush(stdout);
    }

    Options o_;
    quint16 port_;
    pid_t server_;
    QElapsedTimer clock_;
    QTimer tick_;
    std::vector<Bot> bots_;
    std::vector<BenchTable> tables_;
    std::size_t nextOpen_ = 0;
    int opening_ = 0;
    int setupDone_ = 0;
    int phase_ = 0;
    qint64 phaseStart_ = 0;
    bool measuring_ = false;
    std::vector<qint64> latencies_;
    long long actions_ = 0;
    long long refused_ = 0;
    long long errors_ = 0;
    std::map<std::string, long long> errorCodes_;
    int dropped_ = 0;
    long baseKb_ = 0;
    long tableKb_ = 0;
    double serverCpu_ = 0;
    double ownCpu_ = 0;
    std::priority_queue<std::pair<qint64, int>, std::vector<std::pair<qint64, int>>, std::greater<>>
        queue_;
    std::minstd_rand rng_{12345};
};

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--tables")
            o.tables = std::stoi(value);
        else if (key == "--pace")
            o.fast = value == "fast";
        else if (key == "--seconds")
            o.seconds = std::stoi(value);
        else if (key == "--warmup")
            o.warmup = std::stoi(value);
        else if (key == "--loop")
            o.epoll = value != "qt";
        else {
            std::fprintf(stderr,
                         "usage: bench_server [--tables N] [--pace human|fast] [--seconds S] "
                         "[--warmup S] [--loop epoll|qt]\n");
            return 2;
        }
    }
    RaiseFileLimit();
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 1;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        return RunServer(argc, argv, o, pipeFds[1]);
    }
    close(pipeFds[1]);
    quint16 port = 0;
    if (read(pipeFds[0], &port, sizeof port) != sizeof port) {
        std::fprintf(stderr, "bench_server: the server did not start\n");
        return 1;
    }
    close(pipeFds[0]);

    int rc = 0;
    {
        UseEventLoop(o);
        QCoreApplication app(argc, argv);
        Load load(o, port, child);
        load.Run();
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return rc;
}
