#include "dialogs/frmAbout.h"

#include "dialogs/DialogLook.h"
#include "engine/mdlGlobal.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

QString frmAbout::VersionLine(int major, int minor) {
    return QStringLiteral("Ver: %1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

frmAbout::frmAbout(QWidget* owner, int major, int minor) : QDialog(owner) {
    setWindowTitle(QStringLiteral("About Korvane"));
    setModal(true);
    ApplyWindowFont(this);
    const int S = mdlGlobal::CardSpacing;

    lblApp_ = new QLabel(QString::fromLatin1(AppTitle), this);
    lblVer_ = new QLabel(VersionLine(major, minor), this);
    lblMe_ = new QLabel(CreditLine() + QLatin1Char('\n') + ContactLine(), this);
    for (QLabel* l : {lblApp_, lblVer_, lblMe_})
        l->setAlignment(Qt::AlignCenter);
    cmdOK_ = MakeButton(QStringLiteral("OK"), this);
    // The only button answers Enter; Esc closes the box through the dialog's own reject.
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2 * S, 2 * S, 2 * S, 2 * S);
    layout->setSpacing(S);
    layout->addWidget(lblApp_);
    layout->addWidget(lblVer_);
    layout->addWidget(lblMe_);
    layout->addWidget(cmdOK_);
}

void frmAbout::Run(QWidget* owner) {
    RunModal<frmAbout>(owner);
}

} // namespace korvane
