#include "printing/PrintJob.h"

#include "printing/MetaFileList.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// A failed print job; the print loop discards the job on it.
class EPrintFailed : public std::exception
{};

} // namespace

bool printerInstalled(const QPrinter &printer)
{
    return !printer.outputFileName().isEmpty() || !QPrinterInfo::availablePrinterNames().isEmpty();
}

PrintJob::PrintJob(QPrinter &printer, TMetaFileList &pages, QObject *parent)
    : QObject(parent)
    , m_printer(printer)
    , m_pages(pages)
{}

void PrintJob::applyPaper(QPrinter &printer, const QPageLayout &paper)
{
    if (!printerInstalled(printer))
        return;
    if (printer.outputFileName().isEmpty()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (!names.contains(printer.printerName())) {
            const QString fallback = QPrinterInfo::defaultPrinterName();
            printer.setPrinterName(fallback.isEmpty() ? names.value(0) : fallback);
        }
    }
    printer.setPageLayout(paper);
    // After the layout, which would bring back the standard mode: the painter starts at the
    // paper's corner and the whole paper is the printable area.
    printer.setFullPage(true);
}

QRect PrintJob::printingOffsetRect(const QPrinter &printer)
{
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    const int x = printable.left(), y = printable.top();
    return QRect(QPoint(-x, -y), QPoint(printable.width() + x, printable.height() + y));
}

void PrintJob::cancel()
{
    if (isRunning())
        m_cancelRequested = true;
}

bool PrintJob::cancelled() const
{
    return m_cancelRequested || m_printer.printerState() == QPrinter::Aborted;
}

PrintResult PrintJob::start(int fromPage, int toPage)
{
    if (isRunning())
        return prBusy;
    if (fromPage < 1 || fromPage > toPage || toPage > m_pages.PageCount())
        return prNothingToPrint;
    if (!printerInstalled(m_printer))
        return prNoPrinter;
    // The job's paper is the composed page; the printer keeps the operator's paper and its
    // printable area, so the next composition and the next job come out the same.
    QPageLayout operatorLayout = m_printer.pageLayout();
    const bool operatorFullPage = m_printer.fullPage();
    const PrintResult result = run(fromPage, toPage);
    m_printer.setDocName(QString());
    operatorLayout.setOrientation(m_printer.pageLayout().orientation()); // the job's choice holds
    m_printer.setPageLayout(operatorLayout);
    m_printer.setFullPage(operatorFullPage);
    m_cancelRequested = false;
    switch (result) {
    case prPrinted: emit printed(); break;
    case prAborted: emit aborted(); break;
    default: emit failed(); break;
    }
    return result;
}

PrintResult PrintJob::run(int fromPage, int toPage)
{
    m_cancelRequested = false;
    PrintResult result = prPrinted;
    QPainter painter;
    bool started = false;
    try {
        applyPaper(m_printer, m_paper.isValid() ? m_paper : m_printer.pageLayout());
        const QRect sheet = printingOffsetRect(m_printer);
        m_printer.setDocName(m_title);
        if (!painter.begin(&m_printer))
            throw EPrintFailed();
        started = true;
        m_canvas = &painter;
        // In full-page mode the painter starts at the paper's corner, the sheet rectangle at
        // the printable area's.
        const QRectF target = QRectF(sheet).translated(-sheet.topLeft());
        for (int page = fromPage; page <= toPage; ++page) {
            if (cancelled())
                throw EAbortPrint();
            drawPage(painter, m_pages.LoadPage(page - 1), target);
            emit progress(page - fromPage + 1, toPage - fromPage + 1);
            QCoreApplication::processEvents();
            if (cancelled())
                throw EAbortPrint();
            if (page != toPage && !m_printer.newPage())
                throw EPrintFailed();
        }
        m_canvas = nullptr;
        if (!painter.end() || m_printer.printerState() == QPrinter::Error)
            result = prFailed;
    } catch (const EAbortPrint &) {
        result = prAborted;
    } catch (...) {
        result = prFailed;
    }
    m_canvas = nullptr;
    if (result != prPrinted && started) {
        m_printer.abort();
        if (painter.isActive())
            painter.end();
        if (!m_printer.outputFileName().isEmpty())
            QFile::remove(m_printer.outputFileName());
    }
    return result;
}
