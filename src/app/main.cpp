// Korvane - Palveri Solitaire: the start window, then the table window with the rules over it.
#include "cards/mdlCardAPI.h"
#include "dialogs/StartUp.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "table/frmKorvane.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(korvane::AppTitle));

    korvane::mdlGlobal global;
    korvane::CardLibrary cards;
    // The rules hold the window as their display, so they go first.
    std::unique_ptr<korvane::frmKorvane> window;
    std::unique_ptr<korvane::GameRules> rules;

    korvane::StartupHooks hooks;
    hooks.initCards = [&] { return cards.cdtInit(global.CardWidth, global.CardHeight); };
    hooks.openTable = [&] {
        window = std::make_unique<korvane::frmKorvane>(global, cards);
        rules = std::make_unique<korvane::GameRules>(global, *window);
        window->SetRules(rules.get());
        window->show();
    };
    const int code = korvane::RunStartup(app, global, std::move(hooks));
    if (window)
        window->SetRules(nullptr);
    rules.reset();
    window.reset();
    return code;
}
