// The about box: its lines and the two keys that close it.
#include "dialogs/frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace korvane;

class TestFrmAbout : public QObject {
    Q_OBJECT
private slots:
    void showsTitleVersionAndCredit();
    void versionKeepsTwoMinorDigits_data();
    void versionKeepsTwoMinorDigits();
    void enterAndEscClose_data();
    void enterAndEscClose();
};

void TestFrmAbout::showsTitleVersionAndCredit() {
    frmAbout dlg(nullptr);
    QCOMPARE(dlg.windowTitle(), QString("About Korvane"));
    QCOMPARE(dlg.lblApp()->text(), QString("Korvane - Palveri Solitaire"));
    QCOMPARE(dlg.lblVer()->text(), QString("Ver: 1.00"));
    const QStringList lines = dlg.lblMe()->text().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY(!lines[0].trimmed().isEmpty());
    QVERIFY(!lines[1].trimmed().isEmpty());
    QVERIFY(dlg.isModal());
}

void TestFrmAbout::versionKeepsTwoMinorDigits_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("line");
    QTest::newRow("2.05") << 2 << 5 << "Ver: 2.05";
    QTest::newRow("3.12") << 3 << 12 << "Ver: 3.12";
    QTest::newRow("4.123") << 4 << 123 << "Ver: 4.123";
}

void TestFrmAbout::versionKeepsTwoMinorDigits() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, line);
    frmAbout dlg(nullptr, major, minor);
    QCOMPARE(dlg.lblVer()->text(), line);
}

void TestFrmAbout::enterAndEscClose_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TestFrmAbout::enterAndEscClose() {
    QFETCH(int, key);
    frmAbout dlg(nullptr);
    dlg.show();
    QVERIFY(dlg.isVisible());
    QTest::keyClick(&dlg, static_cast<Qt::Key>(key));
    QVERIFY(dlg.isHidden());
}

QTEST_MAIN(TestFrmAbout)
#include "test_frmAbout.moc"
