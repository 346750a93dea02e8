#include "settings/WindowBounds.h"

#include <gtest/gtest.h>

#include <limits>

TEST(WindowBounds, StoredBoundsAreFittedToTheScreen)
{
    constexpr int Max = std::numeric_limits<int>::max();
    constexpr int Min = std::numeric_limits<int>::min();
    const QSize frame(8, 27);
    const QSize minimum(798, 418);
    const QRect screen(0, 0, 1920, 1040); // the area left by a task bar
    const QRect second(1920, -200, 1280, 1024);
    struct Case
    {
        const char *name;
        std::optional<int> left, top;
        int width, height;
        QRect available;
        std::optional<QPoint> topLeft;
        QSize size;
    };
    const Case cases[] = {
        {"bounds that fit stay", 40, 30, 908, 627, screen, QPoint(40, 30), QSize(900, 600)},
        {"no place: the desktop places it", {}, {}, 808, 542, screen, {}, QSize(800, 515)},
        {"larger than the screen", 0, 0, Max, Max, screen, QPoint(0, 0), QSize(1912, 1013)},
        {"below the minimum", 10, 10, 20, 20, screen, QPoint(10, 10), QSize(798, 418)},
        {"the smallest int", 0, 0, Min, Min, screen, QPoint(0, 0), QSize(798, 418)},
        {"off screen to the bottom right", 100000, 100000, 908, 627, screen, QPoint(1012, 413),
         QSize(900, 600)},
        {"title bar above the screen", 100, -500, 908, 627, screen, QPoint(100, 0), QSize(900, 600)},
        {"far to the left", Min, Min, 908, 627, screen, QPoint(0, 0), QSize(900, 600)},
        {"far to the right", Max, Max, 908, 627, screen, QPoint(1012, 413), QSize(900, 600)},
        {"on a second screen", 2000, -100, 908, 627, second, QPoint(2000, -100), QSize(900, 600)},
        {"a screen narrower than the minimum", 50, 50, 908, 627, QRect(0, 0, 800, 600), QPoint(0, 0),
         QSize(798, 573)},
    };
    for (const Case &c : cases) {
        const WindowPlacement place =
            fitWindowBounds(c.left, c.top, c.width, c.height, frame, minimum, c.available);
        EXPECT_EQ(place.topLeft, c.topLeft) << c.name;
        EXPECT_EQ(place.size, c.size) << c.name;
    }
}
