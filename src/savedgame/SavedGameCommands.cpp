#include "savedgame/SavedGameCommands.h"

#include "savedgame/SavedGameFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>

#include <span>

namespace korvane {

namespace {

// The filter in Qt's form; both cases, since file names are case-sensitive here.
constexpr const char* KvnFilter = "Korvane File (.KVN) (*.KVN *.kvn)";
constexpr const char* KvnSuffix = "KVN";

bool Blank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Read-only as the user sets it: without the owner's write permission. Checked apart from
// isWritable() because an administrator may write anything, and a save must still not replace
// a file its owner protected.
bool ReadOnly(const QFileInfo& info) {
    return info.exists() && info.isFile() &&
           (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner));
}

// A warning that quotes file names as typed, never read as markup. A question's default is its
// last button (No), so that Enter never replaces a file.
int PlainWarning(QWidget* parent, const QString& title, const QString& text,
                 QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Warning, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (buttons & QMessageBox::No)
        box.setDefaultButton(QMessageBox::No);
    return box.exec();
}

} // namespace

FileChooser DialogFileChooser() {
    return [](QWidget* parent, const FileRequest& r) -> QString {
        QFileDialog dialog(parent, QString(), r.folder, r.filter);
        dialog.setAcceptMode(r.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(r.suffix);
        // The dialog's own "not found" and "replace?" boxes would read a name such as
        // <i>x</i>.KVN as markup: the game asks those questions itself, in plain text.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!r.preset.isEmpty())
            dialog.selectFile(r.preset);
        for (;;) {
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return {};
            const QString path = dialog.selectedFiles().constFirst();
            const bool exists = QFileInfo(path).isFile();
            if (r.open && !exists) {
                PlainWarning(&dialog, dialog.windowTitle(),
                             QStringLiteral("%1\nFile not found.\nPlease verify the correct file "
                                            "name was given.")
                                 .arg(Shown(path)),
                             QMessageBox::Ok);
                continue;
            }
            if (!r.open && exists &&
                PlainWarning(&dialog, dialog.windowTitle(),
                             QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                 .arg(Shown(QFileInfo(path).fileName())),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
                continue;
            return path;
        }
    };
}

MessageReporter WarningBoxReporter() {
    return [](QWidget* parent, const QString& text) {
        PlainWarning(parent, QString::fromLatin1(AppTitle), text, QMessageBox::Ok);
    };
}

bool UserMayWrite(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString DialogFolder::Start() const {
    if (!last_.isEmpty())
        return last_;
    for (const QString& folder :
         {QCoreApplication::applicationDirPath(),
          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)}) {
        if (!folder.isEmpty() && mayWrite_(folder))
            return folder;
    }
    return QDir::homePath();
}

void DialogFolder::Chosen(const QString& file) {
    last_ = QFileInfo(file).absolutePath();
}

std::string GetFilename(QWidget* parent, mdlGlobal& g, bool OpnSv, DialogFolder& folder,
                        const FileChooser& choose, const MessageReporter& report) {
    FileRequest request;
    request.open = OpnSv;
    request.folder = folder.Start();
    if (!OpnSv && !Blank(g.FileName))
        request.preset = QString::fromStdString(g.FileName);
    request.filter = QString::fromLatin1(KvnFilter);
    request.suffix = QString::fromLatin1(KvnSuffix);

    for (;;) {
        const QString path = choose(parent, request);
        if (path.trimmed().isEmpty())
            return {};
        const QFileInfo info(path);
        if (!OpnSv && ReadOnly(info)) {
            report(parent, QStringLiteral("\"%1\" is read-only.\nPlease choose another name.")
                               .arg(Shown(path)));
            request.preset = path;
            continue;
        }
        g.FileTitle = info.fileName().toStdString();
        folder.Chosen(path);
        return path.toStdString();
    }
}

SavedGameCommands::SavedGameCommands(QWidget* parent, GameRules& rules, TableDisplay& display,
                                     FileChooser choose, MessageReporter report,
                                     DialogFolder folder)
    : parent_(parent), rules_(rules), display_(display), choose_(std::move(choose)),
      report_(std::move(report)), folder_(std::move(folder)) {}

std::string SavedGameCommands::GetFilename(bool OpnSv) {
    return korvane::GetFilename(parent_, rules_.Global(), OpnSv, folder_, choose_, report_);
}

void SavedGameCommands::mnGameOpen_Click() {
    mdlGlobal& g = rules_.Global();
    const std::string oldName = g.FileName;
    const std::string oldTitle = g.FileTitle;
    // A cancel leaves no current file: the game stays, but the next Save asks for a name.
    g.FileName = GetFilename(true);
    if (Blank(g.FileName))
        return;
    OpenChosen(oldName, oldTitle);
}

void SavedGameCommands::OpenFile(const QString& path) {
    mdlGlobal& g = rules_.Global();
    const std::string oldName = g.FileName;
    const std::string oldTitle = g.FileTitle;
    g.FileName = path.toStdString();
    g.FileTitle = QFileInfo(path).fileName().toStdString();
    folder_.Chosen(path);
    OpenChosen(oldName, oldTitle);
}

void SavedGameCommands::OpenChosen(const std::string& oldName, const std::string& oldTitle) {
    mdlGlobal& g = rules_.Global();
    const QString path = QString::fromStdString(g.FileName);
    auto refuse = [&](const QString& text) {
        // The game on the table stays, and so does the file it belongs to: a later Save must
        // not write it over the file that was refused.
        g.FileName = oldName;
        g.FileTitle = oldTitle;
        report_(parent_, text);
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(QStringLiteral("The file \"%1\" could not be opened.\n\n%2")
                   .arg(Shown(path), file.errorString()));
        return;
    }
    // Whatever follows the longest record is never read.
    const QByteArray data = file.read(static_cast<qint64>(SavedGameSize(MaxSavedPlayers)));
    if (file.error() != QFileDevice::NoError) {
        refuse(QStringLiteral("The file \"%1\" could not be read.\n\n%2")
                   .arg(Shown(path), file.errorString()));
        return;
    }
    file.close();

    const LoadResult loaded = DecodeGame(std::span<const uint8_t>(
        reinterpret_cast<const uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())));
    if (!loaded) {
        refuse(QStringLiteral("The file \"%1\" is not a Korvane saved game or is damaged.\n\n(%2)")
                   .arg(Shown(path), QString::fromStdString(loaded.reason)));
        return;
    }
    rules_.OpenGame(*loaded.game);
}

void SavedGameCommands::mnGameSave_Click() {
    SaveAsking(Blank(rules_.Global().FileName));
}

void SavedGameCommands::mnGameSaveAs_Click() {
    SaveAsking(true);
}

void SavedGameCommands::SaveAsking(bool ask) {
    mdlGlobal& g = rules_.Global();
    const std::string oldName = g.FileName;
    const std::string oldTitle = g.FileTitle;
    // A cancelled dialog leaves no current file: the next Save asks again.
    if (ask)
        g.FileName = GetFilename(false);
    if (Blank(g.FileName))
        return;
    if (!SaveRecord()) {
        g.FileName = oldName;
        g.FileTitle = oldTitle;
        return;
    }
    // The caption shows the new title; the table is left exactly as it is.
    if (ask)
        display_.UpdateCaption();
}

bool SavedGameCommands::SaveRecord() {
    const QString path = QString::fromStdString(rules_.Global().FileName);
    auto fail = [&](const QString& why) {
        report_(
            parent_,
            QStringLiteral("The game could not be saved to \"%1\".\n\n%2").arg(Shown(path), why));
        return false;
    };

    std::optional<GameInfo> served = recordSource_ ? recordSource_() : std::nullopt;
    const GameInfo record = served ? *served : rules_.SaveableRecord();
    // A file the program could not open again is worse than no file.
    if (const std::string why = CheckGame(record); !why.empty())
        return fail(QStringLiteral("The game on the table is not consistent (%1).")
                        .arg(QString::fromStdString(why)));
    const std::vector<uint8_t> bytes = EncodeGame(record);

    if (ReadOnly(QFileInfo(path)))
        return fail(QStringLiteral("The file is read-only."));
    // Written aside and renamed over the old file only when complete, so a full disk or a
    // crash leaves the old file whole.
    QSaveFile file(path);
    // Unbuffered: QSaveFile (Qt 6.4) does not notice a write that fails while its buffer is
    // flushed at commit, and renames the truncated file over the old one. Written straight
    // through, a failing write is seen here and the old file stays.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace korvane
