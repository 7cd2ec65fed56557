// The options dialog: what it shows, what it stores, and the rules of its number boxes.
#include "DialogTest.h"
#include "dialogs/frmOption.h"

using namespace korvane;

using Pair = std::array<int16_t, 2>;

class TestFrmOption : public QObject {
    Q_OBJECT
private slots:
    void showsAndStoresEverySetting();
    void numberBoxes();
    void aClickSelectsTheValue();
    void sliderFollowsThePathBox();
    void cancelEscAndCloseWriteNothing();
};

void TestFrmOption::showsAndStoresEverySetting() {
    GameInfo game;
    {
        frmOption dlg(game, nullptr);
        dlg.show();
        QVERIFY(dlg.optKorvane(0)->isChecked() && dlg.optType(1)->isChecked());
        QVERIFY(dlg.chkOutline()->isChecked() && dlg.chkTip()->isChecked());
        QVERIFY(dlg.chkChance()->isChecked() && !dlg.chkPath()->isChecked());
        QVERIFY(!dlg.sldPoints()->isEnabled() && dlg.sldPoints()->value() == 2);
        for (int i = 0; i < 2; ++i)
            QVERIFY(dlg.txtStep(i)->text() == "15" && dlg.txtTime(i)->text() == "99");
        QCOMPARE(dlg.focusWidget(), dlg.txtStep(0)); // the keyboard order starts here
    }
    game.TotalKorvane = 3;
    game.KorvanePerTurn = true;
    game.OutlineDrag = game.ShowTip = game.LastChance = game.StraightPath = false;
    game.PathPoints = 40;
    game.MoveStep = {-5, 150};   // a saved game may hold what a box does not take by typing
    game.MoveSpeed = {60, 1000}; // shown as 40 and -900: OK stores them back
    frmOption dlg(game, nullptr);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Return); // the default button
    QVERIFY(game.TotalKorvane == 3 && game.KorvanePerTurn && game.PathPoints == 40);
    QVERIFY(!game.OutlineDrag && !game.ShowTip && !game.LastChance && !game.StraightPath);
    QCOMPARE(game.MoveStep, (Pair{1, 150})); // a step is at least 1
    QCOMPARE(game.MoveSpeed, (Pair{60, 1000}));
}

void TestFrmOption::numberBoxes() {
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
        frmOption dlg(game, nullptr);
        dlg.show();
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

void TestFrmOption::aClickSelectsTheValue() {
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::mouseClick(dlg.txtTime(1), Qt::LeftButton);
    QTest::keyClicks(dlg.txtTime(1), "42");
    QCOMPARE(dlg.txtTime(1)->text(), QString("42"));
}

void TestFrmOption::sliderFollowsThePathBox() {
    GameInfo game;
    for (bool tick : {true, false}) {
        frmOption dlg(game, nullptr);
        dlg.show();
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

void TestFrmOption::cancelEscAndCloseWriteNothing() {
    for (Leave how : WaysOut) {
        GameInfo game;
        frmOption dlg(game, nullptr);
        dlg.show();
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

QTEST_MAIN(TestFrmOption)
#include "tst_frmOption.moc"
