#include "controls/WindowStyle.h"

#include <QDialog>

QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    return font;
}

void setUpFixedDialog(QDialog &dialog, const QString &objectName, const QString &title, QSize size)
{
    dialog.setObjectName(objectName);
    dialog.setWindowTitle(title);
    dialog.setFixedSize(size);
}
