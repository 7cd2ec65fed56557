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
    std::function<void()> onFlight = [] {}, onAskPlayAgain = [] {}, onCardShow = [] {};

    void PaintCloseDeck(uint8_t) override {}
    void PaintOpenDeck(uint8_t, bool) override {}
    void PrintLabel(uint8_t) override {}
    void PaintSuit(uint8_t, bool) override {}
    void PaintForm() override { ++paints; }
    void SetDragPic(int16_t, Pile, uint8_t) override {}
    void HideDragPic() override {}
    void SetCurrentPlayer(bool, bool) override {}
    bool AnimateMove(uint8_t toPly) override {
        return ++flights, onFlight(), toPly != Target::None;
    }
    void GiveTip() override {}
    void HidePlayerFrames() override {}
    void CardShowFlight(uint8_t, uint8_t) override { onCardShow(); }
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
    bool AskPlayAgain(const std::string&) override { return onAskPlayAgain(), false; }
    Answer AskSwitchMode(uint8_t, bool) override { return Answer::No; }

private:
    mdlGlobal& g_;
};

// One game with its commands; the file dialog answers from `answers` ("" or none cancels).
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
                                   const QString a = answers.empty() ? QString() : answers.front();
                                   if (!answers.empty())
                                       answers.pop_front();
                                   return a;
                               },
                               [this](QWidget*, const QString& text) { messages << text; }};
    std::string Title() const { return g.FileTitle; }
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

} // namespace

class SavedGameCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString At(const QString& name) const { return dir.filePath(name); }

private slots:
    void saveAndSaveAs() {
        Harness h;
        h.g.Game = MidGame(8);
        h.answers = {At("first.KVN")};
        h.commands.mnGameSaveAs_Click();
        QVERIFY(!h.asked.at(0).open && h.asked[0].preset.isEmpty());
        QCOMPARE(ReadAll(At("first.KVN")), Bytes(MidGame(8)));
        QCOMPARE(h.g.FileName, At("first.KVN").toStdString());
        // The caption shows the new title; the table is not repainted.
        QCOMPARE(std::make_tuple(h.view.captions, h.view.lastCaption, h.view.titleAtCaption),
                 std::make_tuple(1, true, std::string("first.KVN")));
        QCOMPARE(h.view.paints, 0);

        // Save goes to the same file without asking; a shorter game leaves no tail.
        h.g.Game = MidGame(3);
        h.commands.mnGameSave_Click();
        QCOMPARE(h.asked.size(), std::size_t{1});
        QCOMPARE(ReadAll(At("first.KVN")), Bytes(MidGame(3)));

        // Save As offers the current file; cancelled, the next Save asks again with none.
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(h.asked.back().preset, At("first.KVN"));
        QCOMPARE(h.g.FileName, std::string());
        h.answers = {At("again.kvn")};
        h.commands.mnGameSave_Click();
        QCOMPARE(h.asked.size(), std::size_t{3});
        QVERIFY(h.asked.back().preset.isEmpty());
        QCOMPARE(ReadAll(At("again.kvn")), Bytes(MidGame(3)));
        QCOMPARE(h.view.titleAtCaption, std::string("again.kvn"));
        // Open cancelled: the game stays, but there is no current file any more.
        h.commands.mnGameOpen_Click();
        QCOMPARE(h.g.FileName, std::string());
        QCOMPARE(Bytes(h.g.Game), Bytes(MidGame(3)));
        QVERIFY(h.messages.isEmpty());

        Harness empty; // no game: the caption shows no table
        empty.answers = {At("empty.KVN")};
        empty.commands.mnGameSave_Click();
        QCOMPARE(ReadAll(At("empty.KVN")).size(), 262);
        QVERIFY(empty.view.captions == 1 && !empty.view.lastCaption);
    }

    void openReplacesTheGame() {
        GameInfo saved = MidGame(3);
        saved.GameState = State::Turned;
        saved.CurrentPlayer = 1;
        saved.Player[2].Computer = true;
        QVERIFY(WriteAll(At("turned.KVN"), Bytes(saved)));
        Harness h;
        h.g.Game = MidGame(5);
        const uint64_t epoch = h.rules.Epoch();
        h.answers = {At("turned.KVN")};
        h.commands.mnGameOpen_Click();
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.join('\n')));
        QVERIFY(h.asked.at(0).open && h.rules.Epoch() != epoch);
        QCOMPARE(Bytes(h.g.Game), Bytes(saved));
        QCOMPARE(h.g.Game.CardInHand(), saved.CardInHand());
        QCOMPARE(h.g.FileName, At("turned.KVN").toStdString());
        QCOMPARE(h.view.titleAtCaption, std::string("turned.KVN"));
        QVERIFY(h.view.lastCaption && h.view.resizes == 1 && h.view.paints == 1);

        // A computer to move plays on at once.
        saved.GameState = State::Playing;
        saved.CurrentPlayer = 2;
        QVERIFY(WriteAll(At("computer.KVN"), Bytes(saved)));
        h.answers = {At("computer.KVN")};
        h.commands.mnGameOpen_Click();
        QVERIFY(h.view.flights > 0 && !h.g.Game.Player[h.g.Game.CurrentPlayer].Computer);
    }

    void refusedFileLeavesTheGame_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("says");
        const QString damaged = "is not a Korvane saved game or is damaged";
        QTest::newRow("text") << QByteArray("Dear diary, today I lost at cards.\n") << damaged;
        QTest::newRow("cut short") << Bytes(MidGame(3)).left(1000) << damaged;
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
        h.g.Game = MidGame(4);
        h.g.FileName = At("mine.KVN").toStdString();
        h.g.FileTitle = "mine.KVN";
        const uint64_t epoch = h.rules.Epoch();
        h.answers = {path};
        h.commands.mnGameOpen_Click();
        QCOMPARE(h.messages.size(), 1);
        QVERIFY2(h.messages[0].contains(says), qPrintable(h.messages[0]));
        QVERIFY(h.messages[0].contains(QDir::toNativeSeparators(path)));
        QCOMPARE(Bytes(h.g.Game), Bytes(MidGame(4)));
        QCOMPARE(h.rules.Epoch(), epoch);
        QCOMPARE(h.view.captions + h.view.paints + h.view.resizes, 0);
        QCOMPARE(h.g.FileName, At("mine.KVN").toStdString());
        QCOMPARE(h.Title(), std::string("mine.KVN"));
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
        QVERIFY(h.messages.size() == 1 && h.messages[0].contains("read-only"));
        QCOMPARE(h.g.FileName, std::string());
        // A current file made read-only since is not replaced by Save either.
        h.g.FileName = ro.toStdString();
        h.commands.mnGameSave_Click();
        QCOMPARE(h.messages.size(), 2);
        QCOMPARE(ReadAll(ro), QByteArray("precious"));
    }

    void failedWriteKeepsTheOldFile() {
        Harness h;
        h.g.Game = MidGame(3);
        h.answers = {At("kept.KVN")};
        h.commands.mnGameSaveAs_Click();
        const QByteArray before = ReadAll(At("kept.KVN"));
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
        QCOMPARE(h.Title(), std::string("kept.KVN"));
        QCOMPARE(h.view.captions, captions);

        // A folder in the way, and a folder that is not there.
        QVERIFY(QDir().mkpath(At("folder.KVN")));
        h.answers = {At("folder.KVN"), At("nowhere/x.KVN")};
        h.commands.mnGameSaveAs_Click();
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(h.messages.size(), 4);
        QCOMPARE(h.g.FileName, At("kept.KVN").toStdString());
        QVERIFY(QFileInfo(At("folder.KVN")).isDir() && !QFile::exists(At("nowhere")));
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
