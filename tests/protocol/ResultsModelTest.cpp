#include "protocol/ResultsModel.h"

#include "protocol/ProtocolFiles.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace Results;

namespace {

// Runs as the operator gives them: a time, "AUS", or "x" to declare the rider's last run invalid.
struct Rider
{
    QStringList runs;
    QString time; // "Zeit" and "Platz" afterwards
    QString place;
};

struct RankCase
{
    QString name;
    Scoring scoring;
    QList<Rider> riders; // start numbers 1, 2, ...
    QList<int> order;    // start numbers in the order of the places
};

void loadRiders(ResultsModel &model, int count)
{
    QList<QStringList> rows;
    for (int n = 1; n <= count; ++n)
        rows.append({QString::number(n), QStringLiteral("Reiter %1").arg(n), QStringLiteral("Pferd")});
    model.load(headerCaptions(), rows);
}

void give(ResultsModel &model, int number, const QString &what)
{
    const int index = model.indexOfNumber(number);
    if (what == u"AUS") {
        ASSERT_EQ(model.setOut(index), ResultsModel::Change::Done);
    } else if (what == u"x") {
        const int last = int(model.entry(index).runs.size()) - 1;
        Run invalid = model.entry(index).runs[last];
        invalid.state = Run::Invalid;
        ASSERT_EQ(model.correctRun(index, last, invalid), ResultsModel::Change::Done);
    } else {
        const std::optional<int> time = parseTime(what);
        ASSERT_TRUE(time) << what.toStdString();
        ASSERT_EQ(model.addRun(number, Results::Run{*time, Run::Valid}), ResultsModel::Change::Done);
    }
}

} // namespace

TEST(ResultsModel, TimesAndPlacesFollowTheRunsForEachScoring)
{
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    const QList<RankCase> cases = {
        {u"equal times share a place, the next takes its position"_qs,
         Scoring::LastRun,
         {{{u"12,34"_qs}, u"12,34"_qs, u"2"_qs},
          {{u"11,05"_qs}, u"11,05"_qs, u"1"_qs},
          {{u"12,34"_qs}, u"12,34"_qs, u"2"_qs},
          {{u"13,00"_qs}, u"13,00"_qs, u"4"_qs},
          {{}, u""_qs, u""_qs}},
         {2, 1, 3, 4, 5}},
        {u"the last run counts, an invalid or zero one takes no place"_qs,
         Scoring::LastRun,
         {{{u"10,00"_qs, u"x"_qs}, u"0,00"_qs, u""_qs},
          {{u"11,00"_qs}, u"11,00"_qs, u"1"_qs},
          {{u"9,00"_qs, u"0,00"_qs}, u"0,00"_qs, u""_qs}},
         {2, 3, 1}},
        {u"out takes no place until the next run"_qs,
         Scoring::LastRun,
         {{{u"10,00"_qs, u"AUS"_qs}, u"AUS"_qs, u""_qs},
          {{u"11,00"_qs}, u"11,00"_qs, u"1"_qs},
          {{u"AUS"_qs, u"12,00"_qs}, u"12,00"_qs, u"2"_qs}},
         {2, 3, 1}},
        {u"typed times are hundredths: 012,00 and 12,0 equal 12,00"_qs,
         Scoring::LastRun,
         {{{u"012,00"_qs}, u"12,00"_qs, u"1"_qs},
          {{u"12,0"_qs}, u"12,00"_qs, u"1"_qs},
          {{u"12"_qs}, u"12,00"_qs, u"1"_qs}},
         {1, 2, 3}},
        {u"the best run counts, ties go to the second best, then the third"_qs,
         Scoring::BestRun,
         {{{u"12,00"_qs, u"13,00"_qs, u"14,00"_qs}, u"12,00"_qs, u"3"_qs},
          {{u"13,00"_qs, u"12,00"_qs, u"13,50"_qs}, u"12,00"_qs, u"2"_qs},
          {{u"12,00"_qs}, u"12,00"_qs, u"5"_qs},
          {{u"14,00"_qs, u"13,00"_qs, u"12,00"_qs}, u"12,00"_qs, u"3"_qs},
          {{u"12,50"_qs, u"12,00"_qs, u"13,00"_qs, u"13,40"_qs}, u"12,00"_qs, u"1"_qs}},
         {5, 2, 1, 4, 3}},
        {u"invalid runs never count; none valid is 0,00 without place"_qs,
         Scoring::BestRun,
         {{{u"10,00"_qs, u"x"_qs}, u"0,00"_qs, u""_qs},
          {{u"11,00"_qs, u"9,00"_qs, u"x"_qs}, u"11,00"_qs, u"1"_qs},
          {{u"AUS"_qs}, u"AUS"_qs, u""_qs}},
         {2, 1, 3}},
    };
    for (const RankCase &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ResultsModel model;
        model.setScoring(c.scoring);
        loadRiders(model, int(c.riders.size()));
        for (int n = 1; n <= c.riders.size(); ++n) {
            for (const QString &run : c.riders[n - 1].runs)
                give(model, n, run);
        }
        for (int n = 1; n <= c.riders.size(); ++n) {
            const int index = model.indexOfNumber(n);
            EXPECT_EQ(model.timeOf(index), c.riders[n - 1].time) << "rider " << n;
            EXPECT_EQ(model.placeOf(index), c.riders[n - 1].place) << "rider " << n;
        }
        QList<int> order;
        for (int index : model.rankOrder())
            order.append(model.entry(index).startNumber());
        EXPECT_EQ(order, c.order);
    }
}

TEST(ResultsModel, SwitchingTheScoringKeepsEveryRunAndSwitchingBackRestoresTheProtocol)
{
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    ResultsModel model;
    loadRiders(model, 3);
    for (auto [number, time] : {std::pair{1, 1200}, {2, 1300}, {1, 1400}, {3, 1250}})
        model.addRun(number, Results::Run{time, Run::Valid});
    const ProtocolFormat::Table lastRun = model.table(model.rankOrder());
    EXPECT_EQ(lastRun.constFirst().size(), ColumnCount) << "no run columns while the last run counts";
    EXPECT_EQ(lastRun[1], QStringList({u"3"_qs, u"Reiter 3"_qs, u"Pferd"_qs, u"12,50"_qs, u"1"_qs}));

    model.setScoring(Scoring::BestRun);
    const ProtocolFormat::Table bestRun = model.table(model.rankOrder());
    EXPECT_EQ(bestRun[1], QStringList({u"1"_qs, u"Reiter 1"_qs, u"Pferd"_qs, u"12,00"_qs, u"1"_qs,
                                       u"12,00"_qs, u"14,00"_qs}));

    model.setScoring(Scoring::LastRun);
    EXPECT_EQ(model.table(model.rankOrder()), lastRun);

    // A correction of an earlier run is ranked at once.
    ASSERT_EQ(model.correctRun(model.indexOfNumber(2), 0, Results::Run{1100, Run::Valid}),
              ResultsModel::Change::Done);
    EXPECT_EQ(model.placeOf(model.indexOfNumber(2)), u"1"_qs);
}

TEST(ResultsModel, LoadingTakesRunsAndForeignTextsAndReportsWhatItLeftOut)
{
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    const QString text = QStringLiteral("Nr.\tName\tPferd\tZeit\tPlatz\t1. Lauf\t2. Lauf\t4. Lauf\t\r\n"
                                        "1\tAnna\tBlitz\t11,00\t2\t12,00\t11,00\t10,00\t\r\n"
                                        "2\tBernd\tWind\tDNF\t7\t \t \t \t\r\n"
                                        "3\tCarla\tSturm\t9e16\t \t9e16\t1e17\t \t\r\n");
    const ProtocolFormat::Protocol file = ProtocolFormat::readProtocol(text);
    ResultsModel model;
    model.setScoring(Scoring::BestRun);
    QStringList leftOut;
    model.load(file.header, file.rows, &leftOut);

    EXPECT_EQ(model.entry(0).runs.size(), 2);
    EXPECT_EQ(model.timeOf(0), u"11,00"_qs);
    EXPECT_EQ(model.placeOf(0), u"1"_qs);
    EXPECT_EQ(model.timeOf(1), u"DNF"_qs) << "a text that is no time stays as it was";
    EXPECT_EQ(model.placeOf(1), u"7"_qs);
    EXPECT_TRUE(model.entry(2).runs.isEmpty()) << "a number beyond a lane display is no run";
    EXPECT_EQ(model.rankOrder().front(), 0);
    EXPECT_EQ(leftOut.size(), 2) << leftOut.join(u'|').toStdString();
    EXPECT_TRUE(leftOut.constFirst().contains(u"„4. Lauf“")) << leftOut.constFirst().toStdString();
}
