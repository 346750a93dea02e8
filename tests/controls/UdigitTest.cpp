#include "controls/Udigit.h"

#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Colours that differ from one another and from the defaults, so every pixel tells its origin.
constexpr TColor On = 0x00FFFF;
constexpr TColor Off = 0x404040;
constexpr TColor Background = 0x800000;

// A digit as the main window has them: 45 x 89, Thickness 5, Separation 1.
void makeLaneDigit(TDigit &digit)
{
    digit.resize(45, 89);
    digit.setThickness(5);
    digit.setSeparation(1);
    digit.setColorOn(On);
    digit.setColorOff(Off);
    digit.setColor(Background);
}

QImage render(TDigit &digit)
{
    return digit.grab().toImage();
}

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

TEST(DigitGeometry, LaneDigitPolygonsFollowTheSegmentRules)
{
    const auto segments = digitSegments(45, 89, 5, 1);
    EXPECT_EQ(segments[0], QPolygon({{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}}));
    EXPECT_EQ(segments[3], QPolygon({{0, 11}, {5, 6}, {10, 11}, {10, 38}, {5, 43}, {0, 38}}));
    // The middle bar is centred on h = 44; the bottom bar touches the last row.
    EXPECT_EQ(segments[1], QPolygon({{6, 44}, {11, 39}, {33, 39}, {38, 44}, {33, 49}, {11, 49}}));
    EXPECT_EQ(segments[2], QPolygon({{6, 83}, {11, 78}, {33, 78}, {38, 83}, {33, 88}, {11, 88}}));
    EXPECT_EQ(segments[6], QPolygon({{34, 50}, {39, 45}, {44, 50}, {44, 77}, {39, 82}, {34, 77}}));
    EXPECT_EQ(segments[7], QPolygon({{44, 88}, {35, 88}, {44, 79}}));
}

TEST(DigitGeometry, SegmentsOfEachDigitMatchTheTable)
{
    TDigit digit;
    const int expected[10] = {125, 80, 55, 87, 90, 79, 111, 81, 127, 95};
    for (int v : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
        digit.setValue(v);
        EXPECT_EQ(digit.ValueBinary(), expected[v]) << "digit " << v;
    }
}

TEST(DigitProperties, StartsAsASmallZero)
{
    TDigit digit;
    EXPECT_EQ(digit.size(), QSize(16, 32));
    EXPECT_EQ(digit.Value(), 0);
    EXPECT_EQ(digit.ValueBinary(), 125);
    EXPECT_EQ(digit.ColorOn(), clYellow);
    EXPECT_EQ(digit.ColorOff(), clBlack);
    EXPECT_EQ(digit.Color(), clBlack);
    EXPECT_EQ(digit.Thickness(), 2);
    EXPECT_EQ(digit.Separation(), 1);
    EXPECT_EQ(digit.BorderStyle(), bsSingle);
}

TEST(DigitProperties, ThicknessMustFitHalfTheBox)
{
    TDigit digit;
    digit.setThickness(20);
    EXPECT_EQ(digit.Thickness(), 2) << "half the width of 16 is 8";
    digit.setThickness(9);
    EXPECT_EQ(digit.Thickness(), 2);
    digit.setThickness(8);
    EXPECT_EQ(digit.Thickness(), 8);

    // Integer halves: 45 / 2 = 22, and the height limits a wide digit.
    digit.resize(45, 89);
    digit.setThickness(23);
    EXPECT_EQ(digit.Thickness(), 8);
    digit.setThickness(22);
    EXPECT_EQ(digit.Thickness(), 22);
    digit.resize(60, 21);
    digit.setThickness(11);
    EXPECT_EQ(digit.Thickness(), 22);
    digit.setThickness(10);
    EXPECT_EQ(digit.Thickness(), 10);

    digit.setSeparation(7);
    EXPECT_EQ(digit.Separation(), 7);
}

TEST(DigitValue, OutOfRangeFallsBackToZeroAndOverflows)
{
    TDigit digit;
    makeLaneDigit(digit);
    QSignalSpy overflow(&digit, &TDigit::OnOverflow);

    digit.setValue(3);
    EXPECT_EQ(overflow.count(), 0);
    digit.setValue(10);
    EXPECT_EQ(digit.Value(), 0);
    EXPECT_EQ(digit.ValueBinary(), 125);
    EXPECT_EQ(overflow.count(), 1);

    // The display shows "0": the outer bars lit, the middle bar dark.
    const QImage image = render(digit);
    EXPECT_EQ(pixelAt(image, 22, 5), toQColor(On));
    EXPECT_EQ(pixelAt(image, 5, 25), toQColor(On));
    EXPECT_EQ(pixelAt(image, 22, 44), toQColor(Off));

    digit.setValue(-1);
    EXPECT_EQ(overflow.count(), 2);
    // Any other out-of-range value differs from the current 0, so it overflows again.
    digit.setValue(12);
    EXPECT_EQ(overflow.count(), 3);
    digit.setValue(0);
    digit.setValue(9);
    EXPECT_EQ(overflow.count(), 3);
    EXPECT_EQ(digit.Value(), 9);
}

TEST(DigitValue, SameValueKeepsCustomSegmentsAndDoesNotRepaint)
{
    TDigit digit;
    makeLaneDigit(digit);
    digit.setValue(4);
    digit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&digit));
    QCoreApplication::processEvents();

    PaintCounter counter;
    digit.installEventFilter(&counter);
    digit.setValueBinary(dsPoint);
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);

    counter.paints = 0;
    digit.setValue(4);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(digit.ValueBinary(), dsPoint) << "an unchanged Value leaves the segments alone";

    digit.setValue(5);
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
    EXPECT_EQ(digit.ValueBinary(), 79);
    digit.removeEventFilter(&counter);
    digit.close();
}

TEST(DigitPainting, LitSegmentsUseColorOnAndOutlinesTheBackground)
{
    TDigit digit;
    makeLaneDigit(digit);
    digit.setValue(8);
    QImage eight = render(digit);
    digit.setValue(1);
    QImage one = render(digit);

    // Centres of top, middle, bottom, upper left, upper right, lower left, lower right.
    const QPoint centres[7] = {{22, 5}, {22, 44}, {22, 83}, {5, 25}, {39, 25}, {5, 64}, {39, 64}};
    for (const QPoint &p : centres)
        EXPECT_EQ(pixelAt(eight, p.x(), p.y()), toQColor(On)) << p.x() << "," << p.y();
    const bool litInOne[7] = {false, false, false, false, true, false, true};
    for (int i = 0; i < 7; ++i) {
        const QPoint p = centres[i];
        EXPECT_EQ(pixelAt(one, p.x(), p.y()), toQColor(litInOne[i] ? On : Off)) << p.x() << "," << p.y();
    }

    // Segment edges carry the background colour, as do the gaps and the corners.
    const QPoint outline[] = {{22, 0}, {22, 10}, {0, 25}, {10, 25}, {22, 88}, {0, 0}, {44, 0}, {22, 25}};
    for (const QPoint &p : outline) {
        EXPECT_EQ(pixelAt(eight, p.x(), p.y()), toQColor(Background)) << p.x() << "," << p.y();
        EXPECT_EQ(pixelAt(one, p.x(), p.y()), toQColor(Background)) << p.x() << "," << p.y();
    }
}

TEST(DigitPainting, DecimalPointIsBit128)
{
    TDigit digit;
    makeLaneDigit(digit);
    digit.setValueBinary(127);
    QImage withoutPoint = render(digit);
    digit.setValueBinary(dsPoint);
    QImage pointOnly = render(digit);

    // Inside the corner triangle (44,88), (35,88), (44,79).
    EXPECT_EQ(pixelAt(withoutPoint, 42, 86), toQColor(Off));
    EXPECT_EQ(pixelAt(pointOnly, 42, 86), toQColor(On));
    EXPECT_EQ(pixelAt(pointOnly, 22, 44), toQColor(Off));
    EXPECT_EQ(pixelAt(pointOnly, 44, 88), toQColor(Background));
}
