// The card-back dialog: the previews, the one highlighted frame, OK and Cancel.
#include "DialogTest.h"
#include "dialogs/frmDeck.h"
#include "table/PictureBox.h"
#include "table/mdlCardAPI.h"

using namespace korvane;

class TestFrmDeck : public QObject {
    Q_OBJECT
private slots:
    void selectionOkAndCancel();
    void previewsAreDrawn();

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

void TestFrmDeck::previewsAreDrawn() {
    int32_t w = 0, h = 0;
    if (!cards_.cdtInit(w, h))
        QSKIP("the card decks are not installed");
    mdlGlobal g(FixedSeed(5));
    g.SetDefaults();
    frmDeck dlg(g, cards_, nullptr);
    const QImage a = dlg.picDeck(0)->image().toImage();
    const QRgb border = dlg.picDeck(0)->background().rgb();
    QCOMPARE(a.pixelColor(0, 0).rgb(), border); // the border is left round the design
    QVERIFY(a.pixelColor(a.width() / 2, a.height() / 3).rgb() != border);
    QVERIFY(a != dlg.picDeck(1)->image().toImage());
}

QTEST_MAIN(TestFrmDeck)
#include "test_frmDeck.moc"
