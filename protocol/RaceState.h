#pragma once

#include <QObject>

#include <array>

// The run on the track, in one place: which lanes take part, which still run, when the run
// started, the riders on the lanes and the lane times once they stopped. The main window drives
// it; the scoreboard and the live pages only read it.
class RaceState : public QObject
{
    Q_OBJECT

public:
    enum class Phase {
        Ready,    // no run: START may come
        Running,  // START came, a lane still runs
        Finished, // every lane stopped; the times stand until RESET
    };
    static constexpr int Lanes = 2;

    explicit RaceState(QObject *parent = nullptr);

    Phase phase() const { return m_phase; }
    // A run holds START from its start until RESET.
    bool runOpen() const { return m_phase != Phase::Ready; }
    // "Passrennen" runs both lanes; "Passprufüng" only lane 0, and lane 1 is never armed: switched to
    // one lane during a run, lane 1 stops without a time.
    bool twoLanes() const { return m_twoLanes; }
    void setTwoLanes(bool twoLanes);
    bool laneRunning(int lane) const;
    // The time a stopped lane took, in milliseconds; -1 while it runs or took none.
    qint64 laneTime(int lane) const;
    // The start number of the rider on a lane, -1 for none.
    int laneNumber(int lane) const;
    void setLaneNumber(int lane, int number);
    // The stamp of START, in microseconds of the monotonic clock.
    quint64 startStamp() const { return m_startStamp; }
    // True from a false start until the next START.
    bool falseStarted() const { return m_falseStarted; }
    // The light barrier's START is armed (the lamp is green); START and RESET disarm it.
    bool armed() const { return m_armed; }
    void setArmed(bool armed);

    // Arms the lanes that take part; nothing while a run is open.
    bool start(quint64 stamp);
    // Stops a running lane: its time in milliseconds, or -1 when the lane was not running. Each lane
    // stops at most once per run; the run is finished when no lane runs any more.
    qint64 stopLane(int lane, quint64 stamp);
    // Ends the run without times.
    void falseStart();
    void reset();

signals:
    void changed();

private:
    void clear();
    bool validLane(int lane) const { return lane >= 0 && lane < Lanes; }

    Phase m_phase = Phase::Ready;
    bool m_twoLanes = true;
    bool m_falseStarted = false;
    bool m_armed = false;
    quint64 m_startStamp = 0;
    std::array<bool, Lanes> m_running{};
    std::array<qint64, Lanes> m_time{-1, -1};
    std::array<int, Lanes> m_number{-1, -1};
};
