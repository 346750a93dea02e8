// Printing of the print preview engine: the printer's paper and the print job.
#include "printing/Preview.h"

#include "platform/SharedPrinter.h"

#include <QCoreApplication>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <utility>

namespace {

// A failed print job; the print loop discards the job on it.
class EPrintFailed : public std::exception
{};

} // namespace

bool TPrintPreview::PrinterInstalled()
{
    const QPrinter &printer = sharedPrinter();
    return !printer.outputFileName().isEmpty() || !QPrinterInfo::availablePrinterNames().isEmpty();
}

void TPrintPreview::ApplyPrinterSettings()
{
    if (!PrinterInstalled())
        return;
    QPrinter &printer = sharedPrinter();
    if (printer.outputFileName().isEmpty()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (!names.contains(printer.printerName())) {
            const QString fallback = QPrinterInfo::defaultPrinterName();
            printer.setPrinterName(fallback.isEmpty() ? names.value(0) : fallback);
        }
    }
    QPageSize size;
    if (m_paperType == pCustom) {
        int width = ConvertUnits(m_paperWidth, m_deviceDpiX, m_units, mmLoMetric);
        int height = ConvertUnits(m_paperHeight, m_deviceDpiY, m_units, mmLoMetric);
        // The paper is given upright; the orientation turns it.
        if (m_orientation == poLandscape)
            std::swap(width, height);
        size = QPageSize(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    } else {
        const TPaperSizeInfo &paper = PaperTable[m_paperType];
        const QPageSize::PageSizeId id = QPageSize::id(paper.ID);
        size = id != QPageSize::Custom ? QPageSize(id)
                                       : QPageSize(QSizeF(paper.Width / 10.0, paper.Height / 10.0),
                                                   QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    }
    printer.setPageLayout(
        QPageLayout(size, m_orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(0, 0, 0, 0)));
    // After the layout, which would bring back the standard mode: the painter starts at the
    // paper's corner and the whole paper is the printable area.
    printer.setFullPage(true);
}

QRect TPrintPreview::PrintingOffsetRect() const
{
    const QPrinter &printer = sharedPrinter();
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    const int x = printable.left(), y = printable.top();
    return QRect(QPoint(-x, -y), QPoint(printable.width() + x, printable.height() + y));
}

TPrintResult TPrintPreview::PrintAll()
{
    return PrintRange(1, PageCount());
}

void TPrintPreview::AbortPrint()
{
    if (m_state == psPrinting)
        m_abortRequested = true;
}

bool TPrintPreview::printAborted() const
{
    return m_abortRequested || sharedPrinter().printerState() == QPrinter::Aborted;
}

TPrintResult TPrintPreview::PrintRange(int fromPage, int toPage)
{
    const int count = PageCount();
    fromPage = qBound(1, fromPage, qMax(1, count));
    toPage = qMin(toPage, count);
    TPrintResult result = prPrinted;
    if (count == 0 || fromPage > toPage)
        result = prNothingToPrint;
    else if (m_state != psIdle)
        result = prBusy;
    else if (!PrinterInstalled())
        result = prNoPrinter;
    if (result != prPrinted)
        return result;

    m_state = psPrinting;
    m_abortRequested = false;
    QPrinter &printer = sharedPrinter();
    // The job's paper is the composed page; the printer keeps the operator's paper and its
    // printable area, so the next composition and the next job come out the same.
    QPageLayout operatorLayout = printer.pageLayout();
    const bool operatorFullPage = printer.fullPage();
    QPainter painter;
    bool started = false;
    try {
        ApplyPrinterSettings();
        const QRect sheet = PrintingOffsetRect();
        printer.setDocName(m_printJobTitle);
        if (!painter.begin(&printer))
            throw EPrintFailed();
        started = true;
        m_printCanvas = &painter;
        // In full-page mode the painter starts at the paper's corner, the sheet rectangle at
        // the printable area's.
        const QRectF target = QRectF(sheet).translated(-sheet.topLeft());
        for (int page = fromPage; page <= toPage; ++page) {
            if (printAborted())
                throw EAbortPrint();
            DrawPage(painter, m_store.LoadPage(page - 1), target);
            emit pagePrinted(page - fromPage + 1, toPage - fromPage + 1);
            QCoreApplication::processEvents();
            if (printAborted())
                throw EAbortPrint();
            if (page != toPage && !printer.newPage())
                throw EPrintFailed();
        }
        m_printCanvas = nullptr;
        if (!painter.end() || printer.printerState() == QPrinter::Error)
            result = prFailed;
    } catch (const EAbortPrint &) {
        result = prAborted;
    } catch (...) {
        result = prFailed;
    }
    m_printCanvas = nullptr;
    if (result != prPrinted && started) {
        // The job is discarded: a spooler drops it, a half-written output file is removed.
        printer.abort();
        if (painter.isActive())
            painter.end();
        if (!printer.outputFileName().isEmpty())
            QFile::remove(printer.outputFileName());
    }
    printer.setDocName(QString());
    operatorLayout.setOrientation(printer.pageLayout().orientation()); // the preview's choice holds
    printer.setPageLayout(operatorLayout);
    printer.setFullPage(operatorFullPage);
    m_state = psIdle;
    m_abortRequested = false;
    emit printFinished(result);
    return result;
}
