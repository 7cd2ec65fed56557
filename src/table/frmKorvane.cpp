#include "table/frmKorvane.h"

#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/TableQuestions.h"
#include "dialogs/frmName.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "movement/DragFlight.h"
#include "movement/DropTarget.h"
#include "table/CardInHand.h"
#include "table/NetworkPlay.h"
#include "table/StatusLine.h"
#include "table/StatusText.h"
#include "table/TableAccessible.h"
#include "table/TableMenu.h"
#include "table/TablePaint.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <utility>

namespace korvane {

namespace {

constexpr int S = layout::Spacing;

layout::Size ToSize(QSize s) {
    return {s.width(), s.height()};
}

using layout::Zoomed;

} // namespace

QColor frmKorvane::TableColour() {
    return {0, 128, 0};
}

frmKorvane::frmKorvane(mdlGlobal& global, CardLibrary& cards, QWidget* parent)
    : QMainWindow(parent), g_(global), cards_(cards) {
    Form_Load();
}

frmKorvane::~frmKorvane() = default;

QLabel* frmKorvane::lblStatus() const {
    return status_->Label();
}

// ---------------------------------------------------------------- Layout

void frmKorvane::Form_Load() {
    // A screen reader hears the piles by name and value, and every change as it happens: the
    // pictures must be known as such before the first of them announces itself.
    access::InstallPictureAccessibility();
    table_ = new TableSurface(this, cards_, TableColour());
    setCentralWidget(table_);
    hand_ = table_->Hand();
    picDrag_ = hand_->Picture();
    table_->ZoomLabels(zoom_);
    labelHeight_ = TableSurface::LabelHeight(zoom_);

    for (int i = 0; i < layout::MaxSeats; ++i) {
        connect(table_->Seat(i), &SeatPanel::closedClicked, this, [this, i] {
            MouseUsed();
            picCloseDeck_Click(i);
        });
        connect(table_->Seat(i), &SeatPanel::labelDoubleClicked, this, [this, i] {
            if (PlayerActions* a = Actions())
                a->lblPlayer_DblClick(i);
        });
    }
    hand_->mayTake = [this] { return MayAct(); };
    connect(hand_, &CardInHand::pressed, this, &frmKorvane::MouseUsed);
    connect(hand_, &CardInHand::carried, this, [this] {
        const Pile now = OverLap();
        if (now == highlighted_)
            return;
        Highlight(highlighted_, false);
        Highlight(now, true);
    });
    connect(hand_, &CardInHand::dropped, this, [this] {
        ExplanationSeen(g_.Game.CurrentPlayer);
        if (PlayerActions* a = Actions())
            a->HumanDrop(OverLap());
    });
    table_->installEventFilter(this);
    // The table takes the keys, Tab included, so that a game can be played without a mouse.
    table_->setFocusPolicy(Qt::StrongFocus);
    keys_ = new TableKeys(*this, g_.Game, roles_, *table_);
    connect(keys_, &TableKeys::moved, this, &frmKorvane::FocusMoved);
    connect(keys_, &TableKeys::wayChanged, this, [this] {
        status_->SetInput(keys_->KeysLastUsed() ? status::Input::Keys : status::Input::Mouse);
        DescribeTable();
    });
    // The pile the keyboard reached is said with what lies on it.
    connect(this, &frmKorvane::FocusMoved, this, [this] {
        const Pile p = FocusedPile();
        for (uint8_t i = 0; i < layout::MaxSeats; ++i) {
            table_->Seat(i)->Closed()->SetKeyFocus(p == Pile::Closed(i));
            table_->Seat(i)->Open()->SetKeyFocus(p == Pile::Open(i));
        }
        for (uint8_t s = 0; s < layout::SuitPiles; ++s)
            table_->Band()->Pile(s)->SetKeyFocus(p == Pile::Suit(s));
        if (!p.IsNone())
            status_->Announce(PileWidget(p)->accessibleName() + ": " +
                              PileWidget(p)->AccessibleValue());
    });
    table_->setFocus();

    network_ = new NetworkPlay(*this, g_);
    menu_ = new TableMenu(*this, g_, cards_);
    // Below the table, outside its client area.
    status_ = std::make_unique<StatusLine>(*statusBar(), g_.Game, roles_);
    picDrag_->setAccessibleName(QString::fromLatin1(access::PileName(g_.Game, Pile::None())));
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

layout::Size frmKorvane::MinimumClientAt(double z) const {
    return layout::MinimumClientAt(g_.Game.PlayerCount, {g_.CardWidth, g_.CardHeight},
                                   TableSurface::LabelHeight(z), z);
}

QSize frmKorvane::ScreenRoom() const {
    return screen() ? screen()->availableGeometry().size() : frameGeometry().size();
}

layout::Size frmKorvane::LargestClient() const {
    // A window of fixed size has its room, the status line's share included: the line yields
    // to a larger table and comes back with a smaller one, so every step can be undone. Any
    // other window keeps its line, and the frame and the menu bar take their part of the screen.
    const QSize room = table_->size() + QSize(0, status_->Room());
    if (FixedSize())
        return ToSize(room);
    return ToSize(ScreenRoom() - (frameGeometry().size() - size()) - (size() - room) -
                  QSize(0, status_->Height()));
}

layout::ZoomReach frmKorvane::ZoomReach() const {
    return layout::ReachFrom(zoom_, LargestClient(),
                             [this](double z) { return MinimumClientAt(z); });
}

void frmKorvane::SetZoom(double z) {
    ApplyZoom(std::clamp(z, MinZoom, MaxZoom));
    Form_Resize();
}

void frmKorvane::StepZoom(int direction) {
    const std::optional<double> z = layout::NextZoom(zoom_, direction);
    // A zoom the screen cannot hold would end the game for want of resolution.
    if (z && (direction <= 0 || ZoomReach().in))
        SetZoom(*z);
}

void frmKorvane::SetFitToWindow(bool on) {
    fit_ = on;
    if (fit_)
        Form_Resize();
}

void frmKorvane::ApplyZoom(double z) {
    if (z == zoom_)
        return;
    zoom_ = z;
    spacing_ = Zoomed(S, z);
    table_->ZoomLabels(z);
    labelHeight_ = TableSurface::LabelHeight(z);
    SizePictures();
    for (const auto& [pic, look] : shown_)
        Draw(const_cast<PictureBox*>(pic), look.first, look.second);
    table_->update();
}

void frmKorvane::SizePictures() {
    table_->Arrange(SeatsShown(), ToSize(PileSize()), labelHeight_, spacing_);
}

void frmKorvane::Draw(PictureBox* pic, uint8_t code, bool inverse) {
    shown_[pic] = {code, inverse};
    DrawCard(cards_, pic, 0, 0, code, inverse, PileSize());
    DescribeTable();
}

void frmKorvane::SetCaption(bool ShowTable) {
    UpdateCaption();
    ForgetHand();
    SizePictures();
    table_->Band()->ResetPlaces();
    picDrag_->raise();
    const int n = SeatsShown();
    for (int i = 0; i < layout::MaxSeats; ++i)
        table_->Seat(i)->hide();
    if (ShowTable) {
        for (int i = 0; i < n && i < static_cast<int>(g_.Game.Player.size()); ++i) {
            table_->Seat(i)->Label()->setText(QString::fromLatin1(g_.Game.Player[i].TrimmedName()));
            table_->Seat(i)->show();
        }
        table_->Band()->show();
    } else {
        table_->Band()->hide();
        // With no table there is no card in hand either.
        HideDragPic();
    }
    status_->NewTable(ShowTable);
    DescribeTable();
    keys_->Follow();
    table_->update();
}

void frmKorvane::UpdateCaption() {
    setWindowTitle(QString::fromStdString(paint::Caption(g_.FileTitle)));
}

void frmKorvane::Form_Resize() {
    if (isMinimized())
        return;
    // The status line's share counts: a maximised window gives it to the table when it must.
    const layout::Size room = ToSize(table_->size() + QSize(0, status_->Room()));
    const int line = status_->Height();
    if (fit_)
        ApplyZoom(layout::ZoomToFit({room.w, room.h - line},
                                    [this](double z) { return MinimumClientAt(z); }));
    const layout::ResizeDecision d =
        layout::DecideResize(room, line, ToSize(MinimumClientSize()), FixedSize());
    menu_->ShowZoomReach(ZoomReach());
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
    status_->Show(d.statusShown);
    if (!(d.grow == layout::Size{}) && !resizing_) {
        resizing_ = true;
        resize(width() + d.grow.w, height() + d.grow.h);
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
    table_->Place(n, t);
    // The card in hand follows its pile, unless the user is holding it.
    if (!hand_->Dragging() && !HandPile(G).IsNone())
        picDrag_->move(PilePosition(HandPile(G)));
    keys_->Follow();
}

void frmKorvane::NotEnoughResolution() {
    questions::NotEnoughResolution(this);
    close();
}

QPoint frmKorvane::PilePosition(Pile pile) const {
    return table_->PilePosition(pile.IsNone() ? HandPile(g_.Game) : pile, SeatsShown());
}

QRect frmKorvane::PileRect(Pile pile) const {
    return {PilePosition(pile), PileSize()};
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
    hand_->Forget();
    highlighted_ = Pile::None();
}

void frmKorvane::PaintCloseDeck(uint8_t I) {
    if (!SeatShown(I))
        return;
    paint::DragState drag;
    drag.visible = hand_->Shown();
    drag.card = hand_->Code();
    Draw(table_->Seat(I)->Closed(), paint::CloseDeckCode(g_.Game, I, drag), false);
}

void frmKorvane::PaintOpenDeck(uint8_t I, bool Inverse) {
    if (!SeatShown(I))
        return;
    const paint::Look look = paint::OpenDeckLook(g_.Game, I, Inverse);
    Draw(table_->Seat(I)->Open(), look.code, look.inverse);
    MarkHighlight(Pile::Open(I), Inverse);
}

void frmKorvane::PrintLabel(uint8_t I) {
    if (!SeatShown(I))
        return;
    const paint::LabelLook look = paint::PlayerLabel(g_.Game, I, roles_);
    table_->Seat(I)->ShowLabel(QString::fromLatin1(look.text), look.current, look.italic);
    UpdateStatus();
}

void frmKorvane::PaintSuit(uint8_t I, bool Inverse) {
    if (I >= layout::SuitPiles)
        return;
    const paint::Look look = paint::SuitLook(g_.Game, I, Inverse);
    Draw(table_->Band()->Pile(I), look.code, look.inverse);
    MarkHighlight(Pile::Suit(I), Inverse);
}

void frmKorvane::PaintForm() {
    // The card in hand comes from the record alone: a table opened over another game keeps
    // nothing of it, and a game saved with a turned card opens with that card in hand.
    ForgetHand();
    keys_->Forget();
    const GameInfo& G = g_.Game;
    const Pile hand = HandPile(G);
    const bool turned = hand.IsClosed();
    if (turned && SeatShown(hand.index))
        SetDragPic(hand, G.CardInHand());
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
    Draw(table_->Seat(c)->Open(), look.code, look.inverse);
    MarkHighlight(Pile::Open(c), Inverse);
}

void frmKorvane::SetDragPic(Pile pile, uint8_t dspCard) {
    if (!(pile.IsOpen() || pile.IsClosed()) || pile.index >= layout::MaxSeats)
        return;
    const PictureBox* pic = PileWidget(pile);
    hand_->Show(pic->parentWidget()->pos() + pic->pos(), dspCard, PileSize(), pile);
    DescribeTable();
}

void frmKorvane::HideDragPic() {
    hand_->Hide();
    DescribeTable();
}

void frmKorvane::SwapSuitPlaces(uint8_t a, uint8_t b) {
    if (a >= layout::SuitPiles || b >= layout::SuitPiles)
        return;
    table_->Band()->Swap(a, b);
    PaintSuit(a, false);
    keys_->PilesSwapped(a, b);
}

void frmKorvane::HidePlayerFrames() {
    for (int i = 0; i < SeatsShown(); ++i)
        table_->Seat(i)->hide();
}

void frmKorvane::ShowPenalty(const PenaltyNote& note, bool cardsFlying) {
    // The place he overlooked carries the drop highlight while the cards come to him.
    if (!note.places.empty())
        Highlight(note.places.front().pile, cardsFlying);
    status_->Explain(note, cardsFlying);
    DescribeTable();
}

void frmKorvane::UpdateStatus() {
    if (status_)
        status_->Refresh();
    DescribeTable();
}

void frmKorvane::DescribeTable() {
    // The card in hand is seen on the pile it was taken from, wherever it is carried.
    access::DescribeTable(
        *table_, g_.Game, SeatsShown(),
        [this](Pile p) {
            return hand_->Shown() && hand_->From() == p ? hand_->Code() : DrawnCode(PileWidget(p));
        },
        roles_);
}

void frmKorvane::ExplanationSeen(int seat) {
    status_->Seen(seat, Actions() && Actions()->MoveInProgress());
    DescribeTable();
}

// ---------------------------------------------------------------- Flights

bool frmKorvane::FlyDragPic(QPointF from, QPointF to) {
    // Every flight runs for a move of the rules: it stops the moment that move's game is
    // replaced.
    AbortCheck abort;
    if (PlayerActions* a = Actions())
        abort = [a] { return a->RunningMoveAbandoned(); };
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
    status_->Announce(QString::fromLatin1(access::FlightSentence(g_.Game, hand_->Code(), to)));
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
            TipHoldMs, [this] { return Actions() && Actions()->RunningMoveAbandoned(); },
            TickSource(flightClock_));
        // A replacing game has repainted its piles; only a drag of its own may mark one now.
        if (!hand_->Dragging() && HighlightedPile() == t)
            Highlight(t, false);
        if (!held || !FlyDragPic(there, home))
            return;
    }
}

void frmKorvane::CardShowFlight(uint8_t suit, uint8_t card) {
    if (suit >= layout::SuitPiles)
        return;
    const QPoint start = PilePosition(Pile::Suit(suit));
    hand_->Show(start, card, PileSize(), Pile::None());
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
    status_->GameOver(message);
    DescribeTable();
    return PlayAgainBox(message);
}

bool frmKorvane::PlayAgainBox(const std::string& message) {
    return questions::PlayAgain(this, message);
}

TableDisplay::Answer frmKorvane::AskSwitchMode(uint8_t, bool toComputer) {
    return questions::SwitchMode(this, toComputer);
}

// ---------------------------------------------------------------- Commands

void frmKorvane::OpenFile(const QString& path) {
    menu_->OpenFile(path);
}

void frmKorvane::SetRules(GameRules* rules) {
    if (!rules)
        network_->Stop({});
    rules_ = rules;
    network_->SetRules(rules);
    menu_->SetRules(rules);
}

PlayerActions* frmKorvane::Actions() const {
    if (remote_)
        return remote_;
    return rules_;
}

void frmKorvane::SetRemote(PlayerActions* remote) {
    remote_ = remote;
}

void frmKorvane::SetRoles(const SeatRoles& roles) {
    roles_ = roles;
    for (int i = 0; i < SeatsShown(); ++i)
        PrintLabel(static_cast<uint8_t>(i));
    UpdateStatus();
}

void frmKorvane::ShowGameOver(const std::string& message) {
    status_->GameOver(message);
    DescribeTable();
}

void frmKorvane::Notice(const QString& text) {
    status_->Notice(text.toLatin1().toStdString());
    DescribeTable();
}

void frmKorvane::picCloseDeck_Click(int Index) {
    if (Index == g_.Game.CurrentPlayer)
        ExplanationSeen(Index);
    if (PlayerActions* a = Actions())
        a->picCloseDeck_Click(Index);
}

void frmKorvane::closeEvent(QCloseEvent* event) {
    if (!unloaded_ && !network_->MayReplace(tr("Close the window"))) {
        event->ignore();
        return;
    }
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
        status_->Refuse({});
        if (keys_->KeyPress(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmKorvane::MayAct() const {
    // One move at a time: a flight, a tip or a computer turn still running keeps the card.
    return Actions() && Actions()->PersonMayAct() && !hand_->Dragging();
}

void frmKorvane::MouseUsed() {
    keys_->MouseUsed();
    status_->Refuse({});
}

bool frmKorvane::KeyMayAct(Pile pile) {
    const bool moving = !Actions() || Actions()->MoveInProgress() || hand_->Dragging();
    status_->Refuse(status::KeyRefusal(g_.Game, pile, moving, roles_));
    return MayAct();
}

void frmKorvane::KeyClick(Pile closed) {
    if (KeyMayAct(closed))
        picCloseDeck_Click(closed.index);
}

void frmKorvane::KeyDrop(Pile to) {
    if (!KeyMayAct(to))
        return;
    ExplanationSeen(g_.Game.CurrentPlayer);
    Actions()->HumanChoose(to);
}

Pile frmKorvane::OverLap() const {
    if (hand_->Code() >= CardsInPack || !hand_->Shown())
        return Pile::None();
    DropLayout d;
    for (uint8_t s = 0; s < layout::SuitPiles; ++s)
        d.suitPiles[s] = PileRect(Pile::Suit(s));
    for (uint8_t p = 0; p < SeatsShown(); ++p)
        d.openPiles.push_back(PileRect(Pile::Open(p)));
    d.drag = picDrag_->geometry();
    return ::korvane::OverLap(d, hand_->Code(), g_.Game);
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
