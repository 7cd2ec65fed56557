// The options, card-back, help and about dialogs: what they show, what they store, and the ways
// out of them.
#include "DialogTest.h"
#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmDeck.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmOption.h"

using namespace korvane;

using Pair = std::array<int16_t, 2>;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void optionsShowAndStoreEverySetting() {
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
            // A click into a box selects its value: typing replaces it.
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            QTest::mouseClick(dlg.txtTime(1), Qt::LeftButton);
            QTest::keyClicks(dlg.txtTime(1), "42");
            QCOMPARE(dlg.txtTime(1)->text(), QString("42"));
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

    void optionSliderFollowsThePathBox() {
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

    void optionsCancelEscAndCloseWriteNothing() {
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

    // The one highlighted frame, OK and the ways out.
    void deckSelectionOkAndCancel() {
        // Back 57 is the fourth design; 200, from a damaged saved game, matches none and is kept.
        for (uint8_t back : {uint8_t{57}, uint8_t{200}}) {
            for (int how = -1; how < 3; ++how) { // -1: Enter, the default button
                mdlGlobal g(FixedSeed(1));
                g.SetDefaults();
                g.Game.DeckBack = back;
                frmDeck dlg(g, cards_, nullptr);
                dlg.show();
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
            frmAbout box(nullptr);
            box.show();
            QTest::keyClick(&box, key);
            QVERIFY(box.isHidden());
        }
    }

private:
    CardLibrary cards_;
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
