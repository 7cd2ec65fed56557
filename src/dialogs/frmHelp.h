// Help > Index: how the game is played and what every option does. A window of its own that
// stays open beside the table.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace korvane {

class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* owner);

    // Shows the help beside owner, raising the one already open rather than opening another.
    static frmHelp* Show(QWidget* owner);

    // The help text, as HTML.
    static QString Text();

    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace korvane
