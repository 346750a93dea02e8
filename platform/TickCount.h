#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

// Milliseconds of the monotonic clock as an unsigned 32-bit count that wraps modulo 2^32: the ticks
// the running displays count with.
quint32 GetTickCount();

// Microseconds of the same monotonic clock: the time stamps of START and STOPP, whatever brought them.
quint64 monotonicMicros();

// The time from one stamp to a later one. Stamps count modulo 2^32 ms, as the tick counter does, so a
// run across its wrap measures right (runs shorter than 2^31 ms).
qint64 elapsedMicros(quint64 start, quint64 stop);

// The stamp of an input event from its own time (milliseconds of the monotonic clock, sent modulo 2^32
// by X11 and Wayland) when that lies within the last two seconds; empty for any other time.
std::optional<quint64> stampOfEventTime(quint64 eventMs);

// Replaces the clock for tests while it lives and brings the previous one back when it ends, so a
// test that fails early leaves no clock behind (an empty source is the system clock).
using MicroSource = std::function<quint64()>;
class MicroSourceScope
{
public:
    explicit MicroSourceScope(MicroSource source);
    ~MicroSourceScope();
    Q_DISABLE_COPY_MOVE(MicroSourceScope)

private:
    MicroSource m_previous;
};

// The same clock counted in whole milliseconds.
using TickSource = std::function<quint32()>;
class TickSourceScope : public MicroSourceScope
{
public:
    explicit TickSourceScope(const TickSource &source);
};
