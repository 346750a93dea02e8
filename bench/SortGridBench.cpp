// Sorting 10,000 protocol rows: the engine alone and through the grid widget.
#include "controls/SortGrid.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 10000;
constexpr int TimeCol = 3;
constexpr double NoTime = 2147483647.0;

// Times as the lanes write them ("75,43"), with some riders out or not run yet.
QList<QStringList> protocolRows()
{
    QRandomGenerator random(42);
    QList<QStringList> rows;
    rows.reserve(Rows);
    for (int i = 0; i < Rows; ++i) {
        QString time;
        const quint32 kind = random.bounded(20);
        if (kind == 0)
            time = QStringLiteral("AUS");
        else if (kind > 2)
            time = QString::number(random.bounded(6000, 9000) / 100.0, 'f', 2).replace(u'.', u',');
        const QString run =
            QStringLiteral("Lauf %1 %2").arg(random.bounded(1, 500)).arg(QChar(u'a' + random.bounded(3)));
        rows.append({QString::number(i + 1), QStringLiteral("Reiter %1").arg(i), run, time, QString()});
    }
    return rows;
}

StringGridCells protocolCells()
{
    const QList<QStringList> rows = protocolRows();
    StringGridCells cells(5, Rows + 1);
    cells.setRows(0, {QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Pferd"),
                      QStringLiteral("Zeit"), QStringLiteral("Platz")});
    for (int i = 0; i < Rows; ++i)
        cells.setRows(i + 1, rows[i]);
    return cells;
}

// The program's time comparison: a converter built once per sort, as its style handler does.
SortComparison timeComparison()
{
    return [converter = LocaleConverter()](const QString &a, const QString &b) {
        auto key = [&](const QString &text) {
            double value = 0;
            if (text.isEmpty() || text == u"aus" || text == u"AUS" || !converter.toDouble(text, value))
                return NoTime;
            return value;
        };
        const double x = key(a);
        const double y = key(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    };
}

void sortEngine(benchmark::State &state, int col, TSortStyle style)
{
    const StringGridCells original = protocolCells();
    for (auto _ : state) {
        state.PauseTiming();
        StringGridCells cells = original;
        TSortOptions options;
        state.ResumeTiming();
        sortRows(cells, col, options, [&](int, TSortStyle &answer) {
            answer = style;
            if (style == ssCustom)
                options.SortCompare = timeComparison();
        });
        benchmark::DoNotOptimize(cells);
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

void BM_EngineCustomTime(benchmark::State &state)
{
    sortEngine(state, TimeCol, ssCustom);
}
BENCHMARK(BM_EngineCustomTime)->Unit(benchmark::kMillisecond);

void BM_EngineNumericExtended(benchmark::State &state)
{
    sortEngine(state, 2, ssNumericExtended);
}
BENCHMARK(BM_EngineNumericExtended)->Unit(benchmark::kMillisecond);

void BM_EngineNumeric(benchmark::State &state)
{
    sortEngine(state, TimeCol, ssNumeric);
}
BENCHMARK(BM_EngineNumeric)->Unit(benchmark::kMillisecond);

// The whole SortByColumn of a shown grid: update bracket, model notification, repaint request.
void sortWidget(benchmark::State &state, int col, TSortStyle style)
{
    const QList<QStringList> rows = protocolRows();
    TSortGrid grid;
    grid.setColCount(5);
    grid.setRowCount(Rows + 1);
    grid.resize(600, 400);
    grid.show();
    grid.OnGetSortStyle = [&](TSortGrid *sender, int, TSortStyle &answer) {
        answer = style;
        if (style == ssCustom)
            sender->SortOptions().SortCompare = timeComparison();
    };
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < Rows; ++i)
            grid.setRows(i + 1, rows[i]);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        grid.SortByColumn(col);
        // The repaint the sort asked for.
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

void BM_WidgetCustomTime(benchmark::State &state)
{
    sortWidget(state, TimeCol, ssCustom);
}
BENCHMARK(BM_WidgetCustomTime)->Unit(benchmark::kMillisecond);

void BM_WidgetNumericExtended(benchmark::State &state)
{
    sortWidget(state, 2, ssNumericExtended);
}
BENCHMARK(BM_WidgetNumericExtended)->Unit(benchmark::kMillisecond);

} // namespace
