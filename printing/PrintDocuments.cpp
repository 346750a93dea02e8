#include "printing/PrintDocuments.h"

#include "printing/CertLayout.h"
#include "protocol/ResultsTable.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <utility>

namespace {

constexpr int MaxColumns = 20;
constexpr int LargestTableFont = 63;
// The table may reach this far past the right margin.
constexpr int RightOverhang = 5;
// Gap between a column line and its text.
constexpr int CellInset = 5;

// A rectangle outline whose lines run through the given corners.
QRectF outline(int left, int top, int right, int bottom)
{
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

bool rightAligned(int col)
{
    return col == Results::ColNr || col == Results::ColPlace;
}

} // namespace

int canvasFontPixels(int size, qreal screenDpi)
{
    return qMax(1, qRound(size * screenDpi / 72.0));
}

ProtocolComposer::ProtocolComposer(PageSink &sink, const QRect &marginRect, qreal screenDpi)
    : m_sink(sink)
    , m_r(marginRect)
    , m_screenDpi(screenDpi)
{
    registerCertFontSubstitutes();
}

void ProtocolComposer::setFont(const QString &name, int size, bool bold)
{
    QFont font(name);
    font.setPixelSize(canvasFontPixels(size, m_screenDpi));
    font.setBold(bold);
    // Widths are measured once and printed at any resolution: hinting would tie them to one.
    font.setHintingPreference(QFont::PreferNoHinting);
    m_sink.canvas().setFont(font);
}

int ProtocolComposer::textWidth(const QString &text) const
{
    return qRound(QFontMetricsF(m_sink.canvas().font()).horizontalAdvance(text));
}

int ProtocolComposer::textHeight() const
{
    return qRound(QFontMetricsF(m_sink.canvas().font()).height());
}

// Text is placed by its top-left corner, on a transparent background.
void ProtocolComposer::drawText(int x, int y, const QString &text)
{
    QPainter &canvas = m_sink.canvas();
    canvas.drawText(QPointF(x, y + QFontMetricsF(canvas.font()).ascent()), text);
}

void ProtocolComposer::MeasureColumns()
{
    ColumnX.fill(0);
    ColumnX[0] = m_r.left();
    const ProtocolFormat::Table &cells = m_data->table;
    for (int c = 0; c < m_colCount; ++c) {
        int widest = 0;
        for (int r = 0; r < int(cells.size()); ++r)
            widest = qMax(widest, textWidth(columnText(c, r)) + 10);
        ColumnX[c + 1] = ColumnX[c] + widest;
    }
}

// A horse prints after a blank; the column is measured with it, so the name stays inside.
QString ProtocolComposer::columnText(int col, int row) const
{
    QString text = m_data->table.value(row).value(col);
    if (row > 0 && col == Results::ColHorse)
        text.prepend(u' ');
    return text;
}

void ProtocolComposer::drawColumn(int col, int row, int y)
{
    const QString text = columnText(col, row);
    const int x =
        rightAligned(col) ? ColumnX[col + 1] - CellInset - textWidth(text) : ColumnX[col] + CellInset;
    drawText(x, y, text);
}

void ProtocolComposer::DrawProtocolPageFrame()
{
    QPainter &canvas = m_sink.canvas();
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(Qt::black, 1)); // one page unit, whatever the printer's resolution
    setFont(QStringLiteral("Times New Roman"), (TableFontSize / 4) * 3, false);
    m_frameTop = m_r.top();
    m_frameBottom = m_r.bottom();

    const QString &date = m_data->dateCaption;
    drawText(m_r.right() - textWidth(date), m_r.top() - textHeight(), date);

    setFont(QStringLiteral("Times New Roman"), TableFontSize, true);
    const QString &title = m_data->protocolName;
    drawText(m_r.left() + (m_r.right() - m_r.left() - textWidth(title)) / 2, m_r.top(), title);
    const int h = textHeight();
    m_frameTop = m_r.top() + h;

    ++PageNumber;
    const QString page = QStringLiteral("Seite: ") + QString::number(PageNumber);
    m_frameBottom = m_r.bottom() - h;
    drawText(m_r.right() - textWidth(page), m_frameBottom, page);
    drawText(m_r.left(), m_frameBottom, QStringLiteral("Korvell"));

    for (int c = 0; c < m_colCount; ++c)
        canvas.drawLine(ColumnX[c], m_frameTop, ColumnX[c], m_frameBottom);
    canvas.drawRect(outline(m_r.left(), m_frameTop, m_r.right(), m_frameBottom));
    canvas.drawRect(outline(m_r.left(), m_frameTop, m_r.right(), m_frameTop + h));

    setFont(QStringLiteral("Courier New"), TableFontSize, false);
    for (int c = 0; c < m_colCount; ++c)
        drawColumn(c, 0, m_frameTop);
    m_y = m_frameTop + h;
}

void ProtocolComposer::ComposeProtocol(const ProtocolPrintData &data)
{
    m_data = &data;
    const ProtocolFormat::Table &cells = data.table;
    m_colCount = qMin(int(cells.value(0).size()), MaxColumns);
    // Each page has a canvas of its own: never hold one across a page break.
    m_sink.canvas().setBrush(Qt::NoBrush);

    TableFontSize = 0;
    for (int size = LargestTableFont; size > 1; --size) {
        setFont(QStringLiteral("Courier New"), size, false);
        MeasureColumns();
        if (ColumnX[m_colCount] <= m_r.right() + RightOverhang) {
            TableFontSize = size;
            break;
        }
    }
    if (TableFontSize == 0) {
        composeUnfitting();
        return;
    }

    DrawProtocolPageFrame();
    bool rowOnPage = false;
    for (int row = 1; row < int(cells.size()); ++row) {
        setFont(QStringLiteral("Courier New"), TableFontSize, false);
        const int hc = textHeight();
        // A page too small for even one row still takes one, so the pages always move on.
        if (m_y >= m_frameBottom - hc && rowOnPage) {
            m_sink.newPage();
            DrawProtocolPageFrame();
            setFont(QStringLiteral("Courier New"), TableFontSize, false);
            rowOnPage = false;
        }
        for (int c = 0; c < m_colCount; ++c)
            drawColumn(c, row, m_y);
        m_y += hc;
        rowOnPage = true;
    }

    const Results::Totals totals = Results::CountTotals(cells);
    setFont(QStringLiteral("Courier New"), TableFontSize, true);
    drawText(ColumnX[1], m_y, QStringLiteral(" Gesamt:"));
    const QString entries = QString::number(totals.EntryCount) + u' ';
    drawText(ColumnX[2] - textWidth(entries), m_y, entries);
    const QString horses = QString::number(totals.DistinctHorses);
    drawText((ColumnX[2] + ColumnX[3] - textWidth(horses)) / 2, m_y, horses);
    drawText(ColumnX[3] + CellInset, m_y, u' ' + QString::number(totals.DistinctTimes));
    m_sink.canvas().drawRect(outline(m_r.left(), m_y, m_r.right(), m_y + 1));
}

// A table wider than the page at every size: one page that says so, rather than none.
void ProtocolComposer::composeUnfitting()
{
    setFont(QStringLiteral("Times New Roman"), 24, true);
    drawText(m_r.left(), m_r.top(), m_data->protocolName);
    setFont(QStringLiteral("Times New Roman"), 12, false);
    drawText(m_r.left(), m_r.top() + 2 * textHeight(),
             QStringLiteral("Das Protokoll ist zu breit für die Seite: eine Zelle ist zu lang."));
}

QString certificateText(int kind, const CertificatePrintData &data, int row, const QString &ownText)
{
    const ProtocolFormat::Table &cells = data.table;
    // A time prints with its unit; no valid run prints nothing rather than a lone " sek.".
    auto seconds = [&](bool mean) {
        const Results::RunSummary runs = Results::summarizeRow(cells, row);
        if (runs.validRuns == 0)
            return QString();
        return Results::timeText(mean ? runs.meanHundredths : runs.best) + QStringLiteral(" sek.");
    };
    switch (kind) {
    case ckPlatz: return cells.value(row).value(Results::ColPlace);
    case ckMannschaft: return cells.value(row).value(Results::ColName);
    case ckLand: return cells.value(row).value(Results::ColHorse);
    case ckKreis: return cells.value(row).value(Results::ColTime);
    case ckDurchschnitt: return seconds(true);
    case ckBestzeit: return seconds(false);
    case ckDatum: return certDateText(data.date);
    case ckDateiname: return data.protocolName;
    default: return ownText;
    }
}

void ComposeCertificates(PageSink &sink, QByteArray &layout, const CertificatePrintData &data,
                         qreal screenDpi)
{
    // A record that cannot be printed as stored prints as its default.
    const std::array<CertPrintField, CertFieldCount> fields = certPrintFields(layout);
    bool firstPage = true;
    for (int row = data.fromRow; row <= data.toRow; ++row) {
        if (!data.rows.isEmpty() && !data.rows.contains(row))
            continue;
        if (!std::exchange(firstPage, false))
            sink.newPage();
        QPainter &canvas = sink.canvas();
        canvas.setBrush(Qt::NoBrush);
        for (const CertPrintField &field : fields) {
            if (!field.Enabled)
                continue;
            const QString text = certificateText(field.Kind, data, row, field.Text);
            if (field.Kind < ckFirstLine) {
                TCertField stored = certField(layout, field.Kind);
                stored.Text = text; // cut to the stored length when written
                setCertField(layout, field.Kind, stored);
            }
            // Sizes are stored in points; the canvas size that prints them so is 2.54 times that.
            QFont font = field.Font;
            font.setPixelSize(canvasFontPixels(int(std::nearbyint(font.pointSize() * 2.54)), screenDpi));
            font.setHintingPreference(QFont::PreferNoHinting);
            canvas.setFont(font);
            canvas.setPen(QPen(toQColor(field.FontColor), 1));
            const QFontMetricsF metrics(font);
            double x = field.Left * 10.0;
            const int width = qRound(metrics.horizontalAdvance(text));
            if (field.Align == caCenter)
                x -= width / 2.0;
            else if (field.Align == caRight)
                x -= width;
            canvas.drawText(QPointF(std::nearbyint(x), field.Top * 10 + metrics.ascent()), text);
        }
    }
}
