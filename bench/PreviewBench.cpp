// The print preview engine with a long document: 1,000 certificate-like pages recorded into the
// page store, in memory and in a temporary file, then pages picked at random shown on the sheet.
#include "printing/Preview.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

constexpr int Pages = 1000;

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// Eighteen fields in three fonts and a frame, in 0.1 mm, as a certificate is laid out.
void drawCertificate(QPainter &canvas, int number)
{
    static const QString families[] = {QStringLiteral("Times New Roman"), QStringLiteral("Arial"),
                                       QStringLiteral("Courier New")};
    canvas.drawRect(100, 100, 1900, 2770);
    for (int field = 0; field < 18; ++field) {
        QFont font(families[field % 3]);
        font.setPixelSize(qRound((10 + field) * 254 / 72.0));
        font.setBold(field % 4 == 0);
        canvas.setFont(font);
        canvas.setPen(field % 5 == 0 ? Qt::darkBlue : Qt::black);
        canvas.drawText(
            QPoint(200 + 40 * field, 300 + 140 * field),
            QStringLiteral("Feld %1: Reiter %2, Pferd %3, 75,43").arg(field).arg(number).arg(number * 7));
    }
}

void composeDocument(TPrintPreview &preview)
{
    preview.BeginDocument();
    for (int page = 1; page <= Pages; ++page) {
        if (page > 1)
            preview.NewPage();
        drawCertificate(*preview.PageCanvas(), page);
    }
    preview.EndDocument();
}

void setUp(TPrintPreview &preview, bool useTempFile)
{
    preview.resize(800, 1000);
    preview.show();
    preview.setUnits(mmLoMetric);
    preview.setUseTempFile(useTempFile);
}

void BM_RecordPages(benchmark::State &state)
{
    const bool useTempFile = state.range(0) != 0;
    double rssGrowth = 0;
    int peak = 0;
    for (auto _ : state) {
        TPrintPreview preview;
        setUp(preview, useTempFile);
        PagePicture::resetPeakAlive();
        const double rssBefore = residentMegabytes();
        composeDocument(preview);
        rssGrowth = qMax(rssGrowth, residentMegabytes() - rssBefore);
        peak = qMax(peak, PagePicture::peakAlive()); // every page picture of the process
        if (preview.PageCount() != Pages)
            state.SkipWithError("pages lost");
    }
    if (peak > 2)
        state.SkipWithError("more than two page pictures alive");
    state.counters["pictures_peak"] = peak;
    state.counters["rss_growth_MB"] = rssGrowth;
}
BENCHMARK(BM_RecordPages)->Arg(0)->Arg(1)->ArgName("temp_file")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ShowPage(benchmark::State &state)
{
    const bool useTempFile = state.range(0) != 0;
    TPrintPreview preview;
    setUp(preview, useTempFile);
    composeDocument(preview);
    QWidget *sheet = preview.findChild<QWidget *>(QStringLiteral("Sheet"));
    QImage image(sheet->size(), QImage::Format_RGB32);
    QRandomGenerator random(7);
    PagePicture::resetPeakAlive();
    bool last = false;
    for (auto _ : state) {
        // Page 1,000 and a page at random by turns, so every show reads a page back.
        last = !last;
        preview.setCurrentPage(last ? Pages : 1 + int(random.bounded(Pages - 1)));
        sheet->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    const int peak = PagePicture::peakAlive();
    if (peak > 2)
        state.SkipWithError("more than two page pictures alive");
    state.counters["pictures_peak"] = peak;
}
BENCHMARK(BM_ShowPage)->Arg(0)->Arg(1)->ArgName("temp_file")->Unit(benchmark::kMillisecond);

} // namespace
