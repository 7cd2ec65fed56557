// The table window's menu bar: Game, View and Help, and what their commands do.
#pragma once

#include "table/TableLayout.h"

#include <QObject>

#include <memory>

class QAction;
class QString;

namespace korvane {

class CardLibrary;
class GameRules;
class SavedGameCommands;
class frmKorvane;
class mdlGlobal;

class TableMenu : public QObject {
    Q_OBJECT
public:
    TableMenu(frmKorvane& window, mdlGlobal& global, CardLibrary& cards);
    ~TableMenu() override;
    TableMenu(const TableMenu&) = delete;
    TableMenu& operator=(const TableMenu&) = delete;

    // The game and file commands act on these rules (none before they are built).
    void SetRules(GameRules* rules);
    // Opens a saved game as Game > Open would open it.
    void OpenFile(const QString& path);
    // Zoom In and Zoom Out act only where reach says; a disabled one says why in its tooltip.
    void ShowZoomReach(const layout::ZoomReach& reach);

    // The commands the window and its tests reach; the others live in the menus alone.
    QAction* mnGameNew = nullptr;
    QAction* mnGameDeck = nullptr;
    QAction* mnGameExit = nullptr;
    QAction* mnGameHost = nullptr;
    QAction* mnGameJoin = nullptr;
    QAction* mnGameSave = nullptr;
    QAction* mnGameSaveAs = nullptr;

    QAction* mnViewZoomIn = nullptr;
    QAction* mnViewZoomOut = nullptr;
    QAction* mnViewActualSize = nullptr;
    QAction* mnViewFit = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGameMenu();
    void BuildViewMenu();
    void BuildHelpMenu();
    void mnGameNew_Click();
    void mnGameDeck_Click();
    // Save and Save As act only where the network play allows, and say why not.
    void ShowSaveReach();

    frmKorvane& w_;
    mdlGlobal& g_;
    CardLibrary& cards_;
    GameRules* rules_ = nullptr;
    std::unique_ptr<SavedGameCommands> files_;
};

} // namespace korvane
