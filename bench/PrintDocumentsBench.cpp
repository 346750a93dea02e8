// The documents of the preview window "Ansicht" at show size: 1,000 certificates and a protocol of
// 1,000 entries composed into the preview, the certificates printed to a PDF file, and paging at
// the end of the long document.
#include "platform/SharedPrinter.h"
#include "printing/CertLayout.h"
#include "printing/FPP.h"
#include "protocol/ProtocolFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Entries = 1000;

ProtocolFormat::Table protocol(int entries)
{
    ProtocolFormat::Table cells(entries + 1);
    cells[0] = QStringList({QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Pferd"),
                            QStringLiteral("Zeit"), QStringLiteral("Platz")});
    for (int i = 1; i <= entries; ++i)
        cells[i] = QStringList({QString::number(i), QStringLiteral("Reiterin %1 Muster").arg(i),
                                QStringLiteral("Stute %1").arg(i % 97),
                                QStringLiteral("%1,%2").arg(20 + i % 9).arg(i % 100), QString::number(i)});
    return cells;
}

// A preview window over a long protocol, with every certificate field printed.
struct Show
{
    ProtocolFormat::Table cells = protocol(Entries);
    QByteArray layout = QByteArray(CertLayoutSize, '\0');
    TFormPP form;

    explicit Show(int mode)
    {
        completeCertLayout(layout);
        for (int kind = 0; kind < CertFieldCount; ++kind) {
            TCertField field = certField(layout, kind);
            field.Enabled = true;
            setCertField(layout, kind, field);
        }
        form.setPrintSource([this] {
            return PrintSource{
                cells,  QStringLiteral("Stutenprüfung"), QStringLiteral("08.12.2026   10:15"), &layout, 1,
                Entries};
        });
        form.setDocumentMode(mode);
        form.resize(700, 900);
    }
};

void composeInto(benchmark::State &state, int mode, int expectedPages)
{
    Show show(mode);
    int peak = 0;
    for (auto _ : state) {
        PagePicture::resetPeakAlive();
        show.form.ComposeDocument();
        peak = qMax(peak, PagePicture::peakAlive());
    }
    const int pages = show.form.findChild<TPrintPreview *>(QStringLiteral("PrintPreview1"))->PageCount();
    if (expectedPages > 0 ? pages != expectedPages : pages < 2)
        state.SkipWithError("wrong page count");
    if (peak > 2)
        state.SkipWithError("more than two page pictures alive");
    state.counters["pages"] = pages;
    state.counters["pictures_peak"] = peak;
}

// Goal: at most 2 s.
void BM_ComposeCertificates(benchmark::State &state)
{
    composeInto(state, 1, Entries);
}
BENCHMARK(BM_ComposeCertificates)->Unit(benchmark::kMillisecond)->Iterations(3);

// Goal: at most 0.5 s.
void BM_ComposeProtocol(benchmark::State &state)
{
    composeInto(state, 0, 0);
}
BENCHMARK(BM_ComposeProtocol)->Unit(benchmark::kMillisecond)->Iterations(5);

// "Drucken" of 1,000 certificates into a PDF file at the printer's own resolution, progress dialog
// included. Goal: at most 10 s.
void BM_PrintCertificatesToPdf(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("urkunden.pdf"));
    QPrinter &printer = sharedPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    {
        Show show(1);
        show.form.ComposeDocument();
        auto *drucken = show.form.findChild<QPushButton *>(QStringLiteral("Button1"));
        PagePicture::resetPeakAlive();
        for (auto _ : state) {
            // As after the print dialog's question: the file of the iteration before is written over.
            show.form.setConfirmedOutputFile(path);
            drucken->click();
        }
        state.counters["pictures_peak"] = PagePicture::peakAlive();
        state.counters["pages"] =
            show.form.findChild<TPrintPreview *>(QStringLiteral("PrintPreview1"))->PageCount();
        state.counters["pdf_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
        const QString status = show.form.findChild<QLabel *>(QStringLiteral("lbStatus"))->text();
        if (!status.startsWith(u"Gedruckt") || QFileInfo(path).size() == 0)
            state.SkipWithError(qPrintable(QStringLiteral("no PDF written: ") + status));
    }
    printer.setOutputFileName(QString());
}
BENCHMARK(BM_PrintCertificatesToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

// Showing page 1,000 and page 999 by turns, each time with the sheet repainted. Goal: at most 20 ms.
void BM_PageSwitchAtPage1000(benchmark::State &state)
{
    Show show(1);
    show.form.show(); // composes, as the window does when it opens
    QCoreApplication::processEvents();
    TPrintPreview &engine = *show.form.findChild<TPrintPreview *>(QStringLiteral("PrintPreview1"));
    QWidget *sheet = engine.findChild<QWidget *>(QStringLiteral("Sheet"));
    if (!sheet->isVisible())
        state.SkipWithError("the sheet is not shown");
    PagePicture::resetPeakAlive();
    bool last = false;
    for (auto _ : state) {
        last = !last;
        engine.setCurrentPage(last ? Entries : Entries - 1);
        sheet->repaint();
    }
    if (engine.PageCount() != Entries)
        state.SkipWithError("wrong page count");
    if (PagePicture::peakAlive() > 2)
        state.SkipWithError("more than two page pictures alive");
    state.counters["pictures_peak"] = PagePicture::peakAlive();
}
BENCHMARK(BM_PageSwitchAtPage1000)->Unit(benchmark::kMillisecond);

} // namespace
