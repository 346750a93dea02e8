#include "controls/MessageBox.h"
#include "platform/SharedPrinter.h"
#include "printing/PrintDialog.h"
#include "tests/printing/PdfSupport.h"
#include "tests/printing/PreviewWindowTest.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class FormPPTest : public PreviewWindowTest
{
protected:
    // Answers the message box that the next step opens with the button of that text (or closes it),
    // keeping what it said.
};

} // namespace

TEST_F(FormPPTest, OnePageDisablesThePageSelector)
{
    show(0);
    EXPECT_EQ(child<TPrintPreview>("PrintPreview1")->PageCount(), 1);
    auto *sePage = child<QSpinBox>("sePage");
    EXPECT_FALSE(sePage->isEnabled());
    EXPECT_EQ(sePage->value(), 1);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ansicht"));
}

TEST_F(FormPPTest, ZoomTwoHundredScrollsAndWholePageFitsAgain)
{
    show(0);
    auto *cbZoom = child<QComboBox>("cbZoom");
    TPrintPreview &engine = *child<TPrintPreview>("PrintPreview1");
    QTest::keyClick(cbZoom, Qt::Key_End);
    EXPECT_EQ(cbZoom->currentText(), QStringLiteral("200%"));
    EXPECT_EQ(engine.ZoomState(), zsZoomOther);
    EXPECT_EQ(engine.Zoom(), 200);
    EXPECT_TRUE(child<QWidget>("VertScrollBar")->isVisible());
    EXPECT_GT(child<QWidget>("Sheet")->width(), child<QWidget>("InnerPanel")->width());

    QTest::keyClick(cbZoom, Qt::Key_Home);
    EXPECT_EQ(engine.ZoomState(), zsZoomToFit);
    EXPECT_FALSE(child<QWidget>("VertScrollBar")->isVisible());
    EXPECT_FALSE(child<QWidget>("HorzScrollBar")->isVisible());
    EXPECT_LE(child<QWidget>("Sheet")->height(), child<QWidget>("InnerPanel")->height());
}

TEST_F(FormPPTest, APageNumberAboveTheCountShowsTheLastPage)
{
    cells = sampleProtocol(2);
    from = 1;
    to = 2;
    show(1);
    ASSERT_EQ(child<TPrintPreview>("PrintPreview1")->PageCount(), 2);
    auto *sePage = child<QSpinBox>("sePage");
    EXPECT_TRUE(sePage->isEnabled());
    sePage->selectAll();
    QTest::keyClicks(sePage, QStringLiteral("9"));
    QTest::keyClick(sePage, Qt::Key_Enter);
    EXPECT_EQ(sePage->value(), 2);
    EXPECT_EQ(child<TPrintPreview>("PrintPreview1")->CurrentPage(), 2);
}

TEST_F(FormPPTest, QuerRecomposesInLandscape)
{
    show(0);
    TPrintPreview &engine = *child<TPrintPreview>("PrintPreview1");
    ASSERT_LT(engine.PaperWidth(), engine.PaperHeight());
    QTest::keyClick(child<QComboBox>("cbOri"), Qt::Key_Down);
    EXPECT_EQ(engine.Orientation(), poLandscape);
    EXPECT_GT(engine.PaperWidth(), engine.PaperHeight());
    EXPECT_EQ(engine.PageCount(), 1);
    EXPECT_EQ(engine.PreviewState(), psIdle);
}

TEST_F(FormPPTest, DruckenThatPrintsNothingSaysWhy)
{
    show(0);
    const std::pair<const char *, const char16_t *> cases[] = {
        {"", u"Kein Drucker eingerichtet"}, {"missing/out.pdf", u"Drucken fehlgeschlagen"}};
    for (const auto &[file, status] : cases) {
        PdfPrinter pdf(300, QString::fromLatin1(file), &sharedPrinter());
        QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
        EXPECT_TRUE(child<QLabel>("lbStatus")->text().startsWith(status)) << file;
    }
}

TEST_F(FormPPTest, PrintsTheProtocolToAPdfFile)
{
    cells = sampleProtocol(60);
    PdfPrinter pdf(300, QStringLiteral("out.pdf"), &sharedPrinter());
    show(0);
    QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf.path())) << child<QLabel>("lbStatus")->text().toStdString();
    EXPECT_TRUE(child<QLabel>("lbStatus")->text().startsWith(u"Gedruckt"));
    EXPECT_EQ(pdfInfo(pdf.path(), QStringLiteral("Pages")).toInt(),
              child<TPrintPreview>("PrintPreview1")->PageCount());
    EXPECT_GE(child<TPrintPreview>("PrintPreview1")->PageCount(), 2);
    const QString text = pdfText(pdf.path());
    for (const char *expected : {"Stutenprüfung", "Seite: 2", "Korvell", "Gesamt:", "Reiterin60"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
}

TEST_F(FormPPTest, PrintsCertificatesWithTheNamesAtTheirMillimetres)
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

    PdfPrinter pdf(1200, QStringLiteral("out.pdf"), &sharedPrinter());
    show(1);
    QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf.path()));
    EXPECT_EQ(pdfInfo(pdf.path(), QStringLiteral("Pages")), QStringLiteral("3"));
    const QString words = pdfWords(pdf.path());
    for (int row = 2; row <= 4; ++row) {
        const WordBox box = findWord(words, QStringLiteral("Reiterin%1").arg(row));
        ASSERT_TRUE(box.found) << row;
        // The page is the printable area; a PDF file has no unprintable border.
        EXPECT_NEAR(box.xMin * MmPerPoint, 40.0, 0.5) << row;
    }
}

TEST_F(FormPPTest, ALongJobShowsItsProgressAndAbbrechenDiscardsIt)
{
    cells = sampleProtocol(10);
    from = 1;
    to = 10;
    PdfPrinter pdf(300, QStringLiteral("out.pdf"), &sharedPrinter());
    show(1);
    bool sawProgress = false;
    QObject::connect(child<TPrintPreview>("PrintPreview1"), &TPrintPreview::pagePrinted, &form,
                     [&](int done, int count) {
                         auto *progress = child<QProgressDialog>("PrintProgress");
                         if (!progress || done != 2)
                             return;
                         sawProgress = progress->isVisible() && progress->maximum() == count;
                         auto *cancel = progress->findChild<QPushButton *>();
                         ASSERT_TRUE(cancel);
                         EXPECT_EQ(cancel->text(), QStringLiteral("Abbrechen"));
                         QTest::mouseClick(cancel, Qt::LeftButton);
                     });
    QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(sawProgress);
    EXPECT_FALSE(QFile::exists(pdf.path()));
    EXPECT_TRUE(child<QLabel>("lbStatus")->text().startsWith(u"Drucken abgebrochen"));
    EXPECT_EQ(child<TPrintPreview>("PrintPreview1")->PageCount(), 10) << "the pages stay for another try";
}

TEST_F(FormPPTest, TheStatusLineStaysInsideTheWindowUntilTheNextComposition)
{
    PdfPrinter pdf(300, QString(120, u'x') + QStringLiteral(".pdf"), &sharedPrinter());
    show(0);
    QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
    auto *status = child<QLabel>("lbStatus");
    EXPECT_TRUE(status->text().endsWith(u"(1 Seite(n)).")) << status->text().toStdString();
    EXPECT_TRUE(form.rect().contains(QRect(status->mapTo(&form, QPoint()), status->size())));
    const QRect text = status->fontMetrics().boundingRect(status->rect(), Qt::TextWordWrap, status->text());
    EXPECT_TRUE(status->rect().contains(text)) << text.width() << "x" << text.height();

    QTest::keyClick(child<QComboBox>("cbOri"), Qt::Key_Down); // "Quer" composes anew
    EXPECT_TRUE(status->text().isEmpty()) << status->text().toStdString();
}

TEST_F(FormPPTest, PageKeysAndThePageBoxTurnThePagesTogether)
{
    show(1);
    TPrintPreview *engine = child<TPrintPreview>("PrintPreview1");
    auto *sePage = child<QSpinBox>("sePage");
    // The keys on the sheet, the arrows on the page box.
    const std::tuple<QWidget *, QKeySequence, int> steps[] = {
        {engine, Qt::Key_PageDown, 2}, {sePage, Qt::Key_Up, 3}, {engine, Qt::CTRL | Qt::Key_PageUp, 1}};
    for (const auto &[target, keys, page] : steps) {
        QTest::keySequence(target, keys);
        EXPECT_EQ(engine->CurrentPage(), page) << keys.toString().toStdString();
        EXPECT_EQ(sePage->value(), page) << keys.toString().toStdString();
    }
}

TEST_F(FormPPTest, APageStoreThatCannotBeWrittenIsReportedAndTheWindowLivesOn)
{
    child<TPrintPreview>("PrintPreview1")->setUseTempFile(true);
    const MessageBox::Answers boxes;
    {
        const auto restoreTmp = qScopeGuard([saved = qgetenv("TMPDIR")] { qputenv("TMPDIR", saved); });
        qputenv("TMPDIR", QFile::encodeName(QCoreApplication::applicationFilePath())); // not a folder
        show(1); // the second certificate needs the store
    }
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(u"Keine Vorschau: Die Seiten können nicht"));
    EXPECT_EQ(child<TPrintPreview>("PrintPreview1")->PageCount(), 0);
    form.ComposeDocument();
    EXPECT_EQ(child<TPrintPreview>("PrintPreview1")->PageCount(), 3);
}

TEST_F(FormPPTest, EachDocumentHasItsOwnPdfFileAndAFileIsOnlyOverwrittenWhenAsked)
{
    QStringList proposed;
    for (int mode : {0, 1}) {
        runPrintDialog(&form, 1, proposedPdfFile(QStringLiteral("/Listen"), QStringLiteral("A"), mode),
                       [&](QPrintDialog &dialog) {
                           proposed << dialog.findChild<QLineEdit *>(QStringLiteral("filename"))->text();
                           return int(QDialog::Rejected);
                       });
    }
    EXPECT_EQ(proposed.join(u' '), QStringLiteral("/Listen/A-Protokoll.pdf /Listen/A-Urkunden.pdf"));

    PdfPrinter pdf(300, QStringLiteral("out.pdf"), &sharedPrinter());
    show(1);
    // Each case: whether the print dialog confirmed the file, the answer, whether asked and written.
    const std::tuple<bool, QMessageBox::StandardButton, bool, bool> cases[] = {
        {true, QMessageBox::No, false, true},
        {false, QMessageBox::No, true, false},
        {false, QMessageBox::Yes, true, true}};
    for (const auto &[confirmed, answer, asked, written] : cases) {
        QFile old(pdf.path());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("alt") == 3);
        old.close();
        form.setConfirmedOutputFile(confirmed ? pdf.path() : QString());
        const MessageBox::Answers boxes({answer});
        QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
        EXPECT_EQ(boxes.texts().join(u' ').contains(pdf.path()), asked);
        EXPECT_EQ(QFileInfo(pdf.path()).size() > 3, written) << answer;
    }
}
