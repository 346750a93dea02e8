#include "platform/TickCount.h"

#include <ctime>

namespace {

TickSource &tickSource()
{
    static TickSource source;
    return source;
}

quint32 systemTicks()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const quint64 ms = quint64(now.tv_sec) * 1000u + quint64(now.tv_nsec) / 1000000u;
    return quint32(ms); // wraps like the tick counter it stands in for
}

} // namespace

quint32 GetTickCount()
{
    const TickSource &source = tickSource();
    return source ? source() : systemTicks();
}

TickSource setTickSource(TickSource source)
{
    TickSource previous = std::move(tickSource());
    tickSource() = std::move(source);
    return previous;
}
