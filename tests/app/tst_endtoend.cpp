// The whole program offscreen, wired as main() wires it: the start window, the card library,
// the table window and the rules. A game of computer seats is started through the menu key,
// answered through the real players dialog and end-of-game question, and played to its end.
#include "Cards.h"
#include "TableCheck.h"
#include "Wired.h"
#include "cards/mdlCardAPI.h"
#include "dialogs/StartUp.h"
#include "dialogs/frmName.h"
#include "dialogs/frmSplash.h"
#include "engine/mdlGlobal.h"
#include "savedgame/SavedGameCommands.h"
#include "savedgame/SavedGameFile.h"
#include "table/TableMenu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace korvane;

namespace {

// A game that has not ended after this many moves is stuck; the run is stopped and fails.
constexpr uint64_t MoveCap = 20000;

// One question the program asked, as it was on screen and what the record held meanwhile.
struct Question {
    QString title;
    QString text;
    int playerCount = -1;
    int gameState = -1;
    int lostTotal = 0;
};

// The program of main(), with the hooks it needs to run on its own: a screen size, a
// countdown that runs out at once, and a person who answers every modal window.
class Program {
public:
    explicit Program(uint32_t seed) : g(SeedSequence(seed)) {}

    // Runs start-up and the event loop until the scenario leaves it; the exit code.
    int Run() {
        StartupHooks hooks;
        hooks.initCards = [this] { return cards.cdtInit(g.CardWidth, g.CardHeight); };
        hooks.openTable = [this] {
            window = table.emplace(g, cards).w.get();
            rules = table->rules.get();
            // The one change to main()'s wiring: flights wait for no clock, not even the screen's.
            window->SetFlightClock([now = uint32_t{0}]() mutable { return now += 1000; });
            window->show();
            if (arguments.isEmpty())
                QTimer::singleShot(0, window, [this] { Play(); });
            else // the opening is due by the second turn of the loop; the program never waits
                QTimer::singleShot(0, window, [this] {
                    QTimer::singleShot(0, window, [this] {
                        if (!fileOpening)
                            QCoreApplication::exit(5);
                    });
                });
        };
        hooks.screenSize = [] { return QSize(1024, 768); };
        hooks.file = ReadArguments(arguments).file;
        hooks.openFile = [this](const QString& path) {
            fileOpening = true;
            window->OpenFile(path);
            Play(); // the person goes on once the file is open or refused
        };

        // The countdown has been started by the time the event loop runs.
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* splash = qobject_cast<frmSplash*>(w);
                if (splash && splash->Timer()->isActive())
                    return splash->Timer()->start(0);
            }
            QCoreApplication::exit(2);
        });

        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [this] { Answer(); });
        answerer.start(2);
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        return RunStartup(*app, g, std::move(hooks));
    }

    mdlGlobal g;
    CardLibrary cards;
    std::optional<test::Wired<>> table;
    frmKorvane* window = nullptr;
    GameRules* rules = nullptr;

    // The command line after the program's name; a saved game named there is opened instead
    // of a new game being started.
    QStringList arguments;
    // The players dialog: how many players to choose, all played by the computer.
    int players = 3;
    // The answers to the end-of-game questions, in order; "No" once they run out.
    QList<QMessageBox::StandardButton> playAgain;

    // What the scenario saw.
    bool fileOpening = false;
    bool newGameByKey = false;
    int namesDialogs = 0;
    QList<Question> questions;
    QStringList unexpected;
    bool stuck = false;
    bool closedByExit = false;

private:
    void Play() {
        GameInfo& G = g.Game;
        G.MoveSpeed = {0, 0};
        G.MoveStep = {400, 400};
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return QCoreApplication::exit(3);
        // F2 is what the person presses; the game is played inside the command.
        QObject::connect(window->Menu().mnGameNew, &QAction::triggered, window,
                         [this] { newGameByKey = true; });
        if (arguments.isEmpty())
            QTest::keyClick(window, Qt::Key_F2);

        // Game > Exit ends the program; anything else would leave the loop running.
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return QCoreApplication::exit(3);
        QTest::keyClick(window, Qt::Key_F4, Qt::ControlModifier);
        closedByExit = !window->isVisible();
        if (!closedByExit)
            QCoreApplication::exit(4);
    }

    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (rules && rules->Stats().moves > MoveCap && !stuck) {
            stuck = true;
            rules->EndGame();
        }
        if (!modal)
            return;
        if (auto* names = qobject_cast<frmName*>(modal)) {
            ++namesDialogs;
            // As a person does it: the lists by keyboard, then the button.
            QTest::keyClick(names->cmbPlayer(), Qt::Key_Home);
            for (int i = MinPlayers; i < players; ++i)
                QTest::keyClick(names->cmbPlayer(), Qt::Key_Down);
            QTest::keyClick(names->cmbManPlayer(), Qt::Key_Home);
            QTest::mouseClick(names->cmdOK(), Qt::LeftButton);
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const GameInfo& G = g.Game;
            Question q{box->windowTitle(), box->text(), G.PlayerCount, G.GameState, 0};
            for (std::size_t i = 0; i < G.Player.size() && i < G.PlayerCount; ++i)
                q.lostTotal += G.Player[i].Lost;
            questions << q;
            const QMessageBox::StandardButton answer =
                box->standardButtons() == QMessageBox::Ok ? QMessageBox::Ok
                : playAgain.isEmpty()                     ? QMessageBox::No
                                                          : playAgain.takeFirst();
            QAbstractButton* button = box->button(answer);
            if (!button) {
                unexpected << box->text();
                box->reject();
                return;
            }
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            unexpected << modal->metaObject()->className();
            modal->close();
        }
    }
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    // Eight computer seats, played again once and then not.
    void computerGamesToAnEmptyTable() {
        Program p(13);
        p.players = 8;
        p.playAgain = {QMessageBox::Yes};
        QCOMPARE(p.Run(), 0);

        // Start-up opened the table once the countdown of the start window ran out.
        QVERIFY(p.newGameByKey);

        // The players dialog, answered once, seated computers only.
        QCOMPARE(p.namesDialogs, 1);
        for (int i = 0; i < p.players; ++i)
            QVERIFY(p.g.Game.Player[static_cast<std::size_t>(i)].Computer);

        // One question per game played, each after the loser was counted.
        QVERIFY2(!p.stuck, "the game never ended");
        QVERIFY2(p.unexpected.isEmpty(), qPrintable(p.unexpected.join(" | ")));
        QCOMPARE(p.questions.size(), 2);
        int losers = 0;
        for (const Question& q : p.questions) {
            QCOMPARE(q.title, QString("Korvane!!!"));
            QVERIFY2(q.text.endsWith("\n\nDo you want to play again?"), qPrintable(q.text));
            const QString message = q.text.section("\n\n", 0, 0);
            if (message != "Nobody lost this game!!!") {
                QVERIFY2(message.endsWith(" lost this game."), qPrintable(message));
                ++losers;
            }
            // The record while the question is open: the game over, the seats still there, and
            // the tally of a game played again carried over.
            QCOMPARE(q.gameState, int(State::NoGame));
            QCOMPARE(q.playerCount, p.players);
            QCOMPARE(q.lostTotal, losers);
        }
        QVERIFY(p.rules->Stats().moves > 0);

        // "No": nothing left on the table and no move running; then Exit closed the window and
        // left the event loop with exit code 0.
        for (const CardDeck& suit : p.g.Game.SuitDeck)
            QVERIFY(suit.Empty());
        QVERIFY(!p.rules->MoveInProgress());
        QVERIFY(p.closedByExit);
    }

    // "korvane FILE.KVN": once the start window has gone, the file is on the table as Game >
    // Open puts it there; a damaged one is refused with Game > Open's words, over an empty
    // table.
    void aFileNamedOnTheCommandLineOpens() {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        GameInfo saved = test::MidGame(3);
        saved.CurrentPlayer = 1;
        const std::vector<uint8_t> bytes = EncodeGame(saved);
        QFile good(dir.filePath("game.KVN")), bad(dir.filePath("bad.KVN"));
        QVERIFY(good.open(QIODevice::WriteOnly) && bad.open(QIODevice::WriteOnly));
        good.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        bad.write(reinterpret_cast<const char*>(bytes.data()), 300);
        good.close();
        bad.close();

        Program opened(5);
        opened.arguments = {"game.KVN"};
        QCOMPARE(opened.Run(), 0);
        QVERIFY2(opened.questions.isEmpty(), qPrintable(opened.questions.value(0).text));
        QCOMPARE(test::Difference(opened.g.Game, saved), std::string());
        QCOMPARE(opened.g.FileName, good.fileName().toStdString());
        QVERIFY(opened.window->windowTitle().contains("game.KVN"));

        Program refused(5);
        refused.arguments = {"bad.KVN"};
        QCOMPARE(refused.Run(), 0);
        QStringList menuSays;
        SavedGameCommands(
            refused.window, *refused.rules, *refused.window,
            [&](QWidget*, const FileRequest&) { return bad.fileName(); },
            [&](QWidget*, const QString& text) { menuSays << text; })
            .mnGameOpen_Click();
        QCOMPARE(menuSays.size(), 1);
        QCOMPARE(refused.questions.size(), 1);
        QCOMPARE(refused.questions[0].text, menuSays[0]);
        QVERIFY(!refused.g.Game.InProgress());
        QVERIFY(refused.closedByExit);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
