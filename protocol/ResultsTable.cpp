#include "protocol/ResultsTable.h"

#include <QSet>

#include <algorithm>

namespace Results {

QString riderItemText(const QStringList &cells)
{
    auto cell = [&](int c) { return c < cells.size() ? cells[c] : QString(); };
    // Concatenated rather than formatted, so a "%1" in a name stays as it is.
    const QString number = cell(ColNr);
    const QString padded = number.size() < 2 ? QString(2 - number.size(), u' ') + number : number;
    return padded + u' ' + cell(ColName) + u' ' + cell(ColHorse) + u' ' + cell(ColTime);
}

QList<RiderItem> riderItems(const ResultsModel &results)
{
    QList<RiderItem> items;
    items.reserve(results.count());
    for (int i = 0; i < results.count(); ++i)
        items.append({results.entry(i).startNumber(), riderItemText(results.cells(i))});
    std::stable_sort(items.begin(), items.end(), [](const RiderItem &a, const RiderItem &b) {
        if ((a.number < 0) != (b.number < 0))
            return b.number < 0;
        return a.number < b.number;
    });
    return items;
}

RiderPair AdvanceRiders(RiderPair current, int count1, int count2)
{
    RiderPair next;
    next.lane1 = current.lane1 + 2 < count1 ? current.lane1 + 2 : 1;
    next.lane2 = current.lane2 + 2 < count2 ? current.lane2 + 2 : 0;
    return next;
}

bool startAvailable(int count1, int count2, int index1, int index2, bool runOpen)
{
    return count1 > 0 && count2 > 0 && !runOpen && index1 != index2;
}

QString FormatLaneTime(qint64 ms)
{
    return timeText(std::max<qint64>(ms, 0) / 10);
}

Totals CountTotals(const ProtocolFormat::Table &table)
{
    auto distinct = [&](int col) {
        QSet<QString> seen;
        for (qsizetype r = 1; r < table.size(); ++r)
            seen.insert(table[r].value(col).toCaseFolded());
        return int(seen.size());
    };
    Totals totals;
    totals.EntryCount = int(std::max<qsizetype>(table.size() - 1, 0));
    totals.DistinctHorses = distinct(ColHorse);
    totals.DistinctTimes = distinct(ColTime);
    return totals;
}

RunSummary summarizeRow(const ProtocolFormat::Table &table, int row)
{
    QStringList runs;
    const QStringList &header = table.value(0);
    const QStringList &cells = table.value(row);
    for (int i = 0; FirstRunColumn + i < header.size() && header[FirstRunColumn + i] == runCaption(i); ++i)
        runs.append(cells.value(FirstRunColumn + i));
    if (std::all_of(runs.cbegin(), runs.cend(), [](const QString &run) { return run.trimmed().isEmpty(); }))
        runs = {cells.value(ColTime)};
    RunSummary summary;
    qint64 sum = 0;
    for (const QString &text : std::as_const(runs)) {
        const std::optional<Run> run = Run::fromText(text);
        if (!run || !run->counts())
            continue;
        ++summary.validRuns;
        sum += run->hundredths;
        if (summary.best < 0 || run->hundredths < summary.best)
            summary.best = run->hundredths;
    }
    if (summary.validRuns > 0)
        summary.meanHundredths = (2 * sum + summary.validRuns) / (2 * qint64(summary.validRuns)); // rounded
    return summary;
}

} // namespace Results
