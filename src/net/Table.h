// One served table: its seats, one game record, one GameRules and a display that sends the
// table's events to the players connected to it instead of painting. It knows nothing of
// sockets: clients are numbers, and what it sends goes through a TableOutput, so a server, a
// game window hosting a table and a fuzz target drive it alike.
//
// Never blocking. The rules ask their display questions and fly cards through synchronous calls.
// Here every one of them returns at once: flights are instant, the players question is answered
// with the seating the table prepared before it called the rules, a seat's mode is set without
// a question, and the play-again question ends the game; the table then waits for the creator's
// play_again, which starts the next game through the same entry point as the first. Nothing
// waits inside the rules for a person, so a table holds nothing while it waits. Computer play
// runs in slices of at most `computerSlice` moves; the table asks its output to call
// ContinueComputer() for the next one, so one table's computer turns never hold up another.
#pragma once

#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "net/Protocol.h"
#include "net/View.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace korvane::net {

using ClientId = uint64_t;

class Table;

class TableOutput {
public:
    virtual ~TableOutput() = default;
    virtual void Send(ClientId client, const QByteArray& message) = 0;
    virtual void Log(const QString& line) = 0;
    // Call table.ContinueComputer() soon, from the event loop.
    virtual void ContinueLater(Table& table) = 0;
};

// Why a request was refused, as the error sent to the client.
struct Refusal {
    QString code;
    QString text;
};

struct TableSettings {
    SeedSource seeds = ClockSeed();
    uint64_t computerSlice = 500;
};

class Table {
public:
    // A table from a create message. The creator's connection holds every person's seat marked
    // `here` (people sharing one computer), its own being the first of them; with none marked,
    // it holds the first person's seat. Nothing is sent: the caller attaches the creator with
    // Welcome() once it keeps the table.
    static std::variant<std::unique_ptr<Table>, Refusal> Create(const QString& code,
                                                                const Message& create,
                                                                ClientId creator, TableOutput& out,
                                                                TableSettings settings = {});
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const QString& Code() const { return code_; }

    // Sends the client its welcome: the table as it stands, its seats and their token.
    void Welcome(ClientId client);
    std::optional<Refusal> Join(ClientId client, const QString& name);
    std::optional<Refusal> Rejoin(ClientId client, const QString& token);
    // Any message of a client seated here; a refusal goes back to it as an error.
    void Handle(ClientId client, const Message& message);
    // The client's connection is gone (closed, timed out or left): the computer plays its seats.
    void Disconnected(ClientId client);
    void ContinueComputer();

    bool Seated(ClientId client) const;
    // Some person is connected.
    bool HasPeople() const;
    TableView View() const;
    const GameInfo& Record() const { return global_.Game; }
    // The game as a save made now should hold it, for the host's Save: a person's seat the
    // computer plays only while its person is away stays a person's seat. No game in the lobby.
    GameInfo SaveableRecord() const;

    // Sees every event as it is made: its sequence number, whether it ends the events of one
    // change the rules showed (the view is then the table's), the view after that change and
    // the record at that moment.
    using Tap = std::function<void(int64_t seq, const QJsonObject& event, bool lastOfChange,
                                   const TableView& view, const GameInfo& record)>;
    void SetTap(Tap tap) { tap_ = std::move(tap); }

private:
    class Display;
    struct Seat {
        QString name;
        bool person = true;
        QString token;
        ClientId client = 0;
        bool welcomed = false;
        // The computer took the seat when the person's connection went; rejoining gives it back.
        bool tookOver = false;
        // Between games: the mode the seat ended the last game with, and its lost games.
        bool computer = false;
        int lost = 0;
    };
    enum class Phase : uint8_t { Lobby, Playing, Over };

    Table(const QString& code, TableOutput& out, TableSettings settings);

    std::optional<Refusal> Act(ClientId client, const Message& m);
    std::optional<Refusal> CanPlay(ClientId client, int named) const;
    std::optional<Refusal> CheckName(const QString& name) const;
    // Runs an entry point of the rules: computer play in slices, then the view sent.
    void Run(const std::function<void()>& entry);
    void StartGame();
    void SetComputer(std::size_t seat, bool computer);
    void PassCreator();
    // The seats a connection holds, lowest first; all of them share one token.
    std::vector<std::size_t> SeatsOf(ClientId client) const;
    bool Holds(ClientId client, int seat) const;
    static QString NewToken();

    // The display's part.
    void Sync();
    // Numbers the events and holds them until the request that caused them is done.
    void Broadcast(const std::vector<QJsonObject>& events);
    void Flush();
    void Penalty(const PenaltyNote& note);
    void GameOver(const std::string& message);

    QString code_;
    TableOutput& out_;
    TableSettings settings_;
    mdlGlobal global_;
    std::unique_ptr<Display> display_;
    std::unique_ptr<GameRules> rules_;
    std::vector<Seat> seats_;
    Phase phase_ = Phase::Lobby;
    std::size_t creator_ = 0;
    Seating seating_; // the players dialog's answer for the next game
    TableView sent_;  // the view as the players have it
    int64_t seq_ = 0;
    std::vector<QJsonObject> pending_;
    Tap tap_;
};

} // namespace korvane::net
