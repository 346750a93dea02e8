#include "board/Scoreboard.h"

#include "controls/Udigit.h"
#include "platform/Graphics.h"
#include "platform/TickCount.h"
#include "protocol/ResultsModel.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

// High contrast for daylight: white and yellow on black, bold letters only.
const QColor Background(Qt::black);
const QColor RowShade(0x26, 0x26, 0x26);
const QColor Text(Qt::white);
const QColor Secondary(0xE0, 0xE0, 0xE0);
const QColor Lit = toQColor(clYellow);
const QColor FalseStart = toQColor(clRed);
// The leading digits of a time stay dim until the time reaches them, as on the main window.
constexpr TColor DimDigit = 0x404040;

enum RowCell {
    CellPlace,
    CellNumber,
    CellRider,
    CellHorse,
    CellTime
};

QFont boldFont(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setWeight(QFont::Bold);
    font.setPixelSize(std::max(1, pixels));
    return font;
}

void setColors(QLabel *label, const QColor &text, const QColor &background = QColor())
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    if (background.isValid())
        palette.setColor(QPalette::Window, background);
    label->setPalette(palette);
    label->setAutoFillBackground(background.isValid());
}

// A name longer than its place ends in "…" rather than running into the next column.
void setElided(QLabel *label, const QString &text)
{
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, label->width()));
}

} // namespace

Scoreboard::Scoreboard(const Results::ResultsModel &results, const RaceState &race, QWidget *parent)
    : QWidget(parent)
    , m_results(results)
    , m_race(race)
{
    setObjectName(QStringLiteral("Scoreboard"));
    setWindowTitle(QStringLiteral("Anzeigetafel"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::BlankCursor); // the operator's pointer passing by is no business of the spectators

    auto label = [this](const QString &name, Qt::Alignment alignment) {
        auto *l = new QLabel(this);
        l->setObjectName(name);
        l->setAlignment(alignment | Qt::AlignVCenter);
        setColors(l, Text);
        return l;
    };
    m_title = label(QStringLiteral("Title"), Qt::AlignHCenter);
    for (int i = 0; i < RaceState::Lanes; ++i) {
        LaneWidgets &lane = m_laneWidgets[size_t(i)];
        const QString n = QString::number(i + 1);
        lane.number = label(QStringLiteral("Number") + n, Qt::AlignHCenter);
        setColors(lane.number, Background, Lit);
        lane.rider = label(QStringLiteral("Rider") + n, Qt::AlignLeft);
        lane.horse = label(QStringLiteral("Horse") + n, Qt::AlignLeft);
        setColors(lane.horse, Secondary);
        lane.place = label(QStringLiteral("Place") + n, Qt::AlignRight);
        setColors(lane.place, Lit);
        for (int d = 0; d < 5; ++d) {
            auto *digit = new TDigit(this);
            digit->setObjectName(QStringLiteral("Digit%1_%2").arg(i + 1).arg(d + 1));
            digit->setColorOn(d < 2 ? DimDigit : clYellow);
            lane.digits[size_t(d)] = digit;
        }
    }

    m_frame = new QTimer(this);
    m_frame->setObjectName(QStringLiteral("frameTimer"));
    // Precise, so that a frame never comes early and the rate stays at most FramesPerSecond.
    m_frame->setTimerType(Qt::PreciseTimer);
    m_frame->setInterval(1000 / FramesPerSecond);
    connect(m_frame, &QTimer::timeout, this, &Scoreboard::showRunningTimes);

    connect(&m_race, &RaceState::changed, this, &Scoreboard::raceChanged);
    connect(&m_results, &Results::ResultsModel::changed, this, &Scoreboard::resultsChanged);
    placeWidgets();
    raceChanged();
}

void Scoreboard::setTitle(const QString &title)
{
    if (title == m_title->text())
        return;
    m_title->setText(title);
    // Another list: the riders of the last run are not in it.
    if (m_held && m_race.phase() == RaceState::Phase::Ready) {
        m_held = false;
        raceChanged();
    }
}

int Scoreboard::shownLanes() const
{
    return m_race.twoLanes() ? 2 : 1;
}

qint64 Scoreboard::runningMs() const
{
    return std::max<qint64>(elapsedMicros(m_race.startStamp(), monotonicMicros()), 0) / 1000;
}

void Scoreboard::raceChanged()
{
    using Phase = RaceState::Phase;
    const Phase phase = m_race.phase();
    if (phase != Phase::Ready) {
        m_held = phase == Phase::Finished;
        for (int i = 0; i < RaceState::Lanes; ++i) {
            Lane &lane = m_lanes[size_t(i)];
            if (m_phase == Phase::Ready)
                lane = Lane{}; // a new run
            lane.number = m_race.laneNumber(i);
            lane.running = m_race.laneRunning(i);
            const qint64 time = m_race.laneTime(i);
            lane.timed = time >= 0;
            if (lane.timed)
                lane.ms = time;
        }
    } else if (m_phase != Phase::Ready) {
        // RESET, or a false start: the lanes keep what they showed until the next START, a called-off
        // lane the time it had reached.
        const qint64 now = runningMs();
        for (Lane &lane : m_lanes) {
            if (lane.running) {
                lane.ms = now;
                lane.running = false;
                lane.timed = true;
            }
        }
        m_held = true;
    } else if (!m_held) {
        // Before the first run: the riders called to the lanes.
        for (int i = 0; i < RaceState::Lanes; ++i)
            m_lanes[size_t(i)] = Lane{m_race.laneNumber(i), 0, false, false};
    }
    m_phase = phase;

    if (m_layout.lanes != shownLanes())
        placeWidgets();
    for (int i = 0; i < RaceState::Lanes; ++i) {
        showLane(i);
        if (!m_lanes[size_t(i)].running)
            showTime(i, m_lanes[size_t(i)].ms);
    }
    showRunningTimes();
    showRanking(); // the lanes' riders stand out in it
    updateFrameTimer();
    update(); // the commas change colour with a false start
}

void Scoreboard::resultsChanged()
{
    for (int i = 0; i < RaceState::Lanes; ++i)
        showLane(i);
    showRanking();
}

void Scoreboard::updateFrameTimer()
{
    const bool running = m_race.phase() == RaceState::Phase::Running &&
                         std::any_of(m_lanes.begin(), m_lanes.end(), [](const Lane &l) { return l.running; });
    if (running && isVisible()) {
        if (!m_frame->isActive())
            m_frame->start();
    } else {
        m_frame->stop();
    }
}

void Scoreboard::showRunningTimes()
{
    const qint64 ms = runningMs();
    for (int i = 0; i < RaceState::Lanes; ++i) {
        if (m_lanes[size_t(i)].running) {
            m_lanes[size_t(i)].ms = ms;
            showTime(i, ms);
        }
    }
}

void Scoreboard::showTime(int lane, qint64 ms)
{
    // Only a digit whose value or colour changes is drawn again.
    const qint64 c = std::max<qint64>(ms, 0) / 10;
    const qint64 s = c / 100;
    const qint64 h = c % 100;
    const TColor lit = m_race.falseStarted() ? clRed : clYellow;
    const std::array<TDigit *, 5> &digits = m_laneWidgets[size_t(lane)].digits;
    digits[0]->setValue(int((s / 100) % 10));
    digits[0]->setColorOn(s > 99 ? lit : DimDigit);
    digits[1]->setValue(int((s / 10) % 10));
    digits[1]->setColorOn(s > 9 ? lit : DimDigit);
    digits[2]->setValue(int(s % 10));
    digits[3]->setValue(int(h / 10));
    digits[4]->setValue(int(h % 10));
    for (int d = 2; d < 5; ++d)
        digits[size_t(d)]->setColorOn(lit);
}

void Scoreboard::showLane(int laneIndex)
{
    const Lane &lane = m_lanes[size_t(laneIndex)];
    const LaneWidgets &widgets = m_laneWidgets[size_t(laneIndex)];
    const int index = m_results.indexOfNumber(lane.number);
    widgets.number->setText(lane.number >= 0 ? QString::number(lane.number) : QString());
    widgets.number->setVisible(lane.number >= 0 && laneIndex < m_layout.lanes);
    const Results::Entry *entry = index >= 0 ? &m_results.entry(index) : nullptr;
    setElided(widgets.rider, entry ? entry->rider : QString());
    setElided(widgets.horse, entry ? entry->horse : QString());
    QString place;
    if (lane.timed && m_race.falseStarted()) {
        place = QStringLiteral("Fehlstart");
    } else if (lane.timed && index >= 0 && m_results.place(index) > 0) {
        place = QStringLiteral("Platz ") + QString::number(m_results.place(index));
    }
    widgets.place->setText(place);
    setColors(widgets.place, m_race.falseStarted() ? FalseStart : Lit);
}

void Scoreboard::showRanking()
{
    // The top of the ranking, for the scoring chosen: with runs scored by the best one, each rider's best.
    const std::vector<int> &order = m_results.rankOrder();
    size_t row = 0;
    for (const int index : order) {
        if (row >= m_rows.size() || m_results.place(index) <= 0)
            break;
        const Results::Entry &entry = m_results.entry(index);
        const bool onLane =
            std::any_of(m_lanes.begin(), m_lanes.begin() + m_layout.lanes,
                        [&](const Lane &l) { return l.number >= 0 && l.number == entry.startNumber(); });
        const std::array<QString, 5> texts = {QString::number(m_results.place(index)) + u'.', entry.number,
                                              entry.rider, entry.horse, m_results.timeOf(index)};
        for (size_t c = 0; c < texts.size(); ++c) {
            setElided(m_rows[row][c], texts[c]);
            setColors(m_rows[row][c], onLane || c == CellTime ? Lit : Text);
        }
        ++row;
    }
    for (; row < m_rows.size(); ++row) {
        for (QLabel *cell : m_rows[row])
            cell->clear();
    }
}

void Scoreboard::placeWidgets()
{
    m_layout = scoreboardLayout(size(), shownLanes());
    m_title->setFont(boldFont(m_layout.titlePixels));
    m_title->setGeometry(m_layout.title);
    for (int i = 0; i < RaceState::Lanes; ++i) {
        const LaneWidgets &widgets = m_laneWidgets[size_t(i)];
        const LaneLayout &lane = m_layout.lane[size_t(i)];
        const bool shown = i < m_layout.lanes;
        for (QLabel *l : {widgets.number, widgets.rider, widgets.horse, widgets.place})
            l->setVisible(shown);
        widgets.number->setFont(boldFont(m_layout.riderPixels));
        widgets.number->setGeometry(lane.number);
        widgets.rider->setFont(boldFont(m_layout.riderPixels));
        widgets.rider->setGeometry(lane.rider);
        widgets.horse->setFont(boldFont(m_layout.horsePixels));
        widgets.horse->setGeometry(lane.horse);
        widgets.place->setFont(boldFont(m_layout.riderPixels));
        widgets.place->setGeometry(lane.place);
        for (size_t d = 0; d < widgets.digits.size(); ++d) {
            TDigit *digit = widgets.digits[d];
            digit->setGeometry(lane.digits[d]);
            digit->setThickness(lane.thickness); // after the size: a bar must fit the digit
            digit->setSeparation(lane.separation);
            digit->setVisible(shown);
        }
    }

    // The ranking's columns: place, number and time as wide as their longest text, the names share the rest.
    const QFont rowFont = boldFont(m_layout.rowPixels);
    const QFontMetrics metrics(rowFont);
    const int pad = m_layout.rowPixels / 2;
    const QRect area = m_layout.ranking.adjusted(pad / 2, 0, -pad / 2, 0);
    std::array<int, 5> left{};
    std::array<int, 5> width{};
    width[CellPlace] = metrics.horizontalAdvance(QStringLiteral("99."));
    width[CellNumber] = metrics.horizontalAdvance(QStringLiteral("999"));
    width[CellTime] = metrics.horizontalAdvance(QStringLiteral("999,99"));
    left[CellPlace] = area.left();
    left[CellNumber] = left[CellPlace] + width[CellPlace] + pad / 2;
    left[CellRider] = left[CellNumber] + width[CellNumber] + pad;
    left[CellTime] = area.right() + 1 - width[CellTime];
    const int names = std::max(0, left[CellTime] - left[CellRider] - 2 * pad);
    width[CellRider] = names * 3 / 5;
    left[CellHorse] = left[CellRider] + width[CellRider] + pad;
    width[CellHorse] = names - width[CellRider];
    while (int(m_rows.size()) > m_layout.rows) {
        qDeleteAll(m_rows.back());
        m_rows.pop_back();
    }
    while (int(m_rows.size()) < m_layout.rows) {
        std::array<QLabel *, 5> cells{};
        for (size_t c = 0; c < cells.size(); ++c) {
            cells[c] = new QLabel(this);
            cells[c]->setObjectName(QStringLiteral("Rank%1_%2").arg(m_rows.size() + 1).arg(c + 1));
            const bool right = c == CellPlace || c == CellNumber || c == CellTime;
            cells[c]->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
            cells[c]->show();
        }
        m_rows.push_back(cells);
    }
    for (size_t r = 0; r < m_rows.size(); ++r) {
        for (size_t c = 0; c < 5; ++c) {
            m_rows[r][c]->setFont(rowFont);
            m_rows[r][c]->setGeometry(left[c], area.top() + int(r) * m_layout.rowHeight, width[c],
                                      m_layout.rowHeight);
        }
    }
    for (int i = 0; i < RaceState::Lanes; ++i)
        showLane(i);
    showRanking();
    update();
}

void Scoreboard::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeWidgets();
}

void Scoreboard::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showRunningTimes(); // at once, not one frame late
    updateFrameTimer();
}

void Scoreboard::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateFrameTimer();
}

void Scoreboard::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Background);
    for (int r = 1; r < m_layout.rows; r += 2) {
        painter.fillRect(QRect(m_layout.ranking.left(), m_layout.ranking.top() + r * m_layout.rowHeight,
                               m_layout.ranking.width(), m_layout.rowHeight),
                         RowShade);
    }
    // The decimal comma of each lane: a square dot on the digits' base line, in the digits' colour.
    const QColor lit = m_race.falseStarted() ? FalseStart : Lit;
    for (int i = 0; i < m_layout.lanes; ++i) {
        const LaneLayout &lane = m_layout.lane[size_t(i)];
        const int dot = 2 * lane.thickness;
        painter.fillRect(
            QRect(lane.comma.center().x() - lane.thickness, lane.comma.bottom() + 1 - dot, dot, dot), lit);
    }
}
