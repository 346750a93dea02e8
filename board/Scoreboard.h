#pragma once

#include "board/ScoreboardLayout.h"
#include "protocol/RaceState.h"

#include <QWidget>

#include <array>
#include <vector>

class QLabel;
class QTimer;
class TDigit;
namespace Results {
class ResultsModel;
}

// The spectators' board on a screen of its own: the lanes of the run with rider, horse and the running
// time in the main window's seven-segment digits, yellow on black and red after a false start; once a
// lane has stopped, its time and the place it earned, held until the next START; beneath, the ranking
// under the list's name. It only reads the results and the run. The running digits are drawn by a timer
// of the board's own, at most FramesPerSecond times a second and only while a run is on, so the main
// window's displays and time stamps never wait for it.
class Scoreboard : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FramesPerSecond = 50;

    Scoreboard(const Results::ResultsModel &results, const RaceState &race, QWidget *parent = nullptr);

    void setTitle(const QString &title);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // What a lane shows: the rider by start number, and a time once there is one.
    struct Lane
    {
        int number = -1;
        qint64 ms = 0;
        bool running = false;
        bool timed = false; // stopped with a time (or called off by a false start)
    };
    struct LaneWidgets
    {
        QLabel *number = nullptr;
        QLabel *rider = nullptr;
        QLabel *horse = nullptr;
        QLabel *place = nullptr;
        std::array<TDigit *, 5> digits{};
    };

    void raceChanged();
    void resultsChanged();
    void showRunningTimes();
    void updateFrameTimer();
    void showTime(int lane, qint64 ms);
    void showLane(int laneIndex);
    void showRanking();
    void placeWidgets();
    int shownLanes() const;
    qint64 runningMs() const;

    const Results::ResultsModel &m_results;
    const RaceState &m_race;
    ScoreboardLayout m_layout;
    QTimer *m_frame = nullptr;
    QLabel *m_title = nullptr;
    std::array<LaneWidgets, RaceState::Lanes> m_laneWidgets;
    std::vector<std::array<QLabel *, 5>> m_rows; // place, number, rider, horse, time
    std::array<Lane, RaceState::Lanes> m_lanes;
    RaceState::Phase m_phase = RaceState::Phase::Ready;
    bool m_held = false; // the lanes show the last run, not the next riders
};
