#include "table/frmKorvane.h"

#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmDeck.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmName.h"
#include "dialogs/frmOption.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "movement/DragFlight.h"
#include "movement/DropTarget.h"
#include "savedgame/SavedGameCommands.h"
#include "table/StatusText.h"
#include "table/TableAccessible.h"
#include "table/TableKeys.h"
#include "table/TablePaint.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <utility>

namespace korvane {

namespace {

constexpr int S = layout::Spacing;

layout::Size ToSize(QSize s) {
    return {s.width(), s.height()};
}
QRect ToQRect(const layout::Rect& r) {
    return {r.x, r.y, r.w, r.h};
}

void Fill(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// The labels' font at zoom z; Arial's metric twin stands in where Arial is absent.
QFont LabelFont(double z) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12 * z);
    return font;
}

int TwoLines(const QFont& font) {
    return QFontMetrics(font)
        .boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft, QStringLiteral("M\nM"))
        .height();
}

int Zoomed(int v, double z) {
    return static_cast<int>(std::lround(v * z));
}

// The zooms of Zoom In and Zoom Out; Fit to Window takes any zoom between the ends.
constexpr std::array<double, 9> ZoomSteps = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0};

// A pile's picture within the table: its panel's place plus its own.
QRect OnTable(const QWidget* fra, const QWidget* pic) {
    return {fra->pos() + pic->pos(), pic->size()};
}

} // namespace

QColor frmKorvane::TableColour() {
    return {0, 128, 0};
}

frmKorvane::frmKorvane(mdlGlobal& global, CardLibrary& cards, QWidget* parent)
    : QMainWindow(parent), g_(global), cards_(cards) {
    Form_Load();
}

frmKorvane::~frmKorvane() = default;

// ---------------------------------------------------------------- Layout

void frmKorvane::Form_Load() {
    table_ = new QWidget(this);
    setCentralWidget(table_);
    Fill(table_, TableColour());
    // The labels follow the table's font.
    table_->setFont(LabelFont(zoom_));
    labelHeight_ = TwoLines(table_->font());

    for (int i = 0; i < layout::MaxSeats; ++i) {
        QWidget* fra = new QWidget(table_);
        Fill(fra, TableColour());
        fra->hide();
        fraPlayer_[i] = fra;
        picCloseDeck_[i] = new PictureBox(fra);
        picOpenDeck_[i] = new PictureBox(fra);
        picCloseDeck_[i]->setBackground(TableColour());
        picOpenDeck_[i]->setBackground(TableColour());
        QLabel* lbl = new QLabel(fra);
        lbl->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        lbl->setWordWrap(true);
        // A name is shown as typed: never read as markup.
        lbl->setTextFormat(Qt::PlainText);
        Fill(lbl, TableColour());
        lbl->installEventFilter(this);
        lbl->setToolTip(QString::fromLatin1(status::LabelTip()));
        lblPlayer_[i] = lbl;
        connect(picCloseDeck_[i], &PictureBox::clicked, this, [this, i] {
            MouseUsed();
            picCloseDeck_Click(i);
        });
    }
    fraSuit_ = new QWidget(table_);
    Fill(fraSuit_, TableColour());
    fraSuit_->hide();
    for (int i = 0; i < layout::SuitPiles; ++i) {
        picSuit_[i] = new PictureBox(fraSuit_);
        picSuit_[i]->setBackground(TableColour());
    }
    picDrag_ = new PictureBox(table_);
    picDrag_->setBackground(TableColour());
    picDrag_->hide();
    picDrag_->installEventFilter(this);
    table_->installEventFilter(this);
    // The table takes the keys, Tab included, so that a game can be played without a mouse.
    table_->setFocusPolicy(Qt::StrongFocus);
    keys_ = new TableKeys(*this);
    connect(keys_, &TableKeys::moved, this, &frmKorvane::FocusMoved);
    // The pile the keyboard reached is said with what lies on it.
    connect(this, &frmKorvane::FocusMoved, this, [this] {
        const Pile p = FocusedPile();
        for (uint8_t i = 0; i < layout::MaxSeats; ++i) {
            picCloseDeck_[i]->SetKeyFocus(p == Pile::Closed(i));
            picOpenDeck_[i]->SetKeyFocus(p == Pile::Open(i));
        }
        for (uint8_t s = 0; s < layout::SuitPiles; ++s)
            picSuit_[s]->SetKeyFocus(p == Pile::Suit(s));
        if (!p.IsNone())
            Announce(QString::fromLatin1(access::PileName(g_.Game, p) + ": " +
                                         access::PileValue(g_.Game, p)));
    });
    table_->setFocus();

    BuildMenu();
    // Below the table, outside its client area. Its height is fixed to four lines (the turn,
    // and a penalty's explanation, each of which may wrap), so that no text ever resizes the
    // table.
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setTextFormat(Qt::PlainText);
    lblStatus_->setWordWrap(true);
    lblStatus_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblStatus_->setFixedHeight(4 * lblStatus_->fontMetrics().lineSpacing() + 4);
    statusBar()->addWidget(lblStatus_, 1);
    statusBar()->setSizeGripEnabled(false);
    // A screen reader hears the piles by name and value, and every change as it happens.
    access::InstallPictureAccessibility();
    picDrag_->setAccessibleName(QString::fromLatin1(access::PileName(g_.Game, Pile::None())));
    statusBar()->setAccessibleName(tr("Table events"));
    SetCaption(false);

    // The client area opens at its designed size, centred on the screen.
    resize(InitialClientWidth,
           InitialClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmKorvane::BuildMenu() {
    QMenu* game = menuBar()->addMenu(tr("&Game"));
    game->setObjectName(QStringLiteral("mnGame"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption, QKeySequence key) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        return a;
    };
    mnGameNew = item(game, "mnGameNew", tr("&New Game"), QKeySequence(Qt::Key_F2));
    mnGameOpen = item(game, "mnGameOpen", tr("&Open Game..."), QKeySequence(Qt::Key_F3));
    game->addSeparator();
    mnGameSave = item(game, "mnGameSave", tr("&Save Game"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnGameSaveAs =
        item(game, "mnGameSaveAs", tr("Save Game &AS..."), QKeySequence(Qt::CTRL | Qt::Key_A));
    game->addSeparator();
    mnGameDeck = item(game, "mnGameDeck", tr("&Deck..."), QKeySequence(Qt::Key_F8));
    mnGameOption = item(game, "mnGameOption", tr("&Option..."), QKeySequence(Qt::Key_F9));
    game->addSeparator();
    mnGameExit = item(game, "mnGameExit", tr("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_F4));

    BuildViewMenu();

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("mmHelp"));
    mnGameIndex = item(help, "mnGameIndex", tr("&Index"), QKeySequence(Qt::Key_F1));
    help->addSeparator();
    mnHelpAbout = item(help, "mnHelpAbout", tr("&About"), QKeySequence());

    connect(mnGameNew, &QAction::triggered, this, [this] { mnGameNew_Click(); });
    connect(mnGameOpen, &QAction::triggered, this, [this] { mnGameOpen_Click(); });
    connect(mnGameSave, &QAction::triggered, this, [this] { mnGameSave_Click(); });
    connect(mnGameSaveAs, &QAction::triggered, this, [this] { mnGameSaveAs_Click(); });
    connect(mnGameDeck, &QAction::triggered, this, [this] { mnGameDeck_Click(); });
    connect(mnGameOption, &QAction::triggered, this, [this] { mnGameOption_Click(); });
    connect(mnGameIndex, &QAction::triggered, this, [this] { frmHelp::Show(this); });
    connect(mnHelpAbout, &QAction::triggered, this, [this] { mnHelpAbout_Click(); });
    connect(mnGameExit, &QAction::triggered, this, [this] { mnGameExit_Click(); });
}

void frmKorvane::BuildViewMenu() {
    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("mnView"));
    mnViewZoomIn = view->addAction(tr("Zoom &In"));
    mnViewZoomIn->setObjectName(QStringLiteral("mnViewZoomIn"));
    // Ctrl+= as well: on many keyboards + needs Shift.
    mnViewZoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    mnViewZoomOut = view->addAction(tr("Zoom &Out"));
    mnViewZoomOut->setObjectName(QStringLiteral("mnViewZoomOut"));
    mnViewZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    mnViewActualSize = view->addAction(tr("&Actual Size"));
    mnViewActualSize->setObjectName(QStringLiteral("mnViewActualSize"));
    mnViewActualSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    view->addSeparator();
    mnViewFit = view->addAction(tr("&Fit to Window"));
    mnViewFit->setObjectName(QStringLiteral("mnViewFit"));
    mnViewFit->setCheckable(true);
    connect(mnViewZoomIn, &QAction::triggered, this, [this] { mnViewZoom_Click(1); });
    connect(mnViewZoomOut, &QAction::triggered, this, [this] { mnViewZoom_Click(-1); });
    connect(mnViewActualSize, &QAction::triggered, this, [this] { mnViewZoom_Click(0); });
    connect(mnViewFit, &QAction::toggled, this, [this](bool on) { mnViewFit_Click(on); });
}

QSize frmKorvane::PileSize() const {
    return {Zoomed(g_.CardWidth, zoom_), Zoomed(g_.CardHeight, zoom_)};
}

QSize frmKorvane::PanelSize() const {
    const layout::PanelLayout p =
        layout::SizeFrames(true, ToSize(PileSize()), labelHeight_, spacing_);
    return {p.panel.w, p.panel.h};
}

QSize frmKorvane::MinimumClientSize() const {
    const layout::Size m =
        layout::MinimumClient(g_.Game.PlayerCount, ToSize(PanelSize()),
                              layout::SuitBandHeight(ToSize(PileSize()), spacing_), spacing_);
    return {m.w, m.h};
}

QSize frmKorvane::MinimumClientAt(double z) const {
    const layout::Size pile{Zoomed(g_.CardWidth, z), Zoomed(g_.CardHeight, z)};
    const int gap = Zoomed(S, z);
    const layout::PanelLayout p = layout::SizeFrames(true, pile, TwoLines(LabelFont(z)), gap);
    const layout::Size m =
        layout::MinimumClient(g_.Game.PlayerCount, p.panel, layout::SuitBandHeight(pile, gap), gap);
    return {m.w, m.h};
}

double frmKorvane::ZoomToFit(QSize client) const {
    // Hundredths of a step: finer than the eye sees, coarse enough that a resize by a pixel
    // mostly keeps the zoom and its images. The minimum grows with the zoom.
    int lo = Zoomed(100, MinZoom);
    int hi = Zoomed(100, MaxZoom);
    const auto fits = [&](int k) {
        const QSize m = MinimumClientAt(k / 100.0);
        return m.width() <= client.width() && m.height() <= client.height();
    };
    if (!fits(lo))
        return MinZoom;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo / 100.0;
}

QSize frmKorvane::LargestClient() const {
    if (isMaximized() || isFullScreen())
        return table_->size();
    const QScreen* s = screen();
    if (s == nullptr)
        return table_->size();
    // The frame and the menu bar take their part of the screen at any zoom.
    const QSize frame = frameGeometry().size() - size();
    const QSize chrome = size() - table_->size();
    return s->availableGeometry().size() - frame - chrome;
}

void frmKorvane::SetZoom(double z) {
    ApplyZoom(std::clamp(z, MinZoom, MaxZoom));
    Form_Resize();
}

void frmKorvane::mnViewZoom_Click(int direction) {
    // Choosing a size by hand ends fitting to the window.
    mnViewFit->setChecked(false);
    double z = 1.0;
    if (direction > 0) {
        const auto next = std::find_if(ZoomSteps.begin(), ZoomSteps.end(),
                                       [this](double step) { return step > zoom_ + 1e-9; });
        // A zoom the screen cannot hold would end the game for want of resolution.
        if (next == ZoomSteps.end() || *next > ZoomToFit(LargestClient()))
            return;
        z = *next;
    } else if (direction < 0) {
        const auto below = std::find_if(ZoomSteps.rbegin(), ZoomSteps.rend(),
                                        [this](double step) { return step < zoom_ - 1e-9; });
        if (below == ZoomSteps.rend())
            return;
        z = *below;
    }
    SetZoom(z);
}

void frmKorvane::mnViewFit_Click(bool on) {
    fit_ = on;
    if (fit_)
        Form_Resize();
}

void frmKorvane::ApplyZoom(double z) {
    if (z == zoom_)
        return;
    zoom_ = z;
    spacing_ = Zoomed(S, z);
    const QFont font = LabelFont(z);
    table_->setFont(font);
    labelHeight_ = TwoLines(font);
    for (QLabel* lbl : lblPlayer_) {
        // A label keeps its own weight and slant.
        QFont own = font;
        own.setBold(lbl->font().bold());
        own.setItalic(lbl->font().italic());
        lbl->setFont(own);
    }
    SizePictures();
    for (const auto& [pic, look] : shown_)
        Draw(const_cast<PictureBox*>(pic), look.first, look.second);
    table_->update();
}

void frmKorvane::SizePictures() {
    const layout::Size pile = ToSize(PileSize());
    picDrag_->resize(PileSize());
    const int n = SeatsShown();
    for (int i = 0; i < layout::MaxSeats; ++i) {
        const layout::PanelLayout p =
            layout::SizeFrames(layout::SeatOnTop(i, n), pile, labelHeight_, spacing_);
        fraPlayer_[i]->resize(p.panel.w, p.panel.h);
        picCloseDeck_[i]->setGeometry(ToQRect(p.closed));
        picOpenDeck_[i]->setGeometry(ToQRect(p.open));
        lblPlayer_[i]->setGeometry(ToQRect(p.label));
    }
    for (int i = 0; i < layout::SuitPiles; ++i)
        picSuit_[i]->setGeometry(picSuit_[i]->x(), spacing_, pile.w, pile.h);
    fraSuit_->resize(fraSuit_->width(), layout::SuitBandHeight(pile, spacing_));
}

void frmKorvane::Draw(PictureBox* pic, uint8_t code, bool inverse) {
    shown_[pic] = {code, inverse};
    DrawCard(cards_, pic, 0, 0, code, inverse, PileSize());
}

void frmKorvane::SetCaption(bool ShowTable) {
    UpdateCaption();
    ForgetHand();
    SizePictures();
    for (int i = 0; i < layout::SuitPiles; ++i)
        suitSlot_[i] = i;
    picDrag_->raise();
    const int n = SeatsShown();
    for (int i = 0; i < layout::MaxSeats; ++i)
        fraPlayer_[i]->hide();
    if (ShowTable) {
        for (int i = 0; i < n && i < static_cast<int>(g_.Game.Player.size()); ++i) {
            lblPlayer_[i]->setText(QString::fromLatin1(g_.Game.Player[i].TrimmedName()));
            fraPlayer_[i]->show();
        }
        fraSuit_->show();
    } else {
        fraSuit_->hide();
        // With no table there is no card in hand either.
        HideDragPic();
    }
    // A new table: nothing of the game before is explained any more.
    explanation_.clear();
    explainedSeat_ = -1;
    keyNote_.clear();
    if (ShowTable)
        lastResult_.clear();
    UpdateStatus();
    keys_->Follow();
    table_->update();
}

void frmKorvane::UpdateCaption() {
    setWindowTitle(QString::fromStdString(paint::Caption(g_.FileTitle)));
}

void frmKorvane::Form_Resize() {
    if (isMinimized())
        return;
    if (fit_)
        ApplyZoom(ZoomToFit(table_->size()));
    const layout::Size client = ToSize(table_->size());
    const layout::ResizeDecision d =
        layout::DecideResize(client, ToSize(MinimumClientSize()), isMaximized());
    if (d.tooSmall) {
        // Once only, however many resizes follow, and not from inside the resize itself: the
        // message box runs an event loop.
        if (!tooSmall_) {
            tooSmall_ = true;
            QMetaObject::invokeMethod(
                this, [this] { NotEnoughResolution(); }, Qt::QueuedConnection);
        }
        return;
    }
    if (!(d.client == client) && !resizing_) {
        resizing_ = true;
        resize(width() + d.client.w - client.w, height() + d.client.h - client.h);
        resizing_ = false;
    }
    ApplyLayout(d.client);
}

void frmKorvane::ApplyLayout(const layout::Size& client) {
    const GameInfo& G = g_.Game;
    const int n = SeatsShown();
    const layout::TablePlacement t = layout::PlaceTable(
        n, client, ToSize(PanelSize()), layout::SuitBandHeight(ToSize(PileSize()), spacing_),
        PileSize().width(), spacing_);
    fraSuit_->setGeometry(ToQRect(t.band));
    for (int i = 0; i < layout::SuitPiles; ++i)
        picSuit_[i]->move(t.suitLeft[suitSlot_[i]], t.suitTop);
    for (int i = 0; i < n; ++i)
        fraPlayer_[i]->move(t.panel[i].x, t.panel[i].y);
    // The card in hand follows its pile, unless the user is holding it.
    if (paint::SeatExists(G, G.CurrentPlayer) && !dragging_) {
        if (G.GameState == State::Turned)
            picDrag_->move(PilePosition(Pile::Closed(G.CurrentPlayer)));
        else if (G.GameState == State::Playing || G.GameState == State::PlayedOn)
            picDrag_->move(PilePosition(Pile::Open(G.CurrentPlayer)));
    }
    keys_->Follow();
}

void frmKorvane::NotEnoughResolution() {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AppTitle),
                    tr("Not enough screen resolution."), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    close();
}

QPoint frmKorvane::PilePosition(Pile pile) const {
    const GameInfo& G = g_.Game;
    const bool seated = pile.index < SeatsShown();
    switch (pile.kind) {
    case Pile::Kind::Suit:
        if (pile.index < layout::SuitPiles)
            return fraSuit_->pos() + picSuit_[pile.index]->pos();
        break;
    case Pile::Kind::Open:
        if (seated)
            return fraPlayer_[pile.index]->pos() + picOpenDeck_[pile.index]->pos();
        break;
    case Pile::Kind::Closed:
        if (seated)
            return fraPlayer_[pile.index]->pos() + picCloseDeck_[pile.index]->pos();
        break;
    case Pile::Kind::None:
        if (paint::SeatExists(G, G.CurrentPlayer))
            return PilePosition(G.GameState == State::Turned ? Pile::Closed(G.CurrentPlayer)
                                                             : Pile::Open(G.CurrentPlayer));
        break;
    }
    return picDrag_->pos();
}

void frmKorvane::SetBusyPointer(bool busy) {
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

// ---------------------------------------------------------------- Painting

bool frmKorvane::SeatShown(uint8_t I) const {
    return paint::SeatExists(g_.Game, I) && I < layout::MaxSeats;
}

int frmKorvane::SeatsShown() const {
    return std::min<int>(g_.Game.PlayerCount, layout::MaxSeats);
}

void frmKorvane::MarkHighlight(Pile pile, bool on) {
    if (on)
        highlighted_ = pile;
    else if (highlighted_ == pile)
        highlighted_ = Pile::None();
}

void frmKorvane::ForgetHand() {
    dragging_ = false;
    highlighted_ = Pile::None();
}

void frmKorvane::PaintCloseDeck(uint8_t I) {
    if (!SeatShown(I))
        return;
    paint::DragState drag;
    drag.visible = !picDrag_->isHidden();
    drag.card = dragCode_;
    Draw(picCloseDeck_[I], paint::CloseDeckCode(g_.Game, I, drag), false);
}

void frmKorvane::PaintOpenDeck(uint8_t I, bool Inverse) {
    if (!SeatShown(I))
        return;
    const paint::Look look = paint::OpenDeckLook(g_.Game, I, Inverse);
    Draw(picOpenDeck_[I], look.code, look.inverse);
    MarkHighlight(Pile::Open(I), Inverse);
}

void frmKorvane::PrintLabel(uint8_t I) {
    if (!SeatShown(I))
        return;
    const paint::LabelLook look = paint::PlayerLabel(g_.Game, I);
    QLabel* lbl = lblPlayer_[I];
    QFont font = lbl->font();
    font.setBold(look.current);
    font.setItalic(look.italic);
    lbl->setFont(font);
    QPalette pal = lbl->palette();
    pal.setColor(QPalette::WindowText, look.current
                                           ? QColor(255, 0, 0)
                                           : QApplication::palette().color(QPalette::ButtonText));
    lbl->setPalette(pal);
    lbl->setText(QString::fromLatin1(look.text));
    UpdateStatus();
}

void frmKorvane::PaintSuit(uint8_t I, bool Inverse) {
    if (I >= layout::SuitPiles)
        return;
    const paint::Look look = paint::SuitLook(g_.Game, I, Inverse);
    Draw(picSuit_[I], look.code, look.inverse);
    MarkHighlight(Pile::Suit(I), Inverse);
}

void frmKorvane::PaintForm() {
    // The card in hand comes from the record alone: a table opened over another game keeps
    // nothing of it, and a game saved with a turned card opens with that card in hand.
    ForgetHand();
    keys_->Forget();
    const GameInfo& G = g_.Game;
    const uint8_t c = G.CurrentPlayer;
    const bool turned = G.GameState == State::Turned;
    if (turned && SeatShown(c) && !G.Player[c].CloseDeck.Empty())
        SetDragPic(Pile::Closed(c), G.Player[c].CloseDeck.Card[0]);
    else
        HideDragPic();
    for (int i = 0; i < SeatsShown(); ++i) {
        PaintCloseDeck(static_cast<uint8_t>(i));
        PaintOpenDeck(static_cast<uint8_t>(i), false);
        PrintLabel(static_cast<uint8_t>(i));
    }
    for (uint8_t i = 0; i < layout::SuitPiles; ++i)
        PaintSuit(i, false);
    if (!turned)
        SetCurrentPlayer(true, false);
    keys_->TurnShown();
}

void frmKorvane::SetCurrentPlayer(bool SetDrag, bool Inverse) {
    const GameInfo& G = g_.Game;
    const uint8_t c = G.CurrentPlayer;
    if (!SeatShown(c))
        return;
    UpdateStatus();
    keys_->TurnShown();
    if (G.GameState == State::Turned) {
        PaintOpenDeck(c, false);
        return;
    }
    const CardDeck& open = G.Player[c].OpenDeck;
    if (open.Empty()) {
        PaintOpenDeck(c, false);
        HideDragPic();
        return;
    }
    if (SetDrag)
        SetDragPic(Pile::Open(c), open.Top());
    const paint::Look look = paint::BeneathTopLook(G, c, Inverse);
    Draw(picOpenDeck_[c], look.code, look.inverse);
    MarkHighlight(Pile::Open(c), Inverse);
}

void frmKorvane::SetDragPic(Pile pile, uint8_t dspCard) {
    if (!(pile.IsOpen() || pile.IsClosed()) || pile.index >= layout::MaxSeats)
        return;
    const PictureBox* pic = pile.IsClosed() ? picCloseDeck_[pile.index] : picOpenDeck_[pile.index];
    picDrag_->move(fraPlayer_[pile.index]->pos() + pic->pos());
    picDrag_->show();
    Draw(picDrag_, dspCard, false);
    dragCode_ = dspCard;
    picDrag_->raise();
    DescribeHand();
}

void frmKorvane::HideDragPic() {
    picDrag_->hide();
    picDrag_->clearImage();
    shown_.erase(picDrag_);
    dragCode_ = DrawCode::Nothing;
    DescribeHand();
}

void frmKorvane::SwapSuitPlaces(uint8_t a, uint8_t b) {
    if (a >= layout::SuitPiles || b >= layout::SuitPiles)
        return;
    const QPoint at = picSuit_[a]->pos();
    picSuit_[a]->move(picSuit_[b]->pos());
    picSuit_[b]->move(at);
    std::swap(suitSlot_[a], suitSlot_[b]);
    PaintSuit(a, false);
    keys_->PilesSwapped(a, b);
}

void frmKorvane::HidePlayerFrames() {
    for (int i = 0; i < SeatsShown(); ++i)
        fraPlayer_[i]->hide();
}

void frmKorvane::ShowPenalty(const PenaltyNote& note, bool cardsFlying) {
    explanation_ = status::PenaltyText(g_.Game, note, cardsFlying);
    explainedSeat_ = note.seat;
    // The place he overlooked carries the drop highlight while the cards come to him.
    if (!note.places.empty())
        Highlight(note.places.front().pile, cardsFlying);
    UpdateStatus();
}

void frmKorvane::UpdateStatus() {
    if (!lblStatus_)
        return;
    // A seat handed over to the computer has nobody left to read its explanation.
    const GameInfo& G = g_.Game;
    if (explainedSeat_ >= 0 && paint::SeatExists(G, static_cast<uint8_t>(explainedSeat_)) &&
        G.Player[static_cast<std::size_t>(explainedSeat_)].Computer) {
        explanation_.clear();
        explainedSeat_ = -1;
    }
    std::string text = status::TurnLine(g_.Game, lastResult_, lastInput_);
    if (!keyNote_.empty())
        text += "\n" + keyNote_;
    if (!explanation_.empty())
        text += "\n" + explanation_;
    const QString shown = QString::fromLatin1(text);
    if (shown != lblStatus_->text()) {
        lblStatus_->setText(shown);
        Announce(shown);
    }
    DescribeTable();
}

void frmKorvane::DescribeTable() {
    const GameInfo& G = g_.Game;
    auto describe = [&](PictureBox* pic, Pile pile) {
        pic->setAccessibleName(QString::fromLatin1(access::PileName(G, pile)));
        pic->SetAccessibleValue(QString::fromLatin1(access::PileValue(G, pile)));
    };
    for (uint8_t i = 0; i < SeatsShown(); ++i) {
        describe(picCloseDeck_[i], Pile::Closed(i));
        describe(picOpenDeck_[i], Pile::Open(i));
        const QString seat = QString::fromLatin1(access::SeatSummary(G, i));
        fraPlayer_[i]->setAccessibleName(seat);
        lblPlayer_[i]->setAccessibleName(seat);
    }
    for (uint8_t s = 0; s < layout::SuitPiles; ++s)
        describe(picSuit_[s], Pile::Suit(s));
    DescribeHand();
}

void frmKorvane::DescribeHand() {
    picDrag_->SetAccessibleValue(picDrag_->isHidden() ? tr("none")
                                 : dragCode_ < CardsInPack
                                     ? QString::fromLatin1(status::CardName(dragCode_))
                                     : tr("a card face down"));
}

void frmKorvane::Announce(const QString& text) {
    // Qt 6.4 has no announcement of its own: the status bar carries the sentence as its
    // description and raises an alert, which screen readers speak.
    statusBar()->setAccessibleDescription(text);
    QAccessibleEvent event(statusBar(), QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

void frmKorvane::ExplanationSeen(int seat) {
    if (seat != explainedSeat_ || (rules_ && rules_->MoveInProgress()))
        return;
    explanation_.clear();
    explainedSeat_ = -1;
    UpdateStatus();
}

// ---------------------------------------------------------------- Flights

bool frmKorvane::FlyDragPic(QPointF from, QPointF to) {
    // Every flight runs for a move of the rules: it stops the moment that move's game is
    // replaced.
    AbortCheck abort;
    if (rules_)
        abort = [this] { return rules_->RunningMoveAbandoned(); };
    const RandomSource random = [this](int32_t lo, int32_t hi) { return g_.RandomInt(lo, hi); };
    MoveDragPic(*picDrag_, static_cast<float>(from.x()), static_cast<float>(from.y()),
                static_cast<float>(to.x()), static_cast<float>(to.y()), g_.Game, table_->size(),
                random, abort, TickSource(flightClock_), zoom_); // the clock may change mid-flight
    return !(abort && abort());
}

bool frmKorvane::AnimateMove(uint8_t toPly) {
    const Pile to = Pile::FromCode(toPly, static_cast<uint8_t>(SeatsShown()));
    if (to.IsNone() && toPly != Target::None)
        return false;
    Announce(QString::fromLatin1(access::FlightSentence(g_.Game, dragCode_, to)));
    FlyDragPic(picDrag_->pos(), PilePosition(to));
    return !to.IsNone();
}

void frmKorvane::GiveTip() {
    const QPoint home = picDrag_->pos();
    for (const Pile t : TipTargets(g_.Game)) {
        const QPoint there = PilePosition(t);
        // A game replaced during a flight owns the card in hand now: leave it where it is.
        if (!FlyDragPic(home, there))
            return;
        Highlight(t, true);
        const bool held = Pause(
            TipHoldMs, [this] { return rules_ && rules_->RunningMoveAbandoned(); },
            TickSource(flightClock_));
        // A replacing game has repainted its piles; only a drag of its own may mark one now.
        if (!dragging_ && HighlightedPile() == t)
            Highlight(t, false);
        if (!held || !FlyDragPic(there, home))
            return;
    }
}

void frmKorvane::CardShowFlight(uint8_t suit, uint8_t card) {
    if (suit >= layout::SuitPiles)
        return;
    const QPoint start = PilePosition(Pile::Suit(suit));
    picDrag_->move(start);
    picDrag_->show();
    Draw(picDrag_, card, false);
    dragCode_ = card;
    picDrag_->raise();
    PaintSuit(suit, false);
    const RandomSource random = [this](int32_t lo, int32_t hi) { return g_.RandomInt(lo, hi); };
    const FlightPoint end =
        CardShowEndPoint(start.x(), start.y(), table_->width(), table_->height(), picDrag_->width(),
                         picDrag_->height(), random);
    if (FlyDragPic(start, QPointF(end.x, end.y)))
        HideDragPic();
}

// ---------------------------------------------------------------- Questions

Seating frmKorvane::AskPlayers() {
    // The dialog fills in a copy of the record; the rules apply what it chose.
    GameInfo chosen = g_.Game;
    const bool accepted = frmName::Run(this, g_, chosen);
    return Seating::FromDialog(chosen, accepted);
}

bool frmKorvane::AskPlayAgain(const std::string& message) {
    lastResult_ = message;
    UpdateStatus();
    return PlayAgainBox(message);
}

bool frmKorvane::PlayAgainBox(const std::string& message) {
    QMessageBox box(QMessageBox::NoIcon, tr("Korvane!!!"),
                    QString::fromLatin1(message) + QStringLiteral("\n\n") +
                        tr("Do you want to play again?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    // The loser's name is shown as typed: never read as markup.
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

TableDisplay::Answer frmKorvane::AskSwitchMode(uint8_t, bool toComputer) {
    QMessageBox box(QMessageBox::NoIcon,
                    toComputer ? tr("Change to Computer Player Mode")
                               : tr("Change to Manual Player Mode"),
                    toComputer ? tr("Do you want computer to play your game?")
                               : tr("Do you want to play your own game?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

// ---------------------------------------------------------------- Commands

void frmKorvane::mnGameNew_Click() {
    if (rules_)
        rules_->mnGameNew_Click();
}

void frmKorvane::mnGameDeck_Click() {
    frmDeck::Run(this, g_, cards_);
    // A new back shows at once on every closed pile (OK or Cancel alike).
    if (g_.Game.GameState != State::NoGame)
        for (uint8_t i = 0; i < g_.Game.PlayerCount; ++i)
            PaintCloseDeck(i);
}

void frmKorvane::mnGameOption_Click() {
    frmOption::Run(this, g_.Game);
}

void frmKorvane::mnGameExit_Click() {
    close();
}

void frmKorvane::mnHelpAbout_Click() {
    frmAbout::Run(this);
}

void frmKorvane::SetRules(GameRules* rules) {
    rules_ = rules;
    files_.reset();
    if (rules_)
        files_ = std::make_unique<SavedGameCommands>(this, *rules_, *this);
}

void frmKorvane::mnGameOpen_Click() {
    if (files_)
        files_->mnGameOpen_Click();
}

void frmKorvane::mnGameSave_Click() {
    if (files_)
        files_->mnGameSave_Click();
}

void frmKorvane::mnGameSaveAs_Click() {
    if (files_)
        files_->mnGameSaveAs_Click();
}

void frmKorvane::lblPlayer_DblClick(int Index) {
    if (rules_)
        rules_->lblPlayer_DblClick(Index);
}

void frmKorvane::picCloseDeck_Click(int Index) {
    if (Index == g_.Game.CurrentPlayer)
        ExplanationSeen(Index);
    if (rules_)
        rules_->picCloseDeck_Click(Index);
}

void frmKorvane::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmKorvane::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    if (rules_)
        rules_->Shutdown();
    cards_.cdtTerm();
    QCoreApplication::quit();
}

// ---------------------------------------------------------------- Dragging

bool frmKorvane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::Resize) {
        Form_Resize();
        return false;
    }
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        // Worded for keys from this key on, if the table uses it.
        const status::Input before = std::exchange(lastInput_, status::Input::Keys);
        keyNote_.clear();
        if (keys_->KeyPress(*static_cast<QKeyEvent*>(event))) {
            UpdateStatus();
            return true;
        }
        lastInput_ = before;
    }
    if (watched == picDrag_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            MouseUsed();
            picDrag_MouseDown(static_cast<QMouseEvent*>(event)->position());
            return true;
        case QEvent::MouseMove:
            picDrag_MouseMove(static_cast<QMouseEvent*>(event)->position());
            return true;
        case QEvent::MouseButtonRelease:
            picDrag_MouseUp();
            return true;
        case QEvent::MouseButtonDblClick:
            // The second press of a double click starts no drag; its release then does nothing.
            return true;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < layout::MaxSeats; ++i) {
            if (watched == lblPlayer_[i]) {
                lblPlayer_DblClick(i);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmKorvane::picDrag_MouseDown(QPointF pos) {
    const GameInfo& G = g_.Game;
    // One move at a time: a flight, a tip or a computer turn still running keeps the card.
    if (rules_ && rules_->MoveInProgress())
        return;
    if (!paint::SeatExists(G, G.CurrentPlayer) ||
        !(G.GameState == State::Playing || G.GameState == State::Turned ||
          G.GameState == State::PlayedOn))
        return;
    dragging_ = true;
    grab_ = pos;
}

void frmKorvane::picDrag_MouseMove(QPointF pos) {
    if (!dragging_)
        return;
    picDrag_->move(picDrag_->pos() + (pos - grab_).toPoint());
    const Pile was = highlighted_;
    const Pile now = OverLap();
    if (was == now)
        return;
    Highlight(was, false);
    Highlight(now, true);
}

void frmKorvane::picDrag_MouseUp() {
    // A game replaced while the card was held has forgotten the drag.
    if (!dragging_)
        return;
    dragging_ = false;
    ExplanationSeen(g_.Game.CurrentPlayer);
    if (rules_)
        rules_->HumanDrop(OverLap());
}

void frmKorvane::picDrag_KeyDrop(Pile to) {
    ExplanationSeen(g_.Game.CurrentPlayer);
    if (rules_)
        rules_->HumanChoose(to);
}

void frmKorvane::KeyRefused(const std::string& why) {
    keyNote_ = why;
    UpdateStatus();
}

void frmKorvane::MouseUsed() {
    lastInput_ = status::Input::Mouse;
    keyNote_.clear();
    UpdateStatus();
}

Pile frmKorvane::FocusedPile() const {
    return keys_->Focused();
}

QWidget* frmKorvane::FocusFrame() const {
    return keys_->Frame();
}

Pile frmKorvane::OverLap() const {
    if (dragCode_ >= CardsInPack || picDrag_->isHidden())
        return Pile::None();
    DropLayout d;
    for (int s = 0; s < layout::SuitPiles; ++s)
        d.suitPiles[s] = OnTable(fraSuit_, picSuit_[s]);
    for (int p = 0; p < SeatsShown(); ++p)
        d.openPiles.push_back(OnTable(fraPlayer_[p], picOpenDeck_[p]));
    d.drag = picDrag_->geometry();
    return ::korvane::OverLap(d, dragCode_, g_.Game);
}

void frmKorvane::Highlight(Pile pile, bool on) {
    const GameInfo& G = g_.Game;
    if (pile.IsSuit()) {
        PaintSuit(pile.index, on);
    } else if (pile.IsOpen()) {
        // The own pile shows the card beneath the one in hand, not its top.
        if (pile.index != G.CurrentPlayer || G.GameState == State::Turned)
            PaintOpenDeck(pile.index, on);
        else
            SetCurrentPlayer(false, on);
    }
}

} // namespace korvane
