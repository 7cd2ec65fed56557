// Korvane - Palveri Solitaire: the start window, then the table window with the rules over it.
#include "cards/mdlCardAPI.h"
#include "dialogs/StartUp.h"
#include "engine/GameRecord.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "table/frmKorvane.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

constexpr const char* Usage = "Usage: korvane [-h | --help | --version] [FILE.KVN]\n";

// Stdout may be a closed pipe or a full disk; saying so beats a silent success.
int Flushed() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fputs("korvane: cannot write to standard output\n", stderr);
    return 1;
}

// --help and --version need no display, so they are answered before Qt looks for one.
std::optional<int> AnswerInformationOptions(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s%s, a card game for three to eight players at one table.\n\n"
                        "  FILE.KVN     open this saved game once the table is shown\n"
                        "  -h, --help   show this help and exit\n"
                        "  --version    show the version and exit\n\n"
                        "Qt's own options, such as -platform and -style, are taken as well.\n",
                        Usage, korvane::AppTitle);
            return Flushed();
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %d.%02d\n", korvane::AppTitle, korvane::VersionMajor,
                        korvane::VersionMinor);
            return Flushed();
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> code = AnswerInformationOptions(argc, argv))
        return *code;

    // Names the desktop entry, so that a Wayland desktop shows the window under its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.korvane.Korvane"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(korvane::AppTitle));

    // Qt has taken its own options out of the arguments; anything left but one saved game is
    // a mistake, reported before a window opens.
    const korvane::Arguments arguments = korvane::ReadArguments(QApplication::arguments().mid(1));
    if (!arguments.refused.isEmpty()) {
        std::fprintf(stderr, "korvane: unknown argument '%s'\n%s",
                     qUtf8Printable(arguments.refused), Usage);
        return 2;
    }

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
        // Once the table is on screen, the card-back dialog's designs are rendered aside.
        QTimer::singleShot(0, window.get(),
                           [&] { cards.PrepareBacks(window->devicePixelRatioF()); });
    };
    hooks.file = arguments.file;
    hooks.openFile = [&](const QString& path) { window->OpenFile(path); };
    const int code = korvane::RunStartup(app, global, std::move(hooks));
    if (window)
        window->SetRules(nullptr);
    rules.reset();
    window.reset();
    return code;
}
