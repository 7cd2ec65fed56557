// The look every dialog of the game shares: a plain 12 pt window font and large OK/Cancel
// buttons that are easy to hit.
#pragma once

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

namespace korvane {

QFont WindowFont();
QFont WindowFontBold();
QFont ButtonFont();

// Gives a dialog the window font; its buttons get ButtonFont through MakeButton.
void ApplyWindowFont(QWidget* window);
QPushButton* MakeButton(const QString& text, QWidget* parent);

// Selects the box's text whenever the box gets the focus, by Tab or by a click, so that typing
// replaces it. Clicks in a box that already has the focus place the cursor as usual.
void SelectAllOnFocus(QLineEdit* box);

// Shows a dialog modally, owned by `owner`, and discards it; true when it was accepted. The
// guarded pointer keeps this safe when the owner goes away (and takes the dialog with it)
// while the dialog is open.
template <typename Dialog, typename... Args> bool RunModal(QWidget* owner, Args&... args) {
    QPointer<Dialog> dlg = new Dialog(args..., owner);
    const int result = dlg->exec();
    delete dlg.data();
    return result == QDialog::Accepted;
}

// The program's maker, as shown on the start window and in the about box.
QString MakerName();
QString CreditLine();
QString ContactLine();

} // namespace korvane
