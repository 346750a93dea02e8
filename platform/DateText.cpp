#include "platform/DateText.h"

#include <QDate>

QString shortDateFormat(const QLocale &locale)
{
    // Qt's short formats write a two-digit year in many locales ("dd.MM.yy"); a certificate that
    // outlives the decade must not be ambiguous. Quoted text stays as it is.
    QString format = locale.dateFormat(QLocale::ShortFormat);
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'\'') {
            quoted = !quoted;
        } else if (!quoted && format[i] == u'y') {
            qsizetype end = i;
            while (end < format.size() && format[end] == u'y')
                ++end;
            if (end - i == 2) {
                format.insert(i, QStringLiteral("yy"));
                end += 2;
            }
            i = end - 1;
        }
    }
    return format;
}

QString shortDateText(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, shortDateFormat(locale));
}
