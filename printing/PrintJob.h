#pragma once

#include <QObject>
#include <QPageLayout>
#include <QRect>
#include <QString>

#include <exception>

class QPainter;
class QPrinter;
class TMetaFileList;

// What a print job came to; only prPrinted means every page went to the printer.
enum PrintResult {
    prPrinted,
    prNothingToPrint, // no pages in the range
    prBusy,           // composing or another job running
    prNoPrinter,      // no printer installed and no output file
    prAborted,        // the job was cancelled and discarded
    prFailed,         // the printer refused the job or a page; the job was discarded
};

// Raised inside the print loop to cancel a job; it never leaves the job.
class EAbortPrint : public std::exception
{
public:
    const char *what() const noexcept override { return ""; }
};

// True while the printer can print: a printer of the system is installed, or it writes to a file.
bool printerInstalled(const QPrinter &printer);

// Sends stored pages to the printer it is handed, each stretched onto the whole sheet of the job's
// paper. The printer keeps its own paper and printable area for later jobs; only the orientation
// of the job's paper stays. A failed or cancelled job is discarded: a spooler drops it, a
// half-written output file is removed. The job lets the application handle events after every
// page, so it can be cancelled from a slot while it runs.
class PrintJob : public QObject
{
    Q_OBJECT

public:
    PrintJob(QPrinter &printer, TMetaFileList &pages, QObject *parent = nullptr);

    void setTitle(const QString &title) { m_title = title; }
    // The paper of the job; the printer's own when none is given.
    void setPaper(const QPageLayout &paper) { m_paper = paper; }

    // Prints pages fromPage..toPage (1-based, within the store) and returns when the job has ended.
    PrintResult start(int fromPage, int toPage);
    // Cancels the running job after the page being sent.
    void cancel();
    bool isRunning() const { return m_canvas != nullptr; }
    // The printer's canvas while the job runs, in printer pixels.
    QPainter *canvas() const { return m_canvas; }

    // The printer is given the paper in full-page mode, on an installed printer when its own is gone.
    static void applyPaper(QPrinter &printer, const QPageLayout &paper);
    // The whole sheet in the printer's pixels, relative to the printable area.
    static QRect printingOffsetRect(const QPrinter &printer);

signals:
    // A page went to the printer: done of count.
    void progress(int done, int count);
    void printed();
    void aborted();
    void failed();

private:
    PrintResult run(int fromPage, int toPage);
    bool cancelled() const;

    QPrinter &m_printer;
    TMetaFileList &m_pages;
    QString m_title;
    QPageLayout m_paper;
    QPainter *m_canvas = nullptr;
    bool m_cancelRequested = false;
};
