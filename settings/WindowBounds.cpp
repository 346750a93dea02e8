#include "settings/WindowBounds.h"

#include <algorithm>

namespace {

// The outer extent: the stored one, not below the minimum and not beyond the room, unless the
// minimum itself needs more.
qint64 fitExtent(qint64 stored, qint64 minimum, qint64 room)
{
    return std::max(minimum, std::min(stored, room));
}

// The start of an extent of length `extent` on [origin, origin + room): where it was, pushed back
// onto the room; at the origin when it does not fit.
qint64 fitStart(qint64 stored, qint64 extent, qint64 origin, qint64 room)
{
    return std::max(origin, std::min(stored, origin + room - extent));
}

} // namespace

WindowPlacement fitWindowBounds(std::optional<int> left, std::optional<int> top, int width, int height,
                                QSize frame, QSize minimum, const QRect &available)
{
    const qint64 outerWidth = fitExtent(width, qint64(minimum.width()) + frame.width(), available.width());
    const qint64 outerHeight =
        fitExtent(height, qint64(minimum.height()) + frame.height(), available.height());
    WindowPlacement place;
    place.size = QSize(int(outerWidth - frame.width()), int(outerHeight - frame.height()));
    if (left && top) {
        place.topLeft = QPoint(int(fitStart(*left, outerWidth, available.x(), available.width())),
                               int(fitStart(*top, outerHeight, available.y(), available.height())));
    }
    return place;
}
