#include "dialogs/frmSplash.h"

#include "dialogs/AppIcon.h"
#include "dialogs/DialogLook.h"
#include "engine/GameRecord.h"
#include "engine/mdlGlobal.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace korvane {

MessageFn StandardMessages() {
    return [](QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
        QPointer<QMessageBox> box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
        box->exec();
        delete box.data();
    };
}

frmSplash::frmSplash(MessageFn message)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), message_(std::move(message)) {
    ApplyWindowFont(this);
    setWindowTitle(QString());
    setWindowIcon(AppIcon());
    const int S = mdlGlobal::CardSpacing;

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(CountdownMs);
    connect(timer_, &QTimer::timeout, this, &frmSplash::Timer_Timer);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);

    imgIcon_ = new QLabel(frame);
    imgIcon_->setPixmap(AppIconPixmap(48, devicePixelRatioF()));
    imgTovan_ = new QLabel(frame);
    imgTovan_->setPixmap(AppIconPixmap(128, devicePixelRatioF()));
    imgTovan_->setToolTip(QStringLiteral("Made by ") + MakerName());
    imgTovan_->setCursor(Qt::PointingHandCursor);
    imgTovan_->installEventFilter(this);

    productName_ = new QLabel(QString::fromLatin1(AppTitle), frame);
    QFont title = WindowFontBold();
    title.setPointSize(20);
    productName_->setFont(title);
    version_ =
        new QLabel(QStringLiteral("Version %1.%2").arg(VersionMajor).arg(VersionMinor), frame);
    auto* from = new QLabel(QStringLiteral("From:"), frame);
    company_ = new QLabel(MakerName(), frame);
    auto* notice = new QLabel(QStringLiteral("This game may be copied and given away freely, "
                                             "as long as it stays whole and free of charge. "
                                             "It comes with no warranty of any kind."),
                              frame);
    notice->setWordWrap(true);
    cmdContact_ = new QPushButton(QStringLiteral("Contact ME"), frame);
    cmdContact_->setDefault(true);
    connect(cmdContact_, &QPushButton::clicked, this, &frmSplash::cmdContact_Click);

    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(2 * S, 2 * S, 2 * S, 2 * S);
    grid->setSpacing(S);
    grid->addWidget(imgIcon_, 0, 0, Qt::AlignTop);
    grid->addWidget(productName_, 0, 1, 1, 2);
    grid->addWidget(imgTovan_, 1, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(version_, 1, 1, 1, 2);
    grid->addWidget(from, 2, 1);
    grid->addWidget(company_, 2, 2);
    grid->addWidget(notice, 3, 1, 1, 2);
    grid->addWidget(cmdContact_, 4, 2, Qt::AlignRight);
    grid->setColumnStretch(2, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

void frmSplash::Timer_Timer() {
    closingByProgram_ = true;
    close();
    closingByProgram_ = false;
}

void frmSplash::imgTovan_Click() {
    if (timer_->isActive())
        timer_->stop();
    else
        timer_->start();
}

void frmSplash::cmdContact_Click() {
    // The countdown goes on; if it runs out meanwhile, the closing window takes the box along.
    message_(this, QMessageBox::NoIcon, QStringLiteral("Information"),
             CreditLine() + QLatin1Char('\n') + ContactLine());
}

void frmSplash::closeEvent(QCloseEvent* event) {
    // A close asked for while the last one is still being decided (behind its message box).
    if (deciding_) {
        event->ignore();
        return;
    }
    const CloseReason reason = closingByProgram_      ? CloseReason::Program
                               : event->spontaneous() ? CloseReason::User
                                                      : CloseReason::Other;
    timer_->stop();
    deciding_ = true;
    if (QueryUnload)
        QueryUnload(reason);
    deciding_ = false;
    // A message box of the window (the contact lines) must not outlive it on screen.
    for (QMessageBox* box : findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly))
        box->reject();
    event->accept();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        cmdContact_->click(); // the default button
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgTovan_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            imgTovan_->rect().contains(mouse->position().toPoint())) {
            imgTovan_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
