#include "protocol/Excel.h"
#include "tests/TestSupport.h"
#include "tests/support/FakeSpreadsheetApp.h"
#include "tests/support/XlsxSheet.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ExcelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        excel.setFolder(dir.filePath(QStringLiteral("Mappen")));
        excel.setApplication(std::make_unique<FakeSpreadsheetApp>(app));
        excel.setWorkbookName(QStringLiteral("2024-06-01-14-30"));
    }

    bool writeLines(const QList<QStringList> &lines)
    {
        bool ok = true;
        for (const QStringList &values : lines) {
            excel.LineValues = values;
            ok = excel.WriteLine() && ok;
        }
        return ok;
    }

    // All files in the workbook folder, hidden ones included.
    QStringList folderFiles() const
    {
        return QDir(excel.folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir;
    SpreadsheetLog app;
    TExcel excel;
};

} // namespace

TEST_F(ExcelTest, LinesBecomeRowsWithNumbersAsNumbersAndFittedColumns)
{
    ASSERT_TRUE(excel.Connect());
    ASSERT_TRUE(excel.NewWorkbook());
    EXPECT_EQ(excel.line, 1);
    EXPECT_TRUE(writeLines({{u"Start-Nr."_qs, u"Name"_qs, u"Pferd"_qs, u"Zeit"_qs, u"Platz"_qs},
                            {u"1"_qs, u"Jürgen Bäcker"_qs, QString(), u"75.43"_qs, u"AUS"_qs},
                            {u"Gesamt:"_qs, u"1"_qs, u"1"_qs, u"1"_qs}}));
    EXPECT_EQ(excel.line, 4);
    ASSERT_TRUE(excel.AutoFitColumns());
    ASSERT_TRUE(excel.showWorkbook()) << excel.errorString().toStdString();

    const QString path = excel.folder() + u"/2024-06-01-14-30.xlsx"_qs;
    EXPECT_EQ(excel.workbookPath(), path);
    EXPECT_EQ(app.opened, QStringList({path}));
    EXPECT_EQ(folderFiles(), QStringList({u"2024-06-01-14-30.xlsx"_qs})) << "no leftovers";

    const XlsxSheet sheet = XlsxSheet::read(path);
    EXPECT_EQ(sheet.text("A1"), u"Start-Nr."_qs);
    EXPECT_FALSE(sheet.isNumber("A1"));
    EXPECT_EQ(sheet.text("E1"), u"Platz"_qs);
    EXPECT_EQ(sheet.number("A2"), 1.0);
    EXPECT_EQ(sheet.text("B2"), u"Jürgen Bäcker"_qs);
    EXPECT_FALSE(sheet.cells.contains(u"C2"_qs)) << "an empty value leaves its cell empty";
    EXPECT_EQ(sheet.number("D2"), 75.43);
    EXPECT_EQ(sheet.text("E2"), u"AUS"_qs);
    EXPECT_FALSE(sheet.isNumber("E2"));
    EXPECT_EQ(sheet.text("A3"), u"Gesamt:"_qs);
    EXPECT_EQ(sheet.number("B3"), 1.0);
    EXPECT_EQ(sheet.cells.size(), 13);

    // Each column as wide as its longest value and a little more.
    ASSERT_EQ(sheet.widths.keys(), QList<int>({1, 2, 3, 4, 5}));
    EXPECT_GE(sheet.widths[1], 9.5); // "Start-Nr."
    EXPECT_LT(sheet.widths[1], 11.5);
    EXPECT_GE(sheet.widths[2], 13.5); // "Jürgen Bäcker"
    EXPECT_LT(sheet.widths[2], 15.5);
    EXPECT_LT(sheet.widths[3], sheet.widths[1]); // "Pferd" against "Start-Nr."
    EXPECT_EQ(sheet.widths[4], sheet.widths[3]); // "75.43" as wide as "Pferd"
}

TEST_F(ExcelTest, VerticalLinesFillColumns)
{
    excel.Horizontal = false;
    ASSERT_TRUE(excel.Connect());
    ASSERT_TRUE(excel.NewWorkbook());
    EXPECT_TRUE(writeLines({{u"a"_qs, u"b"_qs}, {u"c"_qs, u"2,5"_qs, u"3.5"_qs}}));
    ASSERT_TRUE(excel.showWorkbook());
    const XlsxSheet sheet = XlsxSheet::read(excel.workbookPath());
    EXPECT_EQ(sheet.text("A1"), u"a"_qs);
    EXPECT_EQ(sheet.text("A2"), u"b"_qs);
    EXPECT_EQ(sheet.text("B1"), u"c"_qs);
    EXPECT_EQ(sheet.text("B2"), u"2,5"_qs) << "a comma is no decimal point here";
    EXPECT_EQ(sheet.number("B3"), 3.5);
}

TEST_F(ExcelTest, OnlyPlainDecimalNumbersBecomeNumberCells)
{
    double value = 0;
    for (const char *yes : {"75.43", "-1", "+0.5", ".5", "7.", " 3 ", "1e3", "0042"})
        EXPECT_TRUE(TExcel::readsAsNumber(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", " ", "12.5.0", "1,5", "inf", "nan", "0x10", "75.43s", "AUS", "1e999", "-"})
        EXPECT_FALSE(TExcel::readsAsNumber(QString::fromLatin1(no))) << no;
    ASSERT_TRUE(TExcel::readsAsNumber(u" 0042 "_qs, &value));
    EXPECT_EQ(value, 42.0);
}

TEST_F(ExcelTest, NoApplicationMeansNoConnectionAndNoFile)
{
    app.available = false;
    EXPECT_FALSE(excel.Connect());
    EXPECT_FALSE(excel.Failed());
    EXPECT_TRUE(folderFiles().isEmpty());
    EXPECT_TRUE(app.opened.isEmpty());
}

TEST_F(ExcelTest, EveryWorkbookGetsAFileOfItsOwn)
{
    for (const char *value : {"erste", "zweite", "dritte"}) {
        ASSERT_TRUE(excel.Connect());
        ASSERT_TRUE(excel.NewWorkbook());
        ASSERT_TRUE(writeLines({{QString::fromLatin1(value)}}));
        ASSERT_TRUE(excel.showWorkbook());
    }
    EXPECT_EQ(folderFiles(), QStringList({u"2024-06-01-14-30-2.xlsx"_qs, u"2024-06-01-14-30-3.xlsx"_qs,
                                          u"2024-06-01-14-30.xlsx"_qs}));
    ASSERT_EQ(app.opened.size(), 3);
    EXPECT_EQ(XlsxSheet::read(app.opened[0]).text("A1"), u"erste"_qs);
    EXPECT_EQ(XlsxSheet::read(app.opened[1]).text("A1"), u"zweite"_qs);
    EXPECT_EQ(XlsxSheet::read(app.opened[2]).text("A1"), u"dritte"_qs);
}

TEST_F(ExcelTest, AFailedCallDropsTheWorkbookAndLeavesNoFile)
{
    ASSERT_TRUE(excel.Connect());
    ASSERT_TRUE(excel.NewWorkbook());
    EXPECT_FALSE(writeLines({{u"ok"_qs}, {QString(32768, u'x')}, {u"danach"_qs}}));
    EXPECT_TRUE(excel.Failed());
    EXPECT_FALSE(excel.errorString().isEmpty());
    EXPECT_FALSE(excel.AutoFitColumns());
    EXPECT_FALSE(excel.showWorkbook());
    EXPECT_TRUE(folderFiles().isEmpty());
    EXPECT_TRUE(app.opened.isEmpty());

    // The next export starts clean.
    ASSERT_TRUE(excel.Connect());
    EXPECT_FALSE(excel.Failed());
    ASSERT_TRUE(excel.NewWorkbook());
    ASSERT_TRUE(writeLines({{u"neu"_qs}}));
    EXPECT_TRUE(excel.showWorkbook());
    EXPECT_EQ(app.opened.size(), 1);
}

TEST_F(ExcelTest, AFolderGoneBeforeTheFileIsWrittenIsReported)
{
    ASSERT_TRUE(excel.Connect());
    ASSERT_TRUE(excel.NewWorkbook());
    ASSERT_TRUE(writeLines({{u"Start-Nr."_qs}}));
    ASSERT_TRUE(QDir(excel.folder()).removeRecursively());
    EXPECT_FALSE(excel.showWorkbook());
    EXPECT_TRUE(excel.Failed());
    EXPECT_FALSE(QDir(excel.folder()).exists());
    EXPECT_TRUE(app.opened.isEmpty());
}

TEST_F(ExcelTest, AWorkbookNobodyTookStaysComplete)
{
    app.takesFiles = false;
    ASSERT_TRUE(excel.Connect());
    ASSERT_TRUE(excel.NewWorkbook());
    ASSERT_TRUE(writeLines({{u"Gesamt:"_qs, u"3"_qs}}));
    EXPECT_FALSE(excel.showWorkbook());
    EXPECT_FALSE(excel.Failed());
    EXPECT_EQ(XlsxSheet::read(excel.workbookPath()).number("B1"), 3.0);
}

TEST_F(ExcelTest, AnUnshownWorkbookLeavesNothingBehind)
{
    {
        TExcel other;
        other.setFolder(excel.folder());
        other.setApplication(std::make_unique<FakeSpreadsheetApp>(app));
        ASSERT_TRUE(other.Connect());
        ASSERT_TRUE(other.NewWorkbook());
        ASSERT_FALSE(folderFiles().isEmpty()) << "the workbook's reserved file";
    }
    EXPECT_TRUE(folderFiles().isEmpty());

    ASSERT_TRUE(excel.Connect());
    ASSERT_TRUE(excel.NewWorkbook());
    ASSERT_TRUE(excel.Connect()); // a new connection replaces the unfinished workbook
    EXPECT_TRUE(folderFiles().isEmpty());
    EXPECT_TRUE(app.opened.isEmpty());
}

TEST_F(ExcelTest, TextsThatLookLikeCodedCharactersAreEscaped)
{
    struct Case
    {
        QString value;
        QString stored; // as it stands in the workbook
    };
    const Case cases[] = {
        {u"_x0041_"_qs, u"_x005F_x0041_"_qs},
        {u"Anna_x00e9_Maria"_qs, u"Anna_x005F_x00e9_Maria"_qs},
        {u"__x004A__x004b_"_qs, u"__x005F_x004A__x005F_x004b_"_qs},
        {u"_x41_"_qs, u"_x41_"_qs},
        {u"x0041_"_qs, u"x0041_"_qs},
        {u"_x004G_"_qs, u"_x004G_"_qs},
    };
    ASSERT_TRUE(excel.Connect());
    ASSERT_TRUE(excel.NewWorkbook());
    for (const Case &c : cases)
        excel.LineValues.append(c.value);
    ASSERT_TRUE(excel.WriteLine());
    ASSERT_TRUE(excel.showWorkbook());
    const XlsxSheet sheet = XlsxSheet::read(excel.workbookPath());
    const char *refs[] = {"A1", "B1", "C1", "D1", "E1", "F1"};
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(sheet.text(refs[i]), cases[i].stored) << cases[i].value.toStdString();
}
