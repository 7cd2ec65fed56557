// Hosting a network table: the players dialog's choice of where each person plays, and the
// panel that tells friends how to join.
#include "Cards.h"
#include "dialogs/HostPanel.h"
#include "dialogs/frmName.h"

#include <QtTest>
#include <QtWidgets>

using namespace korvane;
using test::SeatPlayers;

namespace {

void Choose(QComboBox* cb, int index) {
    cb->setCurrentIndex(index);
    emit cb->activated(index);
}

constexpr int Here = 0, Remote = 1;

} // namespace

class TestHosting : public QObject {
    Q_OBJECT
private slots:
    void hostChoosesRemoteSeatsAndStaysHimself() {
        mdlGlobal g(FixedSeed(5));
        SeatPlayers(g.Game, 4, {0, 1, 2});
        std::vector<bool> remote;
        frmName dlg(g, g.Game, remote, nullptr);
        dlg.show();
        QVERIFY(dlg.cmbWhere(0)->isVisible() && !dlg.cmbWhere(3)->isVisible());

        Choose(dlg.cmbWhere(1), Remote);
        QVERIFY(!dlg.txtName(1)->isEnabled() && dlg.txtName(1)->text().isEmpty());
        QCOMPARE(dlg.txtName(1)->placeholderText(), "(joins over the network)");
        Choose(dlg.cmbWhere(2), Remote);
        Choose(dlg.cmbWhere(0), Remote); // the last seat here: refused, and said
        QCOMPARE(dlg.cmbWhere(0)->currentIndex(), Here);
        QVERIFY(dlg.lblHostOnly()->isVisible());
        Choose(dlg.cmbWhere(2), Here); // back here, with its name
        QVERIFY(dlg.txtName(2)->isEnabled() && dlg.txtName(2)->text() == "Player 3");
        QVERIFY(!dlg.lblHostOnly()->isVisible());

        dlg.cmdOK()->click();
        QCOMPARE(remote, std::vector<bool>({false, true, false, false}));
        QVERIFY(!g.Game.Player[1].Computer && g.Game.Player[3].Computer);
        QCOMPARE(g.Game.Player[2].TrimmedName(), std::string("Player 3"));
    }

    void okWithNobodyHereIsRefused() {
        mdlGlobal g(FixedSeed(5));
        SeatPlayers(g.Game, 3, {0});
        g.Game.GameState = State::Playing;
        std::vector<bool> remote;
        frmName dlg(g, g.Game, remote, nullptr);
        dlg.show();
        Choose(dlg.cmbPlayer(), 2);    // five players...
        Choose(dlg.cmbManPlayer(), 0); // ...and no person at all
        dlg.cmdOK()->click();
        QVERIFY(dlg.isVisible() && dlg.lblHostOnly()->isVisible());
        // The game in play is untouched.
        QVERIFY(g.Game.PlayerCount == 3 && g.Game.GameState == State::Playing && remote.empty());
    }

    void playersDialogOutsideHostingHasNoPlaces() {
        mdlGlobal g(FixedSeed(5));
        SeatPlayers(g.Game, 4, {0, 1});
        frmName dlg(g, nullptr);
        dlg.show();
        QVERIFY(dlg.cmbWhere(0) == nullptr && dlg.lblHostOnly() == nullptr);
        QVERIFY(dlg.findChildren<QComboBox*>().size() == 2);
    }

    void panelInvitesAndStarts() {
        HostPanel panel;
        panel.show();
        panel.SetTable("N3MMWDDZSCU5", {"192.168.1.20:47100", "[2001:db8::5]:47100"});
        panel.SetSeats({"Bob"}, 1);
        panel.cmdCopy()->click();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY(copied.contains("N3MMWDDZSCU5") && copied.contains("192.168.1.20:47100") &&
                copied.contains("[2001:db8::5]:47100"));
        QCOMPARE(panel.lblAddresses()->text(), "192.168.1.20:47100\n[2001:db8::5]:47100");
        QCOMPARE(panel.lblSeats()->text(), "Joined: Bob. Waiting for 1 more player.");
        // Names come from the network: never read as markup.
        panel.SetSeats({"<b>Eve</b>"}, 0);
        QCOMPARE(panel.lblSeats()->textFormat(), Qt::PlainText);

        QSignalSpy start(&panel, &HostPanel::StartRequested);
        QTest::keyClick(panel.cmdStart(), Qt::Key_Space);
        QCOMPARE(start.count(), 1);
    }

    // Whatever this machine has: never loopback, IPv4 first, no link-local IPv6.
    void localAddressesNeverLoopback() {
        bool v6 = false;
        for (const QString& a : LocalAddresses(47100)) {
            QVERIFY2(a.endsWith(":47100"), qPrintable(a));
            QString host = a.chopped(6);
            v6 = v6 || host.startsWith('[');
            if (host.startsWith('['))
                host = host.mid(1).chopped(1);
            const QHostAddress address(host);
            QVERIFY2(!address.isNull() && !address.isLoopback(), qPrintable(a));
            QVERIFY2(
                !v6 || (address.protocol() == QHostAddress::IPv6Protocol && !address.isLinkLocal()),
                qPrintable(a));
        }
    }
};

QTEST_MAIN(TestHosting)
#include "tst_hosting.moc"
