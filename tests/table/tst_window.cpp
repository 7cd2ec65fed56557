// The table window over the real rules and card library, offscreen.
#include "TestWindow.h"
#include "dialogs/frmDeck.h"
#include "movement/DropTarget.h"
#include "table/StatusLine.h"
#include "table/StatusText.h"
#include "table/TableLayout.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace korvane;
using test::Card;
using test::Put;
using test::Rig;

namespace {

// Drags the card in hand by (dx, dy) from a grab point, in two steps like a hand, and lets go.
void Drag(frmKorvane& w, QPoint delta, bool release = true) {
    QWidget* pic = w.picDrag();
    const QPoint grab(20, 30);
    QTest::mousePress(pic, Qt::LeftButton, {}, grab);
    QTest::mouseMove(pic, grab + delta / 2);
    QTest::mouseMove(pic, grab + delta - delta / 2);
    if (release)
        QTest::mouseRelease(pic, Qt::LeftButton, {}, grab);
}

// The mean colour of a logical rectangle of a grab.
// WCAG 2.1 contrast ratio of two colours, 1 to 21.
double Contrast(QColor a, QColor b) {
    const auto luminance = [](QColor c) {
        const auto lin = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Mean(const QImage& img, QRect logical, qreal dpr) {
    const QRect r(QPoint(qRound(logical.x() * dpr), qRound(logical.y() * dpr)),
                  QSize(qRound(logical.width() * dpr), qRound(logical.height() * dpr)));
    return img.copy(r)
        .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .pixelColor(0, 0);
}

// Every place the drag picture is moved to.
struct MoveLog : QObject {
    explicit MoveLog(QWidget* pic) : pic_(pic) { pic_->installEventFilter(this); }
    ~MoveLog() override { pic_->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Move) {
            places.append(pic_->pos());
            if (onMove)
                onMove();
        }
        return false;
    }
    QList<QPoint> places;
    std::function<void()> onMove;
    QWidget* pic_;
};

// Answers the next modal message box with `button` once it is up and keeps its text.
void Answer(QMessageBox::StandardButton button, QString* text = nullptr) {
    QTimer::singleShot(0, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return Answer(button, text);
        // Names are shown as typed: a box never reads them as markup.
        if (text)
            *text = box->windowTitle() + "|" + box->text() +
                    (box->textFormat() == Qt::PlainText ? "" : "|not plain text");
        box->button(button)->click();
    });
}

} // namespace

class TestWindowTable : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(!QApplication::activeModalWidget()); }

    void newGameLaysOutEverySeat_data() {
        QTest::addColumn<int>("n");
        for (int n = MinPlayers; n <= MaxPlayers; ++n)
            QTest::addRow("%d", n) << n;
    }
    void newGameLaysOutEverySeat() {
        QFETCH(int, n);
        Rig r;
        r.NewGame(n);
        const int H = r.w->Table()->height();
        const QRect band = r.w->fraSuit()->geometry();
        for (int i = 0; i < layout::MaxSeats; ++i)
            QCOMPARE(r.w->fraPlayer(i)->isVisible(), i < n);
        for (int i = 0; i < n; ++i) {
            const QRect fra = r.w->fraPlayer(i)->geometry();
            const QRect lbl = r.w->lblPlayer(i)->geometry();
            const QRect open = r.w->picOpenDeck(i)->geometry();
            // Labels face the nearer edge: above the piles on top, below them at the bottom.
            if (i < layout::TopSeats(n))
                QVERIFY(fra.y() == 8 && lbl.bottom() < open.y());
            else
                QVERIFY(fra.y() == H - fra.height() - 8 && lbl.y() > open.bottom());
            QVERIFY(r.w->lblPlayer(i)->text().startsWith(QStringLiteral("Player %1 (").arg(i + 1)));
            QVERIFY(!fra.intersects(band));
            for (int j = i + 1; j < n; ++j)
                QVERIFY(!fra.intersects(r.w->fraPlayer(j)->geometry()));
        }
    }

    void tooSmallAScreenIsReportedOnce() {
        // Cards this large leave no screen wide enough: maximised, the table says so once.
        Rig r;
        r.g.CardWidth = 400;
        r.NewGame(8);
        r.w->showMaximized();
        QTRY_VERIFY(r.w->notEnoughResolution > 0);
        r.w->Form_Resize();
        QApplication::processEvents();
        QCOMPARE(r.w->notEnoughResolution, 1);
    }

    // The table starts empty. Labels: red and bold for the seat to move, slanted for computer
    // seats, with the tally. A double click on another seat asks and switches its mode.
    void labelsAndTheirQuestions() {
        Rig r;
        QVERIFY(r.ready && r.exposed);
        QVERIFY(r.w->fraPlayer(0)->isHidden() && r.w->fraSuit()->isHidden());
        QCOMPARE(r.w->windowTitle(), QStringLiteral("Korvane - Palveri Solitaire (v1.00)"));
        r.NewGame(4, {2});
        r.P(1).Lost = 3;
        r.w->PaintForm();
        // A new title reaches the caption alone: the labels keep their tallies.
        r.g.FileTitle = "SAVED.KVN";
        r.w->UpdateCaption();
        QCOMPARE(r.w->windowTitle(),
                 QStringLiteral("Korvane - Palveri Solitaire (v1.00) - SAVED.KVN"));
        const uint8_t c = r.G().CurrentPlayer;
        for (uint8_t i = 0; i < 4; ++i) {
            QLabel* lbl = r.w->lblPlayer(i);
            QCOMPARE(lbl->font().bold(), i == c);
            QCOMPARE(lbl->font().italic(), i == 2);
            QCOMPARE(lbl->palette().color(QPalette::WindowText),
                     i == c ? QColor(255, 0, 0)
                            : QApplication::palette().color(QPalette::ButtonText));
            QCOMPARE(lbl->text(),
                     QStringLiteral("Player %1 (%2)").arg(i + 1).arg(r.P(i).CardsHeld()) +
                         (i == 1 ? QStringLiteral(" [3]") : QString()));
            QCOMPARE(lbl->textFormat(), Qt::PlainText);
        }
        const int other = c == 1 ? 3 : 1;
        // Whose turn it is shows in grey alone, and the red name reads on what lies behind it:
        // at least 3:1 both ways, as large text needs (WCAG 2.1).
        const auto ground = [&](int seat) {
            return r.w->lblPlayer(seat)->grab().toImage().pixelColor(1, 1);
        };
        QColor ink = ground(c);
        const QImage current = r.w->lblPlayer(c)->grab().toImage();
        for (int y = 0; y < current.height(); ++y)
            for (int x = 0; x < current.width(); ++x)
                if (const QColor p = current.pixelColor(x, y);
                    p.red() - p.green() > ink.red() - ink.green())
                    ink = p;
        QVERIFY2(Contrast(ink, ground(c)) >= 3.0,
                 qPrintable(ink.name() + " on " + ground(c).name()));
        QVERIFY2(Contrast(ground(c), ground(other)) >= 3.0, qPrintable(ground(c).name()));
        QString asked;
        Answer(QMessageBox::Yes, &asked);
        QTest::mouseDClick(r.w->lblPlayer(other), Qt::LeftButton);
        QCOMPARE(asked, QStringLiteral("Change to Computer Player Mode|"
                                       "Do you want computer to play your game?"));
        QVERIFY(r.P(other).Computer);
    }

    // A seeded deal of 8 with a card played to every open pile: table green between the
    // panels, faces on open piles and backs on closed ones.
    void pictureOfEightSeats() {
        Rig r(2024);
        r.NewGame(8);
        for (int i = 0; i < 8; ++i)
            MoveFirstCard(r.P(i).CloseDeck, r.P(i).OpenDeck);
        r.w->PaintForm();
        QApplication::processEvents();

        const QImage img = r.w->Table()->grab().toImage();
        const qreal dpr = img.devicePixelRatio();
        if (const QByteArray out = qgetenv("KORVANE_SCREENSHOT"); !out.isEmpty())
            r.w->grab().save(QString::fromLocal8Bit(out));
        const QColor green(0, 128, 0);
        auto pixel = [&](QPoint p) {
            return img.pixelColor(qRound(p.x() * dpr), qRound(p.y() * dpr));
        };
        for (int i = 0; i < 8; ++i) {
            const QPoint closed = r.On(r.w->picCloseDeck(i));
            const QPoint open = r.Open(i);
            // The person's own piles carry the focus frame.
            if (i != r.w->FocusedPile().index) {
                QCOMPARE(pixel(closed + QPoint(71 + 4, 48)), green);
                QCOMPARE(pixel(closed + QPoint(-4, 48)), green);
            }
            // A face is white along its left margin; the back (a blue design) is blue.
            const QColor margin = Mean(img, QRect(open + QPoint(4, 36), QSize(4, 24)), dpr);
            QVERIFY2(margin.red() > 235 && margin.green() > 235 && margin.blue() > 235,
                     qPrintable(margin.name()));
            const QColor back = Mean(img, QRect(closed + QPoint(15, 20), QSize(40, 56)), dpr);
            QVERIFY2(back.blue() > back.red() + 40 && back.blue() > back.green() + 40,
                     qPrintable(back.name()));
        }
        // The card in hand lies exactly over the current player's open pile.
        QCOMPARE(r.w->picDrag()->pos(), r.Open(r.G().CurrentPlayer));
        QVERIFY(r.w->picDrag()->isVisible());
        const QRect band = r.w->fraSuit()->geometry();
        QCOMPARE(pixel(QPoint(band.center().x(), band.top() - 3)), green);
    }

    // ---- Zoom ----

    // At zoom 2 every card, gap and the labels' font are twice as large, the layout and the
    // minimum follow, and so does a flight's step; Actual Size brings back the table exactly.
    void zoomScalesTheTableAndItsMinimum() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        const int L = r.w->LabelHeight();
        const QSize minimum = r.w->MinimumClientSize();
        auto flightBack = [&](QPoint delta) {
            MoveLog log(r.w->picDrag());
            Drag(*r.w, delta);
            return log.places.size();
        };
        const qsizetype steps = flightBack({0, 120});

        r.w->SetZoom(2);
        const int L2 = r.w->LabelHeight();
        QVERIFY2(L2 >= 2 * L - 4 && L2 <= 2 * L + 4, qPrintable(QString::number(L2)));
        QCOMPARE(r.w->fraPlayer(0)->size(), QSize(2 * 142 + 3 * 16, 192 + 3 * 16 + L2));
        QCOMPARE(r.w->picOpenDeck(0)->geometry(), QRect(142 + 2 * 16, 16 + L2 + 16, 142, 192));
        QCOMPARE(r.w->fraSuit()->height(), 192 + 2 * 16);
        QCOMPARE(r.w->picSuit(0)->size(), QSize(142, 192));
        const QSize m(2 * 332 + 3 * 16, 2 * (240 + L2) + 224 + 4 * 16);
        QCOMPARE(r.w->MinimumClientSize(), m);
        QVERIFY(r.w->Table()->width() >= m.width() && r.w->Table()->height() >= m.height());
        QCOMPARE(r.w->picDrag()->pos(), r.Open(0));
        QVERIFY(r.w->lblPlayer(0)->font().bold() && !r.w->lblPlayer(1)->font().bold());
        // Twice the way at twice the size: as many steps.
        QCOMPARE(flightBack({0, 240}), steps);

        r.w->Menu().mnViewActualSize->trigger();
        QCOMPARE(r.w->LabelHeight(), L);
        QCOMPARE(r.w->picOpenDeck(0)->geometry(), QRect(87, 8 + L + 8, 71, 96));
        QCOMPARE(r.w->MinimumClientSize(), minimum);
    }

    // Zoom In acts only while the next step's table fits the screen, and says why when it
    // cannot; Zoom Out stops at the smallest step. Players, zoom and screen decide it.
    void zoomAtTheScreensEdge() {
        Rig r;
        r.NewGame(8);
        QAction* in = r.w->Menu().mnViewZoomIn;
        QAction* out = r.w->Menu().mnViewZoomOut;
        r.w->SetZoom(1.25);
        const QSize next = r.w->MinimumClientSize();
        r.w->SetZoom(1);
        const QSize around = r.w->frameGeometry().size() - r.w->Table()->size();
        for (const QSize less : {QSize(0, 1), QSize(1, 0)}) {
            r.w->screenRoom = around + next - less;
            r.w->Form_Resize();
            QVERIFY(!in->isEnabled() && in->toolTip().contains(QStringLiteral("no room")));
            r.w->StepZoom(1);
            QCOMPARE(r.w->Zoom(), 1.0);
        }
        // Fewer seats leave room for the step: three are narrower.
        r.NewGame(3);
        QVERIFY(in->isEnabled());
        r.NewGame(8);
        r.w->screenRoom = around + next;
        r.w->Form_Resize();
        QVERIFY(in->isEnabled() && in->toolTip() == QStringLiteral("Zoom In"));
        in->trigger();
        QCOMPARE(r.w->Zoom(), 1.25);
        QCOMPARE(r.w->frameGeometry().size(), around + next);
        QVERIFY(!in->isEnabled());
        for (int k = 0; k < 3; ++k)
            out->trigger();
        QCOMPARE(r.w->Zoom(), layout::MinZoom);
        QVERIFY(!out->isEnabled() && in->isEnabled());
        QCOMPARE(r.w->notEnoughResolution, 0);
    }

    // A maximised window too small for the table and the status line together gives the line's
    // room to the table, and shows the line again once the table needs less. Zoom steps both
    // ways, so that every step can be undone.
    void aMaximisedWindowHidesTheStatusLineBeforeTheTable() {
        Rig r;
        r.NewGame(3);
        r.w->showMaximized();
        QTRY_COMPARE(r.w->frameGeometry(), r.w->screen()->availableGeometry());
        QStatusBar* bar = r.w->statusBar();
        QTRY_VERIFY(bar->isVisible());
        const int room = r.w->Table()->height() + bar->height();
        // Cards as tall as make the table at zoom 1 too tall for the line, not for the room.
        r.g.CardHeight =
            (room - bar->height() / 2 - 12 * layout::Spacing - 2 * r.w->LabelHeight()) / 3;
        r.w->Menu().mnViewZoomOut->trigger();
        QVERIFY(bar->isVisible());
        r.w->Menu().mnViewZoomIn->trigger();
        QCOMPARE(r.w->Zoom(), 1.0);
        QVERIFY(bar->isHidden());
        QCOMPARE(r.w->notEnoughResolution, 0);
        QTRY_COMPARE(r.w->Table()->height(), room);
        const QSize m = r.w->MinimumClientSize();
        QVERIFY(m.height() > room - bar->sizeHint().height() && m.height() <= room);
        const QRect lowest = r.w->fraPlayer(2)->geometry();
        QVERIFY(lowest.bottom() < room && !lowest.intersects(r.w->fraSuit()->geometry()));
        r.w->Menu().mnViewZoomOut->trigger();
        QTRY_VERIFY(bar->isVisible());
        QTRY_COMPARE(r.w->Table()->height(), room - bar->height());
    }

    // At the smallest zoom the labels keep a legible font, and the panels make room for it.
    void labelsStayLegibleAtTheSmallestZoom() {
        Rig r;
        r.NewGame(8);
        r.w->SetZoom(layout::MinZoom);
        for (int i : {0, 7}) {
            const QLabel* label = r.w->lblPlayer(i);
            QVERIFY2(QFontInfo(label->font()).pixelSize() >= 10,
                     qPrintable(QString::number(QFontInfo(label->font()).pixelSize())));
            const QRect text = QFontMetrics(label->font())
                                   .boundingRect(label->rect(), Qt::TextWordWrap, label->text());
            QVERIFY(text.height() <= label->height());
            QVERIFY(!label->geometry().intersects(r.w->picOpenDeck(i)->geometry()));
        }
    }

    // Cards at zoom 2 come from the drawing at that size, at the screen's scale too: the
    // pixels of a card twice as large are those of the card drawn for a screen twice as fine.
    void crispCardsAtZoomTwo() {
        Rig r(2024);
        r.NewGame(4);
        for (int i = 0; i < 4; ++i)
            MoveFirstCard(r.P(i).CloseDeck, r.P(i).OpenDeck);
        r.w->SetZoom(2);
        r.w->PaintForm();
        const int other = (r.G().CurrentPlayer + 1) % 4;
        PictureBox* pic = r.w->picOpenDeck(other);
        const qreal dpr = pic->devicePixelRatioF();
        QImage stored = pic->image().toImage().convertToFormat(QImage::Format_RGB32);
        stored.setDevicePixelRatio(1);
        QCOMPARE(stored.size(), QSize(142, 192) * dpr);
        QImage expected(stored.size(), QImage::Format_RGB32);
        expected.fill(frmKorvane::TableColour());
        QPainter p(&expected);
        QImage fine = r.cards.Image(r.P(other).OpenDeck.Top(), 0, Qt::white, 2 * dpr).toImage();
        fine.setDevicePixelRatio(1);
        p.drawImage(0, 0, fine);
        p.end();
        QCOMPARE(stored, expected);
        QImage shown = r.w->Table()->grab(QRect(r.Open(other), QSize(142, 192))).toImage();
        shown.setDevicePixelRatio(1);
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), stored);
    }

    // Fit to Window takes the largest zoom whose table fits and follows the window's size;
    // choosing a size by hand ends it.
    void fitToWindowFollowsResizes() {
        Rig r;
        r.NewGame(3);
        r.w->Menu().mnViewFit->trigger();
        QVERIFY(r.w->FitsToWindow());
        for (QSize client : {QSize(1300, 1000), QSize(1000, 1200), QSize(300, 400)}) {
            r.w->resize(client + r.w->size() - r.w->Table()->size());
            QApplication::processEvents();
            const QSize table = r.w->Table()->size();
            const QSize m = r.w->MinimumClientSize();
            QVERIFY(m.width() <= table.width() && m.height() <= table.height());
            // The next hundredth would not fit: one side is nearly full.
            const int slack = std::min(table.width() - m.width(), table.height() - m.height());
            QVERIFY2(slack <= 20,
                     qPrintable(QStringLiteral("%1 at %2").arg(slack).arg(r.w->Zoom())));
        }
        QVERIFY(r.w->Zoom() < 1);
        r.w->Menu().mnViewActualSize->trigger();
        QVERIFY(!r.w->FitsToWindow() && !r.w->Menu().mnViewFit->isChecked());
        QCOMPARE(r.w->Zoom(), 1.0);
    }

    // The status line below the table always says what is going on: no game, whose turn and
    // what a person may do, why a person was just given a penalty (until his next action, while
    // the place he overlooked carries the drop highlight as the penalty cards fly), and how the
    // game ended. Which mistake a penalty is for, and where the card could have gone, are the
    // rules' to say: the per-turn charge is tested with them.
    // The line grows to show all it has to say rather than cut a penalty's explanation off, and
    // gives the room back once it has less to say.
    void statusLineGrowsRatherThanCutsOff() {
        QStatusBar bar;
        const GameInfo game = test::MidGame(3);
        const SeatRoles roles;
        StatusLine line(bar, game, roles);
        bar.resize(300, 40);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QLabel* label = line.Label();
        const int four = label->height();
        std::string many;
        for (int i = 0; i < 60; ++i)
            many += "word ";
        line.Refuse(many);
        QVERIFY2(label->height() > four, qPrintable(QString::number(label->height())));
        QVERIFY(label->height() >=
                label->fontMetrics()
                    .boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text())
                    .height());
        line.Refuse({});
        QCOMPARE(label->height(), four);
    }

    // Why a key did nothing is said for the turn it was pressed in; a turn that passes without
    // the person's input (the computer's, or a player's at another computer) takes it away.
    void keyRefusalGoesWithItsTurn() {
        QStatusBar bar;
        GameInfo game = test::MidGame(3);
        const SeatRoles roles;
        StatusLine line(bar, game, roles);
        line.Refuse("Wait your turn.");
        line.Refresh();
        QVERIFY(line.Label()->text().contains(QStringLiteral("Wait your turn.")));
        game.CurrentPlayer = static_cast<uint8_t>((game.CurrentPlayer + 1) % 3);
        line.Refresh();
        QVERIFY(!line.Label()->text().contains(QStringLiteral("Wait your turn.")));
    }

    void statusLineThroughAGame() {
        Rig r;
        auto status = [&] { return r.w->lblStatus()->text(); };
        QCOMPARE(status(), QStringLiteral("No game on the table. Start one with Game > New Game "
                                          "(F2)."));
        QVERIFY(r.w->lblPlayer(0)->toolTip().contains(QStringLiteral("[n]: the games")));

        QStringList computerTurns;
        QList<Pile> marked;
        QStringList told;
        QImage markedPicture;
        r.w->duringFlight = [&] {
            if (r.G().GameState != State::Penalty)
                return computerTurns.append(status());
            marked << r.w->HighlightedPile();
            told << status().section('\n', 1);
            markedPicture = r.w->picOpenDeck(marked.back().index)->image().toImage();
        };
        const QString given = QStringLiteral(" 2 cards were handed over to you.");
        const QString giving = QStringLiteral(" 2 cards are being handed over to you.");
        r.SetUpThree(Card(6, 0));
        // With the tips off the line names no place: finding them is the player's task.
        QCOMPARE(status(), QStringLiteral("Player 1's turn: drag the 7 of clubs where it fits, or "
                                          "move the frame there with Tab or the arrow keys and "
                                          "press Enter; if it fits nowhere, click your face-down "
                                          "pile or press Enter on it to turn up a card."));
        // Mistake 1: the 7 of clubs could have gone onto seat 2's 6 of diamonds.
        QTest::mouseClick(r.w->picCloseDeck(0), Qt::LeftButton);
        const QString one = QStringLiteral("Penalty for Player 1: you turned up a card, but the 7 "
                                           "of clubs on your open pile could have gone onto "
                                           "Player 2's 6 of diamonds.");
        QCOMPARE(status(),
                 QStringLiteral("Player 1's turn: you turned up the Jack of spades. Drag it "
                                "where it fits, or move the frame there with Tab or the arrow "
                                "keys and press Enter; if it fits nowhere, lay it on your own "
                                "open pile the same way.\n") +
                     one + given);
        QCOMPARE(told, QStringList({one + giving, one + giving}));
        QCOMPARE(marked, QList<Pile>({Pile::Open(1), Pile::Open(1)}));
        QVERIFY(r.w->HighlightedPile().IsNone());
        QVERIFY(r.w->picOpenDeck(1)->image().toImage() != markedPicture);
        // It stays until his next action, here laying the turned card on his own pile; then
        // the computer's turn is told.
        r.P(1).Computer = true;
        Drag(*r.w, r.Open(0) - r.On(r.w->picCloseDeck(0)));
        QVERIFY(!status().contains(QStringLiteral("Penalty")));
        QVERIFY(computerTurns.contains(QStringLiteral("Player 2's turn (computer).")));

        // The 6 of clubs turned and laid on his own pile: it could have gone onto the 5 of hearts.
        r.SetUpThree(Card(2, 0));
        Put(r.P(0).CloseDeck, {Card(5, 0), Card(11, 3)});
        r.w->PaintForm();
        marked.clear();
        told.clear();
        QTest::mouseClick(r.w->picCloseDeck(0), Qt::LeftButton);
        QVERIFY(told.isEmpty() && !status().contains(QStringLiteral("Penalty")));
        Drag(*r.w, r.Open(0) - r.On(r.w->picCloseDeck(0)) + QPoint(3, 3));
        const QString two = QStringLiteral("Penalty for Player 1: you laid the 6 of clubs on your "
                                           "own pile, but it could have gone onto Player 3's 5 of "
                                           "hearts.");
        QCOMPARE(told, QStringList({two + giving, two + giving}));
        QCOMPARE(marked.front(), Pile::Open(2));
        QVERIFY(status().endsWith(two + given));
        // Nobody is left to read it once the computer plays the seat.
        r.P(0).Computer = true;
        r.w->PrintLabel(0);
        QVERIFY(!status().contains(QStringLiteral("Penalty")));

        QString asked;
        r.w->playAgain = [&](const std::string&) { return asked = status(), false; };
        const QString over = QStringLiteral("Game over: Player %1 lost this game. Start another "
                                            "with Game > New Game (F2).")
                                 .arg(r.G().CurrentPlayer + 1);
        r.rules->FinishGame();
        QCOMPARE(asked, over);
        QCOMPARE(status(), over);
    }

    // With the tips on, the hint for the card in hand names exactly the kinds of place the move
    // finder marks for it, for every rank, suit pile, other open piles (a 2 over an Ace, the last
    // player alone at the table) and own pile beneath it; with them off it names none. Either way
    // it offers the way the person last played first.
    void hintsNameOnlyPlacesThatTakeTheCard() {
        mdlGlobal m(FixedSeed(1));
        GameInfo& g = m.Game;
        int cases = 0;
        for (int rank = 0; rank < 13; ++rank) {
            const int suit = rank % SuitPiles;
            const uint8_t card = Card(rank, suit);
            for (int built : {-1, rank - 2, rank - 1})    // its suit pile up to that rank
                for (int shown : {-1, 0, rank - 1, rank}) // player 2's open top (-1: all out)
                    for (bool turned : {false, true})
                        for (bool tips : {false, true})
                            for (auto input : {status::Input::Mouse, status::Input::Keys}) {
                                if (built < -1 || shown < -1)
                                    continue;
                                test::SeatPlayers(g, 3, {0, 1, 2});
                                g.SuitDeck = {};
                                for (int k = 0; k <= built; ++k)
                                    g.SuitDeck[suit].Card[g.SuitDeck[suit].Count++] = Card(k, suit);
                                for (int p : {1, 2}) {
                                    g.Player[p].OpenDeck = g.Player[p].CloseDeck = {};
                                    if (shown >= 0)
                                        Put(g.Player[p].CloseDeck, {Card(12, 3)});
                                }
                                if (shown >= 0)
                                    Put(g.Player[1].OpenDeck, {Card(shown, (suit + 1) % 4)});
                                // His own pile beneath the card would take it were it another's.
                                const uint8_t below = Card(std::max(rank - 1, 0), (suit + 2) % 4);
                                Put(g.Player[0].OpenDeck,
                                    turned ? std::initializer_list<int>{below}
                                           : std::initializer_list<int>{below, card});
                                Put(g.Player[0].CloseDeck, {turned ? card : Card(12, 0)});
                                g.CurrentPlayer = 0;
                                g.GameState = turned ? State::Turned : State::Playing;
                                g.ShowTip = tips;
                                m.FindMoves();
                                const bool suitMarked =
                                    std::any_of(g.SuitCanTake.begin(), g.SuitCanTake.end(),
                                                [](Bool16 b) { return bool(b); });
                                const bool openMarked = std::any_of(
                                    g.Player.begin(), g.Player.end(),
                                    [](const PlayerInfo& p) { return bool(p.CanTake); });
                                const QString line =
                                    QString::fromLatin1(status::TurnLine(g, {}, input));
                                const auto says = [&](const char* s) { return line.contains(s); };
                                const QString why = QStringLiteral("rank %1 built %2 shown %3: %4")
                                                        .arg(rank)
                                                        .arg(built)
                                                        .arg(shown)
                                                        .arg(line);
                                const bool fits = tips && (suitMarked || openMarked);
                                QVERIFY2(says("suit pile") == (tips && suitMarked),
                                         qPrintable(why));
                                QVERIFY2(says("another player's") == (tips && openMarked),
                                         qPrintable(why));
                                QVERIFY2(says("where it fits") == !tips, qPrintable(why));
                                // Turning up or laying down is offered only when it is no mistake.
                                QVERIFY2(says(turned ? "your own open pile" : "face-down pile") ==
                                             !fits,
                                         qPrintable(why));
                                const auto enter = line.indexOf("Enter");
                                const auto mouse = line.indexOf(
                                    QRegularExpression(QStringLiteral("\\b(click|drag)"),
                                                       QRegularExpression::CaseInsensitiveOption));
                                QVERIFY2(enter >= 0 && mouse >= 0 &&
                                             (enter < mouse) == (input == status::Input::Keys),
                                         qPrintable(why));
                                ++cases;
                            }
        }
        QCOMPARE(cases, 1216);
        // The wording in full for a 7 that fits another player's 6, either way.
        test::SeatPlayers(g, 3, {0, 1, 2});
        g.SuitDeck = {};
        Put(g.Player[0].OpenDeck, {Card(6, 0)});
        Put(g.Player[1].OpenDeck, {Card(5, 1)});
        g.GameState = State::Playing;
        g.ShowTip = true;
        QCOMPARE(status::TurnLine(g, {}),
                 "Player 1's turn: drag the 7 of clubs onto another player's 6, or move the "
                 "frame there with Tab or the arrow keys and press Enter.");
        QCOMPARE(status::TurnLine(g, {}, status::Input::Keys),
                 "Player 1's turn: play the 7 of clubs onto another player's 6 by moving the "
                 "frame there with Tab or the arrow keys and pressing Enter, or drag it there.");
    }

    // ---- Dragging ----

    void dropOnAHigherRankIsTakenElseTheCardFliesBack() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        PictureBox* pic = r.w->picDrag();
        const QPoint home = r.Open(0);

        // A 7 over a 5: nothing is highlighted, and on release the card flies home.
        Drag(*r.w, r.Open(2) - home + QPoint(5, 5), false);
        QCOMPARE(r.w->OverLap(), Pile::None());
        QVERIFY(r.w->HighlightedPile().IsNone());
        QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(20, 30));
        QCOMPARE(pic->pos(), home);
        QCOMPARE(r.P(2).OpenDeck.Count, uint8_t(1));
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(6, 0));

        // A 7 over a 6 of another suit: highlighted while held, taken on release.
        Drag(*r.w, r.Open(1) - home + QPoint(-6, 4), false);
        QCOMPARE(r.w->OverLap(), Pile::Open(1));
        QCOMPARE(r.w->HighlightedPile(), Pile::Open(1));
        QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(20, 30));
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(2));
        QCOMPARE(r.P(1).OpenDeck.Top(), Card(6, 0));
        QVERIFY(r.w->HighlightedPile().IsNone());
        // Player 0 goes on with the card beneath, which is now in hand over his pile.
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QCOMPARE(r.w->DragCode(), Card(2, 3));
        QCOMPARE(pic->pos(), home);
    }

    // A click without moving, moves without a press, and a press while another move is under
    // way: none of them is a drop.
    void gesturesThatAreNoDrop() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        PictureBox* pic = r.w->picDrag();
        const QPoint home = pic->pos();
        QTest::mousePress(pic, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(r.G().GameState, State::Playing);
        QVERIFY(pic->isVisible() && !r.w->Dragging());
        const QPointF to(150, 60);
        QMouseEvent move(QEvent::MouseMove, to, pic->mapToGlobal(to), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(pic, &move);
        QCOMPARE(pic->pos(), home);
        QVERIFY(!r.w->Dragging());
        // The tip is a move under way: the card cannot be taken while it runs.
        int tips = 0;
        r.w->duringTip = [&] {
            ++tips;
            QVERIFY(r.rules->MoveInProgress());
            Drag(*r.w, r.Open(1) - home, false);
            QCOMPARE(pic->pos(), home);
            QVERIFY(r.w->HighlightedPile().IsNone());
            QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(20, 30));
        };
        r.rules->picTurn_GotFocus();
        r.w->duringTip = nullptr;
        QCOMPARE(tips, 1);
        QCOMPARE(pic->pos(), home);
        QCOMPARE(r.P(0).OpenDeck.Count, uint8_t(2));
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(1));
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
    }

    void aceOnAnotherSuitsPlaceSwapsThePictures() {
        Rig r;
        r.SetUpThree(Card(0, 2));
        const QPoint place0 = r.On(r.w->picSuit(0));
        const QPoint place2 = r.On(r.w->picSuit(2));
        Drag(*r.w, place0 - r.w->picDrag()->pos() + QPoint(3, -2));
        QCOMPARE(r.G().SuitDeck[2].Top(), Card(0, 2));
        QVERIFY(r.G().SuitDeck[0].Empty());
        // The ace shows where it was dropped; pile 0 moved to the ace's own place.
        QCOMPARE(r.On(r.w->picSuit(2)), place0);
        QCOMPARE(r.On(r.w->picSuit(0)), place2);
        QVERIFY(r.w->HighlightedPile().IsNone());
        // And keeps its place when the caption changes (Save As) and the window is resized.
        r.w->UpdateCaption();
        r.w->resize(r.w->width() + 200, r.w->height());
        QTRY_VERIFY(r.w->picSuit(2)->x() < r.w->picSuit(1)->x());
        QVERIFY(r.w->picSuit(0)->x() > r.w->picSuit(1)->x());
    }

    // A game saved with a turned card opens with that card in hand over the closed pile, on an
    // empty table or over a game with another card in hand, and a person plays it. A file with
    // no game opens to an empty table.
    void openedGameHasItsTurnedCardInHand() {
        for (const bool overAGame : {false, true}) {
            Rig r;
            if (overAGame) {
                r.SetUpThree(Card(12, 3));
                Drag(*r.w, QPoint(40, -60), false); // the King is being dragged
            }
            // Seat 1's first closed card, the 3 of diamonds, is the turned card in hand.
            GameInfo saved = test::MidGame(3);
            saved.CurrentPlayer = 1;
            saved.GameState = State::Turned;
            saved.MoveSpeed = {0, 0};
            r.rules->OpenGame(saved);
            QVERIFY(!r.w->Dragging() && r.w->HighlightedPile().IsNone());
            QVERIFY(r.w->picDrag()->isVisible());
            QCOMPARE(r.w->DragCode(), Card(2, 1));
            const QPoint closed = r.On(r.w->picCloseDeck(1));
            QCOMPARE(r.w->picDrag()->pos(), closed);
            Drag(*r.w, r.On(r.w->picSuit(1)) - closed);
            QCOMPARE(r.G().SuitDeck[1].Top(), Card(2, 1));
            QCOMPARE(r.rules->Stats().penalties, 0u);

            r.rules->OpenGame(GameInfo{});
            QVERIFY(r.w->fraSuit()->isHidden() && r.w->picDrag()->isHidden());
            QVERIFY(r.w->fraPlayer(0)->isHidden());
        }
    }

    // A screen reader finds every seat and pile by name and value, and hears each flight and
    // each change of the status line as it happens.
    void screenReaderReadsTheTable() {
        Rig r(11);
        auto text = [](QObject* o, QAccessible::Text t) {
            QAccessibleInterface* i = QAccessible::queryAccessibleInterface(o);
            return i != nullptr ? i->text(t) : QStringLiteral("(nothing)");
        };
        QStatusBar* events = r.w->statusBar();
        r.NewGame(3, {1, 2});
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        const QStringList suits{"Clubs", "Diamonds", "Hearts", "Spades"};
        for (uint8_t s = 0; s < 4; ++s) {
            QCOMPARE(text(r.w->picSuit(s), QAccessible::Name), suits[s]);
            QCOMPARE(text(r.w->picSuit(s), QAccessible::Value), QStringLiteral("empty"));
        }
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(text(r.w->lblPlayer(i), QAccessible::Name),
                     QStringLiteral("Player %1, %2, %3 cards, no games lost")
                         .arg(i + 1)
                         .arg(i == 0 ? "person" : "computer")
                         .arg(r.P(i).CardsHeld()));
            QCOMPARE(text(r.w->picCloseDeck(i), QAccessible::Name),
                     QStringLiteral("Player %1's closed pile").arg(i + 1));
            QCOMPARE(text(r.w->picCloseDeck(i), QAccessible::Value),
                     QStringLiteral("%1 cards").arg(r.P(i).CloseDeck.Count));
        }

        // A person turns a card and lays it on his own pile: he hears both, and the piles read
        // anew.
        QTest::mouseClick(r.w->picCloseDeck(0), Qt::LeftButton);
        QCOMPARE(r.G().GameState, State::Turned);
        const QString turned = QStringLiteral("King of hearts"); // the deal of seed 11
        QCOMPARE(text(r.w->picDrag(), QAccessible::Name), QStringLiteral("Card in hand"));
        QCOMPARE(text(r.w->picDrag(), QAccessible::Value), turned);
        QVERIFY(text(events, QAccessible::Description).contains("you turned up the " + turned));
        QStringList heard; // what is said while a card is in the air
        MoveLog log(r.w->picDrag());
        log.onMove = [&] {
            if (const QString now = text(events, QAccessible::Description);
                heard.value(heard.size() - 1) != now)
                heard << now;
        };
        Drag(*r.w, r.Open(0) - r.On(r.w->picCloseDeck(0)) + QPoint(3, 3));
        QVERIFY(heard.contains("Player 1 plays the " + turned + " onto his own open pile."));
        QVERIFY(!heard.filter(QRegularExpression("^Player 2 plays the .+ onto .+\\.$")).isEmpty());
        QCOMPARE(text(r.w->picOpenDeck(0), QAccessible::Value), turned);
        // The computers played after the drop and the turn came back: his top card in hand.
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QVERIFY(!r.rules->MoveInProgress());
        QCOMPARE(r.w->picDrag()->pos(), r.Open(0));
        QCOMPARE(r.w->DragCode(), r.P(0).OpenDeck.Top());

        r.rules->FinishGame();
        QVERIFY(text(events, QAccessible::Description).startsWith(QStringLiteral("Game over: ")));
    }

    void newGameDuringTheDropsFlight() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        r.G().MoveSpeed = {3, 0};
        const QPoint home = r.Open(0);
        // Half a card off the pile, so that the drop still has a way to fly.
        Drag(*r.w, r.Open(1) - home + QPoint(35, 40), false);
        QCOMPARE(r.w->OverLap(), Pile::Open(1));
        bool replaced = false;
        // The new game is laid out like the old one, so a drop carried over would be legal.
        QTimer::singleShot(0, [&] {
            r.SetUpThree(Card(6, 1));
            replaced = true;
        });
        QTest::mouseRelease(r.w->picDrag(), Qt::LeftButton, {}, QPoint(20, 30));
        QVERIFY(replaced);
        QCOMPARE(r.P(0).OpenDeck.Count, uint8_t(2));
        QCOMPARE(r.P(0).OpenDeck.Top(), Card(6, 1));
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(1));
        QCOMPARE(r.G().CurrentPlayer, uint8_t(0));
        QVERIFY(!r.rules->MoveInProgress());
        QCOMPARE(r.w->picDrag()->pos(), home);
        QCOMPARE(r.w->DragCode(), Card(6, 1));
    }

    // Exposure shows the stored pictures, the tip visits only a marked pile and comes home,
    // and the card show flies the suit cards off the table.
    void exposureTipAndCardShow() {
        Rig r;
        r.SetUpThree(Card(6, 0));
        const QImage before = r.w->picOpenDeck(1)->image().toImage();
        // The record changes without a repaint: uncovering the window must not show it.
        r.P(1).OpenDeck.Card[0] = Card(12, 3);
        r.w->hide();
        r.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.w.get()));
        r.w->repaint();
        QCOMPARE(r.w->picOpenDeck(1)->image().toImage(), before);
        QCOMPARE(r.w->DragCode(), Card(6, 0));
        r.P(1).OpenDeck.Card[0] = Card(5, 1);

        r.G().ShowTip = true;
        r.g.FindMoves();
        const QPoint home = r.w->picDrag()->pos();
        // The card rests on the pile it shows, drawn highlighted, for the hold's time.
        uint32_t now = 0, markedFrom = 0, markedTo = 0;
        {
            MoveLog log(r.w->picDrag());
            r.w->SetFlightClock([&] {
                now += 50;
                if (r.w->picDrag()->pos() == r.Open(1) && r.w->HighlightedPile() == Pile::Open(1))
                    (markedFrom ? markedTo : markedFrom) = now;
                return now;
            });
            r.w->GiveTip();
            QVERIFY(log.places.contains(r.Open(1)));
            QVERIFY(!log.places.contains(r.Open(2)));
            QVERIFY(markedFrom > 0 && markedTo >= markedFrom + TipHoldMs);
        }
        QCOMPARE(r.w->picDrag()->pos(), home);
        QVERIFY(r.w->HighlightedPile().IsNone());
        QCOMPARE(r.P(1).OpenDeck.Count, uint8_t(1));

        Put(r.G().SuitDeck[1], {Card(0, 1), Card(1, 1)});
        r.w->PaintForm();
        const QPoint start = r.On(r.w->picSuit(1));
        r.w->HidePlayerFrames();
        MoveLog log(r.w->picDrag());
        // The rules take the card off the pile, then the window flies it wholly off the table.
        CardDeck& pile = r.G().SuitDeck[1];
        pile.Card[--pile.Count] = EmptySlot;
        r.w->CardShowFlight(1, Card(1, 1));
        const QPoint last = log.places.last();
        QVERIFY(last != start);
        QVERIFY(!r.w->Table()->rect().intersects(QRect(last, r.w->picDrag()->size())));
        QVERIFY(r.w->picDrag()->isHidden() && r.w->DragCode() == DrawCode::Nothing);
        QCOMPARE(r.On(r.w->picSuit(1)), start);
    }

    void newBackShowsOnEveryClosedPile() {
        Rig r;
        r.NewGame(5);
        QTimer::singleShot(0, [] {
            auto* deck = qobject_cast<frmDeck*>(QApplication::activeModalWidget());
            QVERIFY(deck);
            deck->picDeck_Click(3);
            deck->cmdOK_Click();
        });
        r.w->Menu().mnGameDeck->trigger();
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
        r.w->Menu().mnGameExit->trigger();
        QVERIFY(!r.w->isVisible());
        QVERIFY(!r.cards.Ready());
        QVERIFY(r.rules->Epoch() != epoch);
    }
};

QTEST_MAIN(TestWindowTable)
#include "tst_window.moc"
