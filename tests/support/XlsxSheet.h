#pragma once

#include <QMap>
#include <QString>

// The first worksheet of an .xlsx file as the spreadsheet application will read it, unpacked with
// the unzip tool.
struct XlsxSheet
{
    struct Cell
    {
        QString value;
        bool number = false; // a number cell; value is then its stored text
        bool operator==(const Cell &) const = default;
    };
    QMap<QString, Cell> cells; // by reference, "A1"
    QMap<int, double> widths;  // by 1-based column

    QString text(const char *ref) const { return cells.value(QString::fromLatin1(ref)).value; }
    bool isNumber(const char *ref) const { return cells.value(QString::fromLatin1(ref)).number; }
    // The number in a number cell; -1 for any other cell.
    double number(const char *ref) const { return isNumber(ref) ? text(ref).toDouble() : -1; }
    bool contains(const char *ref) const { return cells.contains(QString::fromLatin1(ref)); }

    static XlsxSheet read(const QString &xlsx);
};
