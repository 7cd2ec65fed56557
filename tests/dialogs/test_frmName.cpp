// The players dialog, driven the way a user drives it: choices in the lists, clicks on the
// seat boxes, typing, OK, Cancel, Esc and the close box.
#include "dialogs/frmName.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
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

QStringList Items(const QComboBox* cb) {
    QStringList items;
    for (int i = 0; i < cb->count(); ++i)
        items << cb->itemText(i);
    return items;
}

int TickedVisible(const frmName& dlg) {
    int ticked = 0;
    for (int i = 0; i < frmName::Seats; ++i) {
        if (!dlg.chkName(i)->isHidden() && dlg.chkName(i)->isChecked())
            ++ticked;
    }
    return ticked;
}

// A game of n players; seats listed in computers are played by the computer.
void SeatPlayers(mdlGlobal& g, int n, std::initializer_list<int> computers) {
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
    void tickingIsLimitedToTheChosenHumans();
    void okTicksTheFirstFreeSeats();
    void fewerPlayersThanHumans();
    void keyboardChoiceRunsTheCoupledRules();
    void invariantHoldsUnderAnyClicks();
    void okKeepsOrResetsTallies();
    void namesAreTrimmedPaddedAndLatin1();
    void cancelClearsOnlyWithoutAGame();
    void closeBoxWritesNothing();
    void runSurvivesItsOwnerClosing();
};

void TestFrmName::firstOpeningIsRandomWithDefaultNames() {
    std::set<int> counts;
    std::set<int> humans;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        mdlGlobal g(FixedSeed(seed));
        g.SetDefaults();
        frmName dlg(g, nullptr);
        dlg.show();
        const int n = dlg.cmbPlayer()->currentIndex() + 3;
        const int k = dlg.cmbManPlayer()->currentIndex();
        QVERIFY(n >= 3 && n <= 8);
        QVERIFY(k >= 0 && k <= n);
        QCOMPARE(dlg.cmbManPlayer()->count(), n + 1);
        QCOMPARE(dlg.FreeHumanSlots(), 0);
        for (int i = 0; i < frmName::Seats; ++i) {
            QCOMPARE(dlg.chkName(i)->isChecked(), i < k);
            QCOMPARE(dlg.chkName(i)->isHidden(), i >= n);
            QCOMPARE(dlg.txtName(i)->isHidden(), i >= n);
            QCOMPARE(dlg.chkName(i)->text(), QString::number(i + 1) + ".");
            QCOMPARE(dlg.txtName(i)->text(), frmName::DefaultName(i));
        }
        counts.insert(n);
        humans.insert(k);
    }
    QVERIFY(counts.size() >= 3);
    QVERIFY(humans.size() >= 3);
    QCOMPARE(frmName::DefaultName(0), QString("Tovan"));
    QCOMPARE(frmName::DefaultName(7), QString("Lusa"));
}

void TestFrmName::openingShowsTheCurrentPlayers() {
    mdlGlobal g(FixedSeed(7));
    g.SetDefaults();
    SeatPlayers(g, 5, {0, 3});
    g.Game.Player[1].SetName("   Bea  ");
    frmName dlg(g, nullptr);
    dlg.show();
    QCOMPARE(dlg.cmbPlayer()->currentText(), QString("5"));
    QCOMPARE(dlg.cmbManPlayer()->currentText(), QString("3"));
    QCOMPARE(Items(dlg.cmbManPlayer()), QStringList({"0", "1", "2", "3", "4", "5"}));
    const bool ticked[] = {true, true, true, false, false};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(dlg.chkName(i)->isChecked(), ticked[i]);
        QVERIFY(!dlg.chkName(i)->isHidden());
    }
    for (int i = 5; i < 8; ++i) {
        QVERIFY(dlg.chkName(i)->isHidden());
        QVERIFY(dlg.txtName(i)->isHidden());
        QCOMPARE(dlg.txtName(i)->text(), frmName::DefaultName(i));
    }
    QCOMPARE(dlg.txtName(0)->text(), QString("Seat0"));
    QCOMPARE(dlg.txtName(1)->text(), QString("Bea"));
    QCOMPARE(dlg.txtName(4)->text(), QString("Seat4"));
}

void TestFrmName::tickingIsLimitedToTheChosenHumans() {
    mdlGlobal g(FixedSeed(3));
    g.SetDefaults();
    SeatPlayers(g, 6, {2, 3, 4, 5});
    frmName dlg(g, nullptr);
    dlg.show();
    QCOMPARE(dlg.cmbManPlayer()->currentIndex(), 2);
    QVERIFY(dlg.chkName(0)->isChecked() && dlg.chkName(1)->isChecked());

    dlg.chkName(2)->click(); // refused: both human seats are taken
    QVERIFY(!dlg.chkName(2)->isChecked());
    QCOMPARE(dlg.FreeHumanSlots(), 0);
    QVERIFY(dlg.chkName(2)->isEnabled());

    dlg.chkName(0)->click(); // frees a seat
    QCOMPARE(dlg.FreeHumanSlots(), 1);
    dlg.chkName(0)->click(); // and takes it back
    QCOMPARE(dlg.FreeHumanSlots(), 0);
    QVERIFY(dlg.chkName(0)->isChecked());

    dlg.chkName(0)->click();
    dlg.chkName(2)->click();
    QVERIFY(!dlg.chkName(0)->isChecked());
    QVERIFY(dlg.chkName(1)->isChecked());
    QVERIFY(dlg.chkName(2)->isChecked());
    QCOMPARE(dlg.FreeHumanSlots(), 0);

    // Unticking two and ticking none never frees more than the chosen number.
    dlg.chkName(1)->click();
    dlg.chkName(2)->click();
    QCOMPARE(dlg.FreeHumanSlots(), 2);

    dlg.cmdOK()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    // OK made the first free seats human again.
    QVERIFY(!g.Game.Player[0].Computer);
    QVERIFY(!g.Game.Player[1].Computer);
    for (int i = 2; i < 6; ++i)
        QVERIFY(g.Game.Player[static_cast<std::size_t>(i)].Computer);
}

void TestFrmName::okTicksTheFirstFreeSeats() {
    mdlGlobal g(FixedSeed(11));
    g.SetDefaults();
    SeatPlayers(g, 4, {2, 3});
    frmName dlg(g, nullptr);
    dlg.show();
    dlg.chkName(0)->click();
    QVERIFY(!dlg.chkName(0)->isChecked());
    dlg.cmdOK()->click();
    QVERIFY(dlg.chkName(0)->isChecked());
    QCOMPARE(g.Game.GameState, State::Dealt);
    QCOMPARE(int(g.Game.PlayerCount), 4);
    QVERIFY(!g.Game.Player[0].Computer);
    QVERIFY(!g.Game.Player[1].Computer);
    QVERIFY(g.Game.Player[2].Computer);
    QVERIFY(g.Game.Player[3].Computer);
}

void TestFrmName::fewerPlayersThanHumans() {
    mdlGlobal g(FixedSeed(5));
    g.SetDefaults();
    SeatPlayers(g, 8, {6, 7});
    frmName dlg(g, nullptr);
    dlg.show();
    QCOMPARE(dlg.cmbManPlayer()->currentIndex(), 6);

    Choose(dlg.cmbPlayer(), 1); // 4 players
    QCOMPARE(Items(dlg.cmbManPlayer()), QStringList({"0", "1", "2", "3", "4"}));
    QCOMPARE(dlg.cmbManPlayer()->currentText(), QString("4"));
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(dlg.chkName(i)->isHidden(), i >= 4);
        if (i < 4)
            QVERIFY(dlg.chkName(i)->isChecked());
    }
    QCOMPARE(dlg.FreeHumanSlots(), 0);

    // Raising it again keeps the humans and re-ticks the first seats.
    dlg.chkName(0)->click();
    Choose(dlg.cmbPlayer(), 4); // 7 players
    QCOMPARE(dlg.cmbManPlayer()->currentText(), QString("4"));
    QCOMPARE(TickedVisible(dlg), 4);
    QVERIFY(dlg.chkName(0)->isChecked());
    QVERIFY(!dlg.chkName(4)->isChecked());
    QVERIFY(!dlg.chkName(6)->isHidden());
}

void TestFrmName::keyboardChoiceRunsTheCoupledRules() {
    mdlGlobal g(FixedSeed(9));
    g.SetDefaults();
    SeatPlayers(g, 5, {});
    frmName dlg(g, nullptr);
    dlg.show();
    QCOMPARE(TickedVisible(dlg), 5);
    QTest::keyClick(dlg.cmbManPlayer(), Qt::Key_Up);
    QTest::keyClick(dlg.cmbManPlayer(), Qt::Key_Up);
    QCOMPARE(dlg.cmbManPlayer()->currentIndex(), 3);
    QCOMPARE(TickedVisible(dlg), 3);
    QVERIFY(!dlg.chkName(3)->isChecked());
    QTest::keyClick(dlg.cmbPlayer(), Qt::Key_Up);
    QVERIFY(dlg.chkName(4)->isHidden());
    QCOMPARE(dlg.cmbManPlayer()->currentIndex(), 3);

    QTest::keyClick(dlg.chkName(3), Qt::Key_Space); // refused
    QVERIFY(!dlg.chkName(3)->isChecked());
}

void TestFrmName::invariantHoldsUnderAnyClicks() {
    for (uint32_t seed = 1; seed <= 25; ++seed) {
        mdlGlobal g(FixedSeed(seed));
        g.SetDefaults();
        frmName dlg(g, nullptr);
        dlg.show();
        std::mt19937 pick(seed);
        for (int step = 0; step < 60; ++step) {
            const int n = dlg.cmbPlayer()->currentIndex() + 3;
            switch (pick() % 4) {
            case 0:
                Choose(dlg.cmbPlayer(), static_cast<int>(pick() % 6));
                break;
            case 1:
                Choose(dlg.cmbManPlayer(), static_cast<int>(pick() % static_cast<unsigned>(n + 1)));
                break;
            default:
                dlg.chkName(static_cast<int>(pick() % static_cast<unsigned>(n)))->click();
                break;
            }
            QCOMPARE(TickedVisible(dlg) + dlg.FreeHumanSlots(), dlg.cmbManPlayer()->currentIndex());
            QVERIFY(dlg.FreeHumanSlots() >= 0);
        }
        const int k = dlg.cmbManPlayer()->currentIndex();
        dlg.cmdOK()->click();
        int humans = 0;
        for (const PlayerInfo& p : g.Game.Player)
            humans += p.Computer ? 0 : 1;
        QCOMPARE(humans, k);
    }
}

void TestFrmName::okKeepsOrResetsTallies() {
    mdlGlobal g(FixedSeed(2));
    g.SetDefaults();
    SeatPlayers(g, 4, {3});
    g.Game.GameState = State::Playing;
    for (std::size_t i = 0; i < 4; ++i) {
        g.Game.Player[i].Lost = static_cast<int32_t>(i + 1);
        g.Game.Player[i].OpenDeck.Card[0] = static_cast<uint8_t>(i);
        g.Game.Player[i].OpenDeck.Count = 1;
    }
    {
        frmName dlg(g, nullptr);
        dlg.show();
        dlg.cmdOK()->click();
    }
    QCOMPARE(g.Game.GameState, State::Dealt);
    QCOMPARE(g.Game.Player.size(), std::size_t{4});
    for (std::size_t i = 0; i < 4; ++i) {
        QCOMPARE(g.Game.Player[i].Lost, static_cast<int32_t>(i + 1));
        QCOMPARE(int(g.Game.Player[i].OpenDeck.Count), 1);
    }

    frmName dlg(g, nullptr);
    dlg.show();
    Choose(dlg.cmbPlayer(), 3); // 6 players
    dlg.cmdOK()->click();
    QCOMPARE(int(g.Game.PlayerCount), 6);
    QCOMPARE(g.Game.Player.size(), std::size_t{6});
    for (const PlayerInfo& p : g.Game.Player) {
        QCOMPARE(p.Lost, 0);
        QVERIFY(!p.HoldsCards());
        QVERIFY(!p.CanTake);
    }
    QCOMPARE(g.Game.Player[5].TrimmedName(), std::string("Bramon"));
    QCOMPARE(g.Game.Player[0].TrimmedName(), std::string("Seat0"));
}

void TestFrmName::namesAreTrimmedPaddedAndLatin1() {
    mdlGlobal g(FixedSeed(4));
    g.SetDefaults();
    SeatPlayers(g, 3, {});
    {
        frmName dlg(g, nullptr);
        dlg.show();
        dlg.txtName(0)->setFocus();
        dlg.txtName(0)->selectAll();
        QTest::keyClicks(dlg.txtName(0), "  Zed Ola  ");
        dlg.txtName(1)->setText(QString(300, QChar('x')));
        dlg.txtName(2)->setText(QString::fromUtf8("Jos\u00e9 \u20ac"));
        dlg.cmdOK()->click();
    }
    const std::string& stored = g.Game.Player[0].Name;
    QCOMPARE(stored.size(), NameLength);
    QCOMPARE(stored.substr(0, 7), std::string("Zed Ola"));
    QCOMPARE(stored.find_first_not_of(' ', 7), std::string::npos);
    QCOMPARE(g.Game.Player[1].Name, std::string(NameLength, 'x'));
    // Latin-1 letters survive; what Latin-1 cannot hold becomes a question mark.
    QCOMPARE(g.Game.Player[2].TrimmedName(), std::string("Jos\xe9 ?"));

    frmName again(g, nullptr);
    again.show();
    QCOMPARE(again.txtName(0)->text(), QString("Zed Ola"));
    QCOMPARE(again.txtName(2)->text(), QString::fromUtf8("Jos\u00e9 ?"));
    // An empty name is taken as it is.
    again.txtName(1)->clear();
    again.cmdOK()->click();
    QCOMPARE(g.Game.Player[1].Name, std::string(NameLength, ' '));
}

void TestFrmName::cancelClearsOnlyWithoutAGame() {
    {
        mdlGlobal g(FixedSeed(6));
        g.SetDefaults();
        frmName dlg(g, nullptr);
        dlg.show();
        Choose(dlg.cmbPlayer(), 2);
        dlg.cmdCancel()->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(int(g.Game.PlayerCount), 0);
        QCOMPARE(g.Game.GameState, State::NoGame);
    }
    {
        // Chosen but not yet dealt counts as no game: Esc clears it like Cancel.
        mdlGlobal g(FixedSeed(6));
        g.SetDefaults();
        SeatPlayers(g, 4, {});
        g.Game.Player[2].Lost = 3;
        g.Game.GameState = State::Dealt;
        frmName dlg(g, nullptr);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isHidden());
        QCOMPARE(int(g.Game.PlayerCount), 0);
        QCOMPARE(g.Game.GameState, State::NoGame);
        QCOMPARE(g.Game.Player[2].Lost, 0);
    }
    {
        mdlGlobal g(FixedSeed(6));
        g.SetDefaults();
        SeatPlayers(g, 5, {1});
        g.Game.GameState = State::Turned;
        g.Game.CurrentPlayer = 2;
        g.Game.Player[0].Lost = 2;
        const GameInfo before = g.Game;
        frmName dlg(g, nullptr);
        dlg.show();
        Choose(dlg.cmbPlayer(), 0);
        dlg.txtName(0)->setText("Other");
        dlg.cmdCancel()->click();
        QCOMPARE(g.Game.GameState, State::Turned);
        QCOMPARE(int(g.Game.PlayerCount), 5);
        QCOMPARE(int(g.Game.CurrentPlayer), 2);
        QCOMPARE(g.Game.Player[0].Lost, 2);
        QCOMPARE(g.Game.Player[0].Name, before.Player[0].Name);
        QVERIFY(g.Game.Player[1].Computer);
    }
}

void TestFrmName::closeBoxWritesNothing() {
    mdlGlobal g(FixedSeed(8));
    g.SetDefaults();
    SeatPlayers(g, 4, {});
    g.Game.GameState = State::Dealt;
    frmName dlg(g, nullptr);
    dlg.show();
    Choose(dlg.cmbPlayer(), 5);
    dlg.close();
    QVERIFY(dlg.isHidden());
    QCOMPARE(int(g.Game.PlayerCount), 4);
    QCOMPARE(g.Game.GameState, State::Dealt);
    QCOMPARE(g.Game.Player[0].TrimmedName(), std::string("Seat0"));
}

void TestFrmName::runSurvivesItsOwnerClosing() {
    mdlGlobal g(FixedSeed(12));
    g.SetDefaults();
    QWidget owner;
    owner.show();
    QTimer::singleShot(0, [&owner] {
        auto* dlg = qobject_cast<frmName*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QCOMPARE(dlg->parentWidget(), &owner);
        dlg->cmdOK()->click();
    });
    QVERIFY(frmName::Run(&owner, g));
    QCOMPARE(g.Game.GameState, State::Dealt);
    QVERIFY(owner.findChildren<frmName*>().isEmpty());

    // The owner goes away while the dialog waits: Run returns and nothing is freed twice.
    auto* doomed = new QWidget;
    doomed->show();
    QTimer::singleShot(0, [doomed] { delete doomed; });
    QVERIFY(!frmName::Run(doomed, g));
}

QTEST_MAIN(TestFrmName)
#include "test_frmName.moc"
