#pragma once

// What the signal-path benchmarks share: an edge thread standing in for the hardware, one port serving
// START and STOPP as the main window decides, and the statistics of the stamp errors.
#include "comms/Comms.h"
#include "comms/LineSignal.h"
#include "tests/support/FakeComDevice.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <functional>
#include <memory>
#include <random>
#include <vector>

// Rounds of a case: OMBREL_BENCH_ROUNDS (default 1000), divided by divisor.
int rounds(int divisor = 1);
void sleepUntil(quint64 micros);
void sleepMs(int ms);
// The edge thread stands in for the hardware: where allowed it runs like the wait thread, so the
// moment it reads as the edge's is the moment the line changes.
void likeHardware();
// The CPU the line edges are delivered on, as a serial port's interrupt is delivered on one CPU.
inline constexpr int InterruptCpu = 0;
void onInterruptCpu();
bool waitUntil(const std::atomic<int> &value, int target);
// Keeps the main thread busy for 200 ms through its event queue; returns once the task runs.
void postBusyTask(std::atomic<int> &started);
int threadCount();
// Real edges keep no step with the wait thread's guard timer: each pause gets a random part.
int jitterMs(std::minstd_rand &random);

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
            const LineSignals inputs = decideLineSignal(sender->Port(), sender->currentEvent(),
                                                        sender->modemStatus(), settings, state);
            const LineAction action = DispatchLineSignal(inputs, race);
            switch (action) {
            case LineAction::Start:
                race = {false, false, true, true};
                stamps[0] = sender->eventStamp();
                break;
            case LineAction::StopLane1:
                stamps[1] = sender->eventStamp();
                race = {true, true, false, false};
                break;
            case LineAction::StopLane2:
            case LineAction::None: break;
            }
            if (onAction && action != LineAction::None)
                onAction(action, sender->eventStamp());
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

// Makes n rounds of a START edge and, gapMs later (100 ms and more: with a random part), a STOPP edge
// from a thread standing in for the hardware, while the main thread runs its event loop (kept busy
// for 200 ms by a posted task each round when busy). Returns the rounds whose two edges were read
// together.
int runEdgeRounds(LinePath &path, int n, int gapMs, bool busy, std::minstd_rand &random, Errors &errors);

// Edge pairs on the line path for n rounds, STOPP gapMs after START (100 ms and more: isolated edges
// with a random part), the main thread idle or kept busy; reports the errors into the state's counters.
void measureLineEdges(benchmark::State &state, int gapMs, bool busy, int n);
