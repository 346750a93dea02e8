// "Drucken" in the preview window through a real print system: a private CUPS scheduler with a
// PDF queue, the shared printer pointed at that queue by name, the job files read back.
#include "platform/SharedPrinter.h"
#include "printing/PrintDialog.h"
#include "tests/printing/PdfSupport.h"
#include "tests/printing/PreviewWindowTest.h"
#include "tests/printing/PrivateCups.h"

#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

// The words of one page of pdftotext's -bbox output (1-based); empty past the last page.
QString pageWords(const QString &words, int page)
{
    const QStringList pages = words.split(QStringLiteral("<page "));
    return page < pages.size() ? pages[page] : QString();
}

class CupsPrintTest : public PreviewWindowTest
{
protected:
    // Before the first form exists, so that the shared printer starts out, as in a program started
    // with this queue installed, as a printer of the print system.
    static void SetUpTestSuite() { PrivateCups::instance()->start(); }

    void SetUp() override
    {
        if (PrivateCups::cupsdProgram().isEmpty())
            GTEST_SKIP() << "cupsd not found: install the package cups (scripts/install-deps.sh --tests) "
                            "to print through a real print system";
        PrivateCups &cups = *PrivateCups::instance();
        ASSERT_TRUE(cups.running()) << cups.error().toStdString();
        ASSERT_TRUE(
            QPrinterInfo::availablePrinterNames().contains(QString::fromLatin1(PrivateCups::QueueName)));

        QPrinter &printer = sharedPrinter();
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        usePrinter(PrivateCups::QueueName);
        PreviewWindowTest::SetUp();
    }

    static void usePrinter(const char *queue)
    {
        sharedPrinter().setPrinterName(QString::fromLatin1(queue));
        sharedPrinter().setPageSize(QPageSize(QPageSize::A4));
        sharedPrinter().setPageOrientation(QPageLayout::Portrait);
    }

    // Shows the document in the preview, presses "Drucken" and returns the one job's file.
    QString printThroughQueue(int mode)
    {
        show(mode);
        const qsizetype jobsBefore = PrivateCups::instance()->jobFiles().size();
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        status = form.findChild<QLabel *>(QStringLiteral("lbStatus"))->text();
        PrivateCups &cups = *PrivateCups::instance();
        if (!cups.waitForJobs(20000))
            return QString();
        const QStringList jobs = cups.jobFiles();
        return jobs.size() == jobsBefore + 1 ? jobs.last() : QString();
    }

    QString status;
};

} // namespace

TEST_F(CupsPrintTest, ProtocolOfSixtyEntriesComesOutOfTheQueueOnA4)
{
    cells = sampleProtocol(60);
    const QString job = printThroughQueue(0);
    ASSERT_FALSE(job.isEmpty()) << status.toStdString() << PrivateCups::instance()->errorLog().toStdString();
    EXPECT_TRUE(status.startsWith(u"Gedruckt")) << status.toStdString();

    const int pages = child<TPrintPreview>("PrintPreview1")->PageCount();
    EXPECT_GE(pages, 2);
    EXPECT_EQ(pdfInfo(job, QStringLiteral("Pages")).toInt(), pages);
    EXPECT_TRUE(pdfInfo(job, QStringLiteral("Page size")).contains(u"(A4)"))
        << pdfInfo(job, QStringLiteral("Page size")).toStdString();
    const QString text = pdfText(job);
    for (const char *expected :
         {"Stutenprüfung", "Seite: 1", "Seite: 2", "Korvell", "Gesamt:", "Reiterin1", "Reiterin60"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    // The totals close the table on the last page only.
    const QStringList pageTexts = text.split(u'\f');
    ASSERT_GE(pageTexts.size(), pages);
    EXPECT_FALSE(pageTexts.first().contains(u"Gesamt:"));
    EXPECT_TRUE(pageTexts[pages - 1].contains(u"Gesamt:"));
}

// A printer that cannot reach the paper's edges gets pages of its printable area: the job asks for a
// user-defined paper of that size, and every field keeps its millimetres from that page's corner.
struct QueueCase
{
    const char *queue;
    double pageWidthMm, pageHeightMm;
};

class CupsCertificatesTest : public CupsPrintTest, public ::testing::WithParamInterface<QueueCase>
{};

void PrintTo(const QueueCase &queueCase, std::ostream *os)
{
    *os << queueCase.queue;
}

std::string queueName(const ::testing::TestParamInfo<QueueCase> &queueCase)
{
    return queueCase.param.queue;
}

INSTANTIATE_TEST_SUITE_P(Queues, CupsCertificatesTest,
                         ::testing::Values(QueueCase{PrivateCups::QueueName, 210.0, 297.0},
                                           // 12 pt left and right, 18 pt top and bottom out of reach
                                           QueueCase{PrivateCups::MarginsQueueName, 201.5, 284.3}),
                         queueName);

TEST_P(CupsCertificatesTest, CarryTheirNamesAtTheirMillimetres)
{
    cells = sampleProtocol(5);
    from = 2;
    to = 4;
    TCertField name = certField(layout, ckMannschaft);
    name.Enabled = true;
    name.Left = 40;
    name.Top = 100;
    name.Align = caLeft;
    setCertField(layout, ckMannschaft, name);

    // Printed, the printer and A4 chosen again in the printer set-up, the window opened again
    // (which composes anew) and printed again: the second job comes out like the first.
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        form.hide();
        usePrinter(GetParam().queue);
        const QString job = printThroughQueue(1);
        ASSERT_FALSE(job.isEmpty()) << status.toStdString()
                                    << PrivateCups::instance()->errorLog().toStdString();
        EXPECT_TRUE(status.startsWith(u"Gedruckt")) << status.toStdString();
        EXPECT_EQ(pdfInfo(job, QStringLiteral("Pages")), QStringLiteral("3"));
        const QStringList size = pdfInfo(job, QStringLiteral("Page size")).split(u' ');
        ASSERT_GE(size.size(), 3) << size.join(u' ').toStdString();
        EXPECT_NEAR(size[0].toDouble() * MmPerPoint, GetParam().pageWidthMm, 0.5);
        EXPECT_NEAR(size[2].toDouble() * MmPerPoint, GetParam().pageHeightMm, 0.5);

        const QString words = pdfWords(job);
        for (int row = from; row <= to; ++row) {
            const QString page = pageWords(words, row - from + 1);
            const WordBox box = findWord(page, QStringLiteral("Reiterin%1").arg(row));
            ASSERT_TRUE(box.found) << "row " << row << " not on its page";
            EXPECT_NEAR(box.xMin * MmPerPoint, 40.0, 0.5) << row;
            EXPECT_NEAR(box.yMin * MmPerPoint, 100.0, 1.0) << row;
            for (int other = from; other <= to; ++other) {
                if (other != row) {
                    EXPECT_FALSE(findWord(page, QStringLiteral("Reiterin%1").arg(other)).found)
                        << row << other;
                }
            }
        }
    }
}

// "Seiten: 2,4" in the print dialog: exactly those two certificates come out of the queue, and the job
// carries no page list of its own that would have the print system pick from them again.
TEST_F(CupsPrintTest, ListedPagesGiveExactlyThoseCertificates)
{
    cells = sampleProtocol(5);
    to = 5;
    const PrintDialogChoice choice = runPrintDialog(nullptr, to, QString(), [](QPrintDialog &dialog) {
        dialog.show();
        dialog.findChild<QRadioButton *>(QStringLiteral("pagesRadioButton"))->setChecked(true);
        dialog.findChild<QLineEdit *>(QStringLiteral("pagesLineEdit"))->setText(QStringLiteral("2,4"));
        dialog.accept();
        return dialog.result();
    });
    ASSERT_TRUE(choice.accepted);
    listed = choice.pages;
    const QString job = printThroughQueue(1);
    ASSERT_FALSE(job.isEmpty()) << status.toStdString() << PrivateCups::instance()->errorLog().toStdString();
    const QStringList pageTexts = pdfText(job).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pageTexts.size(), 2) << pdfText(job).toStdString();
    for (int row = 1; row <= to; ++row) {
        for (int p = 0; p < 2; ++p)
            EXPECT_EQ(pageTexts[p].contains(QStringLiteral("Reiterin%1").arg(row)), row == 2 * p + 2)
                << row << p;
    }
}
