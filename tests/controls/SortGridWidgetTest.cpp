// The grid as the operator uses it: header clicks, typed characters, mouse and painting.
#include "controls/SortGrid.h"

#include "controls/MessageBox.h"
#include "platform/Graphics.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool isRed(const QColor &color)
{
    return color.red() > 200 && color.green() < 60 && color.blue() < 60;
}

bool isArrowGray(const QColor &color)
{
    return color == QColor(0x80, 0x80, 0x80);
}

// Pixels in rect of an image that match a predicate.
template <typename Predicate> int countPixels(const QImage &image, const QRect &rect, Predicate predicate)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += predicate(pixelAt(image, x, y)) ? 1 : 0;
    }
    return count;
}

class SortGridWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFont courier(QStringLiteral("Courier"));
        courier.setPixelSize(16);
        // Exact colours in grabbed pixels.
        courier.setStyleStrategy(QFont::NoAntialias);
        grid.setFont(courier);
        grid.setDefaultRowHeight(20);
        grid.setColCount(5);
        grid.setRowCount(2);
        grid.setRows(0, {u"Nr."_qs, u"Name"_qs, u"Pferd"_qs, u"Zeit"_qs, u"Platz"_qs});
        const int widths[] = {48, 150, 120, 67, 49};
        for (int col = 0; col < 5; ++col)
            grid.setColWidths(col, widths[col]);
        grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid.SortOptions().SortCol = 3;
        grid.resize(480, 260);
        grid.move(10, 10);
    }

    void TearDown() override { grid.close(); }

    void load(const QList<QStringList> &rows)
    {
        grid.setRowCount(int(rows.size()) + 1);
        for (qsizetype i = 0; i < rows.size(); ++i)
            grid.setRows(int(i) + 1, rows[i]);
    }

    void loadRiders()
    {
        load({{u"1"_qs, u"Anna"_qs, u"Blitz"_qs, u"75,43"_qs},
              {u"2"_qs, u"max"_qs, u"Sturm"_qs, u"70,10"_qs},
              {u"3"_qs, u"Bert"_qs, u"Wind"_qs, QString()},
              {u"4"_qs, u"Moritz"_qs, u"Feuer"_qs, u"71,00"_qs}});
    }

    void showGrid()
    {
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    QWidget *header() { return grid.horizontalHeader()->viewport(); }

    QPoint headerCentre(int col)
    {
        const QHeaderView *h = grid.horizontalHeader();
        return {h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2};
    }

    // The x of the grid line at the right of col, in header coordinates.
    int borderLine(int col)
    {
        const QHeaderView *h = grid.horizontalHeader();
        return h->sectionViewportPosition(col) + h->sectionSize(col) - 1;
    }

    QRect cellRect(int col, int row) { return grid.visualRect(grid.model()->index(row - 1, col)); }

    QStringList column(int col)
    {
        QStringList texts;
        for (int row = 1; row < grid.RowCount(); ++row)
            texts.append(grid.Cells(col, row));
        return texts;
    }

    TSortGrid grid;
    MessageBox::Answers boxes; // the grid's messages, answered and kept
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Sizes

TEST_F(SortGridWidgetTest, WidthsAndHeightsExcludeTheGridLine)
{
    showGrid();
    EXPECT_EQ(cellRect(1, 1).width(), grid.ColWidths(1));
    EXPECT_EQ(cellRect(1, 1).height(), 20);
    EXPECT_EQ(grid.horizontalHeader()->height(), 21);
    // The main window fills the client width with the widths plus one pixel per column.
    int others = 0;
    for (int col : {0, 2, 3, 4})
        others += grid.ColWidths(col);
    grid.setColWidths(1, grid.clientWidth() - others - grid.ColCount());
    EXPECT_EQ(grid.horizontalHeader()->length(), grid.clientWidth());
}

TEST_F(SortGridWidgetTest, RowCountBelowTwoIsRefusedWithAMessage)
{
    loadRiders();
    grid.setRowCount(1);
    EXPECT_EQ(grid.RowCount(), 5);
    ASSERT_EQ(boxes.seen().size(), 1);
    EXPECT_EQ(boxes.seen()[0].text, u"Rowsize too small"_qs);
}

// ---------------------------------------------------------------------------------------------
// Sorting through the widget

TEST_F(SortGridWidgetTest, SelectedRowFollowsItsRiderAndIsReportedOnlyWhenItMoves)
{
    loadRiders();
    grid.setRow(1);
    QSignalSpy selected(&grid, &TSortGrid::OnRowSelected);
    QSignalSpy ended(&grid, &TSortGrid::OnEndUpdate);
    grid.SortByColumn(3);
    EXPECT_EQ(column(1), QStringList({u"Bert"_qs, u"max"_qs, u"Moritz"_qs, u"Anna"_qs}));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Cells(1, grid.Row()), u"Anna"_qs);
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(ended.count(), 1);

    grid.SortByColumn(3);
    EXPECT_EQ(selected.count(), 1) << "the selected row did not move";
    EXPECT_EQ(ended.count(), 2);
}

TEST_F(SortGridWidgetTest, DuringTheSortCellsPaintEmptyUnderTheHourglass)
{
    loadRiders();
    showGrid();
    // Paints one cell through the grid's delegate, as the view would.
    auto paintedTextPixels = [&](int col, int row) {
        const QRect rect = cellRect(col, row);
        QImage image(rect.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(QPoint(0, 0), rect.size());
        grid.itemDelegate()->paint(&painter, option, grid.model()->index(row - 1, col));
        painter.end();
        return countPixels(image, image.rect(), [](const QColor &c) { return c.lightness() < 100; });
    };
    ASSERT_GT(paintedTextPixels(1, 1), 0);

    bool updating = false;
    bool hourglass = false;
    bool enabled = true;
    int textDuringSort = -1;
    grid.OnGetSortStyle = [&](TSortGrid *sender, int, TSortStyle &style) {
        EXPECT_EQ(sender, &grid);
        updating = grid.isUpdating();
        hourglass =
            QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        enabled = grid.isEnabled();
        textDuringSort = paintedTextPixels(1, 1);
        style = ssNormal;
    };
    grid.SortByColumn(1);
    EXPECT_TRUE(updating);
    EXPECT_TRUE(hourglass);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(textDuringSort, 0);
    EXPECT_FALSE(grid.isUpdating());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(grid.isEnabled());
    EXPECT_GT(paintedTextPixels(1, 1), 0);
}

TEST_F(SortGridWidgetTest, SortLeavesTheEnabledStateAsItWas)
{
    loadRiders();
    grid.setEnabled(false);
    grid.SortByColumn(1);
    EXPECT_FALSE(grid.isEnabled());
    grid.setEnabled(true);

    QWidget window;
    grid.setParent(&window);
    window.setEnabled(false);
    grid.SortByColumn(2);
    window.setEnabled(true);
    EXPECT_TRUE(grid.isEnabled()) << "a grid disabled with its window follows the window again";
    grid.setParent(nullptr);
}

TEST_F(SortGridWidgetTest, SizeChangeResortsOnlyWhenAsked)
{
    load({{u"1"_qs, u"B"_qs}, {u"2"_qs, u"A"_qs}});
    grid.SortOptions().SortCol = 1;
    grid.setRowCount(4);
    EXPECT_EQ(column(1), QStringList({u"B"_qs, u"A"_qs, QString()}));
    grid.SortOptions().UpdateOnSizeChange = true;
    grid.setRowCount(5);
    EXPECT_EQ(column(1), QStringList({QString(), QString(), u"A"_qs, u"B"_qs}));
}

// ---------------------------------------------------------------------------------------------
// Header clicks

TEST_F(SortGridWidgetTest, LeftClickTogglesOnTheSortColumnAndSortsOthersAscending)
{
    loadRiders();
    showGrid();
    QTest::mouseClick(header(), Qt::LeftButton, {}, headerCentre(3));
    EXPECT_EQ(grid.SortOptions().SortDirection, sdDescending);
    EXPECT_EQ(column(3), QStringList({u"75,43"_qs, u"71,00"_qs, u"70,10"_qs, QString()}));
    QTest::mouseClick(header(), Qt::LeftButton, {}, headerCentre(3));
    EXPECT_EQ(grid.SortOptions().SortDirection, sdAscending);
    EXPECT_EQ(column(3), QStringList({QString(), u"70,10"_qs, u"71,00"_qs, u"75,43"_qs}));

    // Another column sorts ascending whatever the direction was.
    grid.SortOptions().SortDirection = sdDescending;
    QTest::mouseClick(header(), Qt::LeftButton, {}, headerCentre(1));
    EXPECT_EQ(grid.SortOptions().SortCol, 1);
    EXPECT_EQ(grid.SortOptions().SortDirection, sdAscending);
    EXPECT_EQ(column(1), QStringList({u"Anna"_qs, u"Bert"_qs, u"max"_qs, u"Moritz"_qs}));
    QTest::mouseClick(header(), Qt::LeftButton, {}, headerCentre(2));
    EXPECT_EQ(grid.SortOptions().SortDirection, sdAscending);
    EXPECT_EQ(column(2), QStringList({u"Blitz"_qs, u"Feuer"_qs, u"Sturm"_qs, u"Wind"_qs}));
}

TEST_F(SortGridWidgetTest, RightClickOnTheHeaderSortsDescendingWithoutAMenu)
{
    loadRiders();
    QMenu menu;
    menu.addAction(QStringLiteral("AUS"));
    grid.setPopupMenu(&menu);
    showGrid();
    QTest::mouseClick(header(), Qt::RightButton, {}, headerCentre(0));
    EXPECT_EQ(grid.SortOptions().SortCol, 0);
    EXPECT_EQ(grid.SortOptions().SortDirection, sdDescending);
    EXPECT_EQ(column(0), QStringList({u"4"_qs, u"3"_qs, u"2"_qs, u"1"_qs}));
    QTest::mouseClick(header(), Qt::RightButton, {}, headerCentre(0));
    EXPECT_EQ(grid.SortOptions().SortDirection, sdDescending) << "right always means descending";
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(SortGridWidgetTest, PressNearABorderResizesInsteadOfSorting)
{
    loadRiders();
    showGrid();
    const QStringList before = column(1);
    const int width = grid.ColWidths(1);
    // Either side of the border between "Name" and "Pferd".
    QTest::mouseClick(header(), Qt::LeftButton, {}, QPoint(borderLine(1) - 4, 10));
    QTest::mouseClick(header(), Qt::LeftButton, {}, QPoint(borderLine(1) + 3, 10));
    QTest::mouseClick(header(), Qt::RightButton, {}, QPoint(borderLine(1) + 1, 10));
    EXPECT_EQ(grid.SortOptions().SortCol, 3);
    EXPECT_EQ(column(1), before);

    QTest::mousePress(header(), Qt::LeftButton, {}, QPoint(borderLine(1) - 2, 10));
    QTest::mouseMove(header(), QPoint(borderLine(1) + 28, 10));
    QTest::mouseRelease(header(), Qt::LeftButton, {}, QPoint(borderLine(1) + 28, 10));
    EXPECT_EQ(grid.ColWidths(1), width + 30);
    EXPECT_EQ(grid.SortOptions().SortCol, 3);

    // A release in another column than the press is no click either.
    QTest::mousePress(header(), Qt::LeftButton, {}, headerCentre(0));
    QTest::mouseRelease(header(), Qt::LeftButton, {}, headerCentre(2));
    EXPECT_EQ(grid.SortOptions().SortCol, 3);
    EXPECT_EQ(column(1), before);
}

TEST_F(SortGridWidgetTest, DoubleClickOnABorderFitsTheColumnToItsWidestText)
{
    load({{u"1"_qs, u"Anna"_qs}, {u"2"_qs, u"Maximilian"_qs}, {u"3"_qs, u"Moritz"_qs}});
    QFont bold = grid.font();
    bold.setBold(true);
    // The formatted font counts: row 2 is bold.
    grid.OnGetCellFormat = [&](TSortGrid *, int, int row, GridDrawState, TFormatOptions &format) {
        if (row == 2)
            format.Font = bold;
    };
    showGrid();
    const QFontMetrics plain(grid.font());
    const int x = plain.horizontalAdvance(u'X');

    // Just right of the border still means the column on its left.
    QTest::mouseDClick(header(), Qt::LeftButton, {}, QPoint(borderLine(1) + 2, 10));
    EXPECT_EQ(grid.ColWidths(1), QFontMetrics(bold).horizontalAdvance(u"Maximilian"_qs) + x);
    EXPECT_EQ(grid.SortOptions().SortCol, 3) << "no sort";

    // The sort column's caption counts 12 pixels more for the arrow.
    grid.setCells(3, 0, u"Zeit in Sekunden"_qs);
    QTest::mouseDClick(header(), Qt::LeftButton, {}, QPoint(borderLine(3) - 1, 10));
    EXPECT_EQ(grid.ColWidths(3), plain.horizontalAdvance(u"Zeit in Sekunden"_qs) + 12 + x);

    grid.setCells(4, 0, QString());
    QTest::mouseDClick(header(), Qt::LeftButton, {}, QPoint(borderLine(4), 10));
    EXPECT_EQ(grid.ColWidths(4), plain.horizontalAdvance(u"xx"_qs)) << "all texts empty";

    const int name = grid.ColWidths(1);
    QTest::mouseDClick(header(), Qt::LeftButton, {}, QPoint(borderLine(1) - 6, 10));
    EXPECT_EQ(grid.ColWidths(1), name) << "too far from the border";
}

// ---------------------------------------------------------------------------------------------
// Rows: mouse, keys, deletion

TEST_F(SortGridWidgetTest, UserSelectionsAreReportedAndRightClickOpensTheMenu)
{
    loadRiders();
    QMenu menu;
    menu.addAction(QStringLiteral("Zeile entfernen"));
    grid.setPopupMenu(&menu);
    showGrid();
    QSignalSpy selected(&grid, &TSortGrid::OnRowSelected);
    QSignalSpy doubleClicked(&grid, &TSortGrid::OnDblClick);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellRect(1, 3).center());
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(selected.count(), 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellRect(2, 3).center());
    EXPECT_EQ(selected.count(), 2) << "a click on the selected row selects it again";
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(selected.count(), 3);

    const QPoint at = cellRect(1, 2).center();
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(grid.Row(), 4) << "the menu acts on the row selected before";
    EXPECT_EQ(selected.count(), 3);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), grid.viewport()->mapToGlobal(at));
    menu.close();

    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cellRect(1, 2).center());
    EXPECT_EQ(doubleClicked.count(), 1);
}

TEST_F(SortGridWidgetTest, TypedLetterJumpsToTheNextRiderInTheSortColumn)
{
    loadRiders();
    grid.SortOptions().SortCol = 1;
    grid.setRow(1);
    QSignalSpy selected(&grid, &TSortGrid::OnRowSelected);
    QTest::keyClick(&grid, 'm');
    EXPECT_EQ(grid.Row(), 2);
    QTest::keyClick(&grid, 'm');
    EXPECT_EQ(grid.Row(), 4);
    QTest::keyClick(&grid, 'm');
    EXPECT_EQ(grid.Row(), 2) << "wraps to the top";
    EXPECT_EQ(selected.count(), 3);
    QTest::keyClick(&grid, 'q');
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(SortGridWidgetTest, DeleteRowKeepsOneDataRow)
{
    loadRiders();
    QSignalSpy deleted(&grid, &TSortGrid::OnRowDelete);
    grid.setRow(3);
    grid.DeleteRow(2);
    EXPECT_EQ(column(1), QStringList({u"Anna"_qs, u"Bert"_qs, u"Moritz"_qs}));
    EXPECT_EQ(grid.Row(), 2) << "the current row keeps its rider";
    EXPECT_TRUE(grid.isModified());
    grid.DeleteRow(0);
    grid.DeleteRow(4);
    EXPECT_EQ(grid.RowCount(), 4) << "the header and rows outside are not deleted";

    load({{u"7"_qs, u"Anna"_qs, u"Blitz"_qs}});
    grid.DeleteRow(1);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Rows(1), QStringList(5, QString()));
    EXPECT_EQ(grid.Cells(1, 0), u"Name"_qs);
    ASSERT_EQ(deleted.count(), 2);
    EXPECT_EQ(deleted.at(0).at(0).toInt(), 2);
    EXPECT_EQ(deleted.at(1).at(0).toInt(), 1);
    EXPECT_TRUE(boxes.seen().isEmpty());
}

// ---------------------------------------------------------------------------------------------
// File

TEST_F(SortGridWidgetTest, SaveToFileWritesSemicolonsCrLfAndWindows1252)
{
    load({{u"1"_qs, u"M\u00fcller"_qs, u"F\u00fcr \u00c9lise"_qs, u"75,43"_qs, u"1"_qs},
          {u"2"_qs, u"Smith \u20ac"_qs, u"\u03a9"_qs}});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"protokoll.csv"_qs);
    ASSERT_TRUE(grid.SaveToFile(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Nr.;Name;Pferd;Zeit;Platz\r\n"
                                         "1;M\xfcller;F\xfcr \xc9lise;75,43;1\r\n"
                                         "2;Smith \x80;?;;\r\n"));
    EXPECT_TRUE(boxes.seen().isEmpty());
}

TEST_F(SortGridWidgetTest, SaveToFileReportsAFailureWithThePath)
{
    loadRiders();
    const QStringList before = grid.Rows(2);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"fehlt/protokoll.csv"_qs);
    EXPECT_FALSE(grid.SaveToFile(path));
    ASSERT_EQ(boxes.seen().size(), 1);
    EXPECT_EQ(boxes.seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen()[0].text, u"Can't write to file:\n"_qs + path);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(grid.Rows(2), before);

    EXPECT_FALSE(grid.SaveToFile(dir.path())) << "a folder is no file";
    EXPECT_EQ(boxes.seen().size(), 2);
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(SortGridWidgetTest, NarrowSortColumnShortensItsCaptionAndKeepsTheArrow)
{
    loadRiders();
    grid.SortOptions().SortCol = 4;
    grid.setColWidths(4, 40);
    showGrid();
    const QString caption = grid.displayCaption(4);
    EXPECT_TRUE(caption.endsWith(u".."_qs)) << caption.toStdString();
    EXPECT_TRUE(caption.startsWith(u"P"_qs));
    EXPECT_LT(caption.size(), 5);
    EXPECT_EQ(grid.displayCaption(1), u"Name"_qs) << "wide enough";

    // The arrow is 8 x 7 pixels, 3 pixels from the column's left edge, centred in the 20 pixel row.
    const int left = grid.horizontalHeader()->sectionViewportPosition(4) + 3;
    const int top = (20 - 7) / 2;
    QImage image = grid.horizontalHeader()->grab().toImage();
    EXPECT_TRUE(isArrowGray(pixelAt(image, left + 3, top))) << "tip of the up arrow";
    EXPECT_FALSE(isArrowGray(pixelAt(image, left, top)));
    EXPECT_TRUE(isArrowGray(pixelAt(image, left, top + 6)));
    EXPECT_TRUE(isArrowGray(pixelAt(image, left + 7, top + 6)));

    grid.SortOptions().SortDirection = sdDescending;
    grid.horizontalHeader()->viewport()->update();
    image = grid.horizontalHeader()->grab().toImage();
    EXPECT_TRUE(isArrowGray(pixelAt(image, left, top)));
    EXPECT_FALSE(isArrowGray(pixelAt(image, left, top + 6)));
    EXPECT_TRUE(isArrowGray(pixelAt(image, left + 3, top + 6))) << "tip of the down arrow";
    // Only the sort column has an arrow.
    const int other = grid.horizontalHeader()->sectionViewportPosition(1) + 3;
    EXPECT_EQ(countPixels(image, QRect(other, top, 8, 7), isArrowGray), 0);
}

TEST_F(SortGridWidgetTest, CellFormatEventColoursTheText)
{
    loadRiders();
    QList<GridDrawState> headerStates;
    grid.OnGetCellFormat = [&](TSortGrid *, int, int row, GridDrawState state, TFormatOptions &format) {
        if (row == 0)
            headerStates.append(state);
        if (row == 2)
            format.FontColor = toQColor(clRed);
    };
    grid.setRow(4);
    showGrid();
    const QImage image = grid.viewport()->grab().toImage();
    const QRect row2 = cellRect(0, 2).united(cellRect(4, 2));
    const QRect row3 = cellRect(0, 3).united(cellRect(4, 3));
    EXPECT_GT(countPixels(image, row2, isRed), 20);
    EXPECT_EQ(countPixels(image, row3, isRed), 0);
    ASSERT_FALSE(headerStates.isEmpty());
    EXPECT_TRUE(headerStates.first().testFlag(gdFixed));
}
