#include "table/TableMenu.h"

#include "dialogs/frmAbout.h"
#include "dialogs/frmDeck.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmOption.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "savedgame/SavedGameCommands.h"
#include "table/NetworkPlay.h"
#include "table/frmKorvane.h"

#include <QEvent>
#include <QMenuBar>

namespace korvane {

namespace {

QAction* Item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

} // namespace

TableMenu::TableMenu(frmKorvane& window, mdlGlobal& global, CardLibrary& cards)
    : QObject(&window), w_(window), g_(global), cards_(cards) {
    BuildGameMenu();
    BuildViewMenu();
    BuildHelpMenu();
    w_.installEventFilter(this);
}

TableMenu::~TableMenu() = default;

void TableMenu::BuildGameMenu() {
    QMenu* game = w_.menuBar()->addMenu(tr("&Game"));
    game->setObjectName(QStringLiteral("mnGame"));
    mnGameNew = Item(game, "mnGameNew", tr("&New Game"), QKeySequence(Qt::Key_F2));
    QAction* mnGameOpen = Item(game, "mnGameOpen", tr("&Open Game..."), QKeySequence(Qt::Key_F3));
    game->addSeparator();
    mnGameHost = Item(game, "mnGameHost", tr("&Host Network Table..."), QKeySequence());
    mnGameJoin = Item(game, "mnGameJoin", tr("&Join Network Table..."), QKeySequence());
    game->addSeparator();
    mnGameSave = Item(game, "mnGameSave", tr("&Save Game"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnGameSaveAs =
        Item(game, "mnGameSaveAs", tr("Save Game &AS..."), QKeySequence(Qt::CTRL | Qt::Key_A));
    // A disabled save tells why.
    game->setToolTipsVisible(true);
    game->addSeparator();
    mnGameDeck = Item(game, "mnGameDeck", tr("&Deck..."), QKeySequence(Qt::Key_F8));
    QAction* mnGameOption = Item(game, "mnGameOption", tr("&Option..."), QKeySequence(Qt::Key_F9));
    game->addSeparator();
    mnGameExit = Item(game, "mnGameExit", tr("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_F4));

    connect(mnGameNew, &QAction::triggered, this, [this] { mnGameNew_Click(); });
    connect(mnGameOpen, &QAction::triggered, this, [this] {
        if (files_ && w_.Network().MayReplace(tr("Open a saved game")))
            files_->mnGameOpen_Click();
    });
    connect(mnGameHost, &QAction::triggered, &w_.Network(), &NetworkPlay::HostCommand);
    connect(mnGameJoin, &QAction::triggered, &w_.Network(), &NetworkPlay::JoinCommand);
    connect(&w_.Network(), &NetworkPlay::changed, this, &TableMenu::ShowSaveReach);
    connect(mnGameSave, &QAction::triggered, this, [this] {
        if (files_)
            files_->mnGameSave_Click();
    });
    connect(mnGameSaveAs, &QAction::triggered, this, [this] {
        if (files_)
            files_->mnGameSaveAs_Click();
    });
    connect(mnGameDeck, &QAction::triggered, this, [this] { mnGameDeck_Click(); });
    connect(mnGameOption, &QAction::triggered, this, [this] { frmOption::Run(&w_, g_.Game); });
    connect(mnGameExit, &QAction::triggered, &w_, &QWidget::close);
}

void TableMenu::BuildViewMenu() {
    QMenu* view = w_.menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("mnView"));
    // A disabled zoom tells why.
    view->setToolTipsVisible(true);
    // Ctrl+= as well: on many keyboards + needs Shift.
    mnViewZoomIn = Item(view, "mnViewZoomIn", tr("Zoom &In"), QKeySequence());
    mnViewZoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    mnViewZoomOut =
        Item(view, "mnViewZoomOut", tr("Zoom &Out"), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    mnViewActualSize =
        Item(view, "mnViewActualSize", tr("&Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0));
    view->addSeparator();
    mnViewFit = Item(view, "mnViewFit", tr("&Fit to Window"), QKeySequence());
    mnViewFit->setCheckable(true);
    // Choosing a size by hand ends fitting to the window.
    const auto step = [this](int direction) {
        mnViewFit->setChecked(false);
        w_.StepZoom(direction);
    };
    connect(mnViewZoomIn, &QAction::triggered, this, [step] { step(1); });
    connect(mnViewZoomOut, &QAction::triggered, this, [step] { step(-1); });
    connect(mnViewActualSize, &QAction::triggered, this, [step] { step(0); });
    connect(mnViewFit, &QAction::toggled, &w_, &frmKorvane::SetFitToWindow);
}

void TableMenu::BuildHelpMenu() {
    QMenu* help = w_.menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("mmHelp"));
    QAction* mnGameIndex = Item(help, "mnGameIndex", tr("&Index"), QKeySequence(Qt::Key_F1));
    help->addSeparator();
    QAction* mnHelpAbout = Item(help, "mnHelpAbout", tr("&About"), QKeySequence());
    connect(mnGameIndex, &QAction::triggered, this, [this] { frmHelp::Show(&w_); });
    connect(mnHelpAbout, &QAction::triggered, this, [this] { frmAbout::Run(&w_); });
}

void TableMenu::ShowZoomReach(const layout::ZoomReach& reach) {
    mnViewZoomIn->setEnabled(reach.in);
    mnViewZoomIn->setToolTip(reach.in ? QString()
                                      : tr("The screen has no room for a larger table"));
    mnViewZoomOut->setEnabled(reach.out);
    mnViewZoomOut->setToolTip(reach.out ? QString() : tr("The table is at its smallest"));
}

bool TableMenu::eventFilter(QObject* watched, QEvent* event) {
    // Maximised or not, and on another screen, the table has another edge; the resize that
    // follows a change of state comes first.
    if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::ScreenChangeInternal)
        QMetaObject::invokeMethod(
            this, [this] { ShowZoomReach(w_.ZoomReach()); }, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void TableMenu::SetRules(GameRules* rules) {
    rules_ = rules;
    files_.reset();
    if (rules_) {
        files_ = std::make_unique<SavedGameCommands>(&w_, *rules_, w_);
        // The host of a network table saves the game its table serves.
        files_->SetRecordSource([this] { return w_.Network().SaveableRecord(); });
    }
}

void TableMenu::OpenFile(const QString& path) {
    if (files_)
        files_->OpenFile(path);
}

void TableMenu::ShowSaveReach() {
    const QString why = w_.Network().SaveRefusal();
    for (QAction* a : {mnGameSave, mnGameSaveAs}) {
        a->setEnabled(why.isEmpty());
        a->setToolTip(why);
    }
}

void TableMenu::mnGameNew_Click() {
    if (rules_ && w_.Network().MayReplace(tr("Start a new game")))
        rules_->mnGameNew_Click();
}

void TableMenu::mnGameDeck_Click() {
    frmDeck::Run(&w_, g_, cards_);
    // A new back shows at once on every closed pile (OK or Cancel alike).
    if (g_.Game.GameState != State::NoGame)
        for (uint8_t i = 0; i < g_.Game.PlayerCount; ++i)
            w_.PaintCloseDeck(i);
}

} // namespace korvane
