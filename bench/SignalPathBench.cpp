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
#include "comms/Comms.h"
#include "comms/LineSignal.h"
#include "platform/TickCount.h"
#include "tests/support/FakeComDevice.h"

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

int rounds(int divisor = 1)
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

// The edge thread stands in for the hardware: where allowed it runs like the wait thread, so the
// moment it reads as the edge's is the moment the line changes.
void likeHardware()
{
    sched_param param = {};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

// The CPU the line edges are delivered on, as a serial port's interrupt is delivered on one CPU.
constexpr int InterruptCpu = 0;

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

// Keeps the main thread busy for 200 ms through its event queue; returns once the task runs.
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
            switch (DispatchLineSignal(inputs, race)) {
            case LineAction::Start:
                race = {false, false, true, true};
                stamps[0] = sender->EventStamp();
                break;
            case LineAction::StopLane1:
                stamps[1] = sender->EventStamp();
                race = {true, true, false, false};
                ++finished;
                break;
            case LineAction::StopLane2:
            case LineAction::None: break;
            }
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
};

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Real edges keep no step with the wait thread's guard timer: each pause gets a random part.
int jitterMs(std::minstd_rand &random)
{
    return int(random() % 50u);
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
    std::atomic<int> busyStarted = 0;
    bool realtime = false;
    int merged = 0;
    for (auto _ : state) {
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
