#include "printing/Preview.h"

#include "tests/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace {

QImage render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(QColor(0x12, 0x34, 0x56));
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The preview's parts by their object names: "Sheet", "HorzScrollBar", "VertScrollBar", "InnerPanel".
template <typename T = QWidget> T *part(const TPrintPreview &preview, const char *name)
{
    return preview.findChild<T *>(QString::fromLatin1(name));
}

} // namespace

// The miniature sheet of the certificate editor: 207 x 297 paper, border 1, shadow 3.
TEST(TPaperPreview, DrawsBorderOffsetShadowAndPaperAndClipsTheOwnersPainting)
{
    TPaperPreview sheet;
    sheet.setPaperWidth(207);
    sheet.setPaperHeight(297);
    EXPECT_EQ(sheet.size(), QSize(212, 302));
    EXPECT_EQ(sheet.PaperWidth(), 207);
    EXPECT_EQ(sheet.PageRect(), QRect(1, 1, 207, 297));

    QRect painted;
    QObject::connect(&sheet, &TPaperPreview::paperPaint, [&](QPainter &painter, const QRect &page) {
        painted = page;
        painter.fillRect(QRect(-50, -50, 1000, 1000), Qt::red); // must stay on the paper
    });
    const QImage image = render(sheet);
    EXPECT_EQ(painted, QRect(1, 1, 207, 297));

    const QColor own(sheet.palette().color(sheet.backgroundRole()).rgb());
    const QColor shadow(toQColor(clBtnShadow).rgb());
    struct Expected
    {
        int x, y;
        QColor color;
    };
    const Expected pixels[] = {
        {0, 0, Qt::black}, {208, 150, Qt::black}, {100, 298, Qt::black}, // border
        {1, 1, Qt::red},   {207, 297, Qt::red},                          // paper, painted
        {209, 3, shadow},  {211, 301, shadow},    {3, 299, shadow},      // shadow strips
        {209, 0, own},     {211, 2, own},         {0, 299, own},         // corners left open
    };
    for (const Expected &e : pixels)
        EXPECT_EQ(pixelAt(image, e.x, e.y), e.color) << e.x << "," << e.y;
}

TEST(TPaperPreview, BorderAndShadowKeepThePaperSize)
{
    TPaperPreview sheet;
    EXPECT_EQ(sheet.PaperWidth(), 105);
    EXPECT_EQ(sheet.PaperHeight(), 148);
    sheet.setBorderSize(0);
    sheet.setShadowSize(0);
    EXPECT_EQ(sheet.size(), QSize(105, 148));
    EXPECT_EQ(sheet.PageRect(), QRect(0, 0, 105, 148));
    const QImage image = render(sheet);
    EXPECT_EQ(pixelAt(image, 0, 0), QColor(Qt::white));
    EXPECT_EQ(pixelAt(image, 104, 147), QColor(Qt::white));
}

TEST(ConvertUnits, MultipliesDividesOrRoundsByTheUnitPair)
{
    struct Case
    {
        int value, dpi;
        TUnits from, to;
        int expected;
    };
    const Case cases[] = {
        {123, 0, mmLoMetric, mmHiMetric, 1230},          // whole multiple
        {3, 0, mmLoEnglish, mmHiMetric, 762},            // 0.3 inch = 7.62 mm
        {7, 0, mmLoEnglish, mmHiEnglish, 70},            //
        {29, 0, mmHiMetric, mmLoMetric, 2},              // whole divisor truncates
        {-29, 0, mmHiMetric, mmLoMetric, -2},            // ... toward zero
        {507, 0, mmHiMetric, mmLoEnglish, 1},            // 1.996 truncated
        {19, 0, mmHiEnglish, mmLoEnglish, 1},            //
        {216, 0, mmTWIPS, mmLoEnglish, 2},               // 1.5 rounds up, no truncation here
        {-216, 0, mmTWIPS, mmLoEnglish, -2},             // ... and away from zero
        {100, 300, mmLoMetric, mmPixel, 118},            // 118.11 at 300 dpi
        {48, 96, mmPixel, mmLoMetric, 127},              // half an inch of screen pixels
        {127, 0, mmHiMetric, mmHiEnglish, 5},            //
        {1234, 0, mmTWIPS, mmTWIPS, 1234},               // equal units
        {1234, 0, TUnits(42), mmLoMetric, 1234},         // unit outside the table
        {1234, 0, mmPixel, mmLoMetric, 1234},            // a pixel without a resolution
        {10000000, 0, mmLoEnglish, mmHiMetric, INT_MAX}, // saturates instead of wrapping
        {-10000000, 0, mmLoEnglish, mmHiMetric, INT_MIN},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ConvertUnits(c.value, c.dpi, c.from, c.to), c.expected)
            << c.value << " from " << c.from << " to " << c.to << " at " << c.dpi;
}

TEST(PageComposer, PropertySettersKeepTheirLimits)
{
    struct Case
    {
        const char *what;
        std::function<void(PageComposer &)> act;
        std::function<std::vector<int>(const PageComposer &)> read;
        std::vector<int> expected;
    };
    auto paper = [](const PageComposer &p) {
        return std::vector<int>{p.PaperWidth(), p.PaperHeight(), int(p.PaperType())};
    };
    auto toLoMetric = [](PageComposer &p) { p.setUnits(mmLoMetric); };
    const Case cases[] = {
        {"defaults",
         [](PageComposer &) {},
         [](const PageComposer &p) {
             return std::vector<int>{p.PaperWidth(), p.PaperHeight(),      p.MarginLeft(),
                                     p.MinMargin(),  p.Font().pixelSize(), int(p.Units())};
         },
         {21000, 29700, 700, 600, 200, mmHiMetric}},
        {"width above the limit",
         [](PageComposer &p) { p.setPaperWidth(40000); },
         paper,
         {32767, 29700, pCustom}},
        {"width below the limit", [](PageComposer &p) { p.setPaperWidth(0); }, paper, {1, 29700, pCustom}},
        {"height below the limit", [](PageComposer &p) { p.setPaperHeight(-5); }, paper, {21000, 1, pCustom}},
        {"same width keeps the type",
         [](PageComposer &p) { p.setPaperWidth(21000); },
         paper,
         {21000, 29700, pA4}},
        {"units to 0.1 mm",
         toLoMetric,
         [](const PageComposer &p) {
             return std::vector<int>{p.PaperWidth(),  p.PaperHeight(),  p.MarginLeft(), p.MarginTop(),
                                     p.MarginRight(), p.MarginBottom(), p.MinMargin(),  p.Font().pixelSize()};
         },
         {2100, 2970, 70, 70, 70, 70, 60, 20}},
        {"margin raised to the minimum",
         [&](PageComposer &p) {
             toLoMetric(p);
             p.setMarginTop(20);
             p.setMarginLeft(160);
         },
         [](const PageComposer &p) {
             return std::vector<int>{p.MarginTop(), p.MarginLeft()};
         },
         {60, 160}},
        {"landscape A4",
         [&](PageComposer &p) {
             toLoMetric(p);
             p.setOrientation(poLandscape);
             p.setOrientation(poLandscape);
         },
         paper,
         {2970, 2100, pA4}},
        {"A3 in landscape",
         [&](PageComposer &p) {
             toLoMetric(p);
             p.setOrientation(poLandscape);
             p.setPaperType(pA3);
         },
         paper,
         {4200, 2970, pA3}},
        {"Letter from the table",
         [&](PageComposer &p) {
             toLoMetric(p);
             p.setPaperType(pLetter);
         },
         paper,
         {2159, 2794, pLetter}},
        {"custom keeps the size",
         [&](PageComposer &p) {
             toLoMetric(p);
             p.setPaperType(pCustom);
         },
         paper,
         {2100, 2970, pCustom}},
        {"orientation is fixed while composing",
         [&](PageComposer &p) {
             toLoMetric(p);
             p.BeginDocument();
             p.setOrientation(poLandscape);
             p.EndDocument();
         },
         [](const PageComposer &p) {
             return std::vector<int>{p.PaperWidth(), int(p.Orientation())};
         },
         {2100, poPortrait}},
        {"units while composing convert the canvas",
         [](PageComposer &p) {
             p.BeginDocument();
             p.PageCanvas()->setPen(QPen(Qt::black, 50));
             p.setUnits(mmLoMetric);
         },
         [](const PageComposer &p) {
             const QPainter &canvas = *p.PageCanvas();
             // 100 units of 0.1 mm are 10 mm, whatever the picture's resolution.
             const QPointF tenMm = canvas.transform().map(QPointF(100, 0));
             return std::vector<int>{canvas.font().pixelSize(), canvas.pen().width(),
                                     qRound(tenMm.x() * 254.0 / canvas.device()->logicalDpiX())};
         },
         {20, 5, 100}},
    };
    for (const Case &c : cases) {
        PageComposer composer;
        c.act(composer);
        EXPECT_EQ(c.read(composer), c.expected) << c.what;
    }
}

TEST(PaperTable, HasWindowsCodesAndUprightSizes)
{
    EXPECT_EQ(PaperTable[pLetter].ID, 1);
    EXPECT_EQ(PaperTable[pA3].ID, 8);
    EXPECT_EQ(PaperTable[pA4].ID, 9);
    EXPECT_EQ(PaperTable[pEnvInvite].ID, 47);
    EXPECT_EQ(PaperTable[pLetterExtra].ID, 50);
    EXPECT_EQ(PaperTable[pA3ExtraTransverse].ID, 68);
    EXPECT_EQ(PaperTable[pCustom].ID, 255);
    EXPECT_EQ(PaperTable[pCustom].Width, 0);
    EXPECT_EQ(QSize(PaperTable[pA4].Width, PaperTable[pA4].Height), QSize(2100, 2970));
    EXPECT_EQ(QSize(PaperTable[pFolio].Width, PaperTable[pFolio].Height), QSize(2159, 3302));
    for (int t = 0; t < pCustom; ++t)
        EXPECT_GT(PaperTable[TPaperType(t)].Width, 0) << t;
}

namespace {

// A page whose content tells it apart: a rectangle as wide as its number.
void drawNumberedPage(QPainter &painter, int number)
{
    painter.drawRect(100, 100, 100 * number, 50);
    painter.drawText(QPoint(100, 300), QString::number(number));
}

std::unique_ptr<PagePicture> numberedPage(int number)
{
    auto page = std::make_unique<PagePicture>();
    page->paperSizeMm = QSizeF(210, 297);
    QPainter painter(page.get());
    drawNumberedPage(painter, number);
    painter.end();
    return page;
}

QByteArray pageBytes(TMetaFileList &store, int index)
{
    const PagePicture &page = store.LoadPage(index);
    return QByteArray(page.data(), page.size());
}

} // namespace

// Without a usable temporary folder the pages stay in memory, and a page that cannot be stored
// is reported instead of being dropped.
TEST(TMetaFileList, KeepsThePagesWhenNoTemporaryFileCanBeMade)
{
    const auto restoreTmp = qScopeGuard([saved = qgetenv("TMPDIR")] { qputenv("TMPDIR", saved); });
    // A plain file as the temporary folder: nothing can be created in it, not even by root.
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("file"));
    QFile(notAFolder).open(QIODevice::WriteOnly);
    qputenv("TMPDIR", QFile::encodeName(notAFolder));

    TMetaFileList store;
    store.AddPage(*numberedPage(1));
    store.AddPage(*numberedPage(2));
    store.setUseTempFile(true);
    EXPECT_FALSE(store.UseTempFile());
    EXPECT_EQ(store.PageCount(), 2);
    EXPECT_FALSE(store.LoadPage(1).isNull());

    PageComposer composer;
    composer.setUseTempFile(true);
    composer.BeginDocument();
    try {
        composer.NewPage();
        ADD_FAILURE() << "the first page could not be stored but nothing was said";
    } catch (const EOutOfMemory &error) {
        EXPECT_STREQ(error.what(), "Not enough memory to create a new page");
    }
    composer.EndDocument();
    EXPECT_FALSE(composer.isComposing());
}

TEST(TMetaFileList, TemporaryFileSwitchKeepsThePagesInOrderAndRemovesTheFile)
{
    TMetaFileList store;
    QList<QByteArray> expected;
    for (int n = 1; n <= 5; ++n) {
        const auto page = numberedPage(n);
        expected.append(QByteArray(page->data(), page->size()));
        store.AddPage(*page);
    }
    ASSERT_EQ(store.PageCount(), 5);
    EXPECT_TRUE(store.TempFileName().isEmpty());

    store.setUseTempFile(true);
    const QString name = store.TempFileName();
    EXPECT_TRUE(QFileInfo(name).fileName().startsWith(QStringLiteral("TMP"))) << name.toStdString();
    EXPECT_TRUE(QFile::exists(name));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pageBytes(store, i), expected[i]) << i;
    EXPECT_EQ(store.LoadPage(0).paperSizeMm, QSizeF(210, 297));

    store.setUseTempFile(false);
    EXPECT_FALSE(QFile::exists(name));
    EXPECT_TRUE(store.TempFileName().isEmpty());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pageBytes(store, i), expected[i]) << i;
    EXPECT_TRUE(store.LoadPage(5).isNull());
    EXPECT_TRUE(store.LoadPage(-1).isNull());

    store.setUseTempFile(true);
    const QString second = store.TempFileName();
    ASSERT_TRUE(QFile::exists(second));
    store.Clear();
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_EQ(store.PageCount(), 0);
}

namespace {

// Composes pages of 0.1 mm, each with its number drawn.
void compose(TPrintPreview &preview, int pages)
{
    preview.setUnits(mmLoMetric);
    ASSERT_TRUE(preview.BeginDocument());
    for (int n = 1; n <= pages; ++n) {
        if (n > 1)
            preview.NewPage();
        drawNumberedPage(*preview.PageCanvas(), n);
    }
    preview.EndDocument();
}

} // namespace

TEST(TPrintPreview, CurrentPageStaysWithinTheDocument)
{
    TPrintPreview preview;
    preview.setCurrentPage(2);
    EXPECT_EQ(preview.CurrentPage(), 0); // no pages, nothing to show

    compose(preview, 1);
    EXPECT_EQ(preview.CurrentPage(), 1);
    EXPECT_FALSE(part(preview, "Sheet")->isHidden()); // one page shows as soon as it is stored

    compose(preview, 3);
    EXPECT_EQ(preview.PageCount(), 3);
    EXPECT_EQ(preview.PreviewState(), psIdle);
    EXPECT_EQ(preview.PageCanvas(), nullptr);
    preview.setCurrentPage(0);
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.setCurrentPage(9);
    EXPECT_EQ(preview.CurrentPage(), 3);
    preview.setCurrentPage(2);
    EXPECT_EQ(preview.CurrentPage(), 2);

    EXPECT_TRUE(preview.ClearPages());
    EXPECT_EQ(preview.CurrentPage(), 0);
    EXPECT_EQ(preview.PageCount(), 0);
    EXPECT_TRUE(part(preview, "Sheet")->isHidden());
}

TEST(TPrintPreview, HoldsAtMostTwoPagePicturesWhileComposingAndShowing)
{
    TPrintPreview preview;
    preview.resize(300, 400);
    PagePicture::resetPeakAlive();
    const int before = PagePicture::alive();
    compose(preview, 6);
    for (int page = 1; page <= 6; ++page) {
        preview.setCurrentPage(page);
        render(preview);
    }
    EXPECT_LE(PagePicture::peakAlive() - before, 2);
}

TEST(TPrintPreview, SheetShowsThePageStretchedOntoThePaper)
{
    TPrintPreview preview;
    preview.resize(400, 500);
    preview.setUnits(mmLoMetric);
    preview.BeginDocument();
    // The top-left quarter of the A4 page, black.
    preview.PageCanvas()->fillRect(QRect(0, 0, 1050, 1485), Qt::black);
    preview.EndDocument();

    auto *sheet = part<TPaperPreview>(preview, "Sheet");
    const QImage image = render(*sheet);
    const QRect page = sheet->PageRect();
    const int midX = page.left() + page.width() / 2, midY = page.top() + page.height() / 2;
    EXPECT_EQ(pixelAt(image, page.left() + 2, page.top() + 2), QColor(Qt::black));
    EXPECT_EQ(pixelAt(image, midX - 2, midY - 2), QColor(Qt::black));
    EXPECT_EQ(pixelAt(image, midX + 2, midY - 2), QColor(Qt::white));
    EXPECT_EQ(pixelAt(image, midX - 2, midY + 2), QColor(Qt::white));
}

TEST(TPrintPreview, ZoomStatesSizeAndPlaceTheSheet)
{
    // A4 at the offscreen screen's 96 dpi is 794 x 1123 pixels; the sheet adds a border of 1 on
    // each side and a shadow of 3.
    struct Case
    {
        QSize control;
        TZoomState state;
        int zoom;
        bool horizontalBar, verticalBar;
        QRect sheet; // empty: checked by rule below
    };
    const Case cases[] = {
        // Fit to the height: 300 - 12 high, paper 283 x round(283 * 794 / 1123) = 200, centred.
        {{400, 300}, zsZoomToFit, 100, false, false, QRect(97, 6, 205, 288)},
        // Fit to the width: paper 283 x round(283 * 1123 / 794) = 400, centred vertically.
        {{300, 600}, zsZoomToFit, 100, false, false, QRect(6, 97, 288, 405)},
        {{400, 300}, zsZoomToWidth, 100, false, true, QRect()},
        {{400, 300}, zsZoomToHeight, 100, false, false, QRect()},
        {{400, 300}, zsZoomOther, 100, true, true, QRect(6, 6, 799, 1128)},
        {{900, 1300}, zsZoomOther, 50, false, false, QRect(249, 366, 402, 567)},
    };
    for (const Case &c : cases) {
        TPrintPreview preview;
        preview.resize(c.control);
        preview.show();
        if (c.state == zsZoomOther)
            preview.setZoom(c.zoom);     // switches the state
        else if (c.state != zsZoomToFit) // the default
            preview.setZoomState(c.state);
        EXPECT_EQ(preview.ZoomState(), c.state);
        compose(preview, 1);
        const QRect sheet = part(preview, "Sheet")->geometry();
        const auto *h = part<QScrollBar>(preview, "HorzScrollBar"),
                   *v = part<QScrollBar>(preview, "VertScrollBar");
        EXPECT_EQ(!h->isHidden(), c.horizontalBar) << c.state;
        EXPECT_EQ(!v->isHidden(), c.verticalBar) << c.state;
        if (!c.sheet.isEmpty()) {
            EXPECT_EQ(sheet, c.sheet) << c.state << " " << c.zoom;
        } else if (c.state == zsZoomToWidth) {
            // To the width beside the vertical bar; the bar scrolls the rest of the height.
            EXPECT_EQ(part(preview, "InnerPanel")->width(), 400 - v->width());
            EXPECT_EQ(sheet.topLeft(), QPoint(6, 6));
            EXPECT_EQ(sheet.width(), part(preview, "InnerPanel")->width() - 12);
            EXPECT_EQ(v->maximum(), sheet.height() - 300 + 12);
        } else {
            // To the height above the horizontal bar, which then goes as the sheet fits the width:
            // the sheet is centred in the whole panel.
            EXPECT_EQ(sheet.height(), 300 - h->sizeHint().height() - 12);
            EXPECT_EQ(sheet.center(), QRect(QPoint(), c.control).center());
        }
        if (c.horizontalBar) {
            EXPECT_EQ(h->maximum(), sheet.width() - part(preview, "InnerPanel")->width() + 12);
        }
    }
}

TEST(TPrintPreview, KeysAndDraggingScrollAndTurnPages)
{
    TPrintPreview preview;
    preview.resize(400, 300);
    preview.show();
    preview.setZoom(100);
    compose(preview, 3);
    QScrollBar *h = part<QScrollBar>(preview, "HorzScrollBar");
    QScrollBar *v = part<QScrollBar>(preview, "VertScrollBar");
    ASSERT_GT(v->maximum(), 100);
    EXPECT_EQ(v->pageStep(), part(preview, "InnerPanel")->height());

    QTest::keyClick(&preview, Qt::Key_Down);
    EXPECT_EQ(v->value(), 8);
    EXPECT_EQ(part(preview, "Sheet")->y(), 6 - 8);
    QTest::keyClick(&preview, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(v->value(), 8 + v->pageStep());
    QTest::keyClick(&preview, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v->value(), v->maximum());
    QTest::keyClick(&preview, Qt::Key_End);
    EXPECT_EQ(h->value(), h->maximum());
    QTest::keyClick(&preview, Qt::Key_Left);
    EXPECT_EQ(h->value(), h->maximum() - 8);
    QTest::keyClick(&preview, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(v->value(), 0);
    QTest::keyClick(&preview, Qt::Key_Down, Qt::ShiftModifier); // not in the table
    EXPECT_EQ(v->value(), 0);

    QTest::keyClick(&preview, Qt::Key_PageDown);
    EXPECT_EQ(preview.CurrentPage(), 2);
    QTest::keyClick(&preview, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(preview.CurrentPage(), 3);
    QTest::keyClick(&preview, Qt::Key_PageUp);
    EXPECT_EQ(preview.CurrentPage(), 2);
    QTest::keyClick(&preview, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(preview.CurrentPage(), 1);

    // Dragging up and to the left by (30, 40) scrolls the paper with the hand.
    QWidget *sheet = part(preview, "Sheet");
    h->setValue(0);
    v->setValue(0);
    QTest::mousePress(sheet, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 60), sheet->mapToGlobal(QPointF(70, 60)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sheet, &move);
    QTest::mouseRelease(sheet, Qt::LeftButton, Qt::NoModifier, QPoint(70, 60));
    EXPECT_EQ(h->value(), 30);
    EXPECT_EQ(v->value(), 40);
}
