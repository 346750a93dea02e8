#include "controls/SortGrid.h"

#include "controls/MessageBox.h"

#include "protocol/ProtocolFiles.h"

#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// A press this close to a column border starts a resize instead of a header click.
constexpr int ResizeZone = 5;
// A double click this close to a border fits the column.
constexpr int FitZone = 3;
// Room the arrow takes in the sort column's header.
constexpr int ArrowRoom = 12;
constexpr int ArrowShift = 10;
constexpr int ArrowLeft = 3;
constexpr int ArrowWidth = 8;
constexpr int ArrowHeight = 7;

// The sort arrows, 8 by 7 pixels.
QImage makeArrow(bool up)
{
    static constexpr int halfWidths[ArrowHeight] = {1, 1, 2, 2, 3, 3, 4};
    QImage image(ArrowWidth, ArrowHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QRgb gray = qRgb(0x80, 0x80, 0x80);
    for (int y = 0; y < ArrowHeight; ++y) {
        const int half = halfWidths[up ? y : ArrowHeight - 1 - y];
        for (int x = ArrowWidth / 2 - half; x < ArrowWidth / 2 + half; ++x)
            image.setPixel(x, y, gray);
    }
    return image;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The header paints row 0 and turns clicks into sorts; its own resize handling keeps the zones
// exact: 5 pixels around a border resize, 3 pixels fit the column on a double click.

class SortGridHeader : public QHeaderView
{
public:
    explicit SortGridHeader(TSortGrid *grid)
        : QHeaderView(Qt::Horizontal, grid)
        , m_grid(grid)
    {
        setMouseTracking(true);
    }

    QSize sizeHint() const override
    {
        QSize size = QHeaderView::sizeHint();
        size.setHeight(m_grid->defaultRowHeight() + 1);
        return size;
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        painter->save();
        m_grid->paintCell(painter, rect.adjusted(0, 0, -1, -1), logicalIndex, 0, gdFixed);
        painter->setClipping(false);
        painter->setPen(palette().color(QPalette::Active, QPalette::Dark));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->restore();
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        const int x = event->position().toPoint().x();
        m_pressButton = event->button();
        m_pressCol = logicalIndexAt(x);
        m_pressNearBorder = borderNear(x, ResizeZone) >= 0;
        m_resizeCol = -1;
        if (event->button() == Qt::LeftButton && m_pressNearBorder) {
            m_resizeCol = borderNear(x, ResizeZone);
            m_resizeStartX = x;
            m_resizeStartWidth = sectionSize(m_resizeCol);
        }
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        const int x = event->position().toPoint().x();
        if (m_resizeCol >= 0 && (event->buttons() & Qt::LeftButton)) {
            resizeSection(m_resizeCol,
                          std::max(minimumSectionSize(), m_resizeStartWidth + x - m_resizeStartX));
        } else if (borderNear(x, ResizeZone) >= 0) {
            viewport()->setCursor(Qt::SplitHCursor);
        } else {
            viewport()->unsetCursor();
        }
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const QPoint pos = event->position().toPoint();
        const bool resized = m_resizeCol >= 0;
        const Qt::MouseButton pressed = m_pressButton;
        m_resizeCol = -1;
        m_pressButton = Qt::NoButton;
        event->accept();
        if (resized || m_pressNearBorder || event->button() != pressed || !viewport()->rect().contains(pos))
            return;
        const int col = logicalIndexAt(pos.x());
        if (col < 0 || col != m_pressCol || borderNear(pos.x(), ResizeZone) >= 0)
            return;
        m_grid->headerReleased(col, event->button());
    }

    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton) {
            const int col = borderNear(event->position().toPoint().x(), FitZone);
            if (col >= 0)
                m_grid->autoSizeColumn(col);
        }
        // The second press of a double click is a press like any other.
        mousePressEvent(event);
    }

private:
    // The column whose right border (its grid line) is nearest to x within distance, or -1.
    int borderNear(int x, int distance) const
    {
        int found = -1;
        int nearest = distance + 1;
        for (int col = 0; col < count(); ++col) {
            if (isSectionHidden(col))
                continue;
            const int line = sectionViewportPosition(col) + sectionSize(col) - 1;
            const int gap = std::abs(x - line);
            if (gap < nearest) {
                nearest = gap;
                found = col;
            }
        }
        return found;
    }

    TSortGrid *m_grid;
    Qt::MouseButton m_pressButton = Qt::NoButton;
    int m_pressCol = -1;
    bool m_pressNearBorder = false;
    int m_resizeCol = -1;
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
};

// ---------------------------------------------------------------------------------------------
// The delegate paints data cells through the grid.

class SortGridDelegate : public QStyledItemDelegate
{
public:
    explicit SortGridDelegate(TSortGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        GridDrawState state;
        if (option.state & QStyle::State_Selected)
            state |= gdSelected;
        if (option.state & QStyle::State_HasFocus)
            state |= gdFocused;
        painter->save();
        m_grid->paintCell(painter, option.rect, index.column(), index.row() + 1, state);
        painter->restore();
    }

private:
    TSortGrid *m_grid;
};

// ---------------------------------------------------------------------------------------------
// TSortGrid

TSortGrid::TSortGrid(QWidget *parent)
    : TMyStringGrid(parent)
    , m_arrowUp(makeArrow(true))
    , m_arrowDown(makeArrow(false))
    , m_header(new SortGridHeader(this))
{
    setGridHeader(m_header);
    setItemDelegate(new SortGridDelegate(this));
}

TSortGrid::~TSortGrid() = default;

void TSortGrid::setAlignmentHorz(Qt::Alignment alignment)
{
    m_alignmentHorz = alignment & Qt::AlignHorizontal_Mask;
    viewport()->update();
    m_header->viewport()->update();
}

void TSortGrid::setAlignmentVert(TVertAlignment alignment)
{
    m_alignmentVert = alignment;
    viewport()->update();
    m_header->viewport()->update();
}

void TSortGrid::setBevelStyle(TCellBevelStyle style)
{
    m_bevelStyle = style;
    viewport()->update();
}

void TSortGrid::SortByColumn(int col)
{
    if (!m_options.CanSort)
        return;

    // Begin the update: nothing is drawn or accepted until the rows are back in place.
    struct Update
    {
        explicit Update(TSortGrid &grid)
            : m_grid(grid)
            , m_wasDisabled(grid.testAttribute(Qt::WA_ForceDisabled))
            , m_hadFocus(grid.hasFocus())
        {
            m_grid.m_updating = true;
            m_grid.m_sizeChangeSuspended = true;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_grid.setUpdatesEnabled(false);
            m_grid.setEnabled(false);
        }
        ~Update()
        {
            // Only a grid disabled by itself stays disabled; one disabled by its window follows it.
            m_grid.setEnabled(!m_wasDisabled);
            // Disabling took the keyboard focus away.
            if (m_hadFocus)
                m_grid.setFocus(Qt::OtherFocusReason);
            m_grid.setUpdatesEnabled(true);
            m_grid.updateGeometries();
            m_grid.viewport()->update();
            m_grid.m_header->viewport()->update();
            QApplication::restoreOverrideCursor();
            m_grid.m_updating = false;
            m_grid.m_sizeChangeSuspended = false;
        }
        Update(const Update &) = delete;
        Update &operator=(const Update &) = delete;

        TSortGrid &m_grid;
        bool m_wasDisabled;
        bool m_hadFocus;
    };

    {
        const Update update(*this);
        const int selected = Row();
        SortStyleQuery query;
        if (OnGetSortStyle)
            query = [this](int key, TSortStyle &style) { OnGetSortStyle(this, key, style); };
        const std::vector<int> order = sortOrder(cellStore(), col, m_options, query);
        permuteRows(order);
        // The selected row keeps its selection where it went.
        const auto moved = std::find(order.begin(), order.end(), selected);
        if (selected > 0 && moved != order.end() && int(moved - order.begin()) != selected)
            setRow(int(moved - order.begin()));
    }
    emit OnEndUpdate();
}

void TSortGrid::DeleteRow(int row)
{
    if (row < 1 || row >= RowCount())
        return;
    m_modified = true;
    if (RowCount() < 3)
        setRows(1, QStringList());
    else
        removeRow(row);
    emit OnRowDelete(row);
}

bool TSortGrid::SaveToFile(const QString &path)
{
    QString text;
    for (int row = 0; row < RowCount(); ++row)
        text += ProtocolFormat::csvLine(Rows(row));
    if (writeFileAtomically(path, toAnsi(text)))
        return true;
    showMessage(QMessageBox::Critical, QStringLiteral("Can't write to file:") + u'\r' + path);
    return false;
}

void TSortGrid::autoSizeColumn(int col)
{
    if (col < 0 || col >= ColCount())
        return;
    int widest = 0;
    for (int row = 0; row < RowCount(); ++row) {
        const QString text = Cells(col, row);
        if (text.isEmpty())
            continue;
        GridDrawState state;
        if (row == 0)
            state = gdFixed;
        else if (row == Row())
            state = gdSelected;
        int width = QFontMetrics(cellFormat(col, row, state).Font).horizontalAdvance(text);
        if (row == 0 && col == m_options.SortCol)
            width += ArrowRoom;
        widest = std::max(widest, width);
    }
    const QFontMetrics metrics(font());
    setColWidths(col, widest > 0 ? widest + metrics.horizontalAdvance(u'X')
                                 : metrics.horizontalAdvance(QStringLiteral("xx")));
}

QString TSortGrid::displayCaption(int col) const
{
    return headerCaption(col, QFontMetrics(cellFormat(col, 0, gdFixed).Font));
}

QString TSortGrid::headerCaption(int col, const QFontMetrics &metrics) const
{
    const bool sortColumn = m_options.CanSort && col == m_options.SortCol;
    const int room = ColWidths(col) - (sortColumn ? ArrowRoom : 1);
    return shortenCaption(Cells(col, 0), room,
                          [&](const QString &text) { return metrics.horizontalAdvance(text); });
}

void TSortGrid::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (text.size() == 1 && text.at(0).isPrint() && !command) {
        const int row = findRowByChar(cellStore(), m_options.SortCol, Row(), text.at(0));
        if (row > 0)
            setRow(row);
        event->accept();
        return;
    }
    TMyStringGrid::keyPressEvent(event);
}

void TSortGrid::rowSelected()
{
    emit OnRowSelected();
}

bool TSortGrid::sizeChanging(int colCount, int rowCount)
{
    // The grid always keeps its header and one data row.
    if (rowCount < 2) {
        showMessage(QMessageBox::NoIcon, QStringLiteral("Rowsize too small"));
        return false;
    }
    return TMyStringGrid::sizeChanging(colCount, rowCount);
}

void TSortGrid::sizeChanged()
{
    if (m_options.UpdateOnSizeChange && !m_sizeChangeSuspended)
        SortByColumn(m_options.SortCol);
}

void TSortGrid::headerReleased(int col, Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        m_options.SortDirection = sdDescending;
    } else if (button == Qt::LeftButton) {
        if (m_options.SortDirection == sdDescending)
            m_options.SortDirection = sdAscending;
        else if (col == m_options.SortCol)
            m_options.SortDirection = sdDescending;
    } else {
        return;
    }
    SortByColumn(col);
}

TFormatOptions TSortGrid::cellFormat(int col, int row, GridDrawState state) const
{
    const QPalette &colors = palette();
    TFormatOptions format;
    if (state & gdFixed) {
        format.Brush = colors.brush(QPalette::Active, QPalette::Button);
        format.FontColor = colors.color(QPalette::Active, QPalette::ButtonText);
    } else if (state & gdSelected) {
        format.Brush = colors.brush(QPalette::Active, QPalette::Highlight);
        format.FontColor = colors.color(QPalette::Active, QPalette::HighlightedText);
    } else {
        format.Brush = colors.brush(QPalette::Active, QPalette::Base);
        format.FontColor = colors.color(QPalette::Active, QPalette::Text);
    }
    format.Font = font();
    format.AlignmentHorz = m_alignmentHorz;
    format.AlignmentVert = m_alignmentVert;
    if (OnGetCellFormat) {
        // Handlers receive the grid as Sender, as they do for every other event.
        OnGetCellFormat(const_cast<TSortGrid *>(this), col, row, state, format);
    }
    return format;
}

void TSortGrid::paintCell(QPainter *painter, const QRect &rect, int col, int row, GridDrawState state) const
{
    const bool header = row == 0;
    if (!header && m_updating) {
        painter->fillRect(rect, state & gdSelected ? palette().brush(QPalette::Active, QPalette::Highlight)
                                                   : palette().brush(QPalette::Active, QPalette::Base));
        return;
    }
    const TFormatOptions format = cellFormat(col, row, state);
    painter->fillRect(rect, format.Brush);

    const TCellBevelStyle bevel = header ? cbRaised : m_bevelStyle;
    if (bevel != cbNone) {
        const QColor light = palette().color(QPalette::Active, QPalette::Light);
        const QColor dark = palette().color(QPalette::Active, QPalette::Mid);
        painter->setPen(bevel == cbRaised ? light : dark);
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        if (!header) {
            painter->setPen(bevel == cbRaised ? dark : light);
            painter->drawLine(rect.bottomLeft(), rect.bottomRight());
            painter->drawLine(rect.topRight(), rect.bottomRight());
        }
    }

    const QFontMetrics metrics(format.Font);
    const QString text = header ? headerCaption(col, metrics) : Cells(col, row);
    const int textWidth = metrics.horizontalAdvance(text);
    const int textHeight = metrics.height();
    int x = 2;
    if (format.AlignmentHorz & Qt::AlignRight)
        x = rect.width() - textWidth - 2;
    else if (format.AlignmentHorz & Qt::AlignHCenter)
        x = (rect.width() - textWidth) / 2;
    int y = (rect.height() - textHeight) / 2;
    if (format.AlignmentVert == taTopJustify)
        y = 2;
    else if (format.AlignmentVert == taBottomJustify)
        y = rect.height() - textHeight - 3;

    if (header && m_options.CanSort && col == m_options.SortCol) {
        x += ArrowShift;
        const int width = rect.width() <= 10 ? rect.width() - 3 : ArrowWidth;
        if (width > 0) {
            const QImage &arrow = m_options.SortDirection == sdAscending ? m_arrowUp : m_arrowDown;
            const int top = rect.top() + (rect.height() - ArrowHeight) / 2;
            painter->drawImage(QRect(rect.left() + ArrowLeft, top, width, ArrowHeight), arrow,
                               QRect(0, 0, width, ArrowHeight));
        }
    }

    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setFont(format.Font);
    painter->setPen(format.FontColor);
    painter->drawText(rect.left() + x, rect.top() + y + metrics.ascent(), text);
}

void TSortGrid::showMessage(QMessageBox::Icon icon, const QString &text)
{
    // The carriage return separates the lines of the message; a Qt label breaks lines at "\n".
    QString shown = text;
    shown.replace(u'\r', u'\n');
    MessageBox::show(icon, this, QApplication::applicationDisplayName(), shown);
}
