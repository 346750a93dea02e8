#pragma once

// The signal path's measuring machinery, shared by the benchmarks that time START and STOPP stamps:
// a thread standing in for the hardware makes line edges on a scripted port, the port's wait
// thread stamps them, and the main thread decides on them as the main window does.
#include "comms/Comms.h"
#include "comms/LineSignal.h"
#include "platform/TickCount.h"
#include "tests/support/FakeComDevice.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <functional>
#include <pthread.h>
#include <random>
#include <sched.h>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace SignalPath {

inline int rounds(int divisor = 1)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("OMBREL_BENCH_ROUNDS", &ok);
    return std::max(1, (ok && n > 0 ? n : 1000) / divisor);
}

inline void sleepUntil(quint64 micros)
{
    timespec until = {};
    until.tv_sec = time_t(micros / 1000000u);
    until.tv_nsec = long(micros % 1000000u) * 1000L;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

// The edge thread stands in for the hardware: where allowed it runs like the wait thread, so the
// moment it reads as the edge's is the moment the line changes.
inline void likeHardware()
{
    sched_param param = {};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

// The CPU the line edges are delivered on, as a serial port's interrupt is delivered on one CPU.
inline constexpr int InterruptCpu = 0;

inline void onInterruptCpu()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(InterruptCpu, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

inline void sleepMs(int ms)
{
    sleepUntil(monotonicMicros() + quint64(ms) * 1000u);
}

inline bool waitUntil(const std::atomic<int> &value, int target)
{
    const quint64 deadline = monotonicMicros() + 5000000u;
    while (value.load() < target) {
        if (monotonicMicros() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Keeps the main thread busy for 200 ms through its event queue; returns once the task runs.
inline void postBusyTask(std::atomic<int> &started)
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

struct Errors
{
    std::vector<double> stamp, lane;

    void add(quint64 edge0, quint64 edge1, quint64 stamp0, quint64 stamp1)
    {
        stamp.push_back(double(qint64(stamp0 - edge0)));
        stamp.push_back(double(qint64(stamp1 - edge1)));
        lane.push_back(std::abs(double(qint64(stamp1 - stamp0) - qint64(edge1 - edge0))));
    }

    static double at(const std::vector<double> &sorted, double p)
    {
        return sorted.empty() ? 0.0 : sorted[std::size_t(std::ceil(p * double(sorted.size() - 1)))];
    }

    void report(benchmark::State &state)
    {
        for (auto [name, values] : {std::pair{"stamp", &stamp}, std::pair{"lane", &lane}}) {
            std::sort(values->begin(), values->end());
            const std::string prefix = std::string(name) + "_err_";
            state.counters[prefix + "med_us"] = at(*values, 0.5);
            state.counters[prefix + "p90_us"] = at(*values, 0.9);
            state.counters[prefix + "p99_us"] = at(*values, 0.99);
            state.counters[prefix + "max_us"] = values->empty() ? 0.0 : values->back();
        }
    }
};

// One port serving START on DSR and STOPP on CTS, decided as the main window decides.
struct LinePath
{
    LinePath()
    {
        auto device = std::make_unique<FakeComDevice>();
        fake = device.get();
        port = std::make_unique<TComPort>(nullptr, std::move(device));
        applyLineInputDesign(*port, 1);
        port->setPort(3);
        fake->setInterruptCpu(InterruptCpu);
        const auto comPort1DSR = [this](TComPort *sender) {
            const LineSignals inputs = decideLineSignal(sender->Port(), sender->CurrentEvent(),
                                                        sender->ModemStatus(), settings, state);
            const LineAction action = DispatchLineSignal(inputs, race);
            switch (action) {
            case LineAction::Start:
                race = {false, false, true, true};
                stamps[0] = sender->EventStamp();
                break;
            case LineAction::StopLane1:
                stamps[1] = sender->EventStamp();
                race = {true, true, false, false};
                break;
            case LineAction::StopLane2:
            case LineAction::None: break;
            }
            if (onAction && action != LineAction::None)
                onAction(action, sender->EventStamp());
            if (action == LineAction::StopLane1)
                ++finished;
            ++handled;
        };
        QObject::connect(port.get(), &TComPort::OnCTS, comPort1DSR);
        QObject::connect(port.get(), &TComPort::OnDSR, comPort1DSR);
        QObject::connect(port.get(), &TComPort::OnOpen, [this] { state.reset(); });
    }

    FakeComDevice *fake = nullptr;
    std::unique_ptr<TComPort> port;
    LineSettings settings{3, 3, 0, 1, LineModeOn, LineModeOn};
    LineLevels state;
    RaceView race{true, true, false, false};
    std::atomic<int> handled = 0;
    std::atomic<int> finished = 0;
    quint64 stamps[2] = {};
    // What the program does with a START or STOPP besides deciding on it, on the main thread.
    std::function<void(LineAction, quint64 stamp)> onAction;
};

// Real edges keep no step with the wait thread's guard timer: each pause gets a random part.
inline int jitterMs(std::minstd_rand &random)
{
    return int(random() % 50u);
}

// Makes `n` rounds of a START edge and, `gapMs` later, a STOPP edge from a thread standing in for the
// hardware, while the main thread runs its event loop (kept busy for 200 ms by a posted task each round
// when `busy`). Returns the rounds whose two edges were read together.
inline int runEdgeRounds(LinePath &path, int n, int gapMs, bool busy, std::minstd_rand &random,
                         Errors &errors)
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

} // namespace SignalPath
