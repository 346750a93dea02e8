#include "platform/SharedPrinter.h"

#include <QPrinter>

#include <gtest/gtest.h>

// Pages are composed on the printable area and sent on a paper of that size, so margins Qt adds
// of its own would shrink every page below the chosen paper.
TEST(SharedPrinter, ReachesAsFarAsThePrinterItselfCanOnEveryOutput)
{
    QPrinter &printer = sharedPrinter();
    EXPECT_EQ(printer.pageLayout().margins(), printer.pageLayout().minimumMargins());

    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("unused.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    // A PDF file can be printed up to its edges.
    EXPECT_EQ(printer.pageRect(QPrinter::Millimeter), printer.paperRect(QPrinter::Millimeter));
    printer.setOutputFileName(QString());
}
