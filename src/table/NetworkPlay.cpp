#include "table/NetworkPlay.h"

#include "dialogs/HostPanel.h"
#include "dialogs/JoinDialog.h"
#include "dialogs/frmName.h"
#include "engine/GameRules.h"
#include "engine/mdlGlobal.h"
#include "lan/TableFinder.h"
#include "net/RemoteGame.h"
#include "net/Server.h"
#include "net/Table.h"
#include "table/frmKorvane.h"

#include <QDockWidget>
#include <QJsonArray>
#include <QMessageBox>

namespace korvane {

NetworkPlay::NetworkPlay(frmKorvane& window, mdlGlobal& global)
    : QObject(&window), w_(window), g_(global) {
    SetServices({});
}

NetworkPlay::~NetworkPlay() {
    // The window is closing: the table and the connection go with it, and the others are told.
    if (remote_)
        remote_->Leave();
    if (server_)
        server_->Close();
}

void NetworkPlay::SetServices(Services services) {
    services_ = std::move(services);
    if (!services_.finder)
        services_.finder = [] { return lan::MakeAvahiFinder(); };
    if (!services_.advertiser)
        services_.advertiser = [] { return lan::MakeAvahiAdvertiser(); };
    if (!services_.confirm)
        services_.confirm = [this](const QString& question) {
            return QMessageBox::question(&w_, QString::fromLatin1(AppTitle), question,
                                         QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes;
        };
}

bool NetworkPlay::Confirm(const QString& question) {
    return services_.confirm(question);
}

QString NetworkPlay::PlayerName() const {
    // The name a person here last played under, else his login.
    for (const PlayerInfo& p : g_.Game.Player)
        if (!p.Computer && !p.TrimmedName().empty())
            return QString::fromLatin1(p.TrimmedName());
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? tr("Player") : user;
}

// ---------------------------------------------------------------- Hosting

void NetworkPlay::HostCommand() {
    if (!MayReplace(tr("Host a new network table")))
        return;
    GameInfo chosen = g_.Game;
    std::vector<bool> remote;
    if (!frmName::RunForHost(&w_, g_, chosen, remote) || chosen.PlayerCount == 0)
        return;
    Host(chosen, remote);
}

bool NetworkPlay::Host(const GameInfo& chosen, const std::vector<bool>& remote) {
    Stop({});
    net::ServerSettings settings;
    settings.address = services_.listen;
    settings.port = services_.port;
    settings.seed = services_.seed;
    settings.maxTables = 1;
    settings.log = [](const QString&) {};
    server_ = std::make_unique<net::Server>(settings);
    QString error;
    if (!server_->Listen(&error)) {
        // Another table (or korvane-server) holds the usual port: any free one will do.
        settings.port = 0;
        server_ = std::make_unique<net::Server>(settings);
        if (!server_->Listen(&error)) {
            server_.reset();
            CouldNotOpen(error);
            return false;
        }
    }
    QJsonArray seats;
    QString host;
    for (std::size_t i = 0; i < chosen.Player.size() && i < chosen.PlayerCount; ++i) {
        const PlayerInfo& p = chosen.Player[i];
        const QString name = QString::fromLatin1(p.TrimmedName());
        if (p.Computer)
            seats.append(QJsonObject{{"kind", "computer"}, {"name", name}});
        else if (i < remote.size() && remote[i])
            seats.append(QJsonObject{{"kind", "person"}});
        else {
            seats.append(QJsonObject{{"kind", "person"}, {"here", true}, {"name", name}});
            if (host.isEmpty())
                host = name;
        }
    }
    if (rules_)
        rules_->EndGame();
    remote_ = new net::RemoteGame(g_, w_, this);
    Wire();
    const QJsonObject create{{"type", "create"},
                             {"name", host},
                             {"seats", seats},
                             {"totalKorvane", chosen.TotalKorvane},
                             {"korvanePerTurn", static_cast<bool>(chosen.KorvanePerTurn)},
                             {"lastChance", static_cast<bool>(chosen.LastChance)}};
    connect(remote_, &net::RemoteGame::refused, this, [this](const QString& message) {
        Stop({});
        CouldNotOpen(message);
    });
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(server_->Port());
    remote_->Connect(url, create);
    emit changed();
    return true;
}

void NetworkPlay::CouldNotOpen(const QString& why) {
    QMessageBox::warning(&w_, QString::fromLatin1(AppTitle),
                         tr("The network table could not be opened: %1").arg(why));
}

void NetworkPlay::ShowLobby() {
    if (!remote_)
        return;
    const net::TableView& v = remote_->View();
    const bool lobby = v.phase == QLatin1String("lobby");
    // What was said while people gathered is over once the cards are dealt.
    if (gathering_ && !lobby)
        w_.Notice({});
    gathering_ = lobby;
    if (!server_) {
        if (lobby)
            w_.Notice(tr("Waiting for %1 to start the game.").arg(remote_->CreatorName()));
        return;
    }
    if (!panel_) {
        panel_ = new HostPanel(&w_);
        auto* dock = new QDockWidget(tr("Network table"), &w_);
        dock->setObjectName(QStringLiteral("dockHost"));
        dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
        dock->setWidget(panel_);
        w_.addDockWidget(Qt::BottomDockWidgetArea, dock);
        connect(panel_, &HostPanel::StartRequested, this, &NetworkPlay::StartGame);
    }
    // The seats for people at other computers: who has come, and how many are awaited.
    QStringList joined;
    int awaited = 0;
    const SeatRoles roles = net::RolesOf(v, remote_->OwnSeats());
    for (std::size_t i = 0; i < v.seats.size(); ++i) {
        if (roles.Waiting(static_cast<int>(i)))
            ++awaited;
        else if (roles.Elsewhere(static_cast<int>(i)))
            joined << v.seats[i].name;
    }
    panel_->SetTable(remote_->Code(), LocalAddresses(server_->Port()));
    panel_->SetSeats(joined, awaited);
    panel_->parentWidget()->setVisible(lobby);
    // A table whose game has begun takes nobody new: it leaves the local network's list.
    if (!lobby && advertiser_) {
        advertiser_->Withdraw();
        advertiser_.reset();
    }
    if (lobby && !advertised_) {
        advertised_ = true;
        advertiser_ = services_.advertiser();
        QString why;
        const QString name = tr("%1's table").arg(remote_->CreatorName());
        if (advertiser_ && !advertiser_->Publish(name, server_->Port(), remote_->Code(), &why))
            unlisted_ = why + QLatin1Char(' ');
    }
    if (lobby)
        w_.Notice(unlisted_ +
                  tr("Give your friends the table code and an address below. Press Start Game "
                     "when everybody has come: a seat still empty then goes to the computer."));
}

void NetworkPlay::StartGame() {
    if (remote_ && remote_->Creator())
        remote_->Start();
}

// ---------------------------------------------------------------- Joining

void NetworkPlay::JoinCommand() {
    if (!MayReplace(tr("Join another network table")))
        return;
    std::unique_ptr<lan::TableFinder> finder = services_.finder();
    QPointer<JoinDialog> dialog = new JoinDialog(*finder, PlayerName(), &w_);
    connect(dialog, &JoinDialog::Attempt, this,
            [this, dialog](const JoinRequest& r) { Join(r, dialog); });
    const bool joined = dialog->exec() == QDialog::Accepted;
    delete dialog;
    // A dialog cancelled while its attempt was under way leaves nothing behind.
    if (!joined && remote_ && !remote_->Seated())
        Stop({});
}

void NetworkPlay::Join(const JoinRequest& request, JoinDialog* dialog) {
    Stop({});
    if (rules_ && g_.Game.InProgress())
        rules_->EndGame();
    remote_ = new net::RemoteGame(g_, w_, this);
    Wire();
    QPointer<JoinDialog> d(dialog);
    connect(remote_, &net::RemoteGame::refused, this, [this, d](const QString& message) {
        Stop({});
        if (d)
            d->Refused(message);
    });
    connect(remote_, &net::RemoteGame::welcomed, this, [d] {
        if (d)
            d->Joined();
    });
    remote_->Connect(request.server,
                     {{"type", "join"}, {"code", request.code}, {"name", request.name}});
    emit changed();
}

// ---------------------------------------------------------------- Both

void NetworkPlay::Wire() {
    if (!services_.retryPauses.empty())
        remote_->SetRetryPauses(services_.retryPauses);
    w_.SetRemote(remote_);
    connect(remote_, &net::RemoteGame::rolesChanged, &w_, &frmKorvane::SetRoles);
    connect(remote_, &net::RemoteGame::notice, &w_, &frmKorvane::Notice);
    connect(remote_, &net::RemoteGame::welcomed, this, [this] {
        ShowLobby();
        emit changed();
    });
    connect(remote_, &net::RemoteGame::lobbyChanged, this, &NetworkPlay::ShowLobby);
    // Both may end the network game: they run once the event that caused them has been shown.
    connect(remote_, &net::RemoteGame::gameOver, this, &NetworkPlay::GameOver,
            Qt::QueuedConnection);
    connect(remote_, &net::RemoteGame::ended, this, &NetworkPlay::Stop, Qt::QueuedConnection);
}

void NetworkPlay::GameOver(const QString& message) {
    if (!remote_)
        return;
    if (panel_)
        panel_->parentWidget()->hide();
    if (remote_->Creator()) {
        if (w_.AskPlayAgain(message.toLatin1().toStdString())) {
            if (remote_)
                remote_->PlayAgain();
            return;
        }
        Stop(tr("You closed the network table."));
        w_.ShowGameOver(message.toLatin1().toStdString());
        return;
    }
    w_.ShowGameOver(message.toLatin1().toStdString());
    w_.Notice(tr("Waiting for %1 to deal the next game.").arg(remote_->CreatorName()));
}

bool NetworkPlay::MayReplace(const QString& command) {
    if (!remote_)
        return true;
    const QString question =
        Hosting() ? tr("%1? The network table you host ends for everyone at it.").arg(command)
                  : tr("%1? You leave the network table, and the computer plays your seat there.")
                        .arg(command);
    if (!Confirm(question))
        return false;
    Stop({});
    return true;
}

void NetworkPlay::Stop(const QString& why) {
    const bool was = remote_ || server_;
    if (remote_) {
        net::RemoteGame* r = remote_;
        remote_ = nullptr;
        r->Leave();
        r->disconnect(this);
        r->disconnect(&w_);
        w_.SetRemote(nullptr);
        r->deleteLater();
    }
    if (advertiser_) {
        advertiser_->Withdraw();
        advertiser_.reset();
    }
    advertised_ = false;
    gathering_ = false;
    unlisted_.clear();
    if (server_) {
        server_->Close();
        server_.release()->deleteLater();
    }
    if (panel_)
        panel_->parentWidget()->hide();
    if (!was)
        return;
    w_.SetRoles({});
    if (rules_)
        rules_->EndGame();
    w_.Notice(why);
    emit changed();
}

std::optional<GameInfo> NetworkPlay::SaveableRecord() const {
    if (!server_ || !remote_ || remote_->Code().isEmpty())
        return std::nullopt;
    net::Table* table = server_->FindTable(remote_->Code());
    if (!table)
        return std::nullopt;
    GameInfo record = table->SaveableRecord();
    // The settings of this window go with the game, as in any save made here.
    const GameInfo& mine = g_.Game;
    record.DeckBack = mine.DeckBack;
    record.MoveStep = mine.MoveStep;
    record.MoveSpeed = mine.MoveSpeed;
    record.OutlineDrag = mine.OutlineDrag;
    record.ShowTip = mine.ShowTip;
    record.StraightPath = mine.StraightPath;
    record.PathPoints = mine.PathPoints;
    return record;
}

QString NetworkPlay::SaveRefusal() const {
    if (remote_ && !server_)
        return tr("Only the host of a network table can save its game.");
    return {};
}

} // namespace korvane
