// The start-up sequence: the screen check, the countdown and the ways the start window closes.
#include "dialogs/StartUp.h"

#include <QtTest/qtestspontaneevent.h>
#include <QtTest>
#include <QtWidgets>

using namespace korvane;

namespace {

// Logs, in order, what the start-up does through its hooks.
struct Harness {
    mdlGlobal g{FixedSeed(21)};
    QSize screen{1024, 768};
    bool cardsWork = true;
    QStringList log;
    std::function<void()> duringInit;

    StartupHooks Hooks() {
        StartupHooks h;
        h.screenSize = [this] { return screen; };
        h.initCards = [this] {
            log << "init";
            if (duringInit)
                duringInit();
            g.CardWidth = 80;
            return cardsWork;
        };
        h.openTable = [this] { log << "open"; };
        h.message = [this](QWidget*, QMessageBox::Icon, const QString& title, const QString& text) {
            log << title + '|' + text;
        };
        h.endProgram = [this](int code) { log << "end " + QString::number(code); };
        return h;
    }
};

const QStringList Opened{"init", "open"};
const QString TooSmall = "Sorry...|Minimum 640x480 resolution required. OK!!!";
const QString NoCards = "Korvane - Palveri Solitaire|Can't Initialize Card Deck";

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void screenCheck() {
        for (const QSize screen : {QSize(640, 480), QSize(639, 480), QSize(640, 479), QSize()}) {
            const bool passes = screen == QSize(640, 480);
            Harness h;
            h.screen = screen;
            h.g.Game.PlayerCount = 5; // the defaults replace whatever was there
            StartUp s(h.g, h.Hooks());
            QCOMPARE(s.Begin(), passes);
            QCOMPARE(s.Splash()->Version_lbl()->text(), QString("Version 1.0"));
            QVERIFY(s.Splash()->Timer()->isActive() == passes && s.Splash()->isVisible() == passes);
            QVERIFY(!passes || h.g.Game.PlayerCount == 0);
            QCOMPARE(h.log, (passes ? QStringList() : QStringList{TooSmall, "end 1"}));
        }
    }

    void countdownRunsOut() {
        for (bool cardsWork : {true, false}) {
            Harness h;
            h.cardsWork = cardsWork;
            StartUp s(h.g, h.Hooks());
            // A second close meanwhile is ignored.
            h.duringInit = [&] { s.Splash()->Timer_Timer(); };
            QVERIFY(s.Begin());
            QVERIFY(s.Splash()->Timer()->interval() == 2000 && h.g.CardWidth == 71);
            s.Splash()->Timer()->start(1);
            QTRY_COMPARE(h.log, (cardsWork ? Opened : QStringList{"init", NoCards, "end 1"}));
            QVERIFY(!s.Splash()->isVisible());
            QCOMPARE(h.g.CardWidth, 80); // the library's size, not overwritten by the defaults
        }
    }

    void earlyCloses() {
        for (bool byUser : {true, false}) {
            Harness h;
            StartUp s(h.g, h.Hooks());
            QVERIFY(s.Begin());
            if (byUser) { // the window manager's close command is a spontaneous close event
                QCloseEvent close;
                QSpontaneKeyEvent::setSpontaneous(&close);
                QCoreApplication::instance()->notify(s.Splash(), &close);
            } else { // the application closing its windows, or the session ending, ends it all
                QApplication::closeAllWindows();
            }
            QVERIFY(!s.Splash()->Timer()->isActive());
            QCOMPARE(h.log, byUser ? Opened : QStringList{"end 0"});
        }
    }

    void pictureHoldsTheCountdown() {
        Harness h;
        StartUp s(h.g, h.Hooks());
        QVERIFY(s.Begin());
        s.Splash()->Timer()->setInterval(5);
        QTest::mouseClick(s.Splash()->imgTovan(), Qt::LeftButton);
        QTest::qWait(40); // a held countdown never runs out
        QVERIFY(h.log.isEmpty());
        QTest::mouseClick(s.Splash()->imgTovan(), Qt::LeftButton);
        QTRY_COMPARE(h.log, Opened);
    }

    void contactBoxWhileTheCountdownRuns() {
        Harness h;
        StartupHooks hooks = h.Hooks();
        hooks.message = StandardMessages(); // real boxes
        StartUp s(h.g, std::move(hooks));
        QVERIFY(s.Begin());
        bool sawBox = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            sawBox = box && box->windowTitle() == QString("Information") &&
                     s.Splash()->Timer()->isActive();
            s.Splash()->Timer_Timer(); // the countdown runs out while the box is open
        });
        QTest::keyClick(s.Splash(), Qt::Key_Return); // "Contact ME" is the default button
        QVERIFY(sawBox);
        QCOMPARE(h.log, Opened); // the table opened once, and the box went with the start window
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void tooSmallAScreenEndsBeforeTheEventLoop() {
        Harness h;
        h.screen = QSize(800, 400);
        StartupHooks hooks = h.Hooks();
        hooks.endProgram = nullptr; // the program's own ending
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        QCOMPARE(RunStartup(*app, h.g, std::move(hooks)), 1);
        QVERIFY(!QApplication::windowIcon().isNull());
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
