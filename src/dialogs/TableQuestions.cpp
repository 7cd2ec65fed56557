#include "dialogs/TableQuestions.h"

#include "engine/GameRecord.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace korvane::questions {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("TableQuestions", text);
}

} // namespace

bool PlayAgain(QWidget* parent, const std::string& message) {
    QMessageBox box(QMessageBox::NoIcon, tr("Korvane!!!"),
                    QString::fromLatin1(message) + QStringLiteral("\n\n") +
                        tr("Do you want to play again?"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void NotEnoughResolution(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AppTitle),
                    tr("Not enough screen resolution."), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

TableDisplay::Answer SwitchMode(QWidget* parent, bool toComputer) {
    QMessageBox box(QMessageBox::NoIcon,
                    toComputer ? tr("Change to Computer Player Mode")
                               : tr("Change to Manual Player Mode"),
                    toComputer ? tr("Do you want computer to play your game?")
                               : tr("Do you want to play your own game?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return TableDisplay::Answer::Yes;
    case QMessageBox::No:
        return TableDisplay::Answer::No;
    default:
        return TableDisplay::Answer::Cancel;
    }
}

} // namespace korvane::questions
