// The live pages under load: 200 phones (live_phones, a process of their own) poll /live.json twice
// a second over keep-alive connections to 127.0.0.1 while heats run through the signal path (START
// and STOPP edges on a scripted port, decided on the main thread, the run and its time entering the
// race state and the results).
//
// One run: 30 s of the timer alone (the machine's floor), then the same heats without clients and
// with them. Reported: the answer time of /live.json (median, p99, max, from the request's write to
// the answer's last byte, in ms); for each phase what a 1 ms timer on the main thread saw (see
// Stalls); the p99 and median of the START/STOPP stamp error in µs without and with clients;
// requests answered; the resident memory after 1,000 and 5,000 answers and at the end (at least
// 10,000 answers), in kB; what the main thread spends on a change (the copy for the pages) and what
// the upload's pages cost, in µs. Rounds per phase: OMBREL_BENCH_ROUNDS / 10 (default 100); the
// loaded phase stops by itself after three minutes at most.
#include "bench/SignalPath.h"
#include "live/LiveResults.h"
#include "live/LiveServer.h"
#include "live/PasswordStore.h"
#include "platform/TickCount.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <functional>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Phones = 200;
constexpr qint64 FloorMs = 30000;
constexpr int LeastRequests = 10000;
constexpr qint64 LongestRunMs = 180000;

long residentKb()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = fopen("/proc/self/statm", "r")) {
        if (fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The phones, in a process of their own (live_phones beside this program), as phones are devices of
// their own: only the server's side of the traffic is this process's work.
class PhoneCrowd : public QObject
{
public:
    explicit PhoneCrowd(quint16 port)
    {
        connect(&m_process, &QProcess::readyReadStandardOutput, this, &PhoneCrowd::read);
        m_process.setReadChannel(QProcess::StandardOutput);
        m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/live_phones"),
                        {QString::number(port)});
    }

    bool started() { return m_process.waitForStarted(5000); }

    // Ends the phones and returns their answer times, sorted.
    std::vector<double> finish()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(30000);
        read();
        std::sort(m_times.begin(), m_times.end());
        return m_times;
    }

    int answered = 0;
    long residentAt1000 = 0;
    long residentAt5000 = 0;

private:
    void read()
    {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("answered ")) {
                answered = line.mid(9).toInt();
                if (answered == 1000)
                    residentAt1000 = residentKb();
                else if (answered == 5000)
                    residentAt5000 = residentKb();
            } else if (line.startsWith("times")) {
                for (const QByteArray &time : line.mid(5).split(' '))
                    if (!time.isEmpty())
                        m_times.push_back(time.toDouble());
            }
        }
    }

    QProcess m_process;
    std::vector<double> m_times;
};

// Runs the event loop until the condition holds or the time is up; true when it holds. The loop
// sleeps between events, as the program's does, instead of spinning on the processor.
bool runUntil(const std::function<bool()> &done, qint64 ms)
{
    QEventLoop loop;
    QTimer look;
    QElapsedTimer running;
    running.start();
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || running.elapsed() >= ms)
            loop.quit();
    });
    look.start(10);
    if (!done())
        loop.exec();
    return done();
}

// The main thread's processor time and its time ready to run but waiting for a processor, in µs,
// as the scheduler counts them.
struct SchedTimes
{
    quint64 run = 0;
    quint64 wait = 0;
};

// What a 1 ms timer on the main thread saw in one phase: its longest gap beyond the interval, how
// many gaps were over 2 ms per minute, the most processor time the main thread spent between two
// ticks, and the most time it was held from its loop between two ticks (working, or ready to run
// while the processor was taken). The gaps also count what no thread of this program causes (the
// host taking the virtual processor, the kernel's own threads); the floor phase, the timer alone,
// shows how much of that the machine brings by itself.
struct Stalls
{
    double longestMs = 0;
    double overTwoMsPerMinute = 0;
    double busiestMs = 0;
    double heldMs = 0;
};

class StallWatch : public QObject
{
public:
    StallWatch()
        : m_schedstat(open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC))
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const quint64 now = monotonicMicros();
            const SchedTimes times = schedTimes();
            const double lateMs = double(qint64(now - m_last) - 1000) / 1000.0;
            m_seen.longestMs = std::max(m_seen.longestMs, lateMs);
            m_overTwoMs += lateMs > 2.0 ? 1 : 0;
            m_seen.busiestMs = std::max(m_seen.busiestMs, double(times.run - m_lastTimes.run) / 1000.0);
            m_seen.heldMs = std::max(
                m_seen.heldMs, double(times.run + times.wait - m_lastTimes.run - m_lastTimes.wait) / 1000.0);
            m_last = now;
            m_lastTimes = times;
        });
    }
    ~StallWatch() override
    {
        if (m_schedstat >= 0)
            close(m_schedstat);
    }
    void start()
    {
        m_seen = {};
        m_overTwoMs = 0;
        m_started = m_last = monotonicMicros();
        m_lastTimes = schedTimes();
        m_timer.start(1);
    }
    Stalls stop()
    {
        m_timer.stop();
        const double minutes = double(monotonicMicros() - m_started) / 60e6;
        m_seen.overTwoMsPerMinute = minutes > 0 ? m_overTwoMs / minutes : 0;
        return m_seen;
    }

private:
    SchedTimes schedTimes() const
    {
        char text[96] = {};
        unsigned long long run = 0;
        unsigned long long wait = 0;
        if (m_schedstat < 0 || pread(m_schedstat, text, sizeof text - 1, 0) <= 0 ||
            std::sscanf(text, "%llu %llu", &run, &wait) != 2)
            return {};
        return {quint64(run / 1000u), quint64(wait / 1000u)};
    }

    int m_schedstat; // opened on the main thread, so it reads the main thread's times
    QTimer m_timer;
    quint64 m_started = 0;
    quint64 m_last = 0;
    SchedTimes m_lastTimes;
    Stalls m_seen;
    int m_overTwoMs = 0;
};

void BM_LiveClientsWhileHeatsRun(benchmark::State &state)
{
    const int n = rounds(10);
    Results::ResultsModel results;
    QList<QStringList> riders;
    for (int i = 1; i <= 60; ++i)
        riders.append(
            {QString::number(i), QStringLiteral("Reiterin %1").arg(i), QStringLiteral("Pferd %1").arg(i)});
    results.load(Results::headerCaptions(), riders);
    RaceState race;
    race.setTwoLanes(false);
    PasswordStore passwords(PasswordStore::Backend::MemoryOnly);
    LiveResults live(results, race, passwords);
    quint16 port = 0;
    QObject::connect(&live.server(), &LiveServer::listening, [&port](quint16 actual) { port = actual; });
    live.server().listen(0, QHostAddress::LocalHost);
    if (!runUntil([&port] { return port != 0; }, 5000)) {
        state.SkipWithError("the live server did not listen");
        return;
    }

    // Each START puts the next rider on the lane; each STOPP enters the time.
    LinePath path;
    int rider = 0;
    path.onAction = [&](LineAction action, quint64 stamp) {
        if (action == LineAction::Start) {
            race.reset();
            race.setLaneNumber(0, rider % 60 + 1);
            race.start(stamp);
        } else if (action == LineAction::StopLane1) {
            const qint64 ms = race.stopLane(0, stamp);
            results.addRun(rider % 60 + 1, {int(ms / 10), Results::Run::Valid});
            ++rider;
        }
    };
    path.port->Open();
    path.fake->waitUntilWaiting(2000);
    std::minstd_rand random(12345);
    StallWatch stall;
    Errors idle;
    Errors loaded;
    Stalls floor;
    Stalls without;
    Stalls with;
    std::unique_ptr<PhoneCrowd> crowd;
    for (auto _ : state) {
        stall.start();
        runUntil([] { return false; }, FloorMs);
        floor = stall.stop();
        stall.start();
        runEdgeRounds(path, n, 100, false, random, idle);
        without = stall.stop();

        crowd = std::make_unique<PhoneCrowd>(port);
        if (!crowd->started()) {
            state.SkipWithError("live_phones did not start");
            return;
        }
        QElapsedTimer running;
        running.start();
        runUntil([&crowd] { return crowd->answered >= Phones; }, 10000);
        stall.start();
        runEdgeRounds(path, n, 100, false, random, loaded);
        runUntil([&crowd] { return crowd->answered >= LeastRequests; }, LongestRunMs - running.elapsed());
        with = stall.stop();
    }
    const long residentEnd = residentKb();
    const std::vector<double> answers = crowd->finish();
    const long residentAt1000 = crowd->residentAt1000;
    const long crowd5000 = crowd->residentAt5000;
    const int answered = int(answers.size());
    path.port->Close();

    // What the main thread does itself after each change: the copy for the pages; and what making
    // the upload's pages costs in the upload's thread after a change of the results.
    std::vector<double> copyUs;
    std::vector<double> uploadPagesUs;
    for (int i = 0; i < 1000; ++i) {
        const quint64 t0 = monotonicMicros();
        const auto copy = std::make_shared<const Live::State>(Live::snapshot(results, race, {}, {}));
        const quint64 t1 = monotonicMicros();
        benchmark::DoNotOptimize(LiveUpload::filesOf(*copy));
        copyUs.push_back(double(t1 - t0));
        uploadPagesUs.push_back(double(monotonicMicros() - t1));
    }
    std::sort(copyUs.begin(), copyUs.end());
    std::sort(uploadPagesUs.begin(), uploadPagesUs.end());
    state.counters["main_copy_med_us"] = Errors::at(copyUs, 0.5);
    state.counters["main_copy_p99_us"] = Errors::at(copyUs, 0.99);
    state.counters["pool_upload_pages_med_us"] = Errors::at(uploadPagesUs, 0.5);
    state.counters["pool_upload_pages_p99_us"] = Errors::at(uploadPagesUs, 0.99);

    for (std::vector<double> *stamps : {&idle.stamp, &loaded.stamp})
        std::sort(stamps->begin(), stamps->end());
    state.counters["answer_med_ms"] = Errors::at(answers, 0.5);
    state.counters["answer_p99_ms"] = Errors::at(answers, 0.99);
    state.counters["answer_max_ms"] = answers.empty() ? 0.0 : answers.back();
    state.counters["requests"] = answered;
    for (const auto &[phase, seen] : {std::pair{"floor", &floor}, {"without", &without}, {"with", &with}}) {
        const std::string suffix = std::string("_") + phase;
        state.counters["main_stall_max_ms" + suffix] = seen->longestMs;
        state.counters["main_stalls_over_2ms_per_min" + suffix] = seen->overTwoMsPerMinute;
        state.counters["main_busy_max_ms" + suffix] = seen->busiestMs;
        state.counters["main_held_max_ms" + suffix] = seen->heldMs;
    }
    state.counters["stamp_p99_us_without"] = Errors::at(idle.stamp, 0.99);
    state.counters["stamp_p99_us_with"] = Errors::at(loaded.stamp, 0.99);
    state.counters["stamp_med_us_without"] = Errors::at(idle.stamp, 0.5);
    state.counters["stamp_med_us_with"] = Errors::at(loaded.stamp, 0.5);
    state.counters["rounds"] = double(loaded.lane.size());
    state.counters["rss_kb_at_1000"] = double(residentAt1000);
    state.counters["rss_kb_at_5000"] = double(crowd5000);
    state.counters["rss_kb_at_end"] = double(residentEnd);
}

BENCHMARK(BM_LiveClientsWhileHeatsRun)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
