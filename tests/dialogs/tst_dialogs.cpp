// The dialogs, driven the way a user drives them: the players, options, card-back, help and
// about dialogs, what they show, what they store, and the ways out of them.
#include "Cards.h"
#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmDeck.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmName.h"
#include "dialogs/frmOption.h"

#include <QtTest>
#include <QtWidgets>

#include <bit>

using namespace korvane;
using test::SeatPlayers;

namespace {

enum class Leave { Cancel, Esc, CloseBox };
constexpr Leave WaysOut[] = {Leave::Cancel, Leave::Esc, Leave::CloseBox};

// Leaves a dialog without OK, as a user can.
void LeaveDialog(QDialog& dlg, QAbstractButton* cancel, Leave how) {
    if (how == Leave::Cancel)
        cancel->click();
    else if (how == Leave::Esc)
        QTest::keyClick(&dlg, Qt::Key_Escape);
    else
        dlg.close();
    QVERIFY(dlg.isHidden());
}

// What the list does when the user picks an item from its popup.
void Choose(QComboBox* cb, int index) {
    cb->setCurrentIndex(index);
    emit cb->activated(index);
}

// Seats as 'x' (ticked), '.' (unticked) and '-' (hidden).
QString Seats(const frmName& d) {
    QString s;
    for (int i = 0; i < frmName::Seats; ++i)
        s += d.chkName(i)->isHidden() ? '-' : d.chkName(i)->isChecked() ? 'x' : '.';
    return s;
}

using Pair = std::array<int16_t, 2>;

// A dialog with no owner, on screen as the user first meets it.
template <class Dialog> struct Shown : Dialog {
    template <class... Args> explicit Shown(Args&... args) : Dialog(args..., nullptr) {
        this->show();
    }
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void firstOpeningIsRandomWithDefaultNames() {
        int counts = 0, humans = 0; // bit sets of what the openings chose
        const QStringList names{"Tovan",  "Rilka",  "Dunet",  "Gorvi",
                                "Kelsta", "Bramon", "Quenly", "Lusa"};
        for (uint32_t seed = 1; seed <= 30; ++seed) {
            mdlGlobal g(FixedSeed(seed));
            g.SetDefaults();
            Shown<frmName> dlg(g);
            const int n = dlg.cmbPlayer()->currentIndex() + MinPlayers;
            const int k = dlg.cmbManPlayer()->currentIndex();
            QVERIFY(n >= MinPlayers && n <= MaxPlayers && k >= 0 && k <= n &&
                    dlg.cmbManPlayer()->count() == n + 1);
            QCOMPARE(Seats(dlg),
                     QString(k, 'x') + QString(n - k, '.') + QString(MaxPlayers - n, '-'));
            for (int i = 0; i < frmName::Seats; ++i) {
                QCOMPARE(dlg.txtName(i)->text(), names[i]);
                QVERIFY(!dlg.txtName(i)->font().bold() && !dlg.chkName(i)->font().bold());
            }
            counts |= 1 << n;
            humans |= 1 << k;
        }
        QVERIFY(std::popcount(unsigned(counts)) >= 3 && std::popcount(unsigned(humans)) >= 3);
    }

    void openingShowsTheCurrentPlayers() {
        mdlGlobal g(FixedSeed(7));
        SeatPlayers(g.Game, 5, {1, 2, 4});
        g.Game.Player[1].SetName("   Bea  ");
        Shown<frmName> dlg(g);
        QVERIFY(dlg.cmbPlayer()->currentText() == "5" && dlg.cmbManPlayer()->currentText() == "3");
        QCOMPARE(Seats(dlg), QString("xxx..---"));
        QCOMPARE(dlg.txtName(0)->text() + dlg.txtName(1)->text(), QString("Player 1Bea"));
        QCOMPARE(dlg.txtName(5)->text(), QString("Bramon"));

        SeatPlayers(g.Game, 8, {0, 1, 2, 3, 4, 5});
        Shown<frmName> fewer(g);
        Choose(fewer.cmbPlayer(), 1); // 4 players, 6 humans chosen before
        QVERIFY(fewer.cmbManPlayer()->count() == 5 && fewer.cmbManPlayer()->currentText() == "4");
        QCOMPARE(Seats(fewer), QString("xxxx----"));
        fewer.chkName(0)->click();
        QTest::keyClick(fewer.cmbPlayer(), Qt::Key_Down); // 5 players: the first seats ticked again
        QCOMPARE(Seats(fewer), QString("xxxx.---"));
    }

    void humanSeatsAreLimitedAndRefilledByOk() {
        mdlGlobal g(FixedSeed(3));
        SeatPlayers(g.Game, 6, {0, 1});
        Shown<frmName> dlg(g);
        dlg.chkName(2)->click(); // refused: both human seats are taken
        QCOMPARE(Seats(dlg), QString("xx....--"));
        QVERIFY(dlg.chkName(2)->isEnabled());
        dlg.chkName(0)->click(); // frees a seat, which another one takes
        QTest::keyClick(dlg.chkName(2), Qt::Key_Space);
        QCOMPARE(Seats(dlg), QString(".xx...--"));
        QCOMPARE(dlg.FreeHumanSlots(), 0);
        dlg.chkName(1)->click();
        dlg.chkName(2)->click();
        dlg.chkName(1)->click();
        dlg.cmdOK()->click(); // the first unticked seat becomes human again
        QCOMPARE(Seats(dlg), QString("xx....--"));
        for (std::size_t i = 0; i < 6; ++i)
            QCOMPARE(bool(g.Game.Player[i].Computer), i >= 2);
    }

    void whatClosingThePlayersDialogWrites() {
        // OK keeps the tallies unless the number of players changes. Without OK, a game chosen
        // but not dealt counts as no game and is cleared; a game in play is left alone.
        const struct {
            uint8_t state;
            int players, how; // how: -1 OK, else the way out
            uint8_t stateAfter;
            int countAfter, lostAfter;
        } cases[] = {{State::Playing, 4, -1, State::Dealt, 4, 3},
                     {State::Playing, 6, -1, State::Dealt, 6, 0},
                     {State::NoGame, 7, 0, State::NoGame, 0, 0},
                     {State::Dealt, 7, 1, State::NoGame, 0, 0},
                     {State::Turned, 7, 0, State::Turned, 4, 3},
                     {State::Dealt, 7, 2, State::Dealt, 4, 3}};
        for (const auto& c : cases) {
            mdlGlobal g(FixedSeed(6));
            SeatPlayers(g.Game, 4, {0, 2, 3});
            g.Game.GameState = c.state;
            g.Game.Player[2].Lost = 3;
            Shown<frmName> dlg(g);
            if (c.players != 4)
                Choose(dlg.cmbPlayer(), c.players - 3);
            dlg.txtName(0)->setText("Other");
            if (c.how < 0)
                dlg.cmdOK()->click();
            else
                LeaveDialog(dlg, dlg.cmdCancel(), WaysOut[c.how]);
            QVERIFY(g.Game.GameState == c.stateAfter && g.Game.PlayerCount == c.countAfter);
            QCOMPARE(g.Game.Player[2].Lost, c.lostAfter);
            QCOMPARE(g.Game.Player[0].TrimmedName(), std::string(c.how < 0 ? "Other" : "Player 1"));
        }
    }

    void namesAreTrimmedPaddedAndLatin1() {
        mdlGlobal g(FixedSeed(4));
        SeatPlayers(g.Game, 3);
        Shown<frmName> dlg(g);
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        // The click that gives the box the focus selects the old name; a second one at the end of
        // the box puts the cursor there.
        QLineEdit* box = dlg.txtName(0);
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClicks(box, "  Zed Ola");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 2, box->height() / 2));
        QTest::keyClicks(box, "  ");
        dlg.txtName(1)->setText(QString(300, QChar('x')));
        dlg.txtName(2)->setText(QString::fromUtf8("Jos\u00e9 \u20ac"));
        dlg.cmdOK()->click();
        QCOMPARE(g.Game.Player[0].Name, "Zed Ola" + std::string(NameLength - 7, ' '));
        QCOMPARE(g.Game.Player[1].Name, std::string(NameLength, 'x'));
        QCOMPARE(g.Game.Player[2].TrimmedName(), std::string("Jos\xe9 ?"));
        Shown<frmName> again(g);
        QCOMPARE(again.txtName(2)->text(), QString::fromUtf8("Jos\u00e9 ?"));
    }

    void playersDialogRunSurvivesItsOwnerClosing() {
        mdlGlobal g(FixedSeed(12));
        g.SetDefaults();
        QWidget owner;
        QTimer::singleShot(0, [&owner] {
            auto* dlg = qobject_cast<frmName*>(QApplication::activeModalWidget());
            QVERIFY(dlg && dlg->parentWidget() == &owner);
            dlg->cmdOK()->click();
        });
        QVERIFY(frmName::Run(&owner, g) && g.Game.GameState == State::Dealt);
        QVERIFY(owner.findChildren<frmName*>().isEmpty());
        auto* doomed = new QWidget; // goes away while the dialog waits: nothing freed twice
        QTimer::singleShot(0, [doomed] { delete doomed; });
        QVERIFY(!frmName::Run(doomed, g));
    }

    void optionsShowAndStoreEverySetting() {
        GameInfo game;
        {
            Shown<frmOption> dlg(game);
            QVERIFY(dlg.optKorvane(0)->isChecked() && dlg.optType(1)->isChecked());
            QVERIFY(dlg.chkOutline()->isChecked() && dlg.chkTip()->isChecked());
            QVERIFY(dlg.chkChance()->isChecked() && !dlg.chkPath()->isChecked());
            QVERIFY(!dlg.sldPoints()->isEnabled() && dlg.sldPoints()->value() == 2);
            for (int i = 0; i < 2; ++i)
                QVERIFY(dlg.txtStep(i)->text() == "15" && dlg.txtTime(i)->text() == "99");
            QCOMPARE(dlg.focusWidget(), dlg.txtStep(0)); // the keyboard order starts here
            // A click into a box selects its value: typing replaces it.
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            QTest::mouseClick(dlg.txtTime(1), Qt::LeftButton);
            QTest::keyClicks(dlg.txtTime(1), "42");
            QCOMPARE(dlg.txtTime(1)->text(), QString("42"));
        }
        game.TotalKorvane = MaxPenaltyCards;
        game.KorvanePerTurn = true;
        game.OutlineDrag = game.ShowTip = game.LastChance = game.StraightPath = false;
        game.PathPoints = 40;
        game.MoveStep = {-5, 150};   // a saved game may hold what a box does not take by typing
        game.MoveSpeed = {60, 1000}; // shown as 40 and -900: OK stores them back
        Shown<frmOption> dlg(game);
        QTest::keyClick(&dlg, Qt::Key_Return); // the default button
        QVERIFY(game.TotalKorvane == MaxPenaltyCards && game.KorvanePerTurn &&
                game.PathPoints == 40);
        QVERIFY(!game.OutlineDrag && !game.ShowTip && !game.LastChance && !game.StraightPath);
        QCOMPARE(game.MoveStep, (Pair{1, 150})); // a step is at least 1
        QCOMPARE(game.MoveSpeed, (Pair{60, 1000}));
    }

    void optionNumberBoxes() {
        // Boxes 0 and 1 hold steps, 2 and 3 speeds: the pause stored is 100 minus the speed,
        // rounded half to even.
        const struct {
            int box;
            const char* pasted;
            const char* kept;
            int stored;
        } cases[] = {{0, "a", "", 1},      {0, "4x", "", 1},     {1, "-", "", 1},
                     {0, "123", "12", 12}, {1, "5.", "5.", 5},   {0, ".5", ".5", 1},
                     {1, "0", "0", 1},     {2, "-.", "", 100},   {3, "+", "", 100},
                     {2, "-9", "-9", 109}, {3, "5.", "5.", 95},  {3, "-", "-", 100},
                     {2, "99", "99", 1},   {3, ".5", ".5", 100}, {2, " 7", " 7", 93}};
        for (const auto& c : cases) {
            GameInfo game;
            Shown<frmOption> dlg(game);
            QLineEdit* box = c.box < 2 ? dlg.txtStep(c.box) : dlg.txtTime(c.box - 2);
            box->selectAll(); // a paste replaces the old text
            box->insert(QString::fromLatin1(c.pasted));
            QVERIFY2(box->text() == QString::fromLatin1(c.kept), c.pasted);
            dlg.cmdOK()->click();
            Pair step{15, 15}, pause{1, 1};
            (c.box < 2 ? step : pause)[std::size_t(c.box % 2)] = static_cast<int16_t>(c.stored);
            QCOMPARE(game.MoveStep, step);
            QCOMPARE(game.MoveSpeed, pause);
        }
    }

    void optionSliderFollowsThePathBox() {
        GameInfo game;
        for (bool tick : {true, false}) {
            Shown<frmOption> dlg(game);
            QTest::keyClick(dlg.chkPath(), Qt::Key_Space);
            QCOMPARE(dlg.sldPoints()->isEnabled(), tick);
            if (tick) {
                QTest::keyClick(dlg.sldPoints(), Qt::Key_PageUp);
                QTest::keyClick(dlg.sldPoints(), Qt::Key_Right);
            }
            dlg.cmdOK()->click();
            QCOMPARE(bool(game.StraightPath), !tick);
            QCOMPARE(int(game.PathPoints), 8); // unticking keeps the position
        }
    }

    void optionsCancelEscAndCloseWriteNothing() {
        for (Leave how : WaysOut) {
            GameInfo game;
            Shown<frmOption> dlg(game);
            dlg.optKorvane(2)->click();
            dlg.chkTip()->click();
            dlg.chkPath()->click();
            dlg.sldPoints()->setValue(50);
            dlg.txtStep(0)->setText("3");
            dlg.txtTime(1)->setText("-9");
            LeaveDialog(dlg, dlg.cmdCancel(), how);
            QVERIFY(game.TotalKorvane == 1 && game.ShowTip && game.StraightPath);
            QCOMPARE(int(game.PathPoints), 2);
            QCOMPARE(game.MoveStep, (Pair{15, 15}));
            QCOMPARE(game.MoveSpeed, (Pair{1, 1}));
        }
    }

    // The one highlighted frame, OK and the ways out.
    void deckSelectionOkAndCancel() {
        // Back 57 is the fourth design; 200, from a damaged saved game, matches none and is kept.
        for (uint8_t back : {uint8_t{57}, uint8_t{200}}) {
            for (int how = -1; how < 3; ++how) { // -1: Enter, the default button
                mdlGlobal g(FixedSeed(1));
                g.SetDefaults();
                g.Game.DeckBack = back;
                Shown<frmDeck> dlg(g, cards_);
                const auto frames = [&dlg] {
                    QString s;
                    for (int i = 0; i < frmDeck::Designs; ++i)
                        s += dlg.Highlighted(i) ? 'H' : '.';
                    return s;
                };
                QCOMPARE(frames(), QString(back == 57 ? "...H........" : "............"));
                if (back == 57) {
                    QTest::mouseClick(dlg.picDeck(4), Qt::LeftButton);
                    QTest::mouseClick(dlg.picDeck(11), Qt::LeftButton);
                    QCOMPARE(frames(), QString("...........H"));
                }
                QCOMPARE(g.Game.DeckBack, back); // nothing stored before OK
                if (how < 0)
                    QTest::keyClick(&dlg, Qt::Key_Return);
                else
                    LeaveDialog(dlg, dlg.cmdCancel(), WaysOut[how]);
                QCOMPARE(dlg.result(), int(how < 0 ? QDialog::Accepted : QDialog::Rejected));
                QCOMPARE(g.Game.DeckBack, how < 0 && back == 57 ? uint8_t{65} : back);
            }
        }
    }

    void helpExplainsEveryOption() {
        GameInfo game;
        frmOption options(game, nullptr);
        QStringList named;
        for (const QAbstractButton* b : options.findChildren<QAbstractButton*>())
            named << b->text();
        for (const QGroupBox* g : options.findChildren<QGroupBox*>())
            named << g->title();
        for (const QLabel* l : options.findChildren<QLabel*>())
            named << l->text().split(':').first(); // the explanation line gives its first words
        for (const char* plain : {"OK", "Cancel", "One", "Two", "Three", ""})
            named.removeAll(QString::fromLatin1(plain));
        QVERIFY(named.size() >= 14);
        const QString text = frmHelp(nullptr).Browser()->toPlainText();
        for (const QString& name : named)
            QVERIFY2(text.contains(name), qPrintable(name));
        for (const char* topic : {"mistake", "penalty", "last chance", "drag", "double-click"})
            QVERIFY2(text.contains(QString::fromLatin1(topic), Qt::CaseInsensitive), topic);
    }

    void aboutLinesAndClosingKeys() {
        frmAbout dlg(nullptr);
        QCOMPARE(dlg.lblApp()->text(), QString("Korvane - Palveri Solitaire"));
        QCOMPARE(dlg.lblVer()->text(), QString("Ver: 1.00"));
        QCOMPARE(dlg.lblMe()->text().count('\n'), 1); // a credit line and a contact line
        QCOMPARE(frmAbout(nullptr, 2, 5).lblVer()->text(), QString("Ver: 2.05"));
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            Shown<frmAbout> box;
            QTest::keyClick(&box, key);
            QVERIFY(box.isHidden());
        }
    }

private:
    CardLibrary cards_;
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
