// Time stamps of START and STOPP as the program takes them, against the moment of the edge or key.
//
// Line cases: a thread of its own makes the edges on the scripted device (START on DSR, STOPP on CTS of
// one port, delivered on one CPU as an interrupt is); the port's wait thread stamps them and hands them to
// the main thread, which sits in its event loop, idle or kept busy for 200 ms by a posted task while the
// edges come. Isolated edges lie 100 to 150 ms apart, at random, as real edges keep no step with the wait
// thread's guard timer; a close pair puts STOPP 3 ms after START. Keyboard case: keys carrying their event
// time (as X11 or Wayland deliver them) reach the window's shortcuts while the main thread is busy.
//
// Reported in microseconds: median, p90, p99 and max of the stamp error (stamp minus edge) and of the
// lane-time error; the edges only a guard found; rounds whose two edges were read together; and,
// for an idle open port, wake-ups per second and threads it adds. Rounds: OMBREL_BENCH_ROUNDS (default
// 1000; the keyboard case takes a fifth).
#include "app/InputStamp.h"
#include "bench/SignalPath.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QInputDevice>
#include <QKeyEvent>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <pthread.h>
#include <random>
#include <sched.h>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace {

using namespace SignalPath;

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

void BM_LineEdges(benchmark::State &state, int gapMs, bool busy)
{
    std::minstd_rand random(12345);
    const int n = rounds();
    Errors errors;
    LinePath path;
    const int threadsBefore = threadCount();
    path.port->Open();
    path.fake->waitUntilWaiting(2000);
    const int threadsAdded = threadCount() - threadsBefore;
    const int guardBefore = path.port->GuardFinds();
    bool realtime = false;
    int merged = 0;
    for (auto _ : state) {
        merged += runEdgeRounds(path, n, gapMs, busy, random, errors);
        realtime = path.port->Realtime();
    }
    errors.report(state);
    state.counters["rounds"] = double(errors.lane.size());
    state.counters["merged"] = merged;
    state.counters["guard_finds"] = path.port->GuardFinds() - guardBefore;
    state.counters["realtime"] = realtime ? 1 : 0;
    state.counters["wait_cpu"] = path.port->WaitCpu();
    state.counters["threads_added"] = threadsAdded;
    path.port->Close();
}

// An open port whose lines rest: how often its wait thread wakes.
void BM_IdlePortWakeups(benchmark::State &state)
{
    LinePath path;
    path.port->Open();
    path.fake->waitUntilWaiting(2000);
    sleepMs(100);
    const int before = path.fake->waitCalls();
    const quint64 start = monotonicMicros();
    for (auto _ : state)
        sleepMs(3000);
    const double seconds = double(monotonicMicros() - start) / 1e6;
    state.counters["wakeups_per_s"] = double(path.fake->waitCalls() - before) / seconds;
    path.port->Close();
}

// The keyboard path: "S" starts and "1" stops, through the window's shortcuts, each key carrying the
// time the desktop gave it, both typed while the main thread is busy.
void BM_KeyboardBusy(benchmark::State &state)
{
    const int n = rounds(5);
    InputStamp::setEventTimesMonotonic(true);
    QWidget window;
    auto *inputStamp = new InputStamp(&window);
    QCoreApplication::instance()->installEventFilter(inputStamp);
    std::atomic<int> finished = 0;
    quint64 stamps[2] = {};
    auto *start = new QAction(&window);
    start->setShortcut(QKeySequence(Qt::Key_S));
    auto *stop = new QAction(&window);
    stop->setShortcut(QKeySequence(Qt::Key_1));
    window.addAction(start);
    window.addAction(stop);
    QObject::connect(start, &QAction::triggered, [&] { stamps[0] = inputStamp->take(); });
    QObject::connect(stop, &QAction::triggered, [&] {
        stamps[1] = inputStamp->take();
        ++finished;
    });
    window.show();
    QApplication::setActiveWindow(&window);
    QInputDevice::primaryKeyboard(); // made on the main thread before key events are made elsewhere
    QCoreApplication::processEvents();

    auto type = [&window](Qt::Key key, const QString &text, quint64 atMicros) {
        auto *press = new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text);
        press->setTimestamp(atMicros / 1000u); // the desktop's clock counts whole milliseconds
        QCoreApplication::postEvent(&window, press);
    };
    Errors errors;
    std::atomic<int> busyStarted = 0;
    for (auto _ : state) {
        QEventLoop loop;
        std::thread keys([&] {
            likeHardware();
            for (int r = 0; r < n; ++r) {
                postBusyTask(busyStarted);
                const quint64 key0 = monotonicMicros();
                type(Qt::Key_S, QStringLiteral("s"), key0);
                sleepUntil(key0 + 100000u);
                const quint64 key1 = monotonicMicros();
                type(Qt::Key_1, QStringLiteral("1"), key1);
                if (!waitUntil(finished, r + 1))
                    break;
                errors.add(key0, key1, stamps[0], stamps[1]);
                sleepMs(10);
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        keys.join();
    }
    errors.report(state);
    state.counters["rounds"] = double(errors.lane.size());
    InputStamp::setEventTimesMonotonic(std::nullopt);
}

BENCHMARK_CAPTURE(BM_LineEdges, isolated_idle, 100, false)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_LineEdges, isolated_busy_200ms, 100, true)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_LineEdges, pair_3ms_idle, 3, false)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_LineEdges, pair_3ms_busy_200ms, 3, true)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_KeyboardBusy)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_IdlePortWakeups)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
