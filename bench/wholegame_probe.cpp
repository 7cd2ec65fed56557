// The CPU share of a whole game: eight computer seats at the default flight settings (steps of
// 15 pixels, each shown for a frame of the screen and then a 1 ms pause, straight paths) played
// in the real table window, and the card show after "No". The share is the process's CPU time
// (user and system, getrusage) divided by the wall time (steady clock) over the same stretch;
// the CPU seconds themselves compare with older builds, whose games ran much faster.
//
//   wholegame_probe [seed] [players]
//
// Prints one line of key=value pairs: the game (from New Game to the end-of-game question),
// the card show (from the answer to the empty table) and both together.
#include "Wired.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/frmName.h"
#include "engine/mdlGlobal.h"
#include "table/TableMenu.h"

#include <QApplication>
#include <QTest>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace korvane;

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto s = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return s(u.ru_utime) + s(u.ru_stime);
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Mark {
    double wall = 0;
    double cpu = 0;
    static Mark Now() { return {WallSeconds(), CpuSeconds()}; }
};

// The table window with its questions answered at once (every seat the computer's, "No" at
// the end) and its flights counted. Everything else is the window's own.
class CountingWindow : public frmKorvane {
public:
    CountingWindow(mdlGlobal& g, CardLibrary& cards, int players)
        : frmKorvane(g, cards), players_(players) {}

    int moveFlights = 0; // cards played and penalty cards handed over
    int tipFlights = 0;
    int showFlights = 0;
    Mark question;
    std::string message;

    Seating AskPlayers() override {
        Seating seating;
        seating.choice = Seating::Choice::Play;
        seating.players.assign(static_cast<std::size_t>(players_), PlayerInfo{});
        for (int i = 0; i < players_; ++i) {
            PlayerInfo& p = seating.players[static_cast<std::size_t>(i)];
            p.SetName(frmName::DefaultName(i).toLatin1().toStdString());
            p.Computer = true;
        }
        return seating;
    }
    bool AskPlayAgain(const std::string& text) override {
        question = Mark::Now();
        message = text;
        return false;
    }
    bool AnimateMove(uint8_t toPly) override {
        ++moveFlights;
        return frmKorvane::AnimateMove(toPly);
    }
    void GiveTip() override {
        ++tipFlights;
        frmKorvane::GiveTip();
    }
    void CardShowFlight(uint8_t suit, uint8_t card) override {
        ++showFlights;
        frmKorvane::CardShowFlight(suit, card);
    }

private:
    int players_;
};

void Share(const char* name, const Mark& from, const Mark& to) {
    const double wall = to.wall - from.wall;
    const double cpu = to.cpu - from.cpu;
    std::printf(" %s_wall_s=%.2f %s_cpu_s=%.2f %s_cpu_pct=%.1f", name, wall, name, cpu, name,
                wall > 0 ? 100.0 * cpu / wall : 0.0);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const auto seed = static_cast<uint32_t>(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1);
    const int players = argc > 2 ? std::atoi(argv[2]) : 8;
    if (players < MinPlayers || players > MaxPlayers) {
        std::fprintf(stderr, "usage: %s [seed] [players 3..8]\n", argv[0]);
        return 2;
    }

    mdlGlobal g(SeedSequence(seed));
    g.SetDefaults();
    CardLibrary cards;
    if (!cards.cdtInit(g.CardWidth, g.CardHeight)) {
        std::fprintf(stderr, "wholegame_probe: the card library cannot be loaded\n");
        return 1;
    }
    test::Wired<CountingWindow> table(g, cards, players);
    CountingWindow* window = table.w.get();
    GameRules* rules = table.rules.get();
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "wholegame_probe: the window never came on screen\n");
        return 1;
    }
    QApplication::processEvents();

    const GameInfo& G = g.Game;
    const Mark start = Mark::Now();
    window->Menu().mnGameNew->trigger(); // the game and its card show run inside the command
    const Mark end = Mark::Now();
    const bool ended = !window->message.empty() && G.PlayerCount == 0;

    std::printf("seed=%u players=%d platform=%s step=%d pause_ms=%d straight=%d", seed, players,
                qPrintable(QGuiApplication::platformName()), G.MoveStep[1], G.MoveSpeed[1],
                G.StraightPath ? 1 : 0);
    std::printf(" moves=%llu turns=%llu penalties=%llu move_flights=%d tip_flights=%d "
                "show_flights=%d",
                static_cast<unsigned long long>(rules->Stats().moves),
                static_cast<unsigned long long>(rules->Stats().turns),
                static_cast<unsigned long long>(rules->Stats().penalties), window->moveFlights,
                window->tipFlights, window->showFlights);
    if (ended) {
        Share("game", start, window->question);
        Share("show", window->question, end);
    }
    Share("all", start, end);
    std::printf(" result=\"%s\"\n", ended ? window->message.c_str() : "did not end");
    return ended ? 0 : 1;
}
