#include "protocol/Runs.h"
#include "controls/SortGrid.h"
#include "protocol/ProtocolFiles.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Results;

namespace {

struct Rider
{
    QStringList runs; // in the order they were run
    QString time;     // "Zeit" after them
    QString place;
};

struct RankCase
{
    const char *name;
    QList<Rider> riders; // start numbers 1, 2, ...
};

class RunsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grid.setColCount(ColumnCount);
        grid.setRows(0, headerCaptions());
        grid.SortOptions().SortCol = ColTime;
        installSortStyles(grid);
    }

    void entries(int count)
    {
        grid.setRowCount(count + 1);
        for (int i = 1; i <= count; ++i)
            grid.setRows(i, {QString::number(i), u"Reiter %1"_qs.arg(i), u"Pferd %1"_qs.arg(i)});
    }

    QString cell(int col, int number) const
    {
        return grid.Cells(col, rowOfStartNumber(grid.Storage(), number));
    }

    TSortGrid grid;
};

// The best valid run places a rider; the second best breaks a tie; invalid runs never count.
const RankCase RankCases[] = {
    {"SecondBestBreaksATie",
     {{{u"12,00"_qs, u"13,00"_qs}, u"12,00"_qs, u"3"_qs},
      {{u"12,50"_qs, u"12,00"_qs}, u"12,00"_qs, u"2"_qs},
      {{u"11,90"_qs}, u"11,90"_qs, u"1"_qs}}},
    {"EqualBestAndSecondBestShareAPlace",
     {{{u"12,00"_qs, u"13,00"_qs}, u"12,00"_qs, u"1"_qs},
      {{u"13,00"_qs, u"12,00"_qs}, u"12,00"_qs, u"1"_qs},
      {{u"14,00"_qs}, u"14,00"_qs, u"3"_qs}}},
    {"NoSecondRunRanksBehindAnySecondRun",
     {{{u"12,00"_qs}, u"12,00"_qs, u"2"_qs}, {{u"12,00"_qs, u"19,99"_qs}, u"12,00"_qs, u"1"_qs}}},
    {"InvalidRunsNeverCount",
     {{{u"0,00"_qs, u"12,50"_qs}, u"12,50"_qs, u"2"_qs},
      {{u"12,40"_qs, u"0,00"_qs}, u"12,40"_qs, u"1"_qs},
      {{u"0,00"_qs, u"0,00"_qs}, u"0,00"_qs, u""_qs}}},
    {"RidersWithoutRunsTakeNoPlace", {{{}, u""_qs, u""_qs}, {{u"15,00"_qs}, u"15,00"_qs, u"1"_qs}}},
};

} // namespace

TEST_F(RunsTest, BestRunThenSecondBestRanks)
{
    for (const RankCase &c : RankCases) {
        SCOPED_TRACE(c.name);
        grid.setColCount(ColumnCount);
        entries(int(c.riders.size()));
        for (qsizetype i = 0; i < c.riders.size(); ++i) {
            for (const QString &run : c.riders[i].runs)
                ASSERT_EQ(EnterRun(grid, int(i) + 1, run, Scoring::BestRun), RunEntry::Entered);
        }
        RankProtocol(grid, Scoring::BestRun);
        for (qsizetype i = 0; i < c.riders.size(); ++i) {
            const int number = int(i) + 1;
            EXPECT_EQ(cell(ColTime, number), c.riders[i].time) << number;
            EXPECT_EQ(cell(ColPlace, number), c.riders[i].place) << number;
            for (qsizetype r = 0; r < c.riders[i].runs.size(); ++r)
                EXPECT_EQ(cell(FirstRunColumn + int(r), number), c.riders[i].runs[r]) << number;
        }
    }
}

TEST_F(RunsTest, EachScoringKeepsWhatTheOtherWrote)
{
    entries(2);
    // A time from before the runs were kept is the rider's first run.
    grid.setCells(ColTime, 1, u"13,00"_qs);
    ASSERT_EQ(EnterRun(grid, 1, u"12,00"_qs, Scoring::BestRun), RunEntry::Entered);
    EXPECT_EQ(grid.Rows(0).mid(FirstRunColumn), QStringList({u"1. Lauf"_qs, u"2. Lauf"_qs}));
    EXPECT_EQ(grid.Rows(1).mid(ColTime), QStringList({u"12,00"_qs, u""_qs, u"13,00"_qs, u"12,00"_qs}));

    // Scored by the last run, a run overwrites "Zeit" and leaves the kept runs alone.
    ASSERT_EQ(EnterRun(grid, 1, u"14,00"_qs, Scoring::LastRun), RunEntry::Entered);
    EXPECT_EQ(grid.Rows(1).mid(ColTime), QStringList({u"14,00"_qs, u""_qs, u"13,00"_qs, u"12,00"_qs}));
    EXPECT_EQ(EnterRun(grid, 9, u"14,00"_qs, Scoring::BestRun), RunEntry::NoRow);
}

TEST_F(RunsTest, ARiderTakesTwelveRunsAndNoMore)
{
    entries(1);
    for (int i = 0; i < MaxRuns; ++i)
        ASSERT_EQ(EnterRun(grid, 1, hundredthsText(2000 - i), Scoring::BestRun), RunEntry::Entered);
    EXPECT_EQ(EnterRun(grid, 1, u"10,00"_qs, Scoring::BestRun), RunEntry::TooManyRuns);
    EXPECT_EQ(grid.ColCount(), FirstRunColumn + MaxRuns);
    EXPECT_EQ(grid.Cells(ColTime, 1), u"19,89"_qs);
}

TEST_F(RunsTest, TheLastRunTurnsInvalidAndTheBestOfTheRestCounts)
{
    entries(2);
    for (const QString &run : {u"12,00"_qs, u"11,00"_qs})
        EnterRun(grid, 1, run, Scoring::BestRun);
    grid.setCells(ColPlace, 1, u"1"_qs);
    ASSERT_TRUE(InvalidateLastRun(grid, 1, Scoring::BestRun));
    EXPECT_EQ(grid.Rows(1).mid(ColTime), QStringList({u"12,00"_qs, u"1"_qs, u"12,00"_qs, u"0,00"_qs}));
    EXPECT_FALSE(InvalidateLastRun(grid, 1, Scoring::BestRun)) << "already invalid";

    // Scored by the last run, "Zeit" is the last run; without a time there is nothing to declare.
    grid.setCells(ColTime, 2, u"12,50"_qs);
    grid.setCells(ColPlace, 2, u"2"_qs);
    ASSERT_TRUE(InvalidateLastRun(grid, 2, Scoring::LastRun));
    EXPECT_EQ(grid.Rows(2).mid(ColTime, 2), QStringList({u"0,00"_qs, u""_qs}));
    RankProtocol(grid, Scoring::LastRun);
    EXPECT_EQ(cell(ColPlace, 2), u""_qs);
    grid.setCells(ColTime, 2, u"AUS"_qs);
    EXPECT_FALSE(InvalidateLastRun(grid, 2, Scoring::LastRun));
}

TEST_F(RunsTest, RunColumnsSurviveTextAndCsv)
{
    entries(3);
    for (auto [number, run] :
         {std::pair{1, u"12,00"_qs}, {2, u"0,00"_qs}, {1, u"11,50"_qs}, {1, u"13,00"_qs}})
        EnterRun(grid, number, run, Scoring::BestRun);
    RankProtocol(grid, Scoring::BestRun);

    QString text;
    QString csv;
    for (int r = 0; r < grid.RowCount(); ++r) {
        text += ProtocolFormat::textLine(grid.Rows(r));
        csv += csvRecord(grid.Rows(r));
    }
    for (const bool isText : {true, false}) {
        const QString &file = isText ? text : csv;
        QStringList header;
        ProtocolFormat::ParseReport report;
        const QList<QStringList> rows = readProtocolRows(file, header, report);
        EXPECT_EQ(header, grid.Rows(0));
        ASSERT_EQ(rows.size(), 3);
        for (int r = 1; r <= 3; ++r) {
            QStringList expected = grid.Rows(r);
            if (isText) // the text format writes an empty cell as one blank
                std::replace(expected.begin(), expected.end(), QString(), u" "_qs);
            EXPECT_EQ(rows[r - 1], expected) << r;
        }
    }
}
