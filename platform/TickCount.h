#pragma once

#include <QtGlobal>

#include <functional>

// Milliseconds of the monotonic clock as an unsigned 32-bit count that wraps modulo 2^32.
// Race control takes every time stamp from here, so tests can drive time.
quint32 GetTickCount();

using TickSource = std::function<quint32()>;

// Replaces the clock (an empty function restores the system clock); returns the previous source.
TickSource setTickSource(TickSource source);
