#pragma once

#include <QLocale>
#include <QTranslator>

#include <memory>

// Qt's own texts (the open, save, print and font dialogs) in the language of locale, installed in the
// application until the returned translator is destroyed; null when Qt ships no texts for it.
std::unique_ptr<QTranslator> installQtTranslations(const QLocale &locale);
