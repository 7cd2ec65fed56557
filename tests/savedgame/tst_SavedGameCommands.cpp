// Game > Open, Save and Save As over real files, with the file dialog and the message boxes
// answered by the test.
#include "Cards.h"
#include "RecordingDisplay.h"
#include "savedgame/SavedGameCommands.h"
#include "savedgame/SavedGameFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <array>
#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace korvane;
using namespace korvane::test;

namespace {

// One game with its commands; the file dialog answers from `answers` (none left cancels).
struct Harness {
    mdlGlobal g{FixedSeed(1)};
    test::RecordingDisplay view{g};
    GameRules rules{g, view};
    QStringList answers, messages;
    std::vector<FileRequest> asked;
    DialogFolder::WriteCheck mayWrite;
    SavedGameCommands commands{nullptr,
                               rules,
                               view,
                               [this](QWidget*, const FileRequest& r) {
                                   asked.push_back(r);
                                   return answers.isEmpty() ? QString() : answers.takeFirst();
                               },
                               [this](QWidget*, const QString& text) { messages << text; },
                               DialogFolder(mayWrite)};
    std::string titleAtCaption; // the title the caption was given last
    explicit Harness(DialogFolder::WriteCheck check = UserMayWrite) : mayWrite(std::move(check)) {
        view.onCall = [this](const test::Call& c) {
            if (c.op == "SetCaption" || c.op == "UpdateCaption")
                titleAtCaption = g.FileTitle;
        };
    }
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

} // namespace

class TestSavedGameCommands : public QObject {
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
        // The caption shows the new title; the table is neither laid out again nor repainted.
        QVERIFY(h.view.Count("UpdateCaption") == 1 && h.view.Count("SetCaption") == 0 &&
                h.view.Count("PaintForm") == 0);
        QCOMPARE(h.titleAtCaption, std::string("first.KVN"));
        // Save goes to the same file without asking; a shorter game leaves no tail.
        h.g.Game = MidGame(3);
        h.commands.mnGameSave_Click();
        QCOMPARE(h.asked.size(), std::size_t{1});
        QCOMPARE(ReadAll(At("first.KVN")), Bytes(MidGame(3)));
        // Save As offers the current file; cancelled, the next Save asks again with none.
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(h.asked.back().preset, At("first.KVN"));
        h.answers = {At("again.kvn")};
        h.commands.mnGameSave_Click();
        QCOMPARE(h.asked.size(), std::size_t{3});
        QVERIFY(h.asked.back().preset.isEmpty());
        QCOMPARE(ReadAll(At("again.kvn")), Bytes(MidGame(3)));
        // Open cancelled: the game stays, but there is no current file any more.
        h.commands.mnGameOpen_Click();
        QCOMPARE(Bytes(h.g.Game), Bytes(MidGame(3)));
        QVERIFY(h.messages.isEmpty());
        // A new game belongs to no file: the caption has no title, and Save asks for a name
        // instead of writing over the last game's file.
        h.answers = {At("third.kvn")};
        h.commands.mnGameSave_Click();
        h.rules.mnGameNew_Click();
        QCOMPARE(h.g.FileTitle + h.g.FileName, std::string());
        h.commands.mnGameSave_Click();
        QCOMPARE(h.asked.size(), std::size_t{6});
        QCOMPARE(ReadAll(At("third.kvn")), Bytes(MidGame(3)));
    }

    void openReplacesTheGame() {
        GameInfo saved = MidGame(3);
        saved.GameState = State::Turned;
        saved.CurrentPlayer = 1;
        saved.Player[2].Computer = true;
        QVERIFY(WriteAll(At("turned.KVN"), Bytes(saved)));
        Harness h;
        h.g.Game = MidGame(5);
        h.answers = {At("turned.KVN")};
        h.commands.mnGameOpen_Click();
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.join('\n')));
        QVERIFY(h.asked.at(0).open);
        QCOMPARE(Bytes(h.g.Game), Bytes(saved));
        QCOMPARE(h.g.FileName, At("turned.KVN").toStdString());
        QCOMPARE(h.titleAtCaption, std::string("turned.KVN"));
        QVERIFY(h.view.Calls("SetCaption").back().args[0] == 1 &&
                h.view.Count("Form_Resize") == 1 && h.view.Count("PaintForm") == 1);
        // A computer to move plays on at once.
        saved.GameState = State::Playing;
        saved.CurrentPlayer = 2;
        QVERIFY(WriteAll(At("computer.KVN"), Bytes(saved)));
        h.answers = {At("computer.KVN")};
        h.commands.mnGameOpen_Click();
        QVERIFY(h.view.Count("AnimateMove") > 0 &&
                !h.g.Game.Player[h.g.Game.CurrentPlayer].Computer);
    }

    // A file that cannot be read or is damaged leaves the game, its file and the table alone.
    void refusedFileLeavesTheGame() {
        QVERIFY(WriteAll(At("short.KVN"), Bytes(MidGame(3)).left(1000)));
        QVERIFY(QDir().mkpath(At("folder.KVN")));
        Harness h;
        h.g.Game = MidGame(4);
        h.g.FileName = At("mine.KVN").toStdString();
        h.g.FileTitle = "mine.KVN";
        const uint64_t epoch = h.rules.Epoch();
        const QString damaged = "is not a Korvane saved game or is damaged";
        for (const auto& [name, says] : {std::pair{"short.KVN", damaged},
                                         {"missing.KVN", "could not be opened"},
                                         {"folder.KVN", "could not be"}}) {
            h.answers = {At(name)};
            h.commands.mnGameOpen_Click();
            QVERIFY2(h.messages.last().contains(says), qPrintable(h.messages.last()));
            QVERIFY(h.messages.last().contains(QDir::toNativeSeparators(At(name))));
        }
        QCOMPARE(Bytes(h.g.Game), Bytes(MidGame(4)));
        QCOMPARE(h.rules.Epoch(), epoch);
        QCOMPARE(h.view.log.size(), std::size_t{0});
        QCOMPARE(h.g.FileName + '|' + h.g.FileTitle, At("mine.KVN").toStdString() + "|mine.KVN");
    }

    // Neither a read-only file nor a full disk loses the file that was there.
    void failedSavesKeepTheOldFile() {
        Harness h;
        h.g.Game = MidGame(3);
        const QString ro = At("protected.KVN");
        QVERIFY(WriteAll(ro, "precious"));
        QVERIFY(QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
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

        h.answers = {At("kept.KVN")};
        h.commands.mnGameSaveAs_Click();
        // The disk fills up after 2000 bytes: the eight-player record does not fit.
        h.g.Game = MidGame(8);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{2000, old.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        h.commands.mnGameSave_Click();
        h.answers = {At("new.KVN")};
        h.commands.mnGameSaveAs_Click();
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(h.messages.size() == 4 && h.messages[2].contains("could not be saved"));
        QCOMPARE(ReadAll(At("kept.KVN")), Bytes(MidGame(3)));
        QVERIFY(!QFile::exists(At("new.KVN")));
        QCOMPARE(h.g.FileName + '|' + h.g.FileTitle, At("kept.KVN").toStdString() + "|kept.KVN");
    }

    // The dialog starts in the program's folder only when the user may write there; after a
    // file is chosen, in that file's folder, whether or not the command then succeeds.
    void dialogStartsWhereTheUserCanWrite() {
        const QString program = QCoreApplication::applicationDirPath();
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const struct {
            DialogFolder::WriteCheck mayWrite;
            QString start;
        } cases[] = {{[](const QString&) { return true; }, program},
                     {[&](const QString& f) { return f != program; }, documents},
                     {[](const QString&) { return false; }, QDir::homePath()}};
        for (const auto& c : cases) {
            Harness h(c.mayWrite);
            h.commands.mnGameOpen_Click(); // cancelled: no folder to remember
            h.answers = {At("sub/missing.KVN")};
            h.commands.mnGameOpen_Click();
            h.commands.mnGameSaveAs_Click();
            QCOMPARE(h.asked.size(), std::size_t{3});
            QCOMPARE(h.asked[0].folder, c.start);
            QCOMPARE(h.asked[1].folder, c.start);
            QCOMPARE(h.asked[2].folder, At("sub"));
        }
    }

    // The program's own chooser: the dialog as it is set up, answered from inside its loop.
    void fileDialog() {
        QVERIFY(WriteAll(At("chosen.KVN"), Bytes(MidGame(3))));
        // Qt's own dialog, since a platform's native one is out of reach of the test.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        // Runs `act` on the dialog at the first turn of its own loop, which exec() enters with
        // the dialog shown. The name goes straight into the dialog's name box: selectFile()
        // leaves that box alone once it has the focus, which the window's activation gives it
        // sooner or later depending on the machine's load.
        auto answer = [](const std::function<void(QFileDialog*)>& act) {
            QTimer::singleShot(0, [act] {
                auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(d);
                act(d);
                if (d->isVisible())
                    d->reject(); // the answer was refused: fail, not hang
            });
        };
        mdlGlobal g(FixedSeed(1));
        DialogFolder folder;
        QStringList seen;
        answer([&](QFileDialog* d) {
            seen = {d->nameFilters().join(';'), d->defaultSuffix(), d->directory().absolutePath(),
                    QString::number(d->acceptMode() == QFileDialog::AcceptOpen)};
            auto* box = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(box);
            box->setText(At("chosen.KVN"));
            static_cast<QDialog*>(d)->accept(); // public in QDialog
        });
        QCOMPARE(GetFilename(nullptr, g, true, folder), At("chosen.KVN").toStdString());
        QCOMPARE(seen,
                 (QStringList{"Korvane File (.KVN) (*.KVN *.kvn)", "KVN",
                              QDir(QCoreApplication::applicationDirPath()).absolutePath(), "1"}));

        // Save: the current file is offered (overwriting is confirmed by the game itself, below);
        // cancelled here.
        g.FileName = At("chosen.KVN").toStdString();
        g.FileTitle = "old.KVN";
        answer([&](QFileDialog* d) {
            seen = {d->selectedFiles().value(0),
                    QString::number(d->acceptMode() == QFileDialog::AcceptSave)};
            d->reject();
        });
        QCOMPARE(GetFilename(nullptr, g, false, folder), std::string());
        QCOMPARE(seen, (QStringList{At("chosen.KVN"), "1"}));
        QCOMPARE(g.FileTitle, std::string("old.KVN"));
    }

    // The program's warning box quotes a file name as it is, whatever it looks like.
    void aFileNameIsShownAsText() {
        mdlGlobal g(FixedSeed(1));
        test::RecordingDisplay view(g);
        GameRules rules(g, view);
        const QString name = At("<i>x</i>.KVN");
        SavedGameCommands commands(nullptr, rules, view,
                                   [&](QWidget*, const FileRequest&) { return name; });
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            format = box->textFormat();
            box->accept();
        });
        commands.mnGameOpen_Click(); // no such file
        QVERIFY2(text.contains(QDir::toNativeSeparators(name)), qPrintable(text));
        QCOMPARE(format, Qt::PlainText);

        // The file dialog's own questions are asked by the game, in plain text too.
        QFile(At("<b>y<b>.KVN")).open(QIODevice::WriteOnly);
        QStringList asked;
        QTimer step;
        connect(&step, &QTimer::timeout, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                asked << box->text();
                format = box->textFormat();
                box->done(QMessageBox::No);
            } else if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
                const bool open = dialog->acceptMode() == QFileDialog::AcceptOpen;
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                    ->setText(At(open ? "<b>z<b>.KVN" : "<b>y<b>.KVN"));
                if (asked.size() < (open ? 2 : 1))
                    static_cast<QDialog*>(dialog)->accept(); // public in QDialog
                else
                    dialog->reject();
            }
        });
        step.start(5);
        FileRequest request;
        request.folder = dir.path();
        request.suffix = QStringLiteral("KVN");
        for (const bool open : {false, true}) {
            request.open = open;
            QCOMPARE(DialogFileChooser()(nullptr, request), QString());
        }
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0],
                 QStringLiteral("<b>y<b>.KVN already exists.\nDo you want to replace it?"));
        QVERIFY2(asked[1].contains("<b>z<b>.KVN\nFile not found."), qPrintable(asked[1]));
        QCOMPARE(format, Qt::PlainText);
    }

    // The command saves what the rules say a save holds: during a penalty, the game once the
    // cards are handed over, which opens again.
    void aSaveDuringAPenaltyOpens() {
        Harness h;
        h.g.Game = MidGame(3);
        CardDeck& open = h.g.Game.Player[0].OpenDeck;
        std::swap(open.Card[0], open.Card[1]); // the Ace of clubs on top: its pile would take it
        h.g.FileName = At("live.KVN").toStdString();
        std::vector<int> saved;
        h.view.onCall = [&](const test::Call& c) {
            if (c.op != "AnimateMove")
                return;
            h.commands.mnGameSave_Click();
            const QByteArray file = ReadAll(At("live.KVN"));
            const LoadResult r = DecodeGame(std::vector<uint8_t>(file.begin(), file.end()));
            saved.push_back(r ? r.game->GameState : -1);
        };
        h.rules.picCloseDeck_Click(0); // mistake 1: a card from each other player
        QCOMPARE(saved, (std::vector<int>{State::Turned, State::Turned}));
        QVERIFY(h.messages.isEmpty());
    }

    // A save while the end-of-game question is open keeps the series: opening it seats the
    // same players, modes and tallies (the loser's new one included) for the next game, or
    // leaves the table empty when the offer is declined.
    void aSaveAtTheEndOffersTheNextGame() {
        Harness h;
        GameInfo& G = h.g.Game;
        SeatPlayers(G, 3, {0, 2});
        G.GameState = State::Playing;
        G.LastChance = false;
        G.CurrentPlayer = 1;
        Put(G.Player[1].OpenDeck, {Card(0, 0)});
        Put(G.Player[2].CloseDeck, {Card(5, 1), Card(8, 2)});
        G.Player[0].Lost = 4;
        G.Player[2].Lost = 1;
        h.g.FileName = At("ended.KVN").toStdString();
        h.view.onCall = [&](const test::Call& c) {
            if (c.op == "AskPlayAgain")
                h.commands.mnGameSave_Click();
        };
        QVERIFY(h.rules.TransferCard(0) && h.rules.NextPlayer(0));
        QCOMPARE(h.view.messages, std::vector<std::string>{"Player 3 lost this game."});
        QVERIFY(h.messages.isEmpty());
        // Nobody seated, the three players kept behind: the layout of any saved game.
        const QByteArray file = ReadAll(At("ended.KVN"));
        QCOMPARE(file.size(), qsizetype(SavedGameSize(3)));
        QCOMPARE(int(file[216]), 0);

        for (const bool again : {true, false}) {
            Harness o;
            o.view.playAgain = {again};
            o.answers = {At("ended.KVN")};
            o.commands.mnGameOpen_Click();
            QVERIFY2(o.messages.isEmpty(), qPrintable(o.messages.join('\n')));
            QCOMPARE(o.view.Count("AskPlayAgain"), 1);
            const GameInfo& N = o.g.Game;
            QCOMPARE(N.InProgress(), again);
            QCOMPARE(N.Player.size(), std::size_t{3});
            int dealt = 0;
            for (std::size_t p = 0; p < 3; ++p) {
                QCOMPARE(N.Player[p].TrimmedName(), "Player " + std::to_string(p + 1));
                QCOMPARE(bool(N.Player[p].Computer), p == 1);
                QCOMPARE(N.Player[p].Lost, (std::array{4, 0, 2})[p]);
                dealt += N.Player[p].CardsHeld();
            }
            QCOMPARE(dealt, again ? int(CardsInPack) : 0);
        }
    }
};

QTEST_MAIN(TestSavedGameCommands)
#include "tst_SavedGameCommands.moc"
