// The look every dialog of the game shares: a plain 12 pt window font and large OK/Cancel
// buttons that are easy to hit.
#pragma once

#include <QFont>
#include <QString>

class QPushButton;
class QWidget;

namespace korvane {

QFont WindowFont();
QFont WindowFontBold();
QFont ButtonFont();

// Gives a dialog the window font; its buttons get ButtonFont through MakeButton.
void ApplyWindowFont(QWidget* window);
QPushButton* MakeButton(const QString& text, QWidget* parent);

// The program's maker, as shown on the start window and in the about box.
QString MakerName();
QString CreditLine();
QString ContactLine();

} // namespace korvane
