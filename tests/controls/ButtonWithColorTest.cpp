#include "controls/ButtonWithColor.h"

#include "tests/TestSupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A colour as it lands in a 32-bit image; palette colours carry more precision than that.
QColor pixel(TColor colour)
{
    return QColor(toQColor(colour).rgb());
}

QImage render(TBitBtnWithColor &button)
{
    return button.grab().toImage();
}

// The main window's race buttons: bold Arial of 21 pixels.
void makeRaceButton(TBitBtnWithColor &button, const QString &caption)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(21);
    font.setBold(true);
    button.setFont(font);
    button.setText(caption);
    button.resize(120, 40);
}

// Bounding box of the pixels inside the face that differ from the face colour.
QRect captionBox(const QImage &image, const QColor &face)
{
    QRect box;
    for (int y = 4; y < image.height() - 4; ++y)
        for (int x = 4; x < image.width() - 4; ++x)
            if (pixelAt(image, x, y) != face)
                box |= QRect(x, y, 1, 1);
    return box;
}

int countPixels(const QImage &image, const QRect &area, const QColor &colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pixelAt(image, x, y) == colour)
                ++count;
    return count;
}

void sendMouse(QWidget &widget, QEvent::Type type)
{
    const QPointF pos(10, 10);
    QMouseEvent event(type, pos, widget.mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

TEST(ButtonProperties, StartsAsAPlainCustomButton)
{
    TBitBtnWithColor button;
    EXPECT_EQ(button.Color(), clBtnFace);
    EXPECT_EQ(button.Margin(), -1);
    EXPECT_EQ(button.Spacing(), 4);
    EXPECT_EQ(button.Layout(), blGlyphLeft);
    EXPECT_EQ(button.Kind(), bkCustom);
    EXPECT_EQ(button.Style(), bsAutoDetect);

    button.setFontColor(clYellow);
    EXPECT_EQ(button.FontColor(), clYellow);
    EXPECT_EQ(button.palette().color(QPalette::ButtonText), QColor(255, 255, 0));
}

TEST(ButtonPainting, RaisedEdgeAroundTheColouredFace)
{
    // The edge colours must differ, or the checks below could not tell the rings apart.
    ASSERT_NE(pixel(clBtnHighlight), pixel(cl3DLight));
    ASSERT_NE(pixel(cl3DDkShadow), pixel(clBtnShadow));

    TBitBtnWithColor button;
    makeRaceButton(button, QStringLiteral("RESET"));
    button.setColor(clGreen);
    const QImage image = render(button);
    const int r = image.width() - 1;
    const int b = image.height() - 1;

    EXPECT_EQ(pixelAt(image, 0, 0), pixel(clBtnHighlight));
    EXPECT_EQ(pixelAt(image, 50, 0), pixel(clBtnHighlight));
    EXPECT_EQ(pixelAt(image, 0, 20), pixel(clBtnHighlight));
    EXPECT_EQ(pixelAt(image, r, b), pixel(cl3DDkShadow));
    EXPECT_EQ(pixelAt(image, 50, b), pixel(cl3DDkShadow));
    EXPECT_EQ(pixelAt(image, r, 0), pixel(cl3DDkShadow)) << "the far corners belong to the dark side";
    EXPECT_EQ(pixelAt(image, 1, 1), pixel(cl3DLight));
    EXPECT_EQ(pixelAt(image, 1, 20), pixel(cl3DLight));
    EXPECT_EQ(pixelAt(image, r - 1, b - 1), pixel(clBtnShadow));
    EXPECT_EQ(pixelAt(image, 50, b - 1), pixel(clBtnShadow));

    const QColor green(0, 128, 0);
    EXPECT_EQ(pixelAt(image, 2, 2), green);
    EXPECT_EQ(pixelAt(image, 6, 20), green);
    EXPECT_EQ(pixelAt(image, r - 2, b - 2), green);

    button.setColor(clBtnFace);
    EXPECT_EQ(pixelAt(render(button), 6, 20), pixel(clBtnFace));
}

TEST(ButtonPainting, PressedFaceHasAShadowOutlineAndAShiftedCaption)
{
    TBitBtnWithColor button;
    makeRaceButton(button, QStringLiteral("STOPP"));
    button.setColor(clRed);
    const QColor red(255, 0, 0);
    const QRect raisedCaption = captionBox(render(button), red);

    button.setDown(true);
    const QImage image = render(button);
    const int r = image.width() - 1;
    const int b = image.height() - 1;
    for (const QPoint &p : {QPoint(0, 0), QPoint(50, 0), QPoint(0, 20), QPoint(r, b), QPoint(r, 0)})
        EXPECT_EQ(pixelAt(image, p.x(), p.y()), pixel(clBtnShadow)) << p.x() << "," << p.y();
    EXPECT_EQ(pixelAt(image, 1, 1), red);
    EXPECT_EQ(pixelAt(image, r - 1, b - 1), red);

    ASSERT_FALSE(raisedCaption.isEmpty());
    EXPECT_EQ(captionBox(image, red), raisedCaption.translated(1, 1));
}

TEST(ButtonPainting, FrameWhenDefault)
{
    TBitBtnWithColor button;
    makeRaceButton(button, QStringLiteral("START"));
    button.setDefault(true);
    const QImage image = render(button);
    EXPECT_EQ(pixelAt(image, 0, 0), pixel(clWindowFrame));
    EXPECT_EQ(pixelAt(image, image.width() - 1, 20), pixel(clWindowFrame));
    EXPECT_EQ(pixelAt(image, 1, 1), pixel(clBtnHighlight));
    EXPECT_EQ(pixelAt(image, 2, 2), pixel(cl3DLight));
}

TEST(ButtonPainting, FocusedButtonGetsFrameAndDottedRectangle)
{
    QWidget window;
    TBitBtnWithColor button(&window);
    makeRaceButton(button, QStringLiteral("START"));
    button.setColor(clBlack);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    button.setFocus();
    if (!button.hasFocus())
        GTEST_SKIP() << "the platform gives no keyboard focus";

    const QImage image = render(button);
    EXPECT_EQ(pixelAt(image, 0, 0), pixel(clWindowFrame));
    // Four pixels inside the edge every second pixel is inverted: white on the black face.
    EXPECT_EQ(pixelAt(image, 4, 4), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(image, 5, 4), QColor(0, 0, 0));
    EXPECT_EQ(pixelAt(image, 6, 4), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(image, 4, 6), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(image, 115, 35), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(image, 3, 4), QColor(0, 0, 0));
    window.close();
}

TEST(ButtonPainting, CaptionCentredOrAtTheMargin)
{
    TBitBtnWithColor button;
    makeRaceButton(button, QStringLiteral("EINTRAGEN"));
    button.resize(200, 40);
    button.setFontColor(clWhite);
    button.setColor(clBlack);
    const QColor black(0, 0, 0);

    const QRect centred = captionBox(render(button), black);
    ASSERT_FALSE(centred.isEmpty());
    EXPECT_LE(std::abs(centred.left() - (199 - centred.right())), 2);
    EXPECT_LE(std::abs(centred.top() - (39 - centred.bottom())), 3);

    button.setMargin(0);
    const QRect atEdge = captionBox(render(button), black);
    EXPECT_LT(atEdge.left(), 8);
    EXPECT_EQ(atEdge.top(), centred.top());
    EXPECT_NEAR(atEdge.width(), centred.width(), 1) << "glyphs may fall on other sub-pixel positions";

    button.setMargin(20);
    EXPECT_EQ(captionBox(render(button), black), atEdge.translated(20, 0));
}

TEST(ButtonPainting, AmpersandUnderlinesTheNextLetter)
{
    TBitBtnWithColor button;
    makeRaceButton(button, QStringLiteral("START"));
    button.setFontColor(clWhite);
    button.setColor(clBlack);
    const QColor black(0, 0, 0);
    const QRect plain = captionBox(render(button), black);
    button.setText(QStringLiteral("&START"));
    const QRect marked = captionBox(render(button), black);

    // No "&" is drawn, but an underline hangs below the first letter.
    EXPECT_NEAR(marked.left(), plain.left(), 1);
    EXPECT_NEAR(marked.right(), plain.right(), 1);
    ASSERT_GT(marked.bottom(), plain.bottom());
    const QImage image = render(button);
    for (int y = plain.bottom() + 1; y <= marked.bottom(); ++y)
        for (int x = marked.left() + marked.width() / 4; x <= marked.right(); ++x)
            EXPECT_EQ(pixelAt(image, x, y), black) << "underline beyond the S at " << x << "," << y;
}

TEST(ButtonPainting, DisabledCaptionIsEmbossedWhateverTheFontColour)
{
    for (TColor fontColour : {clYellow, clWhite, clBlack}) {
        TBitBtnWithColor button;
        makeRaceButton(button, QStringLiteral("STOPP 1"));
        button.setFontColor(fontColour);
        button.setColor(clNavy);
        const QImage enabled = render(button);
        button.setEnabled(false);
        const QImage disabled = render(button);

        const QColor navy(0, 0, 128);
        const QRect area = captionBox(disabled, navy);
        ASSERT_FALSE(area.isEmpty());
        EXPECT_EQ(captionBox(enabled, navy).size(), area.size() - QSize(1, 1)) << "the shadow adds one pixel";
        EXPECT_GT(countPixels(disabled, area, QColor(128, 128, 128)), 20);
        EXPECT_GT(countPixels(disabled, area, QColor(255, 255, 255)), 5);
        if (fontColour != clWhite) {
            EXPECT_EQ(countPixels(disabled, area, toQColor(fontColour)), 0);
        }
        EXPECT_EQ(pixelAt(disabled, 6, 20), navy);
    }
}

TEST(ButtonClicks, DoubleClickCountsAsSecondPress)
{
    TBitBtnWithColor button;
    makeRaceButton(button, QStringLiteral("STOPP 1"));
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    sendMouse(button, QEvent::MouseButtonPress);
    sendMouse(button, QEvent::MouseButtonRelease);
    sendMouse(button, QEvent::MouseButtonDblClick);
    EXPECT_TRUE(button.isDown());
    sendMouse(button, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks.count(), 2);
}
