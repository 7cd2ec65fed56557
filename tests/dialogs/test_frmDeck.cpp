// The card-back dialog: the previews, the one highlighted frame, OK and Cancel.
#include "dialogs/frmDeck.h"
#include "table/PictureBox.h"
#include "table/mdlCardAPI.h"

#include <QPushButton>
#include <QtTest>

using namespace korvane;

class TestFrmDeck : public QObject {
    Q_OBJECT
private slots:
    void selectionAndOk();
    void cancelEscAndCloseKeepTheBack();
    void backOutsideTheDesigns();
    void layoutAndPreviews();

private:
    static QString Frames(const frmDeck& d) {
        QString s;
        for (int i = 0; i < frmDeck::Designs; ++i)
            s += d.Highlighted(i) ? 'H' : '.';
        return s;
    }
    CardLibrary cards_;
};

void TestFrmDeck::selectionAndOk() {
    mdlGlobal g(FixedSeed(1));
    g.SetDefaults();
    g.Game.DeckBack = 57;
    frmDeck dlg(g, cards_, nullptr);
    dlg.show();
    QCOMPARE(Frames(dlg), QString("...H........"));
    QTest::mouseClick(dlg.picDeck(4), Qt::LeftButton);
    QTest::mouseClick(dlg.picDeck(11), Qt::LeftButton);
    QCOMPARE(Frames(dlg), QString("...........H"));
    QCOMPARE(g.Game.DeckBack, uint8_t{57}); // nothing stored before OK
    QTest::keyClick(&dlg, Qt::Key_Return);  // OK is the default button
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(g.Game.DeckBack, uint8_t{65});
}

void TestFrmDeck::cancelEscAndCloseKeepTheBack() {
    for (int how = 0; how < 3; ++how) {
        mdlGlobal g(FixedSeed(3));
        g.SetDefaults();
        g.Game.DeckBack = 60;
        frmDeck dlg(g, cards_, nullptr);
        dlg.show();
        QTest::mouseClick(dlg.picDeck(0), Qt::LeftButton);
        if (how == 0)
            dlg.cmdCancel()->click();
        else if (how == 1)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(dlg.isHidden());
        QCOMPARE(g.Game.DeckBack, uint8_t{60});
    }
}

void TestFrmDeck::backOutsideTheDesigns() {
    mdlGlobal g(FixedSeed(4));
    g.SetDefaults();
    g.Game.DeckBack = 200; // from a damaged saved game
    frmDeck dlg(g, cards_, nullptr);
    dlg.show();
    QCOMPARE(Frames(dlg), QString("............"));
    dlg.cmdOK()->click();
    QCOMPARE(g.Game.DeckBack, uint8_t{200});
}

void TestFrmDeck::layoutAndPreviews() {
    mdlGlobal g(FixedSeed(5));
    g.SetDefaults();
    frmDeck dlg(g, cards_, nullptr);
    // Cells of 83 x 108 with the default card size; six of them and seven gaps.
    QCOMPARE(dlg.width(), 554);
    QCOMPARE(dlg.cmdDeck(7)->geometry(), QRect(8 + 91, 8 + 116, 83, 108));
    QCOMPARE(dlg.picDeck(7)->geometry(), QRect(8 + 91 + 4, 8 + 116 + 4, 75, 100));
    const QRect ok = dlg.cmdOK()->geometry();
    QCOMPARE(ok.width(), (554 - 24) / 2);
    QCOMPARE(dlg.cmdCancel()->geometry(), ok.translated(ok.width() + 8, 0));
    QCOMPARE(ok.top(), dlg.picDeck(11)->geometry().bottom() + 1 + 16);

    int32_t w = 0, h = 0;
    if (!cards_.cdtInit(w, h))
        QSKIP("the card decks are not installed");
    frmDeck drawn(g, cards_, nullptr);
    const QImage a = drawn.picDeck(0)->image().toImage();
    const QImage b = drawn.picDeck(1)->image().toImage();
    const QRgb border = drawn.picDeck(0)->background().rgb();
    QCOMPARE(a.pixelColor(0, 0).rgb(), border); // the border is left round the design
    QVERIFY(a.pixelColor(a.width() / 2, a.height() / 3).rgb() != border);
    QVERIFY(a != b);
}

QTEST_MAIN(TestFrmDeck)
#include "test_frmDeck.moc"
