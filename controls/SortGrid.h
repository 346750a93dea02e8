#pragma once

#include "controls/MyGrids.h"
#include "controls/SortCompare.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QMessageBox>

#include <functional>

class SortGridHeader;

enum TVertAlignment {
    taTopJustify,
    taBottomJustify,
    taMiddle
};

enum TCellBevelStyle {
    cbNone,
    cbRaised,
    cbLowered
};

// The look of one cell, prepared by the grid and adjusted by OnGetCellFormat.
struct TFormatOptions
{
    QBrush Brush;
    QFont Font;
    QColor FontColor;
    Qt::Alignment AlignmentHorz = Qt::AlignLeft;
    TVertAlignment AlignmentVert = taMiddle;
};

// The string grid that holds the results protocol: sorting by a column (also by a header click,
// with a direction arrow), per-cell formatting, a row-selection notification, row deletion that
// keeps one data row, a semicolon-separated writer, a jump to a row by a typed character, and
// column fitting by a double click on a header border.
//
// Events whose handler changes a parameter are std::function members, called with the grid as
// Sender. Plain notifications are Qt signals: OnRowSelected, OnRowDelete, OnEndUpdate, and
// OnDblClick of the grid base.
class TSortGrid : public TMyStringGrid
{
    Q_OBJECT

public:
    using TFormatDrawCellEvent = std::function<void(TSortGrid *Sender, int Col, int Row, GridDrawState State,
                                                    TFormatOptions &FormatOptions)>;
    using TGetSortStyleEvent = std::function<void(TSortGrid *Sender, int Col, TSortStyle &SortStyle)>;

    explicit TSortGrid(QWidget *parent = nullptr);
    ~TSortGrid() override;

    TSortOptions &SortOptions() { return m_options; }
    const TSortOptions &SortOptions() const { return m_options; }

    Qt::Alignment AlignmentHorz() const { return m_alignmentHorz; }
    void setAlignmentHorz(Qt::Alignment alignment);
    TVertAlignment AlignmentVert() const { return m_alignmentVert; }
    void setAlignmentVert(TVertAlignment alignment);
    TCellBevelStyle BevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(TCellBevelStyle style);

    // Set by DeleteRow; the grid never clears it.
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    // True while a sort runs; data cells are then painted empty.
    bool isUpdating() const { return m_updating; }

    // Sorts the data rows by col (see TSortOptions); nothing when CanSort is false.
    void SortByColumn(int col);
    // Deletes a data row; the last remaining one is cleared instead. Rows outside 1..RowCount-1
    // are ignored.
    void DeleteRow(int row);
    // Writes every row as a CSV line (see ProtocolFormat::csvLine), in Windows-1252. On failure
    // shows "Can't write to file:" with the path and returns false.
    bool SaveToFile(const QString &path);

    // Fits column col to its widest text, as a double click on its header border does.
    void autoSizeColumn(int col);
    // The caption of column col as the header paints it, shortened to the room it has.
    QString displayCaption(int col) const;

    TFormatDrawCellEvent OnGetCellFormat;
    TGetSortStyleEvent OnGetSortStyle;

signals:
    void OnRowSelected();
    void OnRowDelete(int Row);
    void OnEndUpdate();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void rowSelected() override;
    bool sizeChanging(int colCount, int rowCount) override;
    void sizeChanged() override;

private:
    friend class SortGridHeader;
    friend class SortGridDelegate;

    void headerReleased(int col, Qt::MouseButton button);
    TFormatOptions cellFormat(int col, int row, GridDrawState state) const;
    void paintCell(QPainter *painter, const QRect &rect, int col, int row, GridDrawState state) const;
    QString headerCaption(int col, const QFontMetrics &metrics) const;
    void showMessage(QMessageBox::Icon icon, const QString &text);

    TSortOptions m_options;
    Qt::Alignment m_alignmentHorz = Qt::AlignLeft;
    TVertAlignment m_alignmentVert = taMiddle;
    TCellBevelStyle m_bevelStyle = cbNone;
    bool m_modified = false;
    bool m_updating = false;
    bool m_sizeChangeSuspended = false;
    QImage m_arrowUp;
    QImage m_arrowDown;
    SortGridHeader *m_header = nullptr;
};
