// Start-up timing: how long the program takes to put its start window on screen, and how long
// from the start window's closing to the complete table window with its menu. The program is
// wired here exactly as main() wires it; only the two-second countdown is cut short (it runs
// out as soon as the start window has been painted), since it is a wait, not work.
//
//   startup_probe korvane   the program
//   startup_probe bare      the same two steps with bare windows (a main window with a menu
//                           bar, closed, then a second one), for comparison
//
// A window counts as on screen when the event during which it was first painted has been
// handled (painting and flushing to the screen are done by then); the table counts once its
// menu bar and its client area have both been painted. The process's start is taken from
// KORVANE_T0_NS (wall-clock nanoseconds, set by scripts/measure-startup just before it starts
// the probe); without it only the times from main()'s first line are printed.
//
// Prints one line of key=value pairs in milliseconds.
#include "Wired.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/StartUp.h"
#include "dialogs/frmSplash.h"
#include "engine/mdlGlobal.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>

using namespace korvane;

namespace {

int64_t WallNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

double Ms(int64_t from, int64_t to) {
    return static_cast<double>(to - from) / 1e6;
}

// Notes when windows are first painted and when the first one is asked to close.
class Probe : public QApplication {
public:
    using QApplication::QApplication;

    // The first window to watch: on screen once any of its widgets has been painted.
    std::function<bool(QWidget*)> isFirst;
    // The second window: on screen once its menu bar and its client area have been painted.
    std::function<QMainWindow*(QWidget*)> asSecond;
    // Runs once the first window is on screen.
    std::function<void()> firstShown;

    int64_t firstOnScreen = 0;
    int64_t closeAsked = 0;
    int64_t secondOnScreen = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        ++depth_;
        if (auto* w = qobject_cast<QWidget*>(receiver)) {
            if (event->type() == QEvent::Paint)
                Painted(w);
            else if (event->type() == QEvent::Close && isFirst && isFirst(w) && closeAsked == 0)
                closeAsked = WallNs();
        }
        const bool result = QApplication::notify(receiver, event);
        if (--depth_ == 0)
            Settle();
        return result;
    }

private:
    void Painted(QWidget* w) {
        QWidget* top = w->window();
        if (firstOnScreen == 0 && isFirst && isFirst(top))
            firstPainted_ = true;
        if (QMainWindow* second = asSecond ? asSecond(top) : nullptr) {
            if (w == second->menuBar())
                menuPainted_ = true;
            if (w == second->centralWidget())
                clientPainted_ = true;
        }
    }

    // The outermost event is handled: whatever it painted is on screen now.
    void Settle() {
        const int64_t now = WallNs();
        if (firstPainted_ && firstOnScreen == 0) {
            firstOnScreen = now;
            if (firstShown)
                QTimer::singleShot(0, this, firstShown);
        }
        if (menuPainted_ && clientPainted_ && secondOnScreen == 0) {
            secondOnScreen = now;
            QTimer::singleShot(0, this, [] { QCoreApplication::exit(0); });
        }
    }

    int depth_ = 0;
    bool firstPainted_ = false;
    bool menuPainted_ = false;
    bool clientPainted_ = false;
};

// The program, as main() runs it.
int RunKorvane(Probe& app) {
    QApplication::setApplicationName(QString::fromLatin1(AppTitle));
    mdlGlobal global;
    CardLibrary cards;
    std::optional<test::Wired<>> table;

    app.isFirst = [](QWidget* w) { return qobject_cast<frmSplash*>(w) != nullptr; };
    app.asSecond = [](QWidget* w) -> QMainWindow* { return qobject_cast<frmKorvane*>(w); };
    app.firstShown = [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* splash = qobject_cast<frmSplash*>(w))
                splash->Timer()->start(0);
        }
    };

    StartupHooks hooks;
    hooks.initCards = [&] { return cards.cdtInit(global.CardWidth, global.CardHeight); };
    hooks.openTable = [&] {
        table.emplace(global, cards);
        table->w->show();
    };
    return RunStartup(app, global, std::move(hooks));
}

// A main window with a menu bar and nothing else.
std::unique_ptr<QMainWindow> BareWindow() {
    auto w = std::make_unique<QMainWindow>();
    QMenu* game = w->menuBar()->addMenu(QStringLiteral("&Game"));
    for (const char* item : {"&New Game", "&Open Game...", "&Save Game", "Save Game &AS...",
                             "&Deck...", "&Option...", "E&xit"})
        game->addAction(QString::fromLatin1(item));
    QMenu* help = w->menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Index"));
    help->addAction(QStringLiteral("&About"));
    w->setCentralWidget(new QWidget);
    w->resize(frmKorvane::InitialClientWidth,
              frmKorvane::InitialClientHeight + w->menuBar()->sizeHint().height());
    return w;
}

int RunBare(Probe& app) {
    std::unique_ptr<QMainWindow> first = BareWindow();
    std::unique_ptr<QMainWindow> second;
    QMainWindow* firstRaw = first.get();
    app.isFirst = [firstRaw](QWidget* w) { return w == firstRaw; };
    app.asSecond = [&second](QWidget* w) { return w == second.get() ? second.get() : nullptr; };
    // As the start window hands over to the table: closed, and the next window opened from
    // inside the closing.
    QApplication::setQuitOnLastWindowClosed(false);
    app.firstShown = [firstRaw, &second] {
        firstRaw->close();
        second = BareWindow();
        second->show();
    };
    first->show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    const int64_t mainLine = WallNs();
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    if (argc < 2 || (!bare && std::strcmp(argv[1], "korvane") != 0)) {
        std::fprintf(stderr, "usage: %s korvane|bare\n", argv[0]);
        return 2;
    }
    Probe app(argc, argv);
    const int code = bare ? RunBare(app) : RunKorvane(app);
    if (code != 0 || app.firstOnScreen == 0 || app.closeAsked == 0 || app.secondOnScreen == 0) {
        std::fprintf(stderr, "startup_probe: the run did not complete (exit code %d)\n", code);
        return 1;
    }
    std::printf("mode=%s platform=%s", bare ? "bare" : "korvane",
                qPrintable(QGuiApplication::platformName()));
    if (const char* t0 = std::getenv("KORVANE_T0_NS")) {
        const int64_t start = std::strtoll(t0, nullptr, 10);
        std::printf(" start_to_main=%.1f start_to_first=%.1f", Ms(start, mainLine),
                    Ms(start, app.firstOnScreen));
    }
    std::printf(" main_to_first=%.1f close_to_second=%.1f\n", Ms(mainLine, app.firstOnScreen),
                Ms(app.closeAsked, app.secondOnScreen));
    return 0;
}
