// The help window explains every option the options dialog offers.
#include "DialogTest.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmOption.h"

using namespace korvane;

class TestFrmHelp : public QObject {
    Q_OBJECT
private slots:
    void explainsEveryOption();
};

void TestFrmHelp::explainsEveryOption() {
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

QTEST_MAIN(TestFrmHelp)
#include "tst_frmHelp.moc"
