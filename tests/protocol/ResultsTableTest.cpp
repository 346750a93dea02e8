#include "protocol/ResultsTable.h"

#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace Results;

namespace {

QStringList entry(int nr, const QString &name, const QString &time = QString())
{
    return {QString::number(nr), name, name + QStringLiteral(" Pferd"), time, QString()};
}

} // namespace

TEST(Results, SelectorItemsAreOrderedByNumberAndFormattedLikeTheList)
{
    ResultsModel model;
    model.load(headerCaptions(),
               {entry(10, QStringLiteral("Zehn")),
                entry(7, QStringLiteral("Sieben"), QStringLiteral("12,00")),
                {QStringLiteral("x"), QStringLiteral("Ohne"), QString(), QString(), QString()},
                entry(100, QStringLiteral("Hundert"))});
    const QList<RiderItem> items = riderItems(model);
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0].number, 7);
    EXPECT_EQ(items[0].text, u" 7 Sieben Sieben Pferd 12,00"_qs);
    EXPECT_EQ(items[1].number, 10);
    EXPECT_EQ(items[2].number, 100);
    EXPECT_EQ(items[2].text, u"100 Hundert Hundert Pferd "_qs);
    EXPECT_EQ(items[3].number, -1);
}

TEST(Results, TotalsCountDistinctHorsesAndTimesIgnoringCase)
{
    const Totals totals = CountTotals({headerCaptions(),
                                       {u"1"_qs, u"A"_qs, u"Blær"_qs, u"10,00"_qs, u""_qs},
                                       {u"2"_qs, u"B"_qs, u"BLÆR"_qs, u"10,00"_qs, u""_qs},
                                       {u"3"_qs, u"C"_qs, u""_qs, u""_qs, u""_qs}});
    EXPECT_EQ(totals.EntryCount, 3);
    EXPECT_EQ(totals.DistinctHorses, 2);
    EXPECT_EQ(totals.DistinctTimes, 2);
}

TEST(Results, RidersAdvanceByTwoAndSwapLanesAtTheEnd)
{
    RiderPair pair{0, 1};
    QList<std::pair<int, int>> seen;
    for (int i = 0; i < 6; ++i) {
        pair = AdvanceRiders(pair, 10, 10);
        seen.append({pair.lane1, pair.lane2});
    }
    const QList<std::pair<int, int>> expected = {{2, 3}, {4, 5}, {6, 7}, {8, 9}, {1, 0}, {3, 2}};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(startAvailable(3, 3, 1, 1, false));
    EXPECT_FALSE(startAvailable(3, 3, 0, 1, true));
    EXPECT_FALSE(startAvailable(0, 3, -1, 1, false));
    EXPECT_TRUE(startAvailable(1, 1, 0, -1, false));
}

TEST(Results, LaneTimesAreTruncatedHundredthsWithTheLocaleSeparator)
{
    EXPECT_EQ(FormatLaneTime(75432), u"75,43"_qs);
    EXPECT_EQ(FormatLaneTime(5), u"0,00"_qs);
    EXPECT_EQ(FormatLaneTime(59999), u"59,99"_qs);
    EXPECT_EQ(FormatLaneTime(1234567), u"1234,56"_qs);
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(FormatLaneTime(75432), u"75.43"_qs);
    EXPECT_EQ(parseTime(u"75.43"), 7543);
}
