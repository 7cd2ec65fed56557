// The players dialog, driven the way a user drives it.
#include "DialogTest.h"
#include "dialogs/frmName.h"

#include <bit>

using namespace korvane;

namespace {

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

// n players named SeatN; the seats in computers are the computer's.
void SeatPlayers(mdlGlobal& g, int n, std::initializer_list<int> computers) {
    g.SetDefaults();
    g.Game.PlayerCount = static_cast<uint8_t>(n);
    g.Game.Player.assign(static_cast<std::size_t>(n), PlayerInfo{});
    for (int i = 0; i < n; ++i)
        g.Game.Player[static_cast<std::size_t>(i)].SetName("Seat" + std::to_string(i));
    for (int c : computers)
        g.Game.Player[static_cast<std::size_t>(c)].Computer = true;
}

} // namespace

class TestFrmName : public QObject {
    Q_OBJECT
private slots:
    void firstOpeningIsRandomWithDefaultNames() {
        int counts = 0, humans = 0; // bit sets of what the openings chose
        for (uint32_t seed = 1; seed <= 30; ++seed) {
            mdlGlobal g(FixedSeed(seed));
            g.SetDefaults();
            frmName dlg(g, nullptr);
            dlg.show();
            const int n = dlg.cmbPlayer()->currentIndex() + 3;
            const int k = dlg.cmbManPlayer()->currentIndex();
            QVERIFY(n >= 3 && n <= 8 && k >= 0 && k <= n && dlg.cmbManPlayer()->count() == n + 1);
            QCOMPARE(Seats(dlg), QString(k, 'x') + QString(n - k, '.') + QString(8 - n, '-'));
            QVERIFY(dlg.findChild<QGroupBox*>()->font().bold());
            for (int i = 0; i < frmName::Seats; ++i) {
                QCOMPARE(dlg.txtName(i)->text(), frmName::DefaultName(i));
                QVERIFY(!dlg.txtName(i)->font().bold() && !dlg.chkName(i)->font().bold());
            }
            counts |= 1 << n;
            humans |= 1 << k;
        }
        QVERIFY(std::popcount(unsigned(counts)) >= 3 && std::popcount(unsigned(humans)) >= 3);
    }

    void openingShowsTheCurrentPlayers() {
        mdlGlobal g(FixedSeed(7));
        SeatPlayers(g, 5, {0, 3});
        g.Game.Player[1].SetName("   Bea  ");
        frmName dlg(g, nullptr);
        dlg.show();
        QVERIFY(dlg.cmbPlayer()->currentText() == "5" && dlg.cmbManPlayer()->currentText() == "3");
        QCOMPARE(dlg.cmbManPlayer()->count(), 6);
        QCOMPARE(Seats(dlg), QString("xxx..---"));
        QCOMPARE(dlg.txtName(0)->text() + dlg.txtName(1)->text(), QString("Seat0Bea"));
        QCOMPARE(dlg.txtName(5)->text(), QString("Bramon"));

        SeatPlayers(g, 8, {6, 7});
        frmName fewer(g, nullptr);
        fewer.show();
        Choose(fewer.cmbPlayer(), 1); // 4 players, 6 humans chosen before
        QVERIFY(fewer.cmbManPlayer()->count() == 5 && fewer.cmbManPlayer()->currentText() == "4");
        QCOMPARE(Seats(fewer), QString("xxxx----"));
        fewer.chkName(0)->click();
        QTest::keyClick(fewer.cmbPlayer(), Qt::Key_Down); // 5 players: the first seats ticked again
        QCOMPARE(Seats(fewer), QString("xxxx.---"));
    }

    void humanSeatsAreLimitedAndRefilledByOk() {
        mdlGlobal g(FixedSeed(3));
        SeatPlayers(g, 6, {2, 3, 4, 5});
        frmName dlg(g, nullptr);
        dlg.show();
        dlg.chkName(2)->click(); // refused: both human seats are taken
        QCOMPARE(Seats(dlg), QString("xx....--"));
        QVERIFY(dlg.chkName(2)->isEnabled());
        dlg.chkName(0)->click(); // frees a seat, which another one takes
        QCOMPARE(dlg.FreeHumanSlots(), 1);
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

    void whatClosingWrites() {
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
            SeatPlayers(g, 4, {1});
            g.Game.GameState = c.state;
            g.Game.Player[2].Lost = 3;
            frmName dlg(g, nullptr);
            dlg.show();
            if (c.players != 4)
                Choose(dlg.cmbPlayer(), c.players - 3);
            dlg.txtName(0)->setText("Other");
            if (c.how < 0)
                dlg.cmdOK()->click();
            else
                LeaveDialog(dlg, dlg.cmdCancel(), WaysOut[c.how]);
            QVERIFY(g.Game.GameState == c.stateAfter && g.Game.PlayerCount == c.countAfter);
            QCOMPARE(g.Game.Player[2].Lost, c.lostAfter);
            QCOMPARE(g.Game.Player[0].TrimmedName(), std::string(c.how < 0 ? "Other" : "Seat0"));
            QCOMPARE(bool(g.Game.Player[1].Computer), c.how >= 0); // OK ticks the first rows
        }
    }

    void namesAreTrimmedPaddedAndLatin1() {
        mdlGlobal g(FixedSeed(4));
        SeatPlayers(g, 3, {});
        frmName dlg(g, nullptr);
        dlg.show();
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
        frmName again(g, nullptr);
        again.show();
        QCOMPARE(again.txtName(2)->text(), QString::fromUtf8("Jos\u00e9 ?"));
    }

    void runSurvivesItsOwnerClosing() {
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
};

QTEST_MAIN(TestFrmName)
#include "tst_frmName.moc"
