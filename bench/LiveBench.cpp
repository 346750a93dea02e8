// The live pages under load: 200 phones (live_phones, a process of their own) poll /live.json twice
// a second over keep-alive connections to 127.0.0.1 while heats run through the signal path (START
// and STOPP edges on a scripted port, decided on the main thread, the run and its time entering the
// race state and the results).
//
// One run, two phases of the same heats: without clients, then with them. Reported: the answer time
// of /live.json (median, p99, max, from the request's write to the answer's last byte, in ms); the
// main thread's longest stall (longest gap of a 1 ms timer beyond its interval, in ms) in each phase;
// the most processor time the main thread spent between two ticks of that timer, and the most time it
// was held from its loop between two ticks (working or waiting for a processor); the p99 and median
// of the START/STOPP stamp error in µs in each phase; requests answered; the resident memory after
// 1,000 and 5,000 answers and at the end (at least 10,000 answers), in kB; what the main thread
// spends on a change (the copy for the pages) and what the upload's pages cost, in µs. Rounds per
// phase: OMBREL_BENCH_ROUNDS / 10 (default 100); the run stops by itself after three minutes at most.
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

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Phones = 200;
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

// The main thread's processor time and its time ready to run but waiting for a processor, in µs,
// as the scheduler counts them.
struct SchedTimes
{
    quint64 run = 0;
    quint64 wait = 0;
};

// The longest gap of a 1 ms timer on the main thread beyond its interval; the most processor time
// the main thread spent between two ticks; and the most time it was held from its loop between two
// ticks: working, or ready to run while the processor was taken by another thread. The gap also
// counts what no thread of this machine causes (the host taking the virtual processor, timer
// slack); the held time does not.
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
            longestMs = std::max(longestMs, double(qint64(now - m_last) - 1000) / 1000.0);
            busiestMs = std::max(busiestMs, double(times.run - m_lastTimes.run) / 1000.0);
            heldMs = std::max(heldMs,
                              double(times.run + times.wait - m_lastTimes.run - m_lastTimes.wait) / 1000.0);
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
        longestMs = 0;
        busiestMs = 0;
        heldMs = 0;
        m_last = monotonicMicros();
        m_lastTimes = schedTimes();
        m_timer.start(1);
    }
    void stop() { m_timer.stop(); }
    double longestMs = 0;
    double busiestMs = 0;
    double heldMs = 0;

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
    quint64 m_last = 0;
    SchedTimes m_lastTimes;
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
    QElapsedTimer waited;
    waited.start();
    while (port == 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (port == 0) {
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
    double stallIdle = 0;
    double stallLoaded = 0;
    double busyIdle = 0;
    double busyLoaded = 0;
    double heldIdle = 0;
    double heldLoaded = 0;
    std::unique_ptr<PhoneCrowd> crowd;
    for (auto _ : state) {
        stall.start();
        runEdgeRounds(path, n, 100, false, random, idle);
        stall.stop();
        stallIdle = stall.longestMs;
        busyIdle = stall.busiestMs;
        heldIdle = stall.heldMs;

        crowd = std::make_unique<PhoneCrowd>(port);
        if (!crowd->started()) {
            state.SkipWithError("live_phones did not start");
            return;
        }
        QElapsedTimer running;
        running.start();
        while (crowd->answered < Phones && running.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        stall.start();
        runEdgeRounds(path, n, 100, false, random, loaded);
        while (crowd->answered < LeastRequests && running.elapsed() < LongestRunMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        stall.stop();
        stallLoaded = stall.longestMs;
        busyLoaded = stall.busiestMs;
        heldLoaded = stall.heldMs;
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
    state.counters["main_stall_max_ms_without"] = stallIdle;
    state.counters["main_stall_max_ms_with"] = stallLoaded;
    state.counters["main_busy_max_ms_without"] = busyIdle;
    state.counters["main_busy_max_ms_with"] = busyLoaded;
    state.counters["main_held_max_ms_without"] = heldIdle;
    state.counters["main_held_max_ms_with"] = heldLoaded;
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
