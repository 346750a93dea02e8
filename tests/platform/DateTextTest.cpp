#include "platform/DateText.h"

#include <QDate>

#include <gtest/gtest.h>

TEST(DateText, TheShortDateCarriesTheWholeYearInEveryLocale)
{
    const std::pair<QLocale, QString> cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), u"08.12.2026"_qs},
        {QLocale(QLocale::English, QLocale::UnitedStates), u"12/8/2026"_qs},
        {QLocale(QLocale::Swedish, QLocale::Sweden), u"2026-12-08"_qs}, // four digits already
    };
    for (const auto &[locale, expected] : cases)
        EXPECT_EQ(shortDateText(QDate(2026, 12, 8), locale), expected) << locale.name().toStdString();
}
