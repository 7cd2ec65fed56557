// The start window: stands on screen while the program starts and counts down two seconds
// before the table opens. A click on the picture holds or releases the countdown.
#pragma once

#include <QMessageBox>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace korvane {

// Shows a message and returns when the user has read it. Tests pass their own.
using MessageFn = std::function<void(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                     const QString& text)>;
// A modal message box with an OK button.
MessageFn StandardMessages();

class frmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int CountdownMs = 2000;

    // Why the window is closing: its countdown, the user's close command, or anything else
    // (the session ending, the application closing all its windows).
    enum class CloseReason { Program, User, Other };

    explicit frmSplash(MessageFn message = StandardMessages());

    // Decides what a close means; runs while the window is still on screen.
    std::function<void(CloseReason)> QueryUnload;

    QTimer* Timer() const { return timer_; }

    // ---- Operations ----
    void Timer_Timer();
    void imgTovan_Click();
    void cmdContact_Click();

    // ---- Widgets ----
    QLabel* imgIcon() const { return imgIcon_; }
    QLabel* imgTovan() const { return imgTovan_; }
    QLabel* ProductName_lbl() const { return productName_; }
    QLabel* Version_lbl() const { return version_; }
    QLabel* Company_lbl() const { return company_; }
    QPushButton* cmdContact() const { return cmdContact_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MessageFn message_;
    QTimer* timer_;
    bool closingByProgram_ = false;
    bool deciding_ = false;

    QLabel* imgIcon_;
    QLabel* imgTovan_;
    QLabel* productName_;
    QLabel* version_;
    QLabel* company_;
    QPushButton* cmdContact_;
};

} // namespace korvane
