#include "dialogs/HostPanel.h"

#include "dialogs/DialogLook.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkInterface>
#include <QPushButton>

namespace korvane {

std::vector<QString> LocalAddresses(quint16 port) {
    std::vector<QString> v4, v6;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            const QHostAddress a = e.ip();
            const bool v4address = a.protocol() == QHostAddress::IPv4Protocol;
            if (a.isNull() || a.isLoopback() || (!v4address && a.isLinkLocal()))
                continue;
            if (v4address)
                v4.push_back(QStringLiteral("%1:%2").arg(a.toString()).arg(port));
            else
                v6.push_back(QStringLiteral("[%1]:%2").arg(a.toString()).arg(port));
        }
    }
    v4.insert(v4.end(), v6.begin(), v6.end());
    return v4;
}

namespace {

QLabel* PlainLabel(const QString& accessibleName, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(WindowFont());
    // Selectable by mouse and keys, so a user can copy by hand; the keys also bring it into the
    // Tab order.
    l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    l->setAccessibleName(accessibleName);
    return l;
}

} // namespace

HostPanel::HostPanel(QWidget* parent) : QWidget(parent) {
    auto* codeCaption = new QLabel(QStringLiteral("Table code:"), this);
    codeCaption->setFont(WindowFontBold());
    lblCode_ = PlainLabel(QStringLiteral("Table code"), this);
    auto* addressCaption = new QLabel(QStringLiteral("Addresses:"), this);
    addressCaption->setFont(WindowFontBold());
    lblAddresses_ = PlainLabel(QStringLiteral("Addresses to give your friends"), this);
    lblSeats_ = PlainLabel(QStringLiteral("Players joined and awaited"), this);
    lblSeats_->setWordWrap(true);
    codeCaption->setBuddy(lblCode_);
    addressCaption->setBuddy(lblAddresses_);

    cmdCopy_ = new QPushButton(QStringLiteral("Copy"), this);
    cmdCopy_->setAccessibleName(QStringLiteral("Copy the table code and addresses"));
    cmdStart_ = new QPushButton(QStringLiteral("Start Game"), this);
    cmdStart_->setAccessibleName(QStringLiteral("Start Game"));

    auto* grid = new QGridLayout;
    grid->addWidget(codeCaption, 0, 0, Qt::AlignTop);
    grid->addWidget(lblCode_, 0, 1, Qt::AlignTop);
    grid->addWidget(addressCaption, 1, 0, Qt::AlignTop);
    grid->addWidget(lblAddresses_, 1, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCopy_);
    buttons->addStretch(1);
    buttons->addWidget(cmdStart_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addWidget(lblSeats_);
    outer->addLayout(buttons);

    connect(cmdCopy_, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(Invitation()); });
    connect(cmdStart_, &QPushButton::clicked, this, &HostPanel::StartRequested);
    SetSeats({}, 0);
}

void HostPanel::SetTable(const QString& code, const std::vector<QString>& addresses) {
    code_ = code;
    addresses_ = addresses;
    lblCode_->setText(code);
    QStringList lines(addresses.begin(), addresses.end());
    lblAddresses_->setText(lines.isEmpty()
                               ? QStringLiteral("(this computer has no network address)")
                               : lines.join(QLatin1Char('\n')));
}

void HostPanel::SetSeats(const QStringList& joined, int awaited) {
    QString text = joined.isEmpty() ? QStringLiteral("Nobody has joined yet.")
                                    : QStringLiteral("Joined: %1.").arg(joined.join(", "));
    if (awaited == 1)
        text += QStringLiteral(" Waiting for 1 more player.");
    else if (awaited > 1)
        text += QStringLiteral(" Waiting for %1 more players.").arg(awaited);
    else if (!joined.isEmpty())
        text += QStringLiteral(" Everybody is here.");
    lblSeats_->setText(text);
}

QString HostPanel::Invitation() const {
    QString text = QStringLiteral("Join my Korvane table: Game > Join Network Table...\n"
                                  "Table code: %1\n")
                       .arg(code_);
    for (const QString& a : addresses_)
        text += QStringLiteral("Address: %1\n").arg(a);
    return text;
}

} // namespace korvane
