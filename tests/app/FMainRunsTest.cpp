#include "tests/app/FMainFixture.h"

#include "protocol/ResultsModel.h"
#include "settings/EntryDialog.h"
#include "tests/support/FakeSpreadsheetApp.h"
#include "tests/support/XlsxSheet.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
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

    // The protocol saved through "Protokoll speichern unter" with the file type of filter 1 (CSV), 2
    // (web page) or 3 (text).
    QByteArray saveAs(const QString &name, int filter)
    {
        form->execFileDialog = [this, name, filter](QFileDialog &dialog) {
            dialog.selectNameFilter(dialog.nameFilters().value(filter - 1));
            dialog.selectFile(dir.filePath(name));
            return int(QDialog::Accepted);
        };
        button("sbSave")->click();
        return readFile(dir.filePath(name));
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

// The files as the version before the results model wrote them for the same heats, a tie, and a
// rider out: text, CSV, web page and the workbook's cells.
TEST_F(FMainRunsTest, LastRunFilesStayByteForByteAsTheyWere)
{
    twoHeatsOfOneAndTwo();
    choose(combo("cbBuhn1"), 2);
    choose(combo("cbBuhn2"), 3);
    heat(13000, 13000);
    rowMenu(rowOf(2), "AUS1");
    for (const auto &[name, filter] :
         {std::pair{"golden-last-run.csv", 1}, {"golden-last-run.html", 2}, {"golden-last-run.txt", 3}})
        EXPECT_EQ(saveAs(QString::fromLatin1(name), filter), readFile(testData(name))) << name;

    SpreadsheetLog spreadsheet;
    form->setSpreadsheetApp(std::make_unique<FakeSpreadsheetApp>(spreadsheet));
    button("sbExcel")->click();
    ASSERT_EQ(spreadsheet.opened.size(), 1);
    QString cells;
    const XlsxSheet sheet = XlsxSheet::read(spreadsheet.opened[0]);
    for (auto it = sheet.cells.cbegin(); it != sheet.cells.cend(); ++it)
        cells += it.key() + (it->number ? u'#' : u'=') + it->value + u'\n';
    EXPECT_EQ(cells, QString::fromUtf8(readFile(testData("golden-last-run-workbook.txt"))));
    QFile::remove(spreadsheet.opened[0]);
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
        auto &box = static_cast<EntryDialog &>(dialog);
        EXPECT_EQ(box.number(), 3);
        QTest::keyClicks(childOf<QLineEdit>(box, "edZeit"), u"13,57"_qs);
        QTest::mouseClick(childOf<QPushButton>(box, "OKBtn"), Qt::LeftButton);
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

    // A mistyped run is corrected: the box comes filled with it, and the log keeps both values.
    form->execEntryDialog = [](QDialog &dialog) {
        auto &box = static_cast<EntryDialog &>(dialog);
        EXPECT_EQ(childOf<QLineEdit>(box, "edZeit")->text(), u"12,60"_qs);
        QTest::keyClicks(childOf<QLineEdit>(box, "edZeit"), u"11,9"_qs);
        QTest::mouseClick(childOf<QPushButton>(box, "OKBtn"), Qt::LeftButton);
        return box.result();
    };
    rowMenu(rowOf(1), "LaufKorrigieren2");
    EXPECT_EQ(row(1), QStringList({u"11,90"_qs, u"1"_qs, u"12,00"_qs, u"11,90"_qs}));
    EXPECT_TRUE(
        fromAnsi(readFile(runLogPath())).endsWith(u"\t11,90\t2. Lauf korrigiert, vorher 12,60\r\n"_qs));

    // After a run, "EINTRAGEN" offers no rider until one is chosen: Enter files nothing.
    heat(11000, 11500);
    form->execEntryDialog = [](QDialog &dialog) {
        auto &box = static_cast<EntryDialog &>(dialog);
        box.show();
        QTest::keyClicks(childOf<QLineEdit>(box, "edZeit"), u"10,00"_qs);
        QTest::keyClick(childOf<QLineEdit>(box, "edZeit"), Qt::Key_Return);
        EXPECT_EQ(childOf<QLabel>(box, "lbFehler")->text(), u"Bitte einen Reiter wählen."_qs);
        return box.result();
    };
    const QString before = savedProtocol();
    QTest::mouseClick(entry, Qt::LeftButton);
    EXPECT_EQ(savedProtocol(), before);

    // While a run is open no time is entered by hand.
    press("bSTART");
    EXPECT_FALSE(entry->isEnabled());
}
