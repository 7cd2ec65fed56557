// The options dialog: what it shows, what it stores, and the rules of its number boxes.
#include "dialogs/frmOption.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using namespace korvane;

class TestFrmOption : public QObject {
    Q_OBJECT
private slots:
    void defaultsShownOnFirstOpening();
    void everySettingRoundTrips();
    void everySettingIsStored();
    void numbers_data();
    void numbers();
    void typingKeepsOnlyNumbers();
    void speedsAreStoredAsPauses_data();
    void speedsAreStoredAsPauses();
    void stepsAreAtLeastOne_data();
    void stepsAreAtLeastOne();
    void sliderFollowsThePathBox();
    void cancelAndCloseWriteNothing();
    void keyboardOrderStartsInTheFirstStepBox();
};

namespace {

// Replaces a box's text as a user would: focus (which selects it all), then typing.
void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace

void TestFrmOption::defaultsShownOnFirstOpening() {
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("Option"));
    QVERIFY(dlg.optKorvane(0)->isChecked());
    QVERIFY(dlg.optType(1)->isChecked());
    QVERIFY(dlg.chkOutline()->isChecked());
    QVERIFY(dlg.chkTip()->isChecked());
    QVERIFY(dlg.chkChance()->isChecked());
    QVERIFY(!dlg.chkPath()->isChecked());
    QVERIFY(!dlg.sldPoints()->isEnabled());
    QCOMPARE(dlg.sldPoints()->value(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(dlg.txtStep(i)->text(), QString("15"));
        QCOMPARE(dlg.txtTime(i)->text(), QString("99"));
        QCOMPARE(dlg.txtStep(i)->maxLength(), 2);
        QCOMPARE(dlg.txtTime(i)->maxLength(), 2);
    }
}

void TestFrmOption::everySettingRoundTrips() {
    GameInfo game;
    game.TotalKorvane = 3;
    game.KorvanePerTurn = true;
    game.OutlineDrag = false;
    game.ShowTip = false;
    game.LastChance = false;
    game.StraightPath = false;
    game.PathPoints = 40;
    game.MoveStep = {7, 150};    // a saved game may hold more than a box takes by typing
    game.MoveSpeed = {60, 1000}; // shown as 40 and -900
    const GameInfo before = game;
    frmOption dlg(game, nullptr);
    dlg.show();
    QVERIFY(dlg.optKorvane(2)->isChecked());
    QVERIFY(dlg.optType(0)->isChecked());
    QVERIFY(!dlg.chkOutline()->isChecked());
    QVERIFY(!dlg.chkTip()->isChecked());
    QVERIFY(!dlg.chkChance()->isChecked());
    QVERIFY(dlg.chkPath()->isChecked());
    QVERIFY(dlg.sldPoints()->isEnabled());
    QCOMPARE(dlg.sldPoints()->value(), 40);
    QCOMPARE(dlg.txtStep(0)->text(), QString("7"));
    QCOMPARE(dlg.txtStep(1)->text(), QString("150"));
    QCOMPARE(dlg.txtTime(0)->text(), QString("40"));
    QCOMPARE(dlg.txtTime(1)->text(), QString("-900"));
    dlg.cmdOK()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(int(game.TotalKorvane), 3);
    QVERIFY(game.KorvanePerTurn);
    QVERIFY(!game.OutlineDrag && !game.ShowTip && !game.LastChance && !game.StraightPath);
    QCOMPARE(int(game.PathPoints), 40);
    QCOMPARE(game.MoveStep, before.MoveStep);
    QCOMPARE(game.MoveSpeed, before.MoveSpeed);
}

void TestFrmOption::everySettingIsStored() {
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    dlg.optKorvane(1)->click();
    dlg.optType(0)->click();
    dlg.chkOutline()->click();
    dlg.chkTip()->click();
    dlg.chkChance()->click();
    dlg.chkPath()->click();
    dlg.sldPoints()->setValue(77);
    Type(dlg.txtStep(0), "30");
    Type(dlg.txtTime(0), "50");
    Type(dlg.txtStep(1), "4");
    Type(dlg.txtTime(1), "0");
    QTest::keyClick(&dlg, Qt::Key_Return); // the default button
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(int(game.TotalKorvane), 2);
    QVERIFY(game.KorvanePerTurn);
    QVERIFY(!game.OutlineDrag);
    QVERIFY(!game.ShowTip);
    QVERIFY(!game.LastChance);
    QVERIFY(!game.StraightPath);
    QCOMPARE(int(game.PathPoints), 77);
    QCOMPARE(game.MoveStep[0], int16_t{30});
    QCOMPARE(game.MoveSpeed[0], int16_t{50});
    QCOMPARE(game.MoveStep[1], int16_t{4});
    QCOMPARE(game.MoveSpeed[1], int16_t{100});
}

void TestFrmOption::numbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << "5" << true << 5;
    QTest::newRow("negative") << "-9" << true << -9;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("trailing point") << "5." << true << 5;
    QTest::newRow("half to even down") << ".5" << true << 0;
    QTest::newRow("half to even up") << "1.5" << true << 2;
    QTest::newRow("half to even 2.5") << "2.5" << true << 2;
    QTest::newRow("negative half") << "-.5" << true << 0;
    QTest::newRow("above half") << "0.51" << true << 1;
    QTest::newRow("blanks around") << " 12 " << true << 12;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("lone minus") << "-" << false << 0;
    QTest::newRow("lone point") << "." << false << 0;
    QTest::newRow("letter") << "a" << false << 0;
    QTest::newRow("digit then letter") << "7x" << false << 7;
    QTest::newRow("two points") << "1.2.3" << false << 1;
    QTest::newRow("two signs") << "--1" << false << 0;
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
    Type(dlg.txtStep(0), "a");
    QCOMPARE(dlg.txtStep(0)->text(), QString());
    Type(dlg.txtStep(0), "-");
    QCOMPARE(dlg.txtStep(0)->text(), QString());
    Type(dlg.txtStep(0), "4x");
    QCOMPARE(dlg.txtStep(0)->text(), QString());
    Type(dlg.txtStep(0), "123");
    QCOMPARE(dlg.txtStep(0)->text(), QString("12")); // two characters at most
    Type(dlg.txtTime(0), "-");
    QCOMPARE(dlg.txtTime(0)->text(), QString("-"));
    Type(dlg.txtTime(0), "-.");
    QCOMPARE(dlg.txtTime(0)->text(), QString());
    Type(dlg.txtTime(0), "-9");
    QCOMPARE(dlg.txtTime(0)->text(), QString("-9"));
    Type(dlg.txtTime(1), "+");
    QCOMPARE(dlg.txtTime(1)->text(), QString());
    Type(dlg.txtTime(1), "-");
    dlg.cmdOK()->click();
    QCOMPARE(game.MoveStep[0], int16_t{12});
    QCOMPARE(game.MoveSpeed[0], int16_t{109});
    QCOMPARE(game.MoveSpeed[1], int16_t{100}); // a lone minus is no speed at all
}

void TestFrmOption::speedsAreStoredAsPauses_data() {
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("stored");
    QTest::newRow("-9") << "-9" << 109;
    QTest::newRow("99") << "99" << 1;
    QTest::newRow("5.") << "5." << 95;
    QTest::newRow("empty") << "" << 100;
    QTest::newRow(".5") << ".5" << 100;
}

void TestFrmOption::speedsAreStoredAsPauses() {
    QFETCH(QString, speed);
    QFETCH(int, stored);
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    dlg.txtTime(1)->setText(speed);
    dlg.cmdOK()->click();
    QCOMPARE(int(game.MoveSpeed[1]), stored);
    QCOMPARE(int(game.MoveSpeed[0]), 1);
}

void TestFrmOption::stepsAreAtLeastOne_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("stored");
    QTest::newRow("0") << "0" << 1;
    QTest::newRow("empty") << "" << 1;
    QTest::newRow("-5") << "-5" << 1;
    QTest::newRow(".5") << ".5" << 1;
    QTest::newRow("5.") << "5." << 5;
    QTest::newRow("99") << "99" << 99;
}

void TestFrmOption::stepsAreAtLeastOne() {
    QFETCH(QString, step);
    QFETCH(int, stored);
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    dlg.txtStep(0)->setText(step);
    dlg.txtStep(1)->setText(step);
    dlg.cmdOK()->click();
    QCOMPARE(int(game.MoveStep[0]), stored);
    QCOMPARE(int(game.MoveStep[1]), stored);
}

void TestFrmOption::sliderFollowsThePathBox() {
    GameInfo game;
    {
        frmOption dlg(game, nullptr);
        dlg.show();
        QTest::keyClick(dlg.chkPath(), Qt::Key_Space);
        QVERIFY(dlg.chkPath()->isChecked());
        QVERIFY(dlg.sldPoints()->isEnabled());
        QTest::keyClick(dlg.sldPoints(), Qt::Key_PageUp);
        QTest::keyClick(dlg.sldPoints(), Qt::Key_Right);
        QCOMPARE(dlg.sldPoints()->value(), 8);
        dlg.cmdOK()->click();
    }
    QVERIFY(!game.StraightPath);
    QCOMPARE(int(game.PathPoints), 8);
    {
        frmOption dlg(game, nullptr);
        dlg.show();
        dlg.chkPath()->click();
        QVERIFY(!dlg.sldPoints()->isEnabled());
        QCOMPARE(dlg.sldPoints()->value(), 8);
        dlg.cmdOK()->click();
    }
    QVERIFY(game.StraightPath);
    QCOMPARE(int(game.PathPoints), 8);
}

void TestFrmOption::cancelAndCloseWriteNothing() {
    for (int how = 0; how < 3; ++how) {
        GameInfo game;
        const GameInfo before = game;
        frmOption dlg(game, nullptr);
        dlg.show();
        dlg.optKorvane(2)->click();
        dlg.optType(0)->click();
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
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(game.TotalKorvane, before.TotalKorvane);
        QCOMPARE(bool(game.KorvanePerTurn), bool(before.KorvanePerTurn));
        QCOMPARE(bool(game.ShowTip), bool(before.ShowTip));
        QCOMPARE(bool(game.StraightPath), bool(before.StraightPath));
        QCOMPARE(game.PathPoints, before.PathPoints);
        QCOMPARE(game.MoveStep, before.MoveStep);
        QCOMPARE(game.MoveSpeed, before.MoveSpeed);
    }
}

void TestFrmOption::keyboardOrderStartsInTheFirstStepBox() {
    GameInfo game;
    frmOption dlg(game, nullptr);
    dlg.show();
    QCOMPARE(dlg.focusWidget(), dlg.txtStep(0));
    const QWidget* expected[] = {
        dlg.txtTime(0),    dlg.txtStep(1),   dlg.txtTime(1), dlg.optKorvane(0), dlg.optKorvane(1),
        dlg.optKorvane(2), dlg.optType(0),   dlg.optType(1), dlg.chkPath(),     dlg.chkTip(),
        dlg.chkChance(),   dlg.chkOutline(), dlg.cmdOK(),    dlg.cmdCancel(),   dlg.sldPoints()};
    const QWidget* w = dlg.txtStep(0);
    for (const QWidget* next : expected) {
        do {
            w = w->nextInFocusChain();
        } while (w->focusPolicy() == Qt::NoFocus);
        QCOMPARE(w, next);
    }
}

QTEST_MAIN(TestFrmOption)
#include "test_frmOption.moc"
