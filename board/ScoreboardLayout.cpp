#include "board/ScoreboardLayout.h"

#include <algorithm>

namespace {

// The main window's digits are 45 x 89 with bars of 5: the board keeps their shape.
constexpr int DigitWidth = 45;
constexpr int DigitHeight = 89;
constexpr int DigitBar = 5;

int lineFor(int pixels)
{
    return pixels * 5 / 4;
}

// The five digits and the comma in a box of digit height d: 5 digits, 3 gaps, the comma's slot.
int digitsWidth(int d)
{
    const int w = d * DigitWidth / DigitHeight;
    return 5 * w + 3 * (w / 5) + w * 3 / 5;
}

void placeLane(LaneLayout &lane, const ScoreboardLayout &board, int digitHeight, int gap)
{
    const QRect area = lane.area;
    const int line = lineFor(board.riderPixels);
    lane.number = QRect(area.left(), area.top(), line * 8 / 5, line);
    lane.rider = QRect(lane.number.right() + 1 + gap, area.top(), 0, line);
    lane.rider.setRight(area.right());
    // The place beside the horse, where "Fehlstart" fits as well.
    lane.place = QRect(0, lane.rider.bottom() + 1, board.riderPixels * 6, line);
    lane.place.moveRight(area.right());
    lane.horse = QRect(lane.rider.left(), lane.place.top(), 0, line);
    lane.horse.setRight(lane.place.left() - gap);

    const int d = digitHeight;
    const int w = d * DigitWidth / DigitHeight;
    const int digitGap = w / 5;
    const int top = lane.place.bottom() + 1 + gap;
    int x = area.left() + (area.width() - digitsWidth(d)) / 2;
    for (int i = 0; i < 5; ++i) {
        lane.digits[size_t(i)] = QRect(x, top, w, d);
        x += w;
        if (i == 2) {
            lane.comma = QRect(x, top, w * 3 / 5, d);
            x += lane.comma.width();
        } else if (i < 4) {
            x += digitGap;
        }
    }
    lane.thickness = std::max(1, w * DigitBar / DigitWidth);
    lane.separation = std::max(1, w / DigitWidth);
}

} // namespace

ScoreboardLayout scoreboardLayout(QSize size, int lanes)
{
    ScoreboardLayout board;
    board.lanes = std::clamp(lanes, 1, 2);
    const int width = std::max(size.width(), 1);
    const int height = std::max(size.height(), 1);
    const int shorter = std::min(width, height);
    const int smallest = (shorter + 16) / 17;
    board.smallestPixels = smallest;
    board.titlePixels = smallest * 6 / 5;
    board.riderPixels = smallest * 11 / 10;
    board.horsePixels = smallest;
    board.rowPixels = smallest;
    board.rowHeight = lineFor(smallest);

    const int margin = std::max(2, shorter / 54);
    const int gap = margin;
    const QRect inner(margin, margin, width - 2 * margin, height - 2 * margin);
    int y = inner.top();
    board.title = QRect(inner.left(), y, inner.width(), lineFor(board.titlePixels));
    y = board.title.bottom() + 1 + gap;

    // Lanes side by side unless the screen stands upright; one lane takes the whole width.
    const bool stacked = board.lanes == 2 && height > width;
    const int across = stacked ? 1 : board.lanes;
    const int laneWidth = (inner.width() - gap * (across - 1)) / across;
    // About a quarter of the height, but never wider than the lane.
    int digitHeight = height * 6 / 25;
    while (digitHeight > 1 && digitsWidth(digitHeight) > laneWidth * 19 / 20)
        --digitHeight;
    const int laneHeight = 2 * lineFor(board.riderPixels) + gap + digitHeight;
    for (int i = 0; i < board.lanes; ++i) {
        LaneLayout &lane = board.lane[size_t(i)];
        const int column = stacked ? 0 : i;
        const int row = stacked ? i : 0;
        lane.area = QRect(inner.left() + column * (laneWidth + gap), y + row * (laneHeight + gap), laneWidth,
                          laneHeight);
        placeLane(lane, board, digitHeight, gap);
    }
    y += (stacked ? 2 : 1) * (laneHeight + gap);

    board.ranking = QRect(inner.left(), y, inner.width(), std::max(0, inner.bottom() + 1 - y));
    board.rows = board.ranking.height() / board.rowHeight;
    board.ranking.setHeight(board.rows * board.rowHeight);
    return board;
}
