#include "printing/Preview.h"

#include "tests/printing/PdfSupport.h"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

#include <tuple>

#include <gtest/gtest.h>

namespace {

// A page in 0.1 mm with a frame, two lines and a text whose left edge is at 30 mm.
void composeTestPage(TPrintPreview &preview, int pages = 1)
{
    preview.setUnits(mmLoMetric);
    preview.setPaperType(pA4);
    ASSERT_TRUE(preview.BeginDocument());
    for (int n = 1; n <= pages; ++n) {
        if (n > 1)
            preview.NewPage();
        QPainter &canvas = *preview.PageCanvas();
        canvas.drawRect(preview.MarginRect());
        canvas.drawLine(300, 400, 400, 400); // 10 mm
        canvas.drawLine(300, 400, 300, 500);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(qRound(12 * 254 / 72.0)); // 12 pt in 0.1 mm
        canvas.setFont(font);
        canvas.drawText(QPoint(300, 600), QStringLiteral("Seite%1").arg(n));
    }
    preview.EndDocument();
}

// The paper of the first page in pdftotext's -bbox output, in millimetres; empty when there is none.
QSizeF firstPageMm(const QString &words)
{
    const QRegularExpressionMatch page =
        QRegularExpression(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\"")).match(words);
    return QSizeF(page.captured(1).toDouble(), page.captured(2).toDouble()) * MmPerPoint;
}

} // namespace

TEST(TPrintPreview, PrintsTextAtItsPlaceOnThePaperAtEveryResolution)
{
    for (const int dpi : {300, 1200}) {
        PdfPrinter pdf(dpi);
        TPrintPreview preview(&pdf.printer());
        composeTestPage(preview);
        EXPECT_EQ(preview.DeviceDpiX(), dpi);
        EXPECT_EQ(preview.PrintAll(), prPrinted) << dpi;

        const QString words = pdfWords(pdf.path());
        ASSERT_TRUE(words.contains(QStringLiteral("<page width=\"595.")))
            << "not an A4 page at " << dpi << ": " << words.left(300).toStdString();
        const WordBox text = findWord(words, QStringLiteral("Seite1"));
        ASSERT_TRUE(text.found) << dpi;
        EXPECT_NEAR(text.xMin * MmPerPoint, 30.0, 0.2) << dpi;
        // The baseline at 60 mm lies between the top and the bottom of the word's box.
        EXPECT_LT(text.yMin * MmPerPoint, 60.0) << dpi;
        EXPECT_GT(text.yMax * MmPerPoint, 60.0) << dpi;
        // A 12-point line of text is about 12 points high.
        EXPECT_NEAR(text.yMax - text.yMin, 12 * 1.15, 2.5) << dpi;
    }
}

TEST(TPrintPreview, PrintsOnlyTheRangeAskedForInOrder)
{
    PdfPrinter pdf(300);
    TPrintPreview preview(&pdf.printer());
    composeTestPage(preview, 5);
    EXPECT_EQ(preview.PrintRange(0, 3), prPrinted); // from is raised to 1
    QString words = pdfWords(pdf.path());
    EXPECT_EQ(words.count(QStringLiteral("<page ")), 3);
    EXPECT_LT(words.indexOf(QStringLiteral("Seite1")), words.indexOf(QStringLiteral("Seite3")));

    EXPECT_EQ(preview.PrintRange(4, 99), prPrinted); // to is lowered to the last page
    words = pdfWords(pdf.path());
    EXPECT_EQ(words.count(QStringLiteral("<page ")), 2);
    EXPECT_TRUE(words.contains(QStringLiteral("Seite4")));
    EXPECT_TRUE(words.contains(QStringLiteral("Seite5")));
}

TEST(TPrintPreview, PrintsNothingWithoutPagesInReverseOrWithoutAPrinter)
{
    PdfPrinter pdf(300);
    TPrintPreview preview(&pdf.printer());
    EXPECT_EQ(preview.PrintAll(), prNothingToPrint);
    composeTestPage(preview, 2);
    EXPECT_EQ(preview.PrintRange(2, 1), prNothingToPrint);
    EXPECT_FALSE(QFile::exists(pdf.path())); // no job was started
    preview.setPrinter(nullptr);
    EXPECT_EQ(preview.PrintAll(), prNoPrinter);
}

// Pages discarded under a running job would print garbage or crash: the job keeps its pages.
TEST(TPrintPreview, RefusesToDiscardThePagesWhileTheyPrint)
{
    PdfPrinter pdf(300);
    TPrintPreview preview(&pdf.printer());
    composeTestPage(preview, 3);
    bool cleared = true, begun = true;
    PrintResult nested = prPrinted;
    QPainter *canvas = nullptr;
    int pagesDuringJob = 0;
    QTimer::singleShot(0, &preview, [&] {
        cleared = preview.ClearPages();
        begun = preview.BeginDocument();
        nested = preview.PrintAll();
        canvas = preview.PageCanvas();
        pagesDuringJob = preview.PageCount();
    });
    EXPECT_EQ(preview.PrintAll(), prPrinted);
    EXPECT_FALSE(cleared);
    EXPECT_FALSE(begun);
    EXPECT_EQ(nested, prBusy);
    EXPECT_NE(canvas, nullptr); // the printer's canvas during the job
    EXPECT_EQ(pagesDuringJob, 3);
    EXPECT_EQ(pdfWords(pdf.path()).count(QStringLiteral("<page ")), 3);

    EXPECT_EQ(preview.PreviewState(), psIdle);
    EXPECT_TRUE(preview.ClearPages());
    EXPECT_EQ(preview.PageCount(), 0);
}

// A job cancelled while it runs, or refused by the printer, is discarded; each outcome is a signal.
TEST(PrintJob, SignalsItsOutcomeAndLeavesNoFileUnlessPrinted)
{
    PagePicture page;
    page.paperSizeMm = QSizeF(210, 297);
    QPainter(&page).drawRect(100, 100, 100, 50);
    TMetaFileList store;
    for (int n = 1; n <= 3; ++n)
        store.AddPage(page);
    // The file, whether the job is cancelled while it runs, and what comes of it.
    const std::tuple<const char *, bool, PrintResult> cases[] = {
        {"out.pdf", true, prAborted}, {"out.pdf", false, prPrinted}, {"missing/out.pdf", false, prFailed}};
    for (const auto &[file, cancel, result] : cases) {
        PdfPrinter pdf(300, QString::fromLatin1(file));
        PrintJob job(pdf.printer(), store);
        QObject::connect(&job, &PrintJob::progress, &job,
                         [&job, cancel = cancel] { cancel ? job.cancel() : void(); });
        QSignalSpy printed(&job, &PrintJob::printed), aborted(&job, &PrintJob::aborted),
            failed(&job, &PrintJob::failed);
        EXPECT_EQ(job.start(1, 3), result) << file;
        EXPECT_EQ(printed.count() + aborted.count() + failed.count(), 1);
        EXPECT_EQ((result == prPrinted   ? printed
                   : result == prAborted ? aborted
                                         : failed)
                      .count(),
                  1)
            << file;
        EXPECT_EQ(QFile::exists(pdf.path()), result == prPrinted) << file;
    }
}

// A user-defined paper goes to the printer upright with the orientation apart.
TEST(TPrintPreview, PrintsAUserDefinedPaperInLandscape)
{
    PdfPrinter pdf(300);
    TPrintPreview preview(&pdf.printer());
    preview.setUnits(mmLoMetric);
    preview.setPaperWidth(1000);
    preview.setPaperHeight(1500);
    preview.setOrientation(poLandscape);
    ASSERT_EQ(preview.PaperType(), pCustom);
    ASSERT_EQ(QSize(preview.PaperWidth(), preview.PaperHeight()), QSize(1500, 1000));
    EXPECT_EQ(pdf.printer().pageLayout().orientation(), QPageLayout::Landscape); // for later jobs
    ASSERT_TRUE(preview.BeginDocument());
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(40);
    preview.PageCanvas()->setFont(font);
    preview.PageCanvas()->drawText(QPoint(1200, 800), QStringLiteral("Quer"));
    preview.EndDocument();
    ASSERT_EQ(preview.PrintAll(), prPrinted);

    const QString words = pdfWords(pdf.path());
    EXPECT_NEAR(firstPageMm(words).width(), 150.0, 0.2);
    EXPECT_NEAR(firstPageMm(words).height(), 100.0, 0.2);
    const WordBox text = findWord(words, QStringLiteral("Quer"));
    ASSERT_TRUE(text.found);
    EXPECT_NEAR(text.xMin * MmPerPoint, 120.0, 0.2);
}

// The job's paper is the composed page; afterwards the printer is back on the operator's paper
// and printable area, so that the next composition measures the same page.
TEST(TPrintPreview, LeavesTheOperatorsPaperToThePrinterAfterAJob)
{
    PdfPrinter pdf(300);
    QPrinter &printer = pdf.printer();
    printer.setFullPage(false);
    TPrintPreview preview(&printer);
    preview.setUnits(mmLoMetric);
    preview.setPaperWidth(1000);
    preview.setPaperHeight(1500);
    ASSERT_TRUE(preview.BeginDocument());
    preview.EndDocument();
    ASSERT_EQ(preview.PrintAll(), prPrinted);

    EXPECT_NEAR(firstPageMm(pdfWords(pdf.path())).width(), 100.0, 0.2);
    EXPECT_NEAR(firstPageMm(pdfWords(pdf.path())).height(), 150.0, 0.2);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_FALSE(printer.fullPage());
    EXPECT_EQ(printer.pageRect(QPrinter::Millimeter), printer.paperRect(QPrinter::Millimeter));
}
