// The help window: one per table window, beside it, and it explains every option the options
// dialog offers.
#include "dialogs/frmHelp.h"
#include "dialogs/frmOption.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QTextBrowser>
#include <QtTest>

using namespace korvane;

class TestFrmHelp : public QObject {
    Q_OBJECT
private slots:
    void oneWindowPerOwner();
    void explainsEveryOption();
    void explainsTheRules();
};

void TestFrmHelp::oneWindowPerOwner() {
    QWidget owner;
    owner.show();
    QPointer<frmHelp> first = frmHelp::Show(&owner);
    QVERIFY(first);
    QVERIFY(!first->isModal());
    QVERIFY(first->isVisible());
    QCOMPARE(frmHelp::Show(&owner), first.data());
    QCOMPARE(owner.findChildren<frmHelp*>().size(), 1);
    first->close();
    QTRY_VERIFY(first.isNull()); // closing discards it
    QPointer<frmHelp> second = frmHelp::Show(&owner);
    QVERIFY(second);
    QCOMPARE(owner.findChildren<frmHelp*>().size(), 1);
}

void TestFrmHelp::explainsEveryOption() {
    GameInfo game;
    frmOption options(game, nullptr);
    frmHelp help(nullptr);
    const QString text = help.Browser()->toPlainText();
    QStringList named;
    for (const QAbstractButton* b : options.findChildren<QAbstractButton*>())
        named << b->text();
    for (const QGroupBox* g : options.findChildren<QGroupBox*>())
        named << g->title();
    for (const QLabel* l : options.findChildren<QLabel*>()) {
        if (!l->text().contains(':') || l->text().endsWith(':'))
            named << l->text().remove(':');
    }
    named.removeAll("OK");
    named.removeAll("Cancel");
    named.removeAll("One");
    named.removeAll("Two");
    named.removeAll("Three");
    named.removeAll(QString());
    QVERIFY(named.size() >= 14);
    for (const QString& name : named)
        QVERIFY2(text.contains(name.trimmed()), qPrintable(name));
}

void TestFrmHelp::explainsTheRules() {
    const QString text = frmHelp(nullptr).Browser()->toPlainText();
    for (const char* topic : {"mistake", "penalty", "Korvane", "last chance", "Drag", "closed pile",
                              "open pile", "suit pile", "Double-click"})
        QVERIFY2(text.contains(QString::fromLatin1(topic), Qt::CaseInsensitive), topic);
}

QTEST_MAIN(TestFrmHelp)
#include "test_frmHelp.moc"
