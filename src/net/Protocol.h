// The messages a client sends to a table server, decoded from the bytes of one WebSocket text
// message by a pure function, and the encoding of what the server sends back. See
// docs/protocol.md for the whole protocol.
#pragma once

#include "engine/Pile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QString>

#include <variant>
#include <vector>

namespace korvane::net {

inline constexpr int ProtocolVersion = 1;
// Where korvane-server listens unless told otherwise, and where a game window hosts a table.
inline constexpr quint16 DefaultPort = 47100;
// Table codes: 12 characters of an alphabet without look-alikes, 60 bits.
inline constexpr char CodeAlphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
inline constexpr int CodeLength = 12;
// Longer messages are refused unread.
inline constexpr qsizetype MaxMessageBytes = 64 * 1024;

struct SeatRequest {
    bool person = true;
    // A person's seat the creator's connection holds too (people sharing one computer).
    bool here = false;
    QString name; // a computer seat's name, or that of a person's seat held `here`
};

struct Message {
    enum class Type : uint8_t {
        Hello,
        Create,
        Join,
        Rejoin,
        Start,
        TurnUp,
        Lay,
        HandOver,
        PlayAgain,
        Leave
    };
    Type type = Type::Hello;
    int version = 0;                // hello
    QString name;                   // create, join
    QString code;                   // join, rejoin
    QString token;                  // rejoin
    std::vector<SeatRequest> seats; // create
    int totalKorvane = 1;           // create
    bool korvanePerTurn = false;    // create
    bool lastChance = true;         // create
    int seat = -1;                  // turn_up, lay, hand_over
    Pile pile;                      // lay
    bool computer = false;          // hand_over
};

// Why a message could not be read: always the sender's fault.
struct DecodeError {
    QString code; // malformed, too_large, unknown_type, bad_message
    QString text;
};

std::variant<Message, DecodeError> Decode(QByteArrayView bytes);

// The name of a message type on the wire: "turn_up".
QString TypeName(Message::Type type);

QByteArray Encode(const QJsonObject& message);
// An error for one client: `code` for programs, `text` for people, `refused` the type of the
// message refused (empty when it could not be read).
QJsonObject ErrorMessage(const QString& code, const QString& text, const QString& refused = {});

} // namespace korvane::net
