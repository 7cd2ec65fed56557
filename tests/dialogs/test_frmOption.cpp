// The options dialog: what it shows, what it stores, and the rules of its number boxes.
#include "dialogs/frmOption.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using namespace korvane;

namespace {

// Replaces a box's text as a user would: the focus selects it all, then typing.
void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace

class TestFrmOption : public QObject {
    Q_OBJECT
private slots:
    void defaultsShownOnFirstOpening();
    void everySettingRoundTrips();
    void numbers_data();
    void numbers();
    void typingKeepsOnlyNumbers();
    void boxesStoreStepsAndPauses_data();
    void boxesStoreStepsAndPauses();
    void sliderFollowsThePathBox();
    void cancelEscAndCloseWriteNothing();
};

void TestFrmOption::defaultsShownOnFirstOpening() {
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    QVERIFY(dlg.optKorvane(0)->isChecked() && dlg.optType(1)->isChecked());
    QVERIFY(dlg.chkOutline()->isChecked() && dlg.chkTip()->isChecked());
    QVERIFY(dlg.chkChance()->isChecked() && !dlg.chkPath()->isChecked());
    QVERIFY(!dlg.sldPoints()->isEnabled());
    QCOMPARE(dlg.sldPoints()->value(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(dlg.txtStep(i)->text(), QString("15"));
        QCOMPARE(dlg.txtTime(i)->text(), QString("99"));
    }
    QCOMPARE(dlg.focusWidget(), dlg.txtStep(0)); // the keyboard order starts here
}

void TestFrmOption::everySettingRoundTrips() {
    GameInfo game;
    game.TotalKorvane = 3;
    game.KorvanePerTurn = true;
    game.OutlineDrag = game.ShowTip = game.LastChance = game.StraightPath = false;
    game.PathPoints = 40;
    game.MoveStep = {7, 150};    // a saved game may hold more than a box takes by typing
    game.MoveSpeed = {60, 1000}; // shown as 40 and -900
    frmOption dlg(game, nullptr);
    dlg.show();
    QVERIFY(dlg.optKorvane(2)->isChecked() && dlg.optType(0)->isChecked());
    QVERIFY(dlg.chkPath()->isChecked() && dlg.sldPoints()->isEnabled());
    QCOMPARE(dlg.txtStep(1)->text(), QString("150"));
    QCOMPARE(dlg.txtTime(1)->text(), QString("-900"));
    QTest::keyClick(&dlg, Qt::Key_Return); // the default button
    QCOMPARE(int(game.TotalKorvane), 3);
    QVERIFY(game.KorvanePerTurn);
    QVERIFY(!game.OutlineDrag && !game.ShowTip && !game.LastChance && !game.StraightPath);
    QCOMPARE(int(game.PathPoints), 40);
    QCOMPARE(game.MoveStep, (std::array<int16_t, 2>{7, 150}));
    QCOMPARE(game.MoveSpeed, (std::array<int16_t, 2>{60, 1000}));
}

void TestFrmOption::numbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << " 12 " << true << 12;
    QTest::newRow("signs") << "-9" << true << -9;
    QTest::newRow("trailing point") << "5." << true << 5;
    QTest::newRow("half to even, down") << ".5" << true << 0;
    QTest::newRow("half to even, up") << "1.5" << true << 2;
    QTest::newRow("half to even, 2.5") << "2.5" << true << 2;
    QTest::newRow("above half") << "-0.51" << true << -1;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("lone sign") << "-" << false << 0;
    QTest::newRow("lone point") << "." << false << 0;
    QTest::newRow("digit then letter") << "7x" << false << 7;
    QTest::newRow("two points") << "1.2.3" << false << 1;
    QTest::newRow("inner blank") << "1 2" << false << 1;
    QTest::newRow("huge") << "99999999999" << true << std::numeric_limits<int>::max();
}

void TestFrmOption::numbers() {
    QFETCH(QString, text);
    QFETCH(bool, number);
    QFETCH(int, value);
    QCOMPARE(frmOption::IsNumber(text), number);
    QCOMPARE(frmOption::TextValue(text), value);
}

void TestFrmOption::typingKeepsOnlyNumbers() {
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    const struct {
        QLineEdit* box;
        const char* typed;
        const char* kept;
    } cases[] = {{dlg.txtStep(0), "a", ""},    {dlg.txtStep(0), "-", ""},
                 {dlg.txtStep(0), "4x", ""},   {dlg.txtStep(0), "123", "12"},
                 {dlg.txtTime(0), "-.", ""},   {dlg.txtTime(0), "+", ""},
                 {dlg.txtTime(0), "-9", "-9"}, {dlg.txtTime(1), "-", "-"}};
    for (const auto& c : cases) {
        Type(c.box, QString::fromLatin1(c.typed));
        QCOMPARE(c.box->text(), QString::fromLatin1(c.kept));
    }
    dlg.cmdOK()->click();
    QCOMPARE(game.MoveStep[0], int16_t{12});
    QCOMPARE(game.MoveSpeed[0], int16_t{109});
    QCOMPARE(game.MoveSpeed[1], int16_t{100}); // a lone minus is no speed at all
}

void TestFrmOption::boxesStoreStepsAndPauses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("pause");
    QTest::newRow("-9") << "-9" << 1 << 109;
    QTest::newRow("99") << "99" << 99 << 1;
    QTest::newRow("5.") << "5." << 5 << 95;
    QTest::newRow(".5") << ".5" << 1 << 100;
    QTest::newRow("0") << "0" << 1 << 100;
    QTest::newRow("empty") << "" << 1 << 100;
}

void TestFrmOption::boxesStoreStepsAndPauses() {
    QFETCH(QString, text);
    QFETCH(int, step);
    QFETCH(int, pause);
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    dlg.txtStep(1)->setText(text);
    dlg.txtTime(1)->setText(text);
    dlg.cmdOK()->click();
    QCOMPARE(int(game.MoveStep[1]), step);
    QCOMPARE(int(game.MoveSpeed[1]), pause);
    QCOMPARE(int(game.MoveStep[0]), 15);
    QCOMPARE(int(game.MoveSpeed[0]), 1);
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
    for (int how = 0; how < 3; ++how) {
        GameInfo game;
        frmOption dlg(game, nullptr);
        dlg.show();
        dlg.optKorvane(2)->click();
        dlg.chkTip()->click();
        dlg.chkPath()->click();
        dlg.sldPoints()->setValue(50);
        Type(dlg.txtStep(0), "3");
        Type(dlg.txtTime(1), "-9");
        if (how == 0)
            dlg.cmdCancel()->click();
        else if (how == 1)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(dlg.isHidden());
        QCOMPARE(int(game.TotalKorvane), 1);
        QVERIFY(game.ShowTip && game.StraightPath);
        QCOMPARE(int(game.PathPoints), 2);
        QCOMPARE(game.MoveStep, (std::array<int16_t, 2>{15, 15}));
        QCOMPARE(game.MoveSpeed, (std::array<int16_t, 2>{1, 1}));
    }
}

QTEST_MAIN(TestFrmOption)
#include "test_frmOption.moc"
