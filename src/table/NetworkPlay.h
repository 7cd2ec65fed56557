// Playing at a table served over the network from the game window: hosting one with the
// embedded table server (its code and addresses shown, advertised on the local network) or
// joining one, found on the local network or named by address. While it lasts the window's
// record mirrors the served table and the person's actions go to the server; when it ends the
// window returns to the empty table, with no socket and no table left behind.
#pragma once

#include "engine/GameRecord.h"
#include "engine/SeatRoles.h"
#include "net/Protocol.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace korvane {

namespace lan {
class TableFinder;
class TableAdvertiser;
} // namespace lan
namespace net {
class RemoteGame;
class Server;
} // namespace net

class GameRules;
class HostPanel;
class JoinDialog;
class frmKorvane;
class mdlGlobal;
struct JoinRequest;

class NetworkPlay : public QObject {
    Q_OBJECT
public:
    // What network play reaches beyond the window; tests give their own.
    struct Services {
        std::function<std::unique_ptr<lan::TableFinder>()> finder;
        std::function<std::unique_ptr<lan::TableAdvertiser>()> advertiser;
        // Where the hosted table listens: every address, so that friends reach it.
        QHostAddress listen = QHostAddress::Any;
        quint16 port = net::DefaultPort; // taken: any free port
        // Deals from this seed sequence (tests); unset: the clock, as local play.
        std::optional<uint32_t> seed;
        // A Yes/No question before the network game ends; true for Yes.
        std::function<bool(const QString& question)> confirm;
        // Pauses before each attempt to reach a table again.
        std::vector<int> retryPauses;
    };

    NetworkPlay(frmKorvane& window, mdlGlobal& global);
    ~NetworkPlay() override;
    void SetServices(Services services);
    void SetRules(GameRules* rules) { rules_ = rules; }

    // A network table is on the window (hosted or joined, seated or still connecting).
    bool Active() const { return remote_ != nullptr; }
    bool Hosting() const { return server_ != nullptr; }
    net::RemoteGame* Remote() const { return remote_; }
    net::Server* HostServer() const { return server_.get(); }
    HostPanel* Panel() const { return panel_; }

    // Game > Host Network Table...: the players dialog with a choice for each person's seat,
    // then the table.
    void HostCommand();
    // Hosts `chosen` (a players dialog's answer): remote[i] marks the seats for people at other
    // computers. False when the table could not be opened (the user is told).
    bool Host(const GameInfo& chosen, const std::vector<bool>& remote);
    // Game > Join Network Table...: the dialog, which stays open until a join succeeds.
    void JoinCommand();
    // One attempt of the dialog; it is told the outcome.
    void Join(const JoinRequest& request, JoinDialog* dialog);
    // The host's Start Game.
    void StartGame();

    // Before a command replaces the network game: asks, and ends it on Yes. True when no
    // network game is left.
    bool MayReplace(const QString& command);
    // Ends the network game now: the server is told, the window shows the empty table and
    // `why` below it.
    void Stop(const QString& why);

    // The host's save: the served game as a save should hold it, remote seats as people's.
    std::optional<GameInfo> SaveableRecord() const;
    // Why this window cannot save now (empty: it can).
    QString SaveRefusal() const;

signals:
    // A network game began or ended, or what the window may do changed.
    void changed();

private:
    void Wire();
    void GameOver(const QString& message);
    void ShowLobby();
    void CouldNotOpen(const QString& why);
    QString PlayerName() const;
    bool Confirm(const QString& question);

    frmKorvane& w_;
    mdlGlobal& g_;
    GameRules* rules_ = nullptr;
    Services services_;
    std::unique_ptr<net::Server> server_;
    net::RemoteGame* remote_ = nullptr;
    std::unique_ptr<lan::TableAdvertiser> advertiser_;
    HostPanel* panel_ = nullptr;
    bool advertised_ = false;
    bool gathering_ = false;
    // Why the table is not listed on the local network, if it is not.
    QString unlisted_;
};

} // namespace korvane
