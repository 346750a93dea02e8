#pragma once

#include <QColor>
#include <QImage>
#include <QLocale>
#include <QObject>
#include <QString>

#include <ostream>

// Lets GoogleTest print Qt values in failure messages.
void PrintTo(const QString &text, std::ostream *os);
void PrintTo(const QColor &color, std::ostream *os);

// Sets the default locale for one scope and restores the previous one.
class LocaleScope
{
public:
    // m_saved is the default locale from before the change.
    explicit LocaleScope(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_saved); }
    LocaleScope(const LocaleScope &) = delete;
    LocaleScope &operator=(const LocaleScope &) = delete;

private:
    QLocale m_saved;
};

// The colour of one pixel of an image, without alpha.
QColor pixelAt(const QImage &image, int x, int y);

// A window's widget by its object name, as the operator finds it by its caption; null when missing.
template <typename T> T *childOf(const QObject &window, const char *name)
{
    return window.findChild<T *>(QString::fromLatin1(name));
}
