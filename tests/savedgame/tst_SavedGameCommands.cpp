// Game > Open, Save and Save As over real files, with the file dialog and the message boxes
// answered by the test.
#include "TestGames.h"
#include "savedgame/SavedGameCommands.h"
#include "savedgame/SavedGameFile.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <deque>
#include <functional>
#include <sys/resource.h>

using namespace korvane;
using namespace korvane::testing;

namespace {

// Counts what the commands ask of the table; the game-play test hooks into flights and
// questions to save in the middle of a move.
class CountingDisplay : public TableDisplay {
public:
    explicit CountingDisplay(mdlGlobal& g) : g_(g) {}

    int captions = 0, resizes = 0, paints = 0, flights = 0;
    bool lastCaption = false;
    std::string titleAtCaption;
    std::function<void()> onFlight, onAskPlayAgain, onCardShow;

    void PaintCloseDeck(uint8_t) override {}
    void PaintOpenDeck(uint8_t, bool) override {}
    void PrintLabel(uint8_t) override {}
    void PaintSuit(uint8_t, bool) override {}
    void PaintForm() override { ++paints; }
    void SetDragPic(int16_t, Pile, uint8_t) override {}
    void HideDragPic() override {}
    void SetCurrentPlayer(bool, bool) override {}
    bool AnimateMove(uint8_t toPly) override {
        ++flights;
        Call(onFlight);
        return toPly != Target::None;
    }
    void GiveTip() override {}
    void HidePlayerFrames() override {}
    void CardShowFlight(uint8_t, uint8_t) override { Call(onCardShow); }
    void SetCaption(bool ShowTable) override {
        ++captions;
        lastCaption = ShowTable;
        titleAtCaption = g_.FileTitle;
    }
    void Form_Resize() override { ++resizes; }
    void SetBusyPointer(bool) override {}
    // Seat 0 is a person, the other three are played by the computer.
    void AskPlayers() override {
        g_.Game.PlayerCount = 4;
        g_.Game.Player.assign(4, PlayerInfo{});
        for (uint8_t i = 1; i < 4; ++i)
            g_.Game.Player[i].Computer = true;
        g_.Game.GameState = State::Dealt;
    }
    bool AskPlayAgain(const std::string&) override {
        Call(onAskPlayAgain);
        return false;
    }
    Answer AskSwitchMode(uint8_t, bool) override { return Answer::No; }

private:
    static void Call(const std::function<void()>& f) {
        if (f)
            f();
    }
    mdlGlobal& g_;
};

// One game with its commands; the file dialog answers from `answers` ("" cancels).
struct Harness {
    mdlGlobal g{FixedSeed(1)};
    CountingDisplay view{g};
    GameRules rules{g, view};
    std::deque<QString> answers;
    std::vector<FileRequest> asked;
    QStringList messages;
    SavedGameCommands commands{nullptr, rules, view,
                               [this](QWidget*, const FileRequest& r) {
                                   asked.push_back(r);
                                   if (answers.empty())
                                       return QString();
                                   QString a = answers.front();
                                   answers.pop_front();
                                   return a;
                               },
                               [this](QWidget*, const QString& text) { messages << text; }};

    Harness(const Harness&) = delete;
    Harness() = default;
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray Bytes(const GameInfo& g) {
    const std::vector<uint8_t> b = EncodeGame(g);
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

LoadResult Load(const QByteArray& bytes) {
    return DecodeGame(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()),
                                               static_cast<std::size_t>(bytes.size())));
}

// A game in state 1 with a person to move and options away from their defaults.
GameInfo TurnedCardGame() {
    GameInfo g = MidGame(3);
    g.GameState = State::Turned;
    g.CurrentPlayer = 1;
    g.Player[2].Computer = true;
    g.Player[0].Lost = 4;
    g.Player[1].SetName("Zo\xeb");
    g.DeckBack = 63;
    g.MoveSpeed = {50, 109};
    g.TotalKorvane = 3;
    g.ShowTip = g.StraightPath = false;
    return g;
}

} // namespace

class SavedGameCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString At(const QString& name) const { return dir.filePath(name); }

private slots:
    void saveAsWritesTheGameAndShowsItsTitle() {
        Harness h;
        h.g.Game = MidGame(3);
        h.answers = {At("first.KVN")};
        h.commands.mnGameSaveAs_Click();

        QCOMPARE(h.asked.size(), std::size_t{1});
        const FileRequest& r = h.asked[0];
        QVERIFY(!r.open);
        QCOMPARE(r.folder, QCoreApplication::applicationDirPath());
        QCOMPARE(r.filter, QStringLiteral("Korvane File (.KVN) (*.KVN *.kvn)"));
        QCOMPARE(r.suffix, QStringLiteral("KVN"));
        QVERIFY(r.preset.isEmpty());

        const QByteArray file = ReadAll(At("first.KVN"));
        QCOMPARE(file.size(), 1375);
        QCOMPARE(file, Bytes(MidGame(3)));
        QCOMPARE(h.g.FileName, At("first.KVN").toStdString());
        QCOMPARE(h.g.FileTitle, std::string("first.KVN"));
        // The caption shows the new title; the table is not repainted.
        QCOMPARE(h.view.captions, 1);
        QVERIFY(h.view.lastCaption);
        QCOMPARE(h.view.titleAtCaption, std::string("first.KVN"));
        QCOMPARE(h.view.paints, 0);
        QVERIFY(h.messages.isEmpty());

        // Save goes to the same file without asking.
        h.g.Game.Player[2].Lost = 9;
        h.commands.mnGameSave_Click();
        QCOMPARE(h.asked.size(), std::size_t{1});
        QCOMPARE(Load(ReadAll(At("first.KVN"))).game->Player[2].Lost, 9);

        // Save As offers the current file.
        h.answers = {At("second.kvn")};
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(h.asked.back().preset, At("first.KVN"));
        QCOMPARE(h.g.FileTitle, std::string("second.kvn"));
        QCOMPARE(h.view.titleAtCaption, std::string("second.kvn"));
    }

    void saveWithoutAGameNeedsNoTable() {
        Harness h;
        h.answers = {At("empty.KVN")};
        h.commands.mnGameSave_Click();
        QCOMPARE(ReadAll(At("empty.KVN")).size(), 262);
        QCOMPARE(h.view.captions, 1);
        QVERIFY(!h.view.lastCaption);
        QVERIFY(Load(ReadAll(At("empty.KVN"))));
    }

    void openReplacesTheGame() {
        const GameInfo saved = TurnedCardGame();
        QVERIFY(WriteAll(At("turned.KVN"), Bytes(saved)));

        Harness h;
        h.g.Game = MidGame(5);
        const uint64_t epoch = h.rules.Epoch();
        h.answers = {At("turned.KVN")};
        h.commands.mnGameOpen_Click();

        QVERIFY(h.asked.at(0).open);
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.join('\n')));
        QCOMPARE(Bytes(h.g.Game), Bytes(saved));
        QCOMPARE(h.g.Game.CardInHand(), saved.CardInHand());
        QCOMPARE(h.g.Game.Player[1].TrimmedName(), std::string("Zo\xeb"));
        QVERIFY(h.rules.Epoch() != epoch);
        QCOMPARE(h.g.FileName, At("turned.KVN").toStdString());
        QCOMPARE(h.g.FileTitle, std::string("turned.KVN"));
        QCOMPARE(h.view.titleAtCaption, std::string("turned.KVN"));
        QVERIFY(h.view.lastCaption);
        QCOMPARE(h.view.resizes, 1);
        QCOMPARE(h.view.paints, 1);
    }

    void openedComputerTurnPlaysOn() {
        GameInfo saved = MidGame(3);
        saved.CurrentPlayer = 2;
        saved.Player[2].Computer = true;
        QVERIFY(WriteAll(At("computer.KVN"), Bytes(saved)));

        Harness h;
        h.answers = {At("computer.KVN")};
        h.commands.mnGameOpen_Click();
        QVERIFY(h.view.flights > 0);
        QVERIFY(!h.g.Game.Player[h.g.Game.CurrentPlayer].Computer);
    }

    void shortSaveReplacesALongerFile() {
        Harness h;
        h.g.Game = MidGame(8);
        h.answers = {At("long.KVN")};
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(ReadAll(At("long.KVN")).size(), 3230);

        h.g.Game = MidGame(3);
        h.commands.mnGameSave_Click();
        QCOMPARE(ReadAll(At("long.KVN")), Bytes(MidGame(3)));

        // A reader ignores whatever follows the record anyway.
        QVERIFY(WriteAll(At("tail.KVN"), Bytes(MidGame(3)) + QByteArray(1855, '\x7f')));
        Harness other;
        other.answers = {At("tail.KVN")};
        other.commands.mnGameOpen_Click();
        QVERIFY(other.messages.isEmpty());
        QCOMPARE(Bytes(other.g.Game), Bytes(MidGame(3)));
    }

    void refusedFileLeavesTheGame_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("says");
        const QString damaged = "is not a Korvane saved game or is damaged";
        QByteArray good = Bytes(MidGame(3));
        QTest::newRow("empty") << QByteArray("") << damaged;
        QTest::newRow("text") << QByteArray("Dear diary, today I lost at cards.\n") << damaged;
        QTest::newRow("cut short") << good.left(1000) << damaged;
        QByteArray twice = good;
        twice[262 + 255] = twice[262 + 371 + 255];
        QTest::newRow("a card twice") << twice << damaged;
        QByteArray state = good;
        state[227] = char(128);
        QTest::newRow("penalty state") << state << damaged;
        QByteArray seats = good;
        seats[216] = 9;
        QTest::newRow("nine seats") << seats << damaged;
        QTest::newRow("missing file") << QByteArray() << QString("could not be opened");
        QTest::newRow("a folder") << QByteArray() << QString("could not be");
    }
    void refusedFileLeavesTheGame() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, says);
        const QString tag = QTest::currentDataTag();
        QString path = At(QString("bad-%1.KVN").arg(tag).replace(' ', '-'));
        if (tag == "a folder")
            QVERIFY(QDir().mkpath(path));
        else if (tag != "missing file")
            QVERIFY(WriteAll(path, contents));

        Harness h;
        h.g.Game = TurnedCardGame();
        h.g.FileName = At("mine.KVN").toStdString();
        h.g.FileTitle = "mine.KVN";
        const uint64_t epoch = h.rules.Epoch();
        h.answers = {path};
        h.commands.mnGameOpen_Click();

        QCOMPARE(h.messages.size(), 1);
        QVERIFY2(h.messages[0].contains(says), qPrintable(h.messages[0]));
        QVERIFY2(h.messages[0].contains(QDir::toNativeSeparators(path)), qPrintable(h.messages[0]));
        QCOMPARE(Bytes(h.g.Game), Bytes(TurnedCardGame()));
        QCOMPARE(h.rules.Epoch(), epoch);
        QCOMPARE(h.view.captions + h.view.paints + h.view.resizes, 0);
        QCOMPARE(h.g.FileName, At("mine.KVN").toStdString());
        QCOMPARE(h.g.FileTitle, std::string("mine.KVN"));
    }

    void cancelledDialogs() {
        Harness h;
        h.g.Game = MidGame(4);
        h.answers = {At("named.KVN")};
        h.commands.mnGameSaveAs_Click();
        const int captions = h.view.captions;

        // Open cancelled: the game stays, but there is no current file any more.
        h.commands.mnGameOpen_Click();
        QCOMPARE(h.g.FileName, std::string());
        QCOMPARE(h.g.FileTitle, std::string("named.KVN"));
        QCOMPARE(Bytes(h.g.Game), Bytes(MidGame(4)));

        // Save As cancelled, then Save asks for a name again.
        h.g.FileName = At("named.KVN").toStdString();
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(h.g.FileName, std::string());
        const std::size_t asked = h.asked.size();
        h.answers = {At("again.KVN")};
        h.commands.mnGameSave_Click();
        QCOMPARE(h.asked.size(), asked + 1);
        QVERIFY(h.asked.back().preset.isEmpty());
        QCOMPARE(ReadAll(At("again.KVN")), Bytes(MidGame(4)));
        QCOMPARE(h.g.FileTitle, std::string("again.KVN"));
        QCOMPARE(h.view.captions, captions + 1);

        // Save with no name and a cancel writes nothing.
        h.g.FileName.clear();
        h.commands.mnGameSave_Click();
        QCOMPARE(h.g.FileName, std::string());
        QVERIFY(h.messages.isEmpty());
    }

    void readOnlyFileIsNotReplaced() {
        const QString ro = At("protected.KVN");
        QVERIFY(WriteAll(ro, "precious"));
        QVERIFY(QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

        Harness h;
        h.g.Game = MidGame(3);
        // Refused in the dialog, which comes back with the name filled in; then cancelled.
        h.answers = {ro, ""};
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(h.asked.size(), std::size_t{2});
        QCOMPARE(h.asked[1].preset, ro);
        QCOMPARE(h.messages.size(), 1);
        QVERIFY(h.messages[0].contains("read-only"));
        QCOMPARE(h.g.FileName, std::string());
        QCOMPARE(ReadAll(ro), QByteArray("precious"));

        // A current file made read-only since is not replaced by Save either.
        h.g.FileName = ro.toStdString();
        h.commands.mnGameSave_Click();
        QCOMPARE(h.messages.size(), 2);
        QCOMPARE(ReadAll(ro), QByteArray("precious"));
        QCOMPARE(h.g.FileName, ro.toStdString());
    }

    void failedWriteKeepsTheOldFile() {
        Harness h;
        h.g.Game = MidGame(3);
        h.answers = {At("kept.KVN")};
        h.commands.mnGameSaveAs_Click();
        const QByteArray before = ReadAll(At("kept.KVN"));
        QCOMPARE(before.size(), 1375);
        const int captions = h.view.captions;

        // The disk fills up after 2000 bytes: the eight-player record does not fit.
        h.g.Game = MidGame(8);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 2000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        h.commands.mnGameSave_Click();
        h.answers = {At("new.KVN")};
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(h.messages.size(), 2);
        QVERIFY(h.messages[0].contains("could not be saved"));
        QCOMPARE(ReadAll(At("kept.KVN")), before);
        QVERIFY(!QFile::exists(At("new.KVN")));
        QCOMPARE(h.g.FileName, At("kept.KVN").toStdString());
        QCOMPARE(h.g.FileTitle, std::string("kept.KVN"));
        QCOMPARE(h.view.captions, captions);
        QCOMPARE(h.g.Game.PlayerCount, uint8_t{8});

        // A folder in the way, and a folder that is not there.
        QVERIFY(QDir().mkpath(At("folder.KVN")));
        h.answers = {At("folder.KVN"), At("nowhere/x.KVN")};
        h.commands.mnGameSaveAs_Click();
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(h.messages.size(), 4);
        QCOMPARE(h.g.FileName, At("kept.KVN").toStdString());
        QVERIFY(QFileInfo(At("folder.KVN")).isDir());
        QVERIFY(!QFile::exists(At("nowhere")));
    }

    // The program's own chooser: the dialog as it is set up, answered from inside its loop.
    void fileDialog() {
        QVERIFY(WriteAll(At("chosen.KVN"), Bytes(MidGame(3))));
        // Acts on the dialog once it is up; rejects it rather than hang if the act does not end
        // it. Qt's own dialog, since a platform's native one is out of reach of the test.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QObject timers; // owns the polls, which may outlive their dialog by a tick
        auto answer = [&timers](const std::function<void(QFileDialog*)>& act) {
            auto* poll = new QTimer(&timers);
            poll->setInterval(20);
            QObject::connect(
                poll, &QTimer::timeout, [poll, act, ticks = 0, acted = false]() mutable {
                    ++ticks;
                    for (QWidget* w : QApplication::topLevelWidgets())
                        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
                            if (!acted)
                                act(d), acted = true, ticks = 0;
                            else if (ticks > 100)
                                d->reject();
                            return;
                        }
                    if (acted || ticks > 250)
                        poll->deleteLater();
                });
            poll->start();
        };
        mdlGlobal g(FixedSeed(1));
        g.FileTitle = "old.KVN";
        QString seen;
        answer([&](QFileDialog* d) {
            seen = QStringList{d->nameFilters().join(';'), d->defaultSuffix(),
                               d->directory().absolutePath(),
                               QString::number(d->acceptMode() == QFileDialog::AcceptOpen),
                               QString::number(d->fileMode() == QFileDialog::ExistingFile)}
                       .join('|');
            d->selectFile(At("chosen.KVN"));
            static_cast<QDialog*>(d)->accept(); // public in QDialog
        });
        QCOMPARE(GetFilename(nullptr, g, true), At("chosen.KVN").toStdString());
        QCOMPARE(seen, QStringList({"Korvane File (.KVN) (*.KVN *.kvn)", "KVN",
                                    QDir(QCoreApplication::applicationDirPath()).absolutePath(),
                                    "1", "1"})
                           .join('|'));
        QCOMPARE(g.FileTitle, std::string("chosen.KVN"));

        // Save: the current file is offered, overwriting is confirmed; cancelled here.
        g.FileName = At("chosen.KVN").toStdString();
        answer([&](QFileDialog* d) {
            seen = QStringList{d->selectedFiles().value(0),
                               QString::number(d->acceptMode() == QFileDialog::AcceptSave),
                               QString::number(d->testOption(QFileDialog::DontConfirmOverwrite))}
                       .join('|');
            d->reject();
        });
        QCOMPARE(GetFilename(nullptr, g, false), std::string());
        QCOMPARE(seen, At("chosen.KVN") + "|1|0");
        QCOMPARE(g.FileTitle, std::string("chosen.KVN"));
    }

    // Saves made in the middle of moves, during a penalty, at the end-of-game question and
    // during the card show all give files the program opens again.
    void everySaveTheProgramMakesOpens() {
        Harness h;
        const QString path = At("live.KVN");
        h.g.FileName = path.toStdString();
        QStringList refused;
        int penaltySaves = 0, questionSaves = 0, showSaves = 0, flightNo = 0;
        auto saveAndCheck = [&] {
            h.commands.mnGameSave_Click();
            const LoadResult r = Load(ReadAll(path));
            if (!r)
                refused << QString::fromStdString(r.reason);
        };
        h.view.onFlight = [&] {
            if (h.g.Game.GameState == State::Penalty) {
                ++penaltySaves;
                saveAndCheck();
            } else if (++flightNo % 11 == 0) {
                saveAndCheck();
            }
        };
        h.view.onAskPlayAgain = [&] {
            ++questionSaves;
            saveAndCheck();
        };
        h.view.onCardShow = [&] {
            if (showSaves++ < 2)
                saveAndCheck();
        };

        for (uint8_t game = 0; game < 3; ++game) {
            h.g.Game.TotalKorvane = static_cast<uint8_t>(1 + game);
            h.rules.mnGameNew_Click();
            // The person at seat 0 overlooks every move he has, so penalties come his way.
            for (int step = 0; step < 5000 && h.g.Game.InProgress(); ++step) {
                const GameInfo& G = h.g.Game;
                const uint8_t c = G.CurrentPlayer;
                if (G.Player[c].Computer) {
                    h.rules.picTurn_GotFocus();
                } else if (G.GameState == State::Turned) {
                    h.rules.HumanDrop(static_cast<uint8_t>(Target::FirstOpen + c), true);
                } else {
                    h.rules.picCloseDeck_Click(c);
                }
                // A player who keeps losing is handed over to the computer to end the game.
                if (step == 3000)
                    h.g.Game.Player[0].Computer = true;
            }
            QVERIFY(!h.g.Game.InProgress());
        }
        QVERIFY2(refused.isEmpty(), qPrintable(refused.join('\n')));
        QVERIFY(h.messages.isEmpty());
        QVERIFY(penaltySaves > 0);
        QCOMPARE(questionSaves, 3);
        QVERIFY(showSaves > 0);
    }
};

QTEST_MAIN(SavedGameCommandsTest)
#include "tst_SavedGameCommands.moc"
