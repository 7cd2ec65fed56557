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

struct Shown {
    QMessageBox::Icon icon;
    QString title;
    QString text;
};

// Records what the start-up does through its hooks.
struct Harness {
    mdlGlobal g{FixedSeed(21)};
    QSize screen{1024, 768};
    bool cardsWork = true;
    int initCalls = 0;
    int openCalls = 0;
    std::vector<int> ends;
    std::vector<Shown> messages;
    std::function<void()> duringMessage;
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
        h.message = [this](QWidget*, QMessageBox::Icon icon, const QString& title,
                           const QString& text) {
            messages.push_back({icon, title, text});
            if (duringMessage)
                duringMessage();
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
    void countdownRunsOnItsOwn();
    void cardLibraryFailing();
    void userCloseOpensTheTableAtOnce();
    void otherClosesEndTheProgram();
    void pictureHoldsTheCountdown();
    void contactKeepsTheCountdownRunning();
    void countdownClosesAnOpenContactBox();
    void secondCloseWhileDecidingIsIgnored();
    void runStartupReturnsOnASmallScreen();
    void iconIsDrawn();
};

void TestStartUp::screenCheck_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("passes");
    QTest::newRow("640x480") << QSize(640, 480) << true;
    QTest::newRow("639x480") << QSize(639, 480) << false;
    QTest::newRow("640x479") << QSize(640, 479) << false;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << true;
    QTest::newRow("no screen") << QSize() << false;
}

void TestStartUp::screenCheck() {
    QFETCH(QSize, screen);
    QFETCH(bool, passes);
    Harness h;
    h.screen = screen;
    h.g.Game.PlayerCount = 5; // whatever was there, the defaults replace it
    StartUp s(h.g, h.Hooks());
    QCOMPARE(s.Begin(), passes);
    QVERIFY(s.Splash()->windowTitle().isEmpty());
    QCOMPARE(s.Splash()->Version_lbl()->text(), QString("Version 1.0"));
    QCOMPARE(s.Splash()->ProductName_lbl()->text(), QString("Korvane - Palveri Solitaire"));
    QVERIFY(!s.Splash()->Company_lbl()->text().isEmpty());
    QCOMPARE(s.Splash()->imgTovan()->toolTip().contains(s.Splash()->Company_lbl()->text()), true);
    if (passes) {
        QVERIFY(h.messages.empty());
        QVERIFY(h.ends.empty());
        QVERIFY(s.Splash()->isVisible());
        QVERIFY(s.Splash()->Timer()->isActive());
        QVERIFY(s.Splash()->Timer()->isSingleShot());
        QCOMPARE(s.Splash()->Timer()->interval(), 2000);
        QCOMPARE(int(h.g.Game.PlayerCount), 0);
        QCOMPARE(h.g.Game.GameState, State::NoGame);
        QVERIFY(h.g.Game.DeckBack >= FirstBack && h.g.Game.DeckBack <= LastBack);
    } else {
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].icon, QMessageBox::Critical);
        QCOMPARE(h.messages[0].title, QString("Sorry..."));
        QCOMPARE(h.messages[0].text, QString("Minimum 640x480 resolution required. OK!!!"));
        QCOMPARE(h.ends, std::vector<int>{1});
        QVERIFY(s.Ended());
        QVERIFY(!s.Splash()->isVisible());
        QVERIFY(!s.Splash()->Timer()->isActive());
    }
    QCOMPARE(h.initCalls, 0);
    QCOMPARE(h.openCalls, 0);
}

void TestStartUp::countdownOpensTheTable() {
    Harness h;
    StartUp s(h.g, h.Hooks());
    QVERIFY(s.Begin());
    QCOMPARE(h.g.CardWidth, 71);
    s.Splash()->Timer_Timer();
    QCOMPARE(h.initCalls, 1);
    QCOMPARE(h.openCalls, 1);
    QCOMPARE(h.g.CardWidth, 80); // the library's size, not overwritten by the defaults
    QVERIFY(!s.Splash()->isVisible());
    QVERIFY(s.TableOpened());
    QVERIFY(!s.Ended());
    QVERIFY(h.messages.empty());
}

void TestStartUp::countdownRunsOnItsOwn() {
    Harness h;
    StartUp s(h.g, h.Hooks());
    QVERIFY(s.Begin());
    s.Splash()->Timer()->start(1);
    QTRY_COMPARE(h.openCalls, 1);
    QVERIFY(!s.Splash()->isVisible());
}

void TestStartUp::cardLibraryFailing() {
    Harness h;
    h.cardsWork = false;
    StartUp s(h.g, h.Hooks());
    QVERIFY(s.Begin());
    s.Splash()->Timer_Timer();
    QCOMPARE(h.initCalls, 1);
    QCOMPARE(h.openCalls, 0);
    QCOMPARE(h.messages.size(), std::size_t{1});
    QCOMPARE(h.messages[0].title, QString("Korvane - Palveri Solitaire"));
    QCOMPARE(h.messages[0].text, QString("Can't Initialize Card Deck"));
    QCOMPARE(h.ends, std::vector<int>{1});
    QVERIFY(!s.Splash()->isVisible());
}

void TestStartUp::userCloseOpensTheTableAtOnce() {
    Harness h;
    StartUp s(h.g, h.Hooks());
    QVERIFY(s.Begin());
    // The close command of the window manager arrives as a spontaneous close event.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::instance()->notify(s.Splash(), &close);
    QVERIFY(close.isAccepted());
    QCOMPARE(h.initCalls, 1);
    QCOMPARE(h.openCalls, 1);
    QVERIFY(!s.Splash()->Timer()->isActive());
    QVERIFY(h.ends.empty());
}

void TestStartUp::otherClosesEndTheProgram() {
    {
        Harness h;
        StartUp s(h.g, h.Hooks());
        QVERIFY(s.Begin());
        QApplication::closeAllWindows();
        QCOMPARE(h.initCalls, 0);
        QCOMPARE(h.openCalls, 0);
        QCOMPARE(h.ends, std::vector<int>{0});
        QVERIFY(!s.Splash()->Timer()->isActive());
    }
    {
        Harness h;
        StartUp s(h.g, h.Hooks());
        QVERIFY(s.Begin());
        s.Splash()->close();
        QCOMPARE(h.initCalls, 0);
        QCOMPARE(h.ends, std::vector<int>{0});
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
    QVERIFY(s.Splash()->isVisible());
    QTest::mouseClick(s.Splash()->imgTovan(), Qt::LeftButton);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->remainingTime() <= 5, true);
    QTRY_COMPARE(h.openCalls, 1);
}

void TestStartUp::contactKeepsTheCountdownRunning() {
    Harness h;
    bool runningMeanwhile = false;
    StartUp s(h.g, h.Hooks());
    h.duringMessage = [&] { runningMeanwhile = s.Splash()->Timer()->isActive(); };
    QVERIFY(s.Begin());
    QVERIFY(s.Splash()->cmdContact()->text() == QString("Contact ME"));
    QVERIFY(s.Splash()->cmdContact()->isDefault());
    QTest::keyClick(s.Splash(), Qt::Key_Return);
    QCOMPARE(h.messages.size(), std::size_t{1});
    QCOMPARE(h.messages[0].title, QString("Information"));
    QCOMPARE(h.messages[0].icon, QMessageBox::NoIcon);
    QCOMPARE(h.messages[0].text.split('\n').size(), 2);
    QVERIFY(runningMeanwhile);
    QVERIFY(s.Splash()->Timer()->isActive());
    QCOMPARE(h.openCalls, 0);
}

void TestStartUp::countdownClosesAnOpenContactBox() {
    Harness h;
    StartupHooks hooks = h.Hooks();
    hooks.message = StandardMessages(); // real boxes
    StartUp s(h.g, std::move(hooks));
    QVERIFY(s.Begin());
    bool sawBox = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        sawBox = box && box->windowTitle() == QString("Information");
        s.Splash()->Timer_Timer(); // the countdown runs out while the box is open
    });
    s.Splash()->cmdContact()->click();
    QVERIFY(sawBox);
    QCOMPARE(h.openCalls, 1);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(s.Splash()->findChildren<QMessageBox*>().isEmpty());
}

void TestStartUp::secondCloseWhileDecidingIsIgnored() {
    Harness h;
    StartUp s(h.g, h.Hooks());
    h.duringInit = [&] { s.Splash()->Timer_Timer(); };
    QVERIFY(s.Begin());
    s.Splash()->Timer_Timer();
    QCOMPARE(h.initCalls, 1);
    QCOMPARE(h.openCalls, 1);
}

void TestStartUp::runStartupReturnsOnASmallScreen() {
    Harness h;
    h.screen = QSize(800, 400);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    QCOMPARE(RunStartup(*app, h.g, h.Hooks()), 1);
    QCOMPARE(h.messages.size(), std::size_t{1});
    QCOMPARE(h.initCalls, 0);
    QVERIFY(!QApplication::windowIcon().isNull());
}

void TestStartUp::iconIsDrawn() {
    const QImage img = AppIconPixmap(64).toImage();
    QCOMPARE(img.size(), QSize(64, 64));
    QVERIFY(qAlpha(img.pixel(32, 32)) > 0);
    QCOMPARE(qAlpha(img.pixel(0, 0)), 0); // rounded corner
    QVERIFY(!AppIcon().isNull());
    QVERIFY(!AppIcon().availableSizes().isEmpty());
}

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
