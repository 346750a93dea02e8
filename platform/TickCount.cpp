#include "platform/TickCount.h"

#include <algorithm>
#include <ctime>

namespace {

// Stamps are compared modulo the tick counter's period, in microseconds.
constexpr quint64 StampPeriod = (quint64(1) << 32) * 1000u;
constexpr quint64 EventTimeWindowMs = 2000;

struct Sources
{
    MicroSource micros;
    TickSource ticks; // what setTickSource was given, to hand back unchanged
};

Sources &sources()
{
    static Sources current;
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
    const MicroSource &source = sources().micros;
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

MicroSource setMicroSource(MicroSource source)
{
    Sources &current = sources();
    MicroSource previous = std::move(current.micros);
    current.micros = std::move(source);
    current.ticks = nullptr;
    return previous;
}

TickSource setTickSource(TickSource source)
{
    Sources &current = sources();
    TickSource previous = std::move(current.ticks);
    if (!previous && current.micros) {
        MicroSource micros = current.micros;
        previous = [micros] { return quint32(micros() / 1000u); };
    }
    current.micros = source ? MicroSource([source] { return quint64(source()) * 1000u; }) : MicroSource();
    current.ticks = std::move(source);
    return previous;
}
