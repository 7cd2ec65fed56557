// The about box: the program's title, its version and who made it.
#pragma once

#include "engine/GameRecord.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace korvane {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner, int major = VersionMajor, int minor = VersionMinor);

    static void Run(QWidget* owner);

    // "Ver: " then major, a point and minor with at least two digits.
    static QString VersionLine(int major, int minor);

    QLabel* lblApp() const { return lblApp_; }
    QLabel* lblVer() const { return lblVer_; }
    QLabel* lblMe() const { return lblMe_; }
    QPushButton* cmdOK() const { return cmdOK_; }

private:
    QLabel* lblApp_;
    QLabel* lblVer_;
    QLabel* lblMe_;
    QPushButton* cmdOK_;
};

} // namespace korvane
