#include "tests/app/FMainFixture.h"

#include "protocol/ResultsModel.h"
#include "settings/DlgEintragen.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

class FMainRunsTest : public FMainTest
{
protected:
    // One heat of the riders chosen in the selectors: lane 1 stops after ms1, lane 2 after ms2.
    void heat(quint32 ms1, quint32 ms2)
    {
        press("bSTART");
        ASSERT_TRUE(running());
        const bool laneOneFirst = ms1 <= ms2;
        ticks += laneOneFirst ? ms1 : ms2;
        press(laneOneFirst ? "bSTOP1" : "bSTOP2");
        ticks += laneOneFirst ? ms2 - ms1 : ms1 - ms2;
        press(laneOneFirst ? "bSTOP2" : "bSTOP1");
        ASSERT_FALSE(running());
        press("bRESET");
    }

    // Riders 1 and 2 twice on the same lanes: rider 1 runs 12,00 then 12,60, rider 2 12,50 then 12,00.
    void twoHeatsOfOneAndTwo()
    {
        loadStartList();
        heat(12000, 12500);
        choose(combo("cbBuhn1"), 0);
        choose(combo("cbBuhn2"), 1);
        heat(12600, 12000);
    }

    QString savedProtocol() const { return fromAnsi(readFile(dir.filePath(u"ombrel.txt"_qs))); }
    QStringList row(int number) const { return grid()->Rows(rowOf(number)).mid(Results::ColTime); }
};

} // namespace

TEST_F(FMainRunsTest, LastRunCountsAndTheFilesStayAsTheyWere)
{
    twoHeatsOfOneAndTwo();
    EXPECT_EQ(grid()->ColCount(), Results::ColumnCount);
    EXPECT_EQ(readFile(dir.filePath(u"ombrel.txt"_qs)),
              readFile(testData("autosave-last-run-two-heats.txt")));
}

TEST_F(FMainRunsTest, BestRunKeepsEveryRunAndTakesTimesByHand)
{
    form->settings().Wertung = 1;
    twoHeatsOfOneAndTwo();
    EXPECT_EQ(grid()->Rows(0).mid(Results::FirstRunColumn), QStringList({u"1. Lauf"_qs, u"2. Lauf"_qs}));
    // Equal best runs: the second best decides.
    EXPECT_EQ(row(1), QStringList({u"12,00"_qs, u"2"_qs, u"12,00"_qs, u"12,60"_qs}));
    EXPECT_EQ(row(2), QStringList({u"12,00"_qs, u"1"_qs, u"12,50"_qs, u"12,00"_qs}));
    EXPECT_TRUE(savedProtocol().startsWith(u"Nr.\tName\tPferd\tZeit\tPlatz\t1. Lauf\t2. Lauf\t\r\n"_qs));
    EXPECT_TRUE(savedProtocol().contains(u"\r\n1\tJürgen Bäcker\tSólfaxi\t12,00\t2\t12,00\t12,60\t\r\n"_qs));

    // A time taken by hand for the rider chosen in the grid.
    QAbstractButton *entry = button("BitBtnWithColor1");
    ASSERT_TRUE(entry->isEnabled());
    EXPECT_GE(entry->width(), entry->fontMetrics().horizontalAdvance(entry->text()));
    clickRow(rowOf(3));
    form->execEntryDialog = [](QDialog &dialog) {
        auto &box = static_cast<TDlgEintragen &>(dialog);
        EXPECT_EQ(box.Number(), 3);
        QTest::keyClicks(box.edZeit, u"13,57"_qs);
        QTest::mouseClick(box.OKBtn, Qt::LeftButton);
        return box.result();
    };
    QTest::mouseClick(entry, Qt::LeftButton);
    EXPECT_EQ(row(3), QStringList({u"13,57"_qs, u"3"_qs, u"13,57"_qs, u""_qs}));
    EXPECT_TRUE(savedProtocol().contains(u"\r\n3\tMaria Müller\tHrímnir\t13,57\t3\t13,57\t \t\r\n"_qs));
    EXPECT_TRUE(
        fromAnsi(readFile(runLogPath())).endsWith(u"\t\t3\tMaria Müller\tHrímnir\t13,57\tvon Hand\r\n"_qs));

    // The judges take rider 2's last run: the first one counts, and rider 1 moves up.
    rowMenu(rowOf(2), "LetztenLaufungueltig1");
    EXPECT_EQ(row(2), QStringList({u"12,50"_qs, u"2"_qs, u"12,50"_qs, u"0,00"_qs}));
    EXPECT_EQ(row(1).mid(0, 2), QStringList({u"12,00"_qs, u"1"_qs}));
    EXPECT_TRUE(savedProtocol().contains(u"\r\n2\tAnna Größer\tÞokki\t12,50\t2\t12,50\t0,00\t\r\n"_qs));

    // While a run is open no time is entered by hand.
    press("bSTART");
    EXPECT_FALSE(entry->isEnabled());
}
