#pragma once

#include <QLocale>
#include <QString>

class QDate;

// The short date as the program shows and prints it: the locale's short format with the year in
// full ("dd.MM.yyyy" in German), as German desktops write it.
QString shortDateFormat(const QLocale &locale = QLocale());
QString shortDateText(const QDate &date, const QLocale &locale = QLocale());
