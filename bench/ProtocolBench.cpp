// Loading a large start list, and the work at the end of a run (enter the time, rank, save the
// protocol, log the time) on protocols of growing size.
#include "app/FMain.h"
#include "controls/SortGrid.h"
#include "platform/AppPaths.h"
#include "platform/Sound.h"
#include "platform/TickCount.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// A start list, or with runs a protocol that keeps that many runs of every rider.
QString writeStartList(const QTemporaryDir &dir, int entries, int runs = 0)
{
    QByteArray bytes = "Nr.\tName\tPferd\tZeit\tPlatz\t";
    for (int r = 1; r <= runs; ++r)
        bytes += QByteArray::number(r) + ". Lauf\t";
    bytes += "\r\n";
    auto timeOf = [](int n) {
        return QByteArray::number(20 + n % 40) + "," + QByteArray::number(10 + n % 89);
    };
    for (int i = 1; i <= entries; ++i) {
        bytes += QByteArray::number(i) + "\tReiterin M\xfcller " + QByteArray::number(i * 7919 % 10007) +
                 "\tPferd vom Hof " + QByteArray::number(i % 97) + "\t" + (i % 3 ? timeOf(i) : " ") + "\t \t";
        for (int r = 1; r <= runs; ++r)
            bytes += timeOf(i * 31 + r * 17) + "\t";
        bytes += "\r\n";
    }
    QString path = dir.filePath(QStringLiteral("start-%1-%2.txt").arg(entries).arg(runs));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

struct Fixture
{
    QTemporaryDir dir;
    quint32 ticks = 1000;
    ProgramPathScope programPath{dir.filePath(QStringLiteral("ombrel"))};
    SoundPlayerScope silence{[](const QString &) {}};
    TickSourceScope clock{[this] { return ticks; }};
};

// Loads a start list through the open dialog, as the operator does.
void load(TFormMain &form, const QString &path)
{
    form.execFileDialog = [path](QFileDialog &dialog) {
        dialog.selectFile(path);
        return int(QDialog::Accepted);
    };
    form.findChild<QAbstractButton *>(QStringLiteral("sbLoad"))->click();
}

// Runs of one lane in the pace test mode, timing only the lane stop that ends each: time entered,
// protocol ranked and saved, time logged. Each RESET moves on to the next riders; the list is loaded
// afresh before a rider would reach the most runs a rider may have, which the protocol refuses.
void endRuns(benchmark::State &state, Fixture &fixture, TFormMain &form, const QString &list)
{
    const qint64 entries = std::max(1, form.results().count());
    form.findChild<QComboBox *>(QStringLiteral("cbMode"))->setCurrentIndex(0);
    auto item = [&](const char *name) { return form.findChild<QAction *>(QString::fromLatin1(name)); };
    qint64 runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        item("mReset")->trigger(); // after the first run
        if (++runs % (entries * 6) == 0)
            load(form, list);
        item("mStart")->trigger();
        fixture.ticks += 12345;
        state.ResumeTiming();
        item("mSTOP1")->trigger();
    }
}

// Includes the file dialog's set-up, which the operator's load includes as well.
void BM_LoadStartList(benchmark::State &state)
{
    Fixture fixture;
    const QString path = writeStartList(fixture.dir, int(state.range(0)));
    TFormMain form;
    for (auto _ : state)
        load(form, path);
    state.SetLabel(QStringLiteral("%1 rows")
                       .arg(form.findChild<TSortGrid *>(QStringLiteral("SortGrid1"))->RowCount() - 1)
                       .toStdString());
}
BENCHMARK(BM_LoadStartList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One lane stop that ends a run in the pace test mode: time entered, protocol ranked and saved,
// time logged.
void BM_EndOfRun(benchmark::State &state)
{
    Fixture fixture;
    const QString path = writeStartList(fixture.dir, int(state.range(0)));
    TFormMain form;
    load(form, path);
    endRuns(state, fixture, form, path);
}
BENCHMARK(BM_EndOfRun)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same with "Bester Lauf zählt" on a protocol where every rider has run four times: the run is
// kept, "Zeit" becomes the best run, and the ranking reads every rider's runs for the second best.
void BM_EndOfRunBestRun(benchmark::State &state)
{
    Fixture fixture;
    const QString path = writeStartList(fixture.dir, int(state.range(0)), 4);
    TFormMain form;
    form.settings().Wertung = 1;
    load(form, path);
    endRuns(state, fixture, form, path);
    state.SetLabel(QStringLiteral("%1 columns")
                       .arg(form.findChild<TSortGrid *>(QStringLiteral("SortGrid1"))->ColCount())
                       .toStdString());
}
BENCHMARK(BM_EndOfRunBestRun)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Files that are no start list, as operators have picked them by mistake.
const char *const OddFileNames[] = {
    "1 MB in one line",
    "10 MB in one line",
    "one entry and 800,000 lone CRs",
    "1 MB of unclosed quotes",
    "1 MB of short entries",
    "1 MB of CRs between two entries",
    "2,000 lines of five long cells",
};

QString writeOddFile(const QTemporaryDir &dir, int kind)
{
    constexpr qsizetype MB = 1 << 20;
    QByteArray bytes;
    switch (kind) {
    case 0: bytes = QByteArray(MB, 'x'); break;
    case 1: bytes = QByteArray(10 * MB, 'x'); break;
    case 2: bytes = "1;Anna;Blitz\r" + QByteArray(800000, '\r'); break;
    case 3:
        while (bytes.size() < MB)
            bytes += "1;Anna;\"Blitz\n";
        break;
    case 4:
        for (int i = 1; bytes.size() < MB; ++i)
            bytes += QByteArray::number(i) + ";R;P\r\n";
        break;
    case 5: bytes = "1;Anna\r" + QByteArray(MB, '\r') + "2;Bernd\r\n"; break;
    default:
        for (int i = 1; i <= 2000; ++i) {
            const QByteArray cell(1200, char('a' + i % 26));
            bytes += QByteArray::number(i) + ";" + cell + ";" + cell + ";" + cell + ";" + cell + "\r\n";
        }
        break;
    }
    QString path = dir.filePath(QStringLiteral("odd-%1.txt").arg(kind));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

void BM_LoadOddFile(benchmark::State &state)
{
    Fixture fixture;
    const QString path = writeOddFile(fixture.dir, int(state.range(0)));
    TFormMain form;
    for (auto _ : state)
        load(form, path);
    state.SetLabel(QStringLiteral("%1: %2 rows")
                       .arg(QLatin1StringView(OddFileNames[state.range(0)]))
                       .arg(form.findChild<TSortGrid *>(QStringLiteral("SortGrid1"))->RowCount() - 1)
                       .toStdString());
}
BENCHMARK(BM_LoadOddFile)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// The end of a run in the pace test mode after such a file was loaded.
void BM_EndOfRunAfterOddFile(benchmark::State &state)
{
    Fixture fixture;
    const QString path = writeOddFile(fixture.dir, int(state.range(0)));
    TFormMain form;
    load(form, path);
    endRuns(state, fixture, form, path);
    state.SetLabel(OddFileNames[state.range(0)]);
}
BENCHMARK(BM_EndOfRunAfterOddFile)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

} // namespace
