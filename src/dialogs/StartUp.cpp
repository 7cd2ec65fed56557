#include "dialogs/StartUp.h"

#include "dialogs/AppIcon.h"
#include "engine/GameRecord.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

namespace korvane {

StartUp::StartUp(mdlGlobal& g, StartupHooks hooks) : g_(g), hooks_(std::move(hooks)) {
    if (!hooks_.message)
        hooks_.message = StandardMessages();
    if (!hooks_.screenSize) {
        hooks_.screenSize = [] {
            const QScreen* screen = QGuiApplication::primaryScreen();
            return screen ? screen->size() : QSize();
        };
    }
    if (!hooks_.endProgram)
        hooks_.endProgram = [](int code) { QCoreApplication::exit(code); };
}

StartUp::~StartUp() = default;

bool StartUp::Begin() {
    splash_ = std::make_unique<frmSplash>(hooks_.message);
    splash_->QueryUnload = [this](frmSplash::CloseReason reason) { Form_QueryUnload(reason); };
    splash_->show();

    const QSize screen = hooks_.screenSize();
    if (screen.width() < MinWidth || screen.height() < MinHeight) {
        hooks_.message(splash_.get(), QMessageBox::Critical, QStringLiteral("Sorry..."),
                       QStringLiteral("Minimum 640x480 resolution required. OK!!!"));
        End(1);
        return false;
    }
    g_.SetDefaults();
    splash_->Timer()->start();
    return true;
}

void StartUp::Form_QueryUnload(frmSplash::CloseReason reason) {
    if (ended_ || tableOpened_)
        return;
    if (reason == frmSplash::CloseReason::Other) {
        End(0);
        return;
    }
    if (!hooks_.initCards || !hooks_.initCards()) {
        hooks_.message(splash_.get(), QMessageBox::NoIcon, QString::fromLatin1(AppTitle),
                       QStringLiteral("Can't Initialize Card Deck"));
        End(1);
        return;
    }
    tableOpened_ = true;
    if (hooks_.openTable)
        hooks_.openTable();
    // From the event loop, as a menu command runs: a refusal or a computer's turn may run it.
    if (!hooks_.file.isEmpty() && hooks_.openFile)
        QTimer::singleShot(0, splash_.get(), [this] { hooks_.openFile(hooks_.file); });
}

void StartUp::End(int code) {
    ended_ = true;
    exitCode_ = code;
    if (splash_) {
        splash_->Timer()->stop();
        splash_->hide();
    }
    hooks_.endProgram(code);
}

Arguments ReadArguments(const QStringList& arguments) {
    Arguments read;
    for (const QString& a : arguments) {
        if (a.startsWith(u'-') || !read.file.isEmpty()) {
            read.refused = a;
            break;
        }
        read.file = QFileInfo(a).absoluteFilePath();
    }
    return read;
}

int RunStartup(QApplication& app, mdlGlobal& g, StartupHooks hooks) {
    QApplication::setWindowIcon(AppIcon());
    StartUp startUp(g, std::move(hooks));
    if (!startUp.Begin())
        return startUp.ExitCode();
    const int code = app.exec();
    return startUp.Ended() ? startUp.ExitCode() : code;
}

} // namespace korvane
