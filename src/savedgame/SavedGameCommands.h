// Game > Open, Save and Save As: the file dialog, reading and checking a saved game before it
// replaces the one on the table, and writing the record so that a good file is never left half
// overwritten.
#pragma once

#include "engine/GameRules.h"
#include "engine/TableDisplay.h"
#include "engine/mdlGlobal.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace korvane {

// What the file dialog is asked to show.
struct FileRequest {
    bool open = true; // the Open dialog (the file must exist), else the Save dialog
    QString folder;   // where the dialog starts
    QString preset;   // the file name filled in (Save with a current file)
    QString filter;   // in Qt's form, "Korvane File (.KVN) (*.KVN *.kvn)"
    QString suffix;   // appended to a name typed without one
};

// Shows a file dialog and returns the chosen path, "" when the user cancels. The program uses
// QFileDialog; tests answer for the user.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;
// Tells the user why a command failed. The program shows a warning box.
using MessageReporter = std::function<void(QWidget* parent, const QString& text)>;

FileChooser DialogFileChooser();
MessageReporter WarningBoxReporter();

// Whether the user may save into a folder.
bool UserMayWrite(const QString& folder);

// Where the file dialog starts: the folder of the file last chosen in this run; before any, the
// program's folder when the user may write there (not so when installed under /usr), else the
// documents folder, else home.
class DialogFolder {
public:
    using WriteCheck = std::function<bool(const QString& folder)>;
    explicit DialogFolder(WriteCheck mayWrite = UserMayWrite) : mayWrite_(std::move(mayWrite)) {}

    QString Start() const;
    void Chosen(const QString& file);

private:
    WriteCheck mayWrite_;
    QString last_;
};

// The file dialog for Open (OpnSv true) or Save, starting in `folder`. Returns the chosen full
// path, stores its file name in g.FileTitle and its folder in `folder`; returns "" and leaves
// both alone on cancel. An existing read-only file is refused for saving and the dialog shown
// again.
std::string GetFilename(QWidget* parent, mdlGlobal& g, bool OpnSv, DialogFolder& folder,
                        const FileChooser& choose = DialogFileChooser(),
                        const MessageReporter& report = WarningBoxReporter());

class SavedGameCommands {
public:
    SavedGameCommands(QWidget* parent, GameRules& rules, TableDisplay& display,
                      FileChooser choose = DialogFileChooser(),
                      MessageReporter report = WarningBoxReporter(),
                      DialogFolder folder = DialogFolder());

    void mnGameOpen_Click();
    // Opens `path` as Game > Open opens the file chosen in its dialog (the program's command
    // line names it).
    void OpenFile(const QString& path);
    void mnGameSave_Click();
    void mnGameSaveAs_Click();
    // Where a save takes its record when the rules' is not the game played (a network table
    // hosted here); nullopt: the rules'.
    void SetRecordSource(std::function<std::optional<GameInfo>()> source) {
        recordSource_ = std::move(source);
    }

private:
    std::string GetFilename(bool OpnSv);
    // Reads g.FileName and puts its game on the table; a file that cannot be read or is damaged
    // is refused, and the current file goes back to oldName and oldTitle.
    void OpenChosen(const std::string& oldName, const std::string& oldTitle);
    // Writes the game to g.FileName; on failure reports it and returns false.
    bool SaveRecord();
    // Saves the game, first asking for a file name when `ask`; a failed save leaves the file
    // name and title as they were.
    void SaveAsking(bool ask);

    QWidget* parent_;
    GameRules& rules_;
    TableDisplay& display_;
    FileChooser choose_;
    MessageReporter report_;
    DialogFolder folder_;
    std::function<std::optional<GameInfo>()> recordSource_;
};

} // namespace korvane
