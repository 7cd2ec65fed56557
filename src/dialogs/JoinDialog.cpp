#include "dialogs/JoinDialog.h"

#include "dialogs/DialogLook.h"
#include "engine/mdlGlobal.h"
#include "net/Protocol.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

namespace {

constexpr int ServiceRole = Qt::UserRole;
constexpr int AddressRole = Qt::UserRole + 1;
constexpr int CodeRole = Qt::UserRole + 2;

std::optional<QUrl> Unusable(QString* why, const QString& text) {
    if (why)
        *why = text;
    return std::nullopt;
}

bool AllDigits(const QString& s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// The address a player would type for the table: an IPv6 address in brackets, for the port.
QString AddressText(const lan::AdvertisedTable& t) {
    const QString host =
        t.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + t.host + QLatin1Char(']') : t.host;
    return host + QLatin1Char(':') + QString::number(t.port);
}

QString NormalCode(const QString& code) {
    return code.trimmed().toUpper();
}

bool UsableCode(const QString& code) {
    return code.size() == net::CodeLength && std::all_of(code.begin(), code.end(), [](QChar c) {
               return QLatin1StringView(net::CodeAlphabet).contains(c);
           });
}

} // namespace

std::optional<QUrl> ServerUrl(const QString& address, QString* why) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        return Unusable(why, QStringLiteral("Please type the table's address, such as "
                                            "192.168.1.20:47100."));
    if (text.contains(QStringLiteral("://"))) {
        const QUrl url(text, QUrl::StrictMode);
        if (url.scheme() != QLatin1StringView("ws") && url.scheme() != QLatin1StringView("wss"))
            return Unusable(why, QStringLiteral("An address with a scheme starts with ws:// or "
                                                "wss://."));
        if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() ||
            url.hasFragment())
            return Unusable(why,
                            QStringLiteral("\"%1\" is not a table server's address.").arg(text));
        return url;
    }

    // host, host:port, [IPv6], [IPv6]:port, or a bare IPv6 address (more than one colon).
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        const QString rest = close < 0 ? QString() : text.mid(close + 1);
        if (close < 0 || (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':'))))
            return Unusable(why,
                            QStringLiteral("\"%1\" is not a table server's address.").arg(text));
        host = text.mid(1, close - 1);
        if (!rest.isEmpty())
            port = rest.mid(1);
        if (rest == QLatin1StringView(":"))
            port = QStringLiteral("?");
    } else if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        host = text.left(colon);
        port = text.mid(colon + 1);
        if (port.isEmpty())
            port = QStringLiteral("?");
    }
    int number = net::DefaultPort;
    if (!port.isEmpty()) {
        number = AllDigits(port) && port.size() <= 5 ? port.toInt() : 0;
        if (number < 1 || number > 65535)
            return Unusable(why, QStringLiteral("The port after the colon is a number from 1 to "
                                                "65535."));
    }
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(host, QUrl::StrictMode);
    url.setPort(number);
    if (host.isEmpty() || !url.isValid() || url.host().isEmpty())
        return Unusable(why,
                        QStringLiteral("\"%1\" is not a computer's name or address.").arg(host));
    return url;
}

JoinDialog::JoinDialog(lan::TableFinder& finder, const QString& playerName, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Join Network Table"));
    setModal(true);
    ApplyWindowFont(this);
    const int S = mdlGlobal::CardSpacing;

    auto* lblTables = new QLabel(QStringLiteral("&Tables on this network:"), this);
    lblTables->setFont(WindowFontBold());
    lstTables_ = new QListWidget(this);
    lstTables_->setSortingEnabled(true);
    lblTables->setBuddy(lstTables_);
    // Service names and addresses come from the network.
    lblNote_ = new QLabel(this);
    lblNote_->setTextFormat(Qt::PlainText);
    lblNote_->setWordWrap(true);

    auto* lblAddress = new QLabel(QStringLiteral("&Address:"), this);
    txtAddress_ = new QLineEdit(this);
    txtAddress_->setPlaceholderText(QStringLiteral("host:port or wss://..."));
    lblAddress->setBuddy(txtAddress_);
    auto* lblCode = new QLabel(QStringLiteral("Table &code:"), this);
    txtCode_ = new QLineEdit(this);
    lblCode->setBuddy(txtCode_);
    auto* lblName = new QLabel(QStringLiteral("Your &name:"), this);
    txtName_ = new QLineEdit(playerName, this);
    lblName->setBuddy(txtName_);
    for (QLabel* l : {lblAddress, lblCode, lblName})
        l->setFont(WindowFontBold());
    for (QLineEdit* box : {txtAddress_, txtCode_, txtName_})
        SelectAllOnFocus(box);

    lblMessage_ = new QLabel(this);
    lblMessage_->setTextFormat(Qt::PlainText);
    lblMessage_->setWordWrap(true);
    lblMessage_->setAccessibleName(QStringLiteral("Message"));

    cmdJoin_ = MakeButton(QStringLiteral("&Join"), this);
    cmdCancel_ = MakeButton(QStringLiteral("Cancel"), this);
    cmdJoin_->setDefault(true);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(S);
    fields->addWidget(lblAddress, 0, 0);
    fields->addWidget(txtAddress_, 0, 1);
    fields->addWidget(lblCode, 1, 0);
    fields->addWidget(txtCode_, 1, 1);
    fields->addWidget(lblName, 2, 0);
    fields->addWidget(txtName_, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(S);
    buttons->addWidget(cmdJoin_, 1);
    buttons->addWidget(cmdCancel_, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(S, S, S, S);
    outer->setSpacing(S);
    outer->addWidget(lblTables);
    outer->addWidget(lstTables_, 1);
    outer->addWidget(lblNote_);
    outer->addLayout(fields);
    outer->addWidget(lblMessage_);
    outer->addLayout(buttons);
    setTabOrder(lstTables_, txtAddress_);
    setTabOrder(txtAddress_, txtCode_);
    setTabOrder(txtCode_, txtName_);
    setTabOrder(txtName_, cmdJoin_);
    setTabOrder(cmdJoin_, cmdCancel_);

    connect(lstTables_, &QListWidget::currentItemChanged, this,
            [this](const QListWidgetItem* item) { Choose(item); });
    // Enter on the list goes on to the dialog, whose default button is Join.
    connect(lstTables_, &QListWidget::itemDoubleClicked, this, [this](const QListWidgetItem* item) {
        Choose(item);
        TryJoin();
    });
    connect(cmdJoin_, &QPushButton::clicked, this, &JoinDialog::TryJoin);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(&finder, &lan::TableFinder::Found, this, &JoinDialog::TableFound);
    connect(&finder, &lan::TableFinder::Lost, this, &JoinDialog::TableLost);
    connect(&finder, &lan::TableFinder::Failed, this, &JoinDialog::FinderFailed);
    ShowNote();
    // Typing is the way until a table shows in the list; keys typed at once go to the address.
    txtAddress_->setFocus();
    finder.Start();
}

void JoinDialog::TableFound(const lan::AdvertisedTable& table) {
    failure_.clear();
    QListWidgetItem* item = nullptr;
    for (int i = 0; i < lstTables_->count() && !item; ++i) {
        if (lstTables_->item(i)->data(ServiceRole).toString() == table.service)
            item = lstTables_->item(i);
    }
    if (!item)
        item = new QListWidgetItem(lstTables_);
    QString text = table.service + QStringLiteral(" \u2014 ") + table.host;
    if (table.version != net::ProtocolVersion)
        text += QStringLiteral(" (another version of Korvane)");
    item->setText(text);
    item->setData(ServiceRole, table.service);
    item->setData(AddressRole, AddressText(table));
    item->setData(CodeRole, table.code);
    if (item == lstTables_->currentItem())
        Choose(item);
    ShowNote();
}

void JoinDialog::TableLost(const QString& service) {
    for (int i = 0; i < lstTables_->count(); ++i) {
        if (lstTables_->item(i)->data(ServiceRole).toString() == service) {
            delete lstTables_->takeItem(i);
            break;
        }
    }
    ShowNote();
}

void JoinDialog::FinderFailed(const QString& why) {
    failure_ = why;
    ShowNote();
}

void JoinDialog::ShowNote() {
    if (lstTables_->count() > 0) {
        lblNote_->hide();
        lblNote_->clear();
    } else {
        const QString typed = QStringLiteral("You can type a table's address and code below.");
        lblNote_->setText(failure_.isEmpty()
                              ? QStringLiteral("No table is being hosted on this network yet. ") +
                                    typed
                              : failure_ + QLatin1Char(' ') + typed);
        lblNote_->show();
    }
    lstTables_->setAccessibleDescription(lblNote_->text());
}

void JoinDialog::Choose(const QListWidgetItem* item) {
    if (!item)
        return;
    txtAddress_->setText(item->data(AddressRole).toString());
    txtCode_->setText(item->data(CodeRole).toString());
}

JoinRequest JoinDialog::Request() const {
    return JoinRequest{ServerUrl(txtAddress_->text(), nullptr).value_or(QUrl()),
                       NormalCode(txtCode_->text()), txtName_->text().trimmed()};
}

void JoinDialog::TryJoin() {
    QString why;
    QLineEdit* wrong = nullptr;
    const QString code = NormalCode(txtCode_->text());
    const QString name = txtName_->text().trimmed();
    if (txtAddress_->text().trimmed().isEmpty() && lstTables_->count() > 0) {
        // A newcomer sees the list first: it is the easy way.
        why = QStringLiteral("Please choose a table in the list above, or type the address of "
                             "another.");
        wrong = txtAddress_;
    } else if (!ServerUrl(txtAddress_->text(), &why)) {
        wrong = txtAddress_;
    } else if (code.isEmpty()) {
        why = QStringLiteral("Please type the table's code: the 12 letters and digits its host "
                             "was given.");
        wrong = txtCode_;
    } else if (!UsableCode(code)) {
        why = QStringLiteral("A table's code is 12 letters and digits, without I, O, 0 or 1.");
        wrong = txtCode_;
    } else if (name.isEmpty()) {
        why = QStringLiteral("Please type your name.");
        wrong = txtName_;
    } else if (static_cast<std::size_t>(name.size()) > NameLength) {
        why = QStringLiteral("A name can be at most %1 letters long.").arg(NameLength);
        wrong = txtName_;
    }
    if (wrong) {
        lblMessage_->setText(why);
        wrong->setFocus();
        return;
    }
    txtCode_->setText(code);
    const JoinRequest request = Request();
    lblMessage_->setText(
        QStringLiteral("Joining the table at %1...").arg(request.server.toString()));
    SetBusy(true);
    // The owner may answer before this returns; nothing here runs after it.
    emit Attempt(request);
}

void JoinDialog::SetBusy(bool busy) {
    cmdJoin_->setEnabled(!busy);
    lstTables_->setEnabled(!busy);
}

void JoinDialog::Refused(const QString& message) {
    SetBusy(false);
    lblMessage_->setText(message);
}

void JoinDialog::Joined() {
    SetBusy(false);
    accept();
}

} // namespace korvane
