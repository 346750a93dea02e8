#include "controls/MessageBox.h"
#include "tests/app/FMainFixture.h"
#include "tests/support/FakeSpreadsheetApp.h"
#include "tests/support/XlsxSheet.h"

#include <QDir>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollBar>
#include <QStandardPaths>

namespace {

class FMainPublishTest : public FMainTest
{
protected:
    void SetUp() override
    {
        FMainTest::SetUp();
        savedCurrent = QDir::currentPath();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("arbeit")));
        QDir::setCurrent(dir.filePath(QStringLiteral("arbeit")));
        clearWorkbookFolder();
        form->setSpreadsheetApp(std::make_unique<FakeSpreadsheetApp>(spreadsheet));
    }

    void TearDown() override
    {
        QDir::setCurrent(savedCurrent);
        QFile::remove(dataFolderPage());
        FMainTest::TearDown();
        clearWorkbookFolder();
    }

    static QString dataFolderPage()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/ombrel.html"_qs;
    }

    // Where the hand-over writes its workbooks: the per-user data folder of this test run.
    static QString workbookFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/Excel"_qs;
    }
    static void clearWorkbookFolder()
    {
        QFile::remove(workbookFolder());
        QDir(workbookFolder()).removeRecursively();
    }

    void saveThroughDialog(const QString &path, const QString &filterPattern)
    {
        form->execFileDialog = [=](QFileDialog &dialog) {
            for (const QString &filter : dialog.nameFilters())
                if (filter.contains(filterPattern))
                    dialog.selectNameFilter(filter);
            dialog.selectFile(path);
            return int(QDialog::Accepted);
        };
        button("sbSave")->click();
    }

    // A heat in which both lanes stop at the given times after START.
    void runHeat(quint32 lane1Ms, quint32 lane2Ms)
    {
        button("bSTART")->click();
        const quint32 started = ticks;
        ticks = started + std::min(lane1Ms, lane2Ms);
        key(lane1Ms <= lane2Ms ? Qt::Key_1 : Qt::Key_2);
        ticks = started + std::max(lane1Ms, lane2Ms);
        key(lane1Ms <= lane2Ms ? Qt::Key_2 : Qt::Key_1);
        ASSERT_FALSE(running());
    }

    QString savedCurrent;
    SpreadsheetLog spreadsheet;
    MessageBox::Answers boxes; // every box of the test, answered and kept
};

} // namespace

TEST_F(FMainPublishTest, AsWebPageWritesThePageInTheCurrentFolderAndOpensIt)
{
    loadStartList();
    runHeat(10050, 9050);
    ASSERT_TRUE(button("sbHTML")->isEnabled());
    button("sbHTML")->click();

    const QString page = dir.filePath(u"arbeit/ombrel.html"_qs);
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(page)}));
    const QByteArray bytes = readFile(page);
    EXPECT_TRUE(bytes.startsWith("<HTML>\r\n<HEAD>\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n<TITLE>Ombrel</TITLE>\r\n"));
    EXPECT_TRUE(
        bytes.contains("<td Align=left>&nbsp;J\xfcrgen B\xe4\x63ker<td>S\xf3lfaxi&nbsp;<td>10.05&nbsp;"));
    EXPECT_TRUE(bytes.contains("<td Align=left>&nbsp;Anna Gr\xf6\xdf\x65r<td>\xdeokki&nbsp;<td>9.05&nbsp;"));
    EXPECT_LT(bytes.indexOf("Anna"), bytes.indexOf("J\xfcrgen")); // in the protocol's order
    EXPECT_EQ(bytes.count("<tr Align=Right>"), 4);
    EXPECT_TRUE(boxes.seen().isEmpty());
}

TEST_F(FMainPublishTest, TheHelpPageBesideTheProgramIsNeverReplaced)
{
    const QString help = dir.filePath(u"ombrel.html"_qs);
    QFile file(help);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html>Hilfe</html>");
    file.close();
    QDir::setCurrent(dir.path());
    loadStartList();
    button("sbHTML")->click();

    EXPECT_EQ(readFile(help), QByteArray("<html>Hilfe</html>"));
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(dataFolderPage())}));
    EXPECT_TRUE(readFile(dataFolderPage()).contains("<H5>Zeitenprotokoll</H5>"));
}

TEST_F(FMainPublishTest, APageTheCurrentFolderCannotTakeGoesToTheDataFolder)
{
    loadStartList();
    ASSERT_TRUE(QDir(dir.filePath(u"arbeit"_qs)).removeRecursively()); // the current folder is gone
    button("sbHTML")->click();
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(dataFolderPage())}));
    EXPECT_TRUE(readFile(dataFolderPage()).contains("S\xf3lfaxi"));
    EXPECT_TRUE(boxes.seen().isEmpty());
}

TEST_F(FMainPublishTest, SavingAsWebPageWritesWithoutOpeningAndReportsFailures)
{
    loadStartList();
    const QString path = dir.filePath(u"protokoll.html"_qs);
    saveThroughDialog(path, u"*.html"_qs);
    EXPECT_TRUE(readFile(path).endsWith("</body></html>\r\n"));
    EXPECT_TRUE(opened.isEmpty());

    const QString broken = dir.filePath(u"fehlt/protokoll.html"_qs);
    saveThroughDialog(broken, u"*.html"_qs);
    EXPECT_EQ(boxes.texts(), QStringList({u"Der Schreibfehler der Datei: "_qs + broken}));
    EXPECT_EQ(boxes.seen().constLast().icon, QMessageBox::Critical);
    EXPECT_FALSE(QFile::exists(broken));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(FMainPublishTest, ExcelGetsHeaderEntriesAndTotalsInANewWorkbookEachTime)
{
    // The third rider's name carries commas: only the first becomes a point.
    QByteArray list = readFile(testData("startlist-4.txt"));
    list.replace("Maria M\xfcller", toAnsi(u"Müller, Maria, jun."_qs));
    loadBytes(list);
    runHeat(75430, 75430);
    ASSERT_TRUE(button("sbExcel")->isEnabled());
    button("sbExcel")->click();

    ASSERT_EQ(spreadsheet.opened.size(), 1);
    EXPECT_TRUE(QFileInfo(spreadsheet.opened[0]).fileName().endsWith(u".xlsx"_qs));
    const XlsxSheet sheet = XlsxSheet::read(spreadsheet.opened[0]);
    EXPECT_EQ(sheet.text("A1"), u"Start-Nr."_qs);
    EXPECT_EQ(sheet.text("E1"), u"Platz"_qs);
    EXPECT_EQ(sheet.number("A2"), 1.0);
    EXPECT_EQ(sheet.text("B2"), u"Jürgen Bäcker"_qs);
    EXPECT_EQ(sheet.number("D2"), 75.43);
    EXPECT_EQ(sheet.text("B4"), u"Müller. Maria, jun."_qs);
    EXPECT_EQ(sheet.text("C5"), u"Gáski"_qs);
    // Four entries, four horses, two time texts ("75,43" and the blank of a heat not run).
    EXPECT_EQ(sheet.text("A6"), u"Gesamt:"_qs);
    EXPECT_EQ(sheet.number("B6"), 4.0);
    EXPECT_EQ(sheet.number("C6"), 4.0);
    EXPECT_EQ(sheet.number("D6"), 2.0);
    EXPECT_FALSE(sheet.contains("A7"));

    button("sbExcel")->click();
    ASSERT_EQ(spreadsheet.opened.size(), 2);
    EXPECT_NE(spreadsheet.opened[0], spreadsheet.opened[1]);
    EXPECT_EQ(XlsxSheet::read(spreadsheet.opened[1]).cells, sheet.cells);
    EXPECT_TRUE(boxes.seen().isEmpty());
}

TEST_F(FMainPublishTest, ExcelWithoutASpreadsheetProgramStillWritesTheWorkbookAndSaysWhere)
{
    loadStartList();
    spreadsheet.available = false;
    auto *notice = child<QLabel>(u"Notice"_qs);
    button("sbExcel")->click();
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
    const QDir folder(workbookFolder());
    const QStringList files = folder.entryList({u"*.xlsx"_qs}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(XlsxSheet::read(folder.filePath(files[0])).text("A1"), u"Start-Nr."_qs);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(QDir::toNativeSeparators(folder.filePath(files[0]))))
        << notice->text().toStdString();
    EXPECT_TRUE(boxes.seen().isEmpty());
}

TEST_F(FMainPublishTest, AFailedWorkbookIsReportedAndNotHandedOver)
{
    loadStartList();
    QFile blocker(workbookFolder()); // a file where the workbook folder should be
    ASSERT_TRUE(QDir().mkpath(QFileInfo(blocker).absolutePath()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    button("sbExcel")->click();
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(u"Die Arbeitsmappe konnte nicht geschrieben werden: "_qs));
    EXPECT_EQ(boxes.seen().constLast().icon, QMessageBox::Critical);
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
}

TEST_F(FMainPublishTest, CaptionsStayWholeBesideTheScrollBarInAnyFont)
{
    QByteArray list;
    for (int i = 1; i <= 40; ++i)
        list += QByteArray::number(i) + ";Reiter;Pferd\r\n";
    loadBytes(list);
    auto *grid = form->findChild<TSortGrid *>(u"SortGrid1"_qs);
    ASSERT_TRUE(grid);
    for (int pixels : {16, 20, 24}) {
        QFont font = grid->font();
        font.setPixelSize(pixels);
        grid->setFont(font);
        form->resize(form->width() + 1, form->height()); // the columns are laid out at every resize
        QApplication::processEvents();
        ASSERT_TRUE(grid->verticalScrollBar()->isVisible()) << pixels;
        int total = 0;
        for (int col = 0; col < 5; ++col) {
            EXPECT_EQ(grid->displayCaption(col), cell(col, 0)) << pixels;
            total += grid->ColWidths(col) + 1;
        }
        EXPECT_LE(total, grid->viewport()->width()) << pixels;
    }
}

TEST_F(FMainPublishTest, TheExampleListFitsBesideTheScrollBarAtTheDefaultSize)
{
    // As the operator first meets it: a fresh start at the default size, then the shipped list.
    loadFile(QStringLiteral(OMBREL_APP_DATA "/Beispiel-Startliste.txt"));
    QApplication::processEvents();
    TSortGrid *shown = grid();
    ASSERT_TRUE(shown->verticalScrollBar()->isVisible());
    EXPECT_LE(shown->horizontalHeader()->length(), shown->viewport()->width()) << "\"Platz\" is cut";
}
