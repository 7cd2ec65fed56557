// Finding and advertising tables through the Avahi daemon. Avahi calls back from inside its
// own operations; the finder passes what it learns on through the event loop, so that a slot
// may delete the finder without pulling Avahi's state from under it.
#include "lan/AvahiPoll.h"
#include "lan/TableFinder.h"
#include "net/Protocol.h"

#include <QByteArray>

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

#include <map>
#include <optional>
#include <utility>

namespace korvane::lan {

namespace {

bool DaemonAway(int error) {
    return error == AVAHI_ERR_NO_DAEMON || error == AVAHI_ERR_DISCONNECTED ||
           error == AVAHI_ERR_DBUS_ERROR;
}

QString FinderWhy(int error) {
    if (DaemonAway(error))
        return QStringLiteral(
            "Tables on this network cannot be found: the Avahi service is not running.");
    return QStringLiteral("Tables on this network cannot be found: %1.")
        .arg(QString::fromUtf8(avahi_strerror(error)));
}

QString AdvertiserWhy(int error) {
    if (DaemonAway(error))
        return QStringLiteral("This table cannot be shown to players on this network: the "
                              "Avahi service is not running.");
    return QStringLiteral("This table cannot be shown to players on this network: %1.")
        .arg(QString::fromUtf8(avahi_strerror(error)));
}

// A link-local IPv6 address is useless without the interface it belongs to, and the URL of a
// WebSocket has no room for one.
bool LinkLocal(const AvahiAddress& a) {
    return a.proto == AVAHI_PROTO_INET6 && a.data.ipv6.address[0] == 0xfe &&
           (a.data.ipv6.address[1] & 0xc0) == 0x80;
}

QString TxtValue(AvahiStringList* txt, const char* key) {
    AvahiStringList* item = avahi_string_list_find(txt, key);
    char* value = nullptr;
    if (!item || avahi_string_list_get_pair(item, nullptr, &value, nullptr) < 0)
        return {};
    QString text = QString::fromUtf8(value);
    avahi_free(value);
    return text;
}

// DNS-SD names are at most 63 bytes of UTF-8; a longer one loses its end, never half a
// character.
QByteArray ServiceName(const QString& service) {
    QByteArray name = service.toUtf8();
    if (name.size() <= 63)
        return name;
    qsizetype end = 63;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xc0) == 0x80)
        --end;
    return name.left(end);
}

class AvahiFinder final : public TableFinder {
public:
    explicit AvahiFinder(QObject* parent) : TableFinder(parent) {}
    ~AvahiFinder() override { Disconnect(); }

    void Start() override {
        if (started_)
            return;
        started_ = true;
        Connect();
    }

private:
    // One service is seen once per interface and IP protocol, each resolved on its own.
    using Instance = std::pair<AvahiIfIndex, AvahiProtocol>;
    struct Sighting {
        AvahiServiceResolver* resolver = nullptr;
        std::optional<AdvertisedTable> table;
    };
    struct Service {
        std::map<Instance, Sighting> sightings;
        std::optional<AdvertisedTable> shown; // as last passed on by Found
    };

    template <typename F> void Later(F f) {
        QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
    }
    void TellFound(const AdvertisedTable& t) {
        Later([this, t] { emit Found(t); });
    }
    void TellLost(const QString& service) {
        Later([this, service] { emit Lost(service); });
    }
    // The daemon's going shows both as a failure and as the new client's wait: said once.
    void TellFailed(const QString& why) {
        if (why == failure_)
            return;
        failure_ = why;
        Later([this, why] { emit Failed(why); });
    }

    void Connect() {
        int error = 0;
        // Without the daemon the client waits for it, and reports each coming and going.
        client_ = avahi_client_new(poll_.Api(), AVAHI_CLIENT_NO_FAIL, &AvahiFinder::OnClient, this,
                                   &error);
        if (!client_)
            TellFailed(FinderWhy(error));
    }

    // Freeing the client frees its browser and resolvers.
    void Disconnect() {
        if (client_)
            avahi_client_free(client_);
        client_ = nullptr;
        browser_ = nullptr;
    }

    // The daemon went away (a restart): its tables are gone with it, and come again, if still
    // there, once a new client sees the daemon back.
    void Restart() {
        for (auto& [name, service] : services_) {
            if (service.shown)
                TellLost(name);
        }
        services_.clear();
        Disconnect();
        Connect();
    }

    static void OnClient(AvahiClient* c, AvahiClientState state, void* self) {
        auto* me = static_cast<AvahiFinder*>(self);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            me->failure_.clear();
            if (!me->browser_) {
                me->browser_ = avahi_service_browser_new(c, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                         ServiceType, nullptr, AvahiLookupFlags{},
                                                         &AvahiFinder::OnBrowse, me);
                if (!me->browser_)
                    me->TellFailed(FinderWhy(avahi_client_errno(c)));
            }
            break;
        case AVAHI_CLIENT_CONNECTING:
            me->TellFailed(FinderWhy(AVAHI_ERR_NO_DAEMON));
            break;
        case AVAHI_CLIENT_FAILURE: {
            const int error = avahi_client_errno(c);
            me->TellFailed(FinderWhy(error));
            // Not from inside the client's own callback.
            if (error == AVAHI_ERR_DISCONNECTED)
                me->Later([me] { me->Restart(); });
            break;
        }
        case AVAHI_CLIENT_S_REGISTERING:
        case AVAHI_CLIENT_S_COLLISION:
            break;
        }
    }

    static void OnBrowse(AvahiServiceBrowser*, AvahiIfIndex iface, AvahiProtocol proto,
                         AvahiBrowserEvent event, const char* name, const char* type,
                         const char* domain, AvahiLookupResultFlags, void* self) {
        auto* me = static_cast<AvahiFinder*>(self);
        switch (event) {
        case AVAHI_BROWSER_NEW: {
            Service& service = me->services_[QString::fromUtf8(name)];
            auto [it, added] = service.sightings.try_emplace(Instance{iface, proto});
            if (!added)
                break;
            // Resolved over the protocol it was seen on, so that the IPv4 sighting gives an
            // IPv4 address.
            it->second.resolver =
                avahi_service_resolver_new(me->client_, iface, proto, name, type, domain, proto,
                                           AvahiLookupFlags{}, &AvahiFinder::OnResolve, me);
            break;
        }
        case AVAHI_BROWSER_REMOVE: {
            const QString key = QString::fromUtf8(name);
            auto s = me->services_.find(key);
            if (s == me->services_.end())
                break;
            auto it = s->second.sightings.find(Instance{iface, proto});
            if (it == s->second.sightings.end())
                break;
            if (it->second.resolver)
                avahi_service_resolver_free(it->second.resolver);
            s->second.sightings.erase(it);
            me->Review(key);
            break;
        }
        case AVAHI_BROWSER_FAILURE:
            me->TellFailed(FinderWhy(avahi_client_errno(me->client_)));
            break;
        case AVAHI_BROWSER_ALL_FOR_NOW:
        case AVAHI_BROWSER_CACHE_EXHAUSTED:
            break;
        }
    }

    static void OnResolve(AvahiServiceResolver* r, AvahiIfIndex iface, AvahiProtocol proto,
                          AvahiResolverEvent event, const char* name, const char*, const char*,
                          const char*, const AvahiAddress* address, uint16_t port,
                          AvahiStringList* txt, AvahiLookupResultFlags, void* self) {
        auto* me = static_cast<AvahiFinder*>(self);
        const QString key = QString::fromUtf8(name);
        auto s = me->services_.find(key);
        Sighting* sighting = nullptr;
        if (s != me->services_.end()) {
            auto it = s->second.sightings.find(Instance{iface, proto});
            if (it != s->second.sightings.end() && it->second.resolver == r)
                sighting = &it->second;
        }
        if (sighting) {
            sighting->resolver = nullptr;
            if (event == AVAHI_RESOLVER_FOUND && address && !LinkLocal(*address)) {
                char text[AVAHI_ADDRESS_STR_MAX];
                avahi_address_snprint(text, sizeof text, address);
                sighting->table =
                    AdvertisedTable{key, QString::fromLatin1(text), port, TxtValue(txt, "code"),
                                    TxtValue(txt, "version").toInt()};
            }
        }
        avahi_service_resolver_free(r);
        if (sighting)
            me->Review(key);
    }

    // Shows the best sighting of a service, the IPv4 one if any, or its loss.
    void Review(const QString& key) {
        auto s = services_.find(key);
        Service& service = s->second;
        std::optional<AdvertisedTable> best;
        for (const auto& [instance, sighting] : service.sightings) {
            if (sighting.table && (!best || instance.second == AVAHI_PROTO_INET))
                best = sighting.table;
        }
        if (best && best != service.shown)
            TellFound(*best);
        else if (!best && service.shown)
            TellLost(key);
        service.shown = best;
        if (service.sightings.empty())
            services_.erase(s);
    }

    AvahiPoll poll_; // outlives the client, whose watches it holds
    AvahiClient* client_ = nullptr;
    AvahiServiceBrowser* browser_ = nullptr;
    std::map<QString, Service> services_;
    QString failure_; // as last told, until the daemon runs
    bool started_ = false;
};

class AvahiAdvertiser final : public TableAdvertiser {
public:
    ~AvahiAdvertiser() override { Withdraw(); }

    bool Publish(const QString& service, quint16 port, const QString& code, QString* why) override {
        Withdraw();
        name_ = ServiceName(service);
        port_ = port;
        code_ = "code=" + code.toUtf8();
        version_ = "version=" + QByteArray::number(net::ProtocolVersion);
        error_ = 0;
        Connect();
        if (!error_ && client_ && avahi_client_get_state(client_) == AVAHI_CLIENT_CONNECTING)
            error_ = AVAHI_ERR_NO_DAEMON;
        if (error_ && why)
            *why = AdvertiserWhy(error_);
        return error_ == 0;
    }

    void Withdraw() override {
        if (client_)
            avahi_client_free(client_); // and the entry group with it
        client_ = nullptr;
        group_ = nullptr;
    }

private:
    void Connect() {
        client_ = avahi_client_new(poll_.Api(), AVAHI_CLIENT_NO_FAIL, &AvahiAdvertiser::OnClient,
                                   this, &error_);
    }

    void Register(AvahiClient* c) {
        if (!group_)
            group_ = avahi_entry_group_new(c, &AvahiAdvertiser::OnGroup, this);
        if (!group_) {
            error_ = avahi_client_errno(c);
            return;
        }
        if (!avahi_entry_group_is_empty(group_))
            return;
        int result = 0;
        while ((result = avahi_entry_group_add_service(
                    group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags{},
                    name_.constData(), ServiceType, nullptr, nullptr, port_, code_.constData(),
                    version_.constData(), static_cast<const char*>(nullptr))) ==
               AVAHI_ERR_COLLISION)
            Rename();
        if (result >= 0)
            result = avahi_entry_group_commit(group_);
        if (result < 0)
            error_ = result;
    }

    // Another table on the network has the name: Avahi's next alternative, "Ann's table #2".
    void Rename() {
        char* other = avahi_alternative_service_name(name_.constData());
        name_ = other;
        avahi_free(other);
    }

    static void OnClient(AvahiClient* c, AvahiClientState state, void* self) {
        auto* me = static_cast<AvahiAdvertiser*>(self);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            me->Register(c);
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The host's own name is changing; the service goes up again once it runs.
            if (me->group_)
                avahi_entry_group_reset(me->group_);
            break;
        case AVAHI_CLIENT_FAILURE:
            me->error_ = avahi_client_errno(c);
            // A restarted daemon gets the table again, from a new client made outside this
            // callback.
            if (me->error_ == AVAHI_ERR_DISCONNECTED) {
                QMetaObject::invokeMethod(
                    &me->poll_,
                    [me, c] {
                        // Unless withdrawn meanwhile.
                        if (me->client_ != c)
                            return;
                        me->Withdraw();
                        me->Connect();
                    },
                    Qt::QueuedConnection);
            }
            break;
        case AVAHI_CLIENT_CONNECTING:
            break;
        }
    }

    static void OnGroup(AvahiEntryGroup* g, AvahiEntryGroupState state, void* self) {
        auto* me = static_cast<AvahiAdvertiser*>(self);
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            me->Rename();
            avahi_entry_group_reset(g);
            me->Register(avahi_entry_group_get_client(g));
        } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
            me->error_ = avahi_client_errno(avahi_entry_group_get_client(g));
        }
    }

    AvahiPoll poll_; // outlives the client, whose watches it holds
    AvahiClient* client_ = nullptr;
    AvahiEntryGroup* group_ = nullptr;
    QByteArray name_;
    quint16 port_ = 0;
    QByteArray code_;    // the TXT item, "code=..."
    QByteArray version_; // the TXT item, "version=..."
    int error_ = 0;
};

} // namespace

std::unique_ptr<TableFinder> MakeAvahiFinder(QObject* parent) {
    return std::make_unique<AvahiFinder>(parent);
}

std::unique_ptr<TableAdvertiser> MakeAvahiAdvertiser() {
    return std::make_unique<AvahiAdvertiser>();
}

} // namespace korvane::lan
