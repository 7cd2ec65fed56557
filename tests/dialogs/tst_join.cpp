// The Join Network Table dialog, fed by a stand-in for the network's discovery: tables listed as
// they come and go, a choice filling the boxes, and the attempt handed to the owner only when
// the boxes make sense.
#include "dialogs/JoinDialog.h"
#include "net/Protocol.h"

#include <QtTest>
#include <QtWidgets>

using namespace korvane;

namespace {

class FakeFinder final : public lan::TableFinder {
public:
    void Start() override { ++starts; }
    int starts = 0;
};

lan::AdvertisedTable Table(const QString& service, const QString& host) {
    return {service, host, 47100, QStringLiteral("N3MMWDDZSCU5"), net::ProtocolVersion};
}

QStringList Listed(const JoinDialog& d) {
    QStringList texts;
    for (int i = 0; i < d.lstTables()->count(); ++i)
        texts << d.lstTables()->item(i)->text();
    return texts;
}

JoinRequest Attempted(const QSignalSpy& spy) {
    return spy.last().at(0).value<JoinRequest>();
}

} // namespace

class TestJoin : public QObject {
    Q_OBJECT
private slots:
    void serverUrl_data();
    void serverUrl();
    void listsTablesAndJoinsTheChosenOne();
    void typedWayWorksWhenTheFinderFails();
    void badInputStaysInTheDialog_data();
    void badInputStaysInTheDialog();
};

void TestJoin::serverUrl_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("url"); // empty: refused
    QTest::newRow("host:port") << " 10.47.0.1:47200 "
                               << "ws://10.47.0.1:47200";
    QTest::newRow("host alone") << "tables.example"
                                << "ws://tables.example:47100";
    QTest::newRow("ipv6 with port") << "[fe80::1]:5000"
                                    << "ws://[fe80::1]:5000";
    QTest::newRow("bare ipv6") << "::1"
                               << "ws://[::1]:47100";
    QTest::newRow("wss as given") << "WSS://Tables.example/korvane"
                                  << "wss://tables.example/korvane";
    QTest::newRow("empty") << "  "
                           << "";
    QTest::newRow("port 0") << "host:0"
                            << "";
    QTest::newRow("port too big") << "host:65536"
                                  << "";
    QTest::newRow("port not a number") << "host:+80"
                                       << "";
    QTest::newRow("colon, no port") << "host:"
                                    << "";
    QTest::newRow("unclosed bracket") << "[::1:80"
                                      << "";
    QTest::newRow("blank in host") << "my host:80"
                                   << "";
    QTest::newRow("other scheme") << "http://host:80"
                                  << "";
    QTest::newRow("no host") << "ws://"
                             << "";
}

void TestJoin::serverUrl() {
    QFETCH(QString, address);
    QFETCH(QString, url);
    QString why;
    const std::optional<QUrl> got = ServerUrl(address, &why);
    QCOMPARE(got ? got->toString() : QString(), url);
    QCOMPARE(why.isEmpty(), !url.isEmpty());
}

void TestJoin::listsTablesAndJoinsTheChosenOne() {
    FakeFinder finder;
    JoinDialog d(finder, QStringLiteral("Bob"));
    d.show();
    QCOMPARE(finder.starts, 1);
    // Nothing found yet: what is typed goes to the address.
    QCOMPARE(d.focusWidget(), d.txtAddress());
    QVERIFY(d.lblNote()->isVisible());
    QVERIFY(d.lblNote()->text().contains(QStringLiteral("No table")));

    emit finder.Found(Table(QStringLiteral("Ann's table"), QStringLiteral("10.47.0.1")));
    emit finder.Found(Table(QStringLiteral("Cid's table"), QStringLiteral("10.47.0.3")));
    // A table seen again with another address is the same table.
    emit finder.Found(Table(QStringLiteral("Ann's table"), QStringLiteral("fd00::2")));
    QCOMPARE(Listed(d), (QStringList{QStringLiteral("Ann's table \u2014 fd00::2"),
                                     QStringLiteral("Cid's table \u2014 10.47.0.3")}));
    QVERIFY(!d.lblNote()->isVisible());

    emit finder.Lost(QStringLiteral("Cid's table"));
    QCOMPARE(Listed(d).size(), 1);

    // Join pressed before anything is chosen points to the list.
    QSignalSpy early(&d, &JoinDialog::Attempt);
    d.cmdJoin()->click();
    QVERIFY(early.isEmpty());
    QVERIFY(d.lblMessage()->text().contains(QStringLiteral("choose a table in the list")));

    // Choosing fills the boxes; a double click joins, and so does Enter.
    d.lstTables()->setFocus();
    QTest::keyClick(d.lstTables(), Qt::Key_Down);
    QCOMPARE(d.txtAddress()->text(), QStringLiteral("[fd00::2]:47100"));
    QCOMPARE(d.txtCode()->text(), QStringLiteral("N3MMWDDZSCU5"));
    d.txtAddress()->clear();
    QSignalSpy attempts(&d, &JoinDialog::Attempt);
    QListWidget* list = d.lstTables();
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(attempts.size(), 1);
    const JoinRequest r = Attempted(attempts);
    QCOMPARE(r.server, QUrl(QStringLiteral("ws://[fd00::2]:47100")));
    QCOMPARE(r.code, QStringLiteral("N3MMWDDZSCU5"));
    QCOMPARE(r.name, QStringLiteral("Bob"));
    QVERIFY(!d.cmdJoin()->isEnabled());

    d.Refused(QStringLiteral("No table has that code."));
    QVERIFY(d.isVisible());
    QCOMPARE(d.lblMessage()->text(), QStringLiteral("No table has that code."));
    QVERIFY(d.cmdJoin()->isEnabled());

    // Refused at once, inside the attempt: Enter still makes one attempt only.
    connect(&d, &JoinDialog::Attempt, &d, [&d] { d.Refused(QStringLiteral("Wrong code.")); });
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(attempts.size(), 2);
    d.Joined();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!d.isVisible());
}

void TestJoin::typedWayWorksWhenTheFinderFails() {
    FakeFinder finder;
    JoinDialog d(finder, QStringLiteral("Bob"));
    d.show();
    emit finder.Failed(QStringLiteral("The Avahi service is not running."));
    QVERIFY(d.lblNote()->text().startsWith(QStringLiteral("The Avahi service is not running.")));

    QSignalSpy attempts(&d, &JoinDialog::Attempt);
    QTest::keyClicks(d.txtAddress(), QStringLiteral("10.47.0.1:47200"));
    QTest::keyClicks(d.txtCode(), QStringLiteral("n3mmwddzscu5"));
    d.txtName()->setText(QStringLiteral("  Bo b "));
    d.cmdJoin()->click();
    QCOMPARE(attempts.size(), 1);
    const JoinRequest r = Attempted(attempts);
    QCOMPARE(r.server, QUrl(QStringLiteral("ws://10.47.0.1:47200")));
    QCOMPARE(r.code, QStringLiteral("N3MMWDDZSCU5"));
    QCOMPARE(r.name, QStringLiteral("Bo b"));
}

void TestJoin::badInputStaysInTheDialog_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    const QString host = QStringLiteral("10.47.0.1");
    const QString code = QStringLiteral("N3MMWDDZSCU5");
    QTest::newRow("no name") << host << code << " ";
    QTest::newRow("no code") << host << ""
                             << "Bob";
    QTest::newRow("short code") << host << "N3MMWDDZSCU"
                                << "Bob";
    QTest::newRow("letter O in code") << host << "N3MMWDDZSCUO"
                                      << "Bob";
    QTest::newRow("no address") << "" << code << "Bob";
}

void TestJoin::badInputStaysInTheDialog() {
    QFETCH(QString, address);
    QFETCH(QString, code);
    QFETCH(QString, name);
    FakeFinder finder;
    JoinDialog d(finder, name);
    d.show();
    d.txtAddress()->setText(address);
    d.txtCode()->setText(code);
    QSignalSpy attempts(&d, &JoinDialog::Attempt);
    d.cmdJoin()->click();
    QCOMPARE(attempts.size(), 0);
    QVERIFY(d.isVisible());
    QVERIFY(!d.lblMessage()->text().isEmpty());
    QVERIFY(d.cmdJoin()->isEnabled());
}

QTEST_MAIN(TestJoin)
#include "tst_join.moc"
