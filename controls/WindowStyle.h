#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QDialog;

// The frame of the program's own dialogs: a title bar with a close box, no resizing.
inline constexpr Qt::WindowFlags FixedDialogFlags =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// The font the windows' layouts are drawn for: Arial, 8 point.
QFont windowFont();

// Gives a dialog (created with FixedDialogFlags) its object name, title and fixed size.
void setUpFixedDialog(QDialog &dialog, const QString &objectName, const QString &title, QSize size);
