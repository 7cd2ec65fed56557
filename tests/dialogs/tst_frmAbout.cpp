// The about box: its lines and the two keys that close it.
#include "DialogTest.h"
#include "dialogs/frmAbout.h"

using namespace korvane;

class TestFrmAbout : public QObject {
    Q_OBJECT
private slots:
    void linesAndClosingKeys();
};

void TestFrmAbout::linesAndClosingKeys() {
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

QTEST_MAIN(TestFrmAbout)
#include "tst_frmAbout.moc"
