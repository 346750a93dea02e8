#include "printing/Preview.h"

#include "tests/TestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(QColor(0x12, 0x34, 0x56));
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
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
