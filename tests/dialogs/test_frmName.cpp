// The players dialog, driven the way a user drives it: choices in the lists, clicks on the
// seat boxes, typing, OK, Cancel, Esc and the close box.
#include "dialogs/frmName.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <set>

using namespace korvane;

namespace {

// What the list does when the user picks an item from its popup.
void Choose(QComboBox* cb, int index) {
    cb->setCurrentIndex(index);
    emit cb->activated(index);
}

// Seats ticked, as a string of 'x' (ticked), '.' (unticked) and '-' (hidden).
QString Seats(const frmName& d) {
    QString s;
    for (int i = 0; i < frmName::Seats; ++i)
        s += d.chkName(i)->isHidden() ? '-' : d.chkName(i)->isChecked() ? 'x' : '.';
    return s;
}

// A record with n players named SeatN; seats in computers are played by the computer.
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
    void firstOpeningIsRandomWithDefaultNames();
    void openingShowsTheCurrentPlayers();
    void humanSeatsAreLimitedAndRefilledByOk();
    void fewerPlayersThanHumans();
    void invariantHoldsUnderAnyChoices();
    void okKeepsOrResetsTallies();
    void namesAreTrimmedPaddedAndLatin1();
    void cancelEscAndCloseBox();
    void runSurvivesItsOwnerClosing();
};

void TestFrmName::firstOpeningIsRandomWithDefaultNames() {
    std::set<int> counts, humans;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        mdlGlobal g(FixedSeed(seed));
        g.SetDefaults();
        frmName dlg(g, nullptr);
        dlg.show();
        const int n = dlg.cmbPlayer()->currentIndex() + 3;
        const int k = dlg.cmbManPlayer()->currentIndex();
        QVERIFY(n >= 3 && n <= 8 && k >= 0 && k <= n);
        QCOMPARE(dlg.cmbManPlayer()->count(), n + 1);
        QCOMPARE(Seats(dlg), QString(k, 'x') + QString(n - k, '.') + QString(8 - n, '-'));
        for (int i = 0; i < frmName::Seats; ++i) {
            QCOMPARE(dlg.txtName(i)->text(), frmName::DefaultName(i));
            // Inside the bold frame, the seats themselves are in the plain window font.
            QVERIFY(!dlg.txtName(i)->font().bold() && !dlg.chkName(i)->font().bold());
        }
        counts.insert(n);
        humans.insert(k);
    }
    QVERIFY(counts.size() >= 3 && humans.size() >= 3);
}

void TestFrmName::openingShowsTheCurrentPlayers() {
    mdlGlobal g(FixedSeed(7));
    SeatPlayers(g, 5, {0, 3});
    g.Game.Player[1].SetName("   Bea  ");
    frmName dlg(g, nullptr);
    dlg.show();
    QCOMPARE(dlg.cmbPlayer()->currentText(), QString("5"));
    QCOMPARE(dlg.cmbManPlayer()->currentText(), QString("3"));
    QCOMPARE(dlg.cmbManPlayer()->count(), 6);
    QCOMPARE(Seats(dlg), QString("xxx..---"));
    QCOMPARE(dlg.txtName(0)->text(), QString("Seat0"));
    QCOMPARE(dlg.txtName(1)->text(), QString("Bea"));
    QCOMPARE(dlg.txtName(5)->text(), QString("Bramon"));
}

void TestFrmName::humanSeatsAreLimitedAndRefilledByOk() {
    mdlGlobal g(FixedSeed(3));
    SeatPlayers(g, 6, {2, 3, 4, 5});
    frmName dlg(g, nullptr);
    dlg.show();
    QCOMPARE(Seats(dlg), QString("xx....--"));
    dlg.chkName(2)->click(); // refused: both human seats are taken
    QCOMPARE(Seats(dlg), QString("xx....--"));
    QVERIFY(dlg.chkName(2)->isEnabled());
    dlg.chkName(0)->click(); // frees a seat ...
    QCOMPARE(dlg.FreeHumanSlots(), 1);
    QTest::keyClick(dlg.chkName(2), Qt::Key_Space); // ... which another seat takes
    QCOMPARE(Seats(dlg), QString(".xx...--"));
    QCOMPARE(dlg.FreeHumanSlots(), 0);
    dlg.chkName(1)->click();
    dlg.chkName(2)->click();
    dlg.chkName(1)->click();
    QCOMPARE(dlg.FreeHumanSlots(), 1);
    dlg.cmdOK()->click(); // the first unticked seat becomes human again
    QCOMPARE(Seats(dlg), QString("xx....--"));
    QCOMPARE(g.Game.GameState, State::Dealt);
    for (std::size_t i = 0; i < 6; ++i)
        QCOMPARE(bool(g.Game.Player[i].Computer), i >= 2);
}

void TestFrmName::fewerPlayersThanHumans() {
    mdlGlobal g(FixedSeed(5));
    SeatPlayers(g, 8, {6, 7});
    frmName dlg(g, nullptr);
    dlg.show();
    Choose(dlg.cmbPlayer(), 1); // 4 players, 6 humans chosen before
    QCOMPARE(dlg.cmbManPlayer()->count(), 5);
    QCOMPARE(dlg.cmbManPlayer()->currentText(), QString("4"));
    QCOMPARE(Seats(dlg), QString("xxxx----"));
    dlg.chkName(0)->click();
    QTest::keyClick(dlg.cmbPlayer(), Qt::Key_Down); // 5 players: the first seats ticked again
    QCOMPARE(Seats(dlg), QString("xxxx.---"));
}

void TestFrmName::invariantHoldsUnderAnyChoices() {
    for (uint32_t seed = 1; seed <= 25; ++seed) {
        mdlGlobal g(FixedSeed(seed));
        g.SetDefaults();
        frmName dlg(g, nullptr);
        dlg.show();
        std::mt19937 pick(seed);
        for (int step = 0; step < 60; ++step) {
            const unsigned n = static_cast<unsigned>(dlg.cmbPlayer()->currentIndex()) + 3;
            if (const unsigned r = pick() % 4; r == 0)
                Choose(dlg.cmbPlayer(), static_cast<int>(pick() % 6));
            else if (r == 1)
                Choose(dlg.cmbManPlayer(), static_cast<int>(pick() % (n + 1)));
            else
                dlg.chkName(static_cast<int>(pick() % n))->click();
            QVERIFY(dlg.FreeHumanSlots() >= 0);
            QCOMPARE(int(Seats(dlg).count('x')) + dlg.FreeHumanSlots(),
                     dlg.cmbManPlayer()->currentIndex());
        }
        const int k = dlg.cmbManPlayer()->currentIndex();
        dlg.cmdOK()->click();
        QCOMPARE(std::count_if(g.Game.Player.begin(), g.Game.Player.end(),
                               [](const PlayerInfo& p) { return !p.Computer; }),
                 k);
    }
}

void TestFrmName::okKeepsOrResetsTallies() {
    mdlGlobal g(FixedSeed(2));
    SeatPlayers(g, 4, {3});
    g.Game.GameState = State::Playing;
    for (std::size_t i = 0; i < 4; ++i) {
        g.Game.Player[i].Lost = static_cast<int32_t>(i + 1);
        g.Game.Player[i].OpenDeck.Card[0] = static_cast<uint8_t>(i);
        g.Game.Player[i].OpenDeck.Count = 1;
    }
    frmName same(g, nullptr);
    same.show();
    same.cmdOK()->click();
    for (std::size_t i = 0; i < 4; ++i) {
        QCOMPARE(g.Game.Player[i].Lost, static_cast<int32_t>(i + 1));
        QCOMPARE(int(g.Game.Player[i].OpenDeck.Count), 1);
    }
    frmName more(g, nullptr);
    more.show();
    Choose(more.cmbPlayer(), 3);
    more.cmdOK()->click();
    QCOMPARE(int(g.Game.PlayerCount), 6);
    QCOMPARE(g.Game.Player.size(), std::size_t{6});
    for (const PlayerInfo& p : g.Game.Player)
        QVERIFY(p.Lost == 0 && !p.HoldsCards());
    QCOMPARE(g.Game.Player[5].TrimmedName(), std::string("Bramon"));
}

void TestFrmName::namesAreTrimmedPaddedAndLatin1() {
    mdlGlobal g(FixedSeed(4));
    SeatPlayers(g, 3, {});
    frmName dlg(g, nullptr);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    dlg.txtName(0)->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(dlg.txtName(0), "  Zed Ola  "); // the focus selected the old name
    dlg.txtName(1)->setText(QString(300, QChar('x')));
    dlg.txtName(2)->setText(QString::fromUtf8("Jos\u00e9 \u20ac"));
    dlg.cmdOK()->click();
    QCOMPARE(g.Game.Player[0].Name, "Zed Ola" + std::string(NameLength - 7, ' '));
    QCOMPARE(g.Game.Player[1].Name, std::string(NameLength, 'x'));
    QCOMPARE(g.Game.Player[2].TrimmedName(), std::string("Jos\xe9 ?"));
    frmName again(g, nullptr);
    again.show();
    QCOMPARE(again.txtName(0)->text(), QString("Zed Ola"));
    QCOMPARE(again.txtName(2)->text(), QString::fromUtf8("Jos\u00e9 ?"));
}

void TestFrmName::cancelEscAndCloseBox() {
    enum How { Cancel, Esc, CloseBox };
    struct Case {
        uint8_t state;
        How how;
        bool cleared;
    };
    // Chosen but not dealt counts as no game; during play nothing changes.
    for (const Case& c :
         {Case{State::NoGame, Cancel, true}, Case{State::Dealt, Esc, true},
          Case{State::Turned, Cancel, false}, Case{State::Dealt, CloseBox, false}}) {
        mdlGlobal g(FixedSeed(6));
        SeatPlayers(g, 4, {1});
        g.Game.GameState = c.state;
        g.Game.Player[2].Lost = 3;
        frmName dlg(g, nullptr);
        dlg.show();
        Choose(dlg.cmbPlayer(), 4);
        dlg.txtName(0)->setText("Other");
        if (c.how == Cancel)
            dlg.cmdCancel()->click();
        else if (c.how == Esc)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(dlg.isHidden());
        QCOMPARE(int(g.Game.PlayerCount), c.cleared ? 0 : 4);
        QCOMPARE(g.Game.GameState, c.cleared ? State::NoGame : c.state);
        QCOMPARE(g.Game.Player[2].Lost, c.cleared ? 0 : 3);
        QCOMPARE(g.Game.Player[0].TrimmedName(), std::string("Seat0"));
        QVERIFY(g.Game.Player[1].Computer);
    }
}

void TestFrmName::runSurvivesItsOwnerClosing() {
    mdlGlobal g(FixedSeed(12));
    g.SetDefaults();
    QWidget owner;
    QTimer::singleShot(0, [&owner] {
        auto* dlg = qobject_cast<frmName*>(QApplication::activeModalWidget());
        QVERIFY(dlg && dlg->parentWidget() == &owner);
        dlg->cmdOK()->click();
    });
    QVERIFY(frmName::Run(&owner, g));
    QCOMPARE(g.Game.GameState, State::Dealt);
    QVERIFY(owner.findChildren<frmName*>().isEmpty());
    // The owner goes away while the dialog waits: nothing is freed twice.
    auto* doomed = new QWidget;
    QTimer::singleShot(0, [doomed] { delete doomed; });
    QVERIFY(!frmName::Run(doomed, g));
}

QTEST_MAIN(TestFrmName)
#include "test_frmName.moc"
