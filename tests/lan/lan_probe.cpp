// Tries the network discovery by hand:
//   lan_probe publish NAME PORT CODE [SECONDS]  advertises a table, then withdraws it
//   lan_probe browse [SECONDS]                  prints the tables as they come and go
//   lan_probe dialog [NAME]                     the Join Network Table dialog on the network;
//                                               a join attempt is printed and refused
#include "dialogs/JoinDialog.h"
#include "lan/TableFinder.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace korvane;

namespace {

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void QuitAfter(const QStringList& args, int index, int seconds) {
    if (args.size() > index)
        seconds = args.at(index).toInt();
    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);

    if (mode == QLatin1StringView("publish") && args.size() >= 5) {
        std::unique_ptr<lan::TableAdvertiser> advertiser = lan::MakeAvahiAdvertiser();
        QString why;
        const bool ok = advertiser->Publish(args.at(2), static_cast<quint16>(args.at(3).toUInt()),
                                            args.at(4), &why);
        Say(ok ? QStringLiteral("published") : QStringLiteral("not published: ") + why);
        QuitAfter(args, 5, 0);
        const int result = app.exec();
        advertiser->Withdraw();
        return result;
    }

    std::unique_ptr<lan::TableFinder> finder = lan::MakeAvahiFinder();
    QObject::connect(finder.get(), &lan::TableFinder::Found, [](const lan::AdvertisedTable& t) {
        Say(QStringLiteral("found \"%1\" at %2 port %3 code %4 version %5")
                .arg(t.service, t.host)
                .arg(t.port)
                .arg(t.code)
                .arg(t.version));
    });
    QObject::connect(finder.get(), &lan::TableFinder::Lost, [](const QString& service) {
        Say(QStringLiteral("lost \"%1\"").arg(service));
    });
    QObject::connect(finder.get(), &lan::TableFinder::Failed,
                     [](const QString& why) { Say(QStringLiteral("failed: ") + why); });

    if (mode == QLatin1StringView("browse")) {
        finder->Start();
        QuitAfter(args, 2, 0);
        return app.exec();
    }
    if (mode == QLatin1StringView("dialog")) {
        JoinDialog dialog(*finder, args.value(2, QStringLiteral("Bob")));
        QObject::connect(&dialog, &JoinDialog::Attempt, &dialog, [&dialog](const JoinRequest& r) {
            Say(QStringLiteral("attempt %1 code %2 name %3")
                    .arg(r.server.toString(), r.code, r.name));
            dialog.Refused(QStringLiteral("This probe joins no table."));
        });
        dialog.show();
        return app.exec();
    }
    std::fputs(
        "usage: lan_probe publish NAME PORT CODE [SECONDS] | browse [SECONDS] | dialog [NAME]\n",
        stderr);
    return 2;
}
