#include "settings/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

std::unique_ptr<QTranslator> installQtTranslations(const QLocale &locale)
{
    auto texts = std::make_unique<QTranslator>();
    if (!texts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    QCoreApplication::installTranslator(texts.get());
    return texts;
}
