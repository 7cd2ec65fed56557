// The card-back dialog's first opening: from the F8 key on a dealt 8-seat table to the dialog's
// first paint, and the resident memory before it opened and after it closed. Offscreen, like the
// other probes.
//
//   deck_probe            as the program runs: the backs are prepared once the table is up
//   deck_probe --cold     without preparing them, every back deck read when the dialog opens
//
// Prints one line of key=value pairs (milliseconds, kB).
#include "Cards.h"
#include "Resident.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/frmDeck.h"
#include "engine/mdlGlobal.h"
#include "table/frmKorvane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

using namespace korvane;
using bench::ResidentKb;

namespace {

// Notes the dialog's first paint and closes it again from the event loop it runs.
class DialogWatch : public QObject {
public:
    QElapsedTimer clock;
    qint64 shownNs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && shownNs < 0 && w != nullptr) {
            if (auto* dlg = qobject_cast<frmDeck*>(w->window())) {
                shownNs = clock.nsecsElapsed();
                QTimer::singleShot(0, dlg, &QDialog::reject);
            }
        }
        return false;
    }
};

// One opening and closing; the time to the first paint in ms.
double OpenOnce(frmKorvane& w) {
    DialogWatch watch;
    qApp->installEventFilter(&watch);
    watch.clock.start();
    QTest::keyClick(&w, Qt::Key_F8);
    qApp->removeEventFilter(&watch);
    return static_cast<double>(watch.shownNs) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool cold = argc > 1 && std::strcmp(argv[1], "--cold") == 0;
    mdlGlobal g(FixedSeed(3));
    g.SetDefaults();
    CardLibrary cards;
    cards.cdtInit(g.CardWidth, g.CardHeight);
    frmKorvane w(g, cards);
    test::SeatPlayers(g.Game, 8, {0, 1, 2, 3, 4, 5, 6, 7});
    g.NewRound();
    for (auto& p : g.Game.Player)
        MoveFirstCard(p.CloseDeck, p.OpenDeck);
    g.Game.GameState = State::Playing;
    w.show();
    w.SetCaption(true);
    w.Form_Resize();
    w.PaintForm();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    w.activateWindow();
    if (!cold)
        cards.PrepareBacks(w.devicePixelRatioF());
    // The user takes a moment before pressing the key; the worker has long finished by then.
    QTest::qWait(3000);
    const long before = ResidentKb();
    const double first = OpenOnce(w);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const long after = ResidentKb();
    std::printf("first_open_ms=%.1f rss_before_kb=%ld rss_after_kb=%ld rss_growth_kb=%ld\n", first,
                before, after, after - before);
    // The window must not quit the application under us.
    w.SetRules(nullptr);
    return 0;
}
