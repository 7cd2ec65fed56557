// The card-back dialog: the previews, the one highlighted frame, OK and Cancel.
#include "dialogs/frmDeck.h"
#include "table/PictureBox.h"
#include "table/mdlCardAPI.h"

#include <QPushButton>
#include <QtTest>

using namespace korvane;

namespace {

int HighlightCount(const frmDeck& dlg) {
    int n = 0;
    for (int i = 0; i < frmDeck::Designs; ++i)
        n += dlg.Highlighted(i) ? 1 : 0;
    return n;
}

} // namespace

class TestFrmDeck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void opensOnTheCurrentBack();
    void clickSelectsOnlyOne();
    void okStoresTheSelection();
    void cancelAndCloseKeepTheBack();
    void backOutsideTheDesigns();
    void layoutFollowsTheCardSize();
    void previewsShowTheDesigns();

private:
    CardLibrary cards_;
    bool ready_ = false;
};

void TestFrmDeck::initTestCase() {
    int32_t w = 0;
    int32_t h = 0;
    ready_ = cards_.cdtInit(w, h);
}

void TestFrmDeck::opensOnTheCurrentBack() {
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        mdlGlobal g(FixedSeed(seed));
        g.SetDefaults();
        frmDeck dlg(g, cards_, nullptr);
        QCOMPARE(dlg.windowTitle(), QString("Select Deck Background"));
        QCOMPARE(dlg.SelectedBack(), g.Game.DeckBack - FirstBack);
        QVERIFY(dlg.Highlighted(dlg.SelectedBack()));
        QCOMPARE(HighlightCount(dlg), 1);
        for (int i = 0; i < frmDeck::Designs; ++i)
            QVERIFY(!dlg.cmdDeck(i)->isEnabled());
    }
}

void TestFrmDeck::clickSelectsOnlyOne() {
    mdlGlobal g(FixedSeed(1));
    g.SetDefaults();
    g.Game.DeckBack = 57;
    frmDeck dlg(g, cards_, nullptr);
    dlg.show();
    QTest::mouseClick(dlg.picDeck(4), Qt::LeftButton);
    QCOMPARE(dlg.SelectedBack(), 4);
    QTest::mouseClick(dlg.picDeck(9), Qt::LeftButton);
    QCOMPARE(dlg.SelectedBack(), 9);
    QVERIFY(dlg.Highlighted(9));
    QVERIFY(!dlg.Highlighted(4));
    QVERIFY(!dlg.Highlighted(3));
    QCOMPARE(HighlightCount(dlg), 1);
    // The same preview again changes nothing.
    QTest::mouseClick(dlg.picDeck(9), Qt::LeftButton);
    QCOMPARE(HighlightCount(dlg), 1);
    QCOMPARE(g.Game.DeckBack, uint8_t{57}); // nothing stored before OK
}

void TestFrmDeck::okStoresTheSelection() {
    mdlGlobal g(FixedSeed(2));
    g.SetDefaults();
    g.Game.DeckBack = 54;
    {
        frmDeck dlg(g, cards_, nullptr);
        dlg.show();
        QTest::mouseClick(dlg.picDeck(11), Qt::LeftButton);
        dlg.cmdOK()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QCOMPARE(g.Game.DeckBack, uint8_t{65});
    frmDeck dlg(g, cards_, nullptr);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Return); // OK is the default button; the choice stays
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(g.Game.DeckBack, uint8_t{65});
}

void TestFrmDeck::cancelAndCloseKeepTheBack() {
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
    g.Game.DeckBack = 200;
    {
        frmDeck dlg(g, cards_, nullptr);
        QCOMPARE(HighlightCount(dlg), 0);
        dlg.show();
        dlg.cmdOK()->click();
    }
    QCOMPARE(g.Game.DeckBack, uint8_t{200});
    frmDeck dlg(g, cards_, nullptr);
    dlg.show();
    QTest::mouseClick(dlg.picDeck(2), Qt::LeftButton);
    QCOMPARE(HighlightCount(dlg), 1);
    dlg.cmdOK()->click();
    QCOMPARE(g.Game.DeckBack, uint8_t{56});
}

void TestFrmDeck::layoutFollowsTheCardSize() {
    mdlGlobal g(FixedSeed(5));
    g.SetDefaults();
    frmDeck dlg(g, cards_, nullptr);
    QCOMPARE(dlg.width(), 554);
    QCOMPARE(dlg.cmdDeck(0)->geometry(), QRect(8, 8, 83, 108));
    QCOMPARE(dlg.cmdDeck(7)->geometry(), QRect(8 + 91, 8 + 116, 83, 108));
    QCOMPARE(dlg.picDeck(7)->geometry(), QRect(8 + 91 + 4, 8 + 116 + 4, 75, 100));
    const QRect ok = dlg.cmdOK()->geometry();
    const QRect cancel = dlg.cmdCancel()->geometry();
    QCOMPARE(ok.width(), (554 - 24) / 2);
    QCOMPARE(cancel.width(), ok.width());
    QCOMPARE(ok.left(), 8);
    QCOMPARE(cancel.left(), 16 + ok.width());
    QCOMPARE(ok.top(), dlg.picDeck(11)->geometry().bottom() + 1 + 16);
    QCOMPARE(dlg.height(), 2 * 108 + 5 * 8 + ok.height());

    g.CardWidth = 80;
    g.CardHeight = 110;
    frmDeck larger(g, cards_, nullptr);
    QCOMPARE(larger.width(), 6 * 92 + 7 * 8);
}

void TestFrmDeck::previewsShowTheDesigns() {
    if (!ready_)
        QSKIP("the card decks are not installed");
    mdlGlobal g(FixedSeed(6));
    g.SetDefaults();
    frmDeck dlg(g, cards_, nullptr);
    dlg.show();
    const QImage a = dlg.picDeck(0)->image().toImage();
    const QImage b = dlg.picDeck(1)->image().toImage();
    QVERIFY(!a.isNull());
    // The border keeps the background; the design fills the inside.
    const QColor border = dlg.picDeck(0)->background();
    QCOMPARE(a.pixelColor(0, 0).rgb(), border.rgb());
    const QPoint middle(a.width() / 2, a.height() / 2);
    QVERIFY(a.pixelColor(middle).rgb() != border.rgb() ||
            a.pixelColor(middle / 2).rgb() != border.rgb());
    QVERIFY(a != b);
}

QTEST_MAIN(TestFrmDeck)
#include "test_frmDeck.moc"
