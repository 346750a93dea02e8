#include "tests/app/FMainFixture.h"

#include "controls/MessageBox.h"

#include <QMessageBox>
#include <QStandardPaths>

namespace {

// The font colour the grid paints a cell in, as its format event answers the painter.
QColor fontColorOf(TSortGrid &grid, int col, int row)
{
    TFormatOptions format;
    format.FontColor = Qt::black;
    grid.OnGetCellFormat(&grid, col, row, {}, format);
    return format.FontColor;
}

} // namespace

TEST_F(FMainTest, SelectedRidersAreRedOnlyInTheRaceMode)
{
    loadStartList();
    TSortGrid &protocol = *grid();
    EXPECT_EQ(fontColorOf(protocol, 1, rowOf(1)), toQColor(clRed));
    EXPECT_EQ(fontColorOf(protocol, 3, rowOf(2)), toQColor(clRed));
    EXPECT_EQ(fontColorOf(protocol, 1, rowOf(4)), QColor(Qt::black));
    EXPECT_EQ(fontColorOf(protocol, 0, 0), QColor(Qt::black)); // captions keep the defaults

    // The red row follows the selector at once.
    choose(combo("cbBuhn2"), 3);
    EXPECT_EQ(fontColorOf(protocol, 1, rowOf(4)), toQColor(clRed));
    EXPECT_EQ(fontColorOf(protocol, 1, rowOf(2)), QColor(Qt::black));

    choose(combo("cbMode"), 0);
    EXPECT_EQ(fontColorOf(protocol, 1, rowOf(1)), QColor(Qt::black));
}

TEST_F(FMainTest, StartListsWithGapsAndLargeNumbersKeepTimesWithTheirRiders)
{
    loadBytes("3;Anna;Blitz\r\n117;Bernd;Donner\r\n12;Carla;Wetter\r\n");
    QComboBox *lane1 = combo("cbBuhn1");
    ASSERT_EQ(lane1->count(), 3);
    EXPECT_EQ(lane1->itemText(0), u" 3 Anna Blitz "_qs);
    EXPECT_EQ(lane1->itemText(1), u"12 Carla Wetter "_qs);
    EXPECT_EQ(lane1->itemText(2), u"117 Bernd Donner "_qs);

    choose(lane1, 2); // rider 117 on lane 1, rider 12 on lane 2
    button("bSTART")->click();
    ticks += 20010;
    key(Qt::Key_2);
    ticks += 1000;
    key(Qt::Key_1);
    EXPECT_EQ(cell(3, rowOf(12)), u"20,01"_qs);
    EXPECT_EQ(cell(3, rowOf(117)), u"21,01"_qs);
    EXPECT_EQ(cell(3, rowOf(3)), QString());
    EXPECT_FALSE(label("Notice")->isVisible());

    // Taking a rider from the grid goes by the number too.
    press("bRESET");
    clickRow(rowOf(117));
    ASSERT_TRUE(button("sb2")->isEnabled());
    button("sb2")->click();
    EXPECT_EQ(combo("cbBuhn2")->currentData().toInt(), 117);
}

TEST_F(FMainTest, DoubleClickTakesTheRiderInThePaceTestButNotDuringARun)
{
    loadStartList();
    choose(combo("cbMode"), 0);
    doubleClickRow(rowOf(3));
    EXPECT_EQ(combo("cbBuhn1")->currentIndex(), 2);

    button("bSTART")->click();
    clickRow(rowOf(4));
    EXPECT_FALSE(button("sb1")->isEnabled());
    doubleClickRow(rowOf(4));
    EXPECT_EQ(combo("cbBuhn1")->currentIndex(), 2); // the running rider keeps the lane
}

TEST_F(FMainTest, RowsAreRemovedAfterTheQuestionAndMarkedOut)
{
    loadStartList();
    clickRow(2);
    const QString removed = cell(0, 2);
    {
        const MessageBox::Answers no({QMessageBox::No});
        button("sbCLS")->click();
        EXPECT_EQ(no.texts(), QStringList({u"Zeile entfernen?"_qs}));
    }
    EXPECT_EQ(grid()->RowCount(), 5);

    const MessageBox::Answers yes({QMessageBox::Yes, QMessageBox::Yes});
    button("sbCLS")->click();
    EXPECT_EQ(grid()->RowCount(), 4);
    EXPECT_EQ(rowOf(removed.toInt()), -1);
    EXPECT_EQ(grid()->Row(), 2);

    // "AUS" from the context menu: no place, below the timed rows. A heat times riders 1 and 3.
    choose(combo("cbBuhn2"), 2);
    press("bSTART");
    ticks += 10000;
    press("bSTOP1");
    ticks += 1000;
    press("bSTOP2");
    ASSERT_EQ(cell(4, rowOf(1)), u"1"_qs);
    ASSERT_EQ(cell(4, rowOf(3)), u"2"_qs);
    rowMenu(rowOf(1), "AUS1");
    EXPECT_EQ(cell(3, rowOf(1)), u"AUS"_qs);
    EXPECT_EQ(cell(4, rowOf(1)), QString());
    EXPECT_GT(rowOf(1), rowOf(3));
    press("bRESET");

    // Down to the last row: it is emptied and kept, and the protocol buttons go off.
    while (grid()->RowCount() > 2)
        rowMenu(1, "Zeileentfernen1");
    clickRow(1);
    button("sbCLS")->click();
    EXPECT_EQ(grid()->RowCount(), 2);
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_FALSE(button("sbSave")->isEnabled());
    EXPECT_FALSE(button("sbCLS")->isEnabled());
}

TEST_F(FMainTest, SavingAsTextOrCsvFollowsTheChosenFileType)
{
    loadBytes("1;Anna;\"Blitz; Sohn\"\r\n2;Bernd \"B\";Donner\r\n");
    QString offered;
    auto saveAs = [&](const QString &name, int filter) {
        form->execFileDialog = [&, name, filter](QFileDialog &dialog) {
            // The proposed name is the date and time, yyyy-mm-dd-hh-mm.
            EXPECT_TRUE(dialog.selectedFiles().value(0).section(u'/', -1).startsWith(
                QDate::currentDate().toString(u"yyyy-MM-dd-"_qs)));
            offered = dialog.selectedNameFilter();
            dialog.selectNameFilter(dialog.nameFilters().value(filter - 1));
            dialog.selectFile(dir.filePath(name));
            return int(QDialog::Accepted);
        };
        button("sbSave")->click();
        return readFile(dir.filePath(name));
    };
    EXPECT_EQ(saveAs(u"p.txt"_qs, 3), QByteArray("Nr.\tName\tPferd\tZeit\tPlatz\t\r\n"
                                                 "1\tAnna\tBlitz; Sohn\t \t \t\r\n"
                                                 "2\tBernd \"B\"\tDonner\t \t \t\r\n"));
    const QByteArray csv = saveAs(u"p.csv"_qs, 1);
    EXPECT_TRUE(offered.contains(u"*.txt"_qs)) << offered.toStdString(); // the type chosen last time
    EXPECT_EQ(csv, QByteArray("Nr.;Name;Pferd;Zeit;Platz\r\n"
                              "1;Anna;\"Blitz; Sohn\";;\r\n"
                              "2;\"Bernd \"\"B\"\"\";Donner;;\r\n"));
    saveAs(u"q.csv"_qs, 1);
    EXPECT_TRUE(offered.contains(u"*.csv"_qs)) << offered.toStdString();

    // The CSV file reads back cell for cell.
    const QList<QStringList> before = {grid()->Rows(1), grid()->Rows(2)};
    loadFile(dir.filePath(u"p.csv"_qs));
    EXPECT_EQ(grid()->Rows(1), before[0]);
    EXPECT_EQ(grid()->Rows(2), before[1]);
}

TEST_F(FMainTest, AFailedTextSaveSaysSo)
{
    loadStartList();
    QDir(dir.path()).mkdir(u"taken.txt"_qs); // a folder where the file should go
    form->execFileDialog = [&](QFileDialog &dialog) {
        dialog.selectNameFilter(dialog.nameFilters().value(2));
        dialog.selectFile(dir.filePath(u"taken.txt"_qs));
        return int(QDialog::Accepted);
    };
    const MessageBox::Answers boxes;
    button("sbSave")->click();
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(u"Der Schreibfehler der Datei: "_qs));
}

TEST_F(FMainTest, TheAutomaticSaveFindsAPlaceOrShowsANotice)
{
    loadStartList();
    // Beside the program is taken by a folder of that name: the save fails visibly.
    QDir(dir.path()).mkdir(u"ombrel.txt"_qs);
    button("bSTART")->click();
    key(Qt::Key_1);
    key(Qt::Key_2);
    EXPECT_TRUE(label("Notice")->isVisible());
    EXPECT_TRUE(label("Notice")->text().contains(u"nicht automatisch gesichert"_qs));
    EXPECT_NE(QApplication::focusWidget(), label("Notice"));
}

TEST_F(FMainTest, TheAutomaticSaveMovesToTheUserFolderWhenTheProgramFolderIsClosed)
{
    QFile blocker(dir.filePath(u"not-a-folder"_qs));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ProgramPathScope closedFolder(dir.filePath(u"not-a-folder/ombrel"_qs));
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/ombrel.txt");
    QFile::remove(expected);

    loadStartList();
    button("bSTART")->click();
    key(Qt::Key_1);
    key(Qt::Key_2);
    EXPECT_FALSE(label("Notice")->isVisible());
    EXPECT_TRUE(readFile(expected).startsWith("Nr.\tName"));
    QFile::remove(expected);
}

TEST_F(FMainTest, TheLogoOpensTheMakersPage)
{
    QTest::mouseClick(label("Label5"), Qt::LeftButton);
    QTest::mouseClick(label("Label1"), Qt::LeftButton); // the shadow does not react
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].scheme(), u"https"_qs);
}
