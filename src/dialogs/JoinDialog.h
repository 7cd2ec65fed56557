// The Join Network Table dialog: the tables hosted on this network, found as they come and go,
// or an address and a code typed in; and the player's name. The owner makes the attempt; the
// dialog stays open until it succeeds, showing why an attempt failed.
#pragma once

#include "lan/TableFinder.h"

#include <QDialog>
#include <QString>
#include <QUrl>

#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace korvane {

struct JoinRequest {
    QUrl server; // ws://host:port or wss://...
    QString code;
    QString name;
};

// "host:port", "host", "[v6]:port", "ws://..." or "wss://..." as the server's URL; nullopt and
// why, in words for the player, when the text names no server.
std::optional<QUrl> ServerUrl(const QString& address, QString* why);

class JoinDialog : public QDialog {
    Q_OBJECT
public:
    JoinDialog(lan::TableFinder& finder, const QString& playerName, QWidget* parent = nullptr);

    // The owner's attempt failed: the dialog shows why and takes input again.
    void Refused(const QString& message);
    // The owner's attempt succeeded: the dialog closes, accepted.
    void Joined();
    // What the boxes hold now: the code upper-cased, the name trimmed, the server empty when
    // the address is unusable.
    JoinRequest Request() const;

    // ---- Widgets ----
    QListWidget* lstTables() const { return lstTables_; }
    QLabel* lblNote() const { return lblNote_; }
    QLineEdit* txtAddress() const { return txtAddress_; }
    QLineEdit* txtCode() const { return txtCode_; }
    QLineEdit* txtName() const { return txtName_; }
    QLabel* lblMessage() const { return lblMessage_; }
    QPushButton* cmdJoin() const { return cmdJoin_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

signals:
    // Join was pressed with a usable request; the owner answers with Refused or Joined, at
    // once or later.
    void Attempt(const korvane::JoinRequest& request);

private:
    void TableFound(const lan::AdvertisedTable& table);
    void TableLost(const QString& service);
    void FinderFailed(const QString& why);
    void ShowNote();
    void Choose(const QListWidgetItem* item);
    void TryJoin();
    void SetBusy(bool busy);

    QString failure_; // why the finder cannot find tables, while none is found

    QListWidget* lstTables_;
    QLabel* lblNote_;
    QLineEdit* txtAddress_;
    QLineEdit* txtCode_;
    QLineEdit* txtName_;
    QLabel* lblMessage_;
    QPushButton* cmdJoin_;
    QPushButton* cmdCancel_;
};

} // namespace korvane
