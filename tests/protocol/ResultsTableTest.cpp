#include "protocol/ResultsTable.h"
#include "controls/SortGrid.h"
#include "protocol/Runs.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace Results;

namespace {

// A protocol grid as the main window sets it up: five columns, sorted by time ascending.
class ResultsTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grid.setColCount(ColumnCount);
        grid.setRowCount(2);
        grid.setRows(0, headerCaptions());
        grid.SortOptions().SortCol = ColTime;
        grid.SortOptions().SortDirection = sdAscending;
        installSortStyles(grid);
    }

    // rows: {Nr, Name, Pferd, Zeit, Platz}
    void load(const QList<QStringList> &rows)
    {
        grid.setRowCount(int(rows.size()) + 1);
        for (qsizetype i = 0; i < rows.size(); ++i)
            grid.setRows(int(i) + 1, rows[i]);
    }

    QStringList column(int col) const
    {
        QStringList cells;
        for (int r = 1; r < grid.RowCount(); ++r)
            cells.append(grid.Cells(col, r));
        return cells;
    }

    QString placeOf(int number) const
    {
        return grid.Cells(ColPlace, rowOfStartNumber(grid.Storage(), number));
    }

    TSortGrid grid;
};

QStringList entry(int nr, const QString &name, const QString &time = QString(),
                  const QString &place = QString())
{
    return {QString::number(nr), name, name + QStringLiteral(" Pferd"), time, place};
}

} // namespace

TEST_F(ResultsTableTest, EqualTimesShareAPlaceAndTheNextTakesItsPosition)
{
    load({entry(1, QStringLiteral("A"), QStringLiteral("12,34")),
          entry(2, QStringLiteral("B"), QStringLiteral("11,05")),
          entry(3, QStringLiteral("C"), QStringLiteral("12,34")), entry(4, QStringLiteral("D"))});
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(column(ColNr), QStringList({u"2"_qs, u"1"_qs, u"3"_qs, u"4"_qs}));
    EXPECT_EQ(column(ColPlace), QStringList({u"1"_qs, u"2"_qs, u"2"_qs, u""_qs}));

    ASSERT_TRUE(EnterLaneTime(grid, 4, QStringLiteral("13,00")));
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(placeOf(4), u"4"_qs);
}

TEST_F(ResultsTableTest, OutAndUntimedRowsTakeNoPlaceAndStayBelow)
{
    load({entry(1, QStringLiteral("A"), QStringLiteral("10,00")), entry(2, QStringLiteral("B")),
          entry(3, QStringLiteral("C"), QStringLiteral("11,00")),
          entry(4, QStringLiteral("D"), QStringLiteral("  ")),
          entry(5, QStringLiteral("E"), QStringLiteral("12,00"))});
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(placeOf(1), u"1"_qs);
    // The rider with place 1 is out: the place empties, the others move up.
    const int row = rowOfStartNumber(grid.Storage(), 1);
    grid.setCells(ColTime, row, QStringLiteral("AUS"));
    grid.setCells(ColPlace, row, QString());
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(column(ColNr), QStringList({u"3"_qs, u"5"_qs, u"1"_qs, u"2"_qs, u"4"_qs}));
    EXPECT_EQ(column(ColPlace), QStringList({u"1"_qs, u"2"_qs, u""_qs, u""_qs, u""_qs}));
}

TEST_F(ResultsTableTest, PlacesAreRanksByTimeWhateverColumnTheOperatorSorted)
{
    load({entry(1, QStringLiteral("Zoë"), QStringLiteral("9,50")),
          entry(2, QStringLiteral("anna"), QStringLiteral("12,00")),
          entry(10, QStringLiteral("Bernd"), QStringLiteral("10,00"))});
    grid.SortOptions().SortCol = ColName;
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(column(ColName), QStringList({u"anna"_qs, u"Bernd"_qs, u"Zoë"_qs}));
    EXPECT_EQ(column(ColPlace), QStringList({u"3"_qs, u"2"_qs, u"1"_qs}));

    // A time for a rider reaches the rider's row whatever the order on screen.
    ASSERT_TRUE(EnterLaneTime(grid, 2, QStringLiteral("9,00")));
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(column(ColPlace), QStringList({u"1"_qs, u"3"_qs, u"2"_qs}));

    // "Nr." and "Platz" sort as numbers, descending too.
    grid.SortOptions().SortCol = ColNr;
    grid.SortOptions().SortDirection = sdDescending;
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(column(ColNr), QStringList({u"10"_qs, u"2"_qs, u"1"_qs}));
}

TEST_F(ResultsTableTest, TimesFindRowsByNumberAcrossGapsAndLargeNumbers)
{
    load({entry(3, QStringLiteral("A")), entry(117, QStringLiteral("B")), entry(12, QStringLiteral("C"))});
    EXPECT_TRUE(EnterLaneTime(grid, 117, QStringLiteral("8,88")));
    EXPECT_EQ(grid.Cells(ColTime, 2), u"8,88"_qs);
    // No row with the number: the protocol stays as it was.
    EXPECT_FALSE(EnterLaneTime(grid, 11, QStringLiteral("7,77")));
    EXPECT_FALSE(EnterLaneTime(grid, -1, QStringLiteral("7,77")));
    EXPECT_EQ(column(ColTime), QStringList({u""_qs, u"8,88"_qs, u""_qs}));
}

TEST_F(ResultsTableTest, SelectorItemsAreOrderedByNumberAndFormattedLikeTheList)
{
    load({entry(10, QStringLiteral("Zehn")),
          entry(7, QStringLiteral("Sieben"), QStringLiteral("12,00")),
          {QStringLiteral("x"), QStringLiteral("Ohne"), QString(), QString(), QString()},
          entry(100, QStringLiteral("Hundert"))});
    const QList<RiderItem> items = riderItems(grid.Storage());
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0].number, 7);
    EXPECT_EQ(items[0].text, u" 7 Sieben Sieben Pferd 12,00"_qs);
    EXPECT_EQ(items[1].number, 10);
    EXPECT_EQ(items[2].number, 100);
    EXPECT_EQ(items[2].text, u"100 Hundert Hundert Pferd "_qs);
    EXPECT_EQ(items[3].number, -1);
}

TEST_F(ResultsTableTest, TotalsCountDistinctHorsesAndTimesIgnoringCase)
{
    load({{u"1"_qs, u"A"_qs, u"Blær"_qs, u"10,00"_qs, u""_qs},
          {u"2"_qs, u"B"_qs, u"BLÆR"_qs, u"10,00"_qs, u""_qs},
          {u"3"_qs, u"C"_qs, u""_qs, u""_qs, u""_qs}});
    const Totals totals = CountTotals(grid.Storage());
    EXPECT_EQ(totals.EntryCount, 3);
    EXPECT_EQ(totals.DistinctHorses, 2);
    EXPECT_EQ(totals.DistinctTimes, 2);
    EXPECT_TRUE(hasEntries(grid.Storage()));
    grid.setRowCount(2);
    grid.setRows(1, QStringList(ColumnCount, QString()));
    EXPECT_FALSE(hasEntries(grid.Storage()));
}

TEST(Results, TimeComparisonPutsEveryNonTimeLast)
{
    EXPECT_EQ(CompareTimes(u"9,99"_qs, u"10,00"_qs), -1);
    EXPECT_EQ(CompareTimes(u"10,00"_qs, u"10,0"_qs), 0);
    for (const QString &none : {u""_qs, u"AUS"_qs, u"aus"_qs, u"  "_qs, u"DQ"_qs})
        EXPECT_EQ(CompareTimes(u"999,99"_qs, none), -1) << none.toStdString();
    EXPECT_EQ(CompareTimes(u"AUS"_qs, u""_qs), 0);
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
    EXPECT_EQ(CompareTimes(u"75.43"_qs, u"75.44"_qs), -1);
}
