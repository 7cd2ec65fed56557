// Korvane - Palveri Solitaire: the card library, the table window and the rules over them.
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "table/frmKorvane.h"
#include "table/mdlCardAPI.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(korvane::AppTitle));

    korvane::mdlGlobal global;
    global.SetDefaults();
    korvane::CardLibrary cards;
    if (!cards.cdtInit(global.CardWidth, global.CardHeight)) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(korvane::AppTitle),
                        QStringLiteral("Can't Initialize Card Deck"), QMessageBox::Ok);
        box.exec();
        return 1;
    }

    // The rules hold the window as their display; the window outlives them.
    korvane::frmKorvane window(global, cards);
    korvane::GameRules rules(global, window);
    window.SetRules(&rules);
    window.show();
    return QApplication::exec();
}
