// What the dialog tests share: the widgets they drive and the ways out of a dialog.
#pragma once

#include <QtTest>
#include <QtWidgets>

enum class Leave { Cancel, Esc, CloseBox };
inline constexpr Leave WaysOut[] = {Leave::Cancel, Leave::Esc, Leave::CloseBox};

// Leaves a dialog without OK, as a user can.
inline void LeaveDialog(QDialog& dlg, QAbstractButton* cancel, Leave how) {
    if (how == Leave::Cancel)
        cancel->click();
    else if (how == Leave::Esc)
        QTest::keyClick(&dlg, Qt::Key_Escape);
    else
        dlg.close();
    QVERIFY(dlg.isHidden());
}
