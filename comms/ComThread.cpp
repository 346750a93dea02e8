#include "comms/ComThread.h"

#include "platform/TickCount.h"

#include <QMetaObject>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <mutex>
#include <utility>

#include <pthread.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct LineBits
{
    TEvent event;
    int tiocm;
    quint32 eventBit;
    int ComCounters::*count;
};

// The input lines a wait can watch, with their event and their transition counter.
constexpr std::array<LineBits, 4> InputLines = {{{evCTS, TIOCM_CTS, EV_CTS, &ComCounters::cts},
                                                 {evDSR, TIOCM_DSR, EV_DSR, &ComCounters::dsr},
                                                 {evRing, TIOCM_RNG, EV_RING, &ComCounters::rng},
                                                 {evRLSD, TIOCM_CD, EV_RLSD, &ComCounters::dcd}}};

bool deviceGone(int error)
{
    return error == EIO || error == ENODEV || error == ENXIO || error == EBADF;
}

void wakeHandler(int)
{}

// A signal whose handler does nothing and which is installed without SA_RESTART: it ends a blocking
// ioctl or sleep of the wait thread with EINTR.
int wakeSignal()
{
    static const int number = SIGRTMIN + 4;
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action = {};
        action.sa_handler = wakeHandler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(number, &action, nullptr);
    });
    return number;
}

// How often the guard knocks on a blocking wait: rarely while the lines rest, often for a while after a
// change, when a second crossing or a bouncing contact is likely.
constexpr int IdleKnockMs = 50;
constexpr int BusyKnockMs = 2;
constexpr long BusyGuardMs = 50;

// A per-thread timer that sends the wake signal to the thread that made it, every period.
class WaitGuardTimer
{
public:
    WaitGuardTimer(int signal, int periodMs)
    {
        sigevent event = {};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = signal;
        event._sigev_un._tid = gettid(); // glibc 2.36 does not name the field yet
        if (timer_create(CLOCK_MONOTONIC, &event, &m_timer) != 0)
            return;
        m_armed = true;
        setPeriod(periodMs);
    }
    ~WaitGuardTimer()
    {
        if (m_armed)
            timer_delete(m_timer);
    }
    WaitGuardTimer(const WaitGuardTimer &) = delete;
    WaitGuardTimer &operator=(const WaitGuardTimer &) = delete;

    void setPeriod(int periodMs)
    {
        if (!m_armed || periodMs == m_periodMs)
            return;
        m_periodMs = periodMs;
        itimerspec period = {};
        period.it_interval.tv_sec = periodMs / 1000;
        period.it_interval.tv_nsec = long(periodMs % 1000) * 1000000L;
        period.it_value = period.it_interval;
        timer_settime(m_timer, 0, &period, nullptr);
    }

private:
    timer_t m_timer = {};
    bool m_armed = false;
    int m_periodMs = 0;
};

std::mutex realtimeMutex;

RealtimeRequest &realtimeRequest()
{
    static RealtimeRequest request;
    return request;
}

int requestFifoScheduling()
{
    sched_param param = {};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

timespec monotonicNow()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

void addMs(timespec &t, long ms)
{
    t.tv_nsec += (ms % 1000) * 1000000L;
    t.tv_sec += ms / 1000 + t.tv_nsec / 1000000000L;
    t.tv_nsec %= 1000000000L;
}

bool before(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

RealtimeRequestScope::RealtimeRequestScope(RealtimeRequest request)
{
    std::lock_guard lock(realtimeMutex);
    m_previous = std::exchange(realtimeRequest(), std::move(request));
}

RealtimeRequestScope::~RealtimeRequestScope()
{
    std::lock_guard lock(realtimeMutex);
    realtimeRequest() = std::move(m_previous);
}

TComThread::TComThread(TComPort *port)
    : m_port(port)
    , m_device(port->m_device.get())
    , m_path(port->m_path)
    , m_settings(port->settings())
    , m_waitLines(0)
    , m_reopenMs(port->m_reopenMs)
    , m_generation(port->m_generation)
{
    for (const LineBits &line : InputLines) {
        if (port->Events() & eventSet({line.event}))
            m_waitLines |= line.tiocm;
    }
    wakeSignal();
    m_thread = std::thread([this] { Execute(); });
}

TComThread::~TComThread()
{
    Stop();
    // One signal can arrive just before the thread enters its wait, so keep knocking until it ends.
    while (!m_finished.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (!m_finished.load())
            pthread_kill(m_thread.native_handle(), wakeSignal());
    }
    m_thread.join();
}

void TComThread::Stop()
{
    m_stop.store(true);
    if (!m_finished.load())
        pthread_kill(m_thread.native_handle(), wakeSignal());
}

void TComThread::Execute()
{
    sigset_t wake;
    sigemptyset(&wake);
    sigaddset(&wake, wakeSignal());
    pthread_sigmask(SIG_UNBLOCK, &wake, nullptr);

    // A stamp is only as good as the moment the thread runs after the edge: ask for real-time
    // scheduling, and run normally where the system does not allow it.
    RealtimeRequest request;
    {
        std::lock_guard lock(realtimeMutex);
        request = realtimeRequest();
    }
    m_port->m_realtime.store((request ? request() : requestFifoScheduling()) == 0);
    followInterrupt();

    // The modem-status wait only sees edges after it started. The counters are read the moment
    // before it, so an edge after the last change is found there; one that falls between that look
    // and the wait is found by the guard timer's next knock, often for a while after a change.
    WaitGuardTimer guard(wakeSignal(), IdleKnockMs);
    timespec busyUntil = {};

    Baseline base;
    if (!readBaseline(base))
        lose(base);
    bool polling = false;
    bool look = true;
    timespec next = monotonicNow();
    while (!m_stop.load()) {
        if (m_device->handle() < 0) {
            if (!reopen(base))
                continue;
            followInterrupt(); // a device plugged in again may sit behind another controller
            polling = false;
        }
        quint64 stamp = 0;
        bool byGuard = false;
        bool byLook = false;
        if (polling) {
            addMs(next, 1);
            const timespec current = monotonicNow();
            if (before(next, current))
                next = current;
            if (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR && m_stop.load())
                break;
            stamp = monotonicMicros();
        } else if (look && countersMoved(base)) {
            stamp = monotonicMicros();
            byGuard = byLook = true;
        } else {
            const int result = m_device->waitForChange(m_waitLines);
            stamp = monotonicMicros();
            if (result == EINTR && m_stop.load())
                break;
            if (result == ENOTTY || result == EINVAL) {
                // The driver has no modem-status wait (CP210x): poll every millisecond instead.
                polling = true;
                next = monotonicNow();
                continue;
            }
            if (result != 0 && result != EINTR) {
                lose(base);
                continue;
            }
            // EINTR is the guard's knock (or a stray signal): look whether an edge slipped by.
            byGuard = result == EINTR;
        }
        bool posted = false;
        if (!sample(base, stamp, posted)) {
            lose(base);
            continue;
        }
        // A look that found moved counters but could not read the lines waits before it looks again:
        // no spinning at real-time priority.
        look = posted || !byLook;
        if (posted) {
            if (byGuard)
                ++m_port->m_guardFinds;
            busyUntil = monotonicNow();
            addMs(busyUntil, BusyGuardMs);
            guard.setPeriod(BusyKnockMs);
        } else if (before(busyUntil, monotonicNow())) {
            guard.setPeriod(IdleKnockMs);
        }
    }
    m_finished.store(true);
}

// A real-time wait thread moves to the CPU that takes the device's interrupts, so the edge wakes it
// there. A thread at normal priority stays free to run wherever there is room.
void TComThread::followInterrupt()
{
    const int cpu = m_port->m_realtime.load() ? m_device->interruptCpu() : -1;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (cpu >= 0 && cpu < CPU_SETSIZE) {
        CPU_SET(cpu, &set);
    } else {
        if (m_port->m_waitCpu.load() < 0)
            return;
        if (sched_getaffinity(getpid(), sizeof set, &set) != 0) // the main thread's set, as before
            return;
    }
    const bool kept = pthread_setaffinity_np(pthread_self(), sizeof set, &set) == 0;
    m_port->m_waitCpu.store(kept && cpu >= 0 && cpu < CPU_SETSIZE ? cpu : -1);
}

// Whether a watched line's transition counter moved since the baseline: an edge the wait would miss.
bool TComThread::countersMoved(const Baseline &base)
{
    ComCounters now;
    if (!base.hasCounters || m_device->readCounters(now) != 0)
        return false;
    for (const LineBits &line : InputLines) {
        if ((m_waitLines & line.tiocm) && now.*line.count != base.counters.*line.count)
            return true;
    }
    return false;
}

bool TComThread::readBaseline(Baseline &base)
{
    base = Baseline();
    ComCounters counters;
    const int countError = m_device->readCounters(counters);
    if (deviceGone(countError))
        return false;
    int lines = 0;
    if (m_device->readLines(lines) != 0)
        return false;
    base.valid = true;
    base.hasCounters = countError == 0;
    base.counters = counters;
    base.lines = lines;
    m_port->m_liveStatus.store(modemStatusWord(lines));
    return true;
}

// Reads what changed since the baseline and posts it. False when the device has gone.
bool TComThread::sample(Baseline &base, quint64 stamp, bool &posted)
{
    posted = false;
    ComCounters now = base.counters;
    bool counted = false;
    if (base.hasCounters) {
        const int error = m_device->readCounters(now);
        if (deviceGone(error))
            return false;
        counted = error == 0;
    }
    int lines = 0;
    if (const int error = m_device->readLines(lines))
        return !deviceGone(error); // another failure: no guessed status, try again at the next change

    quint32 changed = 0;
    quint32 pulsed = 0;
    int pulsedLines = 0;
    for (const LineBits &line : InputLines) {
        if (!(m_waitLines & line.tiocm))
            continue;
        const bool levelChanged = ((lines ^ base.lines) & line.tiocm) != 0;
        const unsigned moved = counted ? unsigned(now.*line.count) - unsigned(base.counters.*line.count) : 0u;
        if (levelChanged || moved > 0)
            changed |= line.eventBit;
        // On and off again before the status was read: deliver both edges rather than none.
        if (!levelChanged && moved >= 2 && moved % 2 == 0) {
            pulsed |= line.eventBit;
            pulsedLines |= line.tiocm;
        }
    }
    base.lines = lines;
    if (counted)
        base.counters = now;
    m_port->m_liveStatus.store(modemStatusWord(lines));
    if (pulsed != 0)
        post({ComEvent::Lines, pulsed, modemStatusWord(lines ^ pulsedLines), stamp});
    if (changed != 0)
        post({ComEvent::Lines, changed, modemStatusWord(lines), stamp});
    posted = changed != 0;
    return true;
}

// The device went away: close it at once so nothing hangs on it, and tell the port.
void TComThread::lose(Baseline &base)
{
    m_device->close();
    base = Baseline();
    m_port->m_liveStatus.store(TComPort::NoLiveStatus);
    post({ComEvent::Lost, 0, 0, 0});
}

bool TComThread::reopen(Baseline &base)
{
    sleepFor(m_reopenMs);
    if (m_stop.load() || m_device->open(m_path) != 0)
        return false;
    if (m_device->configure(m_settings) != 0 || !readBaseline(base)) {
        m_device->close();
        return false;
    }
    post({ComEvent::Reopened, 0, 0, 0});
    return true;
}

void TComThread::sleepFor(int ms)
{
    timespec until = monotonicNow();
    addMs(until, ms);
    // The guard timer's knocks do not shorten the sleep; a stop does.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR && !m_stop.load()) {
    }
}

void TComThread::post(const ComEvent &event)
{
    TComPort *port = m_port;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        port, [port, generation, event] { port->deliver(generation, event); }, Qt::QueuedConnection);
}
