// Tables hosted on the local network: finding them (the join dialog) and advertising one (the
// host). The dialog sees only TableFinder, so that tests can give it tables of their own.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace korvane::lan {

// The DNS-SD service type of a table, and the protocol version its TXT record names.
inline constexpr char ServiceType[] = "_korvane._tcp";

struct AdvertisedTable {
    QString service; // the advertised name, e.g. "Ann's table"; unique on the network
    QString host;    // the address as text: IPv4 dotted, or IPv6 without brackets
    quint16 port = 0;
    QString code;
    int version = 0;
    friend bool operator==(const AdvertisedTable&, const AdvertisedTable&) = default;
};

class TableFinder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Begins browsing; a second call does nothing.
    virtual void Start() = 0;

signals:
    // A table appeared, or one already found changed its address or code.
    void Found(const korvane::lan::AdvertisedTable& table);
    void Lost(const QString& service);
    // Browsing is impossible for now, in words for the player. Found may still follow, when
    // the cause goes away (the daemon starts).
    void Failed(const QString& why);
};

class TableAdvertiser {
public:
    virtual ~TableAdvertiser() = default;
    // Publishes `service` as ServiceType on `port` with TXT "code=<code>" and "version=<protocol
    // version>". A name taken on the network gets an alternative ("Ann's table #2"). False and why
    // when the table cannot be advertised now; it still is, if the daemon starts later, until
    // Withdraw.
    virtual bool Publish(const QString& service, quint16 port, const QString& code,
                         QString* why) = 0;
    virtual void Withdraw() = 0;
};

std::unique_ptr<TableFinder> MakeAvahiFinder(QObject* parent = nullptr);
std::unique_ptr<TableAdvertiser> MakeAvahiAdvertiser();

} // namespace korvane::lan
