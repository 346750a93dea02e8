#pragma once

#include "protocol/ProtocolFiles.h"

#include <QByteArray>
#include <QDate>
#include <QFont>
#include <QPageRanges>
#include <QRect>
#include <QString>

#include <array>

class QPainter;

// The pages a composition draws on: the engine while previewing, a recorder in tests. The canvas
// works in page units of 0.1 mm from the paper's top-left corner.
class PageSink
{
public:
    virtual ~PageSink() = default;
    virtual QPainter &canvas() = 0;
    virtual void newPage() = 0;
};

// A canvas font size S is an em height of S * dpi / 72 page units, dpi being the screen's
// logical resolution: the size a font of S points gets on a 0.1 mm page.
int canvasFontPixels(int size, qreal screenDpi);

// What the protocol pages print: the protocol as the grid shows it (row 0 the captions), the
// protocol's name for the title, and the date panel's caption for the date line.
struct ProtocolPrintData
{
    ProtocolFormat::Table table;
    QString protocolName;
    QString dateCaption;
};

// Composes the protocol table onto as many pages as it needs. Each page has the date line, the
// title, a frame with column lines, the captions and "Seite: n"; the last carries the totals.
class ProtocolComposer
{
public:
    ProtocolComposer(PageSink &sink, const QRect &marginRect, qreal screenDpi);

    // Composes from the first page on; the sink's current page is page 1.
    void ComposeProtocol(const ProtocolPrintData &data);

    int TableFontSize = 0;
    int PageNumber = 0;
    std::array<int, 21> ColumnX = {};

private:
    void MeasureColumns();
    void DrawProtocolPageFrame();
    QString columnText(int col, int row) const;
    void drawColumn(int col, int row, int y);
    void drawText(int x, int y, const QString &text);
    void setFont(const QString &name, int size, bool bold);
    int textWidth(const QString &text) const;
    int textHeight() const;
    void composeUnfitting();

    PageSink &m_sink;
    QRect m_r; // the margin rectangle, right and bottom inclusive as the page counts them
    qreal m_screenDpi;
    const ProtocolPrintData *m_data = nullptr;
    int m_colCount = 0;
    int m_frameTop = 0, m_frameBottom = 0;
    int m_y = 0;
};

// What the certificates print: one page per protocol row from..to (1-based grid rows in the grid's
// current order; none when to < from), of these only the rows listed in rows unless it is empty, the
// date for "Datum" and the protocol's name.
struct CertificatePrintData
{
    ProtocolFormat::Table table;
    QString protocolName;
    QDate date;
    int fromRow = 1;
    int toRow = 0;
    QPageRanges rows = {};
};

// The text a field of the given kind prints for protocol row row.
QString certificateText(int kind, const CertificatePrintData &data, int row, const QString &ownText);

// Composes one certificate per row of the range with the layout's enabled fields at their
// millimetre positions. The data fields of layout keep the texts of the last certificate.
void ComposeCertificates(PageSink &sink, QByteArray &layout, const CertificatePrintData &data,
                         qreal screenDpi);
