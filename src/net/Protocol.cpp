#include "net/Protocol.h"

#include "net/View.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <array>
#include <cmath>
#include <utility>

namespace korvane::net {

namespace {

constexpr std::array<std::pair<const char*, Message::Type>, 10> MessageTypes{{
    {"hello", Message::Type::Hello},
    {"create", Message::Type::Create},
    {"join", Message::Type::Join},
    {"rejoin", Message::Type::Rejoin},
    {"start", Message::Type::Start},
    {"turn_up", Message::Type::TurnUp},
    {"lay", Message::Type::Lay},
    {"hand_over", Message::Type::HandOver},
    {"play_again", Message::Type::PlayAgain},
    {"leave", Message::Type::Leave},
}};

struct Reader {
    const QJsonObject& o;
    QString problem;

    bool Fail(const QString& field, const char* wanted) {
        if (problem.isEmpty())
            problem = QStringLiteral("\"%1\" must be %2.").arg(field, QLatin1String(wanted));
        return false;
    }
    bool String(const char* field, QString& out) {
        const QJsonValue v = o[QLatin1String(field)];
        if (!v.isString())
            return Fail(QLatin1String(field), "a string");
        out = v.toString();
        return true;
    }
    // Absent: the default stays.
    bool Bool(const char* field, bool& out, bool required = false) {
        const QJsonValue v = o[QLatin1String(field)];
        if (v.isUndefined() && !required)
            return true;
        if (!v.isBool())
            return Fail(QLatin1String(field), "true or false");
        out = v.toBool();
        return true;
    }
    bool Int(const char* field, int& out, int low, int high, bool required = true) {
        const QJsonValue v = o[QLatin1String(field)];
        if (v.isUndefined() && !required)
            return true;
        // In range before anything is converted: a number like 1e39 fits no integer type.
        const double d = v.toDouble();
        if (!v.isDouble() || d < low || d > high || d != std::floor(d))
            return Fail(
                QLatin1String(field),
                qPrintable(QStringLiteral("a whole number from %1 to %2").arg(low).arg(high)));
        out = static_cast<int>(d);
        return true;
    }
};

bool ReadSeats(Reader& r, Message& m) {
    const QJsonValue v = r.o["seats"];
    if (!v.isArray() || v.toArray().size() < MinPlayers || v.toArray().size() > MaxPlayers)
        return r.Fail(QStringLiteral("seats"), "a list of 3 to 8 seats");
    for (const QJsonValue& s : v.toArray()) {
        const QJsonObject o = s.toObject();
        SeatRequest seat;
        const QString kind = o["kind"].toString();
        if (kind == QLatin1String("computer")) {
            seat.person = false;
            Reader sr{o, {}};
            if (!sr.String("name", seat.name))
                return r.Fail(QStringLiteral("seats[].name"), "a string for a computer seat");
        } else if (kind == QLatin1String("person")) {
            Reader sr{o, {}};
            if (!sr.Bool("here", seat.here))
                return r.Fail(QStringLiteral("seats[].here"), "true or false");
            if (o.contains("name") && !sr.String("name", seat.name))
                return r.Fail(QStringLiteral("seats[].name"), "a string");
        } else {
            return r.Fail(QStringLiteral("seats[].kind"), "\"person\" or \"computer\"");
        }
        m.seats.push_back(seat);
    }
    return true;
}

bool ReadBody(Reader& r, Message& m) {
    using T = Message::Type;
    switch (m.type) {
    case T::Hello:
        return r.Int("version", m.version, 0, 1 << 30);
    case T::Create:
        return r.String("name", m.name) && ReadSeats(r, m) &&
               r.Int("totalKorvane", m.totalKorvane, 1, 3, false) &&
               r.Bool("korvanePerTurn", m.korvanePerTurn) && r.Bool("lastChance", m.lastChance);
    case T::Join:
        return r.String("code", m.code) && r.String("name", m.name);
    case T::Rejoin:
        return r.String("code", m.code) && r.String("token", m.token);
    case T::TurnUp:
        return r.Int("seat", m.seat, 0, MaxPlayers - 1);
    case T::Lay: {
        if (!r.Int("seat", m.seat, 0, MaxPlayers - 1))
            return false;
        const std::optional<Pile> pile = PileFromJson(r.o["pile"]);
        if (!pile || pile->IsClosed())
            return r.Fail(QStringLiteral("pile"), "a suit pile or an open pile");
        m.pile = *pile;
        return true;
    }
    case T::HandOver:
        return r.Int("seat", m.seat, 0, MaxPlayers - 1) && r.Bool("computer", m.computer, true);
    case T::Start:
    case T::PlayAgain:
    case T::Leave:
        return true;
    }
    return false;
}

} // namespace

std::variant<Message, DecodeError> Decode(QByteArrayView bytes) {
    if (bytes.size() > MaxMessageBytes)
        return DecodeError{QStringLiteral("too_large"),
                           QStringLiteral("Messages may not be longer than 65536 bytes.")};
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject())
        return DecodeError{QStringLiteral("malformed"),
                           QStringLiteral("A message must be one JSON object.")};
    const QJsonObject o = doc.object();
    const QJsonValue type = o["type"];
    Message m;
    bool known = false;
    for (const auto& [name, t] : MessageTypes) {
        if (type.isString() && type.toString() == QLatin1String(name)) {
            m.type = t;
            known = true;
        }
    }
    if (!known)
        return DecodeError{QStringLiteral("unknown_type"),
                           QStringLiteral("Unknown message type \"%1\".").arg(type.toString())};
    Reader r{o, {}};
    if (!ReadBody(r, m))
        return DecodeError{QStringLiteral("bad_message"), r.problem};
    return m;
}

QString TypeName(Message::Type type) {
    for (const auto& [name, t] : MessageTypes)
        if (t == type)
            return QLatin1String(name);
    return {};
}

QByteArray Encode(const QJsonObject& message) {
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

QJsonObject ErrorMessage(const QString& code, const QString& text, const QString& refused) {
    QJsonObject e{{"type", "error"}, {"code", code}, {"message", text}};
    if (!refused.isEmpty())
        e["refused"] = refused;
    return e;
}

} // namespace korvane::net
