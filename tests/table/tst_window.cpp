// The table window over the real rules and card library, offscreen: layout, painting, the
// questions, the menu, dragging and re-entry.
#include "dialogs/frmDeck.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "table/PictureBox.h"
#include "table/TableLayout.h"
#include "table/frmKorvane.h"
#include "table/mdlCardAPI.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace korvane;

namespace {

// The window with the players dialog answered by the test.
class TestWindow : public frmKorvane {
public:
    using frmKorvane::frmKorvane;
    std::function<void(GameInfo&)> players;
    std::function<bool(const std::string&)> playAgain;
    int notEnoughResolution = 0;

    void AskPlayers() override {
        if (players)
            players(Global().Game);
    }
    bool AskPlayAgain(const std::string& message) override {
        return playAgain ? playAgain(message) : false;
    }
    mdlGlobal& Global() { return Rules()->Global(); }

protected:
    void NotEnoughResolution() override { ++notEnoughResolution; }
};

// Seats n players, those in `computers` played by the computer.
std::function<void(GameInfo&)> Seat(int n, std::vector<int> computers = {}) {
    return [n, computers](GameInfo& G) {
        G.Player.assign(static_cast<std::size_t>(n), PlayerInfo{});
        G.PlayerCount = static_cast<uint8_t>(n);
        for (int i = 0; i < n; ++i) {
            G.Player[i].SetName("Seat " + std::to_string(i + 1));
            G.Player[i].Computer =
                std::find(computers.begin(), computers.end(), i) != computers.end();
        }
        G.GameState = State::Dealt;
    };
}

struct Rig {
    explicit Rig(uint32_t seed = 7) : g(FixedSeed(seed)) {
        g.SetDefaults();
        g.Game.DeckBack = FirstBack;
        ready = cards.cdtInit(g.CardWidth, g.CardHeight);
        w = std::make_unique<TestWindow>(g, cards);
        rules = std::make_unique<GameRules>(g, *w);
        w->SetRules(rules.get());
        w->show();
        exposed = QTest::qWaitForWindowExposed(w.get());
    }
    ~Rig() {
        w->SetRules(nullptr);
        rules.reset();
        w.reset();
    }
    // A new game through the menu, with flights that do not wait.
    void NewGame(int n, std::vector<int> computers = {}) {
        w->players = Seat(n, std::move(computers));
        g.Game.MoveSpeed = {0, 0};
        w->mnGameNew->trigger();
    }
    GameInfo& G() { return g.Game; }
    PlayerInfo& P(int i) { return g.Game.Player[static_cast<std::size_t>(i)]; }
    // Where a pile picture lies on the table.
    QPoint On(QWidget* pic) const { return pic->mapTo(w->Table(), QPoint(0, 0)); }

    mdlGlobal g;
    CardLibrary cards;
    bool ready = false;
    bool exposed = false;
    std::unique_ptr<TestWindow> w;
    std::unique_ptr<GameRules> rules;
};

void Put(CardDeck& d, std::initializer_list<uint8_t> cards) {
    for (uint8_t c : cards)
        d.Card[d.Count++] = c;
}

constexpr uint8_t Card(int rank, int suit) {
    return static_cast<uint8_t>(rank * 4 + suit);
}

// Drags the card in hand by (dx, dy) from a grab point and lets go.
void Drag(frmKorvane& w, QPoint delta, bool release = true) {
    QWidget* pic = w.picDrag();
    const QPoint grab(20, 30);
    QTest::mousePress(pic, Qt::LeftButton, {}, grab);
    // Two steps, like a hand: the highlight follows the card.
    QTest::mouseMove(pic, grab + delta / 2);
    QTest::mouseMove(pic, grab + delta - delta / 2);
    if (release)
        QTest::mouseRelease(pic, Qt::LeftButton, {}, grab);
}

QColor Pixel(const QImage& img, QPoint logical, qreal dpr) {
    return img.pixelColor(QPoint(qRound(logical.x() * dpr), qRound(logical.y() * dpr)));
}

bool IsWhite(const QColor& c) {
    return c.red() > 235 && c.green() > 235 && c.blue() > 235;
}

// The mean colour of a logical rectangle of the grab.
QColor Mean(const QImage& img, QRect logical, qreal dpr) {
    const QRect r(QPoint(qRound(logical.x() * dpr), qRound(logical.y() * dpr)),
                  QSize(qRound(logical.width() * dpr), qRound(logical.height() * dpr)));
    long red = 0, green = 0, blue = 0, n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            red += c.red();
            green += c.green();
            blue += c.blue();
            ++n;
        }
    return QColor(int(red / n), int(green / n), int(blue / n));
}

// Every place the drag picture is moved to.
struct MoveLog : QObject {
    explicit MoveLog(QWidget* pic) : pic_(pic) { pic_->installEventFilter(this); }
    ~MoveLog() override { pic_->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Move)
            places.append(pic_->pos());
        return false;
    }
    QList<QPoint> places;
    QWidget* pic_;
};

// Answers the next message box with `button` once it is up, recording its title and text.
struct BoxAnswer {
    QString title, text;
    int buttons = 0;
    bool icon = true;
    void Arm(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return Arm(button);
            title = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            icon = box->icon() != QMessageBox::NoIcon;
            box->button(button)->click();
        });
    }
};

// Three human seats, player 0 to move with `inHand` on top of his open pile over a 3 of
// spades; player 1's open pile shows a 6 of diamonds, player 2's a 5 of hearts.
void SetUpThree(Rig& r, uint8_t inHand) {
    r.NewGame(3);
    GameInfo& G = r.G();
    for (auto& p : G.Player) {
        ClearDeck(p.CloseDeck);
        ClearDeck(p.OpenDeck);
    }
    for (auto& s : G.SuitDeck)
        ClearDeck(s);
    Put(G.Player[0].OpenDeck, {Card(2, 3), inHand});
    Put(G.Player[0].CloseDeck, {Card(10, 3), Card(11, 3)});
    Put(G.Player[1].OpenDeck, {Card(5, 1)});
    Put(G.Player[1].CloseDeck, {Card(12, 3)});
    Put(G.Player[2].OpenDeck, {Card(4, 2)});
    Put(G.Player[2].CloseDeck, {Card(9, 3)});
    G.CurrentPlayer = 0;
    G.GameState = State::Playing;
    G.ShowTip = false;
    r.w->PaintForm();
}

} // namespace

class TestWindowTable : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(!QApplication::activeModalWidget()); }

    void startsWithoutGameAndCaptionFollowsFileTitle() {
        Rig r;
        QVERIFY(r.ready && r.exposed);
        for (int i = 0; i < layout::MaxSeats; ++i)
            QVERIFY(r.w->fraPlayer(i)->isHidden());
        QVERIFY(r.w->fraSuit()->isHidden() && r.w->picDrag()->isHidden());
        // Two lines of Arial 12 point: roughly 36 pixels at 96 dpi.
        QVERIFY(r.w->LabelHeight() >= 30 && r.w->LabelHeight() <= 44);
        QCOMPARE(r.w->Table()->width(), frmKorvane::InitialClientWidth);
        QCOMPARE(r.w->Table()->palette().color(QPalette::Window), QColor(0, 128, 0));
        QCOMPARE(r.w->windowTitle(), QStringLiteral("Korvane - Palveri Solitaire (v1.00)"));
        r.g.FileTitle = "MYGAME.KVN";
        r.w->SetCaption(false);
        QCOMPARE(r.w->windowTitle(),
                 QStringLiteral("Korvane - Palveri Solitaire (v1.00) - MYGAME.KVN"));
    }

    void menuBar() {
        Rig r;
        const QList<QAction*> menus = r.w->menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("&Game"));
        QCOMPARE(menus[1]->text(), QStringLiteral("&Help"));
        auto items = [](QAction* menu) {
            QStringList out;
            for (QAction* a : menu->menu()->actions())
                out << (a->isSeparator() ? QStringLiteral("-")
                                         : a->text() + "|" + a->shortcut().toString());
            return out;
        };
        QCOMPARE(items(menus[0]),
                 (QStringList{"&New Game|F2", "&Open Game...|F3", "-", "&Save Game|Ctrl+S",
                              "Save Game &AS...|Ctrl+A", "-", "&Deck...|F8", "&Option...|F9", "-",
                              "E&xit|Ctrl+F4"}));
        QCOMPARE(items(menus[1]), (QStringList{"&Index|F1", "-", "&About|"}));
    }

    void newGameLaysOutEverySeat_data() {
        QTest::addColumn<int>("n");
        for (int n = 3; n <= 8; ++n)
            QTest::addRow("%d", n) << n;
    }
    void newGameLaysOutEverySeat() {
        QFETCH(int, n);
        Rig r;
        r.NewGame(n);
        const int L = r.w->LabelHeight();
        const int H = r.w->Table()->height();
        const int top = layout::TopSeats(n);
        for (int i = 0; i < layout::MaxSeats; ++i)
            QCOMPARE(r.w->fraPlayer(i)->isVisible(), i < n);
        for (int i = 0; i < n; ++i) {
            QWidget* fra = r.w->fraPlayer(i);
            QCOMPARE(fra->size(), QSize(166, 120 + L));
            QLabel* lbl = r.w->lblPlayer(i);
            const bool onTop = i < top;
            QCOMPARE(fra->y(), onTop ? 8 : H - fra->height() - 8);
            // Labels face the nearer edge: above the piles on top, below them at the bottom.
            if (onTop)
                QVERIFY(lbl->geometry().bottom() < r.w->picOpenDeck(i)->y());
            else
                QVERIFY(lbl->y() > r.w->picOpenDeck(i)->geometry().bottom());
            QVERIFY(lbl->wordWrap() && (lbl->alignment() & Qt::AlignHCenter));
            QVERIFY(lbl->text().startsWith(QStringLiteral("Seat %1 (").arg(i + 1)));
        }
        // No panel overlaps another or the band.
        const QRect band = r.w->fraSuit()->geometry();
        QCOMPARE(band.height(), 112);
        for (int i = 0; i < n; ++i) {
            QVERIFY(!r.w->fraPlayer(i)->geometry().intersects(band));
            for (int j = i + 1; j < n; ++j)
                QVERIFY(!r.w->fraPlayer(i)->geometry().intersects(r.w->fraPlayer(j)->geometry()));
        }
    }

    void windowSnapsBackToMinimum() {
        Rig r;
        r.NewGame(8);
        const QSize minimum = r.w->MinimumClientSize();
        QCOMPARE(minimum.width(), 704);
        r.w->resize(400, 300);
        QTRY_COMPARE(r.w->Table()->size(), minimum);
        // Wider than needed: every row spreads out again.
        r.w->resize(1000, 700);
        QTRY_VERIFY(r.w->Table()->width() > minimum.width());
        const int gap = r.w->fraPlayer(0)->x();
        QVERIFY(gap > 8);
        QCOMPARE(r.w->fraPlayer(1)->x() - r.w->fraPlayer(0)->geometry().right() - 1, gap);
    }

    void maximisedAndTooSmallEndsTheTable() {
        Rig r;
        // Cards this large leave no screen wide enough for four panels in a row.
        r.g.CardWidth = 400;
        r.NewGame(8);
        r.w->showMaximized();
        QTRY_VERIFY(r.w->notEnoughResolution > 0);
        r.w->Form_Resize();
        QApplication::processEvents();
        QCOMPARE(r.w->notEnoughResolution, 1);
    }

    void labelsShowTurnModeAndTally() {
        Rig r;
        r.NewGame(4, {2});
        r.P(1).Lost = 3;
        r.w->PaintForm();
        const uint8_t c = r.G().CurrentPlayer;
        for (uint8_t i = 0; i < 4; ++i) {
            QLabel* lbl = r.w->lblPlayer(i);
            QCOMPARE(lbl->font().bold(), i == c);
            QCOMPARE(lbl->font().italic(), i == 2);
            const QColor text = lbl->palette().color(QPalette::WindowText);
            if (i == c)
                QCOMPARE(text, QColor(255, 0, 0));
            else
                QCOMPARE(text, QApplication::palette().color(QPalette::ButtonText));
            QString expected = QStringLiteral("Seat %1 (%2)").arg(i + 1).arg(r.P(i).CardsHeld());
            if (i == 1)
                expected += QStringLiteral(" [3]");
            QCOMPARE(lbl->text(), expected);
        }
    }

    // The picture itself: after a seeded deal of 8 with a card played to every open pile, the
    // grab shows table green between the panels, faces on open piles and backs on closed ones.
    void pictureOfEightSeats() {
        Rig r(2024);
        r.NewGame(8);
        for (int i = 0; i < 8; ++i)
            MoveFirstCard(r.P(i).CloseDeck, r.P(i).OpenDeck);
        r.w->PaintForm();
        QApplication::processEvents();

        const QImage img = r.w->Table()->grab().toImage();
        const qreal dpr = img.devicePixelRatio();
        QCOMPARE(img.width(), qRound(r.w->Table()->width() * dpr));
        if (const QByteArray out = qgetenv("KORVANE_SCREENSHOT"); !out.isEmpty())
            r.w->grab().save(QString::fromLocal8Bit(out));

        const QColor green(0, 128, 0);
        const uint8_t c = r.G().CurrentPlayer;
        for (int i = 0; i < 8; ++i) {
            const QPoint closed = r.On(r.w->picCloseDeck(i));
            const QPoint open = r.On(r.w->picOpenDeck(i));
            // The gap between the two piles and the panel's edge are table green.
            QCOMPARE(Pixel(img, closed + QPoint(71 + 4, 48), dpr), green);
            QCOMPARE(Pixel(img, closed + QPoint(-4, 48), dpr), green);
            // A face is white along its left margin; the back (a blue design) is blue.
            const QColor margin = Mean(img, QRect(open + QPoint(4, 36), QSize(4, 24)), dpr);
            QVERIFY2(IsWhite(margin), qPrintable(margin.name()));
            const QColor back = Mean(img, QRect(closed + QPoint(15, 20), QSize(40, 56)), dpr);
            QVERIFY2(back.blue() > back.red() + 40 && back.blue() > back.green() + 40,
                     qPrintable(back.name()));
            if (i == c) {
                // The card in hand lies exactly over the current player's open pile.
                QCOMPARE(r.w->picDrag()->pos(), open);
                QVERIFY(r.w->picDrag()->isVisible());
            }
        }
        // Green between the rows and the band, and on the empty suit piles' surroundings.
        const QRect band = r.w->fraSuit()->geometry();
        QCOMPARE(Pixel(img, QPoint(band.center().x(), band.top() - 3), dpr), green);
        QCOMPARE(Pixel(img, band.topLeft() + QPoint(2, 2), dpr), green);
    }

    void questions() {
        Rig r;
        r.NewGame(3);
        BoxAnswer box;
        box.Arm(QMessageBox::No);
        QVERIFY(!r.w->frmKorvane::AskPlayAgain("Seat 1 lost this game."));
        QCOMPARE(box.title, QStringLiteral("Korvane!!!"));
        QCOMPARE(box.text, QStringLiteral("Seat 1 lost this game.\n\nDo you want to play again?"));
        QCOMPARE(box.buttons, int(QMessageBox::Yes | QMessageBox::No));
        QVERIFY(!box.icon);
        box.Arm(QMessageBox::Yes);
        QVERIFY(r.w->frmKorvane::AskPlayAgain("Nobody lost this game!!!"));

        box.Arm(QMessageBox::Cancel);
        QCOMPARE(r.w->AskSwitchMode(1, true), TableDisplay::Answer::Cancel);
        QCOMPARE(box.title, QStringLiteral("Change to Computer Player Mode"));
        QCOMPARE(box.text, QStringLiteral("Do you want computer to play your game?"));
        QCOMPARE(box.buttons, int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
        box.Arm(QMessageBox::No);
        QCOMPARE(r.w->AskSwitchMode(1, false), TableDisplay::Answer::No);
        QCOMPARE(box.title, QStringLiteral("Change to Manual Player Mode"));
        QCOMPARE(box.text, QStringLiteral("Do you want to play your own game?"));

        // A double click on another seat's label asks and switches it.
        const int other = (r.G().CurrentPlayer + 1) % 3;
        box.Arm(QMessageBox::Yes);
        QTest::mouseDClick(r.w->lblPlayer(other), Qt::LeftButton);
        QVERIFY(r.P(other).Computer);
    }

    // ---- Dragging ----

    void dropOnAHigherRankIsTakenElseTheCardFliesBack() {
        Rig r;
        SetUpThree(r, Card(6, 0));
        PictureBox* pic = r.w->picDrag();
        const QPoint home = r.On(r.w->picOpenDeck(0));
        QCOMPARE(pic->pos(), home);

        // A 7 over a 5: nothing is highlighted, and on release the card flies home.
        Drag(*r.w, r.On(r.w->picOpenDeck(2)) - home + QPoint(5, 5), false);
        QCOMPARE(r.w->OverLap(), Target::None);
        QVERIFY(r.w->picOpenDeck(2)->tag().isEmpty());
        QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(20, 30));
        QCOMPARE(pic->pos(), home);
        QCOMPARE(r.P(2).OpenDeck.Count, uint8_t(1));
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(6, 0));
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));

        // A 7 over a 6 of another suit: highlighted while held, taken on release.
        Drag(*r.w, r.On(r.w->picOpenDeck(1)) - home + QPoint(-6, 4), false);
        QCOMPARE(r.w->OverLap(), uint8_t(Target::FirstOpen + 1));
        QCOMPARE(r.w->picOpenDeck(1)->tag(), QStringLiteral("1"));
        QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(20, 30));
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(2));
        QCOMPARE(r.P(1).OpenDeck.Top(), Card(6, 0));
        QVERIFY(r.w->picOpenDeck(1)->tag().isEmpty());
        // Player 0 goes on with the card beneath, which is now in hand over his pile.
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QCOMPARE(pic->tag(), QString::number(Card(2, 3)));
        QCOMPARE(pic->pos(), home);
    }

    void pressAndReleaseWithoutMovingKeepsTheTurn() {
        Rig r;
        SetUpThree(r, Card(6, 0));
        const QPoint home = r.On(r.w->picOpenDeck(0));
        QTest::mousePress(r.w->picDrag(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(r.w->picDrag(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(r.P(0).OpenDeck.Count, uint8_t(2));
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QCOMPARE(r.G().GameState, State::Playing);
        QCOMPARE(r.w->picDrag()->pos(), home);
        QVERIFY(r.w->picDrag()->isVisible());
        QVERIFY(!r.w->Dragging());
    }

    void movesWithoutAPressDoNothing() {
        Rig r;
        SetUpThree(r, Card(6, 0));
        PictureBox* pic = r.w->picDrag();
        const QPoint home = pic->pos();
        const QPointF to(150, 60);
        QMouseEvent move(QEvent::MouseMove, to, pic->mapToGlobal(to), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(pic, &move);
        QCOMPARE(pic->pos(), home);
        QVERIFY(!r.w->Dragging());
        // Nor does a press while another move is under way.
        {
            GameRules::MoveGuard busy(*r.rules);
            Drag(*r.w, r.On(r.w->picOpenDeck(1)) - home, false);
            QCOMPARE(pic->pos(), home);
            QVERIFY(r.w->picOpenDeck(1)->tag().isEmpty());
            QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(20, 30));
        }
        QCOMPARE(pic->pos(), home);
        QCOMPARE(r.P(0).OpenDeck.Count, uint8_t(2));
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(1));
    }

    void aceOnAnotherSuitsPlaceSwapsThePictures() {
        Rig r;
        SetUpThree(r, Card(0, 2));
        const QPoint place0 = r.On(r.w->picSuit(0));
        const QPoint place2 = r.On(r.w->picSuit(2));
        Drag(*r.w, place0 - r.w->picDrag()->pos() + QPoint(3, -2));
        QCOMPARE(r.G().SuitDeck[2].Count, uint8_t(1));
        QCOMPARE(r.G().SuitDeck[2].Top(), Card(0, 2));
        QVERIFY(r.G().SuitDeck[0].Empty());
        // The ace shows where it was dropped; pile 0 moved to the ace's own place.
        QCOMPARE(r.On(r.w->picSuit(2)), place0);
        QCOMPARE(r.On(r.w->picSuit(0)), place2);
        QVERIFY(r.w->picSuit(0)->tag().isEmpty() && r.w->picSuit(2)->tag().isEmpty());
        // And keeps its place when the window is resized.
        r.w->resize(r.w->width() + 200, r.w->height());
        QTRY_VERIFY(r.w->picSuit(2)->x() < r.w->picSuit(1)->x());
        QVERIFY(r.w->picSuit(0)->x() > r.w->picSuit(1)->x());
    }

    void computerSeatsPlayAfterAHumanDrop() {
        Rig r(11);
        r.NewGame(3, {1, 2});
        // The computer seats ahead of the human have played already; now it is his turn.
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QVERIFY(!r.rules->MoveInProgress());
        if (r.G().GameState != State::Turned)
            QTest::mouseClick(r.w->picCloseDeck(0), Qt::LeftButton);
        QCOMPARE(r.G().GameState, State::Turned);
        const QPoint closed = r.On(r.w->picCloseDeck(0));
        QCOMPARE(r.w->picDrag()->pos(), closed);
        const uint64_t turns = r.rules->Stats().turns;
        const int held1 = r.P(1).CardsHeld(), held2 = r.P(2).CardsHeld();
        const uint64_t moves = r.rules->Stats().moves;

        // The turned card laid on his own open pile passes the turn.
        Drag(*r.w, r.On(r.w->picOpenDeck(0)) - closed);
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QVERIFY(r.rules->Stats().turns >= turns + 3);
        QVERIFY(r.rules->Stats().moves > moves);
        QVERIFY(r.P(1).CardsHeld() != held1 || r.P(2).CardsHeld() != held2 ||
                r.rules->Stats().moves >= moves + 3);
        QVERIFY(r.G().GameState == State::Playing || r.G().GameState == State::PlayedOn);
        QVERIFY(!r.rules->MoveInProgress());
        // The card in hand is the human's again.
        if (!r.P(0).OpenDeck.Empty()) {
            QCOMPARE(r.w->picDrag()->pos(), r.On(r.w->picOpenDeck(0)));
            QCOMPARE(r.w->picDrag()->tag(), QString::number(r.P(0).OpenDeck.Top()));
        }
    }

    void newGameInTheMiddleOfAComputerTurn() {
        Rig r(5);
        int asked = 0;
        r.w->playAgain = [&](const std::string&) { return ++asked, false; };
        bool replaced = false;
        QTimer::singleShot(80, [&] {
            QVERIFY(r.rules->MoveInProgress());
            SetUpThree(r, Card(6, 0));
            replaced = true;
        });
        r.w->players = Seat(4, {0, 1, 2, 3});
        r.g.Game.MoveSpeed = {0, 2};
        r.w->mnGameNew->trigger();
        QVERIFY(replaced);
        QCOMPARE(asked, 0);
        // The computers' driver stopped at once: the new table is exactly as it was laid out.
        QCOMPARE(r.G().PlayerCount, uint8_t(3));
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        const std::array<int, 3> open{2, 1, 1}, closed{2, 1, 1};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(int(r.P(i).OpenDeck.Count), open[i]);
            QCOMPARE(int(r.P(i).CloseDeck.Count), closed[i]);
        }
        for (const CardDeck& pile : r.G().SuitDeck)
            QVERIFY(pile.Empty());
        QVERIFY(!r.rules->MoveInProgress());
        QCOMPARE(r.w->picDrag()->pos(), r.On(r.w->picOpenDeck(0)));
        QVERIFY(r.w->fraPlayer(3)->isHidden());
    }

    void newGameDuringTheDropsFlight() {
        Rig r;
        SetUpThree(r, Card(6, 0));
        r.G().MoveSpeed = {3, 0};
        const QPoint home = r.On(r.w->picOpenDeck(0));
        // Half a card off the pile, so that the drop still has a way to fly.
        Drag(*r.w, r.On(r.w->picOpenDeck(1)) - home + QPoint(35, 40), false);
        QCOMPARE(r.w->OverLap(), uint8_t(Target::FirstOpen + 1));
        bool replaced = false;
        // The new game is laid out like the old one, so a drop carried over would be legal.
        QTimer::singleShot(0, [&] {
            SetUpThree(r, Card(6, 1));
            replaced = true;
        });
        QTest::mouseRelease(r.w->picDrag(), Qt::LeftButton, {}, QPoint(20, 30));
        QVERIFY(replaced);
        // The drop belonged to the old game: nothing of it reaches the new one.
        QCOMPARE(r.P(0).OpenDeck.Count, uint8_t(2));
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(6, 1));
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(1));
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QVERIFY(!r.rules->MoveInProgress());
        QCOMPARE(r.w->picDrag()->pos(), home);
        QCOMPARE(r.w->picDrag()->tag(), QString::number(Card(6, 1)));
    }

    void exposingTheWindowKeepsThePictures() {
        Rig r;
        SetUpThree(r, Card(6, 0));
        const QImage before = r.w->picOpenDeck(1)->image().toImage();
        // The record changes without a repaint: uncovering the window must not show it.
        r.P(1).OpenDeck.Card[0] = Card(12, 3);
        r.w->hide();
        r.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.w.get()));
        r.w->repaint();
        QCOMPARE(r.w->picOpenDeck(1)->image().toImage(), before);
        QCOMPARE(r.w->picDrag()->tag(), QString::number(Card(6, 0)));
    }

    void tipVisitsMarkedPilesAndComesHome() {
        Rig r;
        SetUpThree(r, Card(6, 0));
        r.G().ShowTip = true;
        r.g.FindMoves();
        QVERIFY(r.P(1).CanTake);
        QVERIFY(r.G().MoveAvailable);
        const QPoint home = r.w->picDrag()->pos();
        MoveLog log(r.w->picDrag());
        r.w->GiveTip();
        QVERIFY(log.places.contains(r.On(r.w->picOpenDeck(1))));
        QVERIFY(!log.places.contains(r.On(r.w->picOpenDeck(2))));
        QCOMPARE(r.w->picDrag()->pos(), home);
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(1));
    }

    void cardShowFliesTheSuitCardsOffTheTable() {
        Rig r;
        SetUpThree(r, Card(6, 0));
        Put(r.G().SuitDeck[1], {Card(0, 1), Card(1, 1)});
        r.w->PaintForm();
        const QPoint start = r.On(r.w->picSuit(1));
        r.w->HidePlayerFrames();
        for (int i = 0; i < 3; ++i)
            QVERIFY(r.w->fraPlayer(i)->isHidden());
        MoveLog log(r.w->picDrag());
        // The rules take the card off the pile, then the window flies it.
        CardDeck& pile = r.G().SuitDeck[1];
        pile.Card[--pile.Count] = EmptySlot;
        r.w->CardShowFlight(1, Card(1, 1));
        const QPoint last = log.places.last();
        // The last place is wholly off the table, and the card is gone.
        const QRect table = r.w->Table()->rect();
        QVERIFY(last != start);
        QVERIFY2(!table.intersects(QRect(last, r.w->picDrag()->size())),
                 qPrintable(QStringLiteral("%1,%2").arg(last.x()).arg(last.y())));
        QVERIFY(r.w->picDrag()->isHidden());
        QVERIFY(r.w->picDrag()->tag().isEmpty());
        QCOMPARE(r.On(r.w->picSuit(1)), start);
    }

    void newBackShowsOnEveryClosedPile() {
        Rig r;
        r.NewGame(5);
        QCOMPARE(r.G().DeckBack, FirstBack);
        QTimer::singleShot(0, [] {
            auto* deck = qobject_cast<frmDeck*>(QApplication::activeModalWidget());
            QVERIFY(deck);
            deck->picDeck_Click(3);
            deck->cmdOK_Click();
        });
        r.w->mnGameDeck->trigger();
        QCOMPARE(r.G().DeckBack, uint8_t(FirstBack + 3));
        PictureBox expected;
        expected.setBackground(frmKorvane::TableColour());
        expected.resize(r.w->picCloseDeck(0)->size());
        DrawCard(r.cards, &expected, 0, 0, FirstBack + 3, false);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(r.w->picCloseDeck(i)->image().toImage(), expected.image().toImage());
    }

    void exitEndsTheTable() {
        Rig r;
        r.NewGame(3);
        const uint64_t epoch = r.rules->Epoch();
        r.w->mnGameExit->trigger();
        QVERIFY(!r.w->isVisible());
        QVERIFY(!r.cards.Ready());
        QVERIFY(r.rules->Abandoned(epoch));
    }
};

QTEST_MAIN(TestWindowTable)
#include "tst_window.moc"
