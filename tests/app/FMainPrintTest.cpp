#include "platform/SharedPrinter.h"
#include "printing/FPP.h"
#include "printing/PrinterSetup.h"
#include "tests/app/FMainFixture.h"

#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>

namespace {

// The main window with its preview window, as the program creates them.
class FMainPrintTest : public FMainTest
{
protected:
    void SetUp() override
    {
        FMainTest::SetUp();
        preview = new TFormPP(form.get());
        form->setPreviewWindow(preview);
        form->execPrintDialog = [this](QPrintDialog &dialog) {
            ++printDialogs;
            range = {dialog.minPage(), dialog.maxPage()};
            QPrinter &printer = sharedPrinter();
            printer.setPrintRange(narrowTo.first ? QPrinter::PageRange : QPrinter::AllPages);
            printer.setFromTo(narrowTo.first, narrowTo.second);
            return answer;
        };
    }
    void TearDown() override
    {
        sharedPrinter().setPrintRange(QPrinter::AllPages);
        FMainTest::TearDown();
    }

    void click(const char *name)
    {
        auto *button = form->findChild<QToolButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    TFormPP *preview = nullptr;
    int answer = QDialog::Accepted;
    int printDialogs = 0;
    std::pair<int, int> range;
    std::pair<int, int> narrowTo = {0, 0};
};

} // namespace

TEST_F(FMainPrintTest, ProtokollDruckenShowsTheProtocolPagesAfterThePrintDialog)
{
    loadStartList();
    click("sbPrint");
    EXPECT_EQ(printDialogs, 1);
    EXPECT_EQ(range, std::make_pair(1, 1));
    ASSERT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Ansicht"));
    EXPECT_EQ(preview->documentMode(), 0);
    EXPECT_EQ(childOf<TPrintPreview>(*preview, "PrintPreview1")->PageCount(), 1);
}

TEST_F(FMainPrintTest, UrkundenDruckenComposesOneCertificatePerEntryOfTheRange)
{
    loadStartList(); // four riders
    narrowTo = {2, 3};
    click("sbGramoty");
    EXPECT_EQ(range, std::make_pair(1, 4));
    ASSERT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->documentMode(), 1);
    EXPECT_EQ(childOf<TPrintPreview>(*preview, "PrintPreview1")->PageCount(), 2);

    // A cancelled dialog shows nothing new; the mode is already the one chosen.
    preview->hide();
    answer = QDialog::Rejected;
    click("sbPrint");
    EXPECT_FALSE(preview->isVisible());
}

TEST_F(FMainPrintTest, AltDChoosesPrinterPaperAndOrientation)
{
    QPrinter &printer = sharedPrinter();
    const QString before = printer.outputFileName();
    form->execPrinterSetup = [&](QDialog &dialog) {
        auto *paper = dialog.findChild<QComboBox *>(QStringLiteral("cbPaper"));
        auto *landscape = dialog.findChild<QRadioButton *>(QStringLiteral("rbLandscape"));
        auto *printers = dialog.findChild<QComboBox *>(QStringLiteral("cbPrinter"));
        paper->setCurrentIndex(paper->findText(QStringLiteral("A3")));
        landscape->click();
        printers->setCurrentIndex(printers->count() - 1); // the PDF file
        dialog.accept();
        return dialog.result();
    };
    key(Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A3);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_FALSE(printer.outputFileName().isEmpty());
    printer.setOutputFileName(before);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}
