// The scoreboard while a run is on, on the main thread it shares with the main window.
//
// Frames: a board of 40 ranked riders with both lanes running, at 1080p and at 4K, driven by its own
// frame timer for OMBREL_BENCH_ROUNDS / 2 frames (default 500, ten seconds) after a warm-up. A frame's time
// is the main thread's CPU time from one frame to the next: the digits set and what changed painted.
// Reported in milliseconds: median, p99 and max; and the frames shown per second.
//
// Stamps: the isolated line edges of signalpath_bench (a fifth of its rounds), first without a board,
// then with one at 1080p repainting its running digits: stamp and lane-time errors in microseconds.
#include "bench/SignalPath.h"
#include "board/Scoreboard.h"
#include "platform/TickCount.h"
#include "protocol/RaceState.h"
#include "protocol/ResultsModel.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// A show in full swing: the list loaded and ranked, a heat running on both lanes, the board up.
struct Show
{
    explicit Show(QSize size)
    {
        QList<QStringList> rows;
        for (int i = 1; i <= 40; ++i) {
            rows.append({QString::number(i), QStringLiteral("Reiterin %1 Mustermann").arg(i),
                         QStringLiteral("Pferd %1 vom Hof").arg(i), Results::timeText(1000 + 37 * i),
                         QString()});
        }
        results.load(Results::headerCaptions(), rows);
        race.setLaneNumber(0, 1);
        race.setLaneNumber(1, 2);
        race.start(monotonicMicros());
        board.setTitle(QStringLiteral("Passrennen 250 m"));
        board.resize(size);
        board.show();
        QCoreApplication::processEvents();
    }

    Results::ResultsModel results;
    RaceState race;
    Scoreboard board{results, race};
};

quint64 threadCpuMicros()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return quint64(now.tv_sec) * 1000000u + quint64(now.tv_nsec) / 1000u;
}

void BM_BoardFrame(benchmark::State &state, int width, int height)
{
    constexpr int WarmUp = 25;
    const int frames = rounds(2);
    Show show(QSize(width, height));
    auto *timer = show.board.findChild<QTimer *>(QStringLiteral("frameTimer"));
    std::vector<double> ms;
    double perSecond = 0;
    for (auto _ : state) {
        QEventLoop loop;
        int count = 0;
        quint64 lastCpu = 0;
        quint64 firstWall = 0;
        quint64 lastWall = 0;
        // Connected after the board's own slot: each frame's digits are set when this runs.
        const auto connection = QObject::connect(timer, &QTimer::timeout, &loop, [&] {
            const quint64 cpu = threadCpuMicros();
            lastWall = monotonicMicros();
            if (count == WarmUp)
                firstWall = lastWall;
            else if (count > WarmUp)
                ms.push_back(double(cpu - lastCpu) / 1000.0);
            lastCpu = cpu;
            if (++count > WarmUp + frames)
                loop.quit();
        });
        loop.exec();
        QObject::disconnect(connection);
        perSecond = double(count - 1 - WarmUp) * 1e6 / double(lastWall - firstWall);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["frame_med_ms"] = Errors::at(ms, 0.5);
    state.counters["frame_p99_ms"] = Errors::at(ms, 0.99);
    state.counters["frame_max_ms"] = ms.empty() ? 0.0 : ms.back();
    state.counters["frames_per_s"] = perSecond;
}

void BM_LineStamps(benchmark::State &state, bool withBoard)
{
    std::unique_ptr<Show> show;
    if (withBoard)
        show = std::make_unique<Show>(QSize(1920, 1080));
    measureLineEdges(state, 100, false, rounds(5));
    if (show)
        state.counters["board_frames_running"] =
            show->board.findChild<QTimer *>(QStringLiteral("frameTimer"))->isActive() ? 1 : 0;
}

BENCHMARK_CAPTURE(BM_BoardFrame, 1080p, 1920, 1080)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_BoardFrame, 4K, 3840, 2160)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_LineStamps, board_off, false)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_LineStamps, board_on_1080p, true)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
