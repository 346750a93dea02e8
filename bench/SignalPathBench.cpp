// Time stamps of line signals: a START edge and a STOPP edge through the scripted device, the wait thread,
// the queued hand-over and the signal decision. Reports the error of the recorded lane time and of each
// stamp against the edges, with the main thread idle and with it busy for 200 ms at the STOPP edge.
// The tick counter counts microseconds here, so errors far below its usual millisecond show.
#include "comms/Comms.h"
#include "comms/LineSignal.h"
#include "platform/TickCount.h"
#include "tests/support/FakeComDevice.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

quint32 microTicks()
{
    static const Clock::time_point origin = Clock::now();
    return quint32(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin).count());
}

double percentile(const std::vector<double> &sorted, double p)
{
    return sorted[std::size_t(p * double(sorted.size() - 1))];
}

void busyFor(int ms)
{
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
    }
}

// One port serving START on DSR and STOPP on CTS, wired as the main window wires it.
struct SignalPath
{
    explicit SignalPath(std::unique_ptr<FakeComDevice> device)
        : fake(device.get())
        , port(nullptr, std::move(device))
    {
        applyLineInputDesign(port, 1);
        port.setPort(3);
        const TComPort::TNotifyEvent comPort1DSR = [this](TComPort *sender) {
            ++handled;
            const LineSignals inputs = decideLineSignal(sender->Port(), sender->CurrentEvent(),
                                                        sender->ModemStatus(), settings, state);
            switch (DispatchLineSignal(inputs, race)) {
            case LineAction::None: return;
            case LineAction::Start:
                race = {false, false, true, true};
                startStamp = sender->EventTick();
                break;
            case LineAction::StopLane1:
                race.lane1Running = false;
                stopStamp = sender->EventTick();
                stopHandled = GetTickCount();
                break;
            case LineAction::StopLane2: race.lane2Running = false; break;
            }
        };
        port.OnCTS = comPort1DSR;
        port.OnDSR = comPort1DSR;
        port.OnOpen = [this](TComPort *) { state.reset(); };
    }

    // Sets the lines and, unless busy, lets the main thread take every event they cause.
    void edge(int lines, int events, int busyMs)
    {
        const int expected = handled + events;
        fake->setLines(lines);
        if (busyMs > 0)
            busyFor(busyMs);
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
        while (handled < expected && Clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    FakeComDevice *fake;
    TComPort port;
    LineSettings settings{3, 3, 0, 1, LineModeOn, LineModeOn};
    LineLevels state;
    RaceView race;
    int handled = 0;
    quint32 startStamp = 0, stopStamp = 0, stopHandled = 0;
};

void BM_LaneTimeFromEdges(benchmark::State &state, int busyMs)
{
    const TickSource saved = setTickSource(microTicks);
    {
        SignalPath path(std::make_unique<FakeComDevice>());
        path.port.Open();
        path.fake->waitUntilWaiting(2000);
        std::vector<double> laneErrors, stampErrors;
        double sumHandlerDelay = 0;
        for (auto _ : state) {
            path.race = {true, true, false, false};
            const quint32 startEdge = GetTickCount();
            path.edge(TIOCM_DSR, 1, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
            const quint32 stopEdge = GetTickCount();
            path.edge(TIOCM_DSR | TIOCM_CTS, 1, busyMs);

            const double laneError =
                std::abs(double(qint32((path.stopStamp - path.startStamp) - (stopEdge - startEdge))));
            const double stampError = std::max(double(qint32(path.startStamp - startEdge)),
                                               double(qint32(path.stopStamp - stopEdge)));
            laneErrors.push_back(laneError);
            stampErrors.push_back(stampError);
            sumHandlerDelay += double(qint32(path.stopHandled - stopEdge));
            path.edge(0, 2, 0);
        }
        const double n = double(state.iterations());
        std::sort(laneErrors.begin(), laneErrors.end());
        std::sort(stampErrors.begin(), stampErrors.end());
        state.counters["lane_err_median_us"] = percentile(laneErrors, 0.5);
        state.counters["lane_err_p90_us"] = percentile(laneErrors, 0.9);
        state.counters["lane_err_max_us"] = laneErrors.back();
        state.counters["stamp_err_median_us"] = percentile(stampErrors, 0.5);
        state.counters["stamp_err_max_us"] = stampErrors.back();
        // What a stamp taken when the main thread handles the event would be off by.
        state.counters["handler_delay_mean_us"] = sumHandlerDelay / n;
        path.port.Close();
    }
    setTickSource(saved);
}

BENCHMARK_CAPTURE(BM_LaneTimeFromEdges, idle_main_thread, 0)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LaneTimeFromEdges, main_thread_busy_200ms, 200)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

} // namespace
