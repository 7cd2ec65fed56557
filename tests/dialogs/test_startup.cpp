// The start-up sequence: the screen check, the countdown, the ways the start window closes and
// what each of them leads to.
#include "DialogTest.h"
#include "dialogs/AppIcon.h"
#include "dialogs/StartUp.h"

#include <QtTest/qtestspontaneevent.h>

using namespace korvane;

namespace {

using Ends = std::vector<int>;

// Records what the start-up does through its hooks.
struct Harness {
    mdlGlobal g{FixedSeed(21)};
    QSize screen{1024, 768};
    bool cardsWork = true;
    int initCalls = 0, openCalls = 0;
    Ends ends;
    QStringList messages; // "title|text"
    std::function<void()> duringInit;

    StartupHooks Hooks() {
        StartupHooks h;
        h.screenSize = [this] { return screen; };
        h.initCards = [this] {
            ++initCalls;
            if (duringInit)
                duringInit();
            g.CardWidth = 80;
            return cardsWork;
        };
        h.openTable = [this] { ++openCalls; };
        h.message = [this](QWidget*, QMessageBox::Icon, const QString& title, const QString& text) {
            messages << title + '|' + text;
        };
        h.endProgram = [this](int code) { ends.push_back(code); };
        return h;
    }
};

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void screenCheck_data();
    void screenCheck();
    void countdownRunsOut();
    void earlyCloses();
    void pictureHoldsTheCountdown();
    void contactBoxWhileTheCountdownRuns();
    void iconAndRunStartup();
};

void TestStartUp::screenCheck_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("passes");
    QTest::newRow("640x480") << QSize(640, 480) << true;
    QTest::newRow("639x480") << QSize(639, 480) << false;
    QTest::newRow("640x479") << QSize(640, 479) << false;
    QTest::newRow("no screen") << QSize() << false;
}

void TestStartUp::screenCheck() {
    QFETCH(QSize, screen);
    QFETCH(bool, passes);
    Harness h;
    h.screen = screen;
    h.g.Game.PlayerCount = 5; // the defaults replace whatever was there
    StartUp s(h.g, h.Hooks());
    QCOMPARE(s.Begin(), passes);
    QCOMPARE(s.Splash()->Version_lbl()->text(), QString("Version 1.0"));
    QCOMPARE(s.Splash()->Timer()->isActive(), passes);
    QCOMPARE(s.Splash()->isVisible(), passes);
    QCOMPARE(int(h.g.Game.PlayerCount), passes ? 0 : 5);
    QCOMPARE(h.ends, passes ? Ends{} : Ends{1});
    QCOMPARE(h.messages, passes
                             ? QStringList()
                             : QStringList("Sorry...|Minimum 640x480 resolution required. OK!!!"));
    QCOMPARE(h.initCalls + h.openCalls, 0);
}

void TestStartUp::countdownRunsOut() {
    for (bool cardsWork : {true, false}) {
        Harness h;
        h.cardsWork = cardsWork;
        StartUp s(h.g, h.Hooks());
        h.duringInit = [&] { s.Splash()->Timer_Timer(); }; // a second close meanwhile is ignored
        QVERIFY(s.Begin());
        QCOMPARE(s.Splash()->Timer()->interval(), 2000);
        QCOMPARE(h.g.CardWidth, 71);
        s.Splash()->Timer()->start(1);
        QTRY_COMPARE(h.initCalls, 1);
        QVERIFY(!s.Splash()->isVisible());
        QCOMPARE(h.openCalls, cardsWork ? 1 : 0);
        QCOMPARE(h.g.CardWidth, 80); // the library's size, not overwritten by the defaults
        QCOMPARE(h.ends, cardsWork ? Ends{} : Ends{1});
        QCOMPARE(h.messages, cardsWork ? QStringList()
                                       : QStringList("Korvane - Palveri Solitaire|"
                                                     "Can't Initialize Card Deck"));
    }
}

void TestStartUp::earlyCloses() {
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
        QCOMPARE(h.initCalls, byUser ? 1 : 0);
        QCOMPARE(h.openCalls, byUser ? 1 : 0);
        QCOMPARE(h.ends, byUser ? Ends{} : Ends{0});
    }
}

void TestStartUp::pictureHoldsTheCountdown() {
    Harness h;
    StartUp s(h.g, h.Hooks());
    QVERIFY(s.Begin());
    QTimer* timer = s.Splash()->Timer();
    timer->setInterval(5);
    QTest::mouseClick(s.Splash()->imgTovan(), Qt::LeftButton);
    QVERIFY(!timer->isActive());
    QTest::qWait(40); // a held countdown never runs out
    QCOMPARE(h.openCalls, 0);
    QTest::mouseClick(s.Splash()->imgTovan(), Qt::LeftButton);
    QVERIFY(timer->isActive());
    QTRY_COMPARE(h.openCalls, 1);
}

void TestStartUp::contactBoxWhileTheCountdownRuns() {
    Harness h;
    StartupHooks hooks = h.Hooks();
    hooks.message = StandardMessages(); // real boxes
    StartUp s(h.g, std::move(hooks));
    QVERIFY(s.Begin());
    bool sawBox = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        sawBox = box && box->windowTitle() == QString("Information") &&
                 box->text().count('\n') == 1 && s.Splash()->Timer()->isActive();
        s.Splash()->Timer_Timer(); // the countdown runs out while the box is open
    });
    QTest::keyClick(s.Splash(), Qt::Key_Return); // "Contact ME" is the default button
    QVERIFY(sawBox);
    QCOMPARE(h.openCalls, 1);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestStartUp::iconAndRunStartup() {
    const QImage img = AppIconPixmap(64).toImage();
    QVERIFY(qAlpha(img.pixel(32, 32)) > 0 && qAlpha(img.pixel(0, 0)) == 0); // rounded corner
    Harness h;
    h.screen = QSize(800, 400);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    QCOMPARE(RunStartup(*app, h.g, h.Hooks()), 1); // ends before the event loop
    QVERIFY(!QApplication::windowIcon().isNull());
}

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
