#include "platform/TickCount.h"

#include <algorithm>
#include <ctime>
#include <utility>

namespace {

// Stamps are compared modulo the tick counter's period, in microseconds.
constexpr quint64 StampPeriod = (quint64(1) << 32) * 1000u;
constexpr quint64 EventTimeWindowMs = 2000;

MicroSource &microSource()
{
    static MicroSource current;
    return current;
}

quint64 systemMicros()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return quint64(now.tv_sec) * 1000000u + quint64(now.tv_nsec) / 1000u;
}

} // namespace

quint64 monotonicMicros()
{
    const MicroSource &source = microSource();
    return source ? source() : systemMicros();
}

quint32 GetTickCount()
{
    return quint32(monotonicMicros() / 1000u); // wraps like the tick counter it stands in for
}

qint64 elapsedMicros(quint64 start, quint64 stop)
{
    const quint64 d = (stop % StampPeriod + StampPeriod - start % StampPeriod) % StampPeriod;
    return d >= StampPeriod / 2 ? qint64(d) - qint64(StampPeriod) : qint64(d);
}

std::optional<quint64> stampOfEventTime(quint64 eventMs)
{
    const quint64 now = monotonicMicros();
    const quint64 nowMs = now / 1000u;
    const quint32 age = quint32(nowMs) - quint32(eventMs);
    if (age > EventTimeWindowMs || age > nowMs)
        return std::nullopt;
    // The event's millisecond is truncated: its middle is the best guess, never later than now.
    return std::min(now, (nowMs - age) * 1000u + 500u);
}

MicroSourceScope::MicroSourceScope(MicroSource source)
    : m_previous(std::exchange(microSource(), std::move(source)))
{}

MicroSourceScope::~MicroSourceScope()
{
    microSource() = std::move(m_previous);
}

TickSourceScope::TickSourceScope(const TickSource &source)
    : MicroSourceScope(source ? MicroSource([source] { return quint64(source()) * 1000u; }) : MicroSource())
{}
