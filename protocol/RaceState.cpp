#include "protocol/RaceState.h"

#include "platform/TickCount.h"

#include <algorithm>

RaceState::RaceState(QObject *parent)
    : QObject(parent)
{}

void RaceState::setTwoLanes(bool twoLanes)
{
    if (twoLanes == m_twoLanes)
        return;
    m_twoLanes = twoLanes;
    // Lane 2 hidden during a run is disarmed at once; the run ends when lane 1 has stopped already.
    if (!twoLanes && m_running[1]) {
        m_running[1] = false;
        if (!m_running[0])
            m_phase = Phase::Finished;
    }
    emit changed();
}

bool RaceState::laneRunning(int lane) const
{
    return validLane(lane) && m_running[size_t(lane)];
}

qint64 RaceState::laneTime(int lane) const
{
    return validLane(lane) ? m_time[size_t(lane)] : -1;
}

int RaceState::laneNumber(int lane) const
{
    return validLane(lane) ? m_number[size_t(lane)] : -1;
}

void RaceState::setLaneNumber(int lane, int number)
{
    if (!validLane(lane) || m_number[size_t(lane)] == number)
        return;
    m_number[size_t(lane)] = number;
    emit changed();
}

void RaceState::setArmed(bool armed)
{
    if (armed == m_armed)
        return;
    m_armed = armed;
    emit changed();
}

bool RaceState::start(quint64 stamp)
{
    if (runOpen())
        return false;
    m_phase = Phase::Running;
    m_falseStarted = false;
    m_armed = false;
    m_startStamp = stamp;
    m_running = {true, m_twoLanes};
    m_time = {-1, -1};
    emit changed();
    return true;
}

qint64 RaceState::stopLane(int lane, quint64 stamp)
{
    if (!laneRunning(lane))
        return -1;
    // A key's event time can precede a line's START stamp by a hair: no time.
    const qint64 ms = std::max<qint64>(elapsedMicros(m_startStamp, stamp), 0) / 1000;
    m_running[size_t(lane)] = false;
    m_time[size_t(lane)] = ms;
    if (std::none_of(m_running.begin(), m_running.end(), [](bool running) { return running; }))
        m_phase = Phase::Finished;
    emit changed();
    return ms;
}

void RaceState::falseStart()
{
    // One change: the lanes never show as ready without the false start.
    clear();
    m_falseStarted = true;
    emit changed();
}

void RaceState::reset()
{
    clear();
    emit changed();
}

void RaceState::clear()
{
    m_phase = Phase::Ready;
    m_armed = false;
    m_running = {false, false};
    m_time = {-1, -1};
}
