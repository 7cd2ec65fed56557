#include "dialogs/DialogLook.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace korvane {

namespace {

// The press of the click that gives a box the focus puts the cursor under the mouse, which
// drops the selection made at the focus; the selection is made again at the release, unless
// the user dragged out one of his own.
class FocusSelector final : public QObject {
public:
    explicit FocusSelector(QLineEdit* box) : QObject(box), box_(box) {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::FocusIn:
            box_->selectAll();
            clicked_ = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
            break;
        case QEvent::MouseButtonRelease:
            if (clicked_ && !box_->hasSelectedText())
                box_->selectAll();
            clicked_ = false;
            break;
        case QEvent::FocusOut:
            clicked_ = false;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* box_;
    bool clicked_ = false; // the focus came with a click whose release is still to come
};

} // namespace

QFont WindowFont() {
    QFont f(QStringLiteral("Arial"), 12);
    // Set outright, so that a widget inside a bold frame does not inherit the frame's weight.
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    return f;
}

QFont WindowFontBold() {
    QFont f = WindowFont();
    f.setBold(true);
    return f;
}

QFont ButtonFont() {
    return QFont(QStringLiteral("Times New Roman"), 36);
}

void ApplyWindowFont(QWidget* window) {
    window->setFont(WindowFont());
}

QPushButton* MakeButton(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFont(ButtonFont());
    // A default button would otherwise follow the focus from button to button.
    b->setAutoDefault(false);
    return b;
}

void SelectAllOnFocus(QLineEdit* box) {
    new FocusSelector(box); // owned by the box
}

QString MakerName() {
    return QStringLiteral("the Korvane developers");
}
QString CreditLine() {
    return QStringLiteral("Made by the Korvane developers");
}
QString ContactLine() {
    return QStringLiteral("Write to us through the project's issue tracker");
}

} // namespace korvane
