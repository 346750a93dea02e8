#include "bench/SignalPath.h"

#include "platform/TickCount.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <pthread.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <thread>

int rounds(int divisor)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("OMBREL_BENCH_ROUNDS", &ok);
    return std::max(1, (ok && n > 0 ? n : 1000) / divisor);
}

void sleepUntil(quint64 micros)
{
    timespec until = {};
    until.tv_sec = time_t(micros / 1000000u);
    until.tv_nsec = long(micros % 1000000u) * 1000L;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

void likeHardware()
{
    sched_param param = {};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

void onInterruptCpu()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(InterruptCpu, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

void sleepMs(int ms)
{
    sleepUntil(monotonicMicros() + quint64(ms) * 1000u);
}

bool waitUntil(const std::atomic<int> &value, int target)
{
    const quint64 deadline = monotonicMicros() + 5000000u;
    while (value.load() < target) {
        if (monotonicMicros() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void postBusyTask(std::atomic<int> &started)
{
    const int before = started.load();
    QMetaObject::invokeMethod(
        qApp,
        [&started] {
            ++started;
            const quint64 until = monotonicMicros() + 200000u;
            while (monotonicMicros() < until) {
            }
        },
        Qt::QueuedConnection);
    waitUntil(started, before + 1);
}

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

int jitterMs(std::minstd_rand &random)
{
    return int(random() % 50u);
}

int runEdgeRounds(LinePath &path, int n, int gapMs, bool busy, std::minstd_rand &random, Errors &errors)
{
    std::atomic<int> busyStarted = 0;
    int merged = 0;
    QEventLoop loop;
    std::thread edges([&] {
        likeHardware();
        onInterruptCpu();
        for (int r = 0; r < n; ++r) {
            if (busy)
                postBusyTask(busyStarted);
            const int finished = path.finished.load();
            const quint64 edge0 = monotonicMicros();
            path.fake->setLines(TIOCM_DSR);
            const int gap = gapMs >= 100 ? gapMs + jitterMs(random) : gapMs;
            sleepUntil(edge0 + quint64(gap) * 1000u);
            const quint64 edge1 = monotonicMicros();
            path.fake->setLines(TIOCM_DSR | TIOCM_CTS);
            if (waitUntil(path.finished, finished + 1)) {
                errors.add(edge0, edge1, path.stamps[0], path.stamps[1]);
            } else {
                // Both edges were read in one look: CTS goes first, so the STOPP found no run yet.
                ++merged;
                QMetaObject::invokeMethod(
                    qApp,
                    [&path] {
                        path.race = {true, true, false, false};
                    },
                    Qt::BlockingQueuedConnection);
            }
            // Both contacts open again, well apart from the next round's edges.
            sleepMs(100 + jitterMs(random));
            const int handled = path.handled.load();
            path.fake->setLines(0);
            waitUntil(path.handled, handled + 2);
            sleepMs((busy ? 10 : 100) + jitterMs(random));
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    edges.join();
    return merged;
}

void measureLineEdges(benchmark::State &state, int gapMs, bool busy, int n)
{
    std::minstd_rand random(12345);
    Errors errors;
    LinePath path;
    const int threadsBefore = threadCount();
    path.port->Open();
    path.fake->waitUntilWaiting(2000);
    const int threadsAdded = threadCount() - threadsBefore;
    const int guardBefore = path.port->guardFinds();
    bool realtime = false;
    int merged = 0;
    for (auto _ : state) {
        merged += runEdgeRounds(path, n, gapMs, busy, random, errors);
        realtime = path.port->isRealtime();
    }
    errors.report(state);
    state.counters["rounds"] = double(errors.lane.size());
    state.counters["merged"] = merged;
    state.counters["guard_finds"] = path.port->guardFinds() - guardBefore;
    state.counters["realtime"] = realtime ? 1 : 0;
    state.counters["wait_cpu"] = path.port->waitCpu();
    state.counters["threads_added"] = threadsAdded;
    path.port->Close();
}
