#pragma once

#include <QStringList>
#include <QTableView>

#include <vector>

class QMenu;
class StringGridModel;

// State of a cell being painted, handed to the format event.
enum GridDrawStateFlag {
    gdSelected = 0x1,
    gdFocused = 0x2,
    gdFixed = 0x4
};
Q_DECLARE_FLAGS(GridDrawState, GridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridDrawState)

// The text cells of a string grid, usable without a window. Indexes are column first, as a
// string grid has them; row 0 is the header row. A cell never written, or outside the grid,
// reads as the empty text; writes outside the grid are ignored.
class StringGridCells
{
public:
    explicit StringGridCells(int colCount = 5, int rowCount = 5);

    int ColCount() const { return m_colCount; }
    void setColCount(int count);
    int RowCount() const { return int(m_rows.size()); }
    void setRowCount(int count);

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString &text);
    // A whole row or column, one entry per cell. Setting a row from a shorter list empties the
    // remaining cells; entries beyond the column count are dropped.
    QStringList Rows(int row) const;
    void setRows(int row, const QStringList &cells);
    QStringList Cols(int col) const;

    void deleteRow(int row);
    void clearRow(int row);
    // Row i takes the cells of the former row order[i]; order is a permutation of all rows.
    void permuteRows(const std::vector<int> &order);

private:
    int m_colCount = 0;
    std::vector<QStringList> m_rows;
};

// The grid base: an item view that behaves as an ordinary grid with a header row. Rows are counted
// as the grid counts them: row 0 is the header, data rows start at 1. Widths and heights exclude
// the one-pixel grid line, so a row of columns fills ColWidths + 1 pixels per column.
class TMyCustomGrid : public QTableView
{
    Q_OBJECT

public:
    explicit TMyCustomGrid(QWidget *parent = nullptr);

    int defaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int height);
    int ColWidths(int col) const;
    void setColWidths(int col, int width);
    int clientWidth() const;

    // The current row (1 .. RowCount-1), 0 while the grid has no data row. Setting it selects
    // the row, scrolls it into view and counts as a selection of that row.
    int Row() const;
    void setRow(int row);

    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Opened by a right button release over a data row; the grid does not own it.
    QMenu *PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *menu) { m_popupMenu = menu; }

signals:
    // A left double click in the cell area.
    void OnDblClick();

protected:
    // Called each time a row is selected: by the mouse, the keys or setRow.
    virtual void rowSelected() {}
    // Moves the current row without counting as a selection (size changes, row deletion).
    void setCurrentRowSilently(int row);
    // Installs a header of a derived grid with the grid's header settings.
    void setGridHeader(QHeaderView *header);

    // While one lives, changes of the current row are not reported as selections.
    class SilentRowChange
    {
    public:
        explicit SilentRowChange(TMyCustomGrid &grid)
            : m_grid(grid)
        {
            ++m_grid.m_silent;
        }
        ~SilentRowChange() { --m_grid.m_silent; }
        SilentRowChange(const SilentRowChange &) = delete;
        SilentRowChange &operator=(const SilentRowChange &) = delete;

    private:
        TMyCustomGrid &m_grid;
    };

    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    int m_defaultRowHeight = 24;
    int m_tag = 0;
    int m_silent = 0;
    QMenu *m_popupMenu = nullptr;
};

// A grid of text cells over StringGridCells. Row 0 is shown in the horizontal header.
class TMyStringGrid : public TMyCustomGrid
{
    Q_OBJECT

public:
    explicit TMyStringGrid(QWidget *parent = nullptr);
    ~TMyStringGrid() override;

    QString Cells(int col, int row) const { return m_cells.Cells(col, row); }
    void setCells(int col, int row, const QString &text);
    QStringList Rows(int row) const { return m_cells.Rows(row); }
    void setRows(int row, const QStringList &cells);
    QStringList Cols(int col) const { return m_cells.Cols(col); }

    int RowCount() const { return m_cells.RowCount(); }
    void setRowCount(int count);
    int ColCount() const { return m_cells.ColCount(); }
    void setColCount(int count);

    const StringGridCells &cellStore() const { return m_cells; }
    // Shows a whole table at once (row 0 the captions), as wide as its widest row; column widths
    // and the current row stay. Far quicker than cell by cell for a view that is refreshed whole.
    void setTable(const QList<QStringList> &rows);

protected:
    // Asked before the row or column count changes; false refuses the change.
    virtual bool sizeChanging(int colCount, int rowCount);
    // Told after the row or column count changed.
    virtual void sizeChanged() {}

    // Removes a data row; the current row keeps its cells where it can.
    void removeRow(int row);
    // Reorders the data rows (see StringGridCells::permuteRows) and refreshes the view.
    void permuteRows(const std::vector<int> &order);

private:
    StringGridCells m_cells;
    StringGridModel *m_model = nullptr;
};
