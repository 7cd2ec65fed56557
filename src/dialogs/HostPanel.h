// What the host of a network table tells his friends, under the table while they gather: the
// table code, the addresses to join at, who has joined and who is still awaited, and the
// button that starts the game. Names arrive from the network, so every text is plain text.
// It knows nothing of the server: the window gives it the code, addresses and seats.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;

namespace korvane {

// The addresses of this computer that friends can join at, as "host:port" ("[v6]:port"):
// interfaces up and running, never loopback; IPv4 first. Link-local IPv6 addresses are left
// out, as their scope names an interface of this computer, not of the friend's.
std::vector<QString> LocalAddresses(quint16 port);

class HostPanel : public QWidget {
    Q_OBJECT
public:
    explicit HostPanel(QWidget* parent = nullptr);

    void SetTable(const QString& code, const std::vector<QString>& addresses);
    // The remote seats: the names of those who have joined, and how many are still awaited.
    void SetSeats(const QStringList& joined, int awaited);
    // What Copy puts on the clipboard.
    QString Invitation() const;

    QLabel* lblCode() const { return lblCode_; }
    QLabel* lblAddresses() const { return lblAddresses_; }
    QLabel* lblSeats() const { return lblSeats_; }
    QPushButton* cmdCopy() const { return cmdCopy_; }
    QPushButton* cmdStart() const { return cmdStart_; }

signals:
    void StartRequested();

private:
    QString code_;
    std::vector<QString> addresses_;
    QLabel* lblCode_;
    QLabel* lblAddresses_;
    QLabel* lblSeats_;
    QPushButton* cmdCopy_;
    QPushButton* cmdStart_;
};

} // namespace korvane
