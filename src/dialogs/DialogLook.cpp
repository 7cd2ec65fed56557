#include "dialogs/DialogLook.h"

#include <QPushButton>
#include <QWidget>

namespace korvane {

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
