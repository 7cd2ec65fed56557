// Writes the table fuzzer's seed corpus: scripts of real exchanges, played through the same
// harness by clients that play like people (a mistake now and then), with drops, rejoins,
// hand-overs, a second game and refusals. Each script is checked as it is written.
//   make_net_corpus <folder> [docs/protocol.md]
#include "TableHarness.h"

#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace korvane;
using namespace korvane::net;

namespace {

struct Script {
    fuzz::TableHarness harness{1};
    std::vector<std::string> lines;
    int actions = 0;

    void Line(const std::string& line) {
        harness.Line(line);
        lines.push_back(line);
    }
    void Send(int slot, const QJsonObject& m) {
        Line(std::to_string(slot) + Encode(m).toStdString());
    }
    void Write(const std::string& folder, const std::string& name) const {
        std::ofstream out(folder + "/" + name, std::ios::binary);
        for (const std::string& l : lines)
            out << l << '\n';
    }
    bool Over() {
        Table* t = harness.table();
        return t && t->View().phase == QLatin1String("over");
    }
    // One action by whoever is to act; false when no connected person is.
    bool Act(int mistakeEvery = 7) {
        for (int i = 0; i < fuzz::TableHarness::Slots; ++i) {
            const fuzz::Slot& s = harness.At(i);
            const TableView& v = s.view;
            if (!s.welcomed || v.phase != QLatin1String("playing") || v.current != s.seat ||
                v.seats[static_cast<std::size_t>(s.seat)].computer)
                continue;
            const int card = v.state == QLatin1String("turned")
                                 ? v.turned
                                 : v.seats[static_cast<std::size_t>(v.current)].openTop;
            const std::optional<QJsonObject> to = Target(v, card);
            QJsonObject action{{"seat", s.seat}};
            ++actions;
            if (v.state == QLatin1String("turned")) {
                action["type"] = "lay";
                action["pile"] = to ? *to : QJsonObject{{"kind", "open"}, {"index", s.seat}};
            } else if (to && actions % mistakeEvery != 0) {
                action["type"] = "lay";
                action["pile"] = *to;
            } else {
                action["type"] = "turn_up";
            }
            Send(i, action);
            return true;
        }
        return false;
    }
    int Play(int most) {
        int done = 0;
        while (done < most && !Over() && Act())
            ++done;
        return done;
    }
    static std::optional<QJsonObject> Target(const TableView& v, int card) {
        const Pile to = TakingPile(v, card);
        return to.IsNone() ? std::nullopt : std::optional<QJsonObject>(PileToJson(to));
    }
};

QJsonObject Create(const QString& name, const QJsonArray& seats, bool perTurn = false) {
    return {{"type", "create"}, {"name", name}, {"seats", seats}, {"korvanePerTurn", perTurn}};
}
const QJsonObject Person{{"kind", "person"}};
QJsonObject Computer(const QString& name) {
    return {{"kind", "computer"}, {"name", name}};
}
QJsonObject Join(const QString& name) {
    return {{"type", "join"}, {"code", "FUZZTABLE234"}, {"name", name}};
}

int Fail(const std::string& why) {
    std::cerr << "make_net_corpus: " << why << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: make_net_corpus <folder> [docs/protocol.md]");
    const std::string folder = argv[1];

    {
        // Three people and the computer play a game to its end, and the creator plays again.
        Script s;
        s.Send(0, Create(" Ann ", {Person, Person, Computer("Robot"), Person}));
        s.Send(1, Join("Bob"));
        s.Send(2, Join("Cy"));
        s.Send(1, {{"type", "start"}});
        s.Send(0, {{"type", "start"}});
        s.Play(2000);
        if (!s.Over())
            return Fail("the game of three people did not end");
        s.Send(0, {{"type", "play_again"}});
        s.Play(6);
        s.Write(folder, "three-people-game");
    }
    {
        // A drop mid-game, the rejoin, a hand-over and back, leaving, the table ending.
        Script s;
        s.Send(0, Create("Ann", {Person, Person, Computer("Robot")}, true));
        s.Send(1, Join("Bob"));
        s.Send(0, {{"type", "start"}});
        s.Play(8);
        s.Line("-1");
        s.Play(4);
        s.Send(1, {{"type", "rejoin"}, {"code", "FUZZTABLE234"}, {"token", "#1"}});
        s.Play(4);
        s.Send(0, {{"type", "hand_over"}, {"seat", 0}, {"computer", true}});
        s.Play(2);
        s.Send(0, {{"type", "hand_over"}, {"seat", 0}, {"computer", false}});
        s.Play(4);
        s.Send(0, {{"type", "leave"}});
        s.Line("-1");
        s.Line("e");
        s.Send(2, Create("Cy", {Person, Computer("A"), Computer("B")}));
        s.Send(2, {{"type", "start"}});
        s.Play(4);
        s.Write(folder, "drop-rejoin-handover");
    }
    {
        // Refusals: before a table, wrong seat, wrong turn, wrong pile, bad input.
        Script s;
        s.Send(0, {{"type", "start"}});
        s.Send(0, Create("Ann", {Person, Person, Person, Person, Person}));
        s.Send(1, Join("ann"));
        s.Send(1, Join("Bob"));
        s.Send(2, {{"type", "rejoin"}, {"code", "FUZZTABLE234"}, {"token", "#1"}});
        s.Send(0, {{"type", "start"}});
        for (int seat = 0; seat < 5; ++seat)
            s.Send(1, {{"type", "turn_up"}, {"seat", seat}});
        s.Send(
            0,
            {{"type", "lay"}, {"seat", 0}, {"pile", QJsonObject{{"kind", "suit"}, {"index", 3}}}});
        s.Line("0{\"type\":\"lay\",");
        s.Line("1[1,2,3]");
        s.Send(1, {{"type", "hello"}, {"version", 1}});
        s.Play(10);
        s.Write(folder, "refusals");
    }
    if (argc > 2) {
        // The example exchange of the protocol page, its client's side.
        std::ifstream docs(argv[2]);
        Script s;
        for (std::string l; std::getline(docs, l);)
            if (l.rfind("C: ", 0) == 0)
                s.Line("0" + l.substr(3));
        if (s.lines.empty())
            return Fail("no example exchange in " + std::string(argv[2]));
        s.Write(folder, "protocol-example");
    }
    return 0;
}
