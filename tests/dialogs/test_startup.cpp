// The start-up sequence: the screen check, the countdown, the ways the start window closes and
// what each of them leads to.
#include "dialogs/AppIcon.h"
#include "dialogs/StartUp.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest/qtestspontaneevent.h>
#include <QtTest>

using namespace korvane;

namespace {

// Records what the start-up does through its hooks.
struct Harness {
    mdlGlobal g{FixedSeed(21)};
    QSize screen{1024, 768};
    bool cardsWork = true;
    int initCalls = 0;
    int openCalls = 0;
    std::vector<int> ends;
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
    void countdownOpensTheTable();
    void cardLibraryFailing();
    void closeReasons();
    void pictureHoldsTheCountdown();
    void contactBoxWhileTheCountdownRuns();
    void iconIsDrawn();
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
    QVERIFY(s.Splash()->imgTovan()->toolTip().contains(s.Splash()->Company_lbl()->text()));
    QCOMPARE(s.Splash()->Timer()->isActive(), passes);
    QCOMPARE(s.Splash()->isVisible(), passes);
    if (passes) {
        QVERIFY(h.messages.isEmpty() && h.ends.empty());
        QCOMPARE(s.Splash()->Timer()->interval(), 2000);
        QCOMPARE(int(h.g.Game.PlayerCount), 0);
    } else {
        QCOMPARE(h.messages, QStringList("Sorry...|Minimum 640x480 resolution required. OK!!!"));
        QCOMPARE(h.ends, std::vector<int>{1});
    }
    QCOMPARE(h.initCalls + h.openCalls, 0);
}

void TestStartUp::countdownOpensTheTable() {
    Harness h;
    StartUp s(h.g, h.Hooks());
    h.duringInit = [&] { s.Splash()->Timer_Timer(); }; // a second close meanwhile is ignored
    QVERIFY(s.Begin());
    QCOMPARE(h.g.CardWidth, 71);
    s.Splash()->Timer()->start(1);
    QTRY_COMPARE(h.openCalls, 1);
    QCOMPARE(h.initCalls, 1);
    QCOMPARE(h.g.CardWidth, 80); // the library's size, not overwritten by the defaults
    QVERIFY(!s.Splash()->isVisible());
    QVERIFY(h.messages.isEmpty() && h.ends.empty());
}

void TestStartUp::cardLibraryFailing() {
    Harness h;
    h.cardsWork = false;
    StartUp s(h.g, h.Hooks());
    QVERIFY(s.Begin());
    s.Splash()->Timer_Timer();
    QCOMPARE(h.openCalls, 0);
    QCOMPARE(h.messages, QStringList("Korvane - Palveri Solitaire|Can't Initialize Card Deck"));
    QCOMPARE(h.ends, std::vector<int>{1});
    QVERIFY(!s.Splash()->isVisible());
}

void TestStartUp::closeReasons() {
    {
        // The window manager's close command arrives as a spontaneous close event.
        Harness h;
        StartUp s(h.g, h.Hooks());
        QVERIFY(s.Begin());
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QCoreApplication::instance()->notify(s.Splash(), &close);
        QCOMPARE(h.openCalls, 1);
        QVERIFY(!s.Splash()->Timer()->isActive());
        QVERIFY(h.ends.empty());
    }
    {
        // The application closing its windows (or the session ending) ends the program.
        Harness h;
        StartUp s(h.g, h.Hooks());
        QVERIFY(s.Begin());
        QApplication::closeAllWindows();
        QCOMPARE(h.initCalls + h.openCalls, 0);
        QCOMPARE(h.ends, std::vector<int>{0});
        QVERIFY(!s.Splash()->Timer()->isActive());
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

void TestStartUp::iconIsDrawn() {
    const QImage img = AppIconPixmap(64).toImage();
    QVERIFY(qAlpha(img.pixel(32, 32)) > 0);
    QCOMPARE(qAlpha(img.pixel(0, 0)), 0); // a rounded corner
    Harness h;
    h.screen = QSize(800, 400);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    QCOMPARE(RunStartup(*app, h.g, h.Hooks()), 1); // ends before the event loop
    QVERIFY(!QApplication::windowIcon().isNull());
}

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
