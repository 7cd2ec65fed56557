// The card-back dialog: the one highlighted frame, OK and the ways out.
#include "DialogTest.h"
#include "cards/PictureBox.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/frmDeck.h"

using namespace korvane;

class TestFrmDeck : public QObject {
    Q_OBJECT
private slots:
    void selectionOkAndCancel();

private:
    CardLibrary cards_;
};

void TestFrmDeck::selectionOkAndCancel() {
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

QTEST_MAIN(TestFrmDeck)
#include "tst_frmDeck.moc"
