#include "controls/Dmn_led.h"

#include "tests/TestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A colour no lamp uses, to see which pixels the lamp leaves alone.
const QColor Untouched(0x12, 0x34, 0x56);

QImage render(TLed &led)
{
    QImage image(LedSize, LedSize, QImage::Format_RGB32);
    image.fill(Untouched);
    led.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The disc as it must look, transcribed from the design drawing.
const char *const DiscOff[16] = {
    ".....222222.....", "...2233333322...", "..233333333331..", ".23333333333331.",
    ".23334443333331.", "2333443333333331", "2333433333333331", "2333433333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", ".23333333333331.",
    ".23333333333331.", "..133333333331..", "...1133333311...", ".....111111.....",
};
const char *const DiscOn[16] = {
    ".....222222.....", "...2234444422...", "..234455544441..", ".23455544444441.",
    ".24566644444441.", "2345664444444431", "2455644444444431", "2454444444444431",
    "2454444444444431", "2444444444444331", "2444444444444331", ".24444444444331.",
    ".24444444443331.", "..144444433331..", "...1133333311...", ".....111111.....",
};

// Index -> colour for the green lamp: light rim, dark rim, black, green, yellow, white.
const QColor GreenPalette[7] = {
    Untouched,         QColor(255, 255, 255), QColor(128, 128, 128), QColor(0, 0, 0),
    QColor(0, 255, 0), QColor(255, 255, 0),   QColor(255, 255, 255)};

void expectDisc(const QImage &image, const char *const (&table)[16])
{
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const char c = table[y][x];
            const QColor expected = c == '.' ? Untouched : GreenPalette[c - '0'];
            EXPECT_EQ(pixelAt(image, x, y), expected) << "pixel " << x << "," << y;
        }
    }
}

} // namespace

TEST(LedProperties, StartsAsAnOffRedDisc)
{
    TLed led;
    EXPECT_EQ(led.size(), QSize(16, 16));
    EXPECT_EQ(led.Kind(), lkRed);
    EXPECT_EQ(led.Shape(), lsCircle);
    EXPECT_FALSE(led.Value());
    EXPECT_EQ(led.LabelLinked(), nullptr);
    EXPECT_TRUE(led.LabelOnText().isEmpty());
    EXPECT_TRUE(led.LabelOffText().isEmpty());
}

TEST(LedPainting, GreenDiscMatchesThePixelTable)
{
    TLed led;
    led.setKind(lkGreen);
    const QImage off = render(led);
    led.setValue(true);
    const QImage on = render(led);

    expectDisc(off, DiscOff);
    expectDisc(on, DiscOn);

    // On: green disc with a yellow and white highlight upper left; off: black with a green spot there.
    EXPECT_EQ(pixelAt(on, 8, 8), QColor(0, 255, 0));
    EXPECT_EQ(pixelAt(on, 3, 4), QColor(255, 255, 0));
    EXPECT_EQ(pixelAt(on, 4, 4), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(off, 8, 8), QColor(0, 0, 0));
    EXPECT_EQ(pixelAt(off, 5, 4), QColor(0, 255, 0));
    EXPECT_EQ(ledColorIndex(lsCircle, true, 16, 0), 0);
    EXPECT_EQ(ledColorIndex(lsCircle, true, 0, -1), 0);
}

TEST(LedPainting, EveryKindHasItsPalette)
{
    struct Row
    {
        TLedKind kind;
        TColor lamp, highlight;
    };
    const Row rows[] = {
        {lkRed, 0x0000FF, 0xFF00FF},   {lkGreen, 0x00FF00, 0x00FFFF},   {lkYellow, 0x00FFFF, 0xFFFFFF},
        {lkCyan, 0x808000, 0xFFFF00},  {lkMagenta, 0xFF00FF, 0xFFFFFF}, {lkBlue, 0xFF0000, 0xFFFF00},
        {lkWhite, 0x808080, 0xC0C0C0},
    };
    for (const Row &row : rows) {
        const auto palette = ledPalette(row.kind);
        EXPECT_EQ(palette[1], 0xFFFFFFu) << row.kind;
        EXPECT_EQ(palette[2], 0x808080u) << row.kind;
        EXPECT_EQ(palette[3], 0x000000u) << row.kind;
        EXPECT_EQ(palette[4], row.lamp) << row.kind;
        EXPECT_EQ(palette[5], row.highlight) << row.kind;
        EXPECT_EQ(palette[6], 0xFFFFFFu) << row.kind;

        // The painted lamp uses them: (8,8) is lamp colour, (3,4) highlight, (5,0) dark rim.
        TLed led;
        led.setKind(row.kind);
        led.setValue(true);
        const QImage image = render(led);
        EXPECT_EQ(pixelAt(image, 8, 8), toQColor(row.lamp)) << row.kind;
        EXPECT_EQ(pixelAt(image, 3, 4), toQColor(row.highlight)) << row.kind;
        EXPECT_EQ(pixelAt(image, 5, 0), toQColor(clGray)) << row.kind;
    }
}

TEST(LedPainting, RectangleIsASunkenBarOverRowsThreeToTwelve)
{
    TLed led;
    led.setKind(lkBlue);
    led.setShape(lsRectangle);
    for (bool value : {false, true}) {
        led.setValue(value);
        const QImage image = render(led);
        for (int x = 0; x < 16; ++x) {
            for (int y : {0, 1, 2, 13, 14, 15})
                EXPECT_EQ(pixelAt(image, x, y), Untouched) << x << "," << y;
            if (x < 15) {
                EXPECT_EQ(ledColorIndex(lsRectangle, value, x, 3), 2) << "top rim at " << x;
            }
            EXPECT_EQ(ledColorIndex(lsRectangle, value, x, 12), 1) << "bottom rim at " << x;
        }
        for (int y = 4; y < 12; ++y) {
            EXPECT_EQ(ledColorIndex(lsRectangle, value, 0, y), 2) << "left rim at " << y;
            EXPECT_EQ(ledColorIndex(lsRectangle, value, 15, y), 1) << "right rim at " << y;
        }
        EXPECT_EQ(pixelAt(image, 8, 3), QColor(128, 128, 128));
        EXPECT_EQ(pixelAt(image, 8, 12), QColor(255, 255, 255));
    }

    // Inside: all black when off; when on, lamp colour with highlight and glint only upper left.
    for (int y = 4; y < 12; ++y) {
        for (int x = 1; x < 15; ++x) {
            EXPECT_EQ(ledColorIndex(lsRectangle, false, x, y), 3);
            const int on = ledColorIndex(lsRectangle, true, x, y);
            if (x >= 8 || y >= 9) {
                EXPECT_EQ(on, 4) << x << "," << y;
            } else {
                EXPECT_TRUE(on >= 4 && on <= 6) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(ledColorIndex(lsRectangle, true, 2, 5), 6);
    EXPECT_EQ(ledColorIndex(lsRectangle, true, 1, 5), 5);
}

TEST(LedValue, LinkedLabelFollowsTheValue)
{
    TLed led;
    QLabel label(QStringLiteral("vorher"));
    led.setLabelOnText(QStringLiteral("EIN"));
    EXPECT_EQ(label.text(), QStringLiteral("vorher")) << "no label linked yet";
    led.setLabelOffText(QStringLiteral("AUS"));
    led.setLabelLinked(&label);
    EXPECT_EQ(label.text(), QStringLiteral("AUS"));

    // OnChange comes after the caption was set.
    QString captionAtChange;
    QObject::connect(&led, &TLed::OnChange, [&] { captionAtChange = label.text(); });
    QSignalSpy changes(&led, &TLed::OnChange);
    led.setValue(true);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(captionAtChange, QStringLiteral("EIN"));
    EXPECT_EQ(label.text(), QStringLiteral("EIN"));

    led.setValue(true);
    EXPECT_EQ(changes.count(), 1) << "no change, no notification";

    led.setLabelOnText(QStringLiteral("SCHARF"));
    EXPECT_EQ(label.text(), QStringLiteral("SCHARF"));
    led.setLabelOffText(QStringLiteral("FREI"));
    EXPECT_EQ(label.text(), QStringLiteral("SCHARF"));
    led.setValue(false);
    EXPECT_EQ(label.text(), QStringLiteral("FREI"));
    EXPECT_EQ(changes.count(), 2);
}

TEST(LedValue, ForgetsALabelThatIsDestroyed)
{
    TLed led;
    auto label = std::make_unique<QLabel>();
    led.setLabelLinked(label.get());
    label.reset();
    EXPECT_EQ(led.LabelLinked(), nullptr);
    led.setValue(true);
    EXPECT_TRUE(led.Value());
}

TEST(LedValue, ClickOnTheLamp)
{
    TLed led;
    QSignalSpy clicks(&led, &TLed::OnClick);
    QTest::mouseClick(&led, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&led, Qt::RightButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_EQ(clicks.count(), 1);

    // Released off the lamp: no click.
    QTest::mousePress(&led, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QTest::mouseRelease(&led, Qt::LeftButton, Qt::NoModifier, QPoint(30, 8));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(led.Value()) << "a click alone does not switch the lamp";
}
