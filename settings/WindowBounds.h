#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the main window goes for the bounds stored at the last exit.
struct WindowPlacement
{
    std::optional<QPoint> topLeft; // none: the desktop places the window
    QSize size;                    // client size
};

// Stored bounds come from a file anyone can edit, so they are fitted to the screen they are shown
// on: the outer size (client plus frame) at least the minimum and at most the available area, and
// the whole window on that area, title bar included. Any int is accepted without overflow.
// A window whose minimum does not fit the area keeps its minimum at the area's top-left corner.
WindowPlacement fitWindowBounds(std::optional<int> left, std::optional<int> top, int width, int height,
                                QSize frame, QSize minimum, const QRect &available);
