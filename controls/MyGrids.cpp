#include "controls/MyGrids.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// StringGridCells

StringGridCells::StringGridCells(int colCount, int rowCount)
{
    setColCount(colCount);
    setRowCount(rowCount);
}

void StringGridCells::setColCount(int count)
{
    m_colCount = std::max(count, 0);
    for (QStringList &row : m_rows)
        row.resize(m_colCount);
}

void StringGridCells::setRowCount(int count)
{
    m_rows.resize(std::size_t(std::max(count, 0)));
    for (QStringList &row : m_rows)
        row.resize(m_colCount);
}

QString StringGridCells::Cells(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return QString();
    return m_rows[std::size_t(row)].at(col);
}

void StringGridCells::setCells(int col, int row, const QString &text)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return;
    m_rows[std::size_t(row)][col] = text;
}

QStringList StringGridCells::Rows(int row) const
{
    if (row < 0 || row >= RowCount())
        return QStringList(m_colCount, QString());
    return m_rows[std::size_t(row)];
}

void StringGridCells::setRows(int row, const QStringList &cells)
{
    if (row < 0 || row >= RowCount())
        return;
    QStringList &target = m_rows[std::size_t(row)];
    if (cells.size() == m_colCount) {
        target = cells; // shared, not copied
        return;
    }
    target = cells.mid(0, m_colCount);
    target.resize(m_colCount);
}

QStringList StringGridCells::Cols(int col) const
{
    QStringList cells;
    cells.reserve(RowCount());
    for (int row = 0; row < RowCount(); ++row)
        cells.append(Cells(col, row));
    return cells;
}

void StringGridCells::deleteRow(int row)
{
    if (row >= 0 && row < RowCount())
        m_rows.erase(m_rows.begin() + row);
}

void StringGridCells::clearRow(int row)
{
    if (row >= 0 && row < RowCount())
        m_rows[std::size_t(row)] = QStringList(m_colCount, QString());
}

void StringGridCells::permuteRows(const std::vector<int> &order)
{
    Q_ASSERT(order.size() == m_rows.size());
    std::vector<QStringList> rows;
    rows.reserve(m_rows.size());
    for (int from : order)
        rows.push_back(std::move(m_rows[std::size_t(from)]));
    m_rows = std::move(rows);
}

// ---------------------------------------------------------------------------------------------
// The model shows the data rows; row 0 is the horizontal header's text.

class StringGridModel : public QAbstractTableModel
{
public:
    StringGridModel(const StringGridCells &cells, QObject *parent)
        : QAbstractTableModel(parent)
        , m_cells(cells)
    {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : std::max(m_cells.RowCount() - 1, 0);
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_cells.ColCount();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return QVariant();
        return m_cells.Cells(index.column(), index.row() + 1);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return QVariant();
        if (orientation == Qt::Horizontal)
            return m_cells.Cells(section, 0);
        return section + 1;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    }

    void cellChanged(int col, int row)
    {
        if (row == 0)
            emit headerDataChanged(Qt::Horizontal, col, col);
        else
            emit dataChanged(index(row - 1, col), index(row - 1, col), {Qt::DisplayRole});
    }
    void rowChanged(int row)
    {
        if (m_cells.ColCount() == 0)
            return;
        if (row == 0)
            emit headerDataChanged(Qt::Horizontal, 0, m_cells.ColCount() - 1);
        else
            emit dataChanged(index(row - 1, 0), index(row - 1, m_cells.ColCount() - 1), {Qt::DisplayRole});
    }
    void dataRowsChanged()
    {
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
    }

    using QAbstractTableModel::beginInsertColumns;
    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginRemoveColumns;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::endInsertColumns;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endRemoveColumns;
    using QAbstractTableModel::endRemoveRows;

private:
    const StringGridCells &m_cells;
};

// ---------------------------------------------------------------------------------------------
// TMyCustomGrid

namespace {
constexpr int DefaultColWidth = 64;
constexpr int GridLine = 1;
} // namespace

TMyCustomGrid::TMyCustomGrid(QWidget *parent)
    : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setDragEnabled(false);
    setAutoScroll(true);
    // Right button events reach the mouse handlers, which open the grid's own menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(m_defaultRowHeight + GridLine);
    setGridHeader(horizontalHeader());
}

void TMyCustomGrid::setGridHeader(QHeaderView *header)
{
    header->setMinimumSectionSize(1);
    header->setDefaultSectionSize(DefaultColWidth + GridLine);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setContextMenuPolicy(Qt::PreventContextMenu);
    header->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    if (header != horizontalHeader())
        setHorizontalHeader(header);
}

void TMyCustomGrid::setDefaultRowHeight(int height)
{
    m_defaultRowHeight = std::max(height, 1);
    verticalHeader()->setDefaultSectionSize(m_defaultRowHeight + GridLine);
    for (int i = 0; i < verticalHeader()->count(); ++i)
        verticalHeader()->resizeSection(i, m_defaultRowHeight + GridLine);
    horizontalHeader()->updateGeometry();
    updateGeometries();
}

int TMyCustomGrid::ColWidths(int col) const
{
    return horizontalHeader()->sectionSize(col) - GridLine;
}

void TMyCustomGrid::setColWidths(int col, int width)
{
    horizontalHeader()->resizeSection(col, std::max(width, 0) + GridLine);
}

int TMyCustomGrid::clientWidth() const
{
    return viewport()->width();
}

int TMyCustomGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void TMyCustomGrid::setRow(int row)
{
    if (!model() || row < 1 || row > model()->rowCount())
        return;
    setCurrentRowSilently(row);
    scrollTo(currentIndex());
    rowSelected();
}

void TMyCustomGrid::setCurrentRowSilently(int row)
{
    if (!model() || !selectionModel() || row < 1 || row > model()->rowCount())
        return;
    const int col = std::max(currentIndex().column(), 0);
    const SilentRowChange silent(*this);
    selectionModel()->setCurrentIndex(model()->index(row - 1, col),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TMyCustomGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_silent == 0 && current.isValid() && current.row() != previous.row())
        rowSelected();
}

void TMyCustomGrid::mousePressEvent(QMouseEvent *event)
{
    // A right press leaves the current row alone: the menu acts on the row chosen before.
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    const int before = Row();
    QTableView::mousePressEvent(event);
    // A click on the row that is already current still counts as selecting it.
    if (event->button() == Qt::LeftButton && Row() == before &&
        indexAt(event->position().toPoint()).isValid())
        rowSelected();
}

void TMyCustomGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        if (m_popupMenu && indexAt(event->position().toPoint()).isValid())
            m_popupMenu->popup(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void TMyCustomGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit OnDblClick();
}

// ---------------------------------------------------------------------------------------------
// TMyStringGrid

TMyStringGrid::TMyStringGrid(QWidget *parent)
    : TMyCustomGrid(parent)
    , m_model(new StringGridModel(m_cells, this))
{
    setModel(m_model);
    setCurrentRowSilently(1);
}

TMyStringGrid::~TMyStringGrid() = default;

void TMyStringGrid::setCells(int col, int row, const QString &text)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount())
        return;
    m_cells.setCells(col, row, text);
    m_model->cellChanged(col, row);
}

void TMyStringGrid::setRows(int row, const QStringList &cells)
{
    if (row < 0 || row >= RowCount())
        return;
    m_cells.setRows(row, cells);
    m_model->rowChanged(row);
}

bool TMyStringGrid::sizeChanging(int colCount, int rowCount)
{
    return colCount >= 0 && rowCount >= 1;
}

void TMyStringGrid::setRowCount(int count)
{
    const int old = RowCount();
    if (count == old || !sizeChanging(ColCount(), count))
        return;
    const int current = Row();
    {
        const SilentRowChange silent(*this);
        if (count > old) {
            m_model->beginInsertRows(QModelIndex(), old - 1, count - 2);
            m_cells.setRowCount(count);
            m_model->endInsertRows();
        } else {
            m_model->beginRemoveRows(QModelIndex(), count - 1, old - 2);
            m_cells.setRowCount(count);
            m_model->endRemoveRows();
        }
        setCurrentRowSilently(std::min(std::max(current, 1), RowCount() - 1));
    }
    sizeChanged();
}

void TMyStringGrid::setColCount(int count)
{
    const int old = ColCount();
    if (count == old || !sizeChanging(count, RowCount()))
        return;
    const int current = Row();
    {
        const SilentRowChange silent(*this);
        if (count > old) {
            m_model->beginInsertColumns(QModelIndex(), old, count - 1);
            m_cells.setColCount(count);
            m_model->endInsertColumns();
        } else {
            m_model->beginRemoveColumns(QModelIndex(), count, old - 1);
            m_cells.setColCount(count);
            m_model->endRemoveColumns();
        }
        setCurrentRowSilently(std::min(std::max(current, 1), RowCount() - 1));
    }
    sizeChanged();
}

void TMyStringGrid::setTable(const QList<QStringList> &rows)
{
    qsizetype columns = 0;
    for (const QStringList &row : rows)
        columns = std::max(columns, row.size());
    setColCount(int(columns));
    setRowCount(int(rows.size()));
    if (RowCount() != rows.size() || ColCount() != columns)
        return; // refused
    for (qsizetype r = 0; r < rows.size(); ++r)
        m_cells.setRows(int(r), rows[r]);
    m_model->rowChanged(0);
    m_model->dataRowsChanged();
    updateGeometries(); // the scroll bars now, so the viewport has its final width for the columns
}

void TMyStringGrid::removeRow(int row)
{
    if (row < 1 || row >= RowCount())
        return;
    const int current = Row();
    const SilentRowChange silent(*this);
    m_model->beginRemoveRows(QModelIndex(), row - 1, row - 1);
    m_cells.deleteRow(row);
    m_model->endRemoveRows();
    // The current row keeps its cells; when it was the removed one, the row that took its place.
    const int next = current > row ? current - 1 : current;
    setCurrentRowSilently(std::min(std::max(next, 1), RowCount() - 1));
}

void TMyStringGrid::permuteRows(const std::vector<int> &order)
{
    m_cells.permuteRows(order);
    m_model->dataRowsChanged();
}
