// The start-up sequence: the start window, the screen check, the defaults, the card library
// and the opening of the table.
//
// Use from main():
//
//     QApplication app(argc, argv);
//     mdlGlobal global;
//     CardLibrary cards;
//     std::unique_ptr<frmKorvane> window;  // declared before the rules: they go first
//     std::unique_ptr<GameRules> rules;
//     StartupHooks hooks;
//     hooks.initCards = [&] { return cards.cdtInit(global.CardWidth, global.CardHeight); };
//     hooks.openTable = [&] { ...create window and rules, window->show(); };
//     return RunStartup(app, global, std::move(hooks));
//
// RunStartup sets every default of the game record itself.
#pragma once

#include "dialogs/frmSplash.h"
#include "engine/mdlGlobal.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QApplication;

namespace korvane {

struct StartupHooks {
    // Initialises the card library (filling in the card size); false when it cannot.
    std::function<bool()> initCards;
    // Creates and shows the table window.
    std::function<void()> openTable;
    // The size of the screen; by default the primary screen's.
    std::function<QSize()> screenSize;
    // Message boxes; by default modal boxes with an OK button.
    MessageFn message;
    // Ends the program with an exit code; by default leaves the event loop.
    std::function<void(int)> endProgram;
    // The saved game named on the command line ("" for none), and how it is opened: as Game >
    // Open opens a file, once the table is on screen.
    QString file;
    std::function<void(const QString&)> openFile;
};

// What the command line asks for once Qt has taken its own options out of it.
struct Arguments {
    QString file;    // the saved game to open, as an absolute path; "" for none
    QString refused; // the first argument that is not understood; "" when all are
};
Arguments ReadArguments(const QStringList& arguments);

class StartUp {
public:
    static constexpr int MinWidth = 640;
    static constexpr int MinHeight = 480;

    StartUp(mdlGlobal& g, StartupHooks hooks);
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    // Shows the start window, checks the screen, sets the defaults and starts the countdown.
    // False when the program has ended already (the screen is too small).
    bool Begin();

    bool Ended() const { return ended_; }
    int ExitCode() const { return exitCode_; }
    bool TableOpened() const { return tableOpened_; }
    frmSplash* Splash() const { return splash_.get(); }

    // What the start window's closing means (see frmSplash::CloseReason).
    void Form_QueryUnload(frmSplash::CloseReason reason);

private:
    void End(int code);

    mdlGlobal& g_;
    StartupHooks hooks_;
    std::unique_ptr<frmSplash> splash_;
    bool ended_ = false;
    bool tableOpened_ = false;
    int exitCode_ = 0;
};

// The whole run of the program for main(): start-up, then the event loop. Returns the exit
// code.
int RunStartup(QApplication& app, mdlGlobal& g, StartupHooks hooks);

} // namespace korvane
